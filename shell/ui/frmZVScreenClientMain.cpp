#include "shell/ui/frmZVScreenClientMain.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/TextUtil.h"
#include "comms/ui/QtHubConnection.h"
#include "comms/ui/frmHubSetup.h"
#include "display/DisplayFormatEntry.h"
#include "display/GridText.h"
#include "display/OutputTest.h"
#include "display/RecordMenu.h"
#include "display/RecordsCsv.h"
#include "display/ui/DisplayFormatPage.h"
#include "display/ui/FieldsWindow.h"
#include "display/ui/NumericBoxFilter.h"
#include "flags/SendToMonitor.h"
#include "model/RecordTrail.h"
#include "platform/qt/QtAttention.h"
#include "platform/qt/QtText.h"
#include "platform/qt/RepaintPacer.h"
#include "platform/qt/ValueLabel.h"
#include "recordlog/RStoreRecordLog.h"
#include "settings/SettingsCatalog.h"
#include "settings/ui/QtFont.h"
#include "settings/ui/SetupPasswordGroup.h"
#include "shell/SetupBoxes.h"
#include "shell/ui/OutputPane.h"
#include "shell/ui/RecordFindBar.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <tuple>
#include <type_traits>

namespace zeva {
namespace {

// Records waiting to be shown are shown in slices of this many milliseconds, with the window's
// other events (ticks, keys, paints, the socket) between them.
constexpr qint64 kShowSliceMs = 20;

// Pane geometry, twips.
constexpr int kOutputTop = 450, kOutputLeft = 30, kFramesTop = 390, kPaneMargin = 40;
constexpr int kMinWidth = 9375, kMinHeight = 1635, kSetupHeight = 6555;

// The code name is the object name; the accessible name is what a person reads on the control or
// would call it: the caption without its "&" when it has one, else the spoken name given.
template <typename W> W* Named(W* widget, const char* name, const QString& spoken = {}) {
    widget->setObjectName(QString::fromLatin1(name));
    QString said = spoken;
    if constexpr (std::is_base_of_v<QAbstractButton, W>) {
        if (said.isEmpty()) said = widget->text();
    } else if constexpr (std::is_base_of_v<QGroupBox, W>) {
        if (said.isEmpty()) said = widget->title();
    } else if constexpr (std::is_base_of_v<ValueLabel, W>) {
        if (said.isEmpty()) said = widget->caption();
    }
    widget->setAccessibleName(said.remove(QLatin1Char('&')));
    return widget;
}

} // namespace

frmZVScreenClientMain::frmZVScreenClientMain(Options options) : options_(std::move(options)) {
    setObjectName(QStringLiteral("frmZVScreenClientMain"));
    setAccessibleName(QStringLiteral("ZEVA Screen Client"));
    if (!options_.instanceLock) {
        ownLock_ = std::make_unique<QtInstanceLock>();
        options_.instanceLock = ownLock_.get();
    }
    if (!options_.messages) {
        ownMessages_ = std::make_unique<QtMessageBox>(this);
        options_.messages = ownMessages_.get();
    }
    BuildWidgets();
    BuildMenu();
    // Records that come one per turn of the event loop (a slow stream, synchronous mode) change the
    // counts and the Output list every turn; the window is painted at the screen's rate all the same.
    new RepaintPacer(this);
    qApp->installEventFilter(this);
    station_ = std::make_unique<Station>(
        *this, *options_.messages, files_, *options_.instanceLock,
        ProgramVersion{ZEVA_VERSION_MAJOR, ZEVA_VERSION_MINOR, ZEVA_VERSION_PATCH}, options_.settingsPath,
        clock_,
        Station::Views{output_->lines(), *fullFieldsBox_, *clientsBox_, *recordListBox_, *memberGrid_,
                       *recordGrid_, fieldsWindow_->memberList()});
    WireStation();
    modes_ = std::make_unique<DisplayModes>(shell().settings());
    passwordGroup_->Start(
        shell().settings(), *options_.messages, [this](const std::string& code) { SendFlag(code); },
        [this](const ClientSettings& s) { StoreSetupLock(shell().settingsDb(), s); },
        [this](bool locked) {
            // The setup frames; the password group stays usable, and operator mode's disabled pane stays so.
            for (QWidget* w : {static_cast<QWidget*>(dfPage_), static_cast<QWidget*>(frmDFGlobal_),
                               static_cast<QWidget*>(frmClients_), static_cast<QWidget*>(frmOutputTest_),
                               static_cast<QWidget*>(frmFontSetup_)})
                w->setEnabled(!locked);
        });
    setWindowTitle(QStringLiteral("ZEVA Screen Client"));
    resize(TwipsToPixels(kMinWidth), TwipsToPixels(kMinHeight));
}

frmZVScreenClientMain::~frmZVScreenClientMain() = default;

void frmZVScreenClientMain::BuildWidgets() {
    BuildTitleArea();
    BuildDisplayPanes();
    BuildSetupPane();
    BuildAdapters();
    BuildTimers();
}

void frmZVScreenClientMain::BuildTitleArea() {
    const auto image = [this](const char* name, const QString& text, const QString& tip,
                              const QString& spoken) {
        auto* b = Named(new QToolButton(this), name, spoken);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };
    imgOutput_ =
        image("imgOutput", QStringLiteral("Out"), QStringLiteral("Output"), QStringLiteral("Output display"));
    imgSetup_ =
        image("imgSetup", QStringLiteral("Fld"), QStringLiteral("Fields"), QStringLiteral("Fields display"));
    imgConfig_ = image("imgConfig", QStringLiteral("Rec"), QStringLiteral("Records"),
                       QStringLiteral("Records display"));
    imgConfig3_ =
        image("imgConfig3", QStringLiteral("Set"), QStringLiteral("Setup"), QStringLiteral("Setup display"));
    imgComms_ = image("imgComms", QStringLiteral("Com"), QStringLiteral("Show CommClass"),
                      QStringLiteral("Comms console"));
    connect(imgOutput_, &QToolButton::clicked, this, [this] { ApplyModeView(*modes_->Select(1)); });
    connect(imgSetup_, &QToolButton::clicked, this, [this] { ApplyModeView(*modes_->Select(2)); });
    connect(imgConfig_, &QToolButton::clicked, this, [this] { ApplyModeView(*modes_->Select(3)); });
    connect(imgConfig3_, &QToolButton::clicked, this, [this] { ApplyModeView(*modes_->Select(4)); });
    const char* labSpoken[] = {"Records processed", "Time of the last record", "Heartbeat"};
    const char* labNames[] = {"labRecordsProcessed(0)", "labRecordsProcessed(1)", "labRecordsProcessed(2)"};
    for (int i = 0; i < 3; ++i)
        labRecordsProcessed_[size_t(i)] =
            Named(new ValueLabel(QString::fromLatin1(labSpoken[i]), this), labNames[i]);
    Label1_ = Named(new QLabel(QStringLiteral("Buffer"), this), "Label1", QStringLiteral("Buffer"));
    lbBufferInPtr_ = Named(new ValueLabel(QStringLiteral("Records received"), this), "lbBufferInPtr");
    lbBufferOutPtr_ = Named(new ValueLabel(QStringLiteral("Records shown"), this), "lbBufferOutPtr");
    lbBufferInPtr_->setText(QStringLiteral("0"));
    lbBufferOutPtr_->setText(QStringLiteral("0"));
    // Packets the link discarded for a bad check: shown only once there are any.
    lblBadPackets_ = Named(new ValueLabel(QStringLiteral("Bad packets discarded"), this), "lblBadPackets");
    lblBadPackets_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    lblBadPackets_->hide();
    LayoutTitleArea();
}

void frmZVScreenClientMain::LayoutTitleArea() {
    // The widths and heights of a 96-dpi desktop's font, widened to what the texts take in the font
    // in use, so a larger font (a high-density screen's, or a site's own) does not clip them.
    const QFontMetrics fm(font());
    const auto wide = [&fm](int pixels, const char* sample) {
        return std::max(pixels, fm.horizontalAdvance(QString::fromLatin1(sample)) + 4);
    };
    const int buttonH = std::max(22, fm.height() + 6), labelH = std::max(18, fm.height() + 2);
    const int buttonW = std::max(30, fm.horizontalAdvance(QStringLiteral("Com")) + 10); // the widest caption
    int x = 2;
    for (QToolButton* b : {imgOutput_, imgSetup_, imgConfig_, imgConfig3_, imgComms_}) {
        b->setGeometry(x, 2, buttonW, buttonH);
        x += buttonW + 2;
    }
    const int labelY = 2 + (buttonH - labelH) / 2;
    // Each label after a gap, as wide as the widest text it shows.
    const struct {
        QLabel* label;
        int gap, width;
    } row[] = {
        {labRecordsProcessed_[0], 8, wide(70, "9999999")},
        {labRecordsProcessed_[1], 2, wide(145, "00:00:00 00/00/0000")},
        {labRecordsProcessed_[2], 5, wide(12, ".")},
        {Label1_, 8, wide(40, "Buffer")},
        {lbBufferInPtr_, 2, wide(28, "9999")},
        {lbBufferOutPtr_, 2, wide(28, "9999")},
        {lblBadPackets_, 6, wide(240, "Bad packets discarded: 99999")},
    };
    for (const auto& r : row) {
        x += r.gap;
        r.label->setGeometry(x, labelY, r.width, labelH);
        x += r.width;
    }
}

void frmZVScreenClientMain::BuildDisplayPanes() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    output_ = std::make_unique<OutputPane>(this);
    lblLinkAlarm_ = Named(new ValueLabel(QStringLiteral("Hub link"), this), "lblLinkAlarm");
    lblLinkAlarm_->setIndent(6);
    lblLinkAlarm_->setWordWrap(true); // the whole alarm is read, however narrow the window
    lblLinkAlarm_->hide();
    lstFullFields_ = Named(new QListWidget(this), "lstFullFields", QStringLiteral("Full fields"));
    lstFullFields_->setSelectionMode(QAbstractItemView::ExtendedSelection); // lines to copy
    lstFullFields_->setFont(fixed);
    cmdFOk_ = Named(new QPushButton(QStringLiteral("&Ok"), this), "cmdFOk",
                    QStringLiteral("Ok, close Full Fields"));
    connect(cmdFOk_, &QPushButton::clicked, this, [this] { ApplyModeView(*modes_->Select(3)); });

