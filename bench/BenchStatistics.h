#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <numeric>
#include <vector>

/** The statistics that the benchmark programs print over a set of figures. Each is 0 for an empty
    set.
*/
struct BenchStatistics
{
    /** The middle figure, or the mean of the two middle ones for an even count. */
    static double median (std::vector<double> values)
    {
        if (values.empty())
            return 0.0;

        std::sort (values.begin(), values.end());
        const auto n = values.size();
        return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    }

    /** The figure at the share p of the sorted figures: the one at index p x count, the last one
        at most.
    */
    static double percentile (std::vector<double> values, double p)
    {
        if (values.empty())
            return 0.0;

        std::sort (values.begin(), values.end());
        return values[juce::jmin (values.size() - 1, (size_t) (p * (double) values.size()))];
    }

    static double mean (const std::vector<double>& values)
    {
        return values.empty() ? 0.0 : std::accumulate (values.begin(), values.end(), 0.0) / (double) values.size();
    }

    static double maximum (const std::vector<double>& values)
    {
        return values.empty() ? 0.0 : *std::max_element (values.begin(), values.end());
    }
};
