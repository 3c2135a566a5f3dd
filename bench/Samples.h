#pragma once

#include <cstddef>
#include <vector>

// A series of durations (any one unit) with its mean and nearest-rank percentiles.
class Samples
{
public:
    void Add(double value) { values.push_back(value); }
    void Reserve(std::size_t count) { values.reserve(count); }
    void Clear() { values.clear(); }
    void Append(const Samples &other);

    std::size_t Count() const { return values.size(); }
    bool Empty() const { return values.empty(); }
    double Mean() const;
    // The smallest value that at least `percent` per cent of the samples do not exceed.
    double Percentile(double percent) const;
    double Max() const;

private:
    std::vector<double> values;
};
