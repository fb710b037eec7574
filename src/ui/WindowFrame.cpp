#include "ui/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>

#if QX_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace qx::ui {

namespace {

// Bits of the Motif window manager hints, as every X11 window manager reads them.
constexpr std::uint32_t kHintFunctions = 1u << 0;
constexpr std::uint32_t kHintDecorations = 1u << 1;

constexpr std::uint32_t kFuncResize = 1u << 1;
constexpr std::uint32_t kFuncMove = 1u << 2;
constexpr std::uint32_t kFuncMinimise = 1u << 3;
constexpr std::uint32_t kFuncMaximise = 1u << 4;
constexpr std::uint32_t kFuncClose = 1u << 5;

constexpr std::uint32_t kDecorBorder = 1u << 1;
constexpr std::uint32_t kDecorResizeHandle = 1u << 2;
constexpr std::uint32_t kDecorTitle = 1u << 3;
constexpr std::uint32_t kDecorMenu = 1u << 4;
constexpr std::uint32_t kDecorMinimise = 1u << 5;
constexpr std::uint32_t kDecorMaximise = 1u << 6;

#if QX_HAVE_XCB
xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

void SetMotifHints(QWidget* window, const MotifHints& hints) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;  // not on X11: Qt's flags are enough
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t atom = InternAtom(connection, "_MOTIF_WM_HINTS");
    if (atom == XCB_ATOM_NONE) return;
    const std::uint32_t values[5] = {hints.flags, hints.functions, hints.decorations,
                                     static_cast<std::uint32_t>(hints.inputMode), hints.status};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        atom, atom, 32, 5, values);
    xcb_flush(connection);
}
#else
void SetMotifHints(QWidget*, const MotifHints&) {}
#endif

}  // namespace

MotifHints MotifHintsFor(const FrameRequest& r) {
    MotifHints h;
    h.flags = kHintFunctions | kHintDecorations;
    h.decorations = kDecorBorder | kDecorTitle;
    if (r.move) h.functions |= kFuncMove;
    if (r.resize) {
        h.functions |= kFuncResize;
        h.decorations |= kDecorResizeHandle;
    }
    if (r.minimise) {
        h.functions |= kFuncMinimise;
        h.decorations |= kDecorMinimise;
    }
    if (r.maximise) {
        h.functions |= kFuncMaximise;
        h.decorations |= kDecorMaximise;
    }
    if (r.close) h.functions |= kFuncClose;
    if (r.menu) h.decorations |= kDecorMenu;
    return h;
}

void AskTitleOnlyFrame(QWidget* window) {
    if (!window) return;
    window->winId();  // the property goes on the native window, made here if need be
    SetMotifHints(window, MotifHintsFor(FrameRequest{}));
}

}  // namespace qx::ui
