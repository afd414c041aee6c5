// The number pad: its keys, the dialled numbers' list and the number it hands to the channel.
#include "ui/channel/txInpNum.h"

#include "engine/ChannelWindow.h"
#include "engine/ChannelWindowCodes.h"
#include "platform/IniFile.h"
#include "widgets/LayoutScale.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace korvane {

namespace {

const QString SectionName = QString::fromLatin1(TPasswordDlg::Section);

// Drops every character the pad does not accept, as typed or sent by a key.
class NumberKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (!text.isEmpty() && (text.front().isPrint() || text.front() == u'\b')
                && !TPasswordDlg::ComboBox1KeyPress(text.front()))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Набор номера"));
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    Label1 = new QLabel(QStringLiteral("Введите номер абонента:"));
    ComboBox1 = new QComboBox;
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->lineEdit()->setMaxLength(MaxLength);
    ComboBox1->lineEdit()->installEventFilter(new NumberKeyFilter(ComboBox1));
    // What is pasted or dropped passes the same check as what is typed, and
    // nothing is completed from the history: OK dials what stands typed.
    ComboBox1->lineEdit()->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9+\\-.?Ц]*")), ComboBox1));
    ComboBox1->setCompleter(nullptr);

    auto* keys = new QGridLayout;
    const QStringList captions = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", ".", "-", "+",
                                  QStringLiteral("Ц")};
    for (int i = 0; i < captions.size(); ++i) {
        auto* key = new QPushButton(captions[i]);
        key->setAutoDefault(false);
        connect(key, &QPushButton::clicked, this, [this, key] { Button1Click(key); });
        CharacterKeys.append(key);
        keys->addWidget(key, i / 4, i % 4);
    }
    ButtonClear = new QPushButton(QStringLiteral("&Clear"));
    ButtonBackSp = new QPushButton(QStringLiteral("&BkSp"));
    for (QPushButton* b : {ButtonClear, ButtonBackSp})
        b->setAutoDefault(false);
    connect(ButtonClear, &QPushButton::clicked, this, &TPasswordDlg::ButtonClearClick);
    connect(ButtonBackSp, &QPushButton::clicked, this, &TPasswordDlg::ButtonBackSpClick);
    keys->addWidget(ButtonClear, 3, 2);
    keys->addWidget(ButtonBackSp, 3, 3);

    OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    CancelBtn->setAutoDefault(false);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ComboBox1);
    layout->addLayout(keys);
    layout->addLayout(buttons);
    resize(LayoutScale(this).Size(237, 193));
    ComboBox1->setFocus();
}

TPasswordDlg::~TPasswordDlg() = default;

bool TPasswordDlg::ComboBox1KeyPress(QChar key)
{
    return key == u'+' || key == u'-' || key == u'.' || (key >= u'0' && key <= u'9') || key == u'?'
           || key == QChar(u'Ц') || key == u'\b';
}

QString TPasswordDlg::Number() const
{
    return ComboBox1->currentText();
}

QStringList TPasswordDlg::History() const
{
    QStringList out;
    for (int i = 0; i < ComboBox1->count(); ++i)
        out << ComboBox1->itemText(i);
    return out;
}

void TPasswordDlg::SendChar(QChar c, int key)
{
    QLineEdit* edit = ComboBox1->lineEdit();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(edit, &release);
    OKBtn->setFocus();
}

void TPasswordDlg::Button1Click(QPushButton* key)
{
    const QString caption = key->text();
    if (!caption.isEmpty())
        SendChar(caption.front(), 0);
}

void TPasswordDlg::ButtonClearClick()
{
    ComboBox1->clear();
    ComboBox1->setEditText(QString());
    OKBtn->setFocus();
}

void TPasswordDlg::ButtonBackSpClick()
{
    SendChar(QChar(u'\b'), Qt::Key_Backspace);
}

void TPasswordDlg::LoadHistory(const IniFile& ini)
{
    for (const QString& key : ini.ReadSection(SectionName))
        ComboBox1->addItem(ini.ReadString(SectionName, key, QString()));
    ComboBox1->setEditText(QString());
}

void TPasswordDlg::TakeNumber(IniFile& ini, ChannelWindow& window)
{
    const QString number = Number();
    if (!number.isEmpty()) {
        QStringList history = History();
        if (!history.contains(number))
            history.append(number);
        for (int i = 0; i < history.size(); ++i)
            ini.WriteString(SectionName, QStringLiteral("Number-%1").arg(i + 1), history[i]);
    }
    window.SetNumber(number.left(ChannelWindow::NumberCapacity));
    window.SetChannelCommand(ChannelCommands::Dial);
}

void TPasswordDlg::DialNumber(ChannelWindow& window, IniFile& ini, QWidget* parent)
{
    TPasswordDlg pad(parent);
    pad.LoadHistory(ini);
    if (pad.exec() == QDialog::Accepted)
        pad.TakeNumber(ini, window);
}

} // namespace korvane
