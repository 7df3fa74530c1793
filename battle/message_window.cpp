// The message window: three lines of text, the hit-point box and the four
// command buttons along the bottom of the stage.
#include <stdlib.h>
#include <string.h>

#include "battle/battle.h"

LONG BattleState;
LONG BattleStep;
HWND CommandButtons[4];

static char* MessageLines[3];

static const struct {
    int id;
    const char* text;
    int x;
} ButtonLayout[4] = {
    {IDC_FIGHT, "たたかう", 20},
    {IDC_RUN, "にげる", 120},
    {IDC_MAGIC, "まほう", 220},
    {IDC_ITEM, "どうぐ", 320},
};

static void TextOutRepeated(HDC dc, int x, int y, const char* text, int count) {
    if (!text) return;
    for (int i = 0; i < count; ++i) TextOutA(dc, x + i, y, text, (int)strlen(text));
}

static void PaintMessageWindow(HWND window) {
    static const char* const Digits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i) TextOutRepeated(dc, 16, 16 + 24 * i, MessageLines[i], 2);
    SetBkMode(dc, OPAQUE);
    if (PlayerHp < 0) PlayerHp = 0;
    COLORREF box;
    if (PlayerHp == 1) box = RGB(119, 0, 119);
    else if (PlayerHp <= 0) box = RGB(119, 0, 0);
    else if (PlayerHp < 10) box = RGB(119, 119, 0);
    else box = RGB(0, 0, 119);
    SetBkColor(dc, box);
    int tens = (PlayerHp / 10) % 10;
    char text[64];
    wsprintfA(text, " ＨＰ：%s%s ", tens == 0 ? "　" : Digits[tens], Digits[PlayerHp % 10]);
    TextOutRepeated(dc, 440, 102, text, 1);
    EndPaint(window, &ps);
}

static void SetLine(HWND window, WPARAM index, const char* text) {
    if (index > 2) return;
    free(MessageLines[index]);
    MessageLines[index] = NULL;
    if (text) {
        size_t length = strlen(text);
        MessageLines[index] = (char*)malloc(length + 1);
        if (MessageLines[index]) memcpy(MessageLines[index], text, length + 1);
    }
    InvalidateRect(window, NULL, TRUE);
}

static void ClearLines(HWND window) {
    for (int i = 0; i < 3; ++i) {
        free(MessageLines[i]);
        MessageLines[i] = NULL;
    }
    for (int i = 0; i < 4; ++i) ShowWindow(CommandButtons[i], SW_HIDE);
    InvalidateRect(window, NULL, TRUE);
}

static void OnCreate(HWND window) {
    ImmAssociateContext(window, NULL);
    BattleStep = 0;
    BattleState = 0;
    SetTimer(window, ID_TIMER_TICK, 350, NULL);
    for (int i = 0; i < 4; ++i)
        CommandButtons[i] = CreateWindowExA(0, "Button", ButtonLayout[i].text, WS_CHILD | BS_FLAT, ButtonLayout[i].x,
                                            99, 80, 26, window, (HMENU)(INT_PTR)ButtonLayout[i].id, AppInstance, NULL);
}

LRESULT CALLBACK MessageWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_COMMAND: BattleCommand(window, LOWORD(wParam)); return 0;
    case WM_TIMER:
        RunBattleStep(window);
        PaintMessageWindow(window);
        return 0;
    case WM_PAINT: PaintMessageWindow(window); return 0;
    case WMU_SETLINE: SetLine(window, wParam, (const char*)lParam); return 0;
    case WMU_CLEARLINES: ClearLines(window); return 0;
    case WM_DESTROY: return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
