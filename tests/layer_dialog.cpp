// Conformance of modal dialogs from templates and of the "Edit" control: the
// template's controls in pixels, centring, the dialog keyboard, edit keys with
// double-byte characters, change notifications, disabled buttons and an owned
// message box.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "res/resource.h"
#include "tests/support/headless_fixture.h"

namespace {

using plat::InputEvent;
using Step = std::vector<InputEvent>;  // input injected together, once what came before has been handled

InputEvent ev(InputEvent::Kind kind, int vk = 0, bool alt = false) {
    InputEvent e;
    e.kind = kind;
    e.vk = vk;
    e.alt = alt;
    return e;
}
Step key(int vk, bool alt = false) { return {ev(InputEvent::KeyDown, vk, alt), ev(InputEvent::KeyUp, vk, alt)}; }
Step shift(bool down) { return {ev(down ? InputEvent::KeyDown : InputEvent::KeyUp, VK_SHIFT)}; }
Step type(const std::string& utf8) {
    InputEvent e = ev(InputEvent::Text);
    e.text = utf8;
    return {e};
}
Step click_at(int x, int y) {
    InputEvent down = ev(InputEvent::MouseDown), up = ev(InputEvent::MouseUp);
    down.x = up.x = x;
    down.y = up.y = y;
    return {down, up};
}

// One run of the template with a procedure that behaves like the program's:
// the field starts with `initial`, OK follows the field, 1001 opens an owned box.
struct DialogRun {
    std::string initial = "abc";
    std::vector<Step> steps;
    std::function<void(HWND)> on_shown;  // before the first step
    // What the procedure saw.
    std::vector<std::pair<int, int>> commands;  // id, notification
    std::string final_text;                     // the field's text when the dialog ended
    HWND focus_at_end = nullptr;
    int focus_id_at_end = 0;
};

DialogRun* current = nullptr;
size_t next_step = 0;
int idle_ticks = 0;
HWND dialog_of_run = nullptr;

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!current || !dialog_of_run) return;
    if (next_step == 0 && current->on_shown) current->on_shown(dialog_of_run);
    if (next_step < current->steps.size()) {
        for (const InputEvent& e : current->steps[next_step]) test_backend().inject(e);
        ++next_step;
    } else if (++idle_ticks > 3) {
        EndDialog(dialog_of_run, -2);  // the steps ran out with the dialog still up
    }
}

void finish(HWND dialog, INT_PTR result) {
    char buffer[256] = {};
    GetDlgItemTextA(dialog, IDC_PLAYERNAME, buffer, sizeof buffer);
    current->final_text = buffer;
    current->focus_at_end = GetFocus();
    current->focus_id_at_end = GetFocus() ? GetWindowLongA(GetFocus(), -12) : 0;
    EndDialog(dialog, result);
}

INT_PTR CALLBACK TestDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        dialog_of_run = dialog;
        SetDlgItemTextA(dialog, IDC_PLAYERNAME, current->initial.c_str());
        return TRUE;
    case WM_COMMAND:
        current->commands.push_back({LOWORD(wParam), HIWORD(wParam)});
        switch (LOWORD(wParam)) {
        case IDOK: finish(dialog, 1); return TRUE;
        case IDCANCEL: finish(dialog, 2); return TRUE;
        case IDC_PLAYERNAME:
            if (HIWORD(wParam) == EN_CHANGE)
                EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthA(GetDlgItem(dialog, IDC_PLAYERNAME)) > 0);
            return TRUE;
        case IDC_VERSIONINFO: MessageBoxA(dialog, "v", "ver", MB_OK); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// Timers need a window here: a hidden one of the test's own.
HWND ticker() {
    static HWND w = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "DialogTestTicker";
        RegisterClassExA(&wc);
        return CreateWindowExA(0, "DialogTestTicker", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    }();
    return w;
}

INT_PTR run(DialogRun& r) {
    current = &r;
    next_step = 0;
    idle_ticks = 0;
    dialog_of_run = nullptr;
    SetTimer(ticker(), 1, 20, StepTimer);
    INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_PLAYERNAME), nullptr, TestDlgProc, 0);
    KillTimer(ticker(), 1);
    current = nullptr;
    return result;
}

