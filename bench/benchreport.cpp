#include "benchreport.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

namespace tremolex {

namespace {

std::string number(double value, const std::string& unit, int decimals) {
    if (!(value >= 0) || !std::isfinite(value)) {
        return "-";
    }
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    if (!unit.empty()) {
        text << ' ' << unit;
    }
    return text.str();
}

}  // namespace

void BenchReport::add(const std::string& figure, double value, const std::string& unit,
                      const std::string& reference, double referenceValue, double ratio,
                      int decimals) {
    m_rows.push_back({figure, number(value, unit, decimals), reference,
                      number(referenceValue, unit, decimals), number(ratio, "x", 2)});
}

void BenchReport::addCost(const std::string& figure, double value, const std::string& unit,
                          const std::string& reference, double referenceValue, int decimals) {
    add(figure, value, unit, reference, referenceValue,
        referenceValue > 0 ? value / referenceValue : -1, decimals);
}

void BenchReport::print(std::ostream& out) const {
    const std::vector<std::string> heading = {"Figure", "Value", "Reference (same run)",
                                              "Reference", "Ratio"};
    std::vector<std::size_t> widths;
    for (const std::string& title : heading) {
        widths.push_back(title.size());
    }
    for (const auto& row : m_rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    const auto line = [&](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const bool numeric = c == 1 || c >= 3;
            out << (numeric ? std::right : std::left) << std::setw(static_cast<int>(widths[c]))
                << cells[c] << (c + 1 < cells.size() ? "  " : "\n");
        }
    };
    line(heading);
    std::vector<std::string> rule;
    for (const std::size_t width : widths) {
        rule.emplace_back(width, '-');
    }
    line(rule);
    for (const auto& row : m_rows) {
        line(row);
    }
}

}  // namespace tremolex
