#include "ui/script.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ui/script_harness.h"

namespace tessary::ui {
namespace {

TEST(ScriptLines, BlanksSeparateAndQuotesGroup) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitScriptLine("type  Ename   Smith"), (V{"type", "Ename", "Smith"}));
    EXPECT_EQ(SplitScriptLine(R"(type Ename "John Smith")"), (V{"type", "Ename", "John Smith"}));
    EXPECT_EQ(SplitScriptLine(R"(type E "" )"), (V{"type", "E", ""}));
    EXPECT_EQ(SplitScriptLine(R"(expect L "say \"hi\"")"), (V{"expect", "L", "say \"hi\""}));
    EXPECT_EQ(SplitScriptLine(R"(file "c:\data\x.csv")"), (V{"file", "c:\\data\\x.csv"}));
    EXPECT_FALSE(SplitScriptLine(R"(type E "open)"));
    EXPECT_FALSE(SplitScriptLine(R"(type E "a"b)"));
}

class Sample : public Form {
  public:
    Sample()
        : Form("TFsample"),
          Name(Add<Edit>("Ename")),
          Ok(Add<Button>("OK")),
          Out(Add<Label>("Lout")) {
        caption = "Sample";
        Name.maxLength = 5;
        Ok.caption = "&OK";
        Ok.OnClick = [this] { Out.caption = "Hello " + Name.text; };
    }
    Edit& Name;
    Button& Ok;
    Label& Out;
};

using Harness = ScriptHarness<Sample>;

TEST(ScriptRunner, DrivesTheFormAndPrintsWhatItShows) {
    Harness h;
    EXPECT_EQ(
        h.Run("# a comment\n\ntype Ename \"Annabel Lee\"\nclick OK\nprint Lout\nprint TFsample\n"
              "print forms\nexpect focus OK\n"),
        0)
        << h.err.str();
    EXPECT_EQ(h.out.str(), "Hello Annab\nSample\nTFsample\n");
}

TEST(ScriptRunner, FailedExpectStopsWithStatusOneNamingTheLine) {
    Harness h;
    EXPECT_EQ(h.Run("type Ename x\nexpect Ename y\nprint Ename\n"), 1);
    EXPECT_NE(h.err.str().find("line 2"), std::string::npos) << h.err.str();
    EXPECT_EQ(h.out.str(), "");
}

TEST(ScriptRunner, ScriptErrorsStopWithStatusTwo) {
    for (const std::string script :
         {"frobnicate\n", "click Nothing\n", "type OK text\n", "file /tmp/x\n", "cancel\n",
          "select Ename 1\n", "expect Ename\n", "cell Ename 1 1 x\n", "menu File1\n"}) {
        Harness h;
        EXPECT_EQ(h.Run(script), 2) << script;
        EXPECT_NE(h.err.str().find("line 1"), std::string::npos) << script << h.err.str();
    }
    Harness disabled;
    disabled.form.Ok.enabled = false;
    EXPECT_EQ(disabled.Run("click OK\n"), 2);
}

TEST(ScriptRunner, FileDialogTakesTheNextLinesUntilAnswered) {
    Harness h;
    std::optional<std::string> chosen;
    h.form.Ok.OnClick = [&] { chosen = h.services.SaveFileDialog({"csv|*.csv", "csv", "", ""}); };
    EXPECT_EQ(h.Run("click OK\nprint TFsample\nfile /tmp/members\n"), 0) << h.err.str();
    EXPECT_EQ(chosen, "/tmp/members.csv");

    Harness typing;
    typing.form.Ok.OnClick = [&] { typing.services.OpenFileDialog({}); };
    EXPECT_EQ(typing.Run("click OK\ntype Ename x\n"), 2);  // the dialog is in the way
}

TEST(RecordingPrinter, KeepsPagesInDrawingOrder) {
    RecordingPrinter p;
    p.BeginDoc("report");
    p.TextOut(0, 100, "first");
    p.NewPage();
    p.TextOut(0, 100, "second");
    p.EndDoc();
    EXPECT_EQ(p.Lines(), (std::vector<std::string>{"--- page 1", "first", "--- page 2", "second"}));
    p.SetFont("Courier New", 10);
    EXPECT_GT(p.TextHeight("x"), 0);
    EXPECT_GT(p.PageHeight() / p.TextHeight("x"), 50);  // a page holds a report's worth of lines
}

}  // namespace
}  // namespace tessary::ui