std::string sjis(const char* utf8) { return plat::utf8_to_sjis(utf8); }

int count(const DialogRun& r, int id, int code) {
    int n = 0;
    for (auto& c : r.commands) n += c.first == id && c.second == code;
    return n;
}

// Base units from the dialog font, as the system derives them.
void base_units(int& bx, int& by) {
    const plat::Font* f = plat::font_for(plat::FontRole::DialogUI);
    bx = (plat::text_width(f, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52) / 26 + 1) / 2;
    by = plat::font_height(f);
}

TEST(DialogTemplate, BuildsTheControlsInPixelsAndCentresTheDialog) {
    struct Expected {
        const char* cls;
        int id;
        int x, y, cx, cy;  // dialog units
        DWORD style;
        const char* text;
    };
    const Expected controls[] = {
        {"Static", -1, 7, 7, 172, 18, WS_CHILD | WS_VISIBLE | WS_GROUP,
         "ユーザ登録へのご協力をお願いします。\nユーザ登録を行うことで、様々なサポートを受けることが..."},
        {"Static", -1, 7, 38, 41, 8, WS_CHILD | WS_VISIBLE | WS_GROUP, "ユーザ名(&U)："},
        {"Edit", IDC_PLAYERNAME, 7, 52, 172, 14, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, "abc"},  // set by WM_INITDIALOG
        {"Button", IDOK, 7, 74, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "OK"},
        {"Button", IDCANCEL, 60, 74, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP, "キャンセル"},
        {"Button", IDC_VERSIONINFO, 116, 74, 63, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP, "バージョン情報(&A)"},
    };
    int bx, by;
    base_units(bx, by);
    auto px = [bx](int v) { return (v * bx + 2) / 4; };
    auto py = [by](int v) { return (v * by + 4) / 8; };
    DialogRun r;
    r.on_shown = [&](HWND dialog) {
        EXPECT_EQ(plat::class_name(dialog), "#32770");
        char title[64] = {};
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ(title, "Dorvane 3D");
        RECT client, window;
        GetClientRect(dialog, &client);
        GetWindowRect(dialog, &window);
        EXPECT_EQ(client.right, px(186));
        EXPECT_EQ(client.bottom, py(95));
        int w = window.right - window.left, h = window.bottom - window.top;
        EXPECT_EQ(w, px(186) + 2 * plat::kFrame);
        EXPECT_EQ(h, py(95) + 2 * plat::kFrame + plat::kCaption);
        EXPECT_EQ(window.left, (1024 - w) / 2);
        EXPECT_EQ(window.top, (768 - h) / 2);
        ASSERT_EQ(dialog->children.size(), std::size(controls));
        POINT origin{window.left + plat::kFrame, window.top + plat::kFrame + plat::kCaption};
        for (size_t i = 0; i < std::size(controls); ++i) {
            const Expected& e = controls[i];
            HWND c = dialog->children[i];
            SCOPED_TRACE(e.text);
            EXPECT_EQ(plat::class_name(c), e.cls);
            EXPECT_EQ(GetWindowLongA(c, -12), e.id);
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(c, GWL_STYLE)) & 0xFFFF00FFu, e.style);
            RECT cr;
            GetWindowRect(c, &cr);
            EXPECT_EQ(cr.left - origin.x, px(e.x));
            EXPECT_EQ(cr.top - origin.y, py(e.y));
            EXPECT_EQ(cr.right - cr.left, px(e.cx));
            EXPECT_EQ(cr.bottom - cr.top, py(e.cy));
            char text[256] = {};
            GetWindowTextA(c, text, sizeof text);
            EXPECT_EQ(text, sjis(e.text));
            EXPECT_NE(SendMessageA(c, WM_GETFONT, 0, 0), 0);
        }
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PLAYERNAME));  // WM_INITDIALOG returned TRUE
        EXPECT_EQ(GetForegroundWindow(), dialog);
    };
    r.steps = {key(VK_ESCAPE)};
    EXPECT_EQ(run(r), 2);
}

TEST(DialogTemplate, MissingTemplateFails) {
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4242), nullptr, TestDlgProc, 0), -1);
}

struct KeyboardCase {
    const char* name;
    std::vector<Step> steps;
    INT_PTR result;
    std::vector<int> pressed;  // BN_CLICKED commands, in order
    const char* text;          // the field's text at the end (UTF-8)
};

