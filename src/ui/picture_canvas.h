// The chart's view of the main window: the picture area as its canvas and
// the title label.
#pragma once

#include "chart/chart.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"

namespace ui {

class PictureCanvas : public chart::ChartCanvas {
public:
    explicit PictureCanvas(tk::PictureBox& picture) : picture_(picture) {}
    void Line(float x1, float y1, float x2, float y2, int colour) override;
    void ForeColor(int colour) override;
    void CurrentX(float x) override;
    void CurrentY(float y) override;
    void Print(double number) override;
    void Clear() override;

private:
    tk::PictureBox& picture_;
};

class LabelTitle : public chart::ChartTitle {
public:
    explicit LabelTitle(tk::Label& label) : label_(label) {}
    void SetVisible(bool visible) override;
    void SetCaption(const std::string& caption) override;

private:
    tk::Label& label_;
};

}  // namespace ui
