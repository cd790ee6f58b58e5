#include "core/CommLogExport.h"

#include <QRegularExpression>
#include <QStringList>
#include <iterator>
#include <vector>

#include "core/Texts.h"
#include "core/WholeFile.h"
#include "link/CommandRecord.h"
#include "link/Codec.h"
#include "model/ParameterMirror.h"

namespace ordalis {

namespace {

// The hex bytes at the end of a line ("5F 01 02 ... 21 ").
std::vector<uint8_t> HexTail(const QString& line) {
    static const QRegularExpression kTail(QStringLiteral("((?:[0-9A-F]{2} )+)$"));
    const QRegularExpressionMatch m = kTail.match(line);
    std::vector<uint8_t> bytes;
    if (!m.hasMatch()) return bytes;
    for (const QString& hex : m.captured(1).split(u' ', Qt::SkipEmptyParts)) bytes.push_back(uint8_t(hex.toUInt(nullptr, 16)));
    return bytes;
}

uint32_t LittleEndian(const uint8_t* b, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n && i < 4; ++i) v |= uint32_t(b[i]) << (8 * i);
    return v;
}

// A value of a parameter from little-endian bytes, signed where the mirror holds it so.
QString ValueText(uint16_t id, const uint8_t* b, size_t n) {
    const ParamInfo* p = FindParameter(id);
    if (p && p->Type == ParamType::Text) {
        QByteArray text(reinterpret_cast<const char*>(b), static_cast<qsizetype>(n));
        const qsizetype nul = text.indexOf('\0');
        return '"' + QString::fromLatin1(nul >= 0 ? text.left(nul) : text) + '"';
    }
    const uint32_t v = LittleEndian(b, n);
    if (n == 2 && p && p->Type == ParamType::I16) return QString::number(int16_t(v));
    if (n == 4 && p && p->Type == ParamType::I32) return QString::number(int32_t(v));
    return QString::number(v);
}

QString DescribeRequest(const std::vector<uint8_t>& b) {
    if (b.size() < 5) return {};
    const uint8_t cmd = b[3];
    const size_t end = b.size() - 1;  // the CRC
    const uint16_t id = b.size() >= 7 ? uint16_t(b[4] | b[5] << 8) : 0;
    switch (cmd) {
        case CmdCommTest: return QStringLiteral("communication test");
        case CmdRead: return b.size() >= 7 ? "read " + ParameterForMessage(id) : QString();
        case CmdWrite:
            if (b.size() < 7) return {};
            return "write " + ParameterForMessage(id) + " = " + ValueText(id, b.data() + 6, end - 6);
        case CmdEeprom:
        case CmdStudy: {
            const uint16_t op = b.size() >= 7 ? uint16_t(b[4] | b[5] << 8) : 0;
            if (cmd == CmdStudy) return QStringLiteral("current-loop tuning, operation %1").arg(op);
            static const char* const kOps[] = {"EEPROM read", "EEPROM write", "recover"};
            return op < 3 ? QString::fromLatin1(kOps[op]) : QStringLiteral("EEPROM operation %1").arg(op);
        }
        case CmdTrace: {
            const QString item = id < std::size(TraceNames) ? QString::fromUtf8(TraceNames[id]).trimmed()
                                                            : QString::number(id);
            if (end > 6) return "trace set " + item + " = " + QString::number(LittleEndian(b.data() + 6, end - 6));
            return "trace get " + item;
        }
        default: return QStringLiteral("command 0x%1").arg(cmd, 2, 16, QLatin1Char('0'));
    }
}

QString DescribeAnswer(const std::vector<uint8_t>& b, const QString& request) {
    if (b.size() < 5) return {};
    const uint8_t status = b[3];
    const size_t n = b.size() - 5;
    const uint8_t* data = b.data() + 4;
    if (status != 0) {
        const int code = n > 0 ? data[0] : status;
        return code == 1 ? QStringLiteral("answer: refused, to be sent again")
                         : QStringLiteral("answer: condition code %1").arg(code);
    }
    // A read's answer carries the value of the parameter the request named.
    const std::vector<uint8_t> req = HexTail(request);
    if (n > 0 && req.size() >= 7 && req[3] == CmdRead) {
        const uint16_t id = uint16_t(req[4] | req[5] << 8);
        return "answer: " + ParameterForMessage(id) + " = " + ValueText(id, data, n);
    }
    if (n > 0 && req.size() >= 7 && req[3] == CmdTrace)
        return "answer: " + QString::number(LittleEndian(data, n));
    return QStringLiteral("answer: done");
}

}  // namespace

QString DescribeLogLine(const QString& line, QString* lastRequest) {
    const std::vector<uint8_t> bytes = HexTail(line);
    if (bytes.empty()) return {};
    if (line.contains(QLatin1String(" Send "))) {
        if (lastRequest) *lastRequest = line;
        return DescribeRequest(bytes);
    }
    if (line.contains(QLatin1String(" Recv "))) return DescribeAnswer(bytes, lastRequest ? *lastRequest : QString());
    return {};
}

QString AnnotateLog(const QString& text) {
    QString out;
    QString lastRequest;
    for (QString line : text.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty()) continue;
        const QString meaning = DescribeLogLine(line, &lastRequest);
        out += line;
        if (!meaning.isEmpty()) out += QStringLiteral(" ; ") + meaning;
        out += QStringLiteral("\r\n");
    }
    return out;
}

bool ExportLog(const QString& path, const QString& text, QString* error) {
    return WriteWholeFile(path, AnnotateLog(text).toUtf8(), error);
}

}  // namespace ordalis
