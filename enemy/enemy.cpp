// The monster's window. Its animation is not built yet: the window accepts
// the battle's messages and shows only its black background.
#include "app/dorvan3d.h"

LRESULT CALLBACK EnemyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WMU_ENEMYATTACK:
    case WMU_ENEMYVANISH: return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
