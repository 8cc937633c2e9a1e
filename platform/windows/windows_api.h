#pragma once

// The Windows API, for the window and the file services. <windows.h>
// defines MessageBox as a macro (MessageBoxW), which would rename the
// window services' own window::MessageBox wherever both are seen; the API's
// function is called by its W name instead.

#include <windows.h>
#include <commctrl.h>

#undef MessageBox
