#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace zeva {

// The time between two frames of the screen a widget is on (16 ms when the screen gives no rate).
int ScreenFrameMs(const QWidget* widget);

// Holds a window's repaints to the screen's rate. Qt repaints a window at every turn of the event
// loop that follows a change; a window that takes a record per turn (a slow stream, one request and
// answer per record) would repaint its labels and lists thousands of times a second. The pacer lets
// a window's repaint through at most once per frame: one that comes sooner waits for the frame's
// end and then paints everything changed meanwhile, so the last change is on screen within a frame.
// What a widget holds (its text, its rows) changes at once as before; only the painting waits.
//
// The pacer is the window's one frame clock: a widget that hands its changes to Qt once per frame
// (a list that gathers new lines) asks for a repaint and hands them over when the pacer says
// Painting, just before the repaint goes through, so they are painted in that very repaint.
//
// A child of the window it paces; the window's own paint requests pass through it.
class RepaintPacer final : public QObject {
    Q_OBJECT
  public:
    explicit RepaintPacer(QWidget* window);
    // The pacer of the window a widget is in; null when that window is not paced.
    static RepaintPacer* Of(const QWidget* widget);
    // The time between two repaints, from the screen's refresh rate.
    int FrameMs() const { return frameMs_; }
    // Repaints held back so far (each for the rest of its frame).
    quint64 Held() const { return held_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    // A repaint of the window goes through now: what is handed over in answer is painted in it.
    void Painting();

  private:
    void Release();

    QWidget* window_;
    int frameMs_ = 16;
    QTimer frame_;
    QElapsedTimer sincePaint_;
    bool releasing_ = false;
    quint64 held_ = 0;
};

} // namespace zeva
