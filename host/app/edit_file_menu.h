// The edit window's File menu beyond Save and Save As: New (a new texture), Open... (another
// scene in the same window) and Export PNG... (the sample slot's texture rendered at a size the
// person types, as `quiltra render` renders it). The EditSession's side is in
// edit_file_menu.cpp too.
#pragma once

#include <string>

#include <windows.h>

namespace quiltra {

// Adds New (Ctrl+N) and Open... (Ctrl+O) at the top of the File menu, Export PNG... before
// its Close.
void AddFileMenuCommands(HMENU file);

// "WIDTHxHEIGHT" (as render's --size) to a size of 1 to 16384 per side and at most
// kMaxPicturePixels in all; false, with the reason, for anything else.
bool ParseExportSize(const std::wstring& text, int& width, int& height, std::wstring& why);

// Asks the size in a small dialog that starts with `width` x `height` and refuses, with the
// reason, what ParseExportSize refuses. False when cancelled.
bool AskExportSize(HWND owner, int& width, int& height);

} // namespace quiltra
