#include "link/qt/PortMap.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ordalis {
namespace {

QString WriteIni(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("cfg.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

TEST(PortMap, BuiltInTableFindsUsbAdaptersFirst)
{
    const PortMap map;
    struct Case { const char* name; const char* path; };
    for (const Case& c : {Case{"COM1", "/dev/ttyUSB0"}, Case{"COM2", "/dev/ttyUSB1"},
                          Case{"COM3", "/dev/ttyUSB2"}, Case{"COM4", "/dev/ttyACM0"},
                          Case{"COM5", "/dev/ttyS0"}, Case{"com3", "/dev/ttyUSB2"}}) {
        EXPECT_EQ(map.DevicePath(QString::fromLatin1(c.name)), QString::fromLatin1(c.path))
            << c.name;
    }
    EXPECT_EQ(PortMap::Defaults().size(), 5);
}

TEST(PortMap, UnmappedNamesAreDevicePaths)
{
    const PortMap map;
    EXPECT_EQ(map.DevicePath(QStringLiteral("COM6")), QStringLiteral("COM6"));
    EXPECT_EQ(map.DevicePath(QStringLiteral("/dev/pts/7")), QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(map.DevicePath(std::string("COM1")), "/dev/ttyUSB0");
}

TEST(PortMap, PortsSectionOverridesSingleEntries)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Other sections belong to the program; only [ports] is read.
    const QString ini = WriteIni(dir,
                                 "[pset0]\nLauguageMode=1\n"
                                 "[Ports]\n"
                                 "com2=/dev/ttyS4\n"
                                 "COM6 = /dev/pts/9\n"
                                 "COM4=\n"
                                 "COM5=/dev/odd,name\n"
                                 "[pset1]\nCOM1=/dev/not-this-one\n");
    const PortMap map = PortMap::FromIni(ini);
    EXPECT_EQ(map.DevicePath(QStringLiteral("COM1")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(map.DevicePath(QStringLiteral("COM2")), QStringLiteral("/dev/ttyS4"));
    EXPECT_EQ(map.DevicePath(QStringLiteral("com6")), QStringLiteral("/dev/pts/9"));
    // An empty entry drops the mapping: the name is used as it is.
    EXPECT_EQ(map.DevicePath(QStringLiteral("COM4")), QStringLiteral("COM4"));
    EXPECT_EQ(map.DevicePath(QStringLiteral("COM5")), QStringLiteral("/dev/odd,name"));
}

TEST(PortMap, MissingFileLeavesBuiltInTable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PortMap map = PortMap::FromIni(dir.filePath(QStringLiteral("absent.ini")));
    EXPECT_EQ(map.DevicePath(QStringLiteral("COM1")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("absent.ini"))));
}

}  // namespace
}  // namespace ordalis
