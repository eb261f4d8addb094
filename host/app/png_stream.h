// A PNG writer that takes the picture a few rows at a time, so that its compression can run
// while the rows below are still being rendered. It writes exactly the bytes of the stb writer
// the program used before (RGBA, 8 bits, the Paeth filter on every row, stb's deflate with its
// hash chains, lazy matching, fixed Huffman codes, and stored blocks when those are smaller):
// saved pictures stay byte for byte what they were. The deflate is that algorithm done with
// less work per byte: fixed arrays for the hash chains, matches compared eight bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quiltra {

class PngStream {
public:
    // A picture of width × height RGBA pixels (both at least 1).
    PngStream(int width, int height);

    // Rows first .. end − 1 of the codes, four per pixel: `codes` holds the whole picture, rows
    // from the top, and the rows above `first` are already given (the filter reads the row
    // above). Rows come in order, each once.
    void AddRows(const std::uint8_t* codes, int first, int end);
    // The whole file, once every row has been given; before that, nothing (an empty vector).
    std::vector<std::uint8_t> Finish();

private:
    void Compress(bool all);
    void PutBits(std::uint32_t code, int count);

    int width_, height_, rowsGiven_;
    std::vector<std::uint8_t> filtered_; // the filter type and the filtered bytes of each row
    size_t available_; // bytes of filtered_ written so far
    size_t at_; // the next byte to compress
    std::vector<std::uint8_t> zlib_;
    std::uint32_t bits_;
    int bitCount_;
    std::vector<std::int32_t> chains_; // per hash: the positions of up to kChain earlier bytes
    std::vector<std::uint8_t> chainLength_;
};

} // namespace quiltra
