#pragma once
#include <cstddef>
#include <cstdint>

namespace velmora {

// The room DeflateLiterals needs for `size` bytes: codes are at most 15 bits,
// the block's header and end take less than 512 bytes, and it writes whole
// 8-byte words (the last one past its end).
constexpr std::size_t DeflateLiteralsBound(std::size_t size) { return size * 15 / 8 + 520; }

// Writes `data` to `out` as raw deflate data of literals alone, one block
// with Huffman codes fitted to these bytes: what a picture of noise, which has
// no repeats worth finding, compresses to, at the speed of a table lookup per
// byte. The data ends on a byte boundary: with the stream's last block when
// `last`, otherwise with an empty stored block, so independently compressed
// parts can be joined into one stream. Returns the length of the data,
// at most DeflateLiteralsBound(size) - 8.
std::size_t DeflateLiterals(const std::uint8_t* data, std::size_t size, bool last, char* out);

}  // namespace velmora
