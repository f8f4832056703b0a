// Number texts: the readers take any text; what the writers write reads back as the value
// within the rounding of the form, and the exponent form keeps four significant digits.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>

#include "common/number_text.h"
#include "fuzz/fuzz_support.h"

using namespace vk7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double lenient = parseLenient(text);
    FUZZ_CHECK(std::isfinite(lenient));
    if (const auto strict = parseStrictReal(text)) {
        FUZZ_CHECK(std::isfinite(*strict));
        FUZZ_CHECK(lenient == *strict || (*strict == 0 && lenient == 0));
    }
    if (const auto integer = parseStrictInt(text)) {
        const auto real = parseStrictReal(text);
        FUZZ_CHECK(real.has_value() && *real == static_cast<double>(*integer));
    }
    parseLenientInt(text);

    FuzzedDataProvider in(data, size);
    double v = 0;
    if (in.remaining_bytes() >= sizeof v) {
        const auto bytes = in.ConsumeBytes<uint8_t>(sizeof v);
        std::memcpy(&v, bytes.data(), sizeof v);
    }
    const int width = in.ConsumeIntegralInRange(0, 30);
    const int decimals = in.ConsumeIntegralInRange(0, 12);
    const double shown = std::isfinite(v) ? v : 0;

    const std::string fixed = fixedText(v, width, decimals);
    FUZZ_CHECK(fixed.size() >= static_cast<size_t>(width));
    FUZZ_CHECK(fixed.find(',') == std::string::npos);
    const auto fixedBack = parseStrictReal(fixed);
    FUZZ_CHECK(fixedBack.has_value());
    FUZZ_CHECK(std::fabs(*fixedBack - shown) <= 0.5 * std::pow(10.0, -decimals) + std::fabs(shown) * 1e-15);

    // The exponent form: its width from 12 on; narrower fields at least four significant
    // digits, the text wider only where the width cannot hold them.
    const std::string exp = expText(v, width);
    if (width >= 12) FUZZ_CHECK(exp.size() == static_cast<size_t>(width));
    FUZZ_CHECK(exp.size() >= static_cast<size_t>(width));
    const size_t point = exp.find('.'), e = exp.find('E');
    FUZZ_CHECK(point != std::string::npos && e != std::string::npos && e > point);
    const double digits = static_cast<double>(e - point - 1);
    FUZZ_CHECK(digits >= 3);
    if (width < 12 && digits > 3) FUZZ_CHECK(exp.size() == static_cast<size_t>(width));
    if (std::fabs(shown) < 1e300) {
        const auto expBack = parseStrictReal(exp);
        FUZZ_CHECK(expBack.has_value());
        FUZZ_CHECK(std::fabs(*expBack - shown) <= std::fabs(shown) * (5 * std::pow(10.0, -digits - 1) + 1e-15) + 1e-300);
    }
    const std::string within = expTextWithin(v, width);
    if (width >= 8) FUZZ_CHECK(within.size() <= static_cast<size_t>(width));

    const std::string mixed = fixedOrExpText(v, width, decimals);
    FUZZ_CHECK(parseStrictReal(mixed).has_value() || std::fabs(shown) >= 1e300);
    FUZZ_CHECK(intText(static_cast<int64_t>(width) - 15, width).size() >= static_cast<size_t>(width));
    return 0;
}
