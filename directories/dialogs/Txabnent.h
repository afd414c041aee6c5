#pragma once

// "Список абонентов": the operator's view of the subscriber table. A grid of
// the subscribers, a quick search by number, name or answerback, sorting by
// a click on a column title, Edit, Add and Delete through the record form,
// the import of subscribers from a text file, and "Телеграмма", which puts
// the current subscriber's number at the top of a telegram. Non-modal;
// created once and kept for the whole run. Main thread only.

#include "directories/dialogs/DirectoryDialogEnvironment.h"

#include "directories/dialogs/DirectoryDialogFrame.h"

#include <QDialog>

#include <memory>

class QAction;
class QButtonGroup;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolBar;

namespace korvane {

class DirectoryGrid;
class KeyFilter;
class TAbonentEditForm;
class TTxDataModule;

class TAbonentAddressDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 80;
    enum SearchMode { ByNumber = 0, ByName = 1, ByAnswerBack = 2 };
    // The import dialog's filter.
    static const QString ImportFilter;

    TAbonentAddressDlg(TTxDataModule& module, DirectoryDialogEnvironment env, QWidget* parent = nullptr);
    ~TAbonentAddressDlg() override;

    // The record line under the grid (the data module's scroll hook).
    void ShowRecordInfo();
    void EntryEditChange();
    void QuickSearchRadioGroupClick();
    void AbonentDBGridTitleClick(int column);
    void EditActionExecute();
    void AddActionExecute();
    void DeleteActionExecute();
    void ImportActionExecute();
    void AbonentNoTlgActionExecute();
    void AbonentNoTlgActionUpdate();
    void OKBtnClick();
    void HelpBtnClick();

    QAction* EditAction() const { return edit_; }
    QAction* AddAction() const { return add_; }
    QAction* DeleteAction() const { return delete_; }
    QAction* AbonentNoTlgAction() const { return telegram_; }
    QAction* ImportAction() const { return import_; }
    QToolBar* ToolBar() const { return frame_.ToolBar; }
    QLineEdit* EntryEdit() const { return frame_.Entry; }
    QLabel* EntryLabel() const { return frame_.EntryLabel; }
    QGroupBox* QuickSearchRadioGroup() const { return frame_.SearchGroup; }
    QRadioButton* SearchButton(int mode) const;
    int SearchModeIndex() const;
    DirectoryGrid* AbonentDBGrid() const { return frame_.Grid; }
    QLabel* CallLabel() const { return frame_.CallLabel; }
    QPushButton* OKBtn() const { return frame_.Ok; }
    QPushButton* HelpBtn() const { return frame_.Help; }
    QFileDialog* OpenImportDlg();
    // The form of the running Edit or Add; null otherwise.
    TAbonentEditForm* RecordForm() const { return recordForm_.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QAction* NewAction(const QString& caption, const QString& hint, void (TAbonentAddressDlg::*slot)());
    int ExecForm(QDialog& form);
    // Runs the prepared statement, shows the table afresh and makes the
    // record of the form's number current (else the last); a refused
    // statement is shown in the error box.
    bool ExecAndRelocate();
    // False, after the error box, when the table is closed (a failed start).
    bool TableOpen();
    void SetEntryFilter();
    void WarnExists(const QString& number);

    TTxDataModule& module_;
    DirectoryDialogEnvironment env_;
    QAction* edit_ = nullptr;
    QAction* add_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* telegram_ = nullptr;
    QAction* import_ = nullptr;
    DirectoryDialogFrame frame_;
    KeyFilter* entryFilter_ = nullptr;
    QFileDialog* importDlg_ = nullptr;
    QTimer* updateTimer_ = nullptr;
    std::unique_ptr<TAbonentEditForm> recordForm_;
};

} // namespace korvane
