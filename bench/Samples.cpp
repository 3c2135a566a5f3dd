#include "bench/Samples.h"

#include <algorithm>
#include <cmath>
#include <numeric>

void Samples::Append(const Samples &other)
{
    values.insert(values.end(), other.values.begin(), other.values.end());
}

double Samples::Mean() const
{
    if (values.empty())
        return 0.0;
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double Samples::Percentile(double percent) const
{
    if (values.empty())
        return 0.0;
    std::vector<double> sorted = values;
    const double rank = std::ceil(percent / 100.0 * static_cast<double>(sorted.size()));
    const double last = static_cast<double>(sorted.size());
    const auto index = static_cast<std::size_t>(std::clamp(rank, 1.0, last)) - 1;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(index), sorted.end());
    return sorted[index];
}

double Samples::Max() const
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}
