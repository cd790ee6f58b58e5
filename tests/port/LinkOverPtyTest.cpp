// The link with the real Qt serial port and the real Qt timers over a pseudo-terminal:
// how Qt orders a due timer against bytes that arrived meanwhile decides whether an answer
// that came in time is taken for late. The GUI thread stalls (a slow repaint, a file
// dialog) are played by events that block the thread.
#include <QCoreApplication>
#include <QSerialPort>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "link/DriveLink.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/port/PtyDrive.h"
#include "tests/support/RecordingPrompt.h"

namespace ordalis {
namespace {

using test::PtyDrive;

// Blocks the GUI thread for ms inside an event of its own, as a slow repaint, a file
// dialog or a loaded machine would. The sleep is the fault played, not a wait.
void StallSoon(int ms)
{
    QTimer::singleShot(0, [ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
}

class LinkOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty_.Ok());
        PortMap map;
        map.Set(QStringLiteral("COM7"), pty_.SlavePath());
        port_.SetPortMap(map);
        port_.SetCommName("COM7");
        ASSERT_EQ(port_.Open(), PortOpenError::None);
        link_.SlaveAddress = 1;
    }

    CommandRecord Read(uint16_t id, uint8_t* field)
    {
        return {CmdRead, id, 2, field, 2, [this, id](uint16_t status, const uint8_t*, uint8_t) {
                    calls_.push_back(std::to_string(id) + ":" + std::to_string(status));
                }};
    }
    bool Idle() { return QTest::qWaitFor([&] { return !link_.AnyBusy(); }, 10000); }

    test::Pty pty_;
    std::unique_ptr<PtyDrive> drive_;  // started by each test
    QtSerialPort port_;
    QtTimerFactory timers_;
    test::RecordingPrompt prompt_;
    DriveLink link_{port_, timers_, prompt_, 7};
    std::vector<std::string> calls_;
};

// A stall longer than the 200 ms time-out while an answer is on its way used to make the
// link send the request again and take every later answer for the next record: 138 held
// 137's value; in six reads with one stall, four fields were shifted by one. Two faults
// together: the answer's delivery was queued behind the due time-out, and the request
// itself sat in Qt's write buffer until the stall ended while its time-out ran.
TEST_F(LinkOverPty, AnswerThatArrivedDuringAStallIsNotTakenForLate)
{
    drive_ = std::make_unique<PtyDrive>(pty_, true);
    auto* device = port_.findChild<QSerialPort*>();
    ASSERT_NE(device, nullptr);
    enum class Stall {
        Posted,          // an event posted as the request goes out
        BehindDelivery,  // an event queued right behind the delivery of the previous answer
    };
    struct Case {
        const char* name;
        std::vector<uint16_t> ids;
        size_t stallAt;  // the stall starts as this request has been sent
        Stall stall;
    };
    const Case cases[] = {
        {"two reads, stall at the first", {137, 138}, 0, Stall::Posted},
        {"six reads, stall at the second", {20, 151, 139, 137, 138, 0}, 1, Stall::Posted},
        {"three reads, stall at the last", {137, 138, 139}, 2, Stall::Posted},
        {"three reads, stall behind the first answer", {137, 138, 139}, 1, Stall::BehindDelivery},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        drive_->ClearRequests();
        calls_.clear();
        std::vector<std::array<uint8_t, 2>> fields(c.ids.size(), {0xEE, 0xEE});
        std::vector<CommandRecord> list;
        for (size_t i = 0; i < c.ids.size(); ++i) list.push_back(Read(c.ids[i], fields[i].data()));
        QMetaObject::Connection behind;
        if (c.stall == Stall::BehindDelivery) {
            // Queued after the port's own delivery of the answer: the link has just handed
            // the next request to the port when the stall begins.
            behind = QObject::connect(device, &QSerialPort::readyRead, [&] {
                QObject::disconnect(behind);
                StallSoon(250);
            });
        } else if (c.stallAt > 0) {
            // The previous record's callback runs just before the link sends the next request.
            CompletionCallback& cb = list[c.stallAt - 1].Callback;
            cb = [cb](uint16_t status, const uint8_t* data, uint8_t n) {
                cb(status, data, n);
                StallSoon(250);
            };
        }
        link_.SendPollList(list.data(), static_cast<int>(list.size()));
        if (c.stall == Stall::Posted && c.stallAt == 0) StallSoon(250);
        ASSERT_TRUE(Idle());
        for (size_t i = 0; i < c.ids.size(); ++i) {
            EXPECT_EQ(std::vector<uint8_t>(fields[i].begin(), fields[i].end()), PtyDrive::Value(c.ids[i]))
                << "field of " << c.ids[i];
            EXPECT_EQ(calls_.at(i), std::to_string(c.ids[i]) + ":0");
        }
        EXPECT_EQ(drive_->Requests().size(), c.ids.size()) << "no request sent twice";
    }
}

// A stall longer than 20 ms in the middle of a frame used to drop the frame although its
// tail was already in the port, and the request went out again.
TEST_F(LinkOverPty, FrameWhoseTailArrivedDuringAStallIsKept)
{
    drive_ = std::make_unique<PtyDrive>(pty_, false);
    std::array<uint8_t, 2> field{0xEE, 0xEE};
    const CommandRecord rec = Read(37, field.data());
    link_.SendRunList(&rec, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !drive_->Requests().empty(); }, 5000));
    const std::vector<uint8_t> answer = drive_->Answer(37);
    ASSERT_TRUE(drive_->Send({answer.begin(), answer.begin() + 5}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link_.ParserResetTimer().IsActive(); }, 5000))
        << "the head of the frame never reached the parser";
    ASSERT_TRUE(drive_->Send({answer.begin() + 5, answer.end()}));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the stall: no events run
    ASSERT_TRUE(Idle());
    EXPECT_EQ(std::vector<uint8_t>(field.begin(), field.end()), PtyDrive::Value(37));
    EXPECT_EQ(calls_, std::vector<std::string>{"37:0"});
    EXPECT_EQ(drive_->Requests().size(), 1u) << "no request sent twice";
}

}  // namespace
}  // namespace ordalis
