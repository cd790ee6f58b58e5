// After a 131 the link stays silent until ResetLink; what was waiting or pending is
// dropped, so a dead drive costs one 131 and one failure report.
#include "tests/link/LinkFixture.h"

namespace ordalis::test {
namespace {

// A queue waiting behind one that ended with 131 used to be started afterwards: four more
// frames to the dead drive and a second 131 (a second failure dialog).
TEST_F(LinkTest, After131NothingMoreGoesOut) {
    const CommandRecord poll[] = {Read(137)};
    const CommandRecord lev2[] = {Write(0)};
    link.SendPollList(poll, 1);
    link.SendLev2List(lev2, 1);
    for (int i = 0; i < 8; ++i) Timeout();  // the last four find the timer stopped
    EXPECT_EQ(Sent(), Strings(4, "C137"));
    EXPECT_EQ(calls, Strings{"C137:131"});
    EXPECT_TRUE(link.IsLinkLost());
    EXPECT_FALSE(link.AnyBusy());
    EXPECT_FALSE(link.AwaitingAnswer());
}

TEST_F(LinkTest, LoadsAfter131AreIgnoredUntilResetLink) {
    using Load = void (DriveLink::*)(const CommandRecord*, int);
    struct Case {
        const char* name;
        Load load;
    };
    const Case cases[] = {
        {"SendRunList", &DriveLink::SendRunList},
        {"SendPollList", &DriveLink::SendPollList},
        {"AddPollList", &DriveLink::AddPollList},
        {"SendLev2List", &DriveLink::SendLev2List},
    };
    const CommandRecord dead[] = {Read(1)};
    const CommandRecord list[] = {Read(2)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.ResetLink();
        port.written.clear();
        link.SendRunList(dead, 1);
        for (int i = 0; i < 4; ++i) Timeout();
        ASSERT_TRUE(link.IsLinkLost());
        (link.*c.load)(list, 1);
        EXPECT_EQ(port.written.size(), 4u);
        EXPECT_FALSE(link.AnyBusy());
        link.ResetLink();
        EXPECT_FALSE(link.IsLinkLost());
        (link.*c.load)(list, 1);
        EXPECT_EQ(LastSent(), "C2");
        Answer();
        EXPECT_FALSE(link.AnyBusy());
    }
}

// A callback that wants to go on after a 131 (the address search moving to the next
// address) starts over with ResetLink.
TEST_F(LinkTest, CallbackOf131MayStartOverWithResetLink) {
    const CommandRecord next[] = {Read(2)};
    CommandRecord first = Read(1);
    first.Callback = [&](uint16_t status, const uint8_t*, uint8_t) {
        calls.push_back("C1:" + std::to_string(status));
        if (status != NoAnswer) return;
        EXPECT_TRUE(link.IsLinkLost());
        link.SendRunList(next, 1);  // still lost: ignored
        link.ResetLink();
        link.SendRunList(next, 1);
    };
    link.SendRunList(&first, 1);
    for (int i = 0; i < 4; ++i) Timeout();
    EXPECT_EQ(Sent(), (Strings{"C1", "C1", "C1", "C1", "C2"}));
    Answer();
    EXPECT_EQ(calls, (Strings{"C1:131", "C2:0"}));
}

// A pending poll append used to survive a 131 or ResetLink and then overwrite records of
// the next poll list at its old position: 139, 137 and 138 never read, the list's last
// callback skipped. A pending run list goes the same way.
TEST_F(LinkTest, PendingListsDoNotOutliveA131OrResetLink) {
    for (const bool after131 : {false, true}) {
        SCOPED_TRACE(after131 ? "131" : "ResetLink");
        link.ResetLink();
        port.written.clear();
        calls.clear();
        const CommandRecord status[] = {Read(137), Read(138)};
        const CommandRecord para[] = {Read(0), Read(1), Read(127), Read(128)};
        const CommandRecord monitor[] = {Read(20), Read(151), Read(139), Read(137), Read(138)};
        const CommandRecord run[] = {Read(40), Read(41)};
        const CommandRecord pendingRun[] = {Read(50)};
        link.SendRunList(run, 2);
        link.SendRunList(pendingRun, 1);  // pending behind the running list
        link.SendPollList(status, 2);
        link.AddPollList(para, 4);  // pending append at position 2
        if (after131) {
            for (int i = 0; i < 4; ++i) Timeout();
            ASSERT_EQ(calls, Strings{"C40:131"});
        }
        link.ResetLink();
        port.written.clear();
        calls.clear();
        link.SendPollList(monitor, 5);
        link.SendRunList(run, 2);
        for (int guard = 0; link.AwaitingAnswer() && guard < 20; ++guard) Answer();
        EXPECT_EQ(Sent(), (Strings{"C20", "C40", "C151", "C139", "C137", "C138", "C41"}));
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "C138:0"), 1);
        EXPECT_FALSE(link.AnyBusy());
    }
}

// The 100-record limits are programming errors: written to standard error, never a
// modal box opened from inside the link (it used to open from the poll timer and stack).
TEST_F(LinkTest, RecordLimitsGoToStandardErrorNotThePrompt) {
    std::vector<CommandRecord> many(101, Read(1));
    testing::internal::CaptureStderr();
    link.SendRunList(many.data(), 101);
    link.SendPollList(many.data(), 101);
    link.SendLev2List(many.data(), 101);
    link.AddPollList(many.data(), 101);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(prompt.messages.empty());
    size_t count = 0;
    for (size_t at = err.find("Num max setting"); at != std::string::npos;
         at = err.find("Num max setting", at + 1))
        ++count;
    EXPECT_EQ(count, 4u) << err;
    EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace ordalis::test
