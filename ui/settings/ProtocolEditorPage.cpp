// Page "Элементы" of the channel options dialog: the protocol editor.
#include "ui/settings/ProtocolEditorPage.h"

#include "protocols/ProtocolModel.h"
#include "ui/settings/WrapAnywhereLabel.h"
#include "widgets/LayoutScale.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

// Item data: the position of the element or value the item stands for.
constexpr int RefRole = Qt::UserRole;

QLabel* BuddyLabel(const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TProtocolEditorPage::TProtocolEditorPage(QWidget* parent)
    : QWidget(parent)
{
    const LayoutScale scale(this);
    group_ = new QGroupBox(QStringLiteral("Телеграфный протокол: "));
    elements_ = new QListWidget;
    classes_ = new QListWidget;
    classes_->setEnabled(false);
    params_ = new QListWidget;
    value_ = new QComboBox;
    value_->installEventFilter(this);
    MakeEditBox();
    // The value as loaded can be long (up to 68 characters, blanks or not):
    // it takes as many lines as it needs.
    setValue_ = new WrapAnywhereLabel;
    minSet_ = new QLabel;
    maxSet_ = new QLabel;
    for (QListWidget* list : {elements_, classes_})
        list->setMinimumSize(scale.Size(230, 150));
    params_->setMinimumSize(scale.Size(180, 150));
    value_->setMinimumWidth(scale.X(180));
    for (QLabel* label : {setValue_, minSet_, maxSet_})
        label->setMinimumWidth(scale.X(80));

    auto* grid = new QGridLayout(group_);
    grid->addWidget(BuddyLabel(QStringLiteral("&Элементы"), elements_), 0, 0);
    grid->addWidget(elements_, 1, 0, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Класс")), 0, 1);
    grid->addWidget(classes_, 1, 1, 5, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("&Параметр"), params_), 0, 2, 1, 2);
    grid->addWidget(params_, 1, 2, 1, 2);
    grid->addWidget(BuddyLabel(QStringLiteral("&Значение"), value_), 2, 2, 1, 2);
    grid->addWidget(value_, 3, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Установлено:")), 4, 2, Qt::AlignTop);
    grid->addWidget(setValue_, 4, 3);
    auto* recommended = new QVBoxLayout;
    recommended->addWidget(minSet_);
    recommended->addWidget(maxSet_);
    grid->addWidget(new QLabel(QStringLiteral("Рекомендовано -")), 5, 2, Qt::AlignTop);
    grid->addLayout(recommended, 5, 3);
    grid->setRowStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group_);

    connect(elements_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_)
            ElementListBoxClick();
    });
    connect(params_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_)
            ParametrListBoxClick();
    });
    connect(value_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_ && !value_->isEditable())
            ValueTblComboBoxChange();
    });
}

void TProtocolEditorPage::MakeEditBox()
{
    value_->clear();
    value_->setEditable(true);
    value_->setInsertPolicy(QComboBox::NoInsert);
    // Typed text only: the box's own changes are not guarded.
    connect(value_->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!filling_)
            ValueTblComboBoxChange();
    });
}

void TProtocolEditorPage::Fill(TProtocolRec* protocol, const ElementClassRegistry* registry,
                               const QString& caption)
{
    FElementsShown = true;
    protocol_ = protocol;
    group_->setTitle(QStringLiteral("Телеграфный протокол: ") + caption);
    filling_ = true;
    elements_->clear();
    classes_->clear();
    if (protocol_)
        for (std::size_t i = 0; i < protocol_->Elements.size(); ++i) {
            auto* item = new QListWidgetItem(protocol_->Elements[i].Name, elements_);
            item->setData(RefRole, qulonglong(i));
        }
    if (registry)
        for (const TElementClassDef& def : registry->entries())
            classes_->addItem(def.Name);
    if (elements_->count() > 0)
        elements_->setCurrentRow(0);
    filling_ = false;
    ElementListBoxClick();
}

void TProtocolEditorPage::Clear()
{
    FElementsShown = false;
    filling_ = true;
    elements_->clear();
    classes_->clear();
    filling_ = false;
}

TElementRec* TProtocolEditorPage::CurrentElement() const
{
    const QListWidgetItem* item = elements_->currentItem();
    if (!protocol_ || !item)
        return nullptr;
    const auto i = std::size_t(item->data(RefRole).toULongLong());
    return i < protocol_->Elements.size() ? &protocol_->Elements[i] : nullptr;
}

TParamValue* TProtocolEditorPage::CurrentValue() const
{
    TElementRec* element = CurrentElement();
    const QListWidgetItem* item = params_->currentItem();
    if (!element || !item)
        return nullptr;
    const auto i = std::size_t(item->data(RefRole).toULongLong());
    return i < element->Params.size() ? &element->Params[i] : nullptr;
}

