// Placeholder until modal dialogs from templates exist: the dialog cannot be
// shown, which callers see as the documented failure result.
#include "platform/internal.h"

extern "C" INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return -1; }
extern "C" BOOL WINAPI EndDialog(HWND, INT_PTR) { return FALSE; }
