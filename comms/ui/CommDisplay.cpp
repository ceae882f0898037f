#include "comms/ui/CommDisplay.h"

#include "comms/ui/ClientLogView.h"
#include "comms/ui/ConsoleLayout.h"
#include "comms/ui/MemberGridView.h"
#include "platform/qt/QtText.h"

#include <QElapsedTimer>
#include <QFont>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace zeva {

// Counts how deep the engine is on the stack, so the owner can tell when deleting us is safe.
struct CommDisplay::Depth {
    explicit Depth(int& d) : d_(d) { ++d_; }
    ~Depth() { --d_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
    int& d_;
};

namespace {

QRect Pixels(const ConsoleLayout::Rect& r) {
    return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height)};
}

QFont NamedFont(const char* family, QFont::StyleHint hint) {
    QFont f(QString::fromLatin1(family));
    f.setStyleHint(hint);
    return f;
}

} // namespace

CommDisplay::CommDisplay(QWidget* parent, int tickMs)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QString::fromLatin1(kCaption));
    setObjectName(QStringLiteral("CommDisplay"));
    setAccessibleName(QString::fromLatin1(kCaption));
    BuildWidgets();

    engine_ = std::make_unique<CommEngine>(socket_, clock_, pump_);
    log_ = std::make_unique<ClientLogView>(*logBox_, clock_);
    gridView_ = std::make_unique<MemberGridView>(*gridBox_, engine_->Member().Mode);
    engine_->onClientLog = [this](const std::string& line) { log_->InsertClientLog(line); };
    engine_->onMemberChanged = [this](CommEngine::MemberField f) {
        gridView_->Refresh(f, engine_->Member());
        if (f == CommEngine::MemberField::BadChecks && onBadCheckCount)
            onBadCheckCount(engine_->BadCheckPackets());
    };
    engine_->onErrorLabel = [this](const std::string& text) { SetErrorCaption(text); };
    engine_->onReceivedData = [this](const CommType& p) {
        if (onReceivedData) onReceivedData(p);
    };
    engine_->onOverflow = [this] {
        if (onOverflow) onOverflow();
    };
    engine_->onDisconnection = [this] {
        if (onDisconnection) onDisconnection();
    };
    engine_->onLinkReport = [this](const std::string& text) {
        if (onLinkReport) onLinkReport(text);
    };
    GuardSocketNotifications();

    // Laid out by the first resize event, when the window is first shown.
    resize(TwipsToPixels(ConsoleLayout::kMinWidth), TwipsToPixels(ConsoleLayout::kMinHeight));

    engineTimer_ = new QTimer(this);
    engineTimer_->setInterval(tickMs);
    connect(engineTimer_, &QTimer::timeout, this, [this] { Tick(); });
    engineTimer_->start();
    hide();
}

CommDisplay::~CommDisplay() {
    engineTimer_->stop();
    // No notification may reach a half-destroyed window or owner.
    onReceivedData = nullptr;
    onOverflow = nullptr;
    onDisconnection = nullptr;
    onBadCheckCount = nullptr;
    onLinkReport = nullptr;
    engine_->onLinkReport = nullptr;
    engine_->onClientLog = nullptr;
    engine_->onMemberChanged = nullptr;
    engine_->onErrorLabel = nullptr;
    engine_.reset();
}

void CommDisplay::BuildWidgets() {
    const QFont sans = NamedFont("MS Sans Serif", QFont::SansSerif);

    lblError_ = new QLabel(this);
    lblError_->setObjectName(QStringLiteral("lblError"));
    lblError_->setAccessibleName(QStringLiteral("Error"));
    lblError_->setAccessibleDescription(QStringLiteral("Hub link status"));
    lblError_->setFont(sans);
    lblError_->setGeometry(Pixels(ConsoleLayout::kErrorLabel));

    cmdHide_ = new QPushButton(QStringLiteral("Hide"), this);
    cmdHide_->setObjectName(QStringLiteral("cmdHide"));
    cmdHide_->setAccessibleName(QStringLiteral("Hide"));
    cmdHide_->setAccessibleDescription(QStringLiteral("Hides the comms console; the hub link keeps running"));
    cmdHide_->setFont(sans);
    cmdHide_->setGeometry(Pixels(ConsoleLayout::kHideButton));
    connect(cmdHide_, &QPushButton::clicked, this, [this] { hide(); });

    lstClientLog_ = new QListView(this);
    lstClientLog_->setObjectName(QStringLiteral("lstClientLog"));
    lstClientLog_->setAccessibleName(QStringLiteral("Comms log"));
    lstClientLog_->setAccessibleDescription(QStringLiteral("Comms log, newest line on top"));
    logBox_ = new QtLineListBox(lstClientLog_);

    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid_->setAccessibleName(QStringLiteral("Member values"));
    grid_->setAccessibleDescription(QStringLiteral("Hub link member fields"));
    grid_->setFont(NamedFont("Courier New", QFont::TypeWriter));
    gridBox_ = std::make_unique<QtFlexGrid>(grid_);
}

