// The month's chart: title line, axis, day grid, the three rhythm curves with
// their leader lines to the legend, and the day numbers.
#pragma once

#include <string>

#include "calc/rhythm.h"

namespace chart {

// Colours of the 16-colour palette that the chart uses.
enum PaletteColour : int {
    kLightGreen = 10,
    kLightRed = 12,
    kYellow = 14,
    kBrightWhite = 15,
};

// The drawing surface of the main window's picture area, in pixels, origin at
// the top-left corner, y growing downwards.
class ChartCanvas {
public:
    virtual ~ChartCanvas() = default;
    // A 1-px solid line between the two end points in a palette colour.
    virtual void Line(float x1, float y1, float x2, float y2, int colour) = 0;
    // Colour of text printed afterwards.
    virtual void ForeColor(int colour) = 0;
    // Top-left corner of the next printed text.
    virtual void CurrentX(float x) = 0;
    virtual void CurrentY(float y) = 0;
    // Writes a number as " 12 ": sign position, digits, trailing space.
    virtual void Print(double number) = 0;
    // Erases everything drawn so far.
    virtual void Clear() = 0;
};

// The label above the chart that carries its title.
class ChartTitle {
public:
    virtual ~ChartTitle() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

// One rhythm's fixed appearance.
struct RhythmStyle {
    int colour;
    float leaderY;  // the leader line starts at (kLeaderX, leaderY)
};
inline constexpr float kLeaderX = 847;
inline constexpr RhythmStyle kRhythmStyles[calc::kRhythmCount + 1] = {
    {0, 0},              // unused
    {kLightRed, 288},    // 1 physical, beside the legend label 身体リズム
    {kBrightWhite, 344}, // 2 emotional, 感情リズム
    {kLightGreen, 415},  // 3 intellectual, 知性リズム
};

// "グレゴリオ暦（西暦） 2005年 4月のバイオリズム"
std::string ChartTitleText(double targetYear, double targetMonth);

// Draws one validated calculation over whatever the canvas shows.
void DrawChart(const calc::Calculation& calculation, ChartTitle& title, ChartCanvas& canvas);

}  // namespace chart
