// Decoded pictures shared across the program, and the bound on what they take together.
//
// A bitmap map keeps its picture decoded. Maps whose files hold the same bytes, read the same
// way (linear or sRGB), share one decoded picture, however many layers, scenes or copies name
// the file: a file is decoded once while any map shows it. All pictures kept at one time take
// at most kMaxDecodedPictureBytes; a picture that would go beyond that is refused before it is
// decoded.
#pragma once

#include "image_io.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quiltra {

// What the decoded pictures kept at one time may take in all: 1 GiB (four of the largest
// 8-bit pictures, two of the largest 16-bit ones); 512 MiB in a 32-bit program, whose 2 GB of
// addresses must also hold a decoder's working copy and the rest of the scene.
const long long kMaxDecodedPictureBytes = sizeof(void*) > 4 ? 1ll << 30 : 1ll << 29;

// The decoded picture of a file's bytes: the one already kept for the same bytes read the same
// way, or a new one. Throws InputError("name: why") when the bytes do not decode (as
// DecodePicture) or the picture would take the decoded pictures beyond kMaxDecodedPictureBytes.
std::shared_ptr<const Picture> SharedPicture(const std::vector<std::uint8_t>& bytes, bool linear,
                                             const std::string& name);

// Sets the bound (kMaxDecodedPictureBytes unless set) and returns the one it replaces: tests
// lower it to reach it with small pictures.
long long SetDecodedPictureLimit(long long bytes);

// What the decoded pictures kept now take, in bytes, and how many pictures were decoded so
// far (tests watch both).
long long DecodedPictureBytes();
long long PicturesDecoded();

} // namespace quiltra
