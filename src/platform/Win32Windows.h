// Windows of other programs on the Windows window system: found by class and
// title, and driven by messages that give up on a receiver that does not answer
// within three seconds.
// Built on Windows only.
#pragma once

#include <string>
#include <vector>

namespace qx::sys {

// A window of the window system; null for none.
using WindowHandle = void*;

// The classes of the top-level windows, in the system's order.
std::vector<std::string> TopLevelWindowClasses();
// The top-level window of this class (and title, unless null).
WindowHandle FindTopLevelWindow(const char* windowClass, const char* title);
std::string WindowClassOf(WindowHandle window);
WindowHandle FirstChildWindow(WindowHandle window);
// The first window below `parent`, at any depth, of this class.
WindowHandle FindChildWindow(WindowHandle parent, const std::string& windowClass);
// Puts the window above the others, where it is and at its size.
void BringToTop(WindowHandle window);

// Sends the program's own message WM_USER + offset; false when it did not answer.
bool SendUserMessage(WindowHandle window, unsigned offset);
// Sets an edit field's text and puts the caret after it.
bool SetEditText(WindowHandle edit, const std::string& text);

// A list view, whose items may live in another process: -1 or "" when it does
// not answer.
int ListViewItemCount(WindowHandle list);
std::string ListViewItemText(WindowHandle list, int index);
// Selects the item and scrolls it into view.
void SelectListViewItem(WindowHandle list, int index);

}  // namespace qx::sys
