#include "platform/qt/QtAttention.h"

#include <QApplication>
#include <QWidget>

#ifdef ZEVA_HAVE_XCB
#include <QGuiApplication>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#endif

namespace zeva {

#ifdef ZEVA_HAVE_XCB
namespace {

constexpr std::uint32_t kUrgencyHint = 1U << 8;

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The urgency bit of WM_HINTS, the other hints (input, icon) kept as Qt set them.
void SetUrgency(xcb_connection_t* c, xcb_window_t window, bool urgent) {
    std::array<std::uint32_t, 9> hints{};
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, hints.size()), nullptr);
    if (reply && reply->format == 32) {
        const auto n = std::min<std::size_t>(
            hints.size(), static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4);
        std::memcpy(hints.data(), xcb_get_property_value(reply), n * 4);
    }
    std::free(reply);
    hints[0] = urgent ? (hints[0] | kUrgencyHint) : (hints[0] & ~kUrgencyHint);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        hints.size(), hints.data());
}

// The window manager's _NET_WM_STATE request for a mapped window: add (1) or remove (0) the
// demands-attention state, from an application (source 1).
void SetDemandsAttention(xcb_connection_t* c, xcb_window_t window, bool on) {
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t attention = Atom(c, "_NET_WM_STATE_DEMANDS_ATTENTION");
    if (state == XCB_ATOM_NONE || attention == XCB_ATOM_NONE) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = state;
    event.data.data32[0] = on ? 1 : 0;
    event.data.data32[1] = attention;
    event.data.data32[3] = 1;
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

void MarkX11(QWidget* window, bool on) {
    xcb_connection_t* c = X11Connection();
    if (!c || !window->windowHandle()) return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    SetUrgency(c, id, on);
    SetDemandsAttention(c, id, on);
    xcb_flush(c);
}

} // namespace
#endif

void RequestAttention(QWidget* window, bool bell) {
    if (!window) return;
    QApplication::alert(window, 0);
#ifdef ZEVA_HAVE_XCB
    MarkX11(window, true);
#endif
    if (bell) QApplication::beep();
}

void ClearAttention(QWidget* window) {
    if (!window) return;
#ifdef ZEVA_HAVE_XCB
    MarkX11(window, false);
#endif
}

} // namespace zeva
