// The 32-byte parameter file: layout, checksum, the checks of a load, the save through a
// temporary file and the default extension.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

#include "core/ParameterFile.h"
#include "model/CommandLists.h"
#include "tests/files/FilesFixture.h"

namespace ordalis::test {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Bytes(const ParameterFileImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), kParameterFileSize);
}

// A file as another tool of this format writes it, byte by byte from the layout: random
// byte 0x5A, checksum, model code 0x8001, then Cp 1200, Ci 100, pulse mode 2, Ls 180,
// Rs 85, micro-step 32, idle delay 500, idle ratio 32768, amplitudes 10 and 20, phases
// 30 and 40, smoothing 5, pulse options 3.
const char kForeignFileHex[] =
    "5a" "a5" "0180"
    "b004" "6400" "0200" "b400" "5500" "2000" "f401"
    "0080" "0a00" "1400" "1e00" "2800" "0500" "0300";

ParameterFileImage ForeignFile() {
    const QByteArray raw = QByteArray::fromHex(kForeignFileHex);
    ParameterFileImage image{};
    std::copy(raw.begin(), raw.end(), image.begin());
    return image;
}

TEST(ParameterFileFormat, ChecksumIsTheByteSumOfBytesTwoToThirtyOne) {
    ParameterFileImage image{};
    image[0] = 0xFF;  // neither byte 0 nor byte 1 counts
    image[1] = 0x77;
    image[2] = 200;
    image[31] = 100;  // 300 modulo 256
    EXPECT_EQ(FileChecksum(image), 44);
}

TEST(ParameterFileFormat, FileOrderIsTheWriteBackOrder) {
    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks callbacks;
    CommandLists lists(mirror, trace, callbacks);
    ASSERT_EQ(lists.WriteBackList.Count, int(kParameterFileIds.size()));
    for (size_t i = 0; i < kParameterFileIds.size(); ++i)
        EXPECT_EQ(lists.WriteBackList.Records[i].ParamId, kParameterFileIds[i]) << i;
}

TEST(ParameterFileFormat, AForeignFileLoadsAndOursMatchesIt) {
    ASSERT_EQ(QByteArray::fromHex(kForeignFileHex).size(), kParameterFileSize);
    const ParameterFileImage foreign = ForeignFile();
    ASSERT_EQ(FileChecksum(foreign), foreign[1]);
    ParameterMirror mirror;
    mirror.SetU16(pid::ModelCode, 0x8001);
    ASSERT_EQ(CheckParameterFile(foreign, 0x8001), FileCheck::Ok);
    ApplyParameterFile(foreign, mirror);
    EXPECT_EQ(mirror.GetI16(pid::Cp), 1200);
    EXPECT_EQ(mirror.GetU16(pid::IdleCurrent), 32768);
    EXPECT_EQ(mirror.GetU16(pid::PulseOptions), 3);
    EXPECT_EQ(mirror.GetU16(pid::Res2Phase), 40);
    // Ours, from the same values and the same random byte, is the same file.
    EXPECT_EQ(Bytes(BuildParameterFile(mirror, 0x5A)).toHex(), Bytes(foreign).toHex());
}

TEST(ParameterFileFormat, SignedAndFullRangeValuesTravelUnchanged) {
    ParameterMirror mirror;
    mirror.SetI16(pid::Ls, -2);
    mirror.SetU16(pid::IdleCurrent, 65535);
    ParameterMirror loaded;
    ApplyParameterFile(BuildParameterFile(mirror, 0), loaded);
    EXPECT_EQ(loaded.GetI16(pid::Ls), -2);
    EXPECT_EQ(loaded.GetU16(pid::IdleCurrent), 65535);
}

