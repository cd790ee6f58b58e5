// The connection doctor: its checks over folders a test prepares (sysfs, group file,
// processes, udev rules), and the command run for real against a missing device, a port
// held by another process, a device without permission, claimers, a garbled address and
// the simulator.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <grp.h>
#include <sys/stat.h>

#include "core/Doctor.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/WrongRateDrive.h"
#include "tests/simsupport/RunUntil.h"
#include "tests/simsupport/SimProcess.h"

namespace ordalis::clitest {
namespace {

void WriteFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path;
    f.write(text);
}

// The findings of one port of a doctor --json run, by check.
QList<QJsonObject> FindingsOf(const CliResult& r, const QString& check) {
    QList<QJsonObject> out;
    const QJsonArray ports = r.Json().array();
    for (const QJsonValue& p : ports)
        for (const QJsonValue& f : p.toObject()["findings"].toArray())
            if (f.toObject()["check"].toString() == check) out << f.toObject();
    return out;
}

TEST(PortInfo, AdapterDescriptionComesFromTheUsbDeviceAboveTheTty) {
    QTemporaryDir sys;
    const QString usb = sys.filePath("devices/pci0000:00/usb1/1-2");
    WriteFile(usb + "/idVendor", "0403\n");
    WriteFile(usb + "/idProduct", "6001\n");
    WriteFile(usb + "/manufacturer", "FTDI\n");
    WriteFile(usb + "/product", "FT232R USB UART\n");
    QDir().mkpath(usb + "/1-2:1.0/ttyUSB0");
    QDir().mkpath(sys.filePath("class/tty/ttyUSB0"));
    ASSERT_TRUE(QFile::link(usb + "/1-2:1.0", sys.filePath("class/tty/ttyUSB0/device")));
    QDir().mkpath(sys.filePath("class/tty/ttyS0/device"));  // a built-in port: no USB above it
    SystemRoots roots;
    roots.sys = sys.path();
    EXPECT_EQ(AdapterDescription("/dev/ttyUSB0", roots), "FTDI FT232R USB UART (0403:6001)");
    EXPECT_EQ(AdapterDescription("/dev/ttyS0", roots), "");
    EXPECT_EQ(AdapterDescription("/dev/ttyUSB7", roots), "");
}

TEST(PortInfo, UserGroupsAreTheGroupFilesMembershipsAndThePrimaryGroup) {
    QTemporaryDir dir;
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    const QByteArray user = pw->pw_name;
    WriteFile(dir.filePath("group"), "own:x:" + QByteArray::number(pw->pw_gid) + ":\n" +
                                         "dialout:x:20:someone," + user + "\nplugdev:x:46:someone\nbroken line\n");
    SystemRoots roots;
    roots.groupFile = dir.filePath("group");
    EXPECT_EQ(UserGroups(roots), (QStringList{"own", "dialout"}));
}

TEST(PortInfo, ClaimersFoundRunningOrThroughTheirUdevRules) {
    QTemporaryDir proc, rules;
    WriteFile(proc.filePath("4242/comm"), "brltty\n");
    WriteFile(proc.filePath("77/comm"), "bash\n");
    WriteFile(rules.filePath("85-brltty.rules"), "# braille\n");
    WriteFile(rules.filePath("77-mm-usb-device-blacklist.rules"), "# modems\n");
    WriteFile(rules.filePath("99-other.rules"), "\n");
    SystemRoots roots;
    roots.proc = proc.path();
    roots.udevRules = {rules.path()};
    const QList<AdapterClaimer> found = FindAdapterClaimers(roots);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].what, "brltty");
    EXPECT_EQ(found[0].where, "pid 4242") << "running counts before its rules";
    EXPECT_EQ(found[1].what, "ModemManager");
    EXPECT_TRUE(found[1].where.endsWith("77-mm-usb-device-blacklist.rules"));
    roots.proc = rules.path();
    roots.udevRules = {};
    EXPECT_TRUE(FindAdapterClaimers(roots).isEmpty());
}

