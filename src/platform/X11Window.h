// Properties of X11 windows, set through the connection the toolkit holds.
#pragma once

#include <cstdint>

namespace qx::sys {

// Sets the property `name` of `window`, with a type of the same name, to `count`
// 32-bit values, and flushes the connection. `connection` is the toolkit's xcb
// connection. False when the property's atom cannot be had or X11 is not built in.
bool SetX11Property32(void* connection, std::uint32_t window, const char* name, const std::uint32_t* values,
                      int count);

}  // namespace qx::sys
