// The member interchange engine: the field splitter, export lines, import into a data folder
// with its stops, and the transaction file reader; files read back byte for byte.

#include "members/interchange.h"

#include <cstdlib>

#include "core/dates.h"
#include "members/datafolder.h"

namespace tessary {
namespace {

using testing::DataFolderTest;
using testing::ReadBytes;

std::vector<std::string> Fields(std::string line, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(NextCsvField(line));
    out.push_back(line);  // what is left
    return out;
}

TEST(NextCsvField, SplitsPlainQuotedEmptyAndUnclosedFields) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Fields("12,abc,,x", 4), (V{"12", "abc", "", "x", ""}));
    // A quoted field keeps commas and blanks; the character after the quote is dropped.
    EXPECT_EQ(Fields("\"a, b \",\"c\"", 2), (V{"a, b ", "c", ""}));
    EXPECT_EQ(Fields("\"a\"X,b", 2), (V{"a", "", "b"}));
    // No closing quote: empty field, the text after the quote starts the next one.
    EXPECT_EQ(Fields("\"abc,def", 2), (V{"", "abc", "def"}));
    EXPECT_EQ(Fields("", 2), (V{"", "", ""}));
}

TEST(TextLines, AcceptsCrLfLfAndALastLineWithoutEnd) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(TextLines("a\r\nb\nc"), (V{"a", "b", "c"}));
    EXPECT_EQ(TextLines("a\r\n\r\nb\r\n"), (V{"a", "", "b"}));
    EXPECT_EQ(TextLines(""), V{});
}

class Interchange : public DataFolderTest {
  protected:
    std::string Export() {
        std::string text;
        EXPECT_EQ(ExportMembers(state, text), 0);
        return text;
    }
    ImportResult Import(std::string_view text) { return ImportMembers(state, text); }
    int MemberCountOnDisc() {
        return static_cast<int>(ReadBytes(Data("memacc.d32")).size() / kMemberRecordSize);
    }
    void AddFreeMembers(int count) {
        for (int i = 0; i < count; ++i) AddMember("*");
    }
};

TEST_F(Interchange, ExportSkipsFreeSlotsKeepsNumbersAndWritesNoLoanAsDayZero) {
    MemberRecord m;
    m.Name.set("Mary Murphy");
    m.Address1.set("1 Main St, Sligo");
    m.Phone.set("071 12345");
    m.MemberType.set("A");
    m.JoinDate.set("01/02/2020");
    // Each amount its own, so that a column written in another's place shows.
    m.Share1 = 1234.57;
    m.Share2 = -3.51;
    m.LoanBalance = 987.65;
    m.InterestDue = 14.2;
    m.LoanAmount = 1500.01;
    m.Repayment = 86.13;
    m.LoanNumber = 7;
    PutMember(1, m);
    AddMember("*");
    MemberRecord third;
    third.Name.set("John Byrne");
    third.LoanBalance = 1000;
    third.InterestDue = 5;
    third.LoanDate = Day("01/06/2026");
    third.LastPayDate = Day("01/11/2026");
    third.Frequency.set("M");
    PutMember(3, third);
    state.System.InterestMethod = 1;

    const std::string text = Export();
    const std::vector<std::string_view> lines = TextLines(text);
    ASSERT_EQ(lines.size(), 2u);
    const std::string blank30(30, ' ');
    EXPECT_EQ(lines[0],
              "    1,\"Mary Murphy                   \",\"1 Main St, Sligo              \","
              "\"" +
                  blank30 + "\",\"" + blank30 + "\",\"" + blank30 + "\",\"" + blank30 +
                  "\",\"071 12345       \",\"        \",\"A       \",\"01/02/2020\","
                  "\"          \",    1234.57,      -3.51,     987.65,      14.20,"
                  "    1500.01,      86.13,\" \",     7,30/12/1899,30/12/1899");
    EXPECT_EQ(lines[1].substr(0, 6), "    3,");
    EXPECT_NE(lines[1].find("    1000.00,       5.00,"), std::string::npos);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 32), "\"M\",     0,01/06/2026,01/11/2026");
    EXPECT_EQ(text.substr(lines[0].size(), 2), "\r\n");
}