// The permission finding names the fix that applies: join the group and log in anew,
// only log in anew, or look at the device's mode.
TEST(Doctor, PermissionFindingNamesTheFixThatApplies) {
    struct Case {
        QString group;
        QStringList userGroups;
        const char* english;
        const char* chinese;
    };
    const Case cases[] = {
        {"dialout", {"users"}, "Run sudo usermod -aG dialout $USER, then log out and in again", "sudo usermod -aG dialout $USER"},
        {"dialout", {"users", "dialout"}, "The user is in the group dialout, but this login does not have it yet", "注销后重新登录"},
        {"root", {"users"}, "check the device's permissions (ls -l /dev/ttyUSB0)", "ls -l /dev/ttyUSB0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        PortStatus s;
        s.name = "COM1";
        s.device = "/dev/ttyUSB0";
        s.exists = true;
        s.group = c.group;
        const QList<Finding> f = CheckPort(s, c.userGroups, {});
        ASSERT_GE(f.size(), 2);
        EXPECT_EQ(f[1].check, "permission");
        EXPECT_EQ(f[1].level, FindingLevel::Problem);
        EXPECT_TRUE(f[1].english.contains(c.english)) << f[1].english;
        EXPECT_TRUE(f[1].chinese.contains(QString::fromUtf8(c.chinese))) << f[1].chinese;
    }
}

TEST(Doctor, ConclusionNamesTheFirstDriveOrWhatToCheck) {
    ScanResult silent;
    ScanResult garbled;
    garbled.address = 3;
    garbled.verdict = ScanVerdict::Garbled;
    garbled.garbledRates = {9600};
    ScanResult found;
    found.address = 1;
    found.verdict = ScanVerdict::Found;
    found.rate = 115200;
    found.model = "LQ340";
    EXPECT_TRUE(Conclude("COM1", {silent, found}).english.startsWith(
        "Drive at address 1 answers at 115200: connect with the wizard (COM1, address 1) or with ordalis-cli info "
        "--port COM1 --address 1 --baud 115200"));
    EXPECT_TRUE(Conclude("COM1", {garbled}).english.contains("swapped A/B"));
    EXPECT_TRUE(Conclude("COM1", {silent}).english.startsWith("No drive answers on COM1"));
    const QList<Finding> lines = ScanFindings({silent, found, garbled});
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].english, "Address 1: drive LQ340 answers at 115200 baud.");
    EXPECT_TRUE(lines[1].english.startsWith("Address 3: bytes that are no valid answer at 9600 baud"));
    EXPECT_EQ(lines[2].english, "Silent addresses: 0.");
}

// An address whose drive answers at another rate than the host listens at: garbled at
// the port's rate, found at its own.
TEST(CliScan, AnAddressAnsweringAtAnotherRateIsGarbled) {
    test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    WrongRateDrive drive(pty, 4, B19200);
    CliEnv env({"COM1=" + pty.SlavePath()});
    const CliResult one = env.Run({"scan", "--port", "COM1", "--json"});
    EXPECT_EQ(one.code, 3);
    const QJsonObject at4 = one.Json().object()["results"].toArray()[4].toObject();
    EXPECT_EQ(at4["verdict"].toString(), "garbled");
    EXPECT_EQ(at4["garbledRates"].toArray(), QJsonArray({9600}));
    EXPECT_EQ(one.Json().object()["results"].toArray()[3].toObject()["verdict"].toString(), "silent");

    const CliResult all = env.Run({"scan", "--port", "COM1", "--all-rates"});
    EXPECT_EQ(all.code, 0);
    EXPECT_TRUE(all.out.contains("address  4  found    19200 baud  WR900  (no valid answer at 9600)")) << all.out;
}

TEST(CliDoctor, AMissingDeviceStopsBeforeTheScan) {
    CliEnv env({"COM2=/dev/ordalis-no-such-tty"});
    const CliResult r = env.Run({"doctor", "--port", "COM2", "--json"});
    EXPECT_EQ(r.code, 2);
    const QList<QJsonObject> device = FindingsOf(r, "device");
    ASSERT_EQ(device.size(), 1);
    EXPECT_EQ(device[0]["level"].toString(), "problem");
    EXPECT_TRUE(device[0]["en"].toString().contains("The device /dev/ordalis-no-such-tty of COM2 does not exist"));
    EXPECT_TRUE(device[0]["zh"].toString().contains(QString::fromUtf8("不存在")));
    EXPECT_TRUE(r.Json().array()[0].toObject()["scan"].toArray().isEmpty());
    const CliResult text = env.Run({"doctor", "--port", "COM2", "--lang", "en"});
    EXPECT_TRUE(text.out.contains("!! The device /dev/ordalis-no-such-tty of COM2 does not exist")) << text.out;
    EXPECT_TRUE(text.out.contains("!! Fix the problems above first")) << text.out;
}

