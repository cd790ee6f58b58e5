// Makes the anti-resonance help picture (586 x 569): the tuning steps in Chinese with
// three pictures of our own anti-resonance window, set to the example values, and the
// closing note in red. The window is the real one, filled from a mirror and grabbed
// offscreen. Usage: ordalis-helpshot OUTPUT.png (see README).
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "dialogs/AntiResonanceSpeed.h"
#include "dialogs/AntiResonanceWindow.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"

namespace ordalis {
namespace {

constexpr int kWidth = 586;
constexpr int kHeight = 569;
constexpr int kMargin = 8;

// The window over a session whose port is never opened: it shows, nothing goes out.
class SilentPrompt : public UiPrompt {
public:
    int ExecModal(QDialog&) override { return 0; }
    void ShowText(const QString&) override {}
};

struct Example {
    int rpm;
    int gain1, phase1, gain2, phase2;
};

QImage Shot(const Example& e) {
    QtSerialPort port;
    QtTimerFactory timers;
    SilentPrompt prompt;
    Session session(port, timers, prompt, 1);
    DriveSession drive(session, timers, prompt);
    ParameterMirror& m = session.mirror;
    m.SetModelName("LQ340");
    m.SetI16(pid::WorkMode, WorkModeGeneratorOn);
    m.SetI32(pid::GeneratorSpeed, antires::SpeedToDrive(e.rpm, false));
    m.SetU16(pid::Res1Amplitude, static_cast<uint16_t>(e.gain1));
    m.SetU16(pid::Res1Phase, static_cast<uint16_t>(e.phase1));
    m.SetU16(pid::Res2Amplitude, static_cast<uint16_t>(e.gain2));
    m.SetU16(pid::Res2Phase, static_cast<uint16_t>(e.phase2));
    QWidget* window = CreateAntiResonanceWindow(drive, nullptr);
    window->show();
    QApplication::processEvents();
    const QImage image = window->grab().toImage();
    delete window;
    return image;
}

// Draws wrapped text from the top of the box and returns the height it took.
int Paragraph(QPainter& p, const QRect& box, const QString& text, const QColor& color) {
    p.setPen(color);
    const QRect used = p.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    p.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return used.height();
}

void Picture(QPainter& p, const QImage& shot, QRect box, const QString& caption) {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(box, shot);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.drawText(QRect(box.left(), box.bottom() + 3, box.width(), 16), Qt::AlignHCenter | Qt::AlignTop, caption);
}

int Run(const QString& output) {
    const QImage speed = Shot({60, 0, 0, 0, 0});
    const QImage first = Shot({60, 13874, 40161, 0, 0});
    const QImage second = Shot({120, 13874, 40161, 6207, 34502});

    QImage page(kWidth, kHeight, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont body(QStringLiteral("Noto Sans CJK SC"));
    body.setPixelSize(13);
    QFont title = body;
    title.setPixelSize(16);
    title.setBold(true);

    const int textWidth = kWidth - 2 * kMargin;
    int y = 6;
    p.setFont(title);
    y += Paragraph(p, {kMargin, y, textWidth, 40}, QString::fromUtf8("共振抑制调试方法"), Qt::black) + 4;
    p.setFont(body);
    y += Paragraph(p, {kMargin, y, textWidth, 200},
                   QString::fromUtf8("1. 第一共振点：勾选“使能内部转速”，将速度从 0 慢慢增加到 60 RPM，"
                                     "找出振动最强的转速。然后在“第一共振区抑制”中先把幅值设为 10000，"
                                     "调节相位直到振动最小，再回过头调节幅值，直到振动最小。"),
                   Qt::black) +
         6;

    // Two rows of pictures share what the texts leave; a caption line under each.
    const QString step2 = QString::fromUtf8(
        "2. 第二共振点：在 60～120 RPM 之间改变速度，找出振动较大的转速，然后用同样的方法调节"
        "“第二共振区抑制”：先把幅值设为 10000，再调相位，最后再调幅值。");
    const int step2Height =
        p.boundingRect(QRect(kMargin, 0, textWidth, 200), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, step2)
            .height();
    const int captions = 2 * 22;
    const int shotHeight = std::min((kHeight - y - step2Height - 8 - captions - 4) / 2, 361 * 280 / 517);
    const int shotWidth = shotHeight * 517 / 361;
    const int gap = kWidth - 2 * kMargin - 2 * shotWidth;
    Picture(p, speed, {kMargin, y, shotWidth, shotHeight}, QString::fromUtf8("内部转速 60 RPM = 1 RPS"));
    Picture(p, first, {kMargin + shotWidth + gap, y, shotWidth, shotHeight},
            QString::fromUtf8("例：幅值 13874，相位 40161"));
    y += shotHeight + 22 + 4;
    y += Paragraph(p, {kMargin, y, textWidth, 200}, step2, Qt::black) + 6;
    Picture(p, second, {kMargin, y, shotWidth, shotHeight}, QString::fromUtf8("例：幅值 6207，相位 34502"));
    const QRect note(kMargin + shotWidth + gap, y + shotHeight / 3, shotWidth, shotHeight);
    QFont strong = body;
    strong.setBold(true);
    p.setFont(strong);
    Paragraph(p, note, QString::fromUtf8("注意：幅值为 0 时，无论相位设为多少，抑制都不起作用。"), QColor(0xd0, 0, 0));
    p.end();

    if (y + shotHeight + 20 > kHeight) {
        std::fprintf(stderr, "ordalis-helpshot: the texts leave no room for the pictures\n");
        return 1;
    }
    if (!page.save(output, "PNG")) {
        std::fprintf(stderr, "ordalis-helpshot: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace ordalis

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ordalis-helpshot OUTPUT.png\n");
        return 2;
    }
    return ordalis::Run(QString::fromLocal8Bit(argv[1]));
}
