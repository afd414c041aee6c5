#pragma once

// Page "Элементы" of the channel options dialog: the parameter values of
// one telegraph protocol, edited in place in the dialog's copy of the set.
// The page lists the protocol's elements, shows the current element's class
// and parameters, and stores a table, numeric or text value when the value
// box loses the focus. Jump values are shown, never stored.

#include "ui/settings/ProtocolValueRules.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;

namespace korvane {

struct TElementRec;
struct TParamValue;
struct TProtocolRec;
class ElementClassRegistry;

class TProtocolEditorPage : public QWidget {
    Q_OBJECT

public:
    explicit TProtocolEditorPage(QWidget* parent = nullptr);

    // Filling the page with Protocol (null: a kind without protocols, shown
    // empty) and the class list of Registry; Caption is the station list's
    // chosen item.
    void Fill(TProtocolRec* protocol, const ElementClassRegistry* registry, const QString& caption);
    // Empties the element and class lists (the parameter list and the value
    // box keep their content until the next filling).
    void Clear();
    bool FElementsShown = false;
    QString FPrevValueText;

    void ElementListBoxClick();
    void ParametrListBoxClick();
    // The key filter; false: the key is discarded.
    bool ValueTblComboBoxKeyPress(QChar key);
    void ValueTblComboBoxChange();
    // Stores the value box into the current value (the box lost the focus).
    void ValueTblComboBoxExit();

    // Controls, for the dialog's tests and screenshots.
    QGroupBox* ProtocolGroup() const { return group_; }
    QListWidget* ElementListBox() const { return elements_; }
    QListWidget* ClassListBox() const { return classes_; }
    QListWidget* ParametrListBox() const { return params_; }
    QComboBox* ValueTblComboBox() const { return value_; }
    QLabel* SetValueLabel() const { return setValue_; }
    QLabel* MinSetLabel() const { return minSet_; }
    QLabel* MaxSetLabel() const { return maxSet_; }
    // The element and value shown (not owned), or null.
    TElementRec* CurrentElement() const;
    TParamValue* CurrentValue() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MakeEditBox();
    EditorParamKind CurrentKind() const;

    TProtocolRec* protocol_ = nullptr;
    bool filling_ = false;
    QGroupBox* group_ = nullptr;
    QListWidget* elements_ = nullptr;
    QListWidget* classes_ = nullptr;
    QListWidget* params_ = nullptr;
    QComboBox* value_ = nullptr;
    QLabel* setValue_ = nullptr;
    QLabel* minSet_ = nullptr;
    QLabel* maxSet_ = nullptr;
};

} // namespace korvane