    frmFields_ = Named(new QGroupBox(QStringLiteral("ZEVA Fields"), this), "frmFields");
    MemberFlexGrid_ = Named(new QTableWidget(frmFields_), "MemberFlexGrid", QStringLiteral("Fields"));
    frmRecords_ =
        Named(new QGroupBox(QStringLiteral("RECORDS"), this), "frmRecords", QStringLiteral("Records window"));
    RecordFlexGrid_ = Named(new QTableWidget(frmRecords_), "RecordFlexGrid", QStringLiteral("Records"));
    RecordListBox_ = Named(new QListWidget(frmRecords_), "RecordListBox", QStringLiteral("Record list"));
    RecordListBox_->hide();
    connect(RecordListBox_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OnRecordListChosen(RecordListBox_->row(item)); });
    connect(RecordFlexGrid_, &QTableWidget::cellClicked, this,
            [this](int row, int) { OnRecordRowChosen(row); });
    // The Records grid's pop-up menu (admin mode): insert, remove and delete columns.
    RecordFlexGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RecordFlexGrid_, &QTableWidget::customContextMenuRequested, this,
            &frmZVScreenClientMain::ShowRecordsMenu);
    cmdFind_ = Named(new QToolButton(frmRecords_), "cmdFind", QStringLiteral("Find records"));
    cmdFind_->setText(QStringLiteral("Find"));
    cmdFind_->setToolTip(QStringLiteral("Find records (Ctrl+F)"));
    connect(cmdFind_, &QToolButton::clicked, this, [this] {
        findBar_->Open();
        PlaceFindBar();
    });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        if (!frmRecords_->isVisible()) return;
        findBar_->Open();
        PlaceFindBar();
    });
    auto* save = new QShortcut(QKeySequence::Save, frmRecords_);
    save->setContext(Qt::WidgetWithChildrenShortcut);
    connect(save, &QShortcut::activated, this, &frmZVScreenClientMain::SaveRecordsAsCsv);
}

void frmZVScreenClientMain::PlaceFindBar() {
    if (!findBar_) return;
    // The grid's full rectangle, with the strip the bar had taken given back.
    const QRect grid = RecordFlexGrid_->geometry().adjusted(0, 0, 0, findBarPx_);
    RecordFlexGrid_->setGeometry(grid);
    findBarPx_ = 0;
    const QSize button = cmdFind_->sizeHint();
    cmdFind_->setGeometry(frmRecords_->width() - button.width() - 4, 0, button.width(), button.height());
    cmdFind_->raise();
    if (!findBar_->IsOpen()) return;
    const int barHeight = findBar_->sizeHint().height();
    // The bar takes the grid's bottom strip; the grid gets it back when the bar closes.
    findBar_->setGeometry(grid.x(), grid.bottom() + 1 - barHeight, grid.width(), barHeight);
    findBarPx_ = std::min(barHeight, grid.height());
    RecordFlexGrid_->setGeometry(grid.adjusted(0, 0, 0, -findBarPx_));
    findBar_->raise();
}

void frmZVScreenClientMain::SaveRecordsAsCsv() {
    if (!recordGrid_) return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Records as CSV"),
                                                      QStringLiteral("records.csv"),
                                                      QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    std::string error;
    if (!SaveFileWhole(path.toStdString(), RecordsCsv(*recordGrid_), error))
        options_.messages->Show("The records were not saved.", MessageIcon::Exclamation, {}, error);
}

void frmZVScreenClientMain::AlertRecordArrived() {
    // The focus window is what the activation signal below reports; isActiveWindow can lag behind it.
    const bool active =
        (QGuiApplication::focusWindow() == windowHandle() || isActiveWindow()) && !isMinimized();
    recordAlert_.SetMode(shell().settings().RecordAlert);
    const RecordAlert::Request request = recordAlert_.RecordArrived(active);
    if (request.Flash) RequestAttention(this, request.Bell);
}

void frmZVScreenClientMain::OnRecordRowChosen(int row) {
    // Choosing a grid row selects its record in the list and then acts as choosing it there.
    if (!recordClass()) return;
    const std::int16_t id = recordClass()->RecordAtRow(row);
    if (id < 0) return;
    for (int i = 0; i < RecordListBox_->count(); ++i)
        if (ToInt16(FromQt(RecordListBox_->item(i)->text())) == id) {
            RecordListBox_->setCurrentRow(i);
            OnRecordListChosen(i);
            return;
        }
}

