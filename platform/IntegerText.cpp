#include "platform/IntegerText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// Reads an optional sign and the digits after it; the magnitude stops growing just past the 32-bit
// range. Returns where the digits end, or null when there are none.
const char* ReadSignedDigits(const char* text, std::int64_t& value) {
    const bool negative = *text == '-';
    text += *text == '-' || *text == '+';
    const char* digits = text;
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = std::min(magnitude * 10 + (*text - '0'), std::int64_t{INT32_MAX} + 2);
    }
    value = negative ? -magnitude : magnitude;
    return text == digits ? nullptr : text;
}

} // namespace

int ParseIntegerSaturating(const char* text) {
    std::int64_t value = 0;
    ReadSignedDigits(text + std::strspn(text, " \t\n\v\f\r"), value);
    return static_cast<int>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

bool ParseIntegerStrict(const char* text, int& value) {
    std::int64_t read = 0;
    const char* end = ReadSignedDigits(text + std::strspn(text, " \t"), read);
    if (!end || read < INT32_MIN || read > INT32_MAX || end[std::strspn(end, " \t")] != '\0') {
        return false;
    }
    value = static_cast<int>(read);
    return true;
}

} // namespace platform
