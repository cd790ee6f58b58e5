#include <sys/mount.h>
#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <gtest/gtest.h>
#include <random>
#include <thread>

#include "core/SettingsFile.h"
#include "tests/reliability/TornFiles.h"
#include "tests/reliability/WriterProcess.h"

namespace ordalis {
namespace {

using namespace std::chrono_literals;
using test::SaveTorn;
using test::WriterProcess;

const std::string kWriter = ORDALIS_FILE_WRITER;

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Files in dir besides the one saved (temporary files a killed save left behind); removed.
int RemoveLeftovers(const QDir& dir, const QString& keep) {
    int n = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name == keep) continue;
        std::printf("left behind: %s\n", qPrintable(name));
        n += QFile::remove(dir.filePath(name)) ? 1 : 0;
    }
    return n;
}

// Hundreds of kills; fewer when built with AddressSanitizer, whose start-up makes each
// writer slow to start (that build looks for memory faults, which fewer runs show).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultKills = 100;
#else
constexpr int kDefaultKills = 300;
#endif

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// One kind of file of tests/reliability/TornFiles.h per instance.
class TornFile : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // What the file holds after saving the first (A) or the second (B) content; the
        // writer alternates B, A, B, ... starting from A.
        Write(path, test::TornStart(kind));
        QString error;
        ASSERT_TRUE(SaveTorn(kind, path, true, &error)) << error.toStdString();
        fileB = Read(path);
        ASSERT_TRUE(SaveTorn(kind, path, false, &error)) << error.toStdString();
        fileA = Read(path);
        ASSERT_NE(fileA, fileB);
    }
    int RemoveLeftovers() { return ordalis::RemoveLeftovers(QDir(dir.path()), name); }

    const std::string kind = GetParam();
    // In memory where the system has such a folder: a kill tears a file the same way
    // there, and saves do not wait for the disk, so more kills fit in the time.
    QTemporaryDir dir{QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                          ? QStringLiteral("/dev/shm/ordalis-torn-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/ordalis-torn-XXXXXX")};
    const QString name = QStringLiteral("saved.") + QString::fromStdString(kind);
    QString path = dir.filePath(name);
    QByteArray fileA;
    QByteArray fileB;
};

// The writer is killed at a random moment of its first few saves, hundreds of times.
// Knowing how many saves it reported done (k), the file must be the one after k saves
// or, killed between a save's end and its report, after k + 1: never torn, never empty.
TEST_P(TornFile, KilledWriterLeavesTheOldOrTheNewFile) {
    const int kills = EnvInt("ORDALIS_TORN_KILLS", kDefaultKills);
    const unsigned seed = static_cast<unsigned>(EnvInt("ORDALIS_TORN_SEED", 18));
    std::mt19937 gen(seed);

    // Kills spread over about four of the writer's saves, timed from a writer left to run.
    std::chrono::microseconds perSave{};
    {
        WriterProcess writer(kWriter, {"loop", kind, path.toStdString()});
        ASSERT_EQ(writer.Read(1, 10s), "r") << "writer did not start";
        const auto t0 = std::chrono::steady_clock::now();
        ASSERT_EQ(writer.Read(20, 20s).size(), 20u) << "writer did not save";
        perSave = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0) / 20;
    }
    Write(path, fileA);
    std::uniform_int_distribution<long long> delay(0, 4 * perSave.count());

    int leftovers = 0;
    int saves = 0;
    int killedInFirstSave = 0;
    for (int i = 0; i < kills; ++i) {
        WriterProcess writer(kWriter, {"loop", kind, path.toStdString()});
        ASSERT_TRUE(writer.Started());
        ASSERT_EQ(writer.Read(1, 10s), "r") << "writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(delay(gen)));  // the kill moment
        writer.Kill();
        const std::string done = writer.ReadToEnd(10s);
        const int k = static_cast<int>(done.size());
        saves += k;
        if (k == 0) ++killedInFirstSave;
        const QByteArray& afterK = (k % 2 == 0) ? fileA : fileB;
        const QByteArray& afterNext = (k % 2 == 0) ? fileB : fileA;
        const QByteArray now = Read(path);
        ASSERT_TRUE(now == afterK || now == afterNext)
            << "kill " << i << " (seed " << seed << ") after " << k << " saves: file of " << now.size()
            << " bytes is neither the old nor the new one";
        // The next run starts from the file A holds.
        if (now != fileA) Write(path, fileA);
        leftovers += RemoveLeftovers();
    }
    std::printf("%s: %d kills, %d saves completed, %d killed before the first save ended, %d temporary files left behind "
                "(%lld us per save)\n",
                kind.c_str(), kills, saves, killedInFirstSave, leftovers, static_cast<long long>(perSave.count()));
}

