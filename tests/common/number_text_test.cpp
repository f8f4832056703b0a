#include "common/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "common/cp1251.h"

namespace vk7 {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    struct Case { double v; int64_t want; };
    for (auto c : {Case{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.49999, 0}, {4.3066, 4}, {185.76, 186}, {1e30, INT64_MAX}}) {
        EXPECT_EQ(roundHalfEven(c.v), c.want) << c.v;
    }
    EXPECT_EQ(wholePart(-2.9), -2);
    EXPECT_EQ(wholePart(2.9), 2);
}

TEST(FixedText, RightAlignsAndNeverCuts) {
    struct Case { double v; int w; int d; const char* want; };
    for (auto c : {Case{5, 8, 2, "    5.00"}, {1234567.5, 8, 2, "1234567.50"}, {-0.001, 8, 2, "    0.00"},
                   {0.125, 0, 2, "0.12"}, {0.375, 0, 2, "0.38"}, {-12.34, 7, 3, "-12.340"}, {3.0, 7, 3, "  3.000"}}) {
        EXPECT_EQ(fixedText(c.v, c.w, c.d), c.want) << c.v;
    }
    EXPECT_EQ(intText(42, 4), "  42");
    EXPECT_EQ(intText(-12345, 4), "-12345");
}

TEST(ExpText, FourExponentDigitsWhereTheFieldHoldsFourSignificantDigitsWithThem) {
    struct Case { double v; int w; const char* want; };
    for (auto c : {// The files' wide fields keep their bytes.
                   Case{123.456, 17, " 1.23456000E+0002"}, {-0.000123, 17, "-1.23000000E-0004"},
                   {0, 17, " 0.00000000E+0000"}, {1.0, 23, " 1.00000000000000E+0000"}, {123456.7, 12, " 1.235E+0005"},
                   // Narrower fields: as few exponent digits as the value needs.
                   {123456.7, 10, " 1.2346E+5"}, {123456.7, 9, " 1.235E+5"}, {-123456.7, 10, "-1.2346E+5"},
                   {2.0, 10, " 2.0000E+0"}, {0, 10, " 0.0000E+0"}, {1e30, 10, " 1.000E+30"}, {-0.0625, 10, "-6.2500E-2"},
                   {1.5e-300, 11, " 1.500E-300"},
                   // Rounding that carries into one more exponent digit.
                   {9.99996e9, 10, " 1.000E+10"}, {9.99999999, 10, " 1.0000E+1"},
                   // Too narrow for four significant digits: wider.
                   {123456.7, 8, " 1.235E+5"}, {-1.5e30, 9, "-1.500E+30"}, {1.5e-300, 10, " 1.500E-300"}}) {
        EXPECT_EQ(expText(c.v, c.w), c.want) << c.v << " in " << c.w;
    }
    EXPECT_EQ(fixedOrExpText(99999.9, 10, 1), "   99999.9");
    EXPECT_EQ(fixedOrExpText(100000, 10, 1), " 1.0000E+5");
}

// Every width the files and tables use, every magnitude a value can take: the text holds
// the field (from 12 columns exactly; narrower ones wherever four significant digits fit)
// and reads back within 0.05 %.
TEST(ExpText, ReadsBackWithinFourSignificantDigitsAtEveryWidth) {
    const double magnitudes[] = {1e5,      123456.7, 9.87654321e6, 5.55555e9,  1e10,   3.3333333e15, 1e30, 7.6543e99,
                                 1.2e100,  4.4e200,  1.79e308,     0.000123456, 6.02e-10, 2.5e-30,   1.5e-300, 4.9e-324};
    for (int width : {8, 9, 10, 12, 17, 23})
        for (double m : magnitudes)
            for (double v : {m, -m}) {
                const std::string text = expText(v, width);
                SCOPED_TRACE(testing::Message() << v << " in " << width << ": \"" << text << '"');
                const auto back = parseStrictReal(text);
                ASSERT_TRUE(back.has_value());
                // The smallest subnormal has no four significant digits of its own.
                if (std::fabs(v) > 1e-300) {
                    EXPECT_LE(std::fabs(*back - v), std::fabs(v) * 5e-4);
                }
                const size_t point = text.find('.'), e = text.find('E');
                EXPECT_GE(e - point - 1, 3u);  // four significant digits
                if (width >= 12) {
                    EXPECT_EQ(text.size(), size_t(width));
                }
                if (width == 10 && std::fabs(v) < 1e100 && std::fabs(v) >= 1e-99) {
                    EXPECT_EQ(text.size(), 10u);
                }
                EXPECT_GE(text.size(), size_t(width));
            }
}

TEST(ExpTextWithin, KeepsTheFieldAndAsManyDigitsAsFit) {
    struct Case { double v; int w; const char* want; };
    for (auto c : {Case{123456, 10, " 1.2346E+5"}, {123456, 9, " 1.235E+5"},
                   {123456, 8, "1.235E+5"},     // the blank gives way to a digit
                   {-123456, 8, "-1.23E+5"},    // a sign cannot: three digits
                   {1.5e30, 9, "1.500E+30"}, {-1.5e100, 10, "-1.50E+100"}, {2.5e11, 8, "2.50E+11"},
                   {-1.5e100, 8, "-1.E+100"}}) {
        EXPECT_EQ(expTextWithin(c.v, c.w), c.want) << c.v << " in " << c.w;
    }
    EXPECT_EQ(expTextWithin(123456, 6), "1.2E+5");
    EXPECT_EQ(expTextWithin(-1.7e100, 6), "-2.E+100");  // nothing fits: the shortest form
}

