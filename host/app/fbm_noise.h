// Fractal Perlin noise for the noise picture map: the sum over octaves of gradient noise at
// doubling frequencies, each octave with a permutation of its own. FbmNoise answers exactly
// what stb_perlin_fbm_noise3 answers (same float operations in the same order, bit for bit,
// for every input), in fewer cycles: the eight lattice corners of an octave are worked four at
// a time in SSE2 lanes instead of one after another.
#pragma once

namespace quiltra {

// Σ over octaves i of noise_i(x·f, y·f, z·f) · a, with f = lacunarity^i and a = gain^i
// (multiplied up step by step, as the reference does); noise_i wraps every 256 cells.
float FbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves);

// The reference the above is measured against (the stb implementation, linked once here).
float ReferenceFbmNoise(float x, float y, float z, float lacunarity, float gain, int octaves);

} // namespace quiltra
