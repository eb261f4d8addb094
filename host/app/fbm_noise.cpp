#include "fbm_noise.h"

#define STB_PERLIN_IMPLEMENTATION
#include <stb/stb_perlin.h>

#include <emmintrin.h>

#include <map>
#include <mutex>
#include <utility>

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

// The ease curve ((a·6 − 15)·a + 10)·a·a·a of each lane.
inline __m128 Ease(__m128 a)
{
    __m128 e = _mm_sub_ps(_mm_mul_ps(a, _mm_set1_ps(6.0f)), _mm_set1_ps(15.0f));
    e = _mm_add_ps(_mm_mul_ps(e, a), _mm_set1_ps(10.0f));
    return _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(e, a), a), a);
}

// The value from the corners' dot products (lanes (x, y) = (0, 0), (0, 1), (1, 0), (1, 1)) at
// the near and the far z and the eases along x, y (lanes 0, 1) and z: along z n00, n01, n10,
// n11; along y n0, n1; along x the value.
inline float Interpolate(__m128 n0, __m128 n1, __m128 e, float w)
{
    const __m128 nz = _mm_add_ps(n0, _mm_mul_ps(_mm_sub_ps(n1, n0), _mm_set1_ps(w)));
    const __m128 low = _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 high = _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 v = _mm_shuffle_ps(e, e, _MM_SHUFFLE(1, 1, 1, 1));
    const __m128 ny = _mm_add_ps(low, _mm_mul_ps(_mm_sub_ps(high, low), v));
    const float u = _mm_cvtss_f32(e);
    const float ny0 = _mm_cvtss_f32(ny);
    const float ny1 = _mm_cvtss_f32(_mm_shuffle_ps(ny, ny, _MM_SHUFFLE(1, 1, 1, 1)));
    return ny0 + (ny1 - ny0) * u;
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
    const __m128 e = Ease(_mm_set_ps(0.0f, z, y, x));

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
    return Interpolate(n0, n1, e, _mm_cvtss_f32(_mm_shuffle_ps(e, e, _MM_SHUFFLE(2, 2, 2, 2))));
}

// The lattice tables, one per (octave seed, z cell), kept while a field uses them.
std::mutex latticeLock;
std::map<std::pair<int, int>, std::weak_ptr<const std::vector<unsigned char>>> lattices;

std::shared_ptr<const std::vector<unsigned char>> Lattice(unsigned char seed, int z0)
{
    std::lock_guard<std::mutex> lock(latticeLock);
    std::weak_ptr<const std::vector<unsigned char>>& kept = lattices[std::make_pair(seed, z0)];
    if (std::shared_ptr<const std::vector<unsigned char>> table = kept.lock()) return table;
    int live = 0;
    for (auto i = lattices.begin(); i != lattices.end();)
        if (i->second.expired() && &i->second != &kept)
            i = lattices.erase(i);
        else
            ++i, ++live;
    if (live > NoiseField::kMaxLattices) return nullptr;
    const unsigned char* perm = stb__perlin_randtab;
    const unsigned char* grad = stb__perlin_randtab_grad_idx;
    const int z1 = (z0 + 1) & 255;
    auto table = std::make_shared<std::vector<unsigned char>>(256 * 256);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 256; ++y) {
            const int r = perm[perm[x + seed] + y];
            (*table)[(size_t)(x * 256 + y)] = (unsigned char)(grad[r + z0] | grad[r + z1] << 4);
        }
    kept = table;
    return table;
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

NoiseField::NoiseField(float z, float lacunarity, float gain, int octaves)
    : z_(z), lacunarity_(lacunarity), gain_(gain), octaves_(octaves)
{
    float frequency = 1.0f, amplitude = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        Octave o;
        o.frequency = frequency;
        o.amplitude = amplitude;
        const float zi = z * frequency;
        const int pz = FastFloor(zi);
        o.z = zi - (float)pz;
        o.zBelow = o.z - 1;
        o.w = _mm_cvtss_f32(Ease(_mm_set1_ps(o.z)));
        o.lattice = Lattice((unsigned char)i, pz & 255);
        if (!o.lattice) {
            octave_.clear(); // too many tables kept: FbmNoise then
            return;
        }
        octave_.push_back(o);
        frequency *= lacunarity;
        amplitude *= gain;
    }
}

float NoiseField::At(float x, float y) const
{
    if ((int)octave_.size() != octaves_) return FbmNoise(x, y, z_, lacunarity_, gain_, octaves_);
    float sum = 0.0f;
    for (const Octave& o : octave_) {
        float xi = x * o.frequency, yi = y * o.frequency;
        const int px = FastFloor(xi), py = FastFloor(yi);
        const int x0 = px & 255, x1 = (px + 1) & 255;
        const int y0 = py & 255, y1 = (py + 1) & 255;
        xi -= (float)px;
        yi -= (float)py;
        const __m128 e = Ease(_mm_set_ps(0.0f, 0.0f, yi, xi));
        const unsigned char* lattice = o.lattice->data();
        const unsigned char c00 = lattice[x0 * 256 + y0], c01 = lattice[x0 * 256 + y1],
                            c10 = lattice[x1 * 256 + y0], c11 = lattice[x1 * 256 + y1];
        const unsigned char nearZ[4] = {(unsigned char)(c00 & 15), (unsigned char)(c01 & 15),
                                        (unsigned char)(c10 & 15), (unsigned char)(c11 & 15)};
        const unsigned char farZ[4] = {(unsigned char)(c00 >> 4), (unsigned char)(c01 >> 4),
                                       (unsigned char)(c10 >> 4), (unsigned char)(c11 >> 4)};
        const float xm = xi - 1, ym = yi - 1;
        const __m128 dx = _mm_set_ps(xm, xm, xi, xi);
        const __m128 dy = _mm_set_ps(ym, yi, ym, yi);
        const __m128 n0 = Dots(nearZ, dx, dy, _mm_set1_ps(o.z));
        const __m128 n1 = Dots(farZ, dx, dy, _mm_set1_ps(o.zBelow));
        sum += Interpolate(n0, n1, e, o.w) * o.amplitude;
    }
    return sum;
}

float ReferenceFbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves)
{
    return stb_perlin_fbm_noise3(x, y, z, lacunarity, gain, octaves);
}

} // namespace quiltra
