#include "chart.h"

#include <array>

namespace chart {

namespace {

constexpr float kAxisY = 400;
constexpr float kGridTop = 200;
constexpr float kGridBottom = 600;
constexpr float kDayNumberY = 610;
constexpr int kFirstX = 100;  // x of chart point k is kFirstX + kStep * k
constexpr int kStep = 20;

struct Point {
    float x;
    double y;
};

}  // namespace

std::string ChartTitleText(double targetYear, double targetMonth) {
    return "グレゴリオ暦（西暦）" + calc::NumberText(targetYear) + "年" +
           calc::NumberText(targetMonth) + "月のバイオリズム";
}

void DrawChart(const calc::Calculation& calculation, ChartTitle& title, ChartCanvas& canvas) {
    const int days = calculation.daysInTargetMonth;
    const int points = days + 1;

    // Title.
    title.SetVisible(true);
    title.SetCaption(ChartTitleText(calculation.targetYear, calculation.targetMonth));

    // Axis, running on past the window's right edge.
    canvas.Line(0, kAxisY, 1000, kAxisY, kYellow);

    // Grid: one line through every chart point.
    int gridLineCounter = 0;
    for (int x = 120; x <= 760; x += kStep) {
        canvas.Line(static_cast<float>(x), kGridTop, static_cast<float>(x), kGridBottom, kYellow);
        ++gridLineCounter;
        if (gridLineCounter == points) break;
    }

    // Curves, in order, so that a later one covers an earlier one, each with
    // its leader line to the legend.
    for (int r = 1; r <= calc::kRhythmCount; ++r) {
        const calc::RhythmSeries& series = calculation.series[r];
        const RhythmStyle& style = kRhythmStyles[r];
        std::array<Point, calc::kMaxChartPoints + 1> curvePoints{};  // index 1..points
        int x = kFirstX;
        for (int k = 1; k <= points; ++k) {
            x += kStep;
            curvePoints[k] = {static_cast<float>(x), kAxisY + 100 * series(k)};
        }
        for (int d = 1; d <= days; ++d) {
            canvas.Line(curvePoints[d].x, static_cast<float>(curvePoints[d].y), curvePoints[d + 1].x,
                        static_cast<float>(curvePoints[d + 1].y), style.colour);
        }
        canvas.Line(kLeaderX, style.leaderY, curvePoints[points].x,
                    static_cast<float>(curvePoints[points].y), style.colour);
    }

    // Day numbers under the grid; the day after the month has none.
    canvas.ForeColor(kBrightWhite);
    for (int b = 1; b <= days; ++b) {
        canvas.CurrentX(static_cast<float>(kFirstX + kStep * b));
        canvas.CurrentY(kDayNumberY);
        canvas.Print(b);
    }
}

}  // namespace chart
