// A chart canvas and title label that draw nothing and record every call,
// for the chart's unit tests and the fuzz target.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/chart.h"

namespace testing_support {

struct Call {
    enum Kind { kLine, kForeColor, kCurrentX, kCurrentY, kPrint, kClear } kind;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int colour = 0;
    double number = 0;
};

class RecordingCanvas : public chart::ChartCanvas {
public:
    void Line(float x1, float y1, float x2, float y2, int colour) override {
        calls.push_back({Call::kLine, x1, y1, x2, y2, colour});
    }
    void ForeColor(int colour) override { calls.push_back({Call::kForeColor, 0, 0, 0, 0, colour}); }
    void CurrentX(float x) override { calls.push_back({Call::kCurrentX, x}); }
    void CurrentY(float y) override { calls.push_back({Call::kCurrentY, y}); }
    void Print(double number) override { calls.push_back({Call::kPrint, 0, 0, 0, 0, 0, number}); }
    void Clear() override { calls.push_back({Call::kClear}); }

    std::vector<Call> calls;
};

class RecordingTitle : public chart::ChartTitle {
public:
    void SetVisible(bool v) override {
        visible = v;
        events.push_back(v ? "visible" : "hidden");
    }
    void SetCaption(const std::string& c) override {
        caption = c;
        events.push_back("caption:" + c);
    }

    std::optional<bool> visible;
    std::string caption;
    std::vector<std::string> events;  // in order
};

}  // namespace testing_support