void CommDisplay::GuardSocketNotifications() {
    // The engine put its handlers on the socket; wrap them so Busy() covers them too.
    auto wrap = [this](std::function<void()>& handler) {
        handler = [this, inner = handler] {
            Depth d(depth_);
            if (inner) inner();
        };
    };
    wrap(socket_.onConnected);
    wrap(socket_.onClosed);
    wrap(socket_.onDataArrival);
    auto inner = socket_.onError;
    socket_.onError = [this, inner](const SocketError& err) {
        Depth d(depth_);
        if (inner) inner(err);
    };
}

bool CommDisplay::Connect(CommMemberType& target) {
    Depth d(depth_);
    return engine_->Connect(target);
}

bool CommDisplay::Receive(CommType& packet) {
    Depth d(depth_);
    return engine_->Receive(packet);
}

void CommDisplay::GetNextPktBuffer() {
    Depth d(depth_);
    engine_->GetNextPktBuffer();
}

void CommDisplay::PauseReceive(bool paused) {
    Depth d(depth_);
    engine_->PauseReceive(paused);
}

bool CommDisplay::ReadToEnd(int msecs) {
    Depth d(depth_);
    // The console goes with the window: its lines and rows are not kept up while the last records
    // are read, which would cost more than reading them.
    auto lines = std::exchange(engine_->onClientLog, nullptr);
    auto rows = std::exchange(engine_->onMemberChanged, nullptr);
    QElapsedTimer elapsed;
    elapsed.start();
    while (socket_.GetState() == TcpSocket::State::Connected) {
        const qint64 left = msecs - elapsed.elapsed();
        if (left <= 0 || !socket_.WaitForData(static_cast<int>(left))) break;
    }
    // What Qt read with the close is taken too.
    if (socket_.onDataArrival) socket_.onDataArrival();
    engine_->onClientLog = std::move(lines);
    engine_->onMemberChanged = std::move(rows);
    return socket_.GetState() != TcpSocket::State::Connected;
}

void CommDisplay::InsertClientLog(const std::string& text) {
    engine_->InsertClientLog(text);
}

void CommDisplay::Tick() {
    Depth d(depth_);
    engine_->Tick();
}

bool CommDisplay::Connecting() const {
    switch (SystemState()) {
    case 1:
    case 2:
    case 3:
    case 11:
    case 4:
    case 5:
        return true;
    default:
        return false;
    }
}

bool CommDisplay::Disconnecting() const {
    switch (SystemState()) {
    case 8:
    case 9:
    case 10:
        return true;
    default:
        return false;
    }
}

void CommDisplay::ShowConsole(bool visible) {
    if (visible) {
        show();
        raise();
    } else {
        hide();
    }
}

void CommDisplay::SetErrorCaption(const std::string& text) {
    const QString caption = ToQt(text);
    if (lblError_->text() != caption) lblError_->setText(caption);
}

void CommDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized()) return;
    int w = static_cast<int>(PixelsToTwips(width()));
    int h = static_cast<int>(PixelsToTwips(height()));
    ConsoleLayout::EnforceMinimum(w, h);
    if (TwipsToPixels(w) > width() || TwipsToPixels(h) > height()) {
        // The new resize event lays the controls out.
        resize(std::max(width(), TwipsToPixels(w)), std::max(height(), TwipsToPixels(h)));
        return;
    }
    ApplyLayout();
}

void CommDisplay::ApplyLayout() {
    const auto l = ConsoleLayout::Compute(static_cast<int>(PixelsToTwips(width())),
                                          static_cast<int>(PixelsToTwips(height())), gridBox_->ColWidth(0));
    lstClientLog_->setGeometry(Pixels(l.list));
    grid_->setGeometry(Pixels(l.grid));
    gridBox_->SetColWidth(1, l.gridCol1Width);
}

} // namespace zeva
