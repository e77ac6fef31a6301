// Fuzzes the reading of numbers from the settings file and from device
// answers: whatever the bytes, no crash, and an accepted number agrees with
// the C library's own reading of the same text.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "number_text.h"
#include "settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto number = vessmark::ParseNumber(text);
    const auto stored = vessmark::IniInteger(text);

    if (!number) {
        if (stored) {
            std::abort(); // a stored value must come from a number
        }
        return 0;
    }
    if (text.find('\0') != std::string::npos) {
        std::abort(); // NUL is no blank and no digit
    }
    const double reference = std::strtod(text.c_str(), nullptr);
    if (std::isfinite(reference) && reference != *number && std::fabs(reference - *number) > 1e-300) {
        std::abort();
    }
    const double whole = std::floor(*number);
    const bool fits = whole >= -32768.0 && whole <= 32767.0;
    if (fits != stored.has_value() || (stored && *stored != static_cast<std::int16_t>(whole))) {
        std::abort();
    }
    return 0;
}
