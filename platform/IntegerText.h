#pragma once

// The launcher's two rules for reading a whole number from text, side by side.
namespace platform {

// The settings file's rule, atoi's: leading white space, an optional sign and the digits after
// it; no digits give 0 and whatever follows is ignored. Values beyond 32 bits saturate.
int ParseIntegerSaturating(const char* text);

// A number box's rule: optional blanks around an optional sign and digits that fit 32 bits, and
// nothing else. False, with value left alone, for any other text.
bool ParseIntegerStrict(const char* text, int& value);

} // namespace platform