void frmZVScreenClientMain::ShowRecordsMenu(const QPoint& at) {
    if (!recordClass()) return;
    QMenu popup(this);
    popup.setAccessibleName(QStringLiteral("Records columns"));
    // Saving is for every operator; the column commands only in admin mode.
    QAction* saveCsv = popup.addAction(QStringLiteral("Save Records as CSV..."));
    saveCsv->setObjectName(QStringLiteral("mnuSaveRecordsCsv"));
    saveCsv->setShortcut(QKeySequence::Save);
    connect(saveCsv, &QAction::triggered, this, &frmZVScreenClientMain::SaveRecordsAsCsv);
    if (!shell().session().AdminMode || !RecordMenu::Opens(RecordFlexGrid_->rowCount())) {
        popup.exec(RecordFlexGrid_->viewport()->mapToGlobal(at));
        return;
    }
    popup.addSeparator();
    const int column = std::max(0, RecordFlexGrid_->columnAt(at.x()));
    const RecordMenu menu = RecordMenu::Build(*recordClass(), column);
    const std::tuple<const char*, RecordMenu::List, const std::vector<RecordMenu::Item>*> lists[] = {
        {"Insert (&Before)", RecordMenu::List::InsertBefore, &menu.InsertBefore},
        {"Insert (&After)", RecordMenu::List::InsertAfter, &menu.InsertAfter},
        {"Remove", RecordMenu::List::Remove, &menu.Remove},
        {"&Delete Field", RecordMenu::List::Delete, &menu.Delete}};
    for (const auto& [caption, list, items] : lists) {
        QMenu* sub = popup.addMenu(QString::fromLatin1(caption));
        sub->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char('&')));
        for (size_t i = 0; i < items->size(); ++i) {
            const RecordMenu::Item& item = (*items)[i];
            QAction* a = sub->addAction(ToQt(item.Caption));
            a->setEnabled(item.Enabled);
            a->setCheckable(item.Checked);
            a->setChecked(item.Checked);
            const RecordMenu::List chosenList = list;
            const auto index = static_cast<std::int16_t>(i);
            connect(a, &QAction::triggered, this, [this, chosenList, index, column] {
                RunRecordMenuCommand(*recordClass(), chosenList, index, column);
            });
        }
    }
    popup.exec(RecordFlexGrid_->viewport()->mapToGlobal(at));
}

void frmZVScreenClientMain::BuildSetupPane() {
    frmDFSetup_ = Named(new QGroupBox(QStringLiteral("Setup"), this), "frmDFSetup");
    // The Setup pane has a fixed window size; its pages scroll inside it.
    auto* setupScroll = new QScrollArea(frmDFSetup_);
    setupScroll->setAccessibleName(QStringLiteral("Setup pages"));
    setupScroll->setWidgetResizable(true);
    setupScroll->setFrameShape(QFrame::NoFrame);
    auto* setupPage = new QWidget(setupScroll);
    setupPage->setAccessibleName(QStringLiteral("Setup page"));
    setupScroll->setWidget(setupPage);
    (new QVBoxLayout(frmDFSetup_))->addWidget(setupScroll);
    auto* setupLayout = new QGridLayout(setupPage);
    dfPage_ = new DisplayFormatPage(frmDFSetup_, *options_.messages);
    setupLayout->addWidget(dfPage_, 0, 0, 1, 2);
    setupLayout->addWidget(BuildGlobalFormat(), 1, 0);
    setupLayout->addWidget(BuildClientSelection(), 1, 1);
    setupLayout->addWidget(BuildOutputTest(), 2, 0, 1, 2);
    setupLayout->addWidget(BuildFontSetup(), 3, 0, 1, 2);
    passwordGroup_ = new SetupPasswordGroup(frmDFSetup_);
    setupLayout->addWidget(passwordGroup_, 4, 0, 1, 2);
}

QGroupBox* frmZVScreenClientMain::BuildGlobalFormat() {
    frmDFGlobal_ = Named(new QGroupBox(QStringLiteral("Global Format"), frmDFSetup_), "frmDFGlobal");
    auto* global = new QGridLayout(frmDFGlobal_);
    const auto box = [&](const char* name, const char* caption, int row) {
        auto* label = new QLabel(QString::fromLatin1(caption), frmDFGlobal_);
        // "Maximum Records in Record Display" takes two lines so the page fits the Setup display.
        label->setWordWrap(std::strlen(caption) > 24);
        auto* edit = Named(new QLineEdit(frmDFGlobal_), name, QString::fromLatin1(caption));
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        label->setBuddy(edit);
        global->addWidget(label, row, 0);
        global->addWidget(edit, row, 1);
        return edit;
    };
    txtDFCharWidth_ = box("txtDFCharWidth", "Characters/Line", 0);
    txtDFLinesPerEntry_ = box("txtDFLinesPerEntry", "Maximum Lines per Entry", 1);
    txtDFIndent_ = box("txtDFIndent", "Indent", 2);
    txtDFPostLines_ = box("txtDFPostLines", "Post Lines", 3);
    txtMaxDFDisplayEntries_ = box("txtMaxDFDisplayEntries", "Max Display Entries", 4);
    txtFFJustify_ = box("txtFFJustify", "Justify Full Fields", 5);
    txtMaxRecords_ = box("txtMaxRecords", "Maximum Records in Record Display", 6);
    const auto check = [&](const char* name, const char* caption, int row) {
        auto* c = Named(new QCheckBox(QString::fromLatin1(caption), frmDFGlobal_), name);
        global->addWidget(c, row, 2);
        return c;
    };
    chkDFIndent_ = check("chkDFIndent", "Indent new lines", 0);
    chkDFFormatText_ = check("chkDFFormatText", "Format Text", 1);
    chkDFTruncIndicator_ = check("chkDFTruncIndicator", "Show Trunc Indicator", 2);
    chkDFFixedLines_ = check("chkDFFixedLines", "Fixed Number of Lines", 3);
    chkMultiWindowSize_ = check("chkMultiWindowSize", "Allow multisized Windows", 4);
    // Numeric boxes: digits only, at most their width; on leaving, converted, clamped and stored.
    const auto boxes = SetupBoxEdits();
    for (size_t i = 0; i < kSetupBoxes.size(); ++i) {
        QLineEdit* edit = boxes[i];
        const SetupBox which = kSetupBoxes[i];
        InstallNumericFilter(edit, SetupBoxRuleOf(which, ClientSettings{}).digits);
        connect(edit, &QLineEdit::editingFinished, this,
                [this, edit, which] { TakeNumericBox(edit, which); });
    }
    // The check boxes store their setting at once on every click.
    connect(chkDFIndent_, &QCheckBox::toggled, this, [this](bool on) {
        shell().settings().LineIndentEnabled = on;
        txtDFIndent_->setEnabled(on);
    });
    connect(chkDFFormatText_, &QCheckBox::toggled, this,
            [this](bool on) { shell().settings().TextFormat = on; });
    connect(chkDFTruncIndicator_, &QCheckBox::toggled, this,
            [this](bool on) { shell().settings().ShowTruncIndicator = on; });
    connect(chkDFFixedLines_, &QCheckBox::toggled, this,
            [this](bool on) { shell().settings().FixedLinesPerRecord = on; });
    connect(chkMultiWindowSize_, &QCheckBox::toggled, this, [this](bool on) {
        if (modes_) modes_->SetMultiSized(on);
    });
    return frmDFGlobal_;
}

std::array<QLineEdit*, kSetupBoxes.size()> frmZVScreenClientMain::SetupBoxEdits() const {
    return {txtDFCharWidth_,         txtDFLinesPerEntry_, txtDFIndent_,  txtDFPostLines_,
            txtMaxDFDisplayEntries_, txtFFJustify_,       txtMaxRecords_};
}

void frmZVScreenClientMain::TakeNumericBox(QLineEdit* edit, SetupBox which) {
    ClientSettings& s = shell().settings();
    edit->setText(QString::number(TakeSetupBox(which, FromQt(edit->text()), s)));
    if (which == SetupBox::Indent && s.LineIndentCharacters == 0)
        chkDFIndent_->setChecked(false); // an indent of 0 clears "Indent new lines"
    if (which == SetupBox::MaxRecords && recordClass()) recordClass()->SetDisplayRows(s.MaxEntriesInRecords);
}

