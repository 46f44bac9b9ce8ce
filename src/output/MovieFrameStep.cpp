#include "MovieFrameStep.h"

#include <cmath>

namespace quillon {

double MovieFrameStep(int showRateHundredths, float movieRate) {
    if (!(movieRate > 0.0f)) return 0.0;
    // (rate x 0.01) / movieRate, divided once so that equal rates give a step of exactly 1
    // (3000 x 0.01 is a hair above 30 in binary).
    return showRateHundredths / (100.0 * movieRate);
}

std::vector<int32_t> MovieFrameSequence(int32_t start, int32_t end, double step) {
    std::vector<int32_t> frames;
    if (!(step > 0.0)) return frames;
    for (double position = start; static_cast<int32_t>(position) < end; position += step)
        frames.push_back(static_cast<int32_t>(position));
    return frames;
}

int MovieProgressPercent(double position, int32_t start, int32_t end) {
    const double span = std::fabs(double(end) - double(start));
    if (span == 0.0) return 0;
    // Multiplied first: 29 / 100 x 100 would come out a hair below 29.
    return static_cast<int>((position - start) * 100.0 / span);
}

int AviFrameRate(float movieRate) {
    return static_cast<int>(movieRate + 0.05);
}

}  // namespace quillon
