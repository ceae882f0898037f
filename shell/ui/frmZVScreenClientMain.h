#pragma once
#include "comms/CommMemberType.h"
#include "comms/HubConnection.h"
#include "comms/ui/CommDisplay.h"
#include "comms/ui/QtHubConnection.h"
#include "display/DisplayModes.h"
#include "display/FontSetup.h"
#include "display/OutputFormatter.h"
#include "display/ZVRecordClass.h"
#include "model/ZVFieldClass.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtFlexGrid.h"
#include "platform/qt/QtInstanceLock.h"
#include "platform/qt/QtLineListBox.h"
#include "platform/qt/QtListBox.h"
#include "platform/qt/QtMessageBox.h"
#include "shell/CommsMenu.h"
#include "shell/LinkAlarm.h"
#include "shell/MainShell.h"
#include "shell/MainWindowPort.h"
#include "shell/RecordAlert.h"
#include "shell/RecordIntake.h"
#include "shell/SetupBoxes.h"
#include "shell/Station.h"
#include "shell/ui/OutputPane.h"

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;
class QToolButton;

namespace zeva {

class RecordFindBar;
class RecordTrail;
class ValueLabel;

class DisplayFormatPage;
class FieldsWindow;
class SetupPasswordGroup;

// The main window: builds the widgets, wraps them in the platform adapters, hands those to the
// Station (which makes MainShell and the long-lived objects) and forwards events (timer ticks,
// clicks, keys, close requests) to them. What the station reports comes back through its callbacks.
class frmZVScreenClientMain final : public QWidget, public MainWindowPort {
    Q_OBJECT
  public:
    struct Options {
        std::string settingsPath = SettingsDatabase::kFileName;
        InstanceLock* instanceLock = nullptr; // the machine-wide lock when null
        MessageBox* messages = nullptr;       // modal QMessageBox when null
    };
    explicit frmZVScreenClientMain(Options options);
    ~frmZVScreenClientMain() override;

    MainShell& shell() const { return station_->shell(); }
    Station& station() { return *station_; }
    ZVFieldClass* fieldClass() const { return station_->fieldClass(); }
    // The hub connection, its Qt surroundings and the comms console (null once unloaded).
    HubConnection* client() const { return station_->client(); }
    QtHubConnection* hubHost() const { return hub_.get(); }
    CommDisplay* console() const { return console_.get(); }
    RecordIntake* intake() const { return station_->intake(); }
    // The Comms menu commands and their enabling, as the menu shows them when it opens.
    void UpdateCommsMenu();
    QMenu* mainMenu() const { return mnuFile_; }
    ZVRecordClass* recordClass() const { return station_->recordClass(); }
    OutputFormatter* formatter() const { return station_->formatter(); }
    // The "&Test" button of the Output Test: the test record through the whole display road.
    void RunOutputTest();
    // Shows one record text that arrived: record queue, Output window, Full fields, Records grid.
    void ShowRecordText(const std::string& recordText);
    // Copy: the text Ctrl+C puts on the clipboard for that widget (empty when nothing is selected).
    QString CopyText(const QWidget* source) const;
    bool CopySelection(const QWidget* source);
    // Called after each record from the hub is shown (unattended runs log them).
    std::function<void(const std::string& recordText)> onRecordShown;
    bool IsUnloaded() const { return unloaded_; }

    // MainWindowPort
    void HideDisplays() override;
    void PlacePanes() override;
    void LoadClientSelection(const ClientSettings& settings) override;
    void ApplyOutputSettings(const ClientSettings& settings) override;
    void RunHubSetup(std::string& setupIdent) override;
    void SetCaption(const std::string& caption) override;
    void SetupDisplayFormatList() override;
    void SetHourglass(bool busy) override;
    void RestoreFormPosition() override;
    void SetRecordsProcessedText(const std::string& text) override;
    void EnableTimers(bool enabled) override;
    void ShowDisplayMode(int mode) override;
    void ApplySetupLock(bool locked) override;
    bool AutoConnectChecked() const override;
    void ShowCommsConsole(bool visible) override;
    void SetCommsInfoItem(int index, const std::string& text) override;
    void SaveWindowPosition() override;
    void StoreWindowSettings() override;
    void Unload() override;

    // Sends one status flag to the monitor through the hub; an unknown code sends nothing.
    bool SendFlag(const std::string& code, const std::string& text1 = {}, const std::string& text2 = {});
    // The administration screens: display-format editor page, Fields window menus, password lock.
    DisplayFormatPage* displayFormatPage() const { return dfPage_; }
    FieldsWindow* fieldsWindow() const { return fieldsWindow_; }
    SetupPasswordGroup* passwordGroup() const { return passwordGroup_; }

