// Modal dialogs built from extended dialog templates: the dialog class, the
// template reader, dialog units, default dialog processing and the dialog
// keyboard (tab stops, Enter, Esc, mnemonics).
#include <algorithm>
#include <cctype>

#include "platform/controls.h"
#include "platform/internal.h"
#include "platform/label.h"
#include "platform/resources.h"

namespace plat {

struct DialogState {
    DLGPROC proc = nullptr;
    bool done = false;
    INT_PTR result = 0;
    HWND saved_focus = nullptr;  // the control to give the focus back to on reactivation
    bool shift = false;
};

namespace {

DialogState* pending = nullptr;  // the state of the dialog being created, until WM_NCCREATE
constexpr LRESULT kDlgcWantArrows = 0x0001, kDlgcWantTab = 0x0002, kDlgcWantAllKeys = 0x0004,
                  kDlgcHasSetSel = 0x0008, kDlgcDefPush = 0x0010, kDlgcUndefPush = 0x0020,
                  kDlgcWantChars = 0x0080, kDlgcStatic = 0x0100, kDlgcButton = 0x2000;

// The template's texts: UTF-16 to the windows' Shift_JIS.
std::string utf16_to_sjis(const std::u16string& s) {
    std::string utf8;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) utf8 += static_cast<char>(c);
        else if (c < 0x800) utf8 += static_cast<char>(0xC0 | (c >> 6)), utf8 += static_cast<char>(0x80 | (c & 0x3F));
        else if (c < 0x10000)
            utf8 += static_cast<char>(0xE0 | (c >> 12)), utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
        else
            utf8 += static_cast<char>(0xF0 | (c >> 18)), utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F)), utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
    return utf8_to_sjis(utf8);
}

// A bounds-checked reader of the template's little-endian fields.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool bad = false;
    uint16_t word() {
        if (pos + 2 > size) { bad = true; return 0; }
        uint16_t v = static_cast<uint16_t>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return v;
    }
    uint32_t dword() { uint32_t lo = word(); return lo | (static_cast<uint32_t>(word()) << 16); }
    uint8_t byte() {
        if (pos + 1 > size) { bad = true; return 0; }
        return data[pos++];
    }
    std::u16string string() {
        std::u16string s;
        for (uint16_t c = word(); c && !bad; c = word()) s += static_cast<char16_t>(c);
        return s;
    }
    // sz_Or_Ord: nothing, an ordinal after 0xFFFF, or a string.
    void name_or_ordinal(std::u16string& name, int& ordinal) {
        ordinal = -1;
        name.clear();
        if (pos + 2 > size) { bad = true; return; }
        uint16_t first = static_cast<uint16_t>(data[pos] | (data[pos + 1] << 8));
        if (first == 0) { pos += 2; return; }
        if (first == 0xFFFF) { pos += 2; ordinal = word(); return; }
        name = string();
    }
    void align4() { pos = (pos + 3) & ~static_cast<size_t>(3); }
};

struct ItemTemplate {
    DWORD ex_style = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string cls;
    std::string text;
};

struct DialogTemplate {
    DWORD ex_style = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    std::vector<ItemTemplate> items;
};

bool parse(const uint8_t* data, size_t size, DialogTemplate& t) {
    Reader r{data, size};
    if (r.word() != 1 || r.word() != 0xFFFF) return false;  // only the extended form is used
    r.dword();  // help id
    t.ex_style = r.dword();
    t.style = r.dword();
    int count = r.word();
    t.x = static_cast<short>(r.word()), t.y = static_cast<short>(r.word());
    t.cx = static_cast<short>(r.word()), t.cy = static_cast<short>(r.word());
    std::u16string name;
    int ordinal;
    r.name_or_ordinal(name, ordinal);  // menu: dialogs here have none
    r.name_or_ordinal(name, ordinal);  // class: the standard dialog class
    t.title = utf16_to_sjis(r.string());
    if (t.style & DS_SETFONT) {
        r.word(), r.word(), r.byte(), r.byte();  // size, weight, italic, charset
        r.string();  // the face stands for the system's proportional Gothic: see dialog_font()
    }
    static const char* const kAtoms[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    for (int i = 0; i < count && !r.bad; ++i) {
        r.align4();
        ItemTemplate item;
        r.dword();  // help id
        item.ex_style = r.dword();
        item.style = r.dword();
        item.x = static_cast<short>(r.word()), item.y = static_cast<short>(r.word());
        item.cx = static_cast<short>(r.word()), item.cy = static_cast<short>(r.word());
        item.id = static_cast<int>(r.dword());
        r.name_or_ordinal(name, ordinal);
        if (ordinal >= 0x80 && ordinal <= 0x85) item.cls = kAtoms[ordinal - 0x80];
        else if (ordinal < 0) item.cls = utf16_to_sjis(name);
        else return false;
        r.name_or_ordinal(name, ordinal);
        if (ordinal < 0) item.text = utf16_to_sjis(name);
        int extra = r.word();
        r.pos += extra;
        t.items.push_back(item);
    }
    return !r.bad;
}

HFONT dialog_font() {
    static HGDIOBJ__* font = [] {
        auto* f = new HGDIOBJ__{};
        f->kind = GdiKind::Font;
        f->font = font_for(FontRole::DialogUI);
        return f;
    }();
    return reinterpret_cast<HFONT>(font);
}

// v * n / d rounded half away from zero, as the system's MulDiv.
int mul_div(int v, int n, int d) {
    long long p = static_cast<long long>(v) * n;
    return static_cast<int>(p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d));
}

