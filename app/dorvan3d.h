// What the program's parts share: the windows, the screen size, the battle
// numbers, the private messages and the helpers each part offers the others.
#pragma once

#include "platform/win32.h"
#include "res/resource.h"

#define ID_TIMER_TICK 234

// Private messages, all sent by the message window.
#define WMU_SETLINE 0x8000
#define WMU_CLEARLINES 0x8001
#define WMU_FLASHYELLOW 0x8002
#define WMU_BLACKOUT 0x8003
#define WMU_FLASHRED 0x8004
#define WMU_BLINKENEMY 0x8005
#define WMU_ENEMYATTACK 0x8005
#define WMU_ENEMYVANISH 0x8006
#define WMU_DEFEAT 0x8007

#define MUSIC_NONE 0
#define MUSIC_OGG 1
#define MUSIC_MCI 2

extern HINSTANCE AppInstance;
extern LONG ScreenWidth;
extern LONG ScreenHeight;
extern HWND ScreenWnd;
extern HWND MessageWnd;
extern HWND EnemyWnd;
extern int EnemyType;
extern const char* PlayerName;
extern LONG PlayerHp;
extern LONG EnemyHp;
extern WORD MusicMode;

extern const char* const EnemyNames[5];
extern const DWORD EnemyRedViewIds[5];
extern const DWORD EnemyCyanViewIds[5];
extern const DWORD EnemyAttackSoundIds[5];

// Start-up (app/main.cpp).
BOOL ChangeToProgramDir(void);
int IsDbcsLeadAt(const char* text, int index);

// Translucency (app/translucency.cpp).
DWORD GetPlatformId(void);
int IsWinNT(void);
HMODULE LoadSystemUser32(void);
int SetWindowAlpha(HWND window, BYTE alpha);

// The name dialog (app/name_dialog.cpp).
INT_PTR CALLBACK NameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The windows.
LRESULT CALLBACK ScreenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MessageWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EnemyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Music (music/).
void StartMusic(const char* baseName, HWND notifyWindow);
void StopMusic(void);
