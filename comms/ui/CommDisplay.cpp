#include "comms/ui/CommDisplay.h"

#include "comms/HubConnection.h"
#include "comms/console/ClientLogView.h"
#include "comms/console/ConsoleLayout.h"
#include "comms/console/MemberGridView.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ValueLabel.h"

#include <QFont>
#include <QListView>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>

#include <algorithm>
#include <utility>

namespace zeva {

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

CommDisplay::CommDisplay(HubConnection& connection, const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), connection_(connection) {
    setWindowTitle(QString::fromLatin1(kCaption));
    setObjectName(QStringLiteral("CommDisplay"));
    setAccessibleName(QString::fromLatin1(kCaption));
    BuildWidgets();

    log_ = std::make_unique<ClientLogView>(*logBox_, clock);
    gridView_ = std::make_unique<MemberGridView>(*gridBox_, connection_.Engine().Member().Mode);
    connection_.onClientLog = [this](const std::string& line) { log_->InsertClientLog(line); };
    connection_.onMemberChanged = [this](CommEngine::MemberField f) {
        gridView_->Refresh(f, connection_.Engine().Member());
    };
    connection_.onErrorLabel = [this](const std::string& text) { SetErrorCaption(text); };

    // Laid out by the first resize event, when the window is first shown.
    resize(TwipsToPixels(ConsoleLayout::kMinWidth), TwipsToPixels(ConsoleLayout::kMinHeight));
    hide();
}

CommDisplay::~CommDisplay() {
    Detach();
}

void CommDisplay::Detach() {
    if (std::exchange(detached_, true)) return;
    connection_.onClientLog = nullptr;
    connection_.onMemberChanged = nullptr;
    connection_.onErrorLabel = nullptr;
}

void CommDisplay::BuildWidgets() {
    const QFont sans = NamedFont("MS Sans Serif", QFont::SansSerif);

    // Heard with what it shows: "Hub link: Connected to 10.1.1.1,6000".
    lblError_ = new ValueLabel(QStringLiteral("Hub link"), this);
    lblError_->setObjectName(QStringLiteral("lblError"));
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
