#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "text/code_page.h"
#include "text/text_ops.h"
#include "gbk_printer.h"

namespace lanyi {
namespace {

struct NumberCase {
    GbkText text;
    double expected;
};

class ToNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ToNumber, ReadsTheLeadingNumber) {
    const NumberCase& c = GetParam();
    EXPECT_DOUBLE_EQ(gbk_to_number(c.text), c.expected) << testing::PrintToString(c.text);
}

const double kHuge = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, ToNumber,
    testing::Values(
        NumberCase{GbkText("  12abc"), 12}, NumberCase{GbkText(""), 0}, NumberCase{GbkText("abc"), 0},
        NumberCase{GbkText("1e3"), 1000}, NumberCase{GbkText("-7"), -7}, NumberCase{GbkText("+5"), 5},
        NumberCase{GbkText("10.9"), 10.9}, NumberCase{GbkText("\t\r\n 3"), 3},
        NumberCase{GbkText("1,234"), 1}, NumberCase{GbkText(".5"), 0.5}, NumberCase{GbkText("5."), 5},
        NumberCase{GbkText("-.5"), -0.5}, NumberCase{GbkText("."), 0}, NumberCase{GbkText("- 3"), 0},
        NumberCase{GbkText("--3"), 0}, NumberCase{GbkText("1.2.3"), 1.2},
        // Exponents: e, E, d, D; without digits after them they are not read.
        NumberCase{GbkText("1d2"), 100}, NumberCase{GbkText("1D-2"), 0.01}, NumberCase{GbkText("2E+1x"), 20},
        NumberCase{GbkText("1e"), 1}, NumberCase{GbkText("1e+"), 1}, NumberCase{GbkText("1.5ex"), 1.5},
        // Forms that strtod would take and this must not.
        NumberCase{GbkText("0x1A"), 0}, NumberCase{GbkText("inf"), 0}, NumberCase{GbkText("nan"), 0},
        NumberCase{GbkText("infinity"), 0}, NumberCase{GbkText("-nan"), 0},
        // Full-width forms fold to ASCII.
        NumberCase{gbk("１２．５"), 12.5}, NumberCase{gbk("－３"), -3}, NumberCase{gbk("　４"), 4},
        NumberCase{gbk("１ｅ２"), 100}, NumberCase{gbk("１２３４５６７８９０"), 1234567890},
        NumberCase{GbkText("3\xA3\xA0"), 3},  // A3 A0 is outside the folded range
        NumberCase{GbkText("\xB0\xA1" "5"), 0}, NumberCase{GbkText("5\xB0"), 5},
        NumberCase{GbkText("\xB0" "5"), 0},  // the 5 is the second byte of a character
        // Out of the range of a double.
        NumberCase{GbkText("1e400"), kHuge}, NumberCase{GbkText("-1e400"), -kHuge},
        NumberCase{GbkText("1e-400"), 0}, NumberCase{GbkText("0e99999"), 0},
        NumberCase{GbkText("0.001e99999999999999999999"), kHuge},
        NumberCase{GbkText("123456789012345678901234567890"), 1.2345678901234568e29}));

TEST(ToNumber, AVeryLongNumberIsReadWhole) {
    std::string digits = "1" + std::string(400, '0');
    EXPECT_EQ(gbk_to_number(GbkText(digits)), kHuge);
    EXPECT_DOUBLE_EQ(gbk_to_number(GbkText("0." + std::string(300, '0') + "1e301")), 1.0);
}

TEST(RealToInt, TruncatesTowardZeroAndClamps) {
    EXPECT_EQ(real_to_int(3.9), 3);
    EXPECT_EQ(real_to_int(-3.9), -3);
    EXPECT_EQ(real_to_int(gbk_to_number(GbkText("10.9"))), 10);
    EXPECT_EQ(real_to_int(2147483647.9), INT_MAX);
    EXPECT_EQ(real_to_int(-2147483648.9), INT_MIN);
    EXPECT_EQ(real_to_int(1e100), INT_MAX);
    EXPECT_EQ(real_to_int(-1e100), INT_MIN);
    EXPECT_EQ(real_to_int(kHuge), INT_MAX);
    EXPECT_EQ(real_to_int(std::nan("")), 0);
}

TEST(NumberToText, Integers) {
    EXPECT_EQ(int_to_gbk(0), GbkText("0"));
    EXPECT_EQ(int_to_gbk(-12), GbkText("-12"));
    EXPECT_EQ(int_to_gbk(1375), GbkText("1375"));
    EXPECT_EQ(int_to_gbk(INT64_MIN), GbkText("-9223372036854775808"));
    EXPECT_EQ(int_to_gbk(INT64_MAX), GbkText("9223372036854775807"));
}

TEST(NumberToText, RealsUseThirteenSignificantDigits) {
    struct {
        double value;
        const char* expected;
    } cases[] = {{3.5, "3.5"},       {12.345678, "12.345678"}, {60.0, "60"},         {0.016, "0.016"},
                 {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.3333333333333"}, {12.0, "12"},   {0.0, "0"},
                 {-2.5, "-2.5"},     {1e13, "1e+13"},         {1234567890123.0, "1234567890123"},
                 {0.0001, "0.0001"}, {0.00001, "1e-05"},       {9999999999999.5, "1e+13"}};
    for (const auto& c : cases) EXPECT_EQ(real_to_gbk(c.value), GbkText(c.expected)) << c.value;
}

TEST(NumberToText, RealsMatchPrintfGeneralFormat) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 2000; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.13g", value);
        ASSERT_EQ(real_to_gbk(value), GbkText(expected)) << value;
    }
}

TEST(NumberToText, HexAndSingleBytes) {
    EXPECT_EQ(byte_to_hex(0), GbkText("0"));
    EXPECT_EQ(byte_to_hex(7), GbkText("7"));
    EXPECT_EQ(byte_to_hex(10), GbkText("A"));
    EXPECT_EQ(byte_to_hex(255), GbkText("FF"));
    EXPECT_EQ(byte_to_hex(256), GbkText("100"));
    EXPECT_EQ(byte_to_hex(-1), GbkText("FFFFFFFF"));
    EXPECT_EQ(byte_to_hex(INT_MIN), GbkText("80000000"));

    EXPECT_EQ(gbk_from_byte(65), GbkText("A"));
    EXPECT_EQ(gbk_from_byte(0xB0), GbkText("\xB0"));
    EXPECT_EQ(gbk_from_byte(0), GbkText());
}

}  // namespace
}  // namespace lanyi
