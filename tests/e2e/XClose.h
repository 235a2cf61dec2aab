#pragma once
// Asks a window to close the way a window manager's close box does (WM_DELETE_WINDOW).
// False when the display cannot be opened.
bool RequestClose(unsigned long window);