// A full disk while saving (files limited in size): the save fails with a reason and
// the old file stays whole; a process the size signal ends leaves it whole too.
TEST_P(TornFile, FullDiskKeepsTheOldFileAndReportsFailure) {
    struct Case {
        long limit;
        bool keepRunning;
        bool saves;
    };
    const long bigger = std::max(fileA.size(), fileB.size());
    const Case cases[] = {
        {0, true, false},
        {fileB.size() / 2, true, false},
        {fileB.size() - 1, true, false},
        {fileB.size() - 1, false, false},
        {fileB.size() / 2, false, false},
        {bigger + 1, true, true},  // room enough: the limit alone does not fail a save
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("limit " + std::to_string(c.limit) + (c.keepRunning ? " keep" : " die"));
        Write(path, fileA);
        WriterProcess writer(kWriter, {"limited", kind, path.toStdString(), std::to_string(c.limit), c.keepRunning ? "keep" : "die"});
        ASSERT_TRUE(writer.Started());
        const std::string output = writer.ReadToEnd(20s);
        const int status = writer.Wait(20s);
        ASSERT_NE(status, -1) << "writer did not end";
        if (c.saves) {
            EXPECT_EQ(output, "saved\n");
            EXPECT_EQ(Read(path), fileB);
            continue;
        }
        if (c.keepRunning) {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
            // The system's reason, not "Unknown error": the user is told why.
            EXPECT_EQ(output, "failed: " + std::generic_category().message(EFBIG) + "\n");
            EXPECT_EQ(RemoveLeftovers(), 0) << "a failed save left its temporary file";
        } else {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
            RemoveLeftovers();
        }
        EXPECT_EQ(Read(path), fileA) << "the old file did not stay whole";
    }
}

// A file system that is really full (a tmpfs just big enough for the old file): the save
// fails with the system's reason, the old file stays whole and nothing is left behind.
// Needs the right to mount; skipped without it.
TEST_P(TornFile, FullFileSystemKeepsTheOldFileAndTellsWhy) {
    QTemporaryDir mountPoint;
    ASSERT_TRUE(mountPoint.isValid());
    const long pages = (fileA.size() + 4095) / 4096;
    const std::string options = "size=" + std::to_string(pages * 4096);
    if (mount("tmpfs", mountPoint.path().toLocal8Bit().constData(), "tmpfs", 0, options.c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::generic_category().message(errno);
    struct Unmount {
        QString path;
        ~Unmount() { umount2(path.toLocal8Bit().constData(), MNT_DETACH); }
    } unmount{mountPoint.path()};

    const QString full = QDir(mountPoint.path()).filePath(name);
    Write(full, fileA);
    ASSERT_EQ(Read(full), fileA) << "the old file does not fit the file system";
    WriterProcess writer(kWriter, {"limited", kind, full.toStdString(), "-1", "keep"});
    ASSERT_TRUE(writer.Started());
    const std::string output = writer.ReadToEnd(20s);
    const int status = writer.Wait(20s);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(output, "failed: " + std::generic_category().message(ENOSPC) + "\n");
    EXPECT_EQ(Read(full), fileA) << "the old file did not stay whole";
    EXPECT_EQ(QDir(mountPoint.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{name});
}

INSTANTIATE_TEST_SUITE_P(Files, TornFile, ::testing::Values("cfg"));

}  // namespace
}  // namespace ordalis
