// The one translation unit that holds the implementations of the stb libraries the host
// program uses: image decoding (bitmap textures) and PNG writing (Perlin noise is in
// fbm_noise.cpp, beside the noise made from its tables).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_FAILURE_USERMSG
#define STB_IMAGE_WRITE_IMPLEMENTATION

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
