// Fractal Perlin noise for the noise picture map: the sum over octaves of gradient noise at
// doubling frequencies, each octave with a permutation of its own. FbmNoise answers exactly
// what stb_perlin_fbm_noise3 answers (same float operations in the same order, bit for bit,
// for every input), in fewer cycles: the eight lattice corners of an octave are worked four at
// a time in SSE2 lanes instead of one after another.
#pragma once

#include <memory>
#include <vector>

namespace quiltra {

// Σ over octaves i of noise_i(x·f, y·f, z·f) · a, with f = lacunarity^i and a = gain^i
// (multiplied up step by step, as the reference does); noise_i wraps every 256 cells.
float FbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves);

// The reference the above is measured against (the stb implementation, linked once here).
float ReferenceFbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves);

// FbmNoise over a plane of constant z (as a noise map samples it), with what depends on z and
// on the octave alone worked out once: per octave, the cell and ease along z and, for each of
// the 256 × 256 lattice columns, the gradients of its two z corners (shared between fields,
// 64 KiB each). At(x, y) == FbmNoise(x, y, z, lacunarity, gain, octaves), bit for bit.
class NoiseField {
public:
    NoiseField(float z, float lacunarity, float gain, int octaves);
    float At(float x, float y) const;

    // The lattice tables kept at most (16 MiB); a field that would need more works without
    // them, at FbmNoise's speed.
    static const int kMaxLattices = 256;

private:
    struct Octave {
        float frequency, amplitude;
        float z, zBelow, w; // the fraction along z, it less 1, and its ease
        std::shared_ptr<const std::vector<unsigned char>> lattice; // near | far << 4 per (x, y)
    };
    float z_, lacunarity_, gain_;
    int octaves_;
    std::vector<Octave> octave_;
};

} // namespace quiltra
