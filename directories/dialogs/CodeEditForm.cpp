#include "directories/dialogs/CodeEditForm.h"

#include "support/HelpNote.h"
#include "widgets/LayoutScale.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace korvane {

namespace keyrules {

KeyRule CountryLetters()
{
    return [](QChar key, qsizetype length) -> std::optional<QChar> {
        const QChar c = LatinCapital(key);
        if (length < TCodeEditForm::LettLength && (IsDigit(c) || (c >= u'A' && c <= u'z')))
            return c;
        return std::nullopt;
    };
}

KeyRule CountryCode()
{
    // Dial codes are digits: the whole field, not only its first three.
    return Digits(TCodeEditForm::CodeLength);
}

KeyRule CountryName()
{
    return [](QChar c, qsizetype length) -> std::optional<QChar> {
        if (length >= TCodeEditForm::NameLength)
            return std::nullopt;
        if (c == u' ' || c == u'-' || IsDigit(c) || (c >= u'A' && c <= u'z') || (c >= u'А' && c <= u'я'))
            return c;
        return std::nullopt;
    };
}

} // namespace keyrules

TCodeEditForm::TCodeEditForm(MessageBox& box, QWidget* parent) : QDialog(parent), box_(box)
{
    const LayoutScale scale(this);
    title_ = new QLabel(QStringLiteral("Заполните необходимые поля записи"));
    // Declared code, name, letters; shown letters, code, name.
    code_ = new QLineEdit;
    name_ = new QLineEdit;
    lett_ = new QLineEdit;
    codeLabel_ = new QLabel;
    nameLabel_ = new QLabel;
    lettLabel_ = new QLabel;
    lett_->setMinimumWidth(scale.X(60));
    code_->setMinimumWidth(scale.X(60));
    name_->setMinimumWidth(scale.X(260));
    codeLabel_->setBuddy(code_);
    nameLabel_->setBuddy(name_);
    lettLabel_->setBuddy(lett_);
    // The lengths bound what is typed or pasted; a longer value read from
    // the table (the shipped table has names over 40 characters) is shown
    // and kept whole.
    KeyFilter::Install(lett_, keyrules::CountryLetters());
    KeyFilter::Install(code_, keyrules::CountryCode());
    KeyFilter::Install(name_, keyrules::CountryName());

    ok_ = new QPushButton(QStringLiteral("OK"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"));
    help_ = new QPushButton(QStringLiteral("&Help"));
    help_->setToolTip(QStringLiteral("Помощь"));
    help_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, &TCodeEditForm::HelpBitBtnClick);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &TCodeEditForm::HelpBitBtnClick);

    auto* fields = new QGridLayout;
    fields->addWidget(lettLabel_, 0, 0);
    fields->addWidget(lett_, 0, 1, Qt::AlignLeft);
    fields->addWidget(codeLabel_, 1, 0);
    fields->addWidget(code_, 1, 1, Qt::AlignLeft);
    fields->addWidget(nameLabel_, 2, 0);
    fields->addWidget(name_, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addLayout(fields);
    layout->addSpacing(scale.Y(8));
    layout->addLayout(buttons);
    setTabOrder(lett_, code_);
    setTabOrder(code_, name_);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    lett_->setFocus();
}

void TCodeEditForm::SetCountryLabels()
{
    lettLabel_->setText(QStringLiteral("Символьный код:"));
    codeLabel_->setText(QStringLiteral("Код страны:"));
    nameLabel_->setText(QStringLiteral("Название страны:"));
}

void TCodeEditForm::HelpBitBtnClick()
{
    ShowHelpNote(box_, HelpContext);
}

} // namespace korvane
