// The windows of quiltra shot and quiltra edit on a desktop of their own under wine.
//
// Wine keeps one desktop ("Default") per wineserver, and its desktop window belongs to the
// process that made it first, on the X display that process had. Programs of one build share
// a wineserver (the test suite keeps one running), so a program on another display (a person's,
// or the virtual one of another command) would find the desktop of a display that may be gone
// by now: its windows cannot be made. Each display gets a desktop of its own instead, whose
// window wine makes on that display. A server started with no display at all gives its default
// desktop none, and then no program of it could make a window there.
#pragma once

#include <string>

namespace quiltra {

// The desktop for the windows of this program: "quiltra " and the X display, or what
// QUILTRA_DESKTOP names (the launcher gives each virtual display a name of its own); empty
// when the program does not run under wine (Windows itself has one desktop for its user).
std::wstring OwnDesktopName();

// Runs this program again, with the same command line, on OwnDesktopName(), unless it already
// runs there or not under wine (then false). A process keeps the display of the desktop it
// started on (wine chooses it once), so the copy starts there rather than this one moving.
// True with the copy's exit status once it has ended. Throws std::runtime_error when the
// desktop or the copy cannot be made.
bool RunOnOwnDesktop(int& status);

} // namespace quiltra
