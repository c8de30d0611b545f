#include "ui/progress_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

ProgressSteps ScaleProgress(float max, float value) {
    if (!(max > 0.0f)) return {1, 0};  // also NaN
    constexpr double kIntMax = std::numeric_limits<int>::max();
    const double top = max;
    const double factor = top > kIntMax ? top / kIntMax : 1.0;
    const double steps = std::min(std::round(top / factor), kIntMax);
    double at = std::isnan(value) ? 0.0 : std::round(static_cast<double>(value) / factor);
    at = std::clamp(at, 0.0, steps);
    return {std::max(1, static_cast<int>(steps)), static_cast<int>(at)};
}

}  // namespace ui
