#pragma once
// The oscilloscope window and its selection dialog over a recording fake drive: lists and
// writes are logged, prompts recorded, and the capture's completion procedures are
// called by the test with the recorder's answers.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "scope/ScopeWindow.h"
#include "scope/TraceVariableDialog.h"
#include "tests/capture/FakeDrive.h"
#include "tests/uisupport/RecordingUiPrompt.h"

namespace ordalis::test {

class ScopeWindowTest : public ::testing::Test {
protected:
    ScopeWindowTest() {
        drive.prompt = &prompt;
        drive.trace.SampleResolution = 50000;
        drive.trace.MaxSamples = 1000;
        dialog = std::make_unique<TraceVariableDialog>(drive, nullptr);
        window = std::make_unique<ScopeWindow>(drive, dialog.get(), nullptr);
        window->Capture().MaxSamplesDone(Answered);  // N = 500
    }
    template <typename T>
    T* Find(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Show(uint8_t language = 0) {
        drive.language = language;
        window->show();
        QApplication::processEvents();
    }
    // A whole capture of the current channels: recorder complete at once, then all sets,
    // channel k's sample i holding 100 x (k + 1) + i.
    void Capture() {
        CaptureSequence& c = window->Capture();
        ASSERT_EQ(c.Start(), StartResult::Started);
        c.TraceStartDone(Answered);
        drive.trace.TraceStatus = TraceStatusComplete;
        c.TraceStatusCheck1(Answered);
        const uint16_t n = c.TransferCount();
        for (int first = 0; first < n;) {
            std::vector<uint8_t> bytes;
            int sets = 0;
            while (first + sets < n && bytes.size() + c.SetSize() <= 255) {
                for (int k = 0; k < TraceChannels; ++k) {
                    const int code = drive.trace.TraceVariable[k];
                    if (code == 0) continue;
                    const int32_t v = 100 * (k + 1) + first + sets;
                    for (int b = 0; b < c.Info()[code].Size; ++b) bytes.push_back(uint8_t(v >> (8 * b)));
                }
                ++sets;
            }
            c.SamplesDataDone(Answered, bytes.data(), static_cast<uint8_t>(bytes.size()));
            first += sets;
        }
    }

    FakeDriveAccess drive;
    RecordingUiPrompt prompt;
    std::unique_ptr<TraceVariableDialog> dialog;
    std::unique_ptr<ScopeWindow> window;
};

}  // namespace ordalis::test
