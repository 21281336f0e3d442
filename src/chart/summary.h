// The chart in words, for screen readers: for each rhythm its caution days
// and the days of its maxima on the plus and on the minus side, worked out
// from the very calculation that the chart draws.
#pragma once

#include <string>
#include <vector>

#include "calc/rhythm.h"

namespace chart {

// What one rhythm does in the month, in day numbers 1 .. daysInMonth.
//
// The chart puts a value v at y = 400 + 100 v, and y grows downwards, so the
// plus side (the upper half) holds the points with v < 0 and the minus side
// those with v > 0. The chart point after the month's last day (the first of
// the next month) carries no day number: it counts for the caution day and
// the maxima of the month's last day, never as a day of its own.
struct RhythmSummary {
    // Days b on which the curve touches or crosses the axis between chart
    // points b and b + 1: v(b) is 0, or v(b) and v(b + 1) lie on opposite
    // sides of 0.
    std::vector<int> cautionDays;
    // The days whose point lies on the plus (minus) side and at least as far
    // from the axis as both neighbouring points, b - 1 and b + 1: the
    // curve's summits (troughs) in the month, each with every day as high
    // as it. For day 1 the neighbour is the rhythm's value at 0:00 of the
    // day before the month; for the last day, the chart point after the
    // month. Empty when the curve has none on that side in the month.
    std::vector<int> plusPeakDays;
    std::vector<int> minusPeakDays;
};

// Values closer than this count as equally high: far below a pixel of the
// chart, far above the rounding of the sine.
inline constexpr double kEqualValues = 1e-9;

// valueBefore: the rhythm at 0:00 of the day before the month.
RhythmSummary SummariseRhythm(double valueBefore, const calc::RhythmSeries& series, int daysInMonth);

// "身体リズムの要注意日は12日、23日。＋側の極大は6日、29日。－側の極大は18日。"
// and the same for 感情リズム and 知性リズム; "なし" where a list is empty.
std::string ChartSummaryText(const calc::Calculation& calculation);

}  // namespace chart