    // A line at the top of the Output window, trimmed to MaxEntriesInOutput.
    void InsertOutputLine(const std::string& line);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // The widgets, one part of the window at a time.
    void BuildWidgets();
    void BuildTitleArea();
    void BuildDisplayPanes();
    void BuildSetupPane();
    QGroupBox* BuildGlobalFormat();
    QGroupBox* BuildClientSelection();
    QGroupBox* BuildOutputTest();
    QGroupBox* BuildFontSetup();
    void BuildAdapters();
    void BuildTimers();
    // The title area's buttons and labels, sized for the font in use.
    void LayoutTitleArea();
    // A numeric box of the Global Format group left: its text taken into the settings.
    void TakeNumericBox(QLineEdit* edit, SetupBox which);
    // The Global Format boxes in the order of kSetupBoxes.
    std::array<QLineEdit*, kSetupBoxes.size()> SetupBoxEdits() const;
    // What the Setup pane holds (boxes typed in, the display-format list, fonts) into the settings.
    void TakeSetupPage();
    // A row of the Records grid chosen, and its pop-up menu of columns.
    void OnRecordRowChosen(int row);
    void ShowRecordsMenu(const QPoint& at);
    // "Save Records as CSV...": the Records grid to a file the operator names; a failure in a box.
    void SaveRecordsAsCsv();
    // The find bar and its button at the Records grid, the grid shortened while the bar shows.
    void PlaceFindBar();
    // What the station reports, into the window.
    void WireStation();
    // A record from the hub arrived: the desktop is asked for attention when the window is behind.
    void AlertRecordArrived();
    void BuildMenu();
    void LayoutPanes();
    // The display sizes a window with no stored geometry opens at.
    void FirstStartSizes(const QRect& screen);
    void PlaceLinkAlarm();
    // The link alarm after a connection-timer tick.
    void UpdateLinkAlarm();
    void ApplyModeView(const ModeView& view);
    void ApplyFonts(const std::vector<int>& targets);
    QWidget* FontTargetWidget(int target) const;
    void ChooseFont(int button);
    void OnRecordListChosen(int row);
    // The record trail (Setup\RecordLog): switched on at start-up, one entry per record shown.
    void StartRecordTrail();
    // Number keys "1".."5": the display mode; false when the key is not one of them here.
    bool HandleModeKey(const QKeyEvent& event);
    void OnTimer2();
    void OnServerTimer();
    // The records waiting in the intake, shown for one slice of time.
    void ShowWaitingRecords();
    void ShowProcessedStatus();
    // The processed counter and the time of the last record shown.
    void CountShownRecord(double now);

    Options options_;
    RealFileSystem files_;
    std::unique_ptr<QtInstanceLock> ownLock_;
    std::unique_ptr<QtMessageBox> ownMessages_;
    bool unloaded_ = false;
    int currentMode_ = 0;

    // Title area and status labels.
    QToolButton *imgOutput_{}, *imgSetup_{}, *imgConfig_{}, *imgConfig3_{}, *imgComms_{};
    // Labels that show a value are heard with it (ValueLabel).
    std::array<ValueLabel*, 3> labRecordsProcessed_{};
    ValueLabel *lbBufferInPtr_{}, *lbBufferOutPtr_{}, *lblBadPackets_{}, *lblLinkAlarm_{};
    QLabel* Label1_{};
    LinkAlarm linkAlarm_;
    int alarmShiftPx_ = 0; // pixels the Output list moved down for the alarm line
    // Panes.
    std::unique_ptr<OutputPane> output_;
    QListWidget* lstFullFields_{};
    QPushButton* cmdFOk_{};
    QGroupBox *frmFields_{}, *frmRecords_{}, *frmDFSetup_{};
    QTableWidget *MemberFlexGrid_{}, *RecordFlexGrid_{};
    QListWidget* RecordListBox_{};
    QToolButton* cmdFind_{};
    RecordFindBar* findBar_{};
    int findBarPx_ = 0; // pixels of the Records grid the open find bar takes
    RecordAlert recordAlert_;
    FieldsWindow* fieldsWindow_{};
    // Setup pane.
    QGroupBox *frmDFGlobal_{}, *frmClients_{};
    QListWidget* lstClients_{};
    DisplayFormatPage* dfPage_{};
    SetupPasswordGroup* passwordGroup_{};
    QLineEdit *txtDFCharWidth_{}, *txtDFLinesPerEntry_{}, *txtDFIndent_{}, *txtDFPostLines_{},
        *txtMaxDFDisplayEntries_{}, *txtFFJustify_{}, *txtMaxRecords_{};
    QCheckBox *chkDFIndent_{}, *chkDFFormatText_{}, *chkDFTruncIndicator_{}, *chkDFFixedLines_{},
        *chkMultiWindowSize_{};
    QPushButton *cmdMonitorSelectAll_{}, *cmdMonitorClearAll_{}, *cmdMonitorTest_{};
    ValueLabel* lblVersion_{};
    QGroupBox *frmOutputTest_{}, *frmFontSetup_{};
    QLineEdit* txtDFTest_{};
    QPushButton *cmdDFTest_{}, *txtDFTestDefault_{};
    QCheckBox* chkODSingle_{};
    std::array<QRadioButton*, 4> optWindow_{};
    std::array<QPushButton*, 3> cmdSetupFont_{};
    // Main menu (admin mode only, as a pop-up).
    QMenu* mnuFile_{};
    std::array<QAction*, 6> mnuDisplayMode_{};
    std::array<QAction*, 4> mnuCommI_{};
    QAction *mnuCommsAutoConnect_{}, *mnuCommsAutoShow_{}, *mnuCommsLock_{}, *mnuCommsShow_{};
    std::array<QAction*, 3> mnuComms_{};
    QAction* mnuExit_{};
    QAction *mnuClearOutput_{}, *mnuMaximize_{}, *mnuFullFieldsAuto_{}, *mnuBeep_{};

    std::unique_ptr<QtListBox> fullFieldsBox_, clientsBox_, recordListBox_;
    std::unique_ptr<QtFlexGrid> memberGrid_, recordGrid_;
    QTimer *Timer2_{}, *timServerTimer_{}, *showTimer_{};

    SystemClock clock_;
    // The hub connection with its Qt surroundings and its console (made when start-up asks).
    std::unique_ptr<QtHubConnection> hub_;
    std::unique_ptr<CommDisplay> console_;
    // Start-up, the long-lived objects and the shutdown; goes before the hub connection it wires.
    std::unique_ptr<Station> station_;
    std::unique_ptr<DisplayModes> modes_;
    FontSetup fonts_;
};

} // namespace zeva
