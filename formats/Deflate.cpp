#include "formats/Deflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// Huffman code lengths of at most `limit` bits for the symbols' frequencies
// (0: unused). Two symbols at least get a code, so the code is complete.
template <std::size_t N>
std::array<std::uint8_t, N> CodeLengths(std::array<std::uint64_t, N> frequency, int limit) {
    std::array<std::uint8_t, N> lengths{};
    for (std::size_t s = 0; s < N && std::count_if(frequency.begin(), frequency.end(), [](auto f) { return f > 0; }) < 2;
         ++s)
        if (frequency[s] == 0) frequency[s] = 1;
    std::vector<int> symbols;
    for (std::size_t s = 0; s < N; ++s)
        if (frequency[s] > 0) symbols.push_back(static_cast<int>(s));
    std::stable_sort(symbols.begin(), symbols.end(), [&](int a, int b) { return frequency[a] < frequency[b]; });

    // Two-queue Huffman: leaves in ascending frequency, merged nodes in the
    // order made (also ascending); the depth of every leaf follows from its parents.
    const std::size_t leaves = symbols.size();
    std::vector<std::uint64_t> weight(2 * leaves - 1);
    std::vector<std::size_t> parent(2 * leaves - 1);
    for (std::size_t i = 0; i < leaves; ++i) weight[i] = frequency[symbols[i]];
    std::size_t nextLeaf = 0, nextNode = leaves;
    auto takeSmallest = [&](std::size_t made) {
        if (nextLeaf < leaves && (nextNode >= made || weight[nextLeaf] <= weight[nextNode])) return nextLeaf++;
        return nextNode++;
    };
    for (std::size_t made = leaves; made < 2 * leaves - 1; ++made) {
        const std::size_t a = takeSmallest(made), b = takeSmallest(made);
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
    }
    std::vector<int> depth(2 * leaves - 1, 0);
    std::array<int, 258> count{};  // a leaf lies at most 256 deep
    for (std::size_t node = 2 * leaves - 2; node-- > 0;) depth[node] = depth[parent[node]] + 1;
    int longest = 0;
    for (std::size_t i = 0; i < leaves; ++i) {
        ++count[static_cast<std::size_t>(depth[i])];
        longest = std::max(longest, depth[i]);
    }
    // Codes longer than the limit: a pair of them becomes one code a bit
    // shorter and a shorter code splits into two one bit longer, which keeps
    // the code complete.
    for (int bits = longest; bits > limit; --bits)
        while (count[static_cast<std::size_t>(bits)] > 0) {
            int shorter = bits - 2;
            while (count[static_cast<std::size_t>(shorter)] == 0) --shorter;
            count[static_cast<std::size_t>(bits)] -= 2;
            count[static_cast<std::size_t>(bits - 1)] += 1;
            count[static_cast<std::size_t>(shorter + 1)] += 2;
            count[static_cast<std::size_t>(shorter)] -= 1;
        }
    // The most frequent symbols take the shortest codes.
    std::size_t i = leaves;
    for (int bits = 1; bits <= limit; ++bits)
        for (int k = 0; k < count[static_cast<std::size_t>(bits)]; ++k) lengths[static_cast<std::size_t>(symbols[--i])] = static_cast<std::uint8_t>(bits);
    return lengths;
}

// Canonical codes for the lengths, bit-reversed as deflate sends them.
template <std::size_t N>
std::array<std::uint16_t, N> Codes(const std::array<std::uint8_t, N>& lengths) {
    std::array<int, 16> count{}, next{};
    for (const auto length : lengths) ++count[length];
    count[0] = 0;
    for (int bits = 1, code = 0; bits < 16; ++bits) next[static_cast<std::size_t>(bits)] = code = (code + count[static_cast<std::size_t>(bits - 1)]) << 1;
    std::array<std::uint16_t, N> codes{};
    for (std::size_t s = 0; s < N; ++s) {
        const int length = lengths[s];
        if (length == 0) continue;
        const int code = next[static_cast<std::size_t>(length)]++;
        int reversed = 0;
        for (int b = 0; b < length; ++b) reversed |= ((code >> b) & 1) << (length - 1 - b);
        codes[s] = static_cast<std::uint16_t>(reversed);
    }
    return codes;
}

