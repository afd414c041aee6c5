#pragma once

// "Таблица кодов стран": the country code table in a grid, with a quick
// search by name, dial code or letter code, sorting by a click on a column
// title (the order outlives the dialog: the next one shows the table in
// it), and Edit, Add and Delete through the record form. Modal; created for
// each use on the data module's one country query. Main thread only.

#include "directories/dialogs/DirectoryDialogEnvironment.h"

#include "directories/dialogs/DirectoryDialogFrame.h"

#include <QDialog>

#include <memory>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolBar;

namespace korvane {

class DirectoryGrid;
class KeyFilter;
class TCodeEditForm;
class TTxDataModule;

class TCountryDBListDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 60;
    enum SearchMode { ByName = 0, ByCode = 1, ByLetters = 2 };

    TCountryDBListDlg(TTxDataModule& module, DirectoryDialogEnvironment env, QWidget* parent = nullptr);
    ~TCountryDBListDlg() override;

    void ShowRecordInfo();
    void EntryEditChange();
    void QuickSearchRadioGroupClick();
    void CountriesDBGridTitleClick(int column);
    void EditActionExecute();
    void AddActionExecute();
    void DeleteActionExecute();
    void HelpBtnClick();

    QAction* EditAction() const { return edit_; }
    QAction* AddAction() const { return add_; }
    QAction* DeleteAction() const { return delete_; }
    QToolBar* ToolBar() const { return frame_.ToolBar; }
    QLineEdit* EntryEdit() const { return frame_.Entry; }
    QLabel* EntryLabel() const { return frame_.EntryLabel; }
    QGroupBox* QuickSearchRadioGroup() const { return frame_.SearchGroup; }
    QRadioButton* SearchButton(int mode) const;
    int SearchModeIndex() const;
    DirectoryGrid* CountriesDBGrid() const { return frame_.Grid; }
    QLabel* CallLabel() const { return frame_.CallLabel; }
    QPushButton* OKBtn() const { return frame_.Ok; }
    QPushButton* HelpBtn() const { return frame_.Help; }
    TCodeEditForm* RecordForm() const { return recordForm_.get(); }

private:
    QAction* NewAction(const QString& caption, const QString& hint, void (TCountryDBListDlg::*slot)());
    int ExecForm(QDialog& form);
    bool TableOpen();
    // Runs the prepared statement, shows the table afresh and makes the
    // changed record current: the one of Id, else the one of Code and
    // Name, else the last; a refused statement is shown in the error box.
    bool ExecAndRelocate(const QString& id, const QString& code, const QString& name);
    // The row of the record with this code and name; -1 when none.
    int FindCountry(const QString& code, const QString& name) const;
    void SetEntryFilter();
    void FillForm(TCodeEditForm& form);

    TTxDataModule& module_;
    DirectoryDialogEnvironment env_;
    QAction* edit_ = nullptr;
    QAction* add_ = nullptr;
    QAction* delete_ = nullptr;
    DirectoryDialogFrame frame_;
    KeyFilter* entryFilter_ = nullptr;
    std::unique_ptr<TCodeEditForm> recordForm_;
};

} // namespace korvane
