// Pictures of the oscilloscope window (trace page with a capture, gain page, limit page
// with the demonstration plot) and of the selection dialog, in both languages, for
// looking at them: ordalis_scope_shots <folder>. Not a test.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <cmath>
#include <cstdio>

#include "scope/ScopePicture.h"
#include "scope/ScopeWindow.h"
#include "scope/TraceVariableChoice.h"
#include "scope/TraceVariableDialog.h"
#include "tests/capture/FakeDrive.h"
#include "tests/uisupport/RecordingUiPrompt.h"

using namespace ordalis;

namespace {

// A capture of channels 1, 2 (currents), 3 (velocity) and 4 (bus voltage) with waveforms.
void FakeCapture(test::FakeDriveAccess& drive, ScopeWindow& w) {
    CaptureSequence& c = w.Capture();
    c.SetSingle(true);
    c.Start();
    drive.trace.TraceStatus = TraceStatusComplete;
    c.TraceStatusCheck1(Answered);
    const uint16_t n = c.TransferCount();
    for (int first = 0; first < n;) {
        std::vector<uint8_t> bytes;
        int sets = 0;
        for (; first + sets < n && bytes.size() + c.SetSize() <= 255; ++sets) {
            const double t = (first + sets) / double(n);
            const int32_t v[4] = {int32_t(280 * std::sin(12 * t)), int32_t(275 * std::sin(12 * t - 0.3)),
                                  int32_t(4000 * std::sin(6 * t)), int32_t(2400 + 20 * std::sin(90 * t))};
            const int sizes[4] = {2, 2, 4, 2};
            for (int k = 0; k < 4; ++k)
                for (int b = 0; b < sizes[k]; ++b) bytes.push_back(uint8_t(v[k] >> (8 * b)));
        }
        c.SamplesDataDone(Answered, bytes.data(), uint8_t(bytes.size()));
        first += sets;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    for (uint8_t lang : {0, 1}) {
        const QString suffix = lang ? QStringLiteral("en") : QStringLiteral("zh");
        test::FakeDriveAccess drive;
        test::RecordingUiPrompt prompt;
        drive.prompt = &prompt;
        drive.language = lang;
        drive.trace.SampleResolution = 50000;
        drive.trace.MaxSamples = 1000;
        TraceVariableDialog dialog(drive, nullptr);
        ScopeWindow w(drive, &dialog, nullptr);
        drive.trace.TraceVariable[2] = 4;
        drive.trace.TraceVariable[3] = 12;
        w.Capture().MaxSamplesDone(Answered);
        w.show();
        app.processEvents();
        FakeCapture(drive, w);
        w.Picture().PlaceCursorAt(300);
        w.Picture().PlaceCursorAt(520);
        app.processEvents();
        w.grab().save(dir + "/scope-trace-" + suffix + ".png");
        QTabWidget* options = nullptr;
        for (QTabWidget* t : w.findChildren<QTabWidget*>())
            if (t->indexOf(w.findChild<QWidget*>(QStringLiteral("TabSheet4"))) >= 0) options = t;
        options->setCurrentWidget(w.findChild<QWidget*>(QStringLiteral("TabSheet4")));
        app.processEvents();
        w.grab().save(dir + "/scope-gain-" + suffix + ".png");
        options->setCurrentWidget(w.findChild<QWidget*>(QStringLiteral("TabSheet5")));
        w.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        app.processEvents();
        w.grab().save(dir + "/scope-limit-" + suffix + ".png");

        drive.trace.TraceVariable[1] = 4;
        prompt.onModal = [&](QDialog& d) {
            d.show();
            app.processEvents();
            d.grab().save(dir + "/select-" + suffix + ".png");
            d.hide();
            return 0;
        };
        ChooseTraceVariable(dialog, 2);
    }
    std::printf("pictures in %s\n", qPrintable(dir));
    return 0;
}
