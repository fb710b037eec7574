#include "platform/X11Window.h"

#if QX_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace qx::sys {

#if QX_HAVE_XCB
namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

bool SetX11Property32(void* connection, std::uint32_t window, const char* name, const std::uint32_t* values,
                      int count) {
    auto* c = static_cast<xcb_connection_t*>(connection);
    const xcb_atom_t atom = InternAtom(c, name);
    if (atom == XCB_ATOM_NONE) return false;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window), atom, atom, 32,
                        static_cast<std::uint32_t>(count), values);
    xcb_flush(c);
    return true;
}
#else
bool SetX11Property32(void*, std::uint32_t, const char*, const std::uint32_t*, int) { return false; }
#endif

}  // namespace qx::sys
