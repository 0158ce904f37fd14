#include "reports/chart.h"

#include <cmath>

#include "core/text.h"

namespace tessary {

namespace {

// Counts read as whole numbers, amounts with their pence.
std::string Value(double v) {
    return v == std::trunc(v) && std::fabs(v) < 1e15 ? FixedText(v, 0) : MoneyText(v);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

void Chart::Add(std::string category, std::initializer_list<double> values) {
    categories.push_back(std::move(category));
    auto value = values.begin();
    for (ChartSeries& s : bars) s.values.push_back(value != values.end() ? *value++ : 0.0);
}

Chart BarChart(std::string title, ChartKind kind, std::string categoryAxis, std::string valueAxis,
               std::initializer_list<const char*> series) {
    Chart chart;
    chart.title = std::move(title);
    chart.kind = kind;
    chart.categoryAxis = std::move(categoryAxis);
    chart.valueAxis = std::move(valueAxis);
    for (const char* name : series) chart.bars.push_back({name, {}});
    return chart;
}

std::vector<std::string> DescribeChart(const Chart& chart) {
    std::vector<std::string> lines{chart.title};
    std::string axes = (chart.kind == ChartKind::Bars ? "bars: " : "horizontal bars: ") +
                       chart.categoryAxis + " / " + chart.valueAxis;
    if (!chart.line.name.empty()) axes += "; line: " + chart.lineAxis;
    lines.push_back(axes);
    for (std::size_t i = 0; i < chart.categories.size(); ++i) {
        std::string line = chart.categories[i] + ":";
        const auto add = [&](const ChartSeries& s) {
            const double v = i < s.values.size() ? s.values[i] : 0;
            line += " " + s.name + " " + Value(v) + ",";
        };
        for (const ChartSeries& s : chart.bars) add(s);
        if (!chart.line.name.empty()) add(chart.line);
        if (line.back() == ',') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string ChartFileKind(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    const std::string ext = Lower(path.substr(dot + 1));
    return ext == "png" || ext == "pdf" ? ext : "";
}

}  // namespace tessary
