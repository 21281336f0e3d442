#include "summary.h"

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

constexpr const char* kRhythmNames[calc::kRhythmCount + 1] = {nullptr, "身体リズム", "感情リズム", "知性リズム"};

bool OppositeSides(double a, double b) { return (a < 0 && b > 0) || (a > 0 && b < 0); }

// The days among 1 .. days whose value passes the test and lies furthest
// from the axis, together with every day that lies as far.
template <class OnSide>
std::vector<int> PeakDays(const calc::RhythmSeries& series, int days, OnSide onSide) {
    double furthest = 0;
    for (int b = 1; b <= days; ++b)
        if (onSide(series(b))) furthest = std::max(furthest, std::fabs(series(b)));
    std::vector<int> peaks;
    for (int b = 1; b <= days; ++b)
        if (onSide(series(b)) && furthest - std::fabs(series(b)) < kEqualValues) peaks.push_back(b);
    return peaks;
}

std::string DayList(const std::vector<int>& days) {
    if (days.empty()) return "なし";
    std::string text;
    for (const int day : days) text += (text.empty() ? "" : "、") + std::to_string(day) + "日";
    return text;
}

}  // namespace

RhythmSummary SummariseRhythm(const calc::RhythmSeries& series, int daysInMonth) {
    RhythmSummary summary;
    for (int b = 1; b <= daysInMonth; ++b)
        if (series(b) == 0 || OppositeSides(series(b), series(b + 1))) summary.cautionDays.push_back(b);
    summary.plusPeakDays = PeakDays(series, daysInMonth, [](double v) { return v < 0; });
    summary.minusPeakDays = PeakDays(series, daysInMonth, [](double v) { return v > 0; });
    return summary;
}

std::string ChartSummaryText(const calc::Calculation& calculation) {
    std::string text;
    for (int r = 1; r <= calc::kRhythmCount; ++r) {
        const RhythmSummary s = SummariseRhythm(calculation.series[r], calculation.daysInTargetMonth);
        text += std::string(kRhythmNames[r]) + "の要注意日は" + DayList(s.cautionDays) + "。＋側の極大は" +
                DayList(s.plusPeakDays) + "。－側の極大は" + DayList(s.minusPeakDays) + "。";
    }
    return text;
}

}  // namespace chart
