// Any bytes read as a profile file never fail; writing an entry and reading it
// back gives the value as a single trimmed line, and every other line of the
// file stays byte for byte.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "records/Profile.h"
#include "FuzzCheck.h"

namespace {

// Takes up to `length` bytes from the front of the input.
std::string_view Take(std::string_view& input, std::size_t length) {
    const auto part = input.substr(0, std::min(length, input.size()));
    input.remove_prefix(part.size());
    return part;
}

std::size_t TakeLength(std::string_view& input) {
    const auto byte = Take(input, 1);
    return byte.empty() ? 0 : static_cast<unsigned char>(byte[0]);
}

// A section or key name the program could write: letters, digits and "_".
std::string NameFrom(std::string_view bytes) {
    static constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    std::string name;
    for (char c : bytes) name += kAlphabet[static_cast<unsigned char>(c) % kAlphabet.size()];
    return name.empty() ? "Initial" : name;
}

std::string Lower(std::string name) {
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
}

std::string ExpectedRead(std::string_view value) {
    constexpr std::string_view kBlanks = " \t\r\v\f";
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    const auto b = value.find_first_not_of(kBlanks);
    if (b == std::string_view::npos) return "";
    value = value.substr(b, value.find_last_not_of(kBlanks) - b + 1);
    return std::string(value.substr(0, velmora::kProfileValueLimit));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string section = NameFrom(Take(input, TakeLength(input) % 8));
    const std::string key = NameFrom(Take(input, TakeLength(input) % 8));
    const std::string otherKey = NameFrom(Take(input, TakeLength(input) % 8));
    const std::string value(Take(input, TakeLength(input) * 2));
    const std::string_view contents = input;

    const auto otherBefore = velmora::ProfileValue(contents, section, otherKey);
    const std::string written = velmora::ProfileWithEntries(contents, {{section, key, value}});
    FUZZ_CHECK(velmora::ProfileValue(written, section, key) == ExpectedRead(value));

    // The change is one run of bytes: the old bytes it replaces lie within one line.
    std::size_t prefix = 0;
    while (prefix < contents.size() && prefix < written.size() && contents[prefix] == written[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < contents.size() - prefix && suffix < written.size() - prefix &&
           contents[contents.size() - 1 - suffix] == written[written.size() - 1 - suffix])
        ++suffix;
    FUZZ_CHECK(contents.substr(prefix, contents.size() - prefix - suffix).find('\n') == std::string_view::npos);

    if (Lower(otherKey) != Lower(key)) FUZZ_CHECK(velmora::ProfileValue(written, section, otherKey) == otherBefore);
    return 0;
}