LRESULT dlg_code(HWND w) { return SendMessageA(w, WM_GETDLGCODE, 0, 0); }

bool can_take_focus(HWND c) { return c->visible && c->enabled; }

// Focus as the dialog gives it: an edit field gets its whole text selected.
void dialog_focus(HWND c) {
    if (dlg_code(c) & kDlgcHasSetSel) SendMessageA(c, EM_SETSEL, 0, -1);
    SetFocus(c);
}

HWND first_tab_stop(HWND dialog) {
    for (HWND c : dialog->children)
        if ((c->style & WS_TABSTOP) && can_take_focus(c)) return c;
    return nullptr;
}

HWND next_tab_stop(HWND dialog, HWND from, bool backwards) {
    auto& list = dialog->children;
    int n = static_cast<int>(list.size());
    if (!n) return nullptr;
    int at = static_cast<int>(std::find(list.begin(), list.end(), from) - list.begin());
    if (at >= n) at = backwards ? 0 : n - 1;
    for (int step = 1; step <= n; ++step) {
        HWND c = list[((at + (backwards ? -step : step)) % n + n) % n];
        if ((c->style & WS_TABSTOP) && can_take_focus(c)) return c;
    }
    return nullptr;
}

void press(HWND dialog, HWND button) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button->id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// Enter: the focused push button, or else the default button unless it is disabled.
void press_default(HWND dialog) {
    HWND f = focus_window;
    if (f && f->parent == dialog && (dlg_code(f) & (kDlgcDefPush | kDlgcUndefPush)) && f->enabled) {
        press(dialog, f);
        return;
    }
    LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) {
        HWND button = GetDlgItem(dialog, LOWORD(def));
        if (!button || button->enabled)
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    } else {
        SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
}

// The control whose "&" letter this is, searched from the one after the focus.
bool mnemonic(HWND dialog, char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (!std::isalnum(static_cast<unsigned char>(letter))) return false;
    auto& list = dialog->children;
    int n = static_cast<int>(list.size());
    int at = static_cast<int>(std::find(list.begin(), list.end(), focus_window) - list.begin());
    if (at >= n) at = n - 1;
    for (int step = 1; step <= n; ++step) {
        HWND c = list[(at + step) % n];
        if (!can_take_focus(c) || make_label(c->text, nullptr).mnemonic != letter) continue;
        LRESULT code = dlg_code(c);
        if (code & kDlgcStatic) {
            if (HWND next = next_tab_stop(dialog, c, false)) dialog_focus(next);
        } else if (code & kDlgcButton) {
            SetFocus(c);
            press(dialog, c);
        } else {
            dialog_focus(c);
        }
        return true;
    }
    return false;
}

// The dialog's keyboard, before the message reaches the focused control.
bool dialog_key(HWND dialog, MSG& m) {
    if (!m.hwnd || top_level(m.hwnd) != dialog) return false;
    DialogState* d = dialog->dialog;
    HWND f = focus_window && top_level(focus_window) == dialog ? focus_window : nullptr;
    LRESULT code = f && f != dialog ? dlg_code(f) : 0;
    if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wParam == VK_SHIFT) {
        d->shift = m.message == WM_KEYDOWN;
        return false;
    }
    if (m.message == WM_KEYDOWN) {
        if (code & kDlgcWantAllKeys) return false;
        switch (m.wParam) {
        case VK_TAB:
            if (code & kDlgcWantTab) return false;
            if (HWND next = next_tab_stop(dialog, f, d->shift)) dialog_focus(next);
            return true;
        case VK_RETURN: press_default(dialog); return true;
        case VK_ESCAPE:
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            return true;
        default: return false;
        }
    }
    if (m.message == WM_SYSCHAR) return mnemonic(dialog, static_cast<char>(m.wParam));
    if (m.message == WM_CHAR && !(code & (kDlgcWantChars | kDlgcWantAllKeys))) {
        mnemonic(dialog, static_cast<char>(m.wParam));
        return true;
    }
    return false;
}

