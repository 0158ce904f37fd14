// The lenient number reader: always a finite value; blanks before the text, a letter after
// it and a minus sign in front behave as the reading rule says; the two-decimal text of a
// value reads back within half a penny and shows the same again; whole numbers agree.

#include <cmath>
#include <limits>

#include "core/text.h"
#include "fuzz/folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double v = ReadNumber(text);
    FUZZ_CHECK(std::isfinite(v));
    if (const auto finite = ReadFiniteNumber(text)) FUZZ_CHECK(*finite == v);

    FUZZ_CHECK(ReadNumber(" \t " + text) == v);
    FUZZ_CHECK(ReadNumber(text + "x") == v);
    if (!text.empty() && text[0] != ' ' && text[0] != '\t' && text[0] != '+' && text[0] != '-') {
        FUZZ_CHECK(ReadNumber("-" + text) == -v);
    }

    if (std::fabs(v) < 1e12) {
        const std::string shown = FixedText(v, 2);
        const double back = ReadNumber(shown);
        FUZZ_CHECK(std::fabs(back - v) <= 0.005 + 1e-9 * std::fabs(v));
        FUZZ_CHECK(FixedText(back, 2) == shown);
    }

    const double whole = std::trunc(v);
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    FUZZ_CHECK(ReadWholeNumber(text) == static_cast<int>(std::clamp(whole, lo, hi)));
    if (const auto strict = ReadWholeNumber(text, WholeNumberForm{})) {
        if (*strict > -(1LL << 53) && *strict < (1LL << 53)) {
            FUZZ_CHECK(static_cast<double>(*strict) == v);
        }
    }
    return 0;
}
