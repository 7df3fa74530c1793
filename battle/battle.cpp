// The battle script: one step of the current state on every tick, the rolls
// read from the millisecond tick counter at the moment of each roll.
#include <stdlib.h>
#include <string.h>

#include "battle/battle.h"

const char* const EnemyNames[5] = {"イーエックスプローラー", "ウィムドウズ", "マックロソフトＭ", "マックロソフトＳ", "ドルバ"};
const DWORD EnemyRedViewIds[5] = {IDB_ENEMY0_RED, IDB_ENEMY1_RED, IDB_ENEMY2_RED, IDB_ENEMY3_RED, IDB_ENEMY4_RED};
const DWORD EnemyCyanViewIds[5] = {IDB_ENEMY0_CYAN, IDB_ENEMY1_CYAN, IDB_ENEMY2_CYAN, IDB_ENEMY3_CYAN, IDB_ENEMY4_CYAN};
const DWORD EnemyAttackSoundIds[5] = {IDW_ENEMYATTACK0, IDW_ENEMYATTACK1, IDW_ENEMYATTACK2, IDW_ENEMYATTACK3,
                                      IDW_ENEMYATTACK4};

static void Play(DWORD id) { PlaySoundA(MAKEINTRESOURCEA(id), AppInstance, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT); }

static void SetLine(HWND window, int index, const char* text) { SendMessageA(window, WMU_SETLINE, index, (LPARAM)text); }

static void Clear(HWND window) { SendMessageA(window, WMU_CLEARLINES, 0, 0); }

static void ShowButtons(void) {
    for (int i = 0; i < 4; ++i) ShowWindow(CommandButtons[i], SW_SHOWNORMAL);
}

static const char* EnemyName(void) { return EnemyNames[EnemyType]; }

// A buffer for a text naming the player: the name and room for the rest.
static char* NameBuffer(void) { return (char*)calloc(strlen(PlayerName) + 100, 1); }

// Sets a line to a format naming the player, after playing its sound; a
// buffer that cannot be had sets nothing and plays nothing.
static void PlayerLine(HWND window, int index, const char* format, DWORD sound) {
    char* text = NameBuffer();
    if (!text) return;
    wsprintfA(text, format, PlayerName);
    Play(sound);
    SetLine(window, index, text);
    free(text);
}

static void MenuStep(HWND window) {
    char text[128];
    switch (BattleStep) {
    case 0:
        SetLine(window, 0, "「ぐはははは、このスクリーンはいただいた～」");
        BattleStep = 1;
        break;
    case 1:
        wsprintfA(text, "%s があらわれた。", EnemyName());
        SetLine(window, 1, text);
        BattleStep = 2;
        break;
    case 2:
        SetLine(window, 2, "どうする？");
        ShowButtons();
        BattleStep = 3;
        break;
    }
}

static void PlayerDamageStep(HWND window) {
    char text[128];
    DWORD d = (GetTickCount() & 7) + (BattleStep == 12 ? 10 : 0);
    if (d > 0) {
        wsprintfA(text, "%s に %d のダメージを与えた！！", EnemyName(), (int)d);
        Play(IDW_ENEMYHURT);
        SendMessageA(ScreenWnd, WMU_BLINKENEMY, 0, 0);
        EnemyHp -= (LONG)d;
    } else {
        wsprintfA(text, "ミス！！ %s はダメージを受けない！！", EnemyName());
        Play(IDW_MISS);
    }
    SetLine(window, BattleStep == 12 ? 2 : 1, text);
    BattleStep = 3;
}

static void EnemyDamageStep(HWND window) {
    DWORD d = GetTickCount() % 9 + (BattleStep == 16 ? 10 : 0);
    int line = BattleStep == 16 ? 2 : 1;
    BattleStep = 7;
    char* text = NameBuffer();
    if (!text) return;
    if (d > 0) {
        wsprintfA(text, "%s は %d のダメージを受けた！！", PlayerName, (int)d);
        Play(IDW_PLAYERHURT);
        SendMessageA(ScreenWnd, WMU_BLACKOUT, 0, 0);
        PlayerHp -= (LONG)d;
    } else {
        wsprintfA(text, "ミス！！ %s はダメージを受けない！！", PlayerName);
        Play(IDW_MISS);
    }
    SetLine(window, line, text);
    free(text);
}

