#include "directories/dialogs/Txabnent.h"

#include "directories/DirectoryStatements.h"
#include "directories/TxDataM.h"
#include "directories/dialogs/AbonentEditForm.h"
#include "directories/dialogs/AbonentImportFile.h"
#include "directories/dialogs/DirectoryDialogFrame.h"
#include "directories/dialogs/DirectoryGrid.h"
#include "directories/dialogs/DirectoryText.h"
#include "directories/dialogs/KeyFilter.h"
#include "directories/dialogs/TelegramDesk.h"
#include "directories/dialogs/WaitCursor.h"
#include "platform/MessageCaptions.h"
#include "support/HelpNote.h"

#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>

namespace korvane {

namespace {

constexpr int NumberSearchLength = 60;
constexpr int TextSearchLength = 20;

} // namespace

const QString TAbonentAddressDlg::ImportFilter = QStringLiteral("Text Files (*.txt);;All Files (*.*)");

TAbonentAddressDlg::TAbonentAddressDlg(TTxDataModule& module, DirectoryDialogEnvironment env, QWidget* parent)
    : QDialog(parent), module_(module), env_(std::move(env))
{
    Q_ASSERT(env_.Box);
    setWindowTitle(QStringLiteral("Список абонентов"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    edit_ = NewAction(QStringLiteral("Редактировать"), QStringLiteral("Редактировать запись"),
                      &TAbonentAddressDlg::EditActionExecute);
    add_ = NewAction(QStringLiteral("Добавить"), QStringLiteral("Добавить запись"),
                     &TAbonentAddressDlg::AddActionExecute);
    delete_ = NewAction(QStringLiteral("Удалить"), QStringLiteral("Удалить запись"),
                        &TAbonentAddressDlg::DeleteActionExecute);
    telegram_ = NewAction(QStringLiteral("Телеграмма"), QStringLiteral("Переслать номер абонента в заголовок телеграммы"),
                          &TAbonentAddressDlg::AbonentNoTlgActionExecute);
    import_ = NewAction(QStringLiteral("Импорт"), QStringLiteral("Иморт базы данных абонентов из текстового файла"),
                        &TAbonentAddressDlg::ImportActionExecute);
    frame_ = BuildDirectoryDialogFrame(
        *this, {edit_, add_, delete_, nullptr, telegram_, nullptr, import_},
        {QStringLiteral("Номер"), QStringLiteral("Название"), QStringLiteral("Автоответ")}, module_.AbonentQuery,
        // The record number up to six digits and the number's 20 characters
        // are shown whole, whatever the font.
        {{QStringLiteral("ABONENT_ID"), QStringLiteral("№"), 26, 6, QStringLiteral("0123456789")},
         {QStringLiteral("ABONENT_No"), QStringLiteral("Номер"), 80, TAbonentEditForm::NumberLength,
          QStringLiteral("0123456789+-.")},
         {QStringLiteral("ABONENT_Name"), QStringLiteral("Название"), 220},
         {QStringLiteral("ABONENT_AnsBk"), QStringLiteral("Автоответ"), 100}});

    entryFilter_ = KeyFilter::Install(frame_.Entry, keyrules::NumberChars(NumberSearchLength));
    frame_.Entry->setMaxLength(NumberSearchLength);
    connect(frame_.Entry, &QLineEdit::textChanged, this, [this] { EntryEditChange(); });
    frame_.SearchButtons->button(ByNumber)->setChecked(true);
    connect(frame_.SearchButtons, &QButtonGroup::idClicked, this, [this] { QuickSearchRadioGroupClick(); });
    connect(frame_.Grid, &DirectoryGrid::TitleClicked, this, &TAbonentAddressDlg::AbonentDBGridTitleClick);
    connect(frame_.Ok, &QPushButton::clicked, this, &TAbonentAddressDlg::OKBtnClick);
    connect(frame_.Help, &QPushButton::clicked, this, &TAbonentAddressDlg::HelpBtnClick);
    connect(frame_.HelpKey, &QShortcut::activated, this, &TAbonentAddressDlg::HelpBtnClick);

    updateTimer_ = new QTimer(this);
    updateTimer_->setInterval(250);
    connect(updateTimer_, &QTimer::timeout, this, &TAbonentAddressDlg::AbonentNoTlgActionUpdate);
    connect(&module_.AbonentQuery, &BrowseQuery::DataSetChanged, this, [this] {
        ShowRecordInfo();
        AbonentNoTlgActionUpdate();
    });

    // FormCreate.
    module_.OnAbonentScroll.Set(this, [this](QObject*) { ShowRecordInfo(); });
    module_.AbonentQuery.First();
    ShowRecordInfo();
    AbonentNoTlgActionUpdate();
}

TAbonentAddressDlg::~TAbonentAddressDlg() = default;

QAction* TAbonentAddressDlg::NewAction(const QString& caption, const QString& hint,
                                       void (TAbonentAddressDlg::*slot)())
{
    auto* action = new QAction(caption, this);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

QRadioButton* TAbonentAddressDlg::SearchButton(int mode) const
{
    return static_cast<QRadioButton*>(frame_.SearchButtons->button(mode));
}

int TAbonentAddressDlg::SearchModeIndex() const
{
    return frame_.SearchButtons->checkedId();
}

QFileDialog* TAbonentAddressDlg::OpenImportDlg()
{
    if (!importDlg_) {
        importDlg_ = new QFileDialog(this);
        importDlg_->setFileMode(QFileDialog::ExistingFile);
        importDlg_->setAcceptMode(QFileDialog::AcceptOpen);
        importDlg_->setNameFilter(ImportFilter);
    }
    return importDlg_;
}

void TAbonentAddressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    AbonentNoTlgActionUpdate();
    updateTimer_->start();
}

void TAbonentAddressDlg::hideEvent(QHideEvent* event)
{
    updateTimer_->stop();
    QDialog::hideEvent(event);
}

int TAbonentAddressDlg::ExecForm(QDialog& form)
{
    return env_.ExecForm ? env_.ExecForm(form) : form.exec();
}

void TAbonentAddressDlg::ShowRecordInfo()
{
    const BrowseQuery& q = module_.AbonentQuery;
    frame_.CallLabel->setText(QStringLiteral("%1/%2 %3 %4 %5")
                            .arg(q.RecNo())
                            .arg(q.RecordCount())
                            .arg(q.FieldAsText(u"ABONENT_No"), q.FieldAsText(u"ABONENT_Name"),
                                 q.FieldAsText(u"ABONENT_AnsBk")));
}

// ---- quick search ----

void TAbonentAddressDlg::SetEntryFilter()
{
    const bool number = SearchModeIndex() == ByNumber;
    entryFilter_->SetRule(number ? keyrules::NumberChars(NumberSearchLength) : keyrules::Any(TextSearchLength));
    frame_.Entry->setMaxLength(number ? NumberSearchLength : TextSearchLength);
}

void TAbonentAddressDlg::EntryEditChange()
{
    BrowseQuery& q = module_.AbonentQuery;
    const QString t = QuickSearchText(frame_.Entry->text());
    if (t.isEmpty()) {
        q.First();
        return;
    }
    q.DisableControls();
    switch (SearchModeIndex()) {
    case ByNumber:
        q.Locate(u"ABONENT_No", t, LocateOption::CaseInsensitive | LocateOption::PartialKey);
        break;
    case ByName:
        q.Locate(u"ABONENT_Name", t, LocateOption::PartialKey);
        break;
    case ByAnswerBack:
        q.Locate(u"ABONENT_AnsBk", t, LocateOption::CaseInsensitive | LocateOption::PartialKey);
        break;
    default:
        break;
    }
    q.EnableControls();
}

void TAbonentAddressDlg::QuickSearchRadioGroupClick()
{
    if (frame_.Entry->text().isEmpty())
        EntryEditChange();
    else
        frame_.Entry->clear();
    SetEntryFilter();
}

// ---- sorting ----

void TAbonentAddressDlg::AbonentDBGridTitleClick(int column)
{
    const QString key = module_.AbonentQuery.FieldAsText(u"ABONENT_No");
    const QString order = frame_.Grid->CycleSortMark(column);
    module_.OpenAbonentQuery(order);
    module_.AbonentQuery.Locate(u"ABONENT_NO", key);
}

// ---- the record commands ----

void TAbonentAddressDlg::EditActionExecute()
{
    const BrowseQuery& q = module_.AbonentQuery;
    if (!TableOpen() || q.CurrentRow() < 0)
        return;
    recordForm_ = std::make_unique<TAbonentEditForm>(this);
    TAbonentEditForm& form = *recordForm_;
    form.SetAbonentLabels();
    form.setWindowTitle(QStringLiteral("Редактирование записи"));
    form.AbNoEdit()->setText(q.FieldAsText(u"ABONENT_No"));
    form.AbAnsBkEdit()->setText(q.FieldAsText(u"ABONENT_AnsBk"));
    form.AbNameEdit()->setText(q.FieldAsText(u"ABONENT_Name"));
    form.AbNoEdit()->setEnabled(false);
    if (ExecForm(form) == QDialog::Accepted) {
        PrepareAbonentEdit(module_.DynamicQuery, form.AbNoEdit()->text(), UpperCased(form.AbNameEdit()->text()),
                           UpperCased(form.AbAnsBkEdit()->text()));
        ExecAndRelocate();
    }
    frame_.Grid->setFocus();
    form.AbNoEdit()->setEnabled(true);
    recordForm_.reset();
}

void TAbonentAddressDlg::AddActionExecute()
{
    BrowseQuery& q = module_.AbonentQuery;
    if (!TableOpen())
        return;
    recordForm_ = std::make_unique<TAbonentEditForm>(this);
    TAbonentEditForm& form = *recordForm_;
    form.SetAbonentLabels();
    form.setWindowTitle(QStringLiteral("Добавление записи"));
    form.AbNoEdit()->setText(q.FieldAsText(u"ABONENT_No"));
    form.AbAnsBkEdit()->setText(q.FieldAsText(u"ABONENT_AnsBk"));
    form.AbNameEdit()->setText(q.FieldAsText(u"ABONENT_Name"));
    if (ExecForm(form) == QDialog::Accepted) {
        const QString number = form.AbNoEdit()->text();
        if (q.Locate(u"Abonent_No", number)) {
            WarnExists(number);
        } else {
            PrepareAbonentAdd(module_.DynamicQuery, number, UpperCased(form.AbNameEdit()->text()),
                              UpperCased(form.AbAnsBkEdit()->text()));
            ExecAndRelocate();
        }
    }
    frame_.Grid->setFocus();
    form.AbNoEdit()->setEnabled(true);
    recordForm_.reset();
}

bool TAbonentAddressDlg::TableOpen()
{
    if (module_.AbonentQuery.Active())
        return true;
    const QString error = module_.AbonentError();
    ShowMessage(*env_.Box, error.isEmpty() ? QStringLiteral("Таблица абонентов закрыта") : error, MessageIcon::Error);
    return false;
}

void TAbonentAddressDlg::WarnExists(const QString& number)
{
    ShowMessage(*env_.Box, QStringLiteral("Уже существует запись с номером: ") + number, MessageIcon::Warning);
}

bool TAbonentAddressDlg::ExecAndRelocate()
{
    BrowseQuery& q = module_.AbonentQuery;
    q.DisableControls();
    bool done = module_.DynamicQuery.ExecSQL();
    QString error = done ? QString() : QStringLiteral("Запись не сохранена: ") + module_.AbonentChangeError();
    if (done) {
        // Read again without laying the grid out anew: a table of 100 000
        // subscribers is not reset for one record.
        done = module_.RefreshAbonentQuery();
        error = module_.AbonentError();
        if (done && !q.Locate(u"Abonent_No", recordForm_->AbNoEdit()->text()))
            q.Last();
    }
    q.EnableControls();
    // What the operator confirmed is not dropped silently: a refused
    // change is reported, and the table stays as it was.
    if (!done)
        ShowMessage(*env_.Box, error, MessageIcon::Error);
    return done;
}

void TAbonentAddressDlg::DeleteActionExecute()
{
    BrowseQuery& q = module_.AbonentQuery;
    if (!TableOpen() || q.CurrentRow() < 0)
        return;
    // Taken before the question: a look-up by the engine meanwhile moves
    // the current record.
    const QString n = q.FieldAsText(u"ABONENT_No");
    const QString m = q.FieldAsText(u"ABONENT_Name");
    const QString question = QStringLiteral("Вы уверены, что хотите удалить \rзапись: \"%1 %2\"?").arg(n, m);
    if (ShowMessage(*env_.Box, question, MessageIcon::Warning, MessageButtons::YesNo) != MessageResult::Yes)
        return;
    PrepareAbonentDelete(module_.DynamicQuery, n);
    if (!module_.DynamicQuery.ExecSQL()) {
        ShowMessage(*env_.Box, QStringLiteral("Запись не удалена: ") + module_.AbonentChangeError(), MessageIcon::Error);
        return;
    }
    q.DisableControls();
    q.Prior();
    const QString k = q.FieldAsText(u"ABONENT_No");
    // Only the deleted record is read again.
    module_.RefreshAbonentRecords(u"ABONENT_No", n);
    q.Locate(u"ABONENT_No", k);
    q.EnableControls();
}

// ---- import ----

void TAbonentAddressDlg::ImportActionExecute()
{
    BrowseQuery& q = module_.AbonentQuery;
    q.Close();
    QString path;
    if (env_.ChooseImportFile) {
        path = env_.ChooseImportFile();
    } else {
        // Used once and destroyed with everything it opened: its completion
        // list would otherwise stay on the screen after it closes.
        const std::unique_ptr<QFileDialog> dlg(OpenImportDlg());
        importDlg_ = nullptr;
        if (dlg->exec() == QDialog::Accepted && !dlg->selectedFiles().isEmpty())
            path = dlg->selectedFiles().constFirst();
    }
    // A file in the Windows code page would fill the table with
    // pseudo-graphics: it is taken as such only when the operator says so.
    ImportCodePage codePage = ImportCodePage::Oem;
    if (!path.isEmpty() && AbonentImportFile::LooksLikeAnsi(path)) {
        const QString question =
            QStringLiteral("Файл %1 записан, по-видимому, в кодировке Windows (CP1251), а не DOS (CP866): "
                           "названия из него читались бы псевдографикой.\nИмпортировать его как текст Windows (CP1251)?")
                .arg(QDir::toNativeSeparators(path));
        if (ShowMessage(*env_.Box, question, MessageIcon::Question, MessageButtons::YesNo) == MessageResult::Yes)
            codePage = ImportCodePage::Ansi;
        else
            path.clear();
    }
    QString error;
    bool failed = false;
    int refused = 0;
    QString firstRefused;
    {
        const WaitCursor wait;
        if (!path.isEmpty()) {
            StatementQuery& insert = module_.DynamicQuery;
            // One transaction: a large file is written at once, not record
            // by record.
            const bool transaction = insert.StartTransaction();
            PrepareAbonentAdd(insert, QString(), QString(), QString()); // the answerback stays empty
            const QString curNo = QStringLiteral("curNo");
            const QString curName = QStringLiteral("curName");
            failed = !AbonentImportFile::Read(
                path, codePage,
                [&](const ImportedAbonent& record) {
                    insert.SetParam(curNo, record.Number);
                    insert.SetParam(curName, record.Name);
                    // A record the table refuses is skipped, and counted.
                    if (!insert.ExecSQL() && refused++ == 0)
                        firstRefused = QStringLiteral("\"%1\": %2").arg(record.Number, module_.AbonentChangeError());
                },
                error);
            if (transaction && !insert.Commit() && !failed) {
                failed = true;
                error = QStringLiteral("Импорт не сохранён: ") + module_.AbonentChangeError();
            }
        }
        q.Open();
    }
    if (refused > 0)
        ShowMessage(*env_.Box,
                    QStringLiteral("Не импортировано записей: %1. Первая из них: %2").arg(refused).arg(firstRefused),
                    MessageIcon::Warning);
    if (failed)
        ShowMessage(*env_.Box, error, MessageIcon::Error);
}

// ---- "Телеграмма" ----

void TAbonentAddressDlg::AbonentNoTlgActionUpdate()
{
    const int channel = env_.Desk ? env_.Desk->CurrentChannel() : 0;
    telegram_->setEnabled(module_.AbonentQuery.RecordCount() > 0 && channel > 0 &&
                          env_.Desk->ChannelHasDriver(channel));
}

void TAbonentAddressDlg::AbonentNoTlgActionExecute()
{
    AbonentNoTlgActionUpdate();
    if (!telegram_->isEnabled())
        return;
    const QString number = module_.AbonentQuery.FieldAsText(u"ABONENT_No");
    TelegramAddressee* target = env_.Desk->FirstEditor();
    if (!target)
        target = env_.Desk->NewTelegram(env_.Desk->CurrentChannel());
    if (!target)
        return;
    target->InsertNumberLine(number);
    target->ShowInFront();
}

// ---- buttons ----

void TAbonentAddressDlg::OKBtnClick()
{
    close();
}

void TAbonentAddressDlg::HelpBtnClick()
{
    ShowHelpNote(*env_.Box, HelpContext);
}

} // namespace korvane
