// The wizard's port page shows the device each COMn maps to beside its name, and the
// current port's device and adapter in full; the pages still work with the names.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/uisupport/RecordingUiPrompt.h"
#include "wizard/SerialPortPage.h"
#include "wizard/WizardContext.h"

namespace ordalis {
namespace {

// What the list draws for a row (the delegate's text), not the item's own text.
QString Shown(QListWidget& list, int row) {
    QStyleOptionViewItem option;
    option.initFrom(&list);
    auto* delegate = qobject_cast<QStyledItemDelegate*>(list.itemDelegate());
    // The protected virtual is reached through a member pointer, not by casting the
    // delegate to a type it is not.
    struct Open : QStyledItemDelegate {
        using QStyledItemDelegate::initStyleOption;
    };
    const auto init = &Open::initStyleOption;
    (delegate->*init)(&option, list.model()->index(row, 0));
    return option.text;
}

TEST(WizardPortPage, ShowsEachPortsDeviceBesideItsName) {
    QTemporaryDir dir;
    QFile cfg(dir.filePath("cfg.ini"));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
    cfg.write("[ports]\r\nCOM1=/dev/ttyUSB4\r\nCOM3=/tmp/sim/ttyDRIVE\r\n");
    cfg.close();
    qputenv("ORDALIS_CFG", cfg.fileName().toLocal8Bit());
    QtTimerFactory timers;
    test::RecordingUiPrompt prompt;
    QtSerialPort port;
    Session state(port, timers, prompt, 1);
    state.settings.LanguageIndex = 1;
    DriveSession drive(state, timers, prompt);
    WizardContext ctx{state, drive, prompt, nullptr};
    SerialPortPage page(ctx, nullptr);
    page.SetAvailablePorts({"COM1", "COM3", "COM9"});
    auto* list = page.findChild<QListWidget*>("ListBox1");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "COM1");
    EXPECT_EQ(Shown(*list, 0), "COM1  ttyUSB4");
    EXPECT_EQ(Shown(*list, 1), "COM3  ttyDRIVE");
    EXPECT_EQ(Shown(*list, 2), "COM9") << "a name that is its own device shows nothing more";
    EXPECT_EQ(list->item(1)->toolTip(), "COM3: /tmp/sim/ttyDRIVE");
    list->setCurrentRow(1);
    EXPECT_EQ(page.findChild<QLabel*>("PortDetail")->text(), "COM3: /tmp/sim/ttyDRIVE");

    // Chosen ports keep their device and stay names for the next page.
    list->item(1)->setSelected(true);
    page.AddClicked();
    EXPECT_EQ(page.ChosenPorts(), QStringList{"COM3"});
    EXPECT_EQ(Shown(*page.findChild<QListWidget*>("ListBox2"), 0), "COM3  ttyDRIVE");
    if (const QString shots = qEnvironmentVariable("ORDALIS_SHOT_DIR"); !shots.isEmpty()) {
        for (uint8_t language : {uint8_t{0}, uint8_t{1}}) {
            state.settings.LanguageIndex = language;
            page.Translate();
            page.grab().save(shots + QStringLiteral("/wizard-ports-%1.png").arg(language == 1 ? "en" : "zh"));
        }
    }
    qunsetenv("ORDALIS_CFG");
}

}  // namespace
}  // namespace ordalis
