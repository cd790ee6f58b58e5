// The bus scan over the fake bus with a fake clock: verdicts and rates, and that the port
// and the link are the session's again afterwards, however the scan ends.
#include "core/BusScan.h"
#include "tests/core/CoreFixture.h"

namespace ordalis::test {
namespace {

class BusScanTest : public CoreTest {
protected:
    BusScanTest() {
        QObject::connect(&scan, &BusScan::Probing, [this](int address, int32_t rate) {
            // Stray bytes while address 5 is probed at 9600: no valid answer.
            if (address == 5 && rate == 9600 && noiseAt5) port.Inject({0x00, 0xFF, 0x00});
        });
        QObject::connect(&scan, &BusScan::Finished, [this] { ++finished; });
    }
    // After a scan the session connects as usual: the link hears the port again.
    void ExpectTheSessionConnects(uint8_t address) {
        drive.ConnectDrive(1, 115200, address);
        Run(3000);
        EXPECT_EQ(session.mirror.ModelName(), bus.Find(address)->model);
        EXPECT_EQ(linkLost, 0);
    }
    BusScan scan{session};
    bool noiseAt5 = false;
    int finished = 0;
};

TEST_F(BusScanTest, VerdictsAndRatesOverEveryRate) {
    bus.drives = {{2, 19200, "LQ560"}, {9, 9600, "HV120"}};
    noiseAt5 = true;
    ASSERT_EQ(scan.Start("COM1", 9600, true), PortOpenError::None);
    Run(20000);
    ASSERT_EQ(finished, 1);
    const std::vector<ScanResult>& r = scan.Results();
    ASSERT_EQ(r.size(), 16u);
    EXPECT_EQ(r[2].verdict, ScanVerdict::Found);
    EXPECT_EQ(r[2].rate, 19200);
    EXPECT_EQ(r[2].model, "LQ560");
    EXPECT_EQ(r[9].verdict, ScanVerdict::Found);
    EXPECT_EQ(r[9].rate, 9600);
    EXPECT_EQ(r[9].model, "HV120");
    EXPECT_EQ(r[5].verdict, ScanVerdict::Garbled);
    EXPECT_EQ(r[5].garbledRates, std::vector<int32_t>{9600});
    EXPECT_EQ(r[0].verdict, ScanVerdict::Silent);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.BaudRate(), 9600);
    EXPECT_EQ(session.link.Queue(RunQueue).answerTimeout, 200);
    EXPECT_EQ(session.link.Queue(RunQueue).timeoutRetryLimit, 3);
    bus.drives[0].baud = 9600;
    ExpectTheSessionConnects(2);
}

TEST_F(BusScanTest, OneRateOnlyAndAStopInTheMiddle) {
    bus.drives = {{1, 38400, "LQ340"}};
    ASSERT_EQ(scan.Start("COM1", 38400, false, 0, 3), PortOpenError::None);
    Run(3000);
    ASSERT_EQ(scan.Results().size(), 4u);
    EXPECT_EQ(scan.Results()[1].verdict, ScanVerdict::Found);
    EXPECT_EQ(scan.Results()[1].rate, 38400);
    EXPECT_EQ(scan.Results()[2].verdict, ScanVerdict::Silent);

    ASSERT_EQ(scan.Start("COM1", 9600, true), PortOpenError::None);
    Run(150);
    scan.Stop();
    EXPECT_FALSE(scan.IsScanning());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.BaudRate(), 9600);
    Run(2000);
    EXPECT_EQ(finished, 1) << "a stopped scan does not finish";
    ExpectTheSessionConnects(1);
}

TEST_F(BusScanTest, APortThatCannotBeOpenedStartsNothing) {
    port.openResults["COM4"] = PortOpenError::PortInUse;
    EXPECT_EQ(scan.Start("COM4", 9600, true), PortOpenError::PortInUse);
    EXPECT_FALSE(scan.IsScanning());
    Run(500);
    EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace ordalis::test
