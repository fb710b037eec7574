// What a window asks of the window manager's frame, beyond what Qt's flags say.
//
// Qt's X11 back end names only the functions a window allows, and some window
// managers (openbox among them) draw minimise and maximise buttons unless the
// decorations are named too. `AskTitleOnlyFrame` sets both before the window is
// first mapped; on other platforms Qt's flags already do the job.
#pragma once

#include <cstdint>

class QWidget;

namespace qx::ui {

// The buttons and abilities a frame may offer.
struct FrameRequest {
    bool move = true;
    bool resize = false;
    bool minimise = false;
    bool maximise = false;
    bool close = false;
    bool menu = false;
};

// The five 32-bit values of the _MOTIF_WM_HINTS property.
struct MotifHints {
    std::uint32_t flags = 0;
    std::uint32_t functions = 0;
    std::uint32_t decorations = 0;
    std::int32_t inputMode = 0;
    std::uint32_t status = 0;
};

MotifHints MotifHintsFor(const FrameRequest& request);

// Asks for a frame with a title and border and nothing else: no buttons, no
// resizing, no window menu. Creates the native window if it has none yet.
void AskTitleOnlyFrame(QWidget* window);

}  // namespace qx::ui