TEST_F(Interchange, ExportQuotesTheInterestDueAsAtTheWorkingDate) {
    MemberRecord m;
    m.Name.set("Daily");
    m.LoanBalance = 36525;
    m.InterestDue = 1;
    m.LastPayDate = state.WorkingDate - 10;
    PutMember(1, m);
    state.System.InterestMethod = 2;
    state.System.InterestRate = 1;  // a day's interest on 36525 at 12% a year is 12.00
    EXPECT_NE(Export().find("   36525.00,     121.00,"), std::string::npos);
    EXPECT_EQ(GetMember(1).InterestDue, 1);  // the stored value is untouched
}

TEST_F(Interchange, ImportAppendsFreeSlotsThenFillsAnEarlierOne) {
    for (int i = 0; i < 5; ++i) AddMember("Member " + std::to_string(i + 1));
    const ImportResult r = Import(
        "10,\"Ten\",\"Road\"\r\n8,Eight,,,,,,555,pw,T,01/01/2000,"
        "02/02/1990,99.00,extra\r\n");
    EXPECT_EQ(r.message, "Import completed");
    EXPECT_EQ(r.accepted, 2);
    ASSERT_EQ(MemberCountOnDisc(), 10);
    for (int n : {6, 7, 9}) {
        MemberRecord free;
        free.Name.set("*");
        const MemberRecord got = GetMember(n);
        EXPECT_EQ(std::memcmp(&got, &free, sizeof got), 0) << n;
    }
    EXPECT_EQ(GetMember(10).Name.str(), "Ten");
    EXPECT_EQ(GetMember(10).Address1.str(), "Road");
    const MemberRecord eight = GetMember(8);
    EXPECT_EQ(eight.Name.str(), "Eight");
    EXPECT_EQ(eight.Phone.str(), "555");
    EXPECT_EQ(eight.MemberType.str(), "T");
    EXPECT_EQ(eight.BirthDate.str(), "02/02/1990");
    EXPECT_EQ(+eight.Share1, 0);  // balances are never imported
    EXPECT_EQ(GetMember(5).Name.str(), "Member 5");
}

TEST_F(Interchange, EachStopKeepsTheLinesBeforeItAndReadsNoFurther) {
    struct Case {
        std::string badLine;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"1,Taken", "Member number 1 - already in use"},
        {"2,Has shares", "Member number 2 - share or loan balances not zero"},
        {",Nobody", "Invalid member number at record 2"},
        {"", "Invalid member number at record 2"},
        {"0,Zero", "Invalid member number at record 2"},
        {"x3,Text", "Invalid member number at record 2"},
        {"100000,Too far", "Invalid member number at record 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + " for '" + c.badLine + "'");
        std::filesystem::remove(Data("memacc.d32"));
        CreateEmptyFile(Data("memacc.d32"));
        AddMember("Real");
        MemberRecord starred;
        starred.Name.set("*");
        starred.Share2 = 10;
        PutMember(2, starred);
        const ImportResult r = Import("3,Three\n" + c.badLine + "\n4,Four\n");
        EXPECT_EQ(r.message, c.message);
        EXPECT_TRUE(r.stopped);
        EXPECT_EQ(r.accepted, 1);
        ASSERT_EQ(MemberCountOnDisc(), 3);
        EXPECT_EQ(GetMember(3).Name.str(), "Three");
        EXPECT_EQ(GetMember(1).Name.str(), "Real");
        EXPECT_EQ(GetMember(2).Share2, 10);
    }
}

TEST_F(Interchange, ImportSkipsAByteOrderMarkAndKeepsNoNulByte) {
    using namespace std::string_literals;
    const ImportResult r = Import(
        "\xEF\xBB\xBF"
        "1,\"Ann\0 Walsh\",Main\0 St\r\n2\0,Tom\0\r\n"s);
    EXPECT_EQ(r.message, "Import completed");
    EXPECT_EQ(GetMember(1).Name.str(), "Ann Walsh");
    EXPECT_EQ(GetMember(1).Address1.str(), "Main St");
    EXPECT_EQ(GetMember(2).Name.str(), "Tom");
}

