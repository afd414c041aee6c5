// "О программе...": its texts, the version, the JPEG picture decoded by
// libjpeg, and the click anywhere that closes it.
#include "ui/about/TxAbout.h"

#include "tests/ui/QtPrinters.h"
#include "ui/about/AboutPicture.h"
#include "ui/about/JpegImage.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace korvane;

namespace {

TEST(AboutBox, ShowsTheProductItsVersionAndTheDescription)
{
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе..."));
    EXPECT_EQ(about.Label2()->text(), QStringLiteral("Korvane"));
    EXPECT_EQ(about.ProductName()->text(), QStringLiteral("Версия 2.1"));
    EXPECT_EQ(about.Memo1()->toPlainText().split(u'\n'),
              (QStringList{"Korvane - программа связи персональных ", "компьютеров по ТЛГ-каналу. Эта ",
                           "программа позволяет связаться по ", "телеграфному каналу с любым ",
                           "аналогичным устройством или телетайпом."}));
    EXPECT_FALSE(about.Memo1()->isEnabled());
    EXPECT_TRUE(about.Memo1()->isReadOnly());
    // The ownership and contact lines name the project and nothing else.
    for (QLabel* l : {about.Copyright(), about.Mail(), about.Web()})
        EXPECT_TRUE(l->text().contains(QStringLiteral("Korvane 2"))) << l->text().toStdString();
}

TEST(AboutBox, ThePictureIsTheBuiltInJpegDecoded)
{
    const QByteArray jpeg(reinterpret_cast<const char*>(AboutPictureJpeg), qsizetype(AboutPictureJpegSize));
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8\xFF"));
    const QImage picture = DecodeJpeg(jpeg);
    EXPECT_EQ(picture.size(), QSize(234, 141));
    TfrmAbout about;
    EXPECT_EQ(about.Image1()->pixmap().size(), QSize(234, 141));
    EXPECT_EQ(about.Image1()->pixmap().toImage().convertToFormat(QImage::Format_RGB888), picture);
}

TEST(AboutBox, AJpegThatIsNotOneDecodesToNothing)
{
    EXPECT_TRUE(DecodeJpeg({}).isNull());
    EXPECT_TRUE(DecodeJpeg("not a picture at all").isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("\xFF\xD8\xFF\xE0 broken header")).isNull());
}

TEST(AboutBox, EncodedAndDecodedAgainAPictureKeepsItsSizeAndColours)
{
    QImage image(40, 30, QImage::Format_RGB888);
    image.fill(QColor(200, 40, 40));
    const QImage back = DecodeJpeg(EncodeJpeg(image, 95));
    ASSERT_EQ(back.size(), image.size());
    const QColor c = back.pixelColor(20, 15);
    EXPECT_NEAR(c.red(), 200, 6);
    EXPECT_NEAR(c.green(), 40, 6);
    EXPECT_NEAR(c.blue(), 40, 6);
}

struct Part {
    const char* name;
    std::function<QWidget*(TfrmAbout&)> widget;
};

class AboutBoxClick : public ::testing::TestWithParam<Part> {};

TEST_P(AboutBoxClick, AClickOnAnyPartClosesTheBox)
{
    TfrmAbout about;
    about.show();
    ASSERT_TRUE(about.isVisible());
    QWidget* w = GetParam().widget(about);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(about.isVisible()) << GetParam().name;
    EXPECT_EQ(about.result(), QDialog::Accepted) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Parts, AboutBoxClick,
    ::testing::Values(Part{"form", [](TfrmAbout& a) -> QWidget* { return &a; }},
                      Part{"Panel1", [](TfrmAbout& a) -> QWidget* { return a.Panel1(); }},
                      Part{"ProgramIcon", [](TfrmAbout& a) -> QWidget* { return a.ProgramIcon(); }},
                      Part{"Label2", [](TfrmAbout& a) -> QWidget* { return a.Label2(); }},
                      Part{"Memo1", [](TfrmAbout& a) -> QWidget* { return a.Memo1()->viewport(); }},
                      Part{"Image1", [](TfrmAbout& a) -> QWidget* { return a.Image1(); }},
                      Part{"Panel2", [](TfrmAbout& a) -> QWidget* { return a.Panel2(); }},
                      Part{"Panel3", [](TfrmAbout& a) -> QWidget* { return a.Panel3(); }},
                      Part{"a contact line", [](TfrmAbout& a) -> QWidget* { return a.Web(); }}));

} // namespace
