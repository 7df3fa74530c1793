// The stage: the frozen desktop, its intro, the flashes and blackouts the
// battle asks for, and the defeat screen with its close button and quit chain.
#include "app/dorvan3d.h"

#define ID_TIMER_FLASHYELLOW 2355
#define ID_TIMER_FLASHRED 2356
#define ID_TIMER_BLACKOUT 2357
#define ID_TIMER_BLINKENEMY 2358
#define ID_TIMER_CLOSEBUTTON 2359
#define ID_CLOSEBUTTON 128

HWND MessageWnd;
HWND EnemyWnd;
int EnemyType;
LONG PlayerHp;
LONG EnemyHp;

static HBITMAP DesktopSnapshot;
static HBRUSH RedBrush;
static HBRUSH YellowBrush;
static DWORD Defeated;
static LONG IntroCount = 11;
static LONG FlashYellowCount;
static LONG FlashRedCount;
static LONG BlackoutCount;
static LONG BlinkCount;
static LONG CloseButtonStep;
static HWND CloseButtonWnd;

static void PaintBlack(HDC dc) { BitBlt(dc, 0, 0, ScreenWidth, ScreenHeight, NULL, 0, 0, BLACKNESS); }

static void FillWithBrush(HDC dc, HBRUSH brush) {
    SelectObject(dc, brush);
    Rectangle(dc, 0, 0, ScreenWidth, ScreenHeight);
}

static void CaptureDesktop(void) {
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    DesktopSnapshot = CreateCompatibleBitmap(screen, ScreenWidth, ScreenHeight);
    SelectObject(memory, DesktopSnapshot);
    BitBlt(memory, 0, 0, ScreenWidth, ScreenHeight, screen, 0, 0, SRCCOPY);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}

static LRESULT CreationFailed(HWND window, const char* text) {
    MessageBoxA(window, text, "Dorvane 3D", MB_OK | MB_ICONERROR);
    PostQuitMessage(1);
    return 0;
}

static LRESULT OnCreate(HWND window) {
    StartMusic("DORVANR1", window);
    ImmAssociateContext(window, NULL);
    CaptureDesktop();
    RedBrush = CreateSolidBrush(RGB(255, 0, 0));
    YellowBrush = CreateSolidBrush(RGB(255, 255, 0));
    PlayerHp = 50;
    EnemyHp = 50;
    Defeated = 0;
    EnemyType = (int)(GetTickCount() % 5);

    MessageWnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "DORVAN3DW", "Dorvane 3D", WS_POPUP | WS_BORDER,
                                 50, ScreenHeight - 180, ScreenWidth - 100, 160, window, NULL, AppInstance, NULL);
    if (!MessageWnd) return CreationFailed(window, "メッセージウィンドウの生成に失敗。");
    ShowWindow(MessageWnd, SW_SHOWNORMAL);
    UpdateWindow(MessageWnd);
    SetWindowAlpha(MessageWnd, 200);

    EnemyWnd = CreateWindowExA(WS_EX_TOOLWINDOW, "DORVAN3DE", "Dorvane 3D", WS_POPUP,
                               ScreenWidth / 2 - ScreenWidth / 10, ScreenHeight / 2 - ScreenWidth / 10,
                               ScreenWidth / 5, ScreenWidth / 5, window, NULL, AppInstance, NULL);
    if (!EnemyWnd) return CreationFailed(window, "エネミーウィンドウの生成に失敗。");
    ShowWindow(EnemyWnd, SW_SHOWNORMAL);
    UpdateWindow(EnemyWnd);
    SetTimer(window, ID_TIMER_TICK, 34, NULL);
    return 0;
}

static void OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!Defeated) PaintBlack(dc);
    else FillWithBrush(dc, RedBrush);
    EndPaint(window, &ps);
}

static void IntroTick(HWND window) {
    LONG n = IntroCount - 1;
    IntroCount = n;
    if (n == 0) KillTimer(window, ID_TIMER_TICK);
    HDC dc = GetDC(window);
    PaintBlack(dc);
    HDC memory = CreateCompatibleDC(dc);
    SelectObject(memory, DesktopSnapshot);
    StretchBlt(dc, 0, 0, ScreenWidth, ScreenHeight, memory, 0, 0, ScreenWidth, ScreenHeight * n / 11, SRCCOPY);
    DeleteDC(memory);
    ReleaseDC(window, dc);
}

// Colour, black, colour, black, then the stage as it should be.
static void FlashTick(HWND window, UINT timer, LONG* count, HBRUSH brush) {
    HDC dc = GetDC(window);
    if (*count % 2 != 0) PaintBlack(dc);
    else FillWithBrush(dc, brush);
    ReleaseDC(window, dc);
    ++*count;
    if (*count > 3) {
        KillTimer(window, timer);
        InvalidateRect(window, NULL, TRUE);
    }
}

