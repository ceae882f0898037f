#include "platform/qt/RepaintPacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace zeva {

int ScreenFrameMs(const QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const double rate = screen ? screen->refreshRate() : 60.0;
    return rate >= 1.0 ? std::max(1, static_cast<int>(1000.0 / rate)) : 16;
}

RepaintPacer::RepaintPacer(QWidget* window)
    : QObject(window), window_(window), frameMs_(ScreenFrameMs(window)) {
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    connect(&frame_, &QTimer::timeout, this, &RepaintPacer::Release);
    window->installEventFilter(this);
}

RepaintPacer* RepaintPacer::Of(const QWidget* widget) {
    const QWidget* window = widget ? widget->window() : nullptr;
    return window ? window->findChild<RepaintPacer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool RepaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest || releasing_) return false;
    if (frame_.isActive()) return true; // the frame's end paints it
    if (!sincePaint_.isValid() || sincePaint_.elapsed() >= frameMs_) {
        sincePaint_.restart();
        emit Painting();
        return false;
    }
    // Too soon after the last repaint. Qt asks for no other repaint of the window until one is
    // done, so every change until the frame's end is painted then, in one go.
    ++held_;
    frame_.start(static_cast<int>(std::max<qint64>(1, frameMs_ - sincePaint_.elapsed())));
    return true;
}

void RepaintPacer::Release() {
    sincePaint_.restart();
    releasing_ = true;
    emit Painting();
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    releasing_ = false;
}

} // namespace zeva