static void FightStep(HWND window) {
    char text[128];
    switch (BattleStep) {
    case 0:
        PlayerLine(window, 0, "%s のこうげき！", IDW_PLAYERATTACK);
        BattleStep = 1;
        break;
    case 1:
        if (GetTickCount() % 9 == 0) {
            Play(IDW_CRITICAL);
            SetLine(window, 1, "かいしんのいちげき！！");
            SendMessageA(ScreenWnd, WMU_FLASHYELLOW, 0, 0);
            BattleStep = 12;
        } else {
            BattleStep = 2;
        }
        break;
    case 2:
    case 12: PlayerDamageStep(window); break;
    case 3:
        if (EnemyHp > 0) {
            BattleStep = 4;
            break;
        }
        wsprintfA(text, "%s をたおした！", EnemyName());
        SetLine(window, 2, text);
        SendMessageA(EnemyWnd, WMU_ENEMYVANISH, 2, 0);
        Play(IDW_ENEMYVANISH);
        StopMusic();
        BattleStep = 9;
        break;
    case 4:
        Clear(window);
        wsprintfA(text, "%s のこうげき！", EnemyName());
        SetLine(window, 0, text);
        Play(EnemyAttackSoundIds[EnemyType]);
        BattleStep = 5;
        break;
    case 5:
        if (GetTickCount() % 11 == 0) {
            SetLine(window, 1, "つうこんのいちげき！！");
            SendMessageA(ScreenWnd, WMU_FLASHRED, 0, 0);
            Play(IDW_CRITICAL);
            BattleStep += 10;
        }
        BattleStep += 1;
        SendMessageA(EnemyWnd, WMU_ENEMYATTACK, 0, 0);
        break;
    case 6:
    case 16: EnemyDamageStep(window); break;
    case 7:
        if (PlayerHp > 0) {
            BattleStep = 10;
            break;
        }
        PlayerLine(window, 2, "%s は、やられてしまった！", IDW_PLAYERDEFEATED);
        StopMusic();
        BattleStep = 8;
        break;
    case 8:
        BattleState = BATTLE_LOST;
        BattleStep = 0;
        break;
    case 9:
        BattleState = BATTLE_WON;
        BattleStep = 0;
        break;
    case 10:
        Clear(window);
        SetLine(window, 0, "どうする？");
        ShowButtons();
        BattleState = BATTLE_MENU;
        BattleStep = 3;
        break;
    }
}

// Running, magic and items: two lines, then the enemy's turn.
static void FailingStep(HWND window, const char* attempt, DWORD sound, const char* failure) {
    switch (BattleStep) {
    case 0:
        PlayerLine(window, 0, attempt, sound);
        BattleStep = 1;
        break;
    case 1:
        SetLine(window, 1, failure);
        BattleStep = 2;
        break;
    case 2:
        BattleState = BATTLE_FIGHT;
        BattleStep = 4;
        break;
    }
}

void RunBattleStep(HWND window) {
    switch (BattleState) {
    case BATTLE_MENU: MenuStep(window); break;
    case BATTLE_FIGHT: FightStep(window); break;
    case BATTLE_RUN: FailingStep(window, "%s はにげだした！", IDW_RUN, "しかし、まわりこまれてしまった！！"); break;
    case BATTLE_MAGIC:
        FailingStep(window, "%s はまほうをつかおうとした！", IDW_MAGIC, "しかし、まほうをおぼえていなかった！！");
        break;
    case BATTLE_ITEM:
        FailingStep(window, "%s はどうぐをつかおうとした！", IDW_ITEM, "しかし、どうぐをもっていなかった！！");
        break;
    }
}

void BattleCommand(HWND window, int id) {
    switch (id) {
    case IDC_FIGHT:
        if (BattleState < BATTLE_LOST) {
            BattleState = BATTLE_FIGHT;
            BattleStep = 0;
        } else {
            ++BattleStep;
        }
        break;
    case IDC_RUN: BattleState = BATTLE_RUN; BattleStep = 0; break;
    case IDC_MAGIC: BattleState = BATTLE_MAGIC; BattleStep = 0; break;
    case IDC_ITEM: BattleState = BATTLE_ITEM; BattleStep = 0; break;
    default: return;
    }
    Clear(window);
}
