// The number lists form, "Обработка неэффективных вызовов".
#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace korvane {

// "Обработка неэффективных вызовов": the numbers being retried
// (UnsuccNumbers, with their retry state) and the numbers given up
// (BadNumbers, with the failure), a legend of the failure names, and the
// deletion of a number from both lists. Created once at start (its lists
// filled), kept current by the main window's one-second clock while Filled(),
// shown modeless; closing only hides it. Every list operation works under
// ListsBusy.
class TBadNumbersForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 90;

    explicit TBadNumbersForm(QWidget* parent = nullptr);
    ~TBadNumbersForm() override;

    // Both views from scratch; sets the filled flag.
    void FillLists();
    // Both views brought up to date in place (the clock's work).
    void UpdateLists();
    // Both views emptied; clears the filled flag.
    void ClearLists();
    bool Filled() const { return filled_; }

    // The focused row's number off both lists, and its row off the current view.
    void DeleteNumberActionExecute();
    QAction* DeleteNumberAction() const { return deleteAction_; }

    QTableWidget* UnsuccListView() const { return unsucc_; }
    QTableWidget* BadNumbersListView() const { return bad_; }
    QListWidget* ListBox1() const { return legend_; }
    QPushButton* DeleteBitBtn() const { return deleteButton_; }
    QPushButton* OKBtn() const { return okButton_; }
    QPushButton* HelpBtn() const { return helpButton_; }
    // The view the operator entered last (UnsuccListView at first).
    QTableWidget* CurrentListView() const { return current_; }
    void SetCurrentListView(QTableWidget* view);

signals:
    void HelpRequested(int topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateDeleteAction();
    void FillUnsucc();
    void FillBad();
    void UpdateUnsucc();
    void UpdateBad();

    QTableWidget* unsucc_ = nullptr;
    QTableWidget* bad_ = nullptr;
    QListWidget* legend_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QTableWidget* current_ = nullptr;
    bool filled_ = false;
};

} // namespace korvane
