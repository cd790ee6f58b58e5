#include "dialogs/PropertiesWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "core/DriveAccess.h"
#include "core/TextPair.h"
#include "dialogs/NumberEntry.h"

namespace ordalis {

namespace {

const TextPair kHeading{"驱动器属性:", "Property: "};
const TextPair kCaption{"驱动器属性", "Property "};
const TextPair kOk{"确定", "OK "};
// The spaces line the values up.
const TextPair kModel{"型号：           ", "Modle：             "};
const TextPair kSerial{"序列号：         ", "Serial：            "};
const TextPair kFirmware{"固件版本：       ", "Firmware version： "};
const TextPair kHardware{"硬件版本：       ", "Hardware version： "};
const TextPair kPeak{"最大峰值电流： ", "Ipeak：            "};
const TextPair kCont{"最大持续电流： ", "Icont：            "};

// Models whose current ratings are not shown.
bool WithoutRatings(const std::string& model) { return model == "LQ340" || model == "TR340"; }

}  // namespace

QString PropertiesText(const ParameterMirror& mirror, uint8_t lang) {
    const std::string model = mirror.ModelName();
    QStringList lines;
    lines << kModel.Text(lang) + QString::fromLatin1(model.data(), qsizetype(model.size()));
    lines << kSerial.Text(lang) + QString::number(mirror.GetI16(pid::SerialNumber));
    lines << kFirmware.Text(lang) + QStringLiteral("100");
    lines << kHardware.Text(lang) + QStringLiteral("v10.0");
    if (!WithoutRatings(model)) {
        lines << kPeak.Text(lang) + FixedDecimal(mirror.GetI16(pid::PeakCurrent), 2) + u'A';
        lines << kCont.Text(lang) + FixedDecimal(mirror.GetI16(pid::ContCurrent), 2) + u'A';
    }
    return lines.join(QStringLiteral("\r\n"));
}

namespace {
constexpr QSize kTextSize{271, 135};
}  // namespace

PropertiesWindow::PropertiesWindow(DriveAccess& drive, QWidget* parent)
    : DriveWindow(drive, parent, "TForm11", {291, 223}) {
    heading_ = new QLabel;
    heading_->setObjectName(QStringLiteral("Label2"));
    heading_->setStyleSheet(QStringLiteral("color: #FF00FF;"));
    text_ = new QLabel;
    text_->setObjectName(QStringLiteral("Label1"));
    text_->setStyleSheet(QStringLiteral("color: #008000;"));
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLabel* l : {heading_, text_}) {
        QFont f = l->font();
        f.setPixelSize(16);
        l->setFont(f);
    }
    okButton_ = new QPushButton;
    okButton_->setObjectName(QStringLiteral("Button1"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(10, 30, 10, 10);
    top->addWidget(heading_);
    top->addWidget(text_, 1);
    top->addWidget(okButton_, 0, Qt::AlignHCenter);
    connect(okButton_, &QPushButton::clicked, this, &QWidget::hide);
}

void PropertiesWindow::ShowProperties() {
    const uint8_t lang = drive_.Language();
    heading_->setText(kHeading.Text(lang));
    setWindowTitle(kCaption.Text(lang));
    okButton_->setText(kOk.Text(lang));
    plain_ = PropertiesText(drive_.Mirror(), lang);
    text_->setText(QString(plain_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // A fixed text block, grown only where the lines of this language need more room.
    text_->setFixedSize(kTextSize.expandedTo(text_->sizeHint()));
}

QWidget* CreatePropertiesWindow(DriveAccess& drive, QWidget* parent) { return new PropertiesWindow(drive, parent); }

}  // namespace ordalis
