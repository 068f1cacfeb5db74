#include <gtest/gtest.h>

#include <cmath>

#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace platform;

TEST(Numbers, ConversionRoundsHalfToEven) {
    EXPECT_EQ(CLng(22.5), 22);
    EXPECT_EQ(CLng(37.5), 38);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(7447.5), 7448);
    EXPECT_EQ(CLng(-2147483648.5), INT32_MIN);  // ties to the even end of the range still fit
}

TEST(Numbers, ConversionOutsideTheRangeIsReported) {
    EXPECT_THROW(CLng(2147483647.5), Overflow);
    EXPECT_THROW(CLng(-2147483649.0), Overflow);
    EXPECT_THROW(CLng(1e300), Overflow);
    EXPECT_THROW(CLng(std::nan("")), Overflow);
    EXPECT_THROW(CLng(INFINITY), Overflow);
}

TEST(Numbers, IntegerDivisionAndModRoundOperandsAndTruncate) {
    EXPECT_EQ(IntDiv(-100, 15), -6);
    EXPECT_EQ(IntDiv(14, 15), 0);
    EXPECT_EQ(IntDiv(22.5, 15), 1);  // 22 \ 15
    EXPECT_EQ(IntDiv(37.5, 15), 2);  // 38 \ 15
    EXPECT_EQ(Mod(1260, 120), 60);
    EXPECT_EQ(Mod(-50, 120), -50);  // the remainder takes the dividend's sign
    EXPECT_EQ(Mod(-130, 120), -10);
    EXPECT_THROW(IntDiv(1, 0.4), DivisionByZero);  // 0.4 rounds to 0
    EXPECT_THROW(IntDiv(INT32_MIN, -1), Overflow);
}

TEST(Numbers, ValTakesTheLongestLeadingNumber) {
    EXPECT_EQ(Val("  120abc"), 120);
    EXPECT_EQ(Val("-3000"), -3000);
    EXPECT_EQ(Val("7440.5x"), 7440.5);
    EXPECT_EQ(Val("1.5E+07"), 1.5e7);
    EXPECT_EQ(Val("12e"), 12);  // an exponent without digits is not part of the number
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val("."), 0);
}

TEST(Numbers, TextOfASingle) {
    EXPECT_EQ(SingleText(-150.0f), "-150");
    EXPECT_EQ(SingleText(7440.0f), "7440");
    EXPECT_EQ(SingleText(0.0f), "0");
    EXPECT_EQ(SingleText(1234567.0f), "1234567");
    EXPECT_EQ(SingleText(15000000.0f), "1.5E+07");  // at most seven significant digits
    EXPECT_EQ(Val(SingleText(15000000.0f)), 15000000.0);
}

TEST(Numbers, TwipsAndPixelsAt15And12TwipsPerPixel) {
    TestSeams::SetTwipsPerPixel(15.0f);
    EXPECT_EQ(toolkit::TwipToPixelX(14), 0);
    EXPECT_EQ(toolkit::TwipToPixelX(15), 1);
    EXPECT_EQ(toolkit::TwipToPixelX(-16), -1);
    EXPECT_EQ(toolkit::TwipToPixelY(-100), -6);
    EXPECT_EQ(toolkit::PixelToTwipX(2.5), 38);
    EXPECT_EQ(toolkit::PixelToTwipY(32), 480);
    TestSeams::SetTwipsPerPixel(12.0f);
    EXPECT_EQ(toolkit::PixelToTwipY(32), 384);
    TestSeams::SetTwipsPerPixel(std::nullopt);
}

TEST(Numbers, RandomWholeNumbersStayBelowTheirBound) {
    // The largest value the generator can give, times any bound, must stay below the bound.
    const float largest = 1.0f - 1.0f / 16777216.0f;
    for (int n = 1; n <= 36; ++n) {
        const float product = largest * static_cast<float>(n);
        EXPECT_LT(Int(product), n) << n;
    }
    TestSeams::SetRandomSeed(7);
    Randomize();
    for (int i = 0; i < 100000; ++i) {
        const float r = Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(Int(r * 36.0f), 36);
    }
    TestSeams::SetRandomSeed(std::nullopt);
}

TEST(Numbers, TheSameSeedGivesTheSameSequence) {
    TestSeams::SetRandomSeed(42);
    Randomize();
    const float first[3] = {Rnd(), Rnd(), Rnd()};
    Randomize();
    EXPECT_EQ(Rnd(), first[0]);
    EXPECT_EQ(Rnd(), first[1]);
    EXPECT_EQ(Rnd(), first[2]);
    TestSeams::SetRandomSeed(std::nullopt);
}