static void BlackoutTick(HWND window) {
    LONG k = BlackoutCount;
    BlackoutCount = k + 1;
    if ((DWORD)k > 3) KillTimer(window, ID_TIMER_BLACKOUT);
    HDC dc = GetDC(window);
    PaintBlack(dc);
    ReleaseDC(window, dc);
}

static void BlinkTick(HWND window) {
    ShowWindow(EnemyWnd, BlinkCount % 2 == 0 ? SW_HIDE : SW_SHOWNORMAL);
    ++BlinkCount;
    if (BlinkCount > 3) KillTimer(window, ID_TIMER_BLINKENEMY);
}

static void CloseButtonTick(HWND window) {
    if (CloseButtonStep == 0) {
        CloseButtonWnd = CreateWindowExA(0, "Button", "×", WS_CHILD | BS_FLAT, 0, -80, 22, 22, window,
                                         (HMENU)(INT_PTR)ID_CLOSEBUTTON, AppInstance, NULL);
        CloseButtonStep = 1;
    } else if (CloseButtonStep >= 1 && CloseButtonStep <= 80) {
        MoveWindow(CloseButtonWnd, 0, CloseButtonStep - 80, 22, 22, TRUE);
        ShowWindow(CloseButtonWnd, SW_SHOW);
        ++CloseButtonStep;
    } else {
        KillTimer(window, ID_TIMER_CLOSEBUTTON);
    }
}

static void QuitChain(HWND window) {
    const char* loser = "敗北者へ";
    const char* dog = "負け犬へ";
    if (MessageBoxA(window, "終了したいですか？", loser, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    MessageBoxA(window, "３回まわってワンと言ってください。", loser, MB_OK | MB_ICONINFORMATION);
    if (MessageBoxA(window, "本当にやりましたか？", loser, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        MessageBoxA(window, "却下！", dog, MB_OK | MB_ICONERROR);
        return;
    }
    if (MessageBoxA(window, "実は嘘をついているでしょう。わかっています。\n嘘をつきましたか？", loser,
                    MB_YESNO | MB_ICONQUESTION) != IDNO) {
        MessageBoxA(window, "だめじゃん！", dog, MB_OK | MB_ICONERROR);
        return;
    }
    MessageBoxA(window, "では、終了します。", "終了", MB_OK);
    PostQuitMessage(0);
}

static void StartEffect(HWND window, UINT timer, LONG* count) {
    *count = 0;
    SetTimer(window, timer, 100, NULL);
}

LRESULT CALLBACK ScreenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: OnPaint(window); return 0;
    case WM_TIMER:
        switch (wParam) {
        case ID_TIMER_TICK: IntroTick(window); break;
        case ID_TIMER_FLASHYELLOW: FlashTick(window, ID_TIMER_FLASHYELLOW, &FlashYellowCount, YellowBrush); break;
        case ID_TIMER_FLASHRED: FlashTick(window, ID_TIMER_FLASHRED, &FlashRedCount, RedBrush); break;
        case ID_TIMER_BLACKOUT: BlackoutTick(window); break;
        case ID_TIMER_BLINKENEMY: BlinkTick(window); break;
        case ID_TIMER_CLOSEBUTTON: CloseButtonTick(window); break;
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_CLOSEBUTTON) QuitChain(window);
        return 0;
    case WM_DESTROY:
        // Destroyed by some other way than the quit chain: the program has no stage left.
        PostQuitMessage(0);
        return 0;
    case MM_MCINOTIFY:
        if (wParam == MCI_NOTIFY_SUCCESSFUL) mciSendStringA("play MUSIC0 from 0 notify", NULL, 0, window);
        return 0;
    case WMU_FLASHYELLOW: StartEffect(window, ID_TIMER_FLASHYELLOW, &FlashYellowCount); return 0;
    case WMU_BLACKOUT: StartEffect(window, ID_TIMER_BLACKOUT, &BlackoutCount); return 0;
    case WMU_FLASHRED: StartEffect(window, ID_TIMER_FLASHRED, &FlashRedCount); return 0;
    case WMU_BLINKENEMY: StartEffect(window, ID_TIMER_BLINKENEMY, &BlinkCount); return 0;
    case WMU_DEFEAT:
        Defeated = 1;
        CloseButtonStep = 0;
        InvalidateRect(window, NULL, TRUE);
        SetTimer(window, ID_TIMER_CLOSEBUTTON, 100, NULL);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