EditorParamKind TProtocolEditorPage::CurrentKind() const
{
    const TParamValue* v = CurrentValue();
    return v && v->Def ? EditorKindOf(*v->Def) : EditorParamKind::Other;
}

void TProtocolEditorPage::ElementListBoxClick()
{
    filling_ = true;
    params_->clear();
    const TElementRec* element = CurrentElement();
    if (element && element->ClassDef) {
        const QList<QListWidgetItem*> found = classes_->findItems(element->ClassDef->Name, Qt::MatchExactly);
        if (!found.isEmpty())
            classes_->setCurrentItem(found.front());
    }
    if (element)
        for (std::size_t i = 0; i < element->Params.size(); ++i) {
            const TParamValue& v = element->Params[i];
            auto* item = new QListWidgetItem(v.Def ? v.Def->Name : QString(), params_);
            item->setData(RefRole, qulonglong(i));
        }
    if (params_->count() > 0)
        params_->setCurrentRow(0);
    filling_ = false;
    ParametrListBoxClick();
}

void TProtocolEditorPage::ParametrListBoxClick()
{
    filling_ = true;
    if (!value_->isEditable())
        MakeEditBox();
    value_->clear();
    value_->setEditText(QString());
    const TParamValue* v = CurrentValue();
    // A text to go back to is this parameter's own, never one left over
    // from the parameter shown before.
    FPrevValueText = v ? v->Value : QString();
    if (!v || !v->Def) {
        setValue_->setText(QStringLiteral("Без параметров"));
        minSet_->setText(QStringLiteral("Без параметров"));
        maxSet_->clear();
        filling_ = false;
        return;
    }
    const TParamDef& def = *v->Def;
    value_->setEditText(v->Value);
    setValue_->setText(v->Value3);
    if (!def.Units && def.Values.isEmpty()) {
        minSet_->clear();
        maxSet_->clear();
        filling_ = false;
        return;
    }
    if (def.Units)
        setValue_->setText(setValue_->text() + QLatin1Char(' ') + *def.Units);
    if (!def.Values.isEmpty()) {
        minSet_->setText(QStringLiteral("табличное"));
        maxSet_->setText(QStringLiteral("значение"));
        value_->setEditable(false);
        value_->addItems(def.Values);
        const qsizetype at = def.valueIndex(v->Value);
        value_->setCurrentIndex(at >= 0 ? int(at) : 0);
        FPrevValueText = value_->currentText();
    } else {
        minSet_->setText(RangeLabelText(QStringLiteral("Min: "), v->Min));
        maxSet_->setText(RangeLabelText(QStringLiteral("Max: "), v->Max));
    }
    filling_ = false;
}

bool TProtocolEditorPage::ValueTblComboBoxKeyPress(QChar key)
{
    const TParamValue* v = CurrentValue();
    const EditorParamKind kind = CurrentKind();
    const bool code = v && v->Def && IsCodeParam(v->Def->Name);
    if (!ValueKeyPasses(kind, code, key, value_->currentText().size(), v ? v->Max : 0))
        return false;
    if (kind != EditorParamKind::Text)
        FPrevValueText = value_->currentText();
    return true;
}

void TProtocolEditorPage::ValueTblComboBoxChange()
{
    if (CurrentKind() == EditorParamKind::Text)
        return;
    filling_ = true;
    if (!value_->isEditable()) {
        if (value_->currentIndex() < 0)
            value_->setCurrentIndex(value_->findText(FPrevValueText));
    } else {
        const TParamValue* v = CurrentValue();
        if (!TypedNumberStays(value_->currentText(), v ? v->Max : 0))
            value_->setEditText(FPrevValueText);
        else
            // An edit that passes no key through the filter (Delete, a
            // paste) goes back no further than the last text that stood.
            FPrevValueText = value_->currentText();
    }
    filling_ = false;
}

void TProtocolEditorPage::ValueTblComboBoxExit()
{
    TParamValue* v = CurrentValue();
    if (!v)
        return;
    switch (CurrentKind()) {
    case EditorParamKind::Other:
        return;
    case EditorParamKind::Text:
        v->Value = value_->currentText();
        return;
    case EditorParamKind::Table:
        v->Value = value_->currentText();
        return;
    case EditorParamKind::Numeric: {
        const QString stored = StoredNumericText(value_->currentText(), v->Min, v->Max);
        filling_ = true;
        value_->setEditText(stored);
        filling_ = false;
        v->Value = stored;
        return;
    }
    }
}

bool TProtocolEditorPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == value_) {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && (text.front().isPrint() || text.front() == QChar(8))
                && !ValueTblComboBoxKeyPress(text.front()))
                return true;
        } else if (event->type() == QEvent::FocusOut
                   && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            ValueTblComboBoxExit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
