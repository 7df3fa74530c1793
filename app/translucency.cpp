// Translucent windows where the system has them (NT 5.0 and later), looked up
// at run time so that the program still starts everywhere else.
#include <string.h>

#include "app/dorvan3d.h"

typedef BOOL(WINAPI* SetLayeredWindowAttributesProc)(HWND, COLORREF, BYTE, DWORD);

static char SystemDirectory[520];

static void QueryVersion(OSVERSIONINFOA* info) {
    memset(info, 0, sizeof *info);
    info->dwOSVersionInfoSize = sizeof *info;
    GetVersionExA(info);
}

DWORD GetPlatformId(void) {
    OSVERSIONINFOA info;
    QueryVersion(&info);
    return info.dwPlatformId;
}

int IsWinNT(void) { return GetPlatformId() == VER_PLATFORM_WIN32_NT; }

HMODULE LoadSystemUser32(void) {
    if (SystemDirectory[0] == 0 && GetSystemDirectoryA(SystemDirectory, sizeof SystemDirectory) == 0) return NULL;
    char saved[520];
    if (GetCurrentDirectoryA(sizeof saved, saved) == 0) saved[0] = 0;
    // Loading from the system folder keeps a USER32.DLL beside the program from being picked up.
    SetCurrentDirectoryA(SystemDirectory);
    HMODULE module = LoadLibraryA("USER32.DLL");
    SetCurrentDirectoryA(saved);
    return module;
}

int SetWindowAlpha(HWND window, BYTE alpha) {
    OSVERSIONINFOA info;
    QueryVersion(&info);
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
    if (info.dwMajorVersion * 100 + info.dwMinorVersion < 500) return 0;
    HMODULE user32 = LoadSystemUser32();
    if (!user32) return 0;
    SetLayeredWindowAttributesProc setAttributes =
        (SetLayeredWindowAttributesProc)GetProcAddress(user32, "SetLayeredWindowAttributes");
    if (!setAttributes) {
        FreeLibrary(user32);
        return 0;
    }
    if (alpha != 255) SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    setAttributes(window, 0, alpha, LWA_ALPHA);
    if (alpha == 255) SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    FreeLibrary(user32);
    return 1;
}
