// The number boxes' strict rule; the settings file's saturating rule is tested through the reader.

#include <gtest/gtest.h>

#include "platform/IntegerText.h"

namespace {

TEST(IntegerText, BoxRuleAcceptsBlanksAroundASignedNumberThatFits32Bits) {
    const struct {
        const char* text;
        int value;
    } good[] = {{"0", 0},
                {"768", 768},
                {"  -5 ", -5},
                {"+7", 7},
                {"\t12\t", 12},
                {"2147483647", 2147483647},
                {"-2147483648", -2147483647 - 1},
                {"000123", 123}};
    for (const auto& c : good) {
        int value = 99;
        EXPECT_TRUE(platform::ParseIntegerStrict(c.text, value)) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
    for (const char* bad : {"", " ", "-", "+", "tall", "12px", "1 2", "1.5", "- 5", "0x10",
                            "2147483648", "-2147483649", "99999999999999999999"}) {
        int value = 99;
        EXPECT_FALSE(platform::ParseIntegerStrict(bad, value)) << '"' << bad << '"';
        EXPECT_EQ(value, 99) << "a bad value leaves the member alone";
    }
}

} // namespace
