// The plain chart description, and the script's chart command over the scripted services.

#include "reports/chart.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ui/script_harness.h"

namespace tessary::ui {
namespace {

Chart Sample() {
    Chart c = BarChart("Loans", ChartKind::Bars, "Band", "Total", {"Total", "Arrears"});
    c.Add("Small", {100.5, 20});
    c.Add("Large", {3000});  // a value left out counts as nothing
    c.line = {"No", {2, 1}};
    c.lineAxis = "Number";
    return c;
}

TEST(Chart, AddsCategoriesAndDescribesItselfAsText) {
    const Chart c = Sample();
    EXPECT_EQ(c.categories, (std::vector<std::string>{"Small", "Large"}));
    EXPECT_EQ(c.bars[1].values, (std::vector<double>{20, 0}));
    EXPECT_EQ(DescribeChart(c),
              (std::vector<std::string>{"Loans", "bars: Band / Total; line: Number",
                                        "Small: Total 100.50, Arrears 20, No 2",
                                        "Large: Total 3000, Arrears 0, No 1"}));
    EXPECT_FALSE(c.Empty());
    EXPECT_TRUE(BarChart("x", ChartKind::Bars, "", "", {"a"}).Empty());  // no categories
}

TEST(Chart, FileKindIsTheExtensionOfTheNameItself) {
    EXPECT_EQ(ChartFileKind("/tmp/loans.png"), "png");
    EXPECT_EQ(ChartFileKind("LOANS.PDF"), "pdf");
    EXPECT_EQ(ChartFileKind("loans.txt"), "");
    EXPECT_EQ(ChartFileKind("/tmp/charts.png/loans"), "");  // the folder's dot is not it
    EXPECT_EQ(ChartFileKind("loans"), "");
}

class Viewer : public Form {
  public:
    Viewer() : Form("TFviewer"), Show(Add<Button>("Show")) { Show.caption = "Show"; }
    Button& Show;
};

struct ChartScript : ScriptHarness<Viewer> {
    std::vector<std::string> saved;
};

TEST(ScriptCharts, SavesAndPrintsTheChartShown) {
    ChartScript s;
    s.form.Show.OnClick = [&] { s.services.ShowChart(Sample()); };
    s.services.SetChartSaver([&](const Chart& c, const std::string& path) {
        s.saved.push_back(c.title + " " + path);
        return std::string();
    });
    EXPECT_EQ(s.Run("click Show\nprint chart\nchart /tmp/a.png\nchart /tmp/b.PDF\n"), 0)
        << s.err.str();
    EXPECT_EQ(s.saved, (std::vector<std::string>{"Loans /tmp/a.png", "Loans /tmp/b.PDF"}));
    EXPECT_EQ(s.out.str().substr(0, 6), "Loans\n");
}

TEST(ScriptCharts, WhatCannotBeSavedStopsTheScript) {
    const auto failure = [](const std::string& script, bool show, bool canDraw,
                            const std::string& problem) {
        ChartScript s;
        s.form.Show.OnClick = [&] { s.services.ShowChart(Sample()); };
        if (canDraw) {
            s.services.SetChartSaver(
                [](const Chart&, const std::string& p) { return "cannot write " + p; });
        }
        EXPECT_EQ(s.Run((show ? "click Show\n" : "") + script + "print forms\n"), 2) << script;
        EXPECT_NE(s.err.str().find(problem), std::string::npos) << s.err.str();
        EXPECT_EQ(s.out.str(), "") << "the script went on after " << script;
    };
    failure("chart /tmp/a.png\n", false, true, "no chart has been shown");
    failure("chart /tmp/a.txt\n", true, true, "a chart is saved as .png or .pdf");
    failure("chart /tmp/a.png\n", true, false, "this build cannot draw charts");
    failure("chart /nowhere/a.png\n", true, true, "cannot write /nowhere/a.png");
    failure("chart\n", true, true, "chart takes 1 argument");

    ChartScript empty;
    empty.form.Show.OnClick = [&] { empty.services.ShowChart(Chart{}); };
    empty.services.SetChartSaver([](const Chart&, const std::string&) { return std::string(); });
    EXPECT_EQ(empty.Run("click Show\nchart /tmp/a.png\n"), 2);
    EXPECT_NE(empty.err.str().find("nothing to draw"), std::string::npos) << empty.err.str();
}

}  // namespace
}  // namespace tessary::ui
