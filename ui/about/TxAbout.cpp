// The About box: its layout, text, picture and help key.
#include "ui/about/TxAbout.h"

#include "ui/about/AboutPicture.h"
#include "ui/about/JpegImage.h"
#include "ui/program/ProgramPicture.h"
#include "widgets/LayoutScale.h"

#include <QFrame>
#include <QKeyEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace korvane {
namespace {

QFont PixelFont(const QString& family, int pixels, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFrame* Panel(QFrame::Shadow shadow)
{
    auto* panel = new QFrame;
    panel->setFrameStyle(QFrame::Panel | shadow);
    panel->setLineWidth(1);
    return panel;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе..."));
    setFont(PixelFont(QStringLiteral("Microsoft Sans Serif"), 11));
    const LayoutScale scale(this);

    panel1_ = Panel(QFrame::Raised);
    panel1_->setMinimumSize(scale.Size(240, 145));
    programIcon_ = new QLabel;
    programIcon_->setPixmap(ProgramPicture());
    programIcon_->setScaledContents(true);
    programIcon_->setFixedSize(scale.Size(60, 62));
    label2_ = new QLabel(QStringLiteral("Korvane"));
    label2_->setFont(PixelFont(QStringLiteral("Times New Roman"), 32, true));
    productName_ = new QLabel(QStringLiteral("Версия"));
    productName_->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 13, true));
    memo1_ = new QPlainTextEdit;
    memo1_->setPlainText(QStringLiteral("Korvane - программа связи персональных \n"
                                        "компьютеров по ТЛГ-каналу. Эта \n"
                                        "программа позволяет связаться по \n"
                                        "телеграфному каналу с любым \n"
                                        "аналогичным устройством или телетайпом."));
    memo1_->setReadOnly(true);
    memo1_->setEnabled(false);
    memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setFrameStyle(QFrame::NoFrame);
    {
        // Disabled only so that it takes no focus: its text stays legible.
        QPalette p = memo1_->palette();
        p.setColor(QPalette::Disabled, QPalette::Text, p.color(QPalette::Active, QPalette::WindowText));
        p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Window));
        memo1_->setPalette(p);
    }
    {
        // Room for the five lines as they are, with nothing cut off.
        const QFontMetrics fm(memo1_->font());
        int widest = 0;
        for (const QString& line : memo1_->toPlainText().split(u'\n'))
            widest = std::max(widest, fm.horizontalAdvance(line));
        const int margin = 2 * int(memo1_->document()->documentMargin()) + 4;
        memo1_->setFixedSize(widest + margin, 5 * fm.lineSpacing() + margin);
    }
    auto* titles = new QVBoxLayout;
    titles->addWidget(label2_);
    titles->addWidget(productName_);
    titles->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(programIcon_, 0, Qt::AlignTop);
    top->addLayout(titles, 1);
    auto* left = new QVBoxLayout(panel1_);
    left->setContentsMargins(scale.Margins(6, 6, 6, 4));
    left->addLayout(top);
    left->addWidget(memo1_, 1);

    panel2_ = Panel(QFrame::Sunken);
    panel2_->setMinimumSize(scale.Size(240, 145));
    image1_ = new QLabel;
    image1_->setAlignment(Qt::AlignCenter);
    const QByteArray jpeg(reinterpret_cast<const char*>(AboutPictureJpeg), qsizetype(AboutPictureJpegSize));
    image1_->setPixmap(QPixmap::fromImage(DecodeJpeg(jpeg)));
    image1_->setFixedSize(scale.Size(234, 141));
    image1_->setScaledContents(true);
    auto* right = new QVBoxLayout(panel2_);
    right->setContentsMargins(scale.Margins(2, 2, 2, 2));
    right->addWidget(image1_, 0, Qt::AlignCenter);

    panel3_ = Panel(QFrame::Sunken);
    panel3_->setMinimumSize(scale.Size(240, 41));
    const QFont small = PixelFont(QStringLiteral("Microsoft Sans Serif"), 9);
    copyright_ = new QLabel(QStringLiteral("© 2025-2026 Проект Korvane 2"));
    mail_ = new QLabel(QStringLiteral("Почта: через трекер проекта Korvane 2"));
    web_ = new QLabel(QStringLiteral("Сайт: страница проекта Korvane 2"));
    auto* contacts = new QVBoxLayout(panel3_);
    contacts->setContentsMargins(scale.Margins(4, 2, 4, 2));
    contacts->setSpacing(0);
    for (QLabel* l : {copyright_, mail_, web_}) {
        l->setFont(small);
        contacts->addWidget(l);
    }
    contacts->addStretch();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(scale.Margins(4, 4, 4, 4));
    grid->setHorizontalSpacing(scale.X(1));
    grid->setVerticalSpacing(0);
    grid->addWidget(panel1_, 0, 0, 2, 1);
    grid->addWidget(panel2_, 0, 1);
    grid->addWidget(panel3_, 1, 1);
    grid->setRowStretch(0, 1); // any height to spare goes to the picture's panel
    grid->setSizeConstraint(QLayout::SetFixedSize);

    productName_->setText(productName_->text() + u' ' + QLatin1String(Version));

    // Every part of the form takes the click that closes it, the disabled
    // memo included (its events reach the filter, not the memo).
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::Panel1Click()
{
    accept();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        Panel1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit HelpRequested(HelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmAbout::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    Panel1Click();
}

} // namespace korvane
