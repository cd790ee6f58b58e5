// save and load of ordalis-cli against the simulator: the program's parameter file
// carried from one drive to another, its checks as exit codes.
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"
#include "tests/simsupport/SimProcess.h"

namespace ordalis::clitest {
namespace {

class CliFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start()) << sim.Output();
        env = std::make_unique<CliEnv>(QStringList{"COM1=" + QString::fromStdString(sim.LinkPath())});
    }
    CliResult Cli(QStringList args, int address) const {
        return env->Run(args + QStringList{"--port", "COM1", "--address", QString::number(address)});
    }
    QString File(const char* name) const { return dir.filePath(name); }

    testing::SimProcess sim{{"--drive", "1:LQ340", "--drive", "2:LQ340", "--drive", "3:HV120"}};
    std::unique_ptr<CliEnv> env;
    QTemporaryDir dir;
};

TEST_F(CliFiles, SaveThenLoadCarriesTheParametersToAnotherDrive) {
    ASSERT_EQ(Cli({"write", "39=777", "kp=1500"}, 1).code, 0);
    const CliResult saved = Cli({"save", File("drive1"), "--json"}, 1);
    ASSERT_EQ(saved.code, 0) << saved.err;
    EXPECT_EQ(saved.Json().object()["file"].toString(), File("drive1.esp")) << "the extension is added";
    EXPECT_EQ(QFile(File("drive1.esp")).size(), 32);

    const CliResult loaded = Cli({"load", File("drive1.esp"), "--eeprom-save", "--json"}, 2);
    ASSERT_EQ(loaded.code, 0) << loaded.err;
    EXPECT_TRUE(loaded.Json().object()["eepromSaved"].toBool());
    const CliResult r = Cli({"read", "39", "0", "--json"}, 2);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.Json().array()[0].toObject()["value"].toInt(), 777);
    EXPECT_EQ(r.Json().array()[1].toObject()["value"].toInt(), 1500);
}

TEST_F(CliFiles, AFileThatFailsItsChecksIsAFileError) {
    ASSERT_EQ(Cli({"save", File("lq.esp")}, 1).code, 0);
    QFile bad(File("short.esp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("0123456789");
    bad.close();
    struct Case {
        QStringList args;
        int address;
        const char* err;
    };
    const Case cases[] = {
        {{"load", File("lq.esp")}, 3, "The file's parameters do not match the connected drive!"},
        {{"load", File("short.esp")}, 1, "File format error!"},
        {{"load", File("none.esp")}, 1, "none.esp does not exist"},
        {{"save", File("no-such-folder/x.esp")}, 1, "could not be saved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        const CliResult r = Cli(c.args, c.address);
        EXPECT_EQ(r.code, 5);
        EXPECT_TRUE(r.err.startsWith("ordalis-cli: ")) << r.err;
        EXPECT_TRUE(r.err.contains(c.err)) << r.err;
    }
}

}  // namespace
}  // namespace ordalis::clitest
