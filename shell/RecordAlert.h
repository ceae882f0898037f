#pragma once

namespace zeva {

// Whether an arriving record asks the desktop for attention ("Setup\WINDOW\RecordAlert": 0 none,
// 1 flash the taskbar entry and set the urgency hint, 2 flash and sound the bell). A record that
// arrives while the station's window is not the active one asks once; further records ask nothing
// until the window has been activated, so a flood flashes and rings once. Values outside 0..2 are
// taken as 1, the default. The window asks and reports activation; this class only decides.
class RecordAlert {
  public:
    static constexpr int kNone = 0;
    static constexpr int kFlash = 1;
    static constexpr int kFlashAndBell = 2;

    explicit RecordAlert(int mode = kFlash);

    struct Request {
        bool Flash = false;
        bool Bell = false;
    };

    int Mode() const { return mode_; }
    void SetMode(int mode);
    // A record arrived; windowActive says whether the station's window is the active one.
    Request RecordArrived(bool windowActive);
    // The operator activated the window: the next record seen from behind may ask again.
    void Activated() { asked_ = false; }
    bool Pending() const { return asked_; }

  private:
    int mode_ = kFlash;
    bool asked_ = false;
};

} // namespace zeva
