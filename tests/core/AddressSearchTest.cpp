// The address search without its page: probes, rates, what it puts back, and when it ends.
#include "core/AddressSearch.h"
#include "tests/core/CoreFixture.h"

namespace ordalis::test {
namespace {

class AddressSearchTest : public CoreTest {
protected:
    AddressSearchTest() {
        QObject::connect(&search, &AddressSearch::AddressDone,
                         [this](int address, bool online) { done.push_back(online ? address : -1 - address); });
        QObject::connect(&search, &AddressSearch::Finished, [this] { ++finished; });
    }
    // Moves the fake clock without letting the event loop run.
    void RunWithoutEvents(int ms) {
        for (int i = 0; i < ms; ++i) {
            bus.Deliver();
            timers.Advance(1);
        }
    }
    AddressSearch search{drive};
    std::vector<int> done;  // address when online, -1 - address when not
    int finished = 0;
};

// "Search end!" used to open inside the link's callback: Finished comes from the event
// loop, after the last probe's handling has returned.
TEST_F(AddressSearchTest, FinishesFromTheEventLoopWithThePortClosed) {
    bus.drives = {{2}};
    ASSERT_EQ(search.Start("COM1", false), PortOpenError::None);
    RunWithoutEvents(5000);
    EXPECT_EQ(done.size(), 16u);
    EXPECT_EQ(done[2], 2);
    EXPECT_FALSE(search.IsSearching());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(finished, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 1);
}

// A refused probe (132) used to end the search silently: the address is probed once more,
// then counts as not answering and the search goes on.
TEST_F(AddressSearchTest, ARefusedProbeIsRepeatedThenTheSearchGoesOn) {
    bus.drives = {{0, 9600, "LQ340", 1}, {1}};
    ASSERT_EQ(search.Start("COM1", false), PortOpenError::None);
    Run(6000);
    ASSERT_EQ(done.size(), 16u);
    EXPECT_EQ(done[0], -1);
    EXPECT_EQ(done[1], 1);
    EXPECT_EQ(finished, 1);
}

// Whatever path ends the search, the RunQueue gets its re-send and the port its rate back.
TEST_F(AddressSearchTest, StopAndANewConnectionPutTheLinkBack) {
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way);
        ASSERT_EQ(search.Start("COM1", true), PortOpenError::None);
        Run(250);  // address 0 silent at 9600: on the other rates now, without re-send
        ASSERT_NE(port.BaudRate(), 9600);
        if (way == 0)
            search.Stop();
        else
            drive.ConnectDrive(1, 9600, 1);  // Retry of the failure dialog, say
        EXPECT_FALSE(search.IsSearching());
        EXPECT_EQ(session.link.Queue(RunQueue).timeoutRetryLimit, 1);
        drive.Cancel();
        port.SetBaudRate(9600);
    }
}

}  // namespace
}  // namespace ordalis::test
