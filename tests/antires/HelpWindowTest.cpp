// The help window shows our picture at its natural size, with one close button.
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "dialogs/HelpWindow.h"
#include "tests/antires/DriveWindowFixture.h"

namespace ordalis::test {
namespace {

using HelpWindow = DriveWindowTest;

TEST_F(HelpWindow, ShowsOurPictureAtItsSizeAndClosesByItsButton) {
    QWidget* help = CreateHelpWindow(drive, &owner);
    EXPECT_EQ(help->objectName(), QStringLiteral("TForm17"));
    EXPECT_EQ(help->size(), QSize(593, 611));
    auto* image = help->findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixmap().size(), QSize(586, 569));
    EXPECT_EQ(QPixmap(QString::fromLatin1(kHelpPicturePath)).size(), QSize(586, 569));
    help->show();
    help->show();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(owner.findChildren<QWidget*>(QStringLiteral("TForm17")).size(), 1);
    help->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EXPECT_FALSE(help->isVisible());
}

}  // namespace
}  // namespace ordalis::test