TEST(ParseLenient, TakesTheLongestLeadingNumber) {
    struct Case { const char* text; double want; };
    for (auto c : {Case{"  12.5 ", 12.5}, {"12,5", 12.5}, {"-3", -3}, {"+4.", 4}, {".5", 0.5}, {"12.5abc", 12.5},
                   {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"1e3", 1000}, {"1e", 1}, {"1.E+0005", 100000},
                   {"inf", 0}, {"nan", 0}, {"0x1A", 0}, {"1e999", 0}, {"21.533203125", 21.533203125}}) {
        EXPECT_DOUBLE_EQ(parseLenient(c.text), c.want) << c.text;
    }
    EXPECT_EQ(parseLenientInt("12.9"), 12);
    EXPECT_EQ(parseLenientInt("-12.9"), -12);
}

TEST(ParseStrictReal, WholeTextMustBeOneNumber) {
    struct Case { const char* text; double want; };
    for (auto c : {Case{" 12.5 ", 12.5}, {"12,5", 12.5}, {"-0.02", -0.02}, {"+4.", 4}, {".5", 0.5}, {"2e3", 2000},
                   {"1.E+0005", 100000}, {"21.533", 21.533}})
        EXPECT_DOUBLE_EQ(parseStrictReal(c.text).value_or(-999), c.want) << c.text;
    for (const char* bad : {"", " ", "12.5abc", "abc", "-", ".", "1e", "1 2", "2:5", "inf", "nan", "1e999", "0x1A"})
        EXPECT_FALSE(parseStrictReal(bad).has_value()) << bad;
}

TEST(ParseReal, TooLargeIsRefusedAndTooSmallIsZero) {
    EXPECT_FALSE(parseStrictReal("1e400").has_value());
    EXPECT_FALSE(parseStrictReal("-123456.7e307").has_value());
    EXPECT_EQ(parseLenient("1e400"), 0.0);
    for (const char* tiny : {"1e-400", "-0.0001e-320", "0.000e500", "123e-99999999999999"})
        EXPECT_EQ(parseStrictReal(tiny).value_or(-1), 0.0) << tiny;
    EXPECT_DOUBLE_EQ(parseStrictReal("0.00123e3").value_or(-1), 1.23);
}

// A Russian desktop makes the C library write and read numbers with ','. Every number
// text must still use '.', read back the same, and keep its width.
TEST(NumberTexts, IgnoreTheProcessLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8")) GTEST_SKIP() << "ru_RU.UTF-8 is not generated on this machine";
    EXPECT_EQ(fixedText(21.533203125, 0, 12), "21.533203125000");
    EXPECT_EQ(fixedText(0.5, 5, 2), " 0.50");
    EXPECT_EQ(expText(123.5, 17), " 1.23500000E+0002");
    EXPECT_EQ(expText(-0.0625, 10), "-6.2500E-2");
    EXPECT_EQ(intText(-1234567, 9), " -1234567");
    EXPECT_EQ(parseLenient("21.533203125"), 21.533203125);
    EXPECT_EQ(parseLenient("0.50"), 0.5);
    EXPECT_EQ(parseStrictReal(" 1.23500000E+0002").value_or(0), 123.5);
    EXPECT_EQ(parseStrictReal("0,25").value_or(0), 0.25);
    std::setlocale(LC_ALL, before.c_str());
}

TEST(ParseStrictInt, AcceptsOnlyIntegers) {
    EXPECT_EQ(parseStrictInt(" 180 "), 180);
    EXPECT_EQ(parseStrictInt("-7"), -7);
    EXPECT_EQ(parseStrictInt("+7"), 7);
    EXPECT_EQ(parseStrictInt("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseStrictInt("-9223372036854775808"), INT64_MIN);
    for (const char* bad : {"", " ", "1.0", "12a", "1 2", "+", "99999999999999999999", "0x10"})
        EXPECT_FALSE(parseStrictInt(bad).has_value()) << bad;
}

TEST(RussianPlural, TheFormFollowsTheLastTwoDigits) {
    struct Case { int64_t n; const char* want; };
    const Case cases[] = {
        {0, "0 точек"},     {1, "1 точка"},     {2, "2 точки"},       {4, "4 точки"},      {5, "5 точек"},
        {10, "10 точек"},   {11, "11 точек"},   {12, "12 точек"},     {14, "14 точек"},    {15, "15 точек"},
        {20, "20 точек"},   {21, "21 точка"},   {22, "22 точки"},     {24, "24 точки"},    {25, "25 точек"},
        {100, "100 точек"}, {101, "101 точка"}, {111, "111 точек"},   {112, "112 точек"},  {121, "121 точка"},
        {1004, "1004 точки"}, {1011, "1011 точек"}, {-1, "-1 точка"}, {-12, "-12 точек"},
        {INT64_MIN, "-9223372036854775808 точек"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(countText(c.n, RU("точка"), RU("точки"), RU("точек")), toCp1251(c.want)) << c.n;
    EXPECT_EQ(russianPlural(21, "a", "b", "c"), "a");
    EXPECT_EQ(russianPlural(13, "a", "b", "c"), "c");
}

}  // namespace
}  // namespace vk7
