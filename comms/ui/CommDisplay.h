#pragma once
#include "platform/qt/QtFlexGrid.h"
#include "platform/qt/QtLineListBox.h"

#include <QWidget>

#include <memory>
#include <string>

class QListView;
class QPushButton;
class QTableWidget;

namespace zeva {

class Clock;
class ClientLogView;
class HubConnection;
class ListBox;
class MemberGridView;
class ValueLabel;

// The comms console: shows the hub connection's log, its member fields and its error label. Created
// hidden and kept above other windows when shown; its Hide button hides it and the connection keeps
// running. The connection and the clock must outlive it.
class CommDisplay final : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "ComClass - Version 4.00.00";

    CommDisplay(HubConnection& connection, const Clock& clock, QWidget* parent = nullptr);
    ~CommDisplay() override;

    // Stops showing the connection; the owner calls it before the connection goes, when the console
    // is deleted later than it.
    void Detach();

    void ShowConsole(bool visible);
    bool ConsoleVisible() const { return isVisible(); }

    QListView* LogList() const { return lstClientLog_; }
    // The log's lines as they stand (the list view hears of them once per frame).
    const ListBox& LogLines() const { return *logBox_; }
    QTableWidget* MemberGrid() const { return grid_; }
    ValueLabel* ErrorLabel() const { return lblError_; }
    QPushButton* HideButton() const { return cmdHide_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildWidgets();
    void ApplyLayout();
    void SetErrorCaption(const std::string& text);

    HubConnection& connection_;
    bool detached_ = false;
    QListView* lstClientLog_ = nullptr;
    QTableWidget* grid_ = nullptr;
    ValueLabel* lblError_ = nullptr;
    QPushButton* cmdHide_ = nullptr;
    QtLineListBox* logBox_ = nullptr; // owned by lstClientLog_
    std::unique_ptr<QtFlexGrid> gridBox_;
    std::unique_ptr<ClientLogView> log_;
    std::unique_ptr<MemberGridView> gridView_;
};

} // namespace zeva
