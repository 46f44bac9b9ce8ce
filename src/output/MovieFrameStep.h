#pragma once
// Stepping a show range at the movie's own rate. The show rate is held in hundredths of a frame
// per second; the movie rate in frames per second. Each movie frame shows the show frame at the
// truncated position, and the position advances by show frames per movie frame, so a 30 fps
// show written at 24 fps shows frames 0, 1, 2, 3, 5, 6, 7, 8, 10, ...

#include <cstdint>
#include <vector>

namespace quillon {

// Show frames per movie frame: (showRate x 0.01) / movieRate. 0 for a movie rate not above 0.
double MovieFrameStep(int showRateHundredths, float movieRate);

// The show frames written for start .. end at the given step, in order: truncate(position) for
// position = start, start + step, ... while truncate(position) < end. Empty for a step not
// above 0.
std::vector<int32_t> MovieFrameSequence(int32_t start, int32_t end, double step);

// The progress shown after writing the movie frame at `position`:
// truncate((position - start) / |end - start| x 100). 0 when start and end are the same.
int MovieProgressPercent(double position, int32_t start, int32_t end);

// The integer rate an AVI stream is written at (its scale being 1): truncate(rate + 0.05), so
// 29.97 gives 30 and 29.9 gives 29.
int AviFrameRate(float movieRate);

}  // namespace quillon
