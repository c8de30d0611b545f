// Progress bars keep Max and Value as single-precision numbers, but QProgressBar counts in int.
// This maps the pair onto an int range that shows the same fraction.
#pragma once

namespace ui {

struct ProgressSteps {
    int maximum = 0;
    int value = 0;
};

// The int range a bar shows for `max` and `value`. Up to the int range the numbers are taken
// over rounded; beyond it both are divided by one factor so the fraction stays. A maximum of 0
// or less (a server without tables) shows an empty bar rather than Qt's busy animation; a value
// outside 0..max is clamped, as the bar cannot show it.
ProgressSteps ScaleProgress(float max, float value);

}  // namespace ui
