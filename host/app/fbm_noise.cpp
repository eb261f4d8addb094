#include "fbm_noise.h"

#define STB_PERLIN_IMPLEMENTATION
#include <stb/stb_perlin.h>

#include <emmintrin.h>

namespace quiltra {

namespace {

// The reference's gradient directions, one per row, padded to four lanes.
alignas(16) const float kGradients[12][4] = {
    {1, 1, 0, 0},  {-1, 1, 0, 0},  {1, -1, 0, 0}, {-1, -1, 0, 0}, {1, 0, 1, 0},  {-1, 0, 1, 0},
    {1, 0, -1, 0}, {-1, 0, -1, 0}, {0, 1, 1, 0},  {0, -1, 1, 0},  {0, 1, -1, 0}, {0, -1, -1, 0},
};

// floor(a) as the reference takes it: truncation, one less below a negative fraction.
inline int FastFloor(float a)
{
    int ai = (int)a;
    return (a < (float)ai) ? ai - 1 : ai;
}

// Σ g[k] · d[k] for four corners at once: (g0·x + g1·y) + g2·z per lane, the reference's order.
inline __m128 Dots(const unsigned char* index, __m128 x, __m128 y, __m128 z)
{
    __m128 a = _mm_load_ps(kGradients[index[0]]);
    __m128 b = _mm_load_ps(kGradients[index[1]]);
    __m128 c = _mm_load_ps(kGradients[index[2]]);
    __m128 d = _mm_load_ps(kGradients[index[3]]);
    // Transpose: lane k of g0, g1, g2 is corner k's gradient.
    __m128 ab01 = _mm_unpacklo_ps(a, b), cd01 = _mm_unpacklo_ps(c, d);
    __m128 ab23 = _mm_unpackhi_ps(a, b), cd23 = _mm_unpackhi_ps(c, d);
    __m128 g0 = _mm_movelh_ps(ab01, cd01), g1 = _mm_movehl_ps(cd01, ab01);
    __m128 g2 = _mm_movelh_ps(ab23, cd23);
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(g0, x), _mm_mul_ps(g1, y)), _mm_mul_ps(g2, z));
}

// One octave: stb_perlin_noise3_internal with no wrapping (every 256 cells) and this seed.
inline float Octave(float x, float y, float z, unsigned char seed)
{
    const unsigned char* perm = stb__perlin_randtab;
    const unsigned char* grad = stb__perlin_randtab_grad_idx;
    const int px = FastFloor(x), py = FastFloor(y), pz = FastFloor(z);
    const int x0 = px & 255, x1 = (px + 1) & 255;
    const int y0 = py & 255, y1 = (py + 1) & 255;
    const int z0 = pz & 255, z1 = (pz + 1) & 255;
    x -= (float)px;
    y -= (float)py;
    z -= (float)pz;

    // The ease curve ((a·6 − 15)·a + 10)·a·a·a of x, y and z in three lanes.
    const __m128 a = _mm_set_ps(0.0f, z, y, x);
    __m128 e = _mm_sub_ps(_mm_mul_ps(a, _mm_set1_ps(6.0f)), _mm_set1_ps(15.0f));
    e = _mm_add_ps(_mm_mul_ps(e, a), _mm_set1_ps(10.0f));
    e = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(e, a), a), a);

    const int r0 = perm[x0 + seed], r1 = perm[x1 + seed];
    const int r00 = perm[r0 + y0], r01 = perm[r0 + y1];
    const int r10 = perm[r1 + y0], r11 = perm[r1 + y1];
    // Corners in the lanes (x, y) = (0, 0), (0, 1), (1, 0), (1, 1); the near and the far z.
    const unsigned char nearZ[4] = {grad[r00 + z0], grad[r01 + z0], grad[r10 + z0], grad[r11 + z0]};
    const unsigned char farZ[4] = {grad[r00 + z1], grad[r01 + z1], grad[r10 + z1], grad[r11 + z1]};
    const float xm = x - 1, ym = y - 1;
    const __m128 dx = _mm_set_ps(xm, xm, x, x);
    const __m128 dy = _mm_set_ps(ym, y, ym, y);
    const __m128 n0 = Dots(nearZ, dx, dy, _mm_set1_ps(z));
    const __m128 n1 = Dots(farZ, dx, dy, _mm_set1_ps(z - 1));

    // Along z: n00, n01, n10, n11; along y: n0, n1; along x: the value.
    const __m128 w = _mm_shuffle_ps(e, e, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 nz = _mm_add_ps(n0, _mm_mul_ps(_mm_sub_ps(n1, n0), w));
    const __m128 low = _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 high = _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 v = _mm_shuffle_ps(e, e, _MM_SHUFFLE(1, 1, 1, 1));
    const __m128 ny = _mm_add_ps(low, _mm_mul_ps(_mm_sub_ps(high, low), v));
    const float u = _mm_cvtss_f32(e);
    const float ny0 = _mm_cvtss_f32(ny);
    const float ny1 = _mm_cvtss_f32(_mm_shuffle_ps(ny, ny, _MM_SHUFFLE(1, 1, 1, 1)));
    return ny0 + (ny1 - ny0) * u;
}

} // namespace

float FbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves)
{
    float frequency = 1.0f, amplitude = 1.0f, sum = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += Octave(x * frequency, y * frequency, z * frequency, (unsigned char)i) * amplitude;
        frequency *= lacunarity;
        amplitude *= gain;
    }
    return sum;
}

float ReferenceFbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves)
{
    return stb_perlin_fbm_noise3(x, y, z, lacunarity, gain, octaves);
}

} // namespace quiltra
