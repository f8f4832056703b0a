#include "common/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace vk7 {
namespace {

int64_t saturate(double r) {
    if (std::isnan(r)) return 0;
    if (r >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
    if (r <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Every conversion below goes through std::to_chars / std::from_chars, which use '.' and
// no grouping whatever locale the process runs under (a Russian desktop makes the C
// library's printf and strtod use ','), so a file written anywhere reads back the same.

// `v` in the given format and precision; the text of the shortest exact form is at most
// about 330 characters for any finite double and a precision of at most 100.
std::string charsOf(double v, std::chars_format format, int precision) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, format, std::min(precision, 100));
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
}

// Text of `v` with `decimals` digits; "-0.00" becomes "0.00".
std::string fixedDigits(double v, int decimals) {
    if (!std::isfinite(v)) v = 0;
    if (decimals < 0) decimals = 0;
    std::string s = charsOf(v, std::chars_format::fixed, decimals);
    if (!s.empty() && s[0] == '-') {
        bool allZero = true;
        for (size_t i = 1; i < s.size(); ++i)
            if (s[i] != '0' && s[i] != '.') allZero = false;
        if (allZero) s.erase(0, 1);
    }
    return s;
}

}  // namespace

int64_t roundHalfEven(double v) { return saturate(std::nearbyint(v)); }

int64_t wholePart(double v) { return saturate(std::trunc(v)); }

int16_t clampToInt16(int64_t v) {
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<int16_t>(v);
}

std::string padLeft(std::string_view text, int width) {
    std::string out;
    if (width > 0 && text.size() < static_cast<size_t>(width)) out.assign(width - text.size(), ' ');
    out.append(text);
    return out;
}

std::string padRight(std::string_view text, int width) {
    std::string out(text);
    if (width > 0 && out.size() < static_cast<size_t>(width)) out.append(width - out.size(), ' ');
    return out;
}

std::string cutText(std::string_view text, size_t maxChars) {
    return std::string(text.substr(0, std::min(text.size(), maxChars)));
}

std::string intText(int64_t v, int width) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return padLeft(std::string_view(buf, size_t(r.ptr - buf)), width);
}

std::string_view russianPlural(int64_t n, std::string_view one, std::string_view few, std::string_view many) {
    const uint64_t a = n < 0 ? 0 - uint64_t(n) : uint64_t(n);
    const uint64_t last = a % 10, lastTwo = a % 100;
    if (lastTwo >= 11 && lastTwo <= 14) return many;
    if (last == 1) return one;
    if (last >= 2 && last <= 4) return few;
    return many;
}

std::string countText(int64_t n, std::string_view one, std::string_view few, std::string_view many) {
    return intText(n) + " " + std::string(russianPlural(n, one, few, many));
}

std::string fixedText(double v, int width, int decimals) { return padLeft(fixedDigits(v, decimals), width); }

namespace {

constexpr int kFullExponentDigits = 4;
constexpr int kLeastSignificantDigits = 4;
// A blank or '-', one digit, the point, 'E' and the exponent's sign: the characters of the
// exponent form besides the mantissa's decimals and the exponent's digits.
constexpr int kExpFormFixedChars = 5;

// The exponent form of `v` with `decimals` digits after the point and at least `expDigits`
// exponent digits (more where the exponent needs them).
std::string expForm(double v, int decimals, int expDigits) {
    if (!std::isfinite(v)) v = 0;
    // s: d[.ddd]e(+|-)xx[x]
    const std::string s = charsOf(std::fabs(v), std::chars_format::scientific, decimals);
    const size_t e = s.find('e');
    std::string mantissa = s.substr(0, e);
    if (mantissa.find('.') == std::string::npos) mantissa += '.';
    int exponent = 0;
    if (e != std::string::npos) {
        const char* first = s.data() + e + 1;
        if (*first == '+') ++first;
        std::from_chars(first, s.data() + s.size(), exponent);
    }
    if (v == 0) exponent = 0;
    std::string out;
    out += (v < 0 && mantissa.find_first_not_of("0.") != std::string::npos) ? '-' : ' ';
    out += mantissa;
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    const std::string digits = intText(std::abs(exponent), 0);
    out.append(digits.size() < static_cast<size_t>(expDigits) ? static_cast<size_t>(expDigits) - digits.size() : 0, '0');
    out += digits;
    return out;
}

// The number of exponent digits of an exponent form.
int exponentDigits(std::string_view text) {
    return static_cast<int>(text.size() - text.find_last_of("+-") - 1);
}

}  // namespace

std::string expText(double v, int width) {
    // Four exponent digits leave width - 8 significant digits.
    if (width - 8 >= kLeastSignificantDigits) return expForm(v, width - 9, kFullExponentDigits);
    // Narrower: as few exponent digits as the value needs, the rest for the mantissa. Rounding
    // may carry into one more exponent digit (9.99996E+9 -> 1.0000E+10), which takes a decimal.
    for (int expDigits = 1;; ++expDigits) {
        const int decimals = std::max(kLeastSignificantDigits - 1, width - kExpFormFixedChars - expDigits);
        const std::string text = expForm(v, decimals, 1);
        if (exponentDigits(text) <= expDigits || expDigits >= 3) return expForm(v, decimals, expDigits);
    }
}