LRESULT CALLBACK DialogWndProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!w->dialog && pending) w->dialog = pending;
    DialogState* d = w->dialog;
    if (message == WM_NCDESTROY) {
        if (d && d->proc) d->proc(w, message, wParam, lParam);
        w->dialog = nullptr;
        return DefWindowProcA(w, message, wParam, lParam);
    }
    if (d && d->proc) {
        INT_PTR r = d->proc(w, message, wParam, lParam);
        if (r) return message == WM_INITDIALOG || message == WM_GETDLGCODE ? r : TRUE;
    }
    switch (message) {
    case WM_CLOSE:
        post(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, IDCANCEL)));
        return 0;
    case DM_GETDEFID:
        for (HWND c : w->children)
            if (class_name(c) == "Button" && (c->style & 0x0F) == BS_DEFPUSHBUTTON) return MAKELONG(c->id, DC_HASDEFID);
        return MAKELONG(IDOK, DC_HASDEFID);
    case WM_ACTIVATE:
        // The focus goes back to the control that had it when the dialog was left.
        if (!d) return 0;
        if (LOWORD(wParam) == 0) {
            if (focus_window && focus_window->parent == w) d->saved_focus = focus_window;
        } else if (d->saved_focus && is_window(d->saved_focus) && can_take_focus(d->saved_focus)) {
            SetFocus(d->saved_focus);
        }
        return 0;
    default: return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

void register_dialog_class() {
    WindowClass c;
    c.name = "#32770";
    c.proc = DialogWndProc;
    c.builtin = true;
    c.cursor = LoadCursorA(nullptr, IDC_ARROW);
    c.background = CreateSolidBrush(to_colorref(kFace));
    register_class(c);
}

// Base units of a dialog's font: the average width of the Latin letters, rounded
// as the system rounds it, and the cell height.
void dialog_base_units(int& x, int& y) {
    const Font* font = font_for(FontRole::DialogUI);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    x = (text_width(font, kLetters, 52) / 26 + 1) / 2;
    y = font_height(font);
}

}  // namespace plat

using namespace plat;

extern "C" INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    const uint8_t* data;
    size_t size;
    DialogTemplate t;
    if (!find_resource(RT_DIALOG, name, data, size) ||
        !parse(data, size, t))
        return -1;
    register_builtin_classes();
    int bx, by;
    dialog_base_units(bx, by);
    auto px = [bx](int v) { return mul_div(v, bx, 4); };
    auto py = [by](int v) { return mul_div(v, by, 8); };
    POINT o{0, 0};
    DWORD style = t.style & ~WS_VISIBLE;
    HWND probe_owner = owner ? top_level(owner) : nullptr;
    int cw = px(t.cx), ch = py(t.cy);
    int fx = 0, fy = 0;  // the frame around the client area
    if ((style & WS_CAPTION) == WS_CAPTION) fx = kFrame, fy = kFrame + kCaption;
    else if (style & (WS_DLGFRAME | DS_MODALFRAME)) fx = fy = kFrame;
    else if (style & WS_BORDER) fx = fy = 1;
    int width = cw + 2 * fx, height = ch + fy + fx;
    int x, y;
    if (t.style & DS_CENTER) {
        x = (backend().screen_width() - width) / 2;
        y = (backend().screen_height() - height) / 2;
    } else {
        if (probe_owner) {
            POINT so = screen_origin(probe_owner), co = client_origin(probe_owner);
            o = POINT{so.x + co.x, so.y + co.y};
        }
        x = o.x + px(t.x);
        y = o.y + py(t.y);
    }
    DialogState state;
    state.proc = proc;
    DialogState* outer = pending;
    pending = &state;
    HWND dialog = CreateWindowExA(t.ex_style, "#32770", t.title.c_str(), style, x, y, width, height, probe_owner,
                                  nullptr, instance, nullptr);
    pending = outer;
    if (!dialog) return -1;
    dialog->dialog = &state;
    HFONT font = dialog_font();
    SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const ItemTemplate& item : t.items) {
        HWND c = CreateWindowExA(item.ex_style, item.cls.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                 px(item.x), py(item.y), px(item.cx), py(item.cy), dialog,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), instance, nullptr);
        if (!c) {
            DestroyWindow(dialog);
            return -1;
        }
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HWND first = first_tab_stop(dialog);
    bool focus_first = SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) != 0;
    if (!is_window(dialog)) return -1;
    bool owner_was_enabled = probe_owner && IsWindowEnabled(probe_owner);
    if (owner_was_enabled) EnableWindow(probe_owner, FALSE);
    if (!state.done) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        first = first_tab_stop(dialog);
        if (focus_first && first) dialog_focus(first);
        report("\"ev\":\"dialog\"," + describe(dialog) + ",\"caption\":" + json_string(sjis_to_utf8(t.title)));
        run_modal(state.done, [dialog](MSG& m) { return is_window(dialog) && dialog_key(dialog, m); });
    }
    if (owner_was_enabled) EnableWindow(probe_owner, TRUE);
    if (is_window(dialog)) {
        ShowWindow(dialog, SW_HIDE);
        DestroyWindow(dialog);
    }
    INT_PTR result = state.done ? state.result : 0;
    report("\"ev\":\"dialog-end\",\"result\":" + std::to_string(result));
    return result;
}

extern "C" BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    if (!is_window(dialog) || !dialog->dialog) return FALSE;
    dialog->dialog->result = result;
    dialog->dialog->done = true;
    backend().wake();
    return TRUE;
}
