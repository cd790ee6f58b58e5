// Every command of ordalis-cli run as a process against the simulator over a
// pseudo-terminal: output, exit codes and --json.
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <signal.h>

#include "tests/cli/CliRun.h"
#include "tests/simsupport/RunUntil.h"
#include "tests/simsupport/SimProcess.h"

namespace ordalis::clitest {
namespace {

using testing::SimProcess;

class CliOverSim : public ::testing::Test {
protected:
    // Starts the simulator with args and a settings file whose COM1 is its link.
    void Start(std::vector<std::string> args) {
        sim = std::make_unique<SimProcess>(std::move(args));
        ASSERT_TRUE(sim->Start()) << sim->Output();
        env = std::make_unique<CliEnv>(QStringList{"COM1=" + QString::fromStdString(sim->LinkPath())});
    }
    CliResult Cli(QStringList args) const { return env->Run(args); }
    static QStringList Drive(QStringList args, int address = 1) {
        return args + QStringList{"--port", "COM1", "--address", QString::number(address), "--baud", "115200"};
    }

    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<CliEnv> env;
};

TEST_F(CliOverSim, PortsListsTheMappedSimulatorAsFreeAndOpenable) {
    Start({"--drive", "1:LQ340"});
    const CliResult r = Cli({"ports", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const QJsonArray ports = r.Json().array();
    ASSERT_GE(ports.size(), 5);
    const QJsonObject com1 = ports[0].toObject();
    EXPECT_EQ(com1["name"].toString(), "COM1");
    EXPECT_EQ(com1["device"].toString(), QString::fromStdString(sim->LinkPath()));
    EXPECT_TRUE(com1["exists"].toBool());
    EXPECT_TRUE(com1["accessible"].toBool());
    // The simulator keeps the slave open too, as the far end of its terminal: no holder.
    EXPECT_TRUE(com1["holders"].toArray().isEmpty());
    const CliResult text = Cli({"ports"});
    EXPECT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.startsWith("COM1")) << text.out;
    EXPECT_TRUE(text.out.contains("may open, free")) << text.out;
}

// Drives powered up at 38400 and 115200 on one bus: only the scan over every rate finds both.
TEST_F(CliOverSim, ScanAllRatesFindsDrivesLeftAtOtherRates) {
    Start({"--drive", "2:LQ340", "--param", "2:53=38400", "--drive", "7:HV120", "--param", "7:53=115200"});
    const CliResult one = Cli({"scan", "--port", "COM1"});
    EXPECT_EQ(one.code, 3) << "nothing answers at 9600 alone";
    EXPECT_TRUE(one.out.contains("address  2  silent")) << one.out;
    EXPECT_EQ(one.out.count("silent"), 16) << one.out;
    const CliResult r = Cli({"scan", "--port", "COM1", "--all-rates", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const QJsonArray results = r.Json().object()["results"].toArray();
    ASSERT_EQ(results.size(), 16);
    for (const QJsonValue& v : results) {
        const QJsonObject o = v.toObject();
        const int a = o["address"].toInt();
        SCOPED_TRACE(a);
        if (a == 2 || a == 7) {
            EXPECT_EQ(o["verdict"].toString(), "found");
            EXPECT_EQ(o["rate"].toInt(), a == 2 ? 38400 : 115200);
            EXPECT_EQ(o["model"].toString(), a == 2 ? "LQ340" : "HV120");
        } else {
            EXPECT_EQ(o["verdict"].toString(), "silent");
        }
    }
}

TEST_F(CliOverSim, InfoConnectsAsTheProgramAndListsTheReadBack) {
    Start({"--drive", "1:LQ340", "--drive", "10:HV120"});
    const CliResult hv = Cli(Drive({"info", "--json"}, 10));
    ASSERT_EQ(hv.code, 0) << hv.err;
    EXPECT_EQ(hv.Json().object()["model"].toString(), "HV120");
    EXPECT_EQ(hv.Json().object()["parameters"].toArray().size(), 24) << "the HV120's own read-back";
    const CliResult r = Cli(Drive({"info", "--json"}));
    ASSERT_EQ(r.code, 0) << r.err;
    const QJsonObject o = r.Json().object();
    EXPECT_EQ(o["model"].toString(), "LQ340");
    EXPECT_EQ(o["baud"].toInt(), 115200);
    const QJsonArray params = o["parameters"].toArray();
    EXPECT_EQ(params.size(), 34);
    EXPECT_EQ(params[0].toObject()["name"].toString(), "kp");
    const CliResult text = Cli(Drive({"info"}));
    EXPECT_TRUE(text.out.startsWith("model LQ340, address 1, 115200 baud")) << text.out;
}

TEST_F(CliOverSim, ReadByNumberAndNameWriteAndUnchangedWrite) {
    Start({"--drive", "1:LQ340"});
    const CliResult before = Cli(Drive({"read", "53", "KP", "55", "--json"}));
    ASSERT_EQ(before.code, 0) << before.err;
    const QJsonArray b = before.Json().array();
    ASSERT_EQ(b.size(), 3);
    EXPECT_EQ(b[0].toObject()["value"].toInt(), 115200) << "the connection switched the drive to the chosen rate";
    EXPECT_EQ(b[1].toObject()["id"].toInt(), 0);
    EXPECT_EQ(b[2].toObject()["value"].toString(), "LQ340");
    const int oldKp = b[1].toObject()["value"].toInt();

    const CliResult w = Cli(Drive({"write", "kp=" + QString::number(oldKp + 7), "1=0x20", "--json"}));
    ASSERT_EQ(w.code, 0) << w.err;
    EXPECT_TRUE(w.Json().array()[0].toObject()["written"].toBool());
    EXPECT_EQ(w.Json().array()[1].toObject()["value"].toInt(), 32);

    // A new connection reads what the drive holds; equal values are not sent again.
    const CliResult again = Cli(Drive({"write", "kp=" + QString::number(oldKp + 7)}));
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_TRUE(again.out.contains("(unchanged, not sent)")) << again.out;
    const CliResult after = Cli(Drive({"read", "0", "1"}));
    EXPECT_TRUE(after.out.contains(QString("= %1").arg(oldKp + 7))) << after.out;
    EXPECT_TRUE(after.out.contains("= 32")) << after.out;
}

// The drive refuses writes of a read-only parameter and both ways of a --refuse'd one.
TEST_F(CliOverSim, ARefusedRequestIsExitCodeFour) {
    Start({"--drive", "1:LQ340", "--refuse", "1:98"});
    const CliResult readOnly = Cli(Drive({"write", "56=7"}));
    EXPECT_EQ(readOnly.code, 4);
    EXPECT_TRUE(readOnly.err.contains("refused the write of 56")) << readOnly.err;
    const CliResult refused = Cli(Drive({"write", "98=3", "--json"}));
    EXPECT_EQ(refused.code, 4);
    EXPECT_TRUE(refused.err.contains("refused")) << refused.err;
    const CliResult info = Cli(Drive({"info"}));
    EXPECT_EQ(info.code, 4) << "the read-back stops at 98";
    EXPECT_TRUE(info.err.contains("98")) << info.err;
}

// What eeprom-save stores survives a power cycle (a new simulator on the same EEPROM
// image); a write alone does not.
TEST_F(CliOverSim, EepromSaveKeepsAWriteAcrossAPowerCycle) {
    QTemporaryDir dir;
    const std::string state = dir.filePath("eeprom.bin").toStdString();
    Start({"--drive", "1:LQ340", "--state", state});
    ASSERT_EQ(Cli(Drive({"write", "39=321"})).code, 0);
    const CliResult saved = Cli(Drive({"eeprom-save", "--json"}));
    ASSERT_EQ(saved.code, 0) << saved.err;
    EXPECT_TRUE(saved.Json().object()["eepromSaved"].toBool());
    ASSERT_EQ(Cli(Drive({"write", "39=654"})).code, 0);
    sim->Stop();
    Start({"--drive", "1:LQ340", "--state", state});
    const CliResult r = Cli(Drive({"read", "39", "--json"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.Json().array()[0].toObject()["value"].toInt(), 321);

    // The same in one connection.
    const CliResult both = Cli(Drive({"write", "39=987", "--eeprom-save"}));
    ASSERT_EQ(both.code, 0) << both.err;
    EXPECT_TRUE(both.out.contains("parameters stored in the EEPROM")) << both.out;
    sim->Stop();
    Start({"--drive", "1:LQ340", "--state", state});
    EXPECT_TRUE(Cli(Drive({"read", "39"})).out.contains("= 987"));
}

TEST_F(CliOverSim, MonitorPrintsStatusLinesUntilCountOrCtrlC) {
    Start({"--drive", "1:LQ340"});
    const CliResult r = Cli(Drive({"monitor", "--count", "3", "--json"}));
    ASSERT_EQ(r.code, 0) << r.err;
    const QStringList lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    double lastT = 0;
    for (const QString& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_GT(o["busVoltage"].toDouble(), 20.0) << line.toStdString();
        EXPECT_GT(o["t"].toDouble(), lastT);
        lastT = o["t"].toDouble();
    }

    QProcess p;
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    pe.insert("ORDALIS_CFG", env->CfgPath());
    p.setProcessEnvironment(pe);
    p.start(CliPath(), Drive({"monitor"}));
    ASSERT_TRUE(p.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(simtest::RunUntil([&] {
        p.waitForReadyRead(10);
        out += p.readAllStandardOutput();
        return out.count('\n') >= 2;
    }));
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(out.contains("status 0x0000")) << out.toStdString();
}

TEST_F(CliOverSim, ErrorsHaveTheirExitCodesAndPlainWords) {
    Start({"--drive", "1:LQ340"});
    struct Case {
        QStringList args;
        int code;
        const char* err;
    };
    const Case cases[] = {
        {{"frobnicate"}, 1, "unknown command 'frobnicate'"},
        {{"read", "--port", "COM1"}, 1, "name at least one parameter"},
        {{"read", "nosuch", "--port", "COM1"}, 1, "unknown parameter 'nosuch'"},
        {{"write", "0=12a", "--port", "COM1"}, 1, "'12a' is not a valid integer value"},
        {{"write", "0=70000", "--port", "COM1"}, 1, "70000 is outside -32768 .. 32767"},
        {{"write", "0", "--port", "COM1"}, 1, "write takes ID=VALUE"},
        {{"info", "--port", "COM1", "--address", "16"}, 1, "--address must be 0 .. 15"},
        {{"info", "--port", "COM1", "--baud", "1234"}, 1, "--baud must be one of"},
        {{"info", "--port", "COM1", "--bogus"}, 1, "unknown option --bogus"},
        {{"scan", "--port", "LPT1"}, 1, "'LPT1' is no port"},
        {{"info", "--port", "/nonexistent/ttyX"}, 2, "not found"},
        {{"info", "--port", "COM1", "--address", "9"}, 3, "no answer from a drive at address 9 on COM1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliResult r = Cli(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.startsWith("ordalis-cli: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

TEST(CliHelp, EveryCommandHasHelpWithTheExitCodes) {
    CliEnv env;
    const CliResult all = env.Run({"--help"});
    EXPECT_EQ(all.code, 0);
    for (const char* command : {"ports", "scan", "doctor", "info", "read", "write", "eeprom-save", "save", "load", "capture", "monitor"}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(all.out.contains(QString("  ") + command)) << all.out.toStdString();
        const CliResult one = env.Run({command, "--help"});
        EXPECT_EQ(one.code, 0);
        EXPECT_TRUE(one.out.startsWith(QString("Usage: ordalis-cli ") + command)) << one.out.toStdString();
        EXPECT_TRUE(one.out.contains("4 refused by the drive")) << one.out.toStdString();
    }
    EXPECT_EQ(env.Run({}).code, 1);
}

}  // namespace
}  // namespace ordalis::clitest
