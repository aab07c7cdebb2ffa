#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tremolex {

// One table of figures, each beside the reference it is judged against, measured in the
// same run, and their ratio (how many times the reference's cost the figure is).
class BenchReport {
public:
    // A figure and its reference; a negative value is shown as not measured.
    void add(const std::string& figure, double value, const std::string& unit,
             const std::string& reference, double referenceValue, double ratio, int decimals = 1);
    // Ratio figure / reference, for figures of cost (time, CPU, memory).
    void addCost(const std::string& figure, double value, const std::string& unit,
                 const std::string& reference, double referenceValue, int decimals = 1);

    void print(std::ostream& out) const;

private:
    std::vector<std::vector<std::string>> m_rows;
};

}  // namespace tremolex
