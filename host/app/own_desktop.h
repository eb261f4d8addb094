// The windows of quiltra shot and quiltra edit on a desktop of their own under wine.
//
// Wine keeps one desktop ("Default") per wineserver, and its desktop window belongs to the
// process that made it first, on the X display that process had. Programs of one build share
// a wineserver (the test suite keeps one running), so a program on another display (a person's,
// or the virtual one of another command) would find the desktop of a display that may be gone
// by now: its windows cannot be made. Each display gets a desktop of its own instead, whose
// window wine makes on that display.
#pragma once

#include <string>

namespace quiltra {

// The desktop for the windows of this program: "quiltra " and the X display, or what
// QUILTRA_DESKTOP names (the launcher gives each virtual display a name of its own); empty
// when the program does not run under wine (Windows itself has one desktop for its user).
std::wstring OwnDesktopName();

// Moves the calling thread, which must not have made a window yet, onto OwnDesktopName().
// Does nothing outside wine. Throws std::runtime_error when the desktop cannot be made.
void UseOwnDesktop();

}  // namespace quiltra