TEST(CliDoctor, APortHeldByAnotherProcessNamesIt) {
    testing::SimProcess sim({"--drive", "1:LQ340"});
    ASSERT_TRUE(sim.Start()) << sim.Output();
    QProcess holder;
    holder.start("sh", {"-c", "exec 3<>\"$0\"; exec sleep 60", QString::fromStdString(sim.LinkPath())});
    ASSERT_TRUE(holder.waitForStarted());
    CliEnv env({"COM1=" + QString::fromStdString(sim.LinkPath())});
    const QString pid = QString::number(holder.processId());
    // The shell opens the port, then becomes sleep: wait until the doctor sees it.
    CliResult r;
    ASSERT_TRUE(simtest::RunUntil([&] {
        r = env.Run({"doctor", "--port", "COM1", "--json"});
        return !FindingsOf(r, "holder").isEmpty() && FindingsOf(r, "holder")[0]["en"].toString().contains("sleep");
    }, std::chrono::seconds(20)));
    ::kill(static_cast<pid_t>(holder.processId()), SIGTERM);
    holder.waitForFinished(5000);
    EXPECT_EQ(r.code, 2);
    const QJsonObject held = FindingsOf(r, "holder")[0];
    EXPECT_EQ(held["level"].toString(), "problem");
    EXPECT_TRUE(held["en"].toString().contains("is held by the program sleep (pid " + pid + ", /usr/bin/sleep)"))
        << held["en"].toString();
}

// Run as a user without the device's group: needs root to hand the device over and a
// user to become.
TEST(CliDoctor, ADeviceWithoutPermissionNamesTheGroupCommand) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to change a terminal's owner and run the tool as nobody";
    const passwd* nobody = ::getpwnam("nobody");
    const group* dialout = ::getgrnam("dialout");
    if (!nobody || !dialout || !QFileInfo::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs the user nobody, the group dialout and setpriv";
    test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    const QByteArray path = pty.SlavePath().toLocal8Bit();
    ASSERT_EQ(::chown(path.constData(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(path.constData(), 0660), 0);
    CliEnv env({"COM1=" + pty.SlavePath()});
    const QStringList asNobody = {"/usr/bin/setpriv", "--reuid=" + QString::number(nobody->pw_uid),
                                  "--regid=" + QString::number(nobody->pw_gid), "--clear-groups"};
    const CliResult r = env.Run({"doctor", "--port", "COM1", "--json"}, std::chrono::seconds(60), {}, asNobody);
    EXPECT_EQ(r.code, 2) << r.err;
    const QList<QJsonObject> perm = FindingsOf(r, "permission");
    ASSERT_EQ(perm.size(), 1) << r.out;
    EXPECT_EQ(perm[0]["level"].toString(), "problem");
    EXPECT_TRUE(perm[0]["en"].toString().contains("This user may not read and write " + pty.SlavePath() +
                                                  " (the device belongs to the group dialout). Run sudo usermod "
                                                  "-aG dialout $USER, then log out and in again"))
        << perm[0]["en"].toString();
    // The same user's open fails the same way: exit code 2 from a drive command.
    const CliResult info = env.Run({"info", "--port", "COM1"}, std::chrono::seconds(60), {}, asNobody);
    EXPECT_EQ(info.code, 2) << info.err;
}

TEST(CliDoctor, ClaimersScanAndConclusionOverTheSimulator) {
    testing::SimProcess sim({"--drive", "1:LQ340", "--param", "1:53=115200"});
    ASSERT_TRUE(sim.Start()) << sim.Output();
    QTemporaryDir proc, rules;
    WriteFile(proc.filePath("321/comm"), "ModemManager\n");
    WriteFile(rules.filePath("85-brltty.rules"), "\n");
    CliEnv env({"COM1=" + QString::fromStdString(sim.LinkPath())});
    const CliResult r = env.Run({"doctor", "--port", "COM1", "--lang", "en"}, std::chrono::seconds(90),
                                {"ORDALIS_PROC_ROOT=" + proc.path(), "ORDALIS_UDEV_RULES=" + rules.path()});
    EXPECT_EQ(r.code, 0) << r.err;
    const QStringList lines = r.out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 8) << r.out;
    EXPECT_TRUE(lines[1].startsWith("ok The device")) << r.out;
    EXPECT_TRUE(lines[2].startsWith("ok This user may read and write")) << r.out;
    EXPECT_TRUE(lines[3].startsWith("ok No other program holds")) << r.out;
    EXPECT_TRUE(r.out.contains("-- The modem manager ModemManager (pid 321) probes a new adapter")) << r.out;
    EXPECT_TRUE(r.out.contains("!! The braille-display daemon brltty (" + rules.filePath("85-brltty.rules") +
                               ") claims USB serial adapters (the symptom: the adapter appears and vanishes)"))
        << r.out;
    EXPECT_TRUE(r.out.contains("ok Address 1: drive LQ340 answers at 115200 baud.")) << r.out;
    EXPECT_TRUE(r.out.contains("-- Silent addresses: 0, 2-15.")) << r.out;
    EXPECT_TRUE(lines.last().startsWith("ok Drive at address 1 answers at 115200: connect with")) << r.out;
}

}  // namespace
}  // namespace ordalis::clitest
