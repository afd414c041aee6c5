#include "directories/dialogs/TXCONTRY.h"

#include "directories/DirectoryStatements.h"
#include "directories/TxDataM.h"
#include "directories/dialogs/CodeEditForm.h"
#include "directories/dialogs/DirectoryDialogFrame.h"
#include "directories/dialogs/DirectoryGrid.h"
#include "directories/dialogs/DirectoryText.h"
#include "directories/dialogs/KeyFilter.h"
#include "platform/MessageCaptions.h"
#include "support/HelpNote.h"

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace korvane {

namespace {

constexpr int NameSearchLength = 40;
constexpr int CodeSearchLength = 3;
constexpr int LettersSearchLength = 3;

bool IsWholeNumber(const QString& t)
{
    bool ok = false;
    t.toLongLong(&ok, 10);
    return ok;
}

} // namespace

TCountryDBListDlg::TCountryDBListDlg(TTxDataModule& module, DirectoryDialogEnvironment env, QWidget* parent)
    : QDialog(parent), module_(module), env_(std::move(env))
{
    Q_ASSERT(env_.Box);
    setWindowTitle(QStringLiteral("Таблица кодов стран"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    edit_ = NewAction(QStringLiteral("Редактировать"), QStringLiteral("Редактировать запись"),
                      &TCountryDBListDlg::EditActionExecute);
    add_ = NewAction(QStringLiteral("Добавить"), QStringLiteral("Добавить запись"), &TCountryDBListDlg::AddActionExecute);
    delete_ = NewAction(QStringLiteral("Удалить"), QStringLiteral("Удалить запись"),
                        &TCountryDBListDlg::DeleteActionExecute);
    frame_ = BuildDirectoryDialogFrame(
        *this, {edit_, add_, delete_}, {QStringLiteral("Страна"), QStringLiteral("Код"), QStringLiteral("Кратко")},
        module_.CountryQuery,
        {{QStringLiteral("COUNTRY_ID"), QStringLiteral("№"), 30},
         {QStringLiteral("COUNTRY_NAME"), QStringLiteral("СТРАНА"), 240},
         {QStringLiteral("COUNTRY_CODE"), QStringLiteral("КОД"), 56},
         {QStringLiteral("COUNTRY_LETT"), QStringLiteral("КРАТКО"), 64}});

    entryFilter_ = KeyFilter::Install(frame_.Entry, keyrules::Any(NameSearchLength));
    frame_.Entry->setMaxLength(NameSearchLength);
    connect(frame_.Entry, &QLineEdit::textChanged, this, [this] { EntryEditChange(); });
    frame_.SearchButtons->button(ByName)->setChecked(true);
    connect(frame_.SearchButtons, &QButtonGroup::idClicked, this, [this] { QuickSearchRadioGroupClick(); });
    connect(frame_.Grid, &DirectoryGrid::TitleClicked, this, &TCountryDBListDlg::CountriesDBGridTitleClick);
    connect(frame_.Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(frame_.Help, &QPushButton::clicked, this, &TCountryDBListDlg::HelpBtnClick);
    connect(frame_.HelpKey, &QShortcut::activated, this, &TCountryDBListDlg::HelpBtnClick);

    connect(&module_.CountryQuery, &BrowseQuery::DataSetChanged, this, &TCountryDBListDlg::ShowRecordInfo);

    // FormCreate: the hook first, then the move.
    module_.OnCountryScroll.Set(this, [this](QObject*) { ShowRecordInfo(); });
    module_.CountryQuery.First();
    ShowRecordInfo();
}

TCountryDBListDlg::~TCountryDBListDlg() = default;

QAction* TCountryDBListDlg::NewAction(const QString& caption, const QString& hint, void (TCountryDBListDlg::*slot)())
{
    auto* action = new QAction(caption, this);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

QRadioButton* TCountryDBListDlg::SearchButton(int mode) const
{
    return static_cast<QRadioButton*>(frame_.SearchButtons->button(mode));
}

int TCountryDBListDlg::SearchModeIndex() const
{
    return frame_.SearchButtons->checkedId();
}

int TCountryDBListDlg::ExecForm(QDialog& form)
{
    return env_.ExecForm ? env_.ExecForm(form) : form.exec();
}

bool TCountryDBListDlg::TableOpen()
{
    if (module_.CountryQuery.Active())
        return true;
    const QString error = module_.CountryError();
    ShowMessage(*env_.Box, error.isEmpty() ? QStringLiteral("Таблица кодов стран закрыта") : error,
                MessageIcon::Error);
    return false;
}

void TCountryDBListDlg::ShowRecordInfo()
{
    const BrowseQuery& q = module_.CountryQuery;
    frame_.CallLabel->setText(QStringLiteral("%1/%2 %3 %4 %5")
                            .arg(q.RecNo())
                            .arg(q.RecordCount())
                            .arg(q.FieldAsText(u"COUNTRY_NAME"), q.FieldAsText(u"COUNTRY_CODE"),
                                 q.FieldAsText(u"COUNTRY_LETT")));
}

// ---- quick search ----

void TCountryDBListDlg::SetEntryFilter()
{
    switch (SearchModeIndex()) {
    case ByCode:
        entryFilter_->SetRule(keyrules::Digits(CodeSearchLength));
        frame_.Entry->setMaxLength(CodeSearchLength);
        break;
    case ByLetters:
        entryFilter_->SetRule(keyrules::Any(LettersSearchLength));
        frame_.Entry->setMaxLength(LettersSearchLength);
        break;
    default:
        entryFilter_->SetRule(keyrules::Any(NameSearchLength));
        frame_.Entry->setMaxLength(NameSearchLength);
        break;
    }
}

void TCountryDBListDlg::EntryEditChange()
{
    BrowseQuery& q = module_.CountryQuery;
    const QString t = QuickSearchText(frame_.Entry->text());
    if (t.isEmpty()) {
        q.First();
        return;
    }
    q.DisableControls();
    switch (SearchModeIndex()) {
    case ByName:
        q.Locate(u"COUNTRY_NAME", t, LocateOption::CaseInsensitive | LocateOption::PartialKey);
        break;
    case ByCode:
        if (IsWholeNumber(t))
            q.Locate(u"COUNTRY_CODE", t, LocateOption::PartialKey);
        break;
    case ByLetters:
        q.Locate(u"COUNTRY_LETT", t, LocateOption::CaseInsensitive | LocateOption::PartialKey);
        break;
    default:
        break;
    }
    q.EnableControls();
}

void TCountryDBListDlg::QuickSearchRadioGroupClick()
{
    if (frame_.Entry->text().isEmpty())
        EntryEditChange();
    else
        frame_.Entry->clear();
    SetEntryFilter();
}

// ---- sorting ----

void TCountryDBListDlg::CountriesDBGridTitleClick(int column)
{
    // The record's own number: a dial code can belong to several countries.
    const QString key = module_.CountryQuery.FieldAsText(u"COUNTRY_ID");
    const QString order = frame_.Grid->CycleSortMark(column);
    module_.OpenCountryQuery(order);
    module_.CountryQuery.Locate(u"COUNTRY_ID", key);
}

// ---- the record commands ----

void TCountryDBListDlg::FillForm(TCodeEditForm& form)
{
    const BrowseQuery& q = module_.CountryQuery;
    form.SetCountryLabels();
    form.CodeEdit()->setText(q.FieldAsText(u"COUNTRY_CODE"));
    form.LettEdit()->setText(q.FieldAsText(u"COUNTRY_LETT"));
    form.NameEdit()->setText(q.FieldAsText(u"COUNTRY_NAME"));
}

void TCountryDBListDlg::EditActionExecute()
{
    const BrowseQuery& q = module_.CountryQuery;
    if (!TableOpen() || q.CurrentRow() < 0)
        return;
    const QString id = q.FieldAsText(u"COUNTRY_ID");
    recordForm_ = std::make_unique<TCodeEditForm>(*env_.Box, this);
    TCodeEditForm& form = *recordForm_;
    form.setWindowTitle(QStringLiteral("Редактирование записи"));
    FillForm(form);
    form.CodeEdit()->setEnabled(false);
    if (ExecForm(form) == QDialog::Accepted) {
        PrepareCountryEdit(module_.DynamicQuery, id, form.NameEdit()->text(), form.LettEdit()->text());
        ExecAndRelocate(id, QString(), QString());
    }
    frame_.Grid->setFocus();
    form.CodeEdit()->setEnabled(true);
    recordForm_.reset();
}

void TCountryDBListDlg::AddActionExecute()
{
    BrowseQuery& q = module_.CountryQuery;
    if (!TableOpen())
        return;
    recordForm_ = std::make_unique<TCodeEditForm>(*env_.Box, this);
    TCodeEditForm& form = *recordForm_;
    form.setWindowTitle(QStringLiteral("Добавление записи"));
    FillForm(form);
    if (ExecForm(form) == QDialog::Accepted) {
        const QString code = form.CodeEdit()->text();
        const QString name = form.NameEdit()->text();
        // Countries share dial codes, so a known code under a new name is
        // another country; a known name is the same country, whatever its
        // code.
        if (const int row = FindCountry(code, name); row >= 0) {
            q.MoveTo(row);
            ShowMessage(*env_.Box, QStringLiteral("Уже существует запись с кодом: ") + code, MessageIcon::Warning);
        } else if (q.Locate(u"COUNTRY_NAME", name)) {
            ShowMessage(*env_.Box, QStringLiteral("Уже существует запись с именем: ") + name, MessageIcon::Warning);
        } else {
            PrepareCountryAdd(module_.DynamicQuery, code, name, form.LettEdit()->text());
            ExecAndRelocate(QString(), code, name);
        }
    }
    frame_.Grid->setFocus();
    recordForm_.reset();
}

int TCountryDBListDlg::FindCountry(const QString& code, const QString& name) const
{
    const BrowseQuery& q = module_.CountryQuery;
    const int codeColumn = q.FieldIndex(u"COUNTRY_CODE");
    const int nameColumn = q.FieldIndex(u"COUNTRY_NAME");
    if (codeColumn < 0 || nameColumn < 0)
        return -1;
    for (int row = 0; row < q.RecordCount(); ++row)
        if (q.CellText(row, codeColumn) == code && q.CellText(row, nameColumn) == name)
            return row;
    return -1;
}

bool TCountryDBListDlg::ExecAndRelocate(const QString& id, const QString& code, const QString& name)
{
    BrowseQuery& q = module_.CountryQuery;
    q.DisableControls();
    bool done = module_.DynamicQuery.ExecSQL();
    QString error = done ? QString() : QStringLiteral("Запись не сохранена: ") + module_.CountryChangeError();
    if (done) {
        q.Close();
        done = q.Open();
        error = q.LastError();
        if (done) {
            const int row = id.isEmpty() ? FindCountry(code, name) : -1;
            if (row >= 0)
                q.MoveTo(row);
            else if (id.isEmpty() || !q.Locate(u"COUNTRY_ID", id))
                q.Last();
        }
    }
    q.EnableControls();
    // What the operator confirmed is not dropped silently: a refused
    // change is reported, and the table stays as it was.
    if (!done)
        ShowMessage(*env_.Box, error, MessageIcon::Error);
    return done;
}

void TCountryDBListDlg::DeleteActionExecute()
{
    BrowseQuery& q = module_.CountryQuery;
    if (!TableOpen() || q.CurrentRow() < 0)
        return;
    // Taken before the question.
    const QString id = q.FieldAsText(u"COUNTRY_ID");
    const QString n = q.FieldAsText(u"COUNTRY_NAME");
    const QString question = QStringLiteral("Вы уверены, что хотите удалить \rзапись: \"%1\"?").arg(n);
    if (ShowMessage(*env_.Box, question, MessageIcon::Warning, MessageButtons::YesNo) != MessageResult::Yes)
        return;
    PrepareCountryDelete(module_.DynamicQuery, id);
    if (!module_.DynamicQuery.ExecSQL()) {
        ShowMessage(*env_.Box, QStringLiteral("Запись не удалена: ") + module_.CountryChangeError(), MessageIcon::Error);
        return;
    }
    q.DisableControls();
    q.Prior();
    const QString k = q.FieldAsText(u"COUNTRY_ID");
    q.Close();
    q.Open();
    q.Locate(u"COUNTRY_ID", k);
    q.EnableControls();
}

void TCountryDBListDlg::HelpBtnClick()
{
    ShowHelpNote(*env_.Box, HelpContext);
}

} // namespace korvane
