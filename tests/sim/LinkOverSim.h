#pragma once
// The real link over the real Qt serial port against the simulator: a session as the
// program builds it, the real connect sequence (DriveSession), and a way to let the event
// loop run until something happened or a deadline passed.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/RunUntil.h"
#include "tests/simsupport/SimProcess.h"
#include "tests/core/CoreFixture.h"

namespace ordalis::simtest {


// Simulator, port mapped as COM1 to its link, session and connector.
class LinkOverSim {
public:
    explicit LinkOverSim(std::vector<std::string> simArgs)
        : sim(std::move(simArgs))
    {
        QObject::connect(&drive, &DriveSession::LinkLost, [this] { ++connectionFailures; });
    }
    ~LinkOverSim() { port.Close(); }

    bool Start()
    {
        if (!sim.Start()) return false;
        PortMap map;
        map.Set("COM1", QString::fromStdString(sim.LinkPath()));
        port.SetPortMap(map);
        return true;
    }

    // The connect sequence up to the model name; true when it answered.
    bool Connect(int32_t baud, uint8_t address)
    {
        bool identified = false;
        identifyStatus = 0xFFFF;
        session.callbacks.IdentifyDone = [&](uint16_t status, const uint8_t*, uint8_t) {
            if (status == Sent) return;
            identifyStatus = status;
            identified = true;
        };
        connector.ConnectDrive(1, baud, address);
        const bool ok = RunUntil([&] { return identified; }) && identifyStatus == Answered;
        session.callbacks.IdentifyDone = nullptr;
        // The connector may still be releasing the link after the switch.
        return ok && RunUntil([&] { return !connector.IsConnecting(); });
    }

    // Sends a RunQueue list and waits until the link is idle again.
    bool RunIdle() { return RunUntil([&] { return !session.link.AnyBusy(); }); }

    testing::SimProcess sim;
    QtSerialPort port;
    QtTimerFactory timers;
    test::RecordingTextPrompt prompt;
    Session session{port, timers, prompt, 0x1234};
    DriveSession drive{session, timers, prompt};
    DriveSession& connector = drive;  // its connect operation
    uint16_t identifyStatus = 0xFFFF;
    int connectionFailures = 0;
};

}  // namespace ordalis::simtest
