// The battle inside the message window: its state, its buttons and its steps.
#pragma once

#include "app/dorvan3d.h"

#define IDC_ITEM 102
#define IDC_MAGIC 103
#define IDC_FIGHT 104
#define IDC_RUN 105

#define BATTLE_MENU 0
#define BATTLE_FIGHT 1
#define BATTLE_RUN 2
#define BATTLE_MAGIC 3
#define BATTLE_ITEM 4
#define BATTLE_LOST 5
#define BATTLE_WON 6

extern LONG BattleState;
extern LONG BattleStep;
extern HWND CommandButtons[4];  // IDC_FIGHT, IDC_RUN, IDC_MAGIC, IDC_ITEM

// One step of the script, run on each tick of the message window.
void RunBattleStep(HWND window);
// A click on one of the command buttons.
void BattleCommand(HWND window, int id);
