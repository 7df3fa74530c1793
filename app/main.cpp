// The entry point: one instance only, the player's name, the three window
// classes, the stage and the program's only message loop.
#include <string.h>

#include "app/dorvan3d.h"

HINSTANCE AppInstance;
LONG ScreenWidth;
LONG ScreenHeight;
HWND ScreenWnd;

static const char* const AppTitle = "Dorvane 3D";

static void ShowStartupError(const char* text) { MessageBoxA(NULL, text, AppTitle, MB_OK | MB_ICONERROR); }

int IsDbcsLeadAt(const char* text, int index) {
    if (index < 0) return 0;
    for (int i = 0; text[i] != 0; ++i) {
        unsigned char c = (unsigned char)text[i];
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            if (i == index) return 1;
            ++i;
            if (text[i] == 0) return 0;
        }
        if (i == index) return 0;
    }
    return 0;
}

BOOL ChangeToProgramDir(void) {
    char path[520];
    if (GetModuleFileNameA(NULL, path, sizeof path) == 0) return 0;
    int n = (int)strlen(path);
    int p;
    for (p = n - 1; p >= 1; --p)
        if (path[p] == '\\' && !IsDbcsLeadAt(path, p - 1)) break;
    if (p < 1) return 0;
    // A drive root keeps its separator, so that it stays a valid folder.
    if (p > 4) path[p] = 0;
    else path[p + 1] = 0;
    return SetCurrentDirectoryA(path);
}

// A second start brings the running one to the front instead.
static void ActivateFirstInstance(void) {
    HWND found = FindWindowA("DORVAN3D", NULL);
    if (found) {
        if (IsIconic(found)) ShowWindow(found, SW_RESTORE);
        SetForegroundWindow(GetLastActivePopup(found));
        InvalidateRect(found, NULL, FALSE);
        return;
    }
    MessageBoxA(NULL,
                "すでに起動しています。\n"
                "開始したはずなのになかなか始まらないという場合、Oggファイルの読込とエンコードに時間がかかっているのかもしれません。\n"
                "この場合、しばらく待つと開始されます。",
                AppTitle, MB_OK);
}

static int RegisterWindowClass(const char* name, WNDPROC proc, LPCSTR cursor) {
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE;
    wc.lpfnWndProc = proc;
    wc.hInstance = AppInstance;
    // The program's icon group has a name, not this number: the classes carry no icon,
    // and none of the windows has a caption to show one.
    wc.hIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(107));
    wc.hCursor = LoadCursorA(NULL, cursor);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HANDLE mutex = CreateMutexA(NULL, TRUE, "DORVAN3D");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ActivateFirstInstance();
        return 0;
    }
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PLAYERNAME), NULL, NameDlgProc, 0) == 0) return 0;
    ChangeToProgramDir();
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    Sleep(500);
    AppInstance = instance;

    if (!RegisterWindowClass("DORVAN3D", ScreenWndProc, IDC_NO)) {
        ShowStartupError("ウィンドウクラスの登録に失敗(1)。");
        return 1;
    }
    if (!RegisterWindowClass("DORVAN3DW", MessageWndProc, IDC_ARROW)) {
        ShowStartupError("ウィンドウクラスの登録に失敗(2)。");
        return 1;
    }
    if (!RegisterWindowClass("DORVAN3DE", EnemyWndProc, IDC_NO)) {
        ShowStartupError("ウィンドウクラスの登録に失敗(3)。");
        return 1;
    }
    ScreenWnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "DORVAN3D", AppTitle, WS_POPUP | WS_BORDER, 0, 0,
                                ScreenWidth, ScreenHeight, NULL, NULL, AppInstance, NULL);
    if (!ScreenWnd) {
        ShowStartupError("メインウィンドウの生成に失敗。");
        return 1;
    }
    ShowWindow(ScreenWnd, SW_SHOWMAXIMIZED);
    UpdateWindow(ScreenWnd);

    MSG msg;
    memset(&msg, 0, sizeof msg);
    for (;;) {
        BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0 || got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    StopMusic();
    PlaySoundA(NULL, NULL, 0);
    CloseHandle(mutex);
    return (int)msg.wParam;
}
