// The exported log: each line as the window shows it, then its frame's meaning.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/CommLogExport.h"

namespace ordalis {
namespace {

TEST(CommLogExport, EachLineFollowedByItsMeaning) {
    const struct {
        const char* line;
        const char* meaning;
    } cases[] = {
        {"16:05:09-0123  Send   Read  Ipeak:5F 01 02 43 25 00 21 ", "read 37 (Ipeak)"},
        {"16:05:09-0142  Recv   Read  Ipeak:5F 01 02 00 90 01 57 ", "answer: 37 (Ipeak) = 400"},
        {"16:05:10-0001  Send   Set kp:  5F 01 04 44 00 00 B0 04 11 ", "write 0 (kp) = 1200"},
        {"16:05:10-0020  Recv   Set kp:  5F 01 00 00 3C ", "answer: done"},
        {"16:05:11-0001  Send   Set Not identified id:  5F 01 04 44 7F 00 FE FF 11 ", "write 127 = -2"},
        {"16:05:11-0020  Recv   Set Not identified id:  5F 01 01 01 05 3C ", "answer: condition code 5"},
        {"16:05:12-0001  Send   EEPROM write:  5F 01 02 47 01 00 11 ", "EEPROM write"},
        {"16:05:12-0020  Recv   EEPROM write:  5F 01 01 01 01 3C ", "answer: refused, to be sent again"},
        {"16:05:13-0001  Send   Communications Test:5F 01 04 0A 00 C2 01 00 11 ", "communication test"},
    };
    QString text, expected;
    for (const auto& c : cases) {
        text += QString::fromLatin1(c.line) + "\r\n";
        expected += QString::fromLatin1(c.line) + " ; " + QString::fromLatin1(c.meaning) + "\r\n";
    }
    EXPECT_EQ(AnnotateLog(text), expected);
}

TEST(CommLogExport, ModelNameAnswerIsText) {
    QString last;
    DescribeLogLine(QStringLiteral("00:00:00-0000  Send   Read ModelName:5F 01 02 43 37 00 11 "), &last);
    const QString answer = DescribeLogLine(
        QStringLiteral("00:00:00-0001  Recv   Read ModelName:5F 01 06 00 4C 51 33 34 30 00 11 "), &last);
    EXPECT_TRUE(answer.endsWith(QStringLiteral("= \"LQ340\""))) << answer.toStdString();
}

TEST(CommLogExport, LinesWithoutAFrameStayAsTheyAre) {
    EXPECT_EQ(AnnotateLog(QStringLiteral("a note\n\n")), QStringLiteral("a note\r\n"));
}

TEST(CommLogExport, WritesTheAnnotatedText) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    QString error;
    ASSERT_TRUE(ExportLog(path, QStringLiteral("x  Send   Read  Ipeak:5F 01 02 43 25 00 21 \n"), &error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("x  Send   Read  Ipeak:5F 01 02 43 25 00 21  ; read 37 (Ipeak)\r\n"));
    EXPECT_FALSE(ExportLog(dir.filePath(QStringLiteral("log.txt/x.txt")), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace ordalis