TEST(DialogKeyboard, TabEnterEscAndMnemonics) {
    const std::vector<KeyboardCase> cases = {
        {"Enter presses the default button", {key(VK_RETURN)}, 1, {IDOK}, "abc"},
        {"Esc is Cancel", {key(VK_ESCAPE)}, 2, {IDCANCEL}, "abc"},
        {"Tab reaches Cancel, Enter presses the focused button", {key(VK_TAB), key(VK_TAB), key(VK_RETURN)}, 2,
         {IDCANCEL}, "abc"},
        {"Tab wraps round to the field", {key(VK_TAB), key(VK_TAB), key(VK_TAB), key(VK_TAB), type("z"),
          key(VK_RETURN)}, 1, {IDOK}, "z"},
        {"Shift+Tab goes back to the last tab stop",
         {shift(true), key(VK_TAB), shift(false), key(VK_RETURN), key(VK_RETURN), key(VK_ESCAPE)}, 2,
         {IDC_VERSIONINFO, IDCANCEL},
         "abc"},
        {"Alt+letter presses its button", {key('A', true), key(VK_RETURN), key(VK_ESCAPE)}, 2,
         {IDC_VERSIONINFO, IDCANCEL}, "abc"},
        {"a static's mnemonic focuses the next tab stop, whose text is selected",
         {key(VK_TAB), key('U', true), type("q"), key(VK_RETURN)}, 1, {IDOK}, "q"},
        {"the plain letter works outside the field", {key(VK_TAB), type("a"), key(VK_RETURN), key(VK_ESCAPE)}, 2,
         {IDC_VERSIONINFO, IDCANCEL}, "abc"},
        {"the plain letter is text in the field", {key(VK_END), type("a"), key(VK_RETURN)}, 1, {IDOK}, "abca"},
        {"a disabled default button is not pressed by Enter",
         {key(VK_BACK), key(VK_RETURN), type("k"), key(VK_RETURN)}, 1, {IDOK}, "k"},
    };
    for (const KeyboardCase& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRun r;
        r.steps = c.steps;
        EXPECT_EQ(run(r), c.result);
        std::vector<int> pressed;
        for (auto& cmd : r.commands)
            if (cmd.second == BN_CLICKED) pressed.push_back(cmd.first);
        EXPECT_EQ(pressed, c.pressed);
        EXPECT_EQ(r.final_text, sjis(c.text));
    }
}

TEST(DialogKeyboard, CloseBoxAndWindowMenuCloseAreCancel) {
    for (int how = 0; how < 2; ++how) {
        DialogRun r;
        r.on_shown = [how](HWND dialog) {
            if (how == 0) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else PostMessageA(dialog, WM_CLOSE, 0, 0);
        };
        EXPECT_EQ(run(r), 2);
        EXPECT_EQ(count(r, IDCANCEL, BN_CLICKED), 1);
    }
}

struct EditCase {
    const char* initial;        // UTF-8; the field starts focused with all of it selected
    std::vector<Step> steps;
    const char* expected;       // UTF-8
};

