// Shows every wizard page and the failure dialog side by side in one language, for
// looking at them under a display: wizard_shots 0|1 [seconds]. Not a test.
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <cstdio>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"
#include "tests/wizard/WizardFixture.h"
#include "wizard/AddressPage.h"
#include "wizard/ConnectionFailureDialog.h"
#include "wizard/LinkTypePage.h"
#include "wizard/SerialPortPage.h"

int main(int argc, char** argv) {
    using namespace ordalis;
    QApplication app(argc, argv);
    const int language = argc > 1 ? std::atoi(argv[1]) : 0;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;

    test::FakeTimerFactory timers;
    test::FakePort port(false);
    test::RecordingUiPrompt prompt;
    Session session(port, timers, prompt, 1);
    session.settings.LanguageIndex = static_cast<uint8_t>(language);
    DriveSession drive(session, timers, prompt);
    WizardContext ctx{session, drive, prompt, nullptr};
    LinkRecord& r = session.settings.linkRecord;
    r.SetEntryCount(1);
    r.SetSelectedEntry(0);
    r.SetSelectedAddressIndex(0);
    r.SetPort(0, 3);
    r.SetAddressCount(0, 1);
    r.SetAddress(0, 0, 0x0A);

    LinkTypePage linkType(ctx, nullptr);
    SerialPortPage ports(ctx, nullptr);
    ports.SetAvailablePorts({"COM1", "COM2", "COM3"});
    for (int row : {0, 2}) {
        ports.findChild<QListWidget*>("ListBox1")->setCurrentRow(row);
        ports.AddClicked();
    }
    AddressPage address(ctx, {"COM1", "COM3"}, nullptr);
    auto* all = address.findChild<QListWidget*>("ListBox1");
    for (int a = 0; a < 16; ++a)
        all->item(a)->setText(all->item(a)->text() + "..." +
                              (a == 1 || a == 10 ? (language ? "--OK" : "--在线") : (language ? "Offline" : "不存在")));
    for (int row : {1, 10}) {
        all->setCurrentRow(row);
        address.AddClicked(0);
    }
    ConnectionFailureDialog failure(ctx, nullptr);

    const struct {
        QDialog* d;
        int x, y;
    } placed[] = {{&linkType, 10, 10}, {&ports, 270, 10}, {&address, 10, 330}, {&failure, 660, 10}};
    for (const auto& p : placed) {
        p.d->move(p.x, p.y);
        p.d->show();
        std::printf("%s at %d,%d: \"%s\"\n", qPrintable(p.d->objectName()), p.x, p.y,
                    p.d->windowTitle().toUtf8().constData());
    }
    std::fflush(stdout);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
