#pragma once
#include <clocale>
#include <string>

namespace velmora {

// The C library's locale set to `name` for the object's lifetime, as Qt's start-up sets it from the user's:
// "de_DE.UTF-8" reads and writes numbers with a decimal comma. tools/setup-debian.sh generates that locale.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : saved_(std::setlocale(LC_ALL, nullptr)) {
        set_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // The locale is installed and now in effect, with this decimal point.
    bool Is(char decimalPoint) const { return set_ && *std::localeconv()->decimal_point == decimalPoint; }

private:
    std::string saved_;
    bool set_ = false;
};

constexpr const char* kCommaLocale = "de_DE.UTF-8";

}  // namespace velmora
