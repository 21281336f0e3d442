// Entry point of the benchmarks: the Qt ones need a QApplication, which must
// exist before any widget and must not need a display.
#include <QApplication>
#include <QByteArray>

#include <benchmark/benchmark.h>

#include "toolkit/platform.h"
#include "ui/form2.h"

namespace {

// The offscreen platform cannot raise windows and says so at every Show; the
// remark would bury the benchmark table.
QtMessageHandler previousHandler = nullptr;

void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message == QLatin1String("This plugin does not support raise()")) return;
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    // Headless unless the caller explicitly asks for a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    // Google Benchmark removes the options it knows; Qt gets what is left.
    benchmark::Initialize(&argc, argv);
    previousHandler = qInstallMessageHandler(QuietMessages);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("biorhythm_bench"));
    tk::SetApplicationTitle(QString::fromUtf8(ui::kApplicationTitle));

    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
