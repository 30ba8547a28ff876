#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

// Appends `data` to `out` as raw deflate data of literals alone, one block
// with Huffman codes fitted to these bytes: what a picture of noise, which has
// no repeats worth finding, compresses to, at the speed of a table lookup per
// byte. The data ends on a byte boundary: with the stream's last block when
// `last`, otherwise with an empty stored block, so independently compressed
// parts can be joined into one stream.
void DeflateLiterals(const std::uint8_t* data, std::size_t size, bool last, std::string& out);

}  // namespace velmora
