// The session's side of a window's own write list: values are stored only when the list
// can go out, and the generator's running state is told once per change.
#include "tests/antires/DriveWindowFixture.h"

namespace ordalis::test {
namespace {

using StoreAndSend = DriveWindowTest;

TEST_F(StoreAndSend, StoresAndSendsOrStoresNothing) {
    ASSERT_TRUE(drive.StoreAndSend({{pid::GeneratorSpeed, -40000}, {pid::WorkMode, WorkModeGeneratorOn}},
                                   session.lists.GeneratorList));
    EXPECT_EQ(session.mirror.GetI32(pid::GeneratorSpeed), -40000);
    EXPECT_EQ(Sent(), Sends{"D154=-40000"});
    // The Lev2Queue is busy with that list: refused, and the mirror keeps what the drive gets.
    EXPECT_FALSE(drive.StoreAndSend({{pid::Res1Amplitude, 7}}, session.lists.AntiResAmp1List));
    EXPECT_EQ(session.mirror.GetU16(pid::Res1Amplitude), 0);
    AnswerAll();
    EXPECT_EQ(Sent(), Sends{"D160=14"});
    EXPECT_TRUE(drive.StoreAndSend({{pid::Res1Amplitude, 7}}, session.lists.AntiResAmp1List));
    EXPECT_EQ(Sent(), Sends{"D131=7"});
}

TEST_F(StoreAndSend, GeneratorStateIsToldOncePerChange) {
    std::vector<bool> told;
    QObject::connect(&drive, &DriveSession::GeneratorRunningChanged, [&](bool on) { told.push_back(on); });
    drive.SetGeneratorRunning(true);
    drive.SetGeneratorRunning(true);
    drive.SetGeneratorRunning(false);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace ordalis::test
