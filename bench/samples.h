// Repeated measurements of one figure: the median and the min-max spread,
// which on a shared, noisy machine say more than a mean.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Samples {
    std::vector<double> values;

    void add(double value) { values.push_back(value); }
    double median() const {
        if (values.empty()) return 0;
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        std::size_t mid = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
    }
    double min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    double max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
    // "1.234 (1.200-1.300)" with `decimals` places.
    std::string spread(int decimals) const {
        char text[96];
        std::snprintf(text, sizeof text, "%.*f (%.*f-%.*f)", decimals, median(), decimals, min(), decimals, max());
        return text;
    }
};

}  // namespace bench
