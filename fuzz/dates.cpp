// The date reader: whatever the text, a date read is 0 or a real day that reads back from
// its own text; and every day the files can hold reads back from its text.

#include "core/dates.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

#include "fuzz/folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    FuzzedDataProvider in(data, size);
    const std::chrono::year year{in.ConsumeIntegralInRange<int>(1900, 2200)};
    const double day = in.ConsumeIntegralInRange<int>(1, 2958465);  // to 31/12/9999
    const std::string text = in.ConsumeRemainingBytesAsString();

    FUZZ_CHECK(ParseDate(FormatDate(day), year) == day);
    FUZZ_CHECK(ToDayNumber(FromDayNumber(day)) == day);

    const double read = ParseDate(text, year);
    FUZZ_CHECK(std::isfinite(read) && read == std::trunc(read));
    if (read != 0) {
        // Years of three or four digits are taken as they stand: 0000 to 9999.
        const double first = ToDayNumber(std::chrono::year{0} / 1 / 1);
        FUZZ_CHECK(read >= first && read <= 2958465);
        FUZZ_CHECK(ParseDate(FormatDate(read), year) == read);
        // Blanks around the text change nothing.
        FUZZ_CHECK(ParseDate(" " + text + " ", year) == read);
    }
    return 0;
}
