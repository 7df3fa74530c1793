// The player-name dialog: whatever is typed becomes the hero's name.
#include <stdlib.h>

#include "app/dorvan3d.h"

const char* PlayerName = "あなた";

INT_PTR CALLBACK NameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_PLAYERNAME, PlayerName);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            int length = GetWindowTextLengthA(GetDlgItem(dialog, IDC_PLAYERNAME));
            if (length > 0) {
                char* name = (char*)calloc(length + 1, 1);
                if (name) {
                    if ((int)GetDlgItemTextA(dialog, IDC_PLAYERNAME, name, length + 1) == length) PlayerName = name;
                    else free(name);
                }
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDC_PLAYERNAME:
            if (HIWORD(wParam) == EN_CHANGE)
                EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthA(GetDlgItem(dialog, IDC_PLAYERNAME)) > 0);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_VERSIONINFO:
            MessageBoxA(dialog, "Dorvane 3D\nCopyright (C) 2026 Dorvane Works", "バージョン情報",
                        MB_OK | MB_ICONINFORMATION);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
