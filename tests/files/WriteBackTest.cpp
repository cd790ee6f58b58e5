// Loading a parameter file into the drive: fourteen writes in file order on the
// RunQueue with the poll stopped, counted, the poll restarted; refused records reported.
#include <QTemporaryDir>

#include "core/FileTexts.h"
#include "core/Texts.h"
#include "tests/files/FilesFixture.h"

namespace ordalis::test {
namespace {

const std::vector<uint16_t> kFileOrder = {0, 1, 97, 127, 128, 135, 39, 136, 131, 133, 132, 134, 98, 99};

class WriteBackTest : public FilesTest {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("tuned.esp"));
    std::vector<int> progress;
    int done = 0;
    QStringList failed;

    WriteBackTest() {
        QObject::connect(&files, &WriteBack::WriteBackProgress, [this](int n, int) { progress.push_back(n); });
        QObject::connect(&files, &WriteBack::WriteBackDone, [this] { ++done; });
        QObject::connect(&files, &WriteBack::WriteBackFailed, [this](const QString& t) { failed << t; });
    }

    // A file whose value for parameter id is 100 + its position in the file.
    void MakeFile(uint16_t modelCode = 340) {
        ParameterMirror m;
        m.SetU16(pid::ModelCode, modelCode);
        for (size_t i = 0; i < kFileOrder.size(); ++i) m.SetU16(kFileOrder[i], uint16_t(100 + i));
        QString error;
        ASSERT_TRUE(SaveBinFile(file, BuildParameterFile(m, 7), &error)) << error.toStdString();
    }
    static std::vector<std::string> ExpectedWrites() {
        std::vector<std::string> w;
        for (size_t i = 0; i < kFileOrder.size(); ++i)
            w.push_back("D" + std::to_string(kFileOrder[i]) + "=" + std::to_string(100 + i));
        return w;
    }
    std::vector<std::string> RunWrites() const {
        std::vector<std::string> w;
        for (const auto& h : bus.Writes())
            if (h.rfind("D137", 0) != 0) w.push_back(h);
        return w;
    }
};

class WriteBackPerModel : public WriteBackTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(WriteBackPerModel, LoadWritesFourteenParametersInFileOrderAndRestartsThePoll) {
    Connect(GetParam(), 340);
    MakeFile();
    ASSERT_TRUE(files.LoadFile(file));
    EXPECT_FALSE(drive.IsPolling()) << "the poll rests during the write-back";
    EXPECT_EQ(session.mirror.GetU16(pid::PulseMode), 102) << "the mirror holds the file's values";
    Pump();
    EXPECT_EQ(RunWrites(), ExpectedWrites());
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_TRUE(drive.IsPolling()) << "also for a model whose read-back does not start it";
    EXPECT_FALSE(files.Running());
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Models, WriteBackPerModel, ::testing::Values("LQ340", "HV120"));

// Used to leave the progress window open and the poll off until the next connection.
TEST_F(WriteBackTest, RefusedRecordIsNamedAndThePollRestarts) {
    Connect();
    MakeFile();
    bus.refuseWrites[pid::PulseMode] = 1000;
    for (uint8_t language : {0, 1}) {
        session.settings.LanguageIndex = language;
        failed.clear();
        done = 0;
        ASSERT_TRUE(files.LoadFile(file));
        Pump();
        ASSERT_EQ(failed.size(), 1);
        EXPECT_TRUE(failed[0].contains(QStringLiteral("97"))) << failed[0].toStdString();
        EXPECT_EQ(failed[0], Text(session, FileTexts::kWriteBackFailed).arg(ParameterForMessage(97)));
        EXPECT_EQ(done, 0);
        EXPECT_TRUE(drive.IsPolling());
        EXPECT_FALSE(files.Running());
        // The records after it were still written.
        EXPECT_EQ(bus.values[pid::PulseOptions], 113u);
    }
}

TEST_F(WriteBackTest, LastRecordRefusedForeverIsWrittenTwiceThenReported) {
    Connect();
    MakeFile();
    bus.refuseWrites[pid::PulseOptions] = 1000;
    ASSERT_TRUE(files.LoadFile(file));
    Pump();
    // Each pass writes the list once; the refused record goes out four times (three repeats).
    std::vector<std::string> expected;
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& w : ExpectedWrites())
            for (int n = 0; n < (w.rfind("D99=", 0) == 0 ? 4 : 1); ++n) expected.push_back(w);
    EXPECT_EQ(RunWrites(), expected);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].contains(QStringLiteral("99")));
    EXPECT_EQ(done, 0);
    EXPECT_TRUE(drive.IsPolling());
}

TEST_F(WriteBackTest, LastRecordRefusedOnceCompletesWithTheRepeat) {
    Connect();
    MakeFile();
    bus.refuseWrites[pid::PulseOptions] = 4;  // the first pass's try and its three repeats
    ASSERT_TRUE(files.LoadFile(file));
    Pump();
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_EQ(progress.back(), 14);
    EXPECT_EQ(std::count(progress.begin(), progress.end(), 0), 1) << "the count starts over once";
    EXPECT_EQ(bus.values[pid::PulseOptions], 113u);
    EXPECT_TRUE(drive.IsPolling());
}

TEST_F(WriteBackTest, NoAnswerStopsThePollAndReportsTheLostLink) {
    Connect();
    MakeFile();
    ASSERT_TRUE(files.LoadFile(file));
    bus.silent = true;
    Pump();
    EXPECT_EQ(linkLost, 1);
    EXPECT_FALSE(drive.IsPolling());
    EXPECT_EQ(done, 0);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_FALSE(files.Running());
}

TEST_F(WriteBackTest, NothingIsLoadedWithoutAConnectedDrive) {
    MakeFile(0);
    EXPECT_FALSE(files.LoadFile(file));
    EXPECT_EQ(prompt.messages, QStringList{Text(session, FileTexts::kNoDrive)});
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 0);
    EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace ordalis::test
