#include "platform/IntegerText.h"

#include <algorithm>
#include <cstdint>

namespace platform {

namespace {

constexpr std::int64_t kNegativeLimit = std::int64_t{INT32_MAX} + 1;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// An optional sign and the digits after it. The magnitude stops growing just past the 32-bit
// range, so any longer number still reads as out of range.
struct SignedDigits {
    bool negative = false;
    bool any = false;
    std::int64_t magnitude = 0;
    const char* end = nullptr;
};

SignedDigits ReadSignedDigits(const char* text) {
    SignedDigits read;
    read.negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    for (; *text >= '0' && *text <= '9'; ++text) {
        read.any = true;
        read.magnitude = std::min(read.magnitude * 10 + (*text - '0'), kNegativeLimit + 1);
    }
    read.end = text;
    return read;
}

} // namespace

int ParseIntegerSaturating(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
        ++text;
    }
    const SignedDigits read = ReadSignedDigits(text);
    return static_cast<int>(read.negative ? -std::min(read.magnitude, kNegativeLimit)
                                          : std::min(read.magnitude, std::int64_t{INT32_MAX}));
}

bool ParseIntegerStrict(const char* text, int& value) {
    while (IsBlank(*text)) {
        ++text;
    }
    const SignedDigits read = ReadSignedDigits(text);
    const char* end = read.end;
    while (IsBlank(*end)) {
        ++end;
    }
    if (!read.any || *end != '\0' ||
        read.magnitude > (read.negative ? kNegativeLimit : std::int64_t{INT32_MAX})) {
        return false;
    }
    value = static_cast<int>(read.negative ? -read.magnitude : read.magnitude);
    return true;
}

} // namespace platform
