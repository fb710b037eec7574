#include "ui/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>

#include "platform/X11Window.h"

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

// Qt built for X11 hands out its xcb connection; the platform layer sets the
// property through it.
#if QT_CONFIG(xcb)
void SetMotifHints(QWidget* window, const MotifHints& hints) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;  // not on X11: Qt's flags are enough
    const std::uint32_t values[5] = {hints.flags, hints.functions, hints.decorations,
                                     static_cast<std::uint32_t>(hints.inputMode), hints.status};
    sys::SetX11Property32(x11->connection(), static_cast<std::uint32_t>(window->winId()), "_MOTIF_WM_HINTS",
                          values, 5);
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