TEST_F(Interchange, ExportThenImportIntoAnEmptyFolderGivesTheSameRecords) {
    // Text that fills its field imports exactly (shorter text comes back blank-padded);
    // balances are never imported, so these members have none.
    const auto fill = [](char c, std::size_t width) { return std::string(width, c); };
    for (int n = 1; n <= 6; ++n) {
        MemberRecord m;
        if (n == 4) {
            m.Name.set("*");
        } else {
            const char c = static_cast<char>('a' + n);
            m.Name.set("Name \xe9" + fill(c, 24));  // a Windows-1252 e acute
            for (auto* f : {&m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5})
                f->set(fill(c, 30));
            m.Phone.set(fill('0' + static_cast<char>(n), 16));
            m.Password.set("SECRET" + fill(c, 2));
            m.MemberType.set(fill('T', 8));
            m.JoinDate.set("01/01/2001");
            m.BirthDate.set("31/12/1970");
        }
        PutMember(n, m);
    }
    const std::string text = Export();
    const std::vector<unsigned char> before = ReadBytes(Data("memacc.d32"));

    StartIn("EMPTY");
    ASSERT_EQ(ReadBytes(Data("memacc.d32")).size(), 0u);
    EXPECT_EQ(Import(text).message, "Import completed");
    EXPECT_EQ(ReadBytes(Data("memacc.d32")), before);
    std::string again;
    ASSERT_EQ(ExportMembers(state, again), 0);
    EXPECT_EQ(again, text);
}

TEST_F(Interchange, ShortTextComesBackPaddedAndExportsTheSameAgain) {
    AddMember("Mary");
    const std::string text = Export();
    StartIn("EMPTY");
    EXPECT_EQ(Import(text).message, "Import completed");
    EXPECT_EQ(GetMember(1).Name.str(), "Mary" + std::string(26, ' '));
    std::string again;
    ASSERT_EQ(ExportMembers(state, again), 0);
    EXPECT_EQ(again, text);
}

TEST(ReadTransactions, FieldsCommaRuleDatesAndTheShortLineThatEndsReading) {
    const double working = 46364;  // 08/12/2026
    const auto year = std::chrono::year{2026};
    const std::string text =
        "\xEF\xBB\xBF"
        "12,1,25.00,\r\n"  // after a byte-order mark; comma after the amount: working date
        "12,1,25.00\r\n"   // no comma after the amount: amount 0
        "  7 , 5 , 12.345 , \"01/12/2026\" ,more,fields\n"
        "8,3,10,1/12/26\n"
        "9,2,5,not a date\n"
        "10,1,1.50," +
        std::string(80, ' ') +
        "02/12/2026\n"  // the date lies past column 80
        "short,1,2\n"   // 9 characters: reading ends here
        "11,1,100,\n";
    const std::vector<MemberTransaction> got = ReadTransactions(text, working, year);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(+got[0].MemberNo, 12);
    EXPECT_EQ(+got[0].TransType, 1);
    EXPECT_EQ(+got[0].Amount, 25.0);
    EXPECT_EQ(+got[0].Date, working);
    EXPECT_EQ(+got[1].Amount, 0.0);
    EXPECT_EQ(+got[2].MemberNo, 7);
    EXPECT_EQ(+got[2].TransType, 5);
    EXPECT_EQ(+got[2].Amount, 12.345);  // not rounded
    EXPECT_EQ(FormatDate(+got[2].Date), "01/12/2026");
    EXPECT_EQ(FormatDate(+got[3].Date), "01/12/2026");
    EXPECT_EQ(+got[4].Date, 0);
    EXPECT_EQ(+got[5].Date, working);
    for (const MemberTransaction& t : got) EXPECT_TRUE(t.ChequeNo.empty());
}

}  // namespace
}  // namespace tessary