QGroupBox* frmZVScreenClientMain::BuildClientSelection() {
    frmClients_ = Named(new QGroupBox(QStringLiteral("X25 Client Selection"), frmDFSetup_), "frmClients");
    auto* clients = new QVBoxLayout(frmClients_);
    lstClients_ = Named(new QListWidget(frmClients_), "lstClients", QStringLiteral("X25 clients"));
    lstClients_->setSelectionMode(QAbstractItemView::MultiSelection);
    clients->addWidget(lstClients_);
    cmdMonitorSelectAll_ =
        Named(new QPushButton(QStringLiteral("&Set All"), frmClients_), "cmdMonitorSelectAll");
    cmdMonitorClearAll_ =
        Named(new QPushButton(QStringLiteral("&Clear All"), frmClients_), "cmdMonitorClearAll");
    // Two buttons on this page read "Test": each is named for what it does.
    cmdMonitorTest_ = Named(new QPushButton(QStringLiteral("Test"), frmClients_), "cmdMonitorTest",
                            QStringLiteral("Send Test Flag to Monitor"));
    cmdMonitorTest_->setToolTip(QStringLiteral("Send Test Flag to Monitor"));
    for (QPushButton* b : {cmdMonitorSelectAll_, cmdMonitorClearAll_, cmdMonitorTest_})
        clients->addWidget(b);
    connect(cmdMonitorSelectAll_, &QPushButton::clicked, lstClients_, &QListWidget::selectAll);
    connect(cmdMonitorClearAll_, &QPushButton::clicked, lstClients_, &QListWidget::clearSelection);
    connect(cmdMonitorTest_, &QPushButton::clicked, this, [this] { SendFlag("TEST"); });
    lblVersion_ = Named(new ValueLabel(QStringLiteral("Version"), frmClients_), "lblVersion");
    clients->addWidget(lblVersion_);
    return frmClients_;
}

QGroupBox* frmZVScreenClientMain::BuildOutputTest() {
    frmOutputTest_ = Named(new QGroupBox(QStringLiteral("Output Test"), frmDFSetup_), "frmOutputTest");
    auto* test = new QGridLayout(frmOutputTest_);
    txtDFTest_ = Named(new QLineEdit(frmOutputTest_), "txtDFTest", QStringLiteral("Test record"));
    txtDFTest_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdDFTest_ = Named(new QPushButton(QStringLiteral("&Test"), frmOutputTest_), "cmdDFTest",
                       QStringLiteral("Output Test"));
    txtDFTestDefault_ =
        Named(new QPushButton(QStringLiteral("&Default"), frmOutputTest_), "txtDFTestDefault");
    chkODSingle_ = Named(new QCheckBox(QStringLiteral("Single Record"), frmOutputTest_), "chkODSingle");
    test->addWidget(txtDFTest_, 0, 0, 1, 3);
    test->addWidget(cmdDFTest_, 1, 0);
    test->addWidget(txtDFTestDefault_, 1, 1);
    test->addWidget(chkODSingle_, 1, 2);
    connect(cmdDFTest_, &QPushButton::clicked, this, &frmZVScreenClientMain::RunOutputTest);
    connect(txtDFTestDefault_, &QPushButton::clicked, this,
            [this] { txtDFTest_->setText(ToQt(OutputTest::DefaultText())); });
    connect(chkODSingle_, &QCheckBox::toggled, this, [this](bool on) { station_->SetSingleRecord(on); });
    return frmOutputTest_;
}

QGroupBox* frmZVScreenClientMain::BuildFontSetup() {
    frmFontSetup_ = Named(new QGroupBox(QStringLiteral("Font Setup"), frmDFSetup_), "frmFontSetup");
    auto* fontBox = new QGridLayout(frmFontSetup_);
    const char* targets[] = {"Output", "Fields", "Records", "Full fields"};
    for (int i = 0; i < 4; ++i) {
        optWindow_[size_t(i)] = new QRadioButton(QString::fromLatin1(targets[i]), frmFontSetup_);
        optWindow_[size_t(i)]->setObjectName(QStringLiteral("optWindow(%1)").arg(i));
        optWindow_[size_t(i)]->setAccessibleName(optWindow_[size_t(i)]->text());
        fontBox->addWidget(optWindow_[size_t(i)], 0, i);
        connect(optWindow_[size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) fonts_.SetTarget(i);
        });
    }
    const char* fontButtons[] = {"Font Type", "Foreground", "Background"};
    for (int i = 0; i < 3; ++i) {
        cmdSetupFont_[size_t(i)] = new QPushButton(QString::fromLatin1(fontButtons[i]), frmFontSetup_);
        cmdSetupFont_[size_t(i)]->setObjectName(QStringLiteral("cmdSetupFont(%1)").arg(i));
        cmdSetupFont_[size_t(i)]->setAccessibleName(cmdSetupFont_[size_t(i)]->text());
        fontBox->addWidget(cmdSetupFont_[size_t(i)], 1, i);
        connect(cmdSetupFont_[size_t(i)], &QPushButton::clicked, this, [this, i] { ChooseFont(i); });
    }
    return frmFontSetup_;
}

void frmZVScreenClientMain::BuildAdapters() {
    fullFieldsBox_ = std::make_unique<QtListBox>(lstFullFields_);
    clientsBox_ = std::make_unique<QtListBox>(lstClients_);
    recordListBox_ = std::make_unique<QtListBox>(RecordListBox_);
    memberGrid_ = std::make_unique<QtFlexGrid>(MemberFlexGrid_);
    recordGrid_ = std::make_unique<QtFlexGrid>(RecordFlexGrid_);
    findBar_ = new RecordFindBar(
        RecordFlexGrid_, *recordGrid_, output_->view(), output_->lines(),
        [this](int line) { return output_->BlockOf(line); }, frmRecords_);
    findBar_->onClosed = [this] { PlaceFindBar(); };
    // The operator came to the window: the attention request ends and the next record may ask again.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        if (!focused || focused != windowHandle() || !recordAlert_.Pending()) return;
        recordAlert_.Activated();
        ClearAttention(this);
    });
    fieldsWindow_ = new FieldsWindow(frmFields_, MemberFlexGrid_, *memberGrid_, *options_.messages,
                                     [this] { return station_ && shell().session().AdminMode; });
}

void frmZVScreenClientMain::BuildTimers() {
    Timer2_ = new QTimer(this);
    Timer2_->setObjectName(QStringLiteral("Timer2"));
    Timer2_->setInterval(1000);
    connect(Timer2_, &QTimer::timeout, this, &frmZVScreenClientMain::OnTimer2);
    timServerTimer_ = new QTimer(this);
    timServerTimer_->setObjectName(QStringLiteral("timServerTimer"));
    timServerTimer_->setInterval(1000);
    connect(timServerTimer_, &QTimer::timeout, this, &frmZVScreenClientMain::OnServerTimer);
    showTimer_ = new QTimer(this);
    showTimer_->setObjectName(QStringLiteral("timShowRecords"));
    showTimer_->setInterval(0);
    connect(showTimer_, &QTimer::timeout, this, &frmZVScreenClientMain::ShowWaitingRecords);
}

