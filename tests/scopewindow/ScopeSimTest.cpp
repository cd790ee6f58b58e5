// The window against the drive simulator over a pseudo-terminal: shown, it sets the
// recorder up; Start with single capture draws the picture of the drive's samples.
#include <QCheckBox>
#include <QPushButton>

#include "scope/ScopePicture.h"
#include "scope/ScopeWindow.h"
#include "scope/TraceVariableDialog.h"
#include "tests/sim/LinkOverSim.h"

namespace ordalis {
namespace {

TEST(ScopeSim, SingleCaptureThroughTheWindow) {
    simtest::LinkOverSim bus({"--drive", "1:LQ340"});
    ASSERT_TRUE(bus.Start() && bus.Connect(115200, 1)) << bus.sim.Output();
    bus.session.settings.LanguageIndex = 1;
    TraceVariableDialog dialog(bus.drive, nullptr);
    ScopeWindow window(bus.drive, &dialog, nullptr);
    window.show();
    ASSERT_TRUE(bus.RunIdle());
    EXPECT_EQ(bus.session.trace.MaxSamples, 1000);
    window.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
    window.findChild<QPushButton*>(QStringLiteral("Button10"))->click();
    ASSERT_TRUE(simtest::RunUntil([&] { return window.Picture().HasPlot(); }));
    EXPECT_TRUE(window.StatusText().startsWith("Drawn at")) << window.StatusText().toStdString();
    EXPECT_EQ(window.Picture().Plot()->Traces[1].Values.size(), 500);
    EXPECT_TRUE(simtest::RunUntil([&] { return !bus.session.link.AnyBusy(); }));
    EXPECT_EQ(window.Capture().Phase(), CapturePhase::Idle);
    EXPECT_EQ(bus.connectionFailures, 0);
}

}  // namespace
}  // namespace ordalis
