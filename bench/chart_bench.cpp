// One month's chart drawn onto the picture area's real Qt canvas: the
// 1017 x 745 navy tk::PictureBox with its backing image, through the same
// adapter the main window uses.
#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>

#include "bench_support.h"
#include "calc/entries.h"
#include "calc/rhythm.h"
#include "chart/chart.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "ui/picture_canvas.h"

namespace {

calc::Calculation OctoberCalculation() {
    calc::EntryRecord record;
    const char* texts[] = {"55", "5", "15", "12", "2005", "10"};
    for (int slot = 1; slot <= calc::EntryRecord::kSlots; ++slot) record.Commit(slot, texts[slot - 1]);
    const auto entries = calc::ApplyEraOffsets(record, calc::kShowaOffset, calc::kWesternOffset);
    return calc::Calculate(entries);
}

// Arg 0: every chart is drawn over the previous one, as pressing 決定 again
//        does in the program (the raster work is the same as on a clean area).
// Arg 1: the area is cleared before each chart, outside the timed region.
void BM_DrawChartQtCanvas(benchmark::State& state) {
    const bool clearBetween = state.range(0) != 0;
    const QColor navy(0, 0, 128);
    tk::PictureBox picture(navy, nullptr);
    picture.resize(1017, 745);
    tk::Label titleLabel(QString(), &picture);
    ui::LabelTitle title(titleLabel);
    ui::PictureCanvas canvas(picture);
    const calc::Calculation calculation = OctoberCalculation();

    // The chart must really land on the canvas.
    picture.Clear();
    chart::DrawChart(calculation, title, canvas);
    const int drawn = DrawnPixels(picture.Image(), navy.rgb());
    if (drawn < 5000) {
        state.SkipWithError("the chart left (almost) nothing on the canvas");
        return;
    }
    state.counters["drawn_px"] = drawn;

    for (auto _ : state) {
        if (clearBetween) {
            state.PauseTiming();
            picture.Clear();
            state.ResumeTiming();
        }
        chart::DrawChart(calculation, title, canvas);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawChartQtCanvas)->ArgName("clear")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