void frmZVScreenClientMain::BuildMenu() {
    mnuFile_ = Named(new QMenu(this), "mnuFile", QStringLiteral("Main menu"));
    QMenu* display = mnuFile_->addMenu(QStringLiteral("&Display"));
    display->setAccessibleName(QStringLiteral("Display"));
    const char* modes[] = {"None", "Output", "Fields", "Records", "&Setup", "&Full Fields"};
    for (int i = 0; i < 6; ++i) {
        QAction* a = display->addAction(QString::fromLatin1(modes[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] {
            if (auto view = modes_->Select(static_cast<std::int16_t>(i))) ApplyModeView(*view);
        });
        mnuDisplayMode_[size_t(i)] = a;
    }
    display->addSeparator();
    mnuClearOutput_ = display->addAction(QStringLiteral("&Clear Output"));
    connect(mnuClearOutput_, &QAction::triggered, this, [this] {
        if (formatter())
            formatter()->ClearOutput();
        else
            output_->lines().Clear();
    });
    mnuMaximize_ = display->addAction(QStringLiteral("&Maximize"));
    connect(mnuMaximize_, &QAction::triggered, this, [this] { ApplyModeView(modes_->Maximize()); });
    mnuFullFieldsAuto_ = display->addAction(QStringLiteral("&Auto Update FF"));
    mnuFullFieldsAuto_->setCheckable(true);
    connect(mnuFullFieldsAuto_, &QAction::triggered, this, [this] {
        mnuFullFieldsAuto_->setChecked(formatter() ? formatter()->ToggleAutoUpdateFF() : false);
    });
    mnuBeep_ = display->addAction(QStringLiteral("&Beep"));
    mnuBeep_->setCheckable(true);
    connect(mnuBeep_, &QAction::triggered, this,
            [this] { mnuBeep_->setChecked(formatter() ? formatter()->ToggleBeep() : false); });
    display->addSeparator();

    QMenu* comm = mnuFile_->addMenu(QStringLiteral("&Comms"));
    comm->setAccessibleName(QStringLiteral("Comms"));
    for (auto& item : mnuCommI_)
        item = comm->addAction(QString());
    comm->addSeparator();
    mnuCommsShow_ = comm->addAction(QStringLiteral("Show CommClass"));
    mnuCommsLock_ = comm->addAction(QStringLiteral("Lock Comms Setup"));
    mnuCommsAutoShow_ = comm->addAction(QStringLiteral("Auto Show CommClass"));
    mnuCommsAutoConnect_ = comm->addAction(QStringLiteral("Auto Connect"));
    for (QAction* a : {mnuCommsLock_, mnuCommsAutoShow_, mnuCommsAutoConnect_})
        a->setCheckable(true);
    comm->addSeparator();
    const char* commands[] = {"Connect", "Disconnect", "Setup"};
    for (int i = 0; i < 3; ++i)
        mnuComms_[size_t(i)] = comm->addAction(QString::fromLatin1(commands[i]));
    connect(mnuComms_[0], &QAction::triggered, this, [this] { shell().ConnectCommand(); });
    connect(mnuComms_[1], &QAction::triggered, this, [this] { shell().DisconnectCommand(); });
    connect(mnuComms_[2], &QAction::triggered, this, [this] {
        std::string ident = shell().session().Userid;
        RunHubSetup(ident);
        SetCommsInfoItem(0, "Local Ident = " + shell().session().Userid);
    });
    connect(mnuCommsShow_, &QAction::triggered, this,
            [this] { ShowCommsConsole(!(console_ && console_->ConsoleVisible())); });
    connect(imgComms_, &QToolButton::clicked, this,
            [this] { ShowCommsConsole(!(console_ && console_->ConsoleVisible())); });
    connect(mnuCommsAutoConnect_, &QAction::toggled, this,
            [this](bool on) { shell().settings().AutoConnect = on; });
    connect(mnuCommsAutoShow_, &QAction::toggled, this,
            [this](bool on) { shell().settings().AutoShowCommClass = on; });
    connect(mnuCommsLock_, &QAction::toggled, this,
            [this](bool on) { shell().settings().DisableCommSetup = on; });
    connect(comm, &QMenu::aboutToShow, this, &frmZVScreenClientMain::UpdateCommsMenu);
    mnuFile_->addSeparator();
    mnuExit_ = mnuFile_->addAction(QStringLiteral("E&xit"));
    connect(mnuExit_, &QAction::triggered, this, [this] { close(); });
}

void frmZVScreenClientMain::InsertOutputLine(const std::string& line) {
    station_->InsertOutputLine(line);
}

void frmZVScreenClientMain::HideDisplays() {
    for (QToolButton* b : {imgComms_, imgConfig3_, imgSetup_}) {
        b->setEnabled(false);
        b->hide();
    }
    frmDFSetup_->setEnabled(false);
    mnuFile_->setEnabled(false);
}

void frmZVScreenClientMain::PlacePanes() {
    const int top = TwipsToPixels(kOutputTop), left = TwipsToPixels(kOutputLeft);
    output_->view()->move(left, top);
    lstFullFields_->move(left, top);
    cmdFOk_->move(TwipsToPixels(200), TwipsToPixels(500));
    frmFields_->move(left, TwipsToPixels(kFramesTop));
    frmRecords_->move(left, TwipsToPixels(kFramesTop));
    frmDFSetup_->move(left, top);
    // The grids sit inside their frames, below the frame caption.
    MemberFlexGrid_->move(TwipsToPixels(120), TwipsToPixels(300));
    RecordFlexGrid_->move(TwipsToPixels(120), TwipsToPixels(300));
}

namespace {
PaneRect RectOf(const QWidget* w) {
    return {int(PixelsToTwips(w->x())), int(PixelsToTwips(w->y())), int(PixelsToTwips(w->width())),
            int(PixelsToTwips(w->height()))};
}
void Place(QWidget* w, const PaneRect& r) {
    w->setGeometry(TwipsToPixels(r.Left), TwipsToPixels(r.Top), std::max(1, TwipsToPixels(r.Width)),
                   std::max(1, TwipsToPixels(r.Height)));
}
} // namespace

void frmZVScreenClientMain::PlaceLinkAlarm() {
    // The alarm line sits on top of the Output window and the list moves down under it, so the
    // newest record stays in sight.
    QRect pane = output_->view()->geometry();
    pane.adjust(0, -alarmShiftPx_, 0, 0);
    alarmShiftPx_ = lblLinkAlarm_->isHidden() ? 0 : lblLinkAlarm_->heightForWidth(pane.width()) + 4;
    lblLinkAlarm_->setGeometry(pane.x(), pane.y(), pane.width(), alarmShiftPx_);
    output_->view()->setGeometry(pane.adjusted(0, alarmShiftPx_, 0, 0));
    lblLinkAlarm_->raise();
}

void frmZVScreenClientMain::UpdateLinkAlarm() {
    const ClientSettings& s = shell().settings();
    // A login alone is not a link: a hub that answers no data request leaves the alarm up.
    LinkAlarm::Link link = LinkAlarm::Link::Down;
    LinkAlarm::Detail detail;
    detail.hub = shell().HubAddress() + " port " + std::to_string(shell().HubPort());
    if (client()) {
        const CommEngine& engine = client()->Engine();
        if (engine.Answering())
            link = LinkAlarm::Link::Up;
        else if (engine.Connected() || engine.StalledSinceAnswer())
            link = LinkAlarm::Link::NotAnswering;
        if (!engine.Member().ServerAddress.empty()) detail.hub = engine.HubText();
        detail.failure = engine.LastFailureReport();
    }
    // Attempts that ran out leave the link wanted: records are still not arriving.
    const int gaveUp = shell().GaveUpAfter();
    if (gaveUp > 0) detail.gaveUp = MainShell::GaveUpText(gaveUp);
    if (!linkAlarm_.Update({clock_.Now(), clock_.SteadyMs()}, s.LinkAlarm,
                           shell().ConnectRequested() || gaveUp > 0, link, s.HubInterRetryWait, detail))
        return;
    const bool down = linkAlarm_.GetState() == LinkAlarm::State::Down;
    lblLinkAlarm_->setText(ToQt(linkAlarm_.Text()));
    lblLinkAlarm_->setStyleSheet(
        down ? QStringLiteral("background: #c00000; color: white; font-weight: bold")
             : QStringLiteral("background: #1a7f37; color: white; font-weight: bold"));
    lblLinkAlarm_->setVisible(linkAlarm_.GetState() != LinkAlarm::State::Quiet);
    labRecordsProcessed_[2]->setStyleSheet(down ? QStringLiteral("color: #c00000; font-weight: bold")
                                                : QString());
    PlaceLinkAlarm();
    if (!lblLinkAlarm_->isHidden()) {
        // Read out as it appears.
        QAccessibleEvent alert(lblLinkAlarm_, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void frmZVScreenClientMain::LayoutPanes() {
    if (!modes_ || isMinimized()) return;
    ResizeInput in;
    in.WindowWidth = int(PixelsToTwips(width()));
    in.WindowHeight = int(PixelsToTwips(height()));
    in.ClientWidth = in.WindowWidth;
    in.ClientHeight = in.WindowHeight;
    in.Maximised = isMaximized();
    in.Output = RectOf(output_->view());
    // The Output pane's own place includes the strip the link alarm takes from it.
    in.Output.Top -= int(PixelsToTwips(alarmShiftPx_));
    in.Output.Height += int(PixelsToTwips(alarmShiftPx_));
    in.FullFields = RectOf(lstFullFields_);
    in.Fields = RectOf(frmFields_);
    in.Records = RectOf(frmRecords_);
    in.MemberGrid = RectOf(MemberFlexGrid_);
    in.RecordGrid = RectOf(RecordFlexGrid_);
    const ResizeResult r = modes_->Resize(in);
    if (r.Layout) {
        Place(output_->view(), r.Output);
        PlaceLinkAlarm();
        Place(lstFullFields_, r.FullFields);
        Place(frmFields_, r.Fields);
        Place(frmRecords_, r.Records);
        Place(MemberFlexGrid_, r.MemberGrid);
        Place(RecordFlexGrid_, r.RecordGrid);
        findBarPx_ = 0;
        PlaceFindBar();
    }
    // The Setup pane fills the window below the title area at any size.
    Place(frmDFSetup_, {kPaneMargin, kOutputTop, int(PixelsToTwips(width())) - 2 * kPaneMargin,
                        int(PixelsToTwips(height())) - kOutputTop - kPaneMargin});
    if (r.WindowSize && !isMaximized()) {
        const QSize want(TwipsToPixels((*r.WindowSize)[0]), TwipsToPixels((*r.WindowSize)[1]));
        if (want != size()) resize(want);
    }
}

void frmZVScreenClientMain::WireStation() {
    // The hub connection with its socket and timer, and the console that shows it, are made when
    // start-up asks for them and go with UnloadHubConnection.
    station_->onCreateHubConnection = [this]() -> HubConnection* {
        hub_ = std::make_unique<QtHubConnection>();
        console_ = std::make_unique<CommDisplay>(hub_->connection(), hub_->clock());
        return &hub_->connection();
    };
    station_->onUnloadHubConnection = [this] {
        if (!hub_) return;
        console_->ShowConsole(false);
        console_->Detach();
        // The connection may still be on the stack of a notification: let Qt delete it afterwards.
        console_.release()->deleteLater();
        hub_.release()->deleteLater();
    };
    station_->onReadToEnd = [this](int msecs) {
        if (hub_) hub_->ReadToEnd(msecs);
    };
    station_->onHourglass = [this](bool busy) { SetHourglass(busy); };
    station_->onBadCheckCount = [this](std::int32_t n) {
        lblBadPackets_->setText(QStringLiteral("Bad packets discarded: %1").arg(n));
        lblBadPackets_->setVisible(n > 0);
    };
    // A refused or failed attempt is known within moments: the connection timer's step that looks
    // at it runs then (outside the link's own notification), so the retry countdown starts at once.
    station_->onLinkEnded = [this] {
        QTimer::singleShot(0, this, [this] {
            if (station_->client() && !station_->Busy()) shell().ConnectAttemptEnded();
        });
    };
    // After the close request the records are read as fast as they come; the slices that show
    // them keep the labels up.
    station_->onArrived = [this] {
        if (!station_->CloseRequested()) ShowProcessedStatus();
    };
    station_->onRecordsWaiting = [this] {
        if (!showTimer_->isActive()) showTimer_->start();
    };
    station_->onShowingStopped = [this] {
        if (intake()) ShowProcessedStatus();
        showTimer_->stop();
    };
    station_->onOutputBlock = [this](bool queued, std::size_t lines) { output_->StampBlock(queued, lines); };
    station_->onRecordCounted = [this](double now) { CountShownRecord(now); };
    station_->onHubRecordShown = [this](const std::string& text) {
        AlertRecordArrived();
        if (onRecordShown) onRecordShown(text);
    };
    station_->onClassesConnected = [this] {
        dfPage_->SetChooserItems(DisplayFormatEditor::ChooserItemsOf(*fieldClass()));
        fieldsWindow_->Attach(fieldClass(), recordClass());
    };
    station_->onBeep = [] { QApplication::beep(); };
}

void frmZVScreenClientMain::ShowWaitingRecords() {
    QElapsedTimer slice;
    slice.start();
    const bool more = station_->ShowWaiting([&] { return slice.elapsed() < kShowSliceMs; });
    if (intake()) ShowProcessedStatus();
    if (!more) showTimer_->stop();
}

void frmZVScreenClientMain::ShowProcessedStatus() {
    lbBufferInPtr_->setText(QString::number(intake()->BufferInPtr()));
    lbBufferOutPtr_->setText(QString::number(intake()->BufferOutPtr()));
    // The caption of the two counts is heard with them.
    const QString name =
        QStringLiteral("Buffer: %1 received, %2 shown").arg(lbBufferInPtr_->text(), lbBufferOutPtr_->text());
    if (name != Label1_->accessibleName()) Label1_->setAccessibleName(name);
}

void frmZVScreenClientMain::LoadClientSelection(const ClientSettings& settings) {
    clientsBox_->Clear();
    clientsBox_->AddItem("x01");
    clientsBox_->AddItem("x02");
    clientsBox_->SetSelected(0, settings.X25ClientEnabled[0]);
    clientsBox_->SetSelected(1, settings.X25ClientEnabled[1]);
}

void frmZVScreenClientMain::ApplyOutputSettings(const ClientSettings& s) {
    dfPage_->LoadList(s.DisplayFormatList);
    const auto number = [](QLineEdit* e, int v) { e->setText(QString::number(v)); };
    number(txtFFJustify_, s.FullFieldsJustify);
    number(txtMaxRecords_, s.MaxEntriesInRecords);
    number(txtDFLinesPerEntry_, s.LinesPerRecord);
    number(txtDFIndent_, s.LineIndentCharacters);
    number(txtMaxDFDisplayEntries_, s.MaxEntriesInOutput);
    number(txtDFCharWidth_, s.CharactersPerPage);
    number(txtDFPostLines_, s.NoOfPostLines);
    // The Output Test starts with the test record stored by the last admin run.
    txtDFTest_->setText(ToQt(s.X25TestData));
    chkDFIndent_->setChecked(s.LineIndentEnabled);
    txtDFIndent_->setEnabled(s.LineIndentEnabled);
    chkDFFixedLines_->setChecked(s.FixedLinesPerRecord);
    chkDFTruncIndicator_->setChecked(s.ShowTruncIndicator);
    chkDFFormatText_->setChecked(s.TextFormat);
    chkMultiWindowSize_->setChecked(s.MultiWindowState != 0);
    frmDFGlobal_->setEnabled(true);
    mnuCommsAutoConnect_->setChecked(s.AutoConnect);
    mnuCommsAutoShow_->setChecked(s.AutoShowCommClass);
    mnuCommsLock_->setChecked(s.DisableCommSetup);
    lblVersion_->setText(ToQt(VersionText(ZEVA_VERSION_MAJOR, ZEVA_VERSION_MINOR, ZEVA_VERSION_PATCH)));
    modes_->SetMultiSized(s.MultiWindowState != 0);
    for (int i = 0; i < 4; ++i)
        fonts_.SetFont(i, FontOf(FontTargetWidget(i)));
    ApplyFonts(fonts_.LoadStored(s));
}

void frmZVScreenClientMain::RunHubSetup(std::string& setupIdent) {
    ClientSettings& s = shell().settings();
    frmHubSetup::Run(this, setupIdent, s.RemoteAddress, s.RemotePort, FromQt(windowTitle()),
                     *options_.messages, &s.BackupAddress, &s.BackupPort);
    SetCommsInfoItem(0, "Local Ident = " + setupIdent);
    SetCommsInfoItem(1, "Hub Address = " + s.RemoteAddress);
    SetCommsInfoItem(2, "Hub Port = " + std::to_string(s.RemotePort));
    SetCommsInfoItem(3, "Local Port = " + station_->HubLocalPort());
}

bool frmZVScreenClientMain::SendFlag(const std::string& code, const std::string& text1,
                                     const std::string& text2) {
    return station_->SendFlag(code, text1, text2);
}

void frmZVScreenClientMain::SetCaption(const std::string& caption) {
    setWindowTitle(ToQt(caption));
}

void frmZVScreenClientMain::SetupDisplayFormatList() {
    ClientSettings& s = shell().settings();
    if (s.DisplayFormatList.empty()) {
        // A first start shows the calling number, the name and the service address on one line.
        s.DisplayFormatList = DefaultDisplayFormatList();
        dfPage_->LoadList(s.DisplayFormatList);
    }
    if (formatter()) formatter()->ParseDisplayFormatList(s.DisplayFormatList);
}

void frmZVScreenClientMain::RunOutputTest() {
    if (!station_->outputTest()) return;
    // The test shows the layout on screen, edits included; records from the hub keep the stored
    // layout until the Setup display is left.
    formatter()->ParseDisplayFormatList(dfPage_->Lines());
    std::string text = FromQt(txtDFTest_->text());
    station_->outputTest()->Run(text);
    formatter()->ParseDisplayFormatList(shell().settings().DisplayFormatList);
    txtDFTest_->setText(ToQt(text));
}

void frmZVScreenClientMain::ShowRecordText(const std::string& recordText) {
    station_->ShowRecordText(recordText);
}

QString frmZVScreenClientMain::CopyText(const QWidget* source) const {
    std::vector<int> rows;
    if (source == output_->view()) return output_->CopyText();
    if (source == lstFullFields_) {
        for (const QListWidgetItem* item : lstFullFields_->selectedItems())
            rows.push_back(lstFullFields_->row(item));
        if (rows.empty() && lstFullFields_->currentRow() >= 0) rows.push_back(lstFullFields_->currentRow());
        std::sort(rows.begin(), rows.end());
        QStringList lines;
        for (int r : rows)
            lines << lstFullFields_->item(r)->text();
        return lines.join(QLatin1Char('\n'));
    }
    if (source == RecordFlexGrid_) {
        for (const QModelIndex& index : RecordFlexGrid_->selectionModel()->selectedIndexes())
            rows.push_back(index.row());
        if (rows.empty()) rows.push_back(RecordFlexGrid_->currentRow());
        return ToQt(GridRowsText(*recordGrid_, rows));
    }
    return {};
}

bool frmZVScreenClientMain::CopySelection(const QWidget* source) {
    const QString text = CopyText(source);
    if (text.isEmpty()) return false;
    QGuiApplication::clipboard()->setText(text);
    return true;
}

void frmZVScreenClientMain::CountShownRecord(double now) {
    SetRecordsProcessedText(std::to_string(shell().RecordsProcessed()));
    labRecordsProcessed_[1]->setText(ToQt(FormatValue(now, "hh:mm:ss dd/mm/yyyy")));
}

void frmZVScreenClientMain::OnRecordListChosen(int row) {
    if (!recordClass() || !formatter() || row < 0) return;
    const auto id = ToInt16(FromQt(RecordListBox_->item(row)->text()));
    if (!id || !formatter()->AutoUpdateFF()) return;
    formatter()->ShowFullFields(*id);
    ApplyModeView(modes_->ShowChosenRecord());
}

void frmZVScreenClientMain::SetHourglass(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void frmZVScreenClientMain::RestoreFormPosition() {
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const FormPosition p =
        zeva::RestoreFormPosition(shell().settingsDb(), kMainWindowSection, PixelsToTwips(screen.width()),
                                  PixelsToTwips(screen.height()));
    move(TwipsToPixels(p.Left), TwipsToPixels(p.Top));
    if (p.Width <= 0 || p.Height <= 0) FirstStartSizes(screen);
}

void frmZVScreenClientMain::FirstStartSizes(const QRect& screen) {
    // No stored geometry (a new site): every display opens at a size its page fits in rather than
    // the 9375 by 1635 minimum: an Output line of CharactersPerPage characters without scrolling,
    // as high as the Setup display, within the screen.
    ClientSettings& s = shell().settings();
    const QFontMetrics fm(output_->view()->font());
    const int line = fm.horizontalAdvance(QString(std::max(int(s.CharactersPerPage), 1), QLatin1Char('0')));
    const int chrome = output_->view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       2 * output_->view()->frameWidth() + TwipsToPixels(2 * kPaneMargin + kOutputLeft) + 8;
    const int widthPx = std::min(line + chrome, screen.width());
    const int heightPx = std::min(TwipsToPixels(kSetupHeight), screen.height());
    for (std::size_t k : {0, 1, 2, 3, 5}) {
        s.XWindowWidth[k] = std::max<std::int32_t>(s.XWindowWidth[k], std::int32_t(PixelsToTwips(widthPx)));
        s.XWindowHeight[k] =
            std::max<std::int32_t>(s.XWindowHeight[k], std::int32_t(PixelsToTwips(heightPx)));
    }
}

void frmZVScreenClientMain::SetRecordsProcessedText(const std::string& text) {
    labRecordsProcessed_[0]->setText(ToQt(text));
}

void frmZVScreenClientMain::EnableTimers(bool enabled) {
    if (enabled) {
        timServerTimer_->start();
        Timer2_->start();
    } else {
        timServerTimer_->stop();
        Timer2_->stop();
    }
}

void frmZVScreenClientMain::ShowDisplayMode(int /*mode*/) {
    // Start-up shows the saved mode as if chosen, with the remembered mode reset first.
    if (auto view = modes_->StartUp()) ApplyModeView(*view);
    optWindow_[0]->setChecked(true);
    fonts_.SetTarget(FontSetup::kOutput);
}

void frmZVScreenClientMain::ApplyModeView(const ModeView& view) {
    if (view.LeftSetup) {
        // Leaving the Setup pane applies and stores what was edited there.
        TakeSetupPage();
        SaveOutputSettings(shell().settingsDb(), shell().settings());
    }
    currentMode_ = view.Mode;
    output_->view()->setVisible(view.ShowOutput);
    frmFields_->setVisible(view.ShowFields);
    frmRecords_->setVisible(view.ShowRecords);
    frmDFSetup_->setVisible(view.ShowSetup);
    lstFullFields_->setVisible(view.ShowFullFields);
    cmdFOk_->setVisible(view.ShowFullFieldsOk);
    if (view.ShowFullFieldsOk) cmdFOk_->raise();
    for (int i = 0; i < 6; ++i)
        mnuDisplayMode_[size_t(i)]->setChecked(view.Checked[size_t(i)]);
    mnuMaximize_->setEnabled(view.MaximizeEnabled);
    mnuClearOutput_->setEnabled(view.ClearOutputEnabled);
    // A stored size is cut to the screen: a window as large as a damaged settings value asks for
    // (2147483647 twips) needs a picture of many gigabytes, and the client would die making it.
    const QSize room = screen() ? screen()->availableGeometry().size() : QSize(4096, 4096);
    const QSize size(std::min(TwipsToPixels(view.Width), std::max(room.width(), minimumWidth())),
                     std::min(TwipsToPixels(view.Height), std::max(room.height(), minimumHeight())));
    if (view.Maximised) {
        // The normal size first: it is what the window has where nothing maximises it (a screen
        // without a window manager) and when it is restored.
        if (!isMaximized()) resize(size);
        showMaximized();
    } else {
        showNormal();
        resize(size);
    }
    LayoutPanes();
}

void frmZVScreenClientMain::ApplySetupLock(bool /*locked*/) {
    passwordGroup_->lock()->ApplyStoredState();
}

bool frmZVScreenClientMain::AutoConnectChecked() const {
    return mnuCommsAutoConnect_->isChecked();
}

void frmZVScreenClientMain::ShowCommsConsole(bool visible) {
    if (console_) console_->ShowConsole(visible);
}

void frmZVScreenClientMain::SetCommsInfoItem(int index, const std::string& text) {
    if (index >= 0 && index < 4) mnuCommI_[size_t(index)]->setText(ToQt(text));
}

void frmZVScreenClientMain::TakeSetupPage() {
    ClientSettings& s = shell().settings();
    // A number typed into a Global Format box counts though the box was never left.
    const auto boxes = SetupBoxEdits();
    for (size_t i = 0; i < kSetupBoxes.size(); ++i)
        if (boxes[i]->isModified()) TakeNumericBox(boxes[i], kSetupBoxes[i]);
    s.DisplayFormatList = dfPage_->Lines();
    if (formatter()) formatter()->ParseDisplayFormatList(s.DisplayFormatList);
    fonts_.Store(s);
}

void frmZVScreenClientMain::StoreWindowSettings() {
    // Closing while the Setup pane is shown keeps what it holds, as leaving the pane would.
    if (frmDFSetup_->isVisibleTo(this))
        TakeSetupPage();
    else
        fonts_.Store(shell().settings());
}

void frmZVScreenClientMain::SaveWindowPosition() {
    FormPosition p;
    p.Left = PixelsToTwips(x());
    p.Top = PixelsToTwips(y());
    p.Height = PixelsToTwips(height());
    p.Width = PixelsToTwips(width());
    SaveFormPosition(shell().settingsDb(), 3, kMainWindowSection, p, isMinimized());
}

void frmZVScreenClientMain::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    Timer2_->stop();
    timServerTimer_->stop();
    hide();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void frmZVScreenClientMain::UpdateCommsMenu() {
    const CommsMenuState st = CommsMenuEnabling(shell().settings().SetupLockState, mnuCommsLock_->isChecked(),
                                                station_->HubConnected());
    mnuComms_[0]->setEnabled(st.Connect);
    mnuComms_[2]->setEnabled(st.Setup);
    mnuComms_[1]->setEnabled(st.Disconnect);
    mnuComms_[1]->setText(ToQt(st.DisconnectCaption));
    mnuCommsAutoConnect_->setEnabled(st.AutoConnect);
    mnuCommsAutoShow_->setEnabled(st.AutoShow);
    mnuCommsShow_->setEnabled(st.ShowCommClass);
    mnuCommsLock_->setEnabled(st.LockCommsSetup);
}

void frmZVScreenClientMain::OnTimer2() {
    // A tick that comes while the hub connection waits inside a call is taken at the next one.
    if (station_->Busy()) return;
    shell().Timer2Tick();
    UpdateLinkAlarm();
}

void frmZVScreenClientMain::OnServerTimer() {
    // Heartbeat: the mark blinks with a two-second period.
    QLabel* mark = labRecordsProcessed_[2];
    mark->setText(mark->text().isEmpty() ? QStringLiteral(".") : QString());
    if (station_->ServerTimerTick()) ShowProcessedStatus();
}

void frmZVScreenClientMain::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    station_->NoteCloseRequest();
    if (shell().CloseRequested()) {
        shell().Unload();
        event->accept();
    } else {
        event->ignore(); // Timer2 disconnects and then unloads
    }
}

void frmZVScreenClientMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutPanes();
}

namespace {
// A box the operator types text into takes its digits; every other control leaves them to the
// display-mode keys.
bool TakesTypedText(const QWidget* w) {
    if (const auto* line = qobject_cast<const QLineEdit*>(w)) return !line->isReadOnly();
    if (const auto* text = qobject_cast<const QTextEdit*>(w)) return !text->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return !plain->isReadOnly();
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) return combo->isEditable();
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr;
}
} // namespace

bool frmZVScreenClientMain::HandleModeKey(const QKeyEvent& event) {
    const int key = event.key();
    if (key < Qt::Key_0 || key > Qt::Key_9 || !modes_) return false;
    if (event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) return false;
    const auto mode = modes_->ModeForKey(static_cast<char>('0' + (key - Qt::Key_0)));
    if (!mode) return false;
    if (auto view = modes_->Select(*mode)) ApplyModeView(*view);
    return true;
}

bool frmZVScreenClientMain::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+C (the platform's Copy) in the Output window, the Full fields list and the Records grid
    // copies what the operator pastes elsewhere; in operator mode too.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        (watched == output_->view() || watched == lstFullFields_ || watched == RecordFlexGrid_)) {
        CopySelection(static_cast<QWidget*>(watched));
        return true;
    }
    // The number keys switch displays wherever the focus is in this window (a list or grid would
    // otherwise swallow them), except in a box where digits are typed.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if ((w == this || isAncestorOf(w)) && !TakesTypedText(w) &&
            HandleModeKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmZVScreenClientMain::contextMenuEvent(QContextMenuEvent* event) {
    if (shell().session().AdminMode) mnuFile_->popup(event->globalPos());
}

QWidget* frmZVScreenClientMain::FontTargetWidget(int target) const {
    switch (target) {
    case FontSetup::kFields:
        return MemberFlexGrid_;
    case FontSetup::kRecords:
        return RecordFlexGrid_;
    case FontSetup::kFullFields:
        return lstFullFields_;
    default:
        return output_->view();
    }
}

void frmZVScreenClientMain::ApplyFonts(const std::vector<int>& targets) {
    for (int t : targets)
        ApplyFontTo(FontTargetWidget(t), fonts_.Font(t));
}

void frmZVScreenClientMain::ChooseFont(int button) {
    const FontStyle current = fonts_.TargetFont();
    if (button == 0) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, ToQFont(current), this, QStringLiteral("Font"));
        if (!ok) return; // cancelled: the target stays as it was
        FontStyle f = current;
        CopyFont(chosen, f);
        fonts_.ApplyFont(f);
    } else {
        const QColor chosen = QColorDialog::getColor(
            FromBgr(button == 1 ? current.ForeColor : current.BackColor), this, QStringLiteral("Colour"));
        if (!chosen.isValid()) return;
        if (button == 1)
            fonts_.ApplyForeColor(ToBgr(chosen));
        else
            fonts_.ApplyBackColor(ToBgr(chosen));
    }
    ApplyFonts({fonts_.Target()});
}

} // namespace zeva
