#pragma once
#include "display/DisplayFormatEditor.h"
#include "platform/qt/QtListBox.h"

#include <QGroupBox>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zeva {

class ValueLabel;

// The "Field Display Format" page: lstDFields and the entry editor's widgets over
// DisplayFormatEditor. Every command goes to the editor; afterwards the widgets show its state and
// controls with their handlers blocked. Escape leaves the editor; Ctrl+X, Ctrl+C, Ctrl+V and Del on
// the list run Cut, Copy, Paste and Delete.
class DisplayFormatPage final : public QGroupBox {
    Q_OBJECT
  public:
    DisplayFormatPage(QWidget* parent, MessageBox& messages);
    ~DisplayFormatPage() override;

    DisplayFormatEditor& editor() { return editor_; }
    QListWidget* lstDFields() const { return lstDFields_; }
    void LoadList(const std::vector<std::string>& lines);
    std::vector<std::string> Lines() const { return editor_.Lines(); }
    void SetChooserItems(std::vector<DisplayFormatEditor::ChooserItem> items);
    // Shows the editor's state and controls.
    void Refresh();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The editor's controls take the texts the boxes show now.
    // The constructor's steps: the page's rows from top to bottom, then the boxes' handlers.
    void AddLabel(const QString& text, QWidget* buddy, QHBoxLayout* row);
    void BuildFieldRow(QHBoxLayout* fieldRow);
    void BuildCheckRow(QHBoxLayout* row);
    void BuildSizeRow(QHBoxLayout* sizeRow);
    void BuildButtonRow(QHBoxLayout* buttonRow);
    void ConnectBoxes();
    void TakeBoxTexts();
    void Run(void (DisplayFormatEditor::*command)());

    QListWidget* lstDFields_{};
    std::unique_ptr<QtListBox> list_;
    DisplayFormatEditor editor_;
    QComboBox* cmbDFields_{};
    QLineEdit *txtDFInsertText_{}, *txtDFMaxSize_{}, *txtDFSpace_{};
    QCheckBox *chkDFNewLine_{}, *chkDFUCase_{}, *chkDFVariable_{};
    std::array<QRadioButton*, 3> optMaxSize_{};
    QPushButton *cmdDFAdd_{}, *cmdDFEdit_{}, *cmdDFOk_{}, *cmdDFCut_{}, *cmdDFCopy_{}, *cmdDFPaste_{},
        *cmdDFDelete_{};
    ValueLabel* lblDFClipBoard_{};
};

} // namespace zeva