std::string fixedOrExpText(double v, int width, int decimals) {
    if (std::isfinite(v) && std::fabs(v) >= 100000.0) return expText(v, width);
    return fixedText(v, width, decimals);
}

std::string expTextWithin(double v, int width) {
    std::string text = expText(v, width);
    if (text.size() <= static_cast<size_t>(width)) return text;
    // A positive value gives its leading blank to the digits first.
    if (text[0] == ' ' && text.size() == static_cast<size_t>(width) + 1) return text.substr(1);
    // Then fewer significant digits: the most that fit.
    for (int decimals = kLeastSignificantDigits - 2; decimals >= 0; --decimals) {
        text = expForm(v, decimals, 1);
        if (text[0] == ' ' && text.size() > static_cast<size_t>(width)) text.erase(0, 1);
        if (text.size() <= static_cast<size_t>(width)) return text;
    }
    return text;
}

std::string_view trimBlanks(std::string_view t) {
    size_t b = 0;
    while (b < t.size() && (t[b] == ' ' || t[b] == '\t')) ++b;
    size_t e = t.size();
    while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t')) --e;
    return t.substr(b, e - b);
}

namespace {

// The longest valid leading number of a trimmed text, as a text from_chars reads ("-12.5e3"),
// with ',' taken for '.'; `end` is where it stops. Empty when the text starts with none.
std::string scanLeadingNumber(std::string_view t, size_t& end) {
    std::string num;
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
    size_t intDigits = 0, fracDigits = 0;
    while (i < t.size() && isDigit(t[i])) {
        num += t[i++];
        ++intDigits;
    }
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
        size_t save = i;
        std::string frac = ".";
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            frac += t[i++];
            ++fracDigits;
        }
        if (intDigits == 0 && fracDigits == 0) i = save;
        else num += frac;
    }
    if (intDigits == 0 && fracDigits == 0) {
        end = 0;
        return {};
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        std::string ex = "e";
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ex += t[j++];
        size_t expDigits = 0;
        while (j < t.size() && isDigit(t[j])) {
            ex += t[j++];
            ++expDigits;
        }
        if (expDigits > 0) {
            num += ex;
            i = j;
        }
    }
    end = i;
    return num;
}

// True when the decimal number `num` (as scanLeadingNumber gives it) is 1 or more in
// magnitude: out of range then means too large, otherwise too small.
bool atLeastOne(std::string_view num) {
    size_t i = (num[0] == '+' || num[0] == '-') ? 1 : 0;
    int64_t position = 0;  // one more than the power of ten of the first non-zero digit
    bool seen = false, afterPoint = false;
    for (; i < num.size() && num[i] != 'e'; ++i) {
        const bool zero = num[i] == '0';
        if (num[i] == '.') afterPoint = true;
        else if (!afterPoint && (seen || !zero)) ++position;
        else if (afterPoint && !seen && zero) --position;
        if (!zero && num[i] != '.') seen = true;
    }
    if (!seen) return false;
    int64_t exponent = 0;
    if (i < num.size()) {
        bool negative = false;
        size_t j = i + 1;
        if (j < num.size() && (num[j] == '+' || num[j] == '-')) negative = num[j++] == '-';
        for (; j < num.size(); ++j) exponent = std::min<int64_t>(exponent * 10 + (num[j] - '0'), 1000000);
        if (negative) exponent = -exponent;
    }
    return position + exponent > 0;
}

// The value of a number text from scanLeadingNumber; std::nullopt when it is too large for
// a double. A value too small for one reads as 0.
std::optional<double> valueOf(const std::string& num) {
    const char* first = num.data();
    if (*first == '+') ++first;
    double v = 0;
    const auto r = std::from_chars(first, num.data() + num.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        if (atLeastOne(num)) return std::nullopt;
        return num[0] == '-' ? -0.0 : 0.0;
    }
    if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

double parseLenient(std::string_view text) {
    size_t end = 0;
    const std::string num = scanLeadingNumber(trimBlanks(text), end);
    if (num.empty()) return 0.0;
    return valueOf(num).value_or(0.0);
}

std::optional<double> parseStrictReal(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    size_t end = 0;
    const std::string num = scanLeadingNumber(t, end);
    if (num.empty() || end != t.size()) return std::nullopt;
    return valueOf(num);
}

int64_t parseLenientInt(std::string_view text) { return wholePart(parseLenient(text)); }

std::optional<int64_t> parseStrictInt(std::string_view text) {
    std::string_view t = trimBlanks(text);
    if (t.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return std::nullopt;
    uint64_t value = 0;
    const uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                    : uint64_t(std::numeric_limits<int64_t>::max());
    for (; i < t.size(); ++i) {
        if (!isDigit(t[i])) return std::nullopt;
        const uint64_t digit = uint64_t(t[i] - '0');
        if (value > (limit - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (negative) return value == limit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
    return static_cast<int64_t>(value);
}

std::string roundTripText(double v) {
    if (!std::isfinite(v)) return "0";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

}  // namespace vk7
