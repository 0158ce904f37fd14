// The data folder that the real program makes, read as raw bytes rather than through the
// record structs, so a layout mistake in the structs cannot hide itself.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/fixture.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

double DoubleAt(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | b[at + i];
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

std::int32_t IntAt(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = u << 8 | b[at + i];
    return static_cast<std::int32_t>(u);
}

std::string TextAt(const std::vector<unsigned char>& b, std::size_t at, std::size_t width) {
    const std::size_t n = b[at];
    EXPECT_LE(n, width) << "length byte at " << at;
    return std::string(b.begin() + at + 1, b.begin() + at + 1 + std::min(n, width));
}

class NewDataFolder : public testing::ProgramFolderTest {};

TEST_F(NewDataFolder, ProgramMakesAFileSetWithTheExactLayouts) {
    // The real program starts on the folder "Hill", which it makes, and is left at sign-on.
    const std::string command = (fs::path(TESSARY_BIN_DIR) / "tessary-script").string() +
                                " --program-folder " + program.string() + " - Hill < /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const fs::path data = program / "Hill";

    for (const char* empty : {"memacc.d32", "memlog.d32", "nomlog.d32", "syslog.d32"}) {
        EXPECT_EQ(fs::file_size(data / empty), 0u) << empty;
    }

    auto sys = testing::ReadBytes(data / "sys.d32");
    ASSERT_EQ(sys.size(), 348u);
    for (std::size_t i = 0; i < sys.size(); ++i) sys[i] ^= static_cast<unsigned char>(i + 1);
    EXPECT_EQ(TextAt(sys, 0, 30), "New Credit Union");
    EXPECT_EQ(DoubleAt(sys, 32), 1.0);     // InterestRate
    EXPECT_EQ(IntAt(sys, 40), 1);          // InterestMethod
    EXPECT_EQ(IntAt(sys, 44), 1);          // PeriodNumber
    EXPECT_EQ(DoubleAt(sys, 48), 5000.0);  // MaxInsuredShares
    EXPECT_EQ(DoubleAt(sys, 56), 5000.0);  // MaxInsuredLoan
    EXPECT_EQ(TextAt(sys, 64, 3), "ADM");  // slot 1 code
    EXPECT_EQ(TextAt(sys, 124, 8), "TESSARY");
    EXPECT_EQ(IntAt(sys, 260), 1);  // slot 1 level: System Controller
    for (std::size_t slot = 1; slot < 15; ++slot) {
        EXPECT_EQ(TextAt(sys, 124 + 9 * slot, 8), "") << "slot " << slot + 1;
    }
    EXPECT_EQ(IntAt(sys, 320), 0);       // ConsistencyTotal matches the empty logs
    EXPECT_EQ(DoubleAt(sys, 328), 0.0);  // LastPostingDate
    EXPECT_EQ(DoubleAt(sys, 336), 0.0);  // LastPeriodEndDate
    EXPECT_EQ(sys[344], 'A');            // BackupDrive

    const auto chart = testing::ReadBytes(data / "nomacc.d32");
    ASSERT_EQ(chart.size(), 160u * 60u);
    const auto name = [&](int account) { return TextAt(chart, 60 * account + 32, 24); };
    EXPECT_EQ(name(0), "Cash at Bank");
    EXPECT_EQ(name(80), "Undivided Earnings");
    int named = 0;
    for (int a = 0; a < 160; ++a) {
        EXPECT_EQ(DoubleAt(chart, 60 * a), 0.0) << a;  // a new ledger holds no balances
        if (!name(a).empty()) ++named;
    }
    // Every band of the plan has accounts in use.
    for (int band : {20, 40, 60, 80, 100, 120}) EXPECT_FALSE(name(band).empty()) << band;
    EXPECT_GT(named, 30);
    EXPECT_EQ(DoubleAt(chart, 60 * 122 + 24), 1200.0);  // Rent and Rates budget
}

}  // namespace
}  // namespace tessary