// Bits into a buffer sized for them beforehand, with 8 bytes to spare at its end.
class BitWriter {
public:
    explicit BitWriter(char* at) : at_(at) {}
    void Put(std::uint32_t bits, int count) {
        Add(bits, count);
        Flush();
    }
    // Up to 56 bits before the next Flush.
    void Add(std::uint64_t bits, int count) {
        buffer_ |= bits << used_;
        used_ += count;
    }
    // Writes the whole bytes: all eight bytes go out (little-endian, as deflate packs bits) and the
    // pointer moves on by the complete ones, so no branch depends on how many there are.
    void Flush() {
        std::memcpy(at_, &buffer_, 8);
        at_ += used_ >> 3;
        buffer_ >>= used_ & ~7;
        used_ &= 7;
    }
    // Pads to a byte boundary and writes what is left; returns the end.
    char* Align() {
        Flush();
        if (used_ > 0) ++at_;
        buffer_ = 0;
        used_ = 0;
        return at_;
    }

private:
    char* at_;
    std::uint64_t buffer_ = 0;
    int used_ = 0;
};

}  // namespace

std::size_t DeflateLiterals(const std::uint8_t* data, std::size_t size, bool last, char* out) {
    constexpr std::size_t kLiterals = 257;  // the bytes and the end of the block
    // Four counts per byte value, so that runs of one value do not wait on each other's increments.
    std::array<std::array<std::uint64_t, 256>, 4> counts{};
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++counts[0][data[i]];
        ++counts[1][data[i + 1]];
        ++counts[2][data[i + 2]];
        ++counts[3][data[i + 3]];
    }
    for (; i < size; ++i) ++counts[0][data[i]];
    std::array<std::uint64_t, kLiterals> frequency{};
    for (std::size_t b = 0; b < 256; ++b) frequency[b] = counts[0][b] + counts[1][b] + counts[2][b] + counts[3][b];
    frequency[256] = 1;
    const auto lengths = CodeLengths(frequency, 15);
    const auto codes = Codes(lengths);

    // The lengths of both alphabets in the code-length code, one symbol each:
    // the 257 literal lengths, then a single distance code of one bit, unused.
    std::array<std::uint8_t, kLiterals + 1> sent{};
    std::copy(lengths.begin(), lengths.end(), sent.begin());
    sent[kLiterals] = 1;
    std::array<std::uint64_t, 19> lengthFrequency{};
    for (const auto length : sent) ++lengthFrequency[length];
    const auto lengthLengths = CodeLengths(lengthFrequency, 7);
    const auto lengthCodes = Codes(lengthLengths);
    constexpr std::array<int, 19> kOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    int orderUsed = 19;
    while (orderUsed > 4 && lengthLengths[static_cast<std::size_t>(kOrder[static_cast<std::size_t>(orderUsed - 1)])] == 0) --orderUsed;

    BitWriter bits(out);
    bits.Put(last ? 1 : 0, 1);
    bits.Put(2, 2);  // dynamic Huffman codes
    bits.Put(0, 5);  // 257 literal and length codes
    bits.Put(0, 5);  // 1 distance code
    bits.Put(static_cast<std::uint32_t>(orderUsed - 4), 4);
    for (int i = 0; i < orderUsed; ++i) bits.Put(lengthLengths[static_cast<std::size_t>(kOrder[static_cast<std::size_t>(i)])], 3);
    for (const auto length : sent) bits.Put(lengthCodes[length], lengthLengths[length]);
    // Each byte's code and length in one word; three codes of at most 15 bits between flushes.
    std::array<std::uint32_t, 256> coded{};
    for (std::size_t b = 0; b < 256; ++b) coded[b] = codes[b] | static_cast<std::uint32_t>(lengths[b]) << 16;
    for (i = 0; i + 3 <= size; i += 3) {
        // The three codes are joined first, so only one shift and one length wait on the bits before them.
        const std::uint32_t a = coded[data[i]], b = coded[data[i + 1]], c = coded[data[i + 2]];
        const int lengthA = static_cast<int>(a >> 16), lengthAB = lengthA + static_cast<int>(b >> 16);
        const std::uint64_t joined = (a & 0xFFFF) | static_cast<std::uint64_t>(b & 0xFFFF) << lengthA |
                                     static_cast<std::uint64_t>(c & 0xFFFF) << lengthAB;
        bits.Add(joined, lengthAB + static_cast<int>(c >> 16));
        bits.Flush();
    }
    for (; i < size; ++i) bits.Put(codes[data[i]], lengths[data[i]]);
    bits.Put(codes[256], lengths[256]);
    if (!last) bits.Put(0, 3);  // an empty stored block: it ends on a byte boundary
    char* end = bits.Align();
    if (!last) end = std::copy_n("\x00\x00\xff\xff", 4, end);
    return static_cast<std::size_t>(end - out);
}

}  // namespace velmora
