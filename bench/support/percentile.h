// Nearest-rank percentile of a sample set.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

inline double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<size_t>(std::ceil(fraction * double(samples.size())));
    return samples[std::clamp<size_t>(rank, 1, samples.size()) - 1];
}

}  // namespace bench
