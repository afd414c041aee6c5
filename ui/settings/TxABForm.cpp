// The answerback form, "Автоответы": the own answerbacks of the eight channels.
#include "ui/settings/TxABForm.h"

#include "ui/settings/AnswerBackFilter.h"
#include "widgets/LayoutScale.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace korvane {

TABForm::TABForm(MessageBox& box, QWidget* parent, HelpLogWriter log)
    : QDialog(parent), box_(box), log_(std::move(log))
{
    setObjectName(QStringLiteral("ABForm"));
    setWindowTitle(QStringLiteral("Автоответы"));
    const LayoutScale scale(this);

    auto* group = new QGroupBox(QStringLiteral("Изменение автоответов"));
    auto* grid = new QGridLayout(group);
    auto* caption = new QLabel(QStringLiteral("&Автоответ"));
    grid->addWidget(caption, 0, 1);
    for (int c = 1; c <= ChannelCount; ++c) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("AnswerBack%1").arg(c));
        edit->setMaxLength(MaxTyped);
        edit->setMinimumWidth(scale.X(160));
        InstallAnswerBackFilter(*edit);
        auto* number = new QLabel(QString::number(c));
        number->setBuddy(edit);
        grid->addWidget(number, c, 0);
        grid->addWidget(edit, c, 1);
        edits_[c - 1] = edit;
    }
    caption->setBuddy(edits_[0]);

    ok_ = new QPushButton(QStringLiteral("OK"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"));
    help_ = new QPushButton(QStringLiteral("&Справка"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, &TABForm::HelpBtnClick);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {ok_, cancel_, help_}) {
        b->setMinimumWidth(scale.X(75));
        buttons->addWidget(b);
    }
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
}

TABForm::~TABForm() = default;

void TABForm::SetAnswerBacks(const AnswerBacks& answerBacks)
{
    for (int i = 0; i < ChannelCount; ++i)
        edits_[i]->setText(answerBacks[i]);
}

void TABForm::GetAnswerBacks(AnswerBacks& answerBacks) const
{
    for (int i = 0; i < ChannelCount; ++i)
        answerBacks[i] = edits_[i]->text();
}

void TABForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        HelpBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TABForm::HelpBtnClick()
{
    ShowHelpNote(box_, HelpContext, log_);
}

} // namespace korvane
