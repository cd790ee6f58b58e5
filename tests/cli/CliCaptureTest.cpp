// capture of ordalis-cli against the simulator: one capture as CSV, its usage errors.
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"
#include "tests/simsupport/SimProcess.h"

namespace ordalis::clitest {
namespace {

class CliCapture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start()) << sim.Output();
        env = std::make_unique<CliEnv>(QStringList{"COM1=" + QString::fromStdString(sim.LinkPath())});
    }
    CliResult Cli(QStringList args, int address) const {
        return env->Run(args + QStringList{"--port", "COM1", "--address", QString::number(address)});
    }
    QString File(const char* name) const { return dir.filePath(name); }

    testing::SimProcess sim{{"--drive", "1:LQ340"}};
    std::unique_ptr<CliEnv> env;
    QTemporaryDir dir;
};

TEST_F(CliCapture, CaptureWritesTheSamplesAsCsv) {
    const CliResult r = Cli({"capture", "--channels", "1,4", "--time", "50ms", "--csv", File("cap.csv"), "--json"}, 1);
    ASSERT_EQ(r.code, 0) << r.err;
    const QJsonObject o = r.Json().object();
    const int samples = o["samples"].toInt();
    EXPECT_GT(samples, 0);
    EXPECT_EQ(o["traceTimeUs"].toInt(), 50000);
    EXPECT_EQ(o["channels"].toArray(), QJsonArray({1, 4}));
    QFile csv(File("cap.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).trimmed().split('\n');
    const QStringList rows = lines.filter(QRegularExpression("^[0-9]"));
    EXPECT_EQ(rows.size(), samples);
    EXPECT_EQ(rows[0].split(',').size(), 3) << "time and two channels";
    EXPECT_TRUE(lines.filter("Time (s)").size() == 1) << lines.join('\n');

    for (const QStringList& bad : {QStringList{"--channels", "1", "--time", "30ms"}, QStringList{"--channels", "99"},
                                   QStringList{"--time", "25ms"}}) {
        SCOPED_TRACE(bad.join(' ').toStdString());
        EXPECT_EQ(Cli(QStringList{"capture", "--csv", File("x.csv")} + bad, 1).code, 1);
    }
}

}  // namespace
}  // namespace ordalis::clitest
