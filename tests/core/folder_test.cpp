#include "core/folder.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

FolderChoice Choose(const std::string& argument) {
    return ChooseFolderName({argument});
}

TEST(FolderName, DefaultPatchAndTrainerKeepTheirMeaning) {
    const FolderChoice none = ChooseFolderName({});
    EXPECT_TRUE(none.ok());
    EXPECT_EQ(none.folder, "CU1");
    EXPECT_FALSE(none.patch);
    for (const char* patch : {"patch", "PaTcH", "PATCH"}) {
        const FolderChoice c = Choose(patch);
        EXPECT_TRUE(c.ok()) << patch;
        EXPECT_EQ(c.folder, "CU1") << patch;
        EXPECT_TRUE(c.patch) << patch;
    }
    // Only the whole word selects patch mode.
    EXPECT_EQ(Choose("patches").folder, "patches");
    EXPECT_FALSE(Choose("patches").patch);
    EXPECT_EQ(Choose("TRAINER").folder, "TRAINER");
    EXPECT_EQ(Choose("CU2").folder, "CU2");
    // Only the first argument counts.
    EXPECT_EQ(ChooseFolderName({"CU2", "../x"}).folder, "CU2");
}

TEST(FolderName, KeepsTheFirstEightCharactersWithoutSplittingOne) {
    EXPECT_EQ(Choose("ABCDEFGHIJ").folder, "ABCDEFGH");
    EXPECT_EQ(Choose("ABCDEFGH").folder, "ABCDEFGH");
    // Two-byte letters: eight of them are sixteen bytes.
    EXPECT_EQ(Choose("ÄÖÜäöüßéè").folder, "ÄÖÜäöüßé");
    // A two-byte letter in the eighth place is kept whole, not cut after its first byte.
    EXPECT_EQ(Choose("ABCDEFGé12").folder, "ABCDEFGé");
    // Three- and four-byte characters.
    EXPECT_EQ(Choose("€€€€€€€€€").folder, "€€€€€€€€");
    EXPECT_EQ(Choose("Kasse😀123456").folder, "Kasse😀12");
    // Dots and blanks inside a name are ordinary characters.
    EXPECT_EQ(Choose("...x").folder, "...x");
    EXPECT_EQ(Choose("CU 2").folder, "CU 2");
}

TEST(FolderName, RefusesNamesOutsideTheProgramFolderOrUnfitForOne) {
    const std::string refused[] = {
        "",
        ".",
        "..",
        "../x",
        "a/b",
        "/tmp",
        "abcdefghij/x",  // beyond the eighth character
        "a\\b",
        "..\\x",
        "-x",
        "--help",
        "-",
        std::string("a\tb"),
        std::string("ab\n"),
        std::string("a\x1b[31m"),
        std::string("a\x7f"),
        std::string("a\0b", 3),
        "\xc3",              // a lone lead byte
        "ab\xc3(",           // lead byte without its continuation
        "\x80\x80",          // continuation bytes alone
        "\xc0\xaf",          // overlong "/"
        "\xed\xa0\x80",      // a surrogate
        "\xf4\x90\x80\x80",  // beyond U+10FFFF
        "abcdefgh\xff",      // beyond the eighth character
    };
    for (const std::string& argument : refused) {
        const FolderChoice c = Choose(argument);
        EXPECT_FALSE(c.ok()) << "accepted: " << argument;
        EXPECT_FALSE(c.error.empty());
    }
}

TEST(FolderName, RefusalsSayWhyAndQuoteTheNameSafely) {
    EXPECT_EQ(Choose("../x").error,
              "\"../x\" cannot name the data folder: it holds \"/\" or \"\\\"");
    EXPECT_EQ(Choose("").error, "\"\" cannot name the data folder: it is empty");
    EXPECT_EQ(Choose("..").error,
              "\"..\" cannot name the data folder: it is the program folder or the one above it");
    EXPECT_EQ(Choose("-x").error,
              "\"-x\" cannot name the data folder: it starts with \"-\" like an option");
    // Control characters and malformed bytes are never written back to the terminal.
    EXPECT_EQ(Choose("a\x1b[2Jb").error,
              "\"a?[2Jb\" cannot name the data folder: it holds a control character");
    EXPECT_EQ(Choose("é\xff").error,
              "\"é?\" cannot name the data folder: it is not valid UTF-8 text");
}

TEST(FolderName, ARefusedArgumentLeavesTheRunStateAsItWas) {
    RunState state;
    EXPECT_EQ(ChooseFolder(state, {"patch"}), "");
    EXPECT_TRUE(state.PatchMode);
    EXPECT_EQ(ChooseFolder(state, {"CU2"}), "");
    EXPECT_EQ(state.FolderName, "CU2");
    EXPECT_FALSE(state.PatchMode);
    EXPECT_NE(ChooseFolder(state, {"../x"}), "");
    EXPECT_EQ(state.FolderName, "CU2");
    EXPECT_FALSE(state.PatchMode);
}

}  // namespace
}  // namespace tessary