TEST(EditControl, KeysAndDoubleByteCharacters) {
    const std::vector<EditCase> cases = {
        {"abc", {type("x")}, "x"},  // typing replaces the selection the dialog made
        {"abc", {key(VK_END), key(VK_BACK)}, "ab"},
        {"abc", {key(VK_HOME), key(VK_DELETE)}, "bc"},
        {"abc", {key(VK_LEFT), type("X")}, "Xabc"},  // Left leaves a selection at its start
        {"abc", {key(VK_RIGHT), type("X")}, "abcX"},
        {"abc", {key(VK_HOME), key(VK_RIGHT), type("X")}, "aXbc"},
        {"abc", {key(VK_BACK)}, ""},
        {"abc", {key(VK_HOME), key(VK_BACK), key(VK_END), key(VK_DELETE)}, "abc"},  // nothing to delete
        {"あいう", {key(VK_END), key(VK_LEFT), key(VK_BACK)}, "あう"},
        {"あいう", {key(VK_HOME), key(VK_RIGHT), key(VK_DELETE)}, "あう"},
        {"あいう", {key(VK_END), key(VK_BACK), key(VK_BACK)}, "あ"},
        // 0x5C as a trail byte ("ソ" is 0x83 0x5C) is not a character of its own.
        {"aソb", {key(VK_END), key(VK_LEFT), key(VK_LEFT), key(VK_BACK)}, "ソb"},
        {"aソb", {key(VK_HOME), key(VK_RIGHT), key(VK_DELETE)}, "ab"},
        {"aあb", {key(VK_HOME), shift(true), key(VK_RIGHT), key(VK_RIGHT), shift(false), type("Z")}, "Zb"},
        {"abc", {key(VK_END), shift(true), key(VK_LEFT), key(VK_HOME), shift(false), key(VK_DELETE)}, ""},
        {"abc", {key(VK_END), shift(true), key(VK_LEFT), shift(false), key(VK_LEFT), type("-")}, "ab-c"},
        {"", {type("漢字かな"), key(VK_LEFT), type("の")}, "漢字かのな"},
        {"x", {key(VK_END), type("ｱ")}, "xｱ"},  // a single-byte katakana stays one byte
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(std::string(c.initial) + " -> " + c.expected);
        DialogRun r;
        r.initial = sjis(c.initial);
        r.steps = c.steps;
        r.steps.push_back(key(VK_ESCAPE));
        EXPECT_EQ(run(r), 2);
        EXPECT_EQ(r.final_text, sjis(c.expected));
    }
}

TEST(EditControl, ChangeNotificationsFollowEveryChangeOfTheText) {
    DialogRun r;
    int after_init = -1, after_settext = -1;
    r.on_shown = [&](HWND dialog) {
        after_init = count(r, IDC_PLAYERNAME, EN_CHANGE);
        SetDlgItemTextA(dialog, IDC_PLAYERNAME, "");
        after_settext = count(r, IDC_PLAYERNAME, EN_CHANGE);
    };
    // One notice for an ASCII letter, one for a double-byte pair, none for keys that change nothing.
    r.steps = {type("a"), type("あ"), key(VK_LEFT), key(VK_HOME), key(VK_BACK), key(VK_END), key(VK_BACK),
               key(VK_ESCAPE)};
    EXPECT_EQ(run(r), 2);
    EXPECT_EQ(after_init, 1);      // WM_INITDIALOG's SetDlgItemText
    EXPECT_EQ(after_settext, 2);
    EXPECT_EQ(count(r, IDC_PLAYERNAME, EN_CHANGE), 5);
    EXPECT_EQ(r.final_text, "a");
}

TEST(EditControl, ClickPlacesTheCaretAndDragSelects) {
    RECT field{};
    struct MouseCase {
        bool drag;
        const char* expected;
    };
    for (MouseCase c : {MouseCase{false, "Qabc"}, MouseCase{true, "Q"}}) {
        DialogRun r;
        // The first step, the mouse, is made once the field's place is known.
        r.steps.push_back({});
        r.steps.push_back(type("Q"));
        r.steps.push_back(key(VK_ESCAPE));
        r.on_shown = [&, c](HWND dialog) {
            GetWindowRect(GetDlgItem(dialog, IDC_PLAYERNAME), &field);
            int y = (field.top + field.bottom) / 2;
            Step s;
            InputEvent down = ev(InputEvent::MouseDown), up = ev(InputEvent::MouseUp);
            down.x = field.left + 3, down.y = y;
            up.x = c.drag ? field.right - 3 : down.x, up.y = y;
            s.push_back(down);
            if (c.drag) {
                InputEvent move = ev(InputEvent::MouseMove);
                move.x = up.x, move.y = y;
                s.push_back(move);
            }
            s.push_back(up);
            r.steps[0] = s;
        };
        EXPECT_EQ(run(r), 2);
        EXPECT_EQ(r.final_text, c.expected);
    }
}

TEST(DialogButtons, DisabledOkIgnoresClicksAndEnter) {
    DialogRun r;
    RECT ok{};
    r.on_shown = [&](HWND dialog) {
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
        r.steps[0] = click_at((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    };
    r.steps = {{}, key(VK_RETURN), key(VK_ESCAPE)};
    EXPECT_EQ(run(r), 2);
    EXPECT_EQ(count(r, IDOK, BN_CLICKED), 0);
}

}  // namespace
