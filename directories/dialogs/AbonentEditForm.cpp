#include "directories/dialogs/AbonentEditForm.h"

#include "directories/dialogs/KeyFilter.h"
#include "widgets/LayoutScale.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

TAbonentEditForm::TAbonentEditForm(QWidget* parent) : QDialog(parent)
{
    const LayoutScale scale(this);
    title_ = new QLabel(QStringLiteral("Заполните необходимые поля записи"));
    noLabel_ = new QLabel;
    ansBkLabel_ = new QLabel;
    nameLabel_ = new QLabel;
    no_ = new QLineEdit;
    ansBk_ = new QLineEdit;
    name_ = new QLineEdit;
    no_->setMinimumWidth(scale.X(150));
    ansBk_->setMinimumWidth(scale.X(150));
    name_->setMinimumWidth(scale.X(360));
    noLabel_->setBuddy(no_);
    ansBkLabel_->setBuddy(ansBk_);
    nameLabel_->setBuddy(name_);
    // The lengths bound what is typed or pasted; a value read from a table
    // whose fields are wider is shown and kept whole.
    KeyFilter::Install(no_, keyrules::NumberChars(NumberLength));
    KeyFilter::Install(ansBk_, keyrules::AnyCapitalized(AnswerBackLength));
    KeyFilter::Install(name_, keyrules::AnyCapitalized(NameLength));

    ok_ = new QPushButton(QStringLiteral("OK"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(noLabel_, 0, 0);
    fields->addWidget(no_, 1, 0);
    fields->addWidget(ansBkLabel_, 0, 1);
    fields->addWidget(ansBk_, 1, 1);
    fields->addWidget(nameLabel_, 2, 0, 1, 2);
    fields->addWidget(name_, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addLayout(fields);
    layout->addSpacing(scale.Y(8));
    layout->addLayout(buttons);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
}

void TAbonentEditForm::SetAbonentLabels()
{
    noLabel_->setText(QStringLiteral("Номер абонента:"));
    ansBkLabel_->setText(QStringLiteral("Автоответ:"));
    nameLabel_->setText(QStringLiteral("Адрес"));
}

} // namespace korvane