TEST(ParameterFileFormat, ExtensionAddedOnlyWhenTheNameHasNone) {
    const struct {
        const char* typed;
        const char* used;
    } cases[] = {{"/d/tuned", "/d/tuned.esp"},       {"/d/tuned.esp", "/d/tuned.esp"},
                 {"/d/tuned.bak", "/d/tuned.bak"},   {"/d/v1.2/tuned", "/d/v1.2/tuned.esp"},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(WithParameterFileExtension(QString::fromUtf8(c.typed)), QString::fromUtf8(c.used)) << c.typed;
}

class FileActionsTest : public FilesTest {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(FileActionsTest, TwoSavesDifferOnlyInTheRandomByte) {
    Connect();
    session.mirror.SetI16(pid::Cp, 1500);
    // Different random bytes are likely but not certain: save until byte 0 differs.
    ASSERT_TRUE(files.SaveFile(Path("a.esp")));
    QByteArray a = ReadAll(Path("a.esp")), b;
    for (int i = 0; i < 20 && (b.isEmpty() || b[0] == a[0]); ++i) {
        ASSERT_TRUE(files.SaveFile(Path("b.esp")));
        b = ReadAll(Path("b.esp"));
    }
    ASSERT_EQ(a.size(), 32);
    ASSERT_EQ(b.size(), 32);
    EXPECT_NE(a[0], b[0]);
    EXPECT_EQ(a.mid(1), b.mid(1));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(bus.heard.empty()) << "saving sends nothing";
}

TEST_F(FileActionsTest, RandomByteStaysBelow255) {
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(files.SaveFile(Path("r.esp")));
        ASSERT_NE(uint8_t(ReadAll(Path("r.esp"))[0]), 255);
    }
}

TEST_F(FileActionsTest, SavedFileLoadsBackByteForByte) {
    Connect();
    session.mirror.SetI16(pid::Cp, 1500);
    session.mirror.SetU16(pid::PulseOptions, 5);
    ASSERT_TRUE(files.SaveFile(Path("tuned.esp")));
    const QByteArray saved = ReadAll(Path("tuned.esp"));
    ASSERT_TRUE(files.LoadFile(Path("tuned.esp")));
    EXPECT_EQ(Bytes(files.FileBuffer()), saved);
    Pump();
    EXPECT_EQ(bus.values[pid::Cp], 1500u);
    EXPECT_EQ(bus.values[pid::PulseOptions], 5u);
}

// Each bad file: its message, the mirror unchanged, nothing sent, the poll still running.
TEST_F(FileActionsTest, BadFilesAreReportedAndNothingIsSent) {
    Connect();
    const QByteArray good = Bytes(BuildParameterFile(session.mirror, 1));
    QByteArray badSum = good;
    badSum[1] = char(good[1] + 1);
    QByteArray otherModel = good;
    otherModel[2] = char(good[2] + 1);
    otherModel[4] = char(otherModel[4] + 1);  // a value differs too: must not reach the mirror
    otherModel[1] = char(FileChecksum(*reinterpret_cast<const ParameterFileImage*>(otherModel.constData())));
    const struct {
        const char* name;
        QByteArray bytes;
        bool create;
        const char* chinese;
        const char* english;
    } cases[] = {
        {"short.esp", good.left(31), true, "文件格式错误!", "File format error!"},
        {"long.esp", good + '\0', true, "文件格式错误!", "File format error!"},
        {"empty.esp", QByteArray(), true, "文件格式错误!", "File format error!"},
        {"missing.esp", QByteArray(), false, "文件格式错误!", "File format error!"},
        {"sum.esp", badSum, true, "文件格式错误!", "File format error!"},
        {"model.esp", otherModel, true, "文件参数与当前的驱动器不匹配!",
         "The file's parameters do not match the connected drive!"},
    };
    for (uint8_t language : {0, 1}) {
        session.settings.LanguageIndex = language;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            if (c.create) WriteBytes(Path(c.name), c.bytes);
            prompt.messages.clear();
            EXPECT_FALSE(files.LoadFile(Path(c.name)));
            EXPECT_EQ(prompt.messages, QStringList{QString::fromUtf8(language ? c.english : c.chinese)});
            EXPECT_EQ(session.mirror.GetI16(pid::Cp), 0);
            Pump();
            EXPECT_TRUE(bus.Writes().empty());
            EXPECT_TRUE(drive.IsPolling());
            EXPECT_FALSE(eeprom.NotSaved());
        }
    }
}

TEST_F(FileActionsTest, UnwritableTargetIsReportedWithNameAndReason) {
    // A folder that is a file: fails for every user, root included.
    WriteBytes(Path("plain"), "x");
    const QString path = Path("plain") + "/tuned.esp";
    for (uint8_t language : {0, 1}) {
        session.settings.LanguageIndex = language;
        prompt.messages.clear();
        EXPECT_FALSE(files.SaveFile(path));
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_TRUE(prompt.messages[0].contains(path)) << prompt.messages[0].toStdString();
        EXPECT_TRUE(prompt.messages[0].startsWith(language ? "The file " : "文件 "));
        const QString reason = prompt.messages[0].section(QStringLiteral(": "), -1);
        EXPECT_FALSE(reason.trimmed().isEmpty());
    }
}

// Root writes into any folder: then the save runs in a child process as nobody.
TEST_F(FileActionsTest, FolderWithoutWritePermissionIsReportedAndKeepsTheOldFile) {
    const QString sub = Path("locked");
    ASSERT_TRUE(QDir().mkpath(sub));
    const QString path = sub + "/tuned.esp";
    WriteBytes(path, "old content");
    const auto all = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                     QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), all | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(sub, all));
    // The existing file and a new one: each refused with the name and a reason.
    const QString fresh = sub + "/new.esp";
    const auto check = [&] {
        for (const QString& p : {path, fresh}) {
            prompt.messages.clear();
            if (files.SaveFile(p) || prompt.messages.size() != 1 || !prompt.messages[0].contains(p) ||
                prompt.messages[0].section(QStringLiteral(": "), -1).trimmed().isEmpty())
                return false;
        }
        return true;
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(check()) << prompt.messages.join('|').toStdString();
    } else {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
            if (!dropped) _exit(2);
            const bool ok = check();
            if (!ok) fprintf(stderr, "messages: %s\n", qPrintable(prompt.messages.join(u'|')));
            _exit(ok ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no or a wrong message, 2: could not become nobody";
    }
    QFile::setPermissions(sub, all | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadAll(path), QByteArray("old content"));
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(QDir(sub).entryList(QDir::Files | QDir::Hidden), QStringList{"tuned.esp"}) << "no temporary left";
}

TEST_F(FileActionsTest, ExistingFileIsReplacedWhole) {
    WriteBytes(Path("tuned.esp"), QByteArray(100, 'x'));
    ASSERT_TRUE(files.SaveFile(Path("tuned.esp")));
    EXPECT_EQ(ReadAll(Path("tuned.esp")).size(), 32);
}

}  // namespace
}  // namespace ordalis::test
