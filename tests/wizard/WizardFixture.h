#pragma once
// The wizard over a real DriveLink and DriveSession on an in-memory port with fake timers
// (FakeBus plays the drives, see tests/core/CoreFixture.h).
#include <gtest/gtest.h>

#include <QDialog>
#include <QMap>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "tests/core/CoreFixture.h"
#include "tests/uisupport/RecordingUiPrompt.h"
#include "wizard/ConnectionFailureDialog.h"
#include "wizard/WizardApi.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace ordalis::test {

class WizardTest : public ::testing::Test {
protected:
    WizardTest() {
        prompt.onModal = [this](QDialog& d) {
            auto it = script.find(d.objectName());
            return it == script.end() ? int(QDialog::Rejected) : it.value()(d);
        };
        // Takes the identify step over from the drive session: the tests end there.
        identifyBinding = session.callbacks.IdentifyDone.Bind([this](uint16_t status, const uint8_t*, uint8_t) {
            if (status != Sent) identified.push_back(status);
        });
        QObject::connect(&drive, &DriveSession::LinkLost, [this] { ++linkLost; });
    }

    void Run(int ms) { RunBus(bus, timers, ms); }

    FakeTimerFactory timers;
    TimedPort port{timers};
    FakeBus bus{port};
    RecordingUiPrompt prompt;
    Session session{port, timers, prompt, 7};
    DriveSession drive{session, timers, prompt};
    QWidget main;
    WizardContext ctx{session, drive, prompt, &main};
    CompletionSlot::Binding identifyBinding;
    int linkLost = 0;
    QMap<QString, std::function<int(QDialog&)>> script;  // what each modal page does
    std::vector<uint16_t> identified;                    // IdentifyDone statuses
};

}  // namespace ordalis::test
