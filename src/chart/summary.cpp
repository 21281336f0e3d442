#include "summary.h"


namespace chart {

namespace {

constexpr const char* kRhythmNames[calc::kRhythmCount + 1] = {nullptr, "身体リズム", "感情リズム", "知性リズム"};

bool OppositeSides(double a, double b) { return (a < 0 && b > 0) || (a > 0 && b < 0); }

// The days among 1 .. days whose value lies on the side (sign -1: plus,
// +1: minus) and no nearer the axis than either neighbour, within
// kEqualValues. The neighbours of day 1 and of the last day are the points
// just outside the month.
std::vector<int> PeakDays(double valueBefore, const calc::RhythmSeries& series, int days, double sign) {
    const auto height = [&](int k) { return sign * (k == 0 ? valueBefore : series(k)); };
    std::vector<int> peaks;
    for (int b = 1; b <= days; ++b)
        if (height(b) > 0 && height(b) >= height(b - 1) - kEqualValues && height(b) >= height(b + 1) - kEqualValues)
            peaks.push_back(b);
    return peaks;
}

std::string DayList(const std::vector<int>& days) {
    if (days.empty()) return "なし";
    std::string text;
    for (const int day : days) text += (text.empty() ? "" : "、") + std::to_string(day) + "日";
    return text;
}

}  // namespace

RhythmSummary SummariseRhythm(double valueBefore, const calc::RhythmSeries& series, int daysInMonth) {
    RhythmSummary summary;
    for (int b = 1; b <= daysInMonth; ++b)
        if (series(b) == 0 || OppositeSides(series(b), series(b + 1))) summary.cautionDays.push_back(b);
    summary.plusPeakDays = PeakDays(valueBefore, series, daysInMonth, -1);
    summary.minusPeakDays = PeakDays(valueBefore, series, daysInMonth, +1);
    return summary;
}

std::string ChartSummaryText(const calc::Calculation& calculation) {
    std::string text;
    for (int r = 1; r <= calc::kRhythmCount; ++r) {
        // The point before the month, reckoned as the chart's points are.
        const double before = calc::RhythmValue(calculation.elapsedDays - 1, calculation.cycleLengths[r]);
        const RhythmSummary s = SummariseRhythm(before, calculation.series[r], calculation.daysInTargetMonth);
        text += std::string(kRhythmNames[r]) + "の要注意日は" + DayList(s.cautionDays) + "。＋側の極大は" +
                DayList(s.plusPeakDays) + "。－側の極大は" + DayList(s.minusPeakDays) + "。";
    }
    return text;
}

}  // namespace chart
