// The runtime's arithmetic, with the worked numbers of the program's units.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace platform;

TEST(Numbers, ConversionsDivisionAndModRoundHalfToEvenAndTruncate) {
    platform::TestSeams::SetTwipsPerPixel(15.0f);
    const struct {
        const char* what;
        std::function<double()> value;
        double expected;
    } cases[] = {
        {"CLng(22.5)", [] { return CLng(22.5); }, 22},
        {"CLng(37.5)", [] { return CLng(37.5); }, 38},
        {"CLng(-2.5)", [] { return CLng(-2.5); }, -2},
        {"CLng(7447.5), a screen 1025 pixels wide", [] { return CLng(7447.5); }, 7448},
        {"CLng(-2147483648.5)", [] { return CLng(-2147483648.5); }, INT32_MIN},
        {"-100 \\ 15", [] { return IntDiv(-100, 15); }, -6},
        {"37.5 \\ 15", [] { return IntDiv(37.5, 15); }, 2},
        {"1260 Mod 120", [] { return Mod(1260, 120); }, 60},
        {"-130 Mod 120, the dividend's sign", [] { return Mod(-130, 120); }, -10},
        {"TwipToPixelX(14)", [] { return toolkit::TwipToPixelX(14); }, 0},
        {"TwipToPixelX(-16)", [] { return toolkit::TwipToPixelX(-16); }, -1},
        {"PixelToTwipX(2.5)", [] { return toolkit::PixelToTwipX(2.5); }, 38},
        {"PixelToTwipY(32)", [] { return toolkit::PixelToTwipY(32); }, 480},
        {"Val(\"  120abc\")", [] { return Val("  120abc"); }, 120},
        {"Val(\"-3000\")", [] { return Val("-3000"); }, -3000},
        {"Val(\"1.5E+07\")", [] { return Val("1.5E+07"); }, 1.5e7},
        {"Val(\"12e\")", [] { return Val("12e"); }, 12},
        {"Val(\"-\")", [] { return Val("-"); }, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value(), c.expected) << c.what;
    TestSeams::SetTwipsPerPixel(12.0f);
    EXPECT_EQ(toolkit::PixelToTwipY(32), 384);
    for (double huge : {2147483647.5, -2147483649.0, 1e300, std::nan(""), double(INFINITY)})
        EXPECT_THROW(CLng(huge), Overflow) << huge;
    EXPECT_THROW(IntDiv(1, 0.4), DivisionByZero);  // 0.4 rounds to 0
    EXPECT_THROW(IntDiv(INT32_MIN, -1), Overflow);
    for (const auto& [value, text] : std::vector<std::pair<float, std::string>>{
             {-150, "-150"}, {7440, "7440"}, {0, "0"}, {1234567, "1234567"}, {15000000, "1.5E+07"}})
        EXPECT_EQ(SingleText(value), text);
    platform::TestSeams::SetTwipsPerPixel(std::nullopt);
}

TEST(Numbers, OneSeedGivesOneSequenceOfValuesBelowOne) {
    TestSeams::SetRandomSeed(42);
    Randomize();
    std::vector<float> first;
    for (int i = 0; i < 100000; ++i) {
        first.push_back(Rnd());
        const float scaled = first.back() * 16777216.0f;  // 24 bits, as a Single's Rnd
        ASSERT_TRUE(first.back() >= 0 && Int(first.back() * 36) < 36 && scaled == std::floor(scaled));
    }
    Randomize();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Rnd(), first[i]);
    TestSeams::SetRandomSeed(std::nullopt);
}
