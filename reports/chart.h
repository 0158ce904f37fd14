#pragma once
// A chart of a report's figures, in plain terms that any backend can draw: named categories
// along one axis, one or more named series of values drawn as bars against the other, and
// optionally one series (a count, say) drawn as a line against an axis of its own.

#include <initializer_list>
#include <string>
#include <vector>

namespace tessary {

struct ChartSeries {
    std::string name;
    std::vector<double> values;  // one a category
};

enum class ChartKind {
    Bars,            // upright bars side by side, the categories along the bottom
    HorizontalBars,  // bars side by side, the categories down the left, first at the top
};

struct Chart {
    std::string title;
    ChartKind kind = ChartKind::Bars;
    std::vector<std::string> categories;
    std::string categoryAxis;  // what the categories are
    std::string valueAxis;     // what the bars measure
    std::vector<ChartSeries> bars;
    // Drawn as a line against a second value axis; only with upright bars, and none when its
    // name is empty.
    ChartSeries line;
    std::string lineAxis;

    // Nothing to draw: no categories, or no series.
    bool Empty() const { return categories.empty() || (bars.empty() && line.name.empty()); }

    // Adds a category with its value in each bar series, in order.
    void Add(std::string category, std::initializer_list<double> values);
};

// A chart with its bar series named and no categories yet.
Chart BarChart(std::string title, ChartKind kind, std::string categoryAxis, std::string valueAxis,
               std::initializer_list<const char*> series);

// The chart as text, for scripts and tests: title, axes, then one line a category with the
// values of each series ("name=value", two decimals).
std::vector<std::string> DescribeChart(const Chart& chart);

// The file kind a chart is saved as, from the name's extension (any case): "png", "pdf", or
// "" for any other.
std::string ChartFileKind(const std::string& path);

}  // namespace tessary
