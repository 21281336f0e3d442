// "決定" on the loaded, shown main window up to the chart being on screen:
// Form1::Command9_Click, then a synchronous repaint of the picture area.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <memory>

#include "bench_support.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "toolkit/platform.h"
#include "ui/form1.h"
#include "ui/form2.h"

namespace {

struct MainWindow {
    std::unique_ptr<ui::Form2> title;
    ui::Form1* form = nullptr;
    tk::PictureBox* picture = nullptr;
};

// Opens the main window the way the user does: 開始 on the title window,
// 昭和 for the birth year, 西暦 for the target year, and the six entries typed
// and committed with Enter.
bool OpenMainWindowWithEntries(MainWindow& w) {
    w.title = std::make_unique<ui::Form2>();
    w.title->Show();
    w.title->Command1_Click();
    w.form = w.title->MainWindow();
    if (!w.form || !w.form->IsLoaded()) return false;
    if (!QTest::qWaitForWindowExposed(w.form->Window())) return false;

    w.form->Command2_Click();  // 昭和 (birth)
    w.form->Command8_Click();  // 西暦 (target)
    const char* texts[] = {"55", "5", "15", "12", "2005", "10"};
    for (int n = 1; n <= 6; ++n) {
        auto* box = w.form->Control<tk::TextBox>(("Text" + std::to_string(n)).c_str());
        if (!box) return false;
        box->setFocus();
        QTest::keyClicks(box, QString::fromLatin1(texts[n - 1]));
        QTest::keyClick(box, Qt::Key_Return);
    }
    for (int slot = 1; slot <= 6; ++slot) {
        const auto& committed = w.form->EntryRecord().Slot(slot);
        if (!committed || *committed != texts[slot - 1]) return false;
    }
    w.picture = w.form->Control<tk::PictureBox>("Picture1");
    QApplication::processEvents();
    return w.picture != nullptr;
}

// Arg 1: 再計算 (Command10_Click) clears the chart before every 決定, outside
//        the timed region, with the events it posts handled there too.
// Arg 0: 決定 again and again on the same window, each chart over the last.
void BM_DecideToChartPainted(benchmark::State& state) {
    const bool clearBetween = state.range(0) != 0;
    // A failing validation would open a modal box and end the program.
    bool endCalled = false;
    bool messageShown = false;
    const auto oldBox = tk::SetMessageBoxHandler([&](QWidget*, const QString&) { messageShown = true; });
    const auto oldEnd = tk::SetEndHandler([&] { endCalled = true; });

    MainWindow w;
    if (!OpenMainWindowWithEntries(w)) {
        state.SkipWithError("could not open the main window with committed entries");
        return;
    }
    const QRgb navy = qRgb(0, 0, 128);
    const int before = DrawnPixels(w.picture->grab().toImage(), navy);
    w.form->Command9_Click();
    w.picture->repaint();
    const int after = DrawnPixels(w.picture->grab().toImage(), navy);
    if (messageShown || endCalled || after < before + 5000) {
        state.SkipWithError("決定 did not put a chart on the screen");
        return;
    }

    for (auto _ : state) {
        if (clearBetween) {
            state.PauseTiming();
            w.form->Command10_Click();
            w.picture->repaint();
            QApplication::processEvents();
            state.ResumeTiming();
        }
        w.form->Command9_Click();
        w.picture->repaint();
    }
    QApplication::processEvents();
    if (messageShown || endCalled) state.SkipWithError("an entry failed validation");

    w.title.reset();
    tk::SetMessageBoxHandler(oldBox);
    tk::SetEndHandler(oldEnd);
}
BENCHMARK(BM_DecideToChartPainted)->ArgName("clear")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
