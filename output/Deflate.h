#pragma once
#include <cstddef>
#include <cstdint>

namespace velmora {

// The most bytes DeflateLiterals writes for `size` bytes: codes are at most
// 15 bits, the block's header and end take less than 512 bytes.
constexpr std::size_t DeflateLiteralsBound(std::size_t size) { return size * 15 / 8 + 512; }

// Writes `data` to `out` as raw deflate data of literals alone, one block
// with Huffman codes fitted to these bytes: what a picture of noise, which has
// no repeats worth finding, compresses to, at the speed of a table lookup per
// byte. The data ends on a byte boundary: with the stream's last block when
// `last`, otherwise with an empty stored block, so independently compressed
// parts can be joined into one stream. Returns the bytes written, at most
// DeflateLiteralsBound(size).
std::size_t DeflateLiterals(const std::uint8_t* data, std::size_t size, bool last, char* out);

}  // namespace velmora
