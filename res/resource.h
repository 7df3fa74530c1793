// Identifiers of the resources and dialog controls, shared by the program's
// code and by dorvan3d.rc.
#pragma once

// Enemy sprites: a red view and a cyan view per enemy type.
#define IDB_ENEMY0_RED 129
#define IDB_ENEMY1_RED 130
#define IDB_ENEMY2_RED 131
#define IDB_ENEMY3_RED 132
#define IDB_ENEMY4_RED 133
#define IDB_ENEMY0_CYAN 134
#define IDB_ENEMY1_CYAN 135
#define IDB_ENEMY2_CYAN 136
#define IDB_ENEMY3_CYAN 137
#define IDB_ENEMY4_CYAN 138

#define IDD_PLAYERNAME 139

// Sound effects ("WAVE" resources). 143 was never used.
#define IDW_ENEMYATTACK0 140
#define IDW_ENEMYATTACK1 141
#define IDW_ENEMYATTACK2 142
#define IDW_ENEMYATTACK3 144
#define IDW_ENEMYATTACK4 145
#define IDW_CRITICAL 146
#define IDW_MAGIC 147
#define IDW_ITEM 148
#define IDW_PLAYERATTACK 149
#define IDW_PLAYERHURT 150
#define IDW_ENEMYVANISH 151
#define IDW_PLAYERDEFEATED 152
#define IDW_ENEMYHURT 153
#define IDW_MISS 154
#define IDW_RUN 155

// Controls of the player-name dialog.
#define IDC_PLAYERNAME 1000
#define IDC_VERSIONINFO 1001

// The icon group is stored under a name, not a number. The resource compiler
// must see the bare word, the program the string.
#ifndef RC_INVOKED
#define IDI_DORVAN3D "IDI_DORVAN3D"
#endif
