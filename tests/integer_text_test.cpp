// The launcher's two rules for a whole number, side by side on the same texts: the settings file's
// (through the reader, as a width line) and a number box's.

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "platform/IntegerText.h"
#include "test_support.h"

namespace {

TEST(IntegerText, FileLineTakesTheDecimalPrefixAndBoxTakesOnlyAWholeNumber) {
    const std::optional<int> rejected;
    const struct {
        const char* text;
        int line;               // the settings file's width line
        std::optional<int> box; // a number box; a rejected text leaves the member alone
    } cases[] = {
        {"0", 0, 0},
        {"768", 768, 768},
        {"+7", 7, 7},
        {"000123", 123, 123},
        {"000000000000000000000042", 42, 42},
        {"  -5 ", -5, -5},
        {"\t12\t", 12, 12},
        {"\v12", 12, rejected},
        {"\f12", 12, rejected},
        {"\r12", 12, rejected},
        {" 800x600", 800, rejected},
        {"\t-5 pixels", -5, rejected},
        {"12px", 12, rejected},
        {"1 2", 1, rejected},
        {"1.5", 1, rejected},
        {"0x10", 0, rejected},
        {"wide", 0, rejected},
        {"- 5", 0, rejected},
        {"", 0, rejected},
        {" ", 0, rejected},
        {"-", 0, rejected},
        {"+", 0, rejected},
        {"2147483647", INT_MAX, INT_MAX},
        {"-2147483648", INT_MIN, INT_MIN},
        {"2147483648", INT_MAX, rejected},
        {"-2147483649", INT_MIN, rejected},
        {"184467440737095516160000", INT_MAX, rejected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(ReadFromBytes(std::string("a\nb\n") + c.text + "\n").settings.m_width, c.line);
        int value = 99;
        EXPECT_EQ(platform::ParseIntegerStrict(c.text, value), c.box.has_value());
        EXPECT_EQ(value, c.box.value_or(99));
    }
}

} // namespace
