// MessageBoxA: a modal window of the layer's own, with the icon, the text and
// the buttons a Japanese system shows.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "platform/controls.h"
#include "platform/label.h"

namespace plat {

namespace {

struct Box_state {
    UINT type = 0;
    std::string text;
    int result = 0;
    bool done = false;
    std::vector<HWND> buttons;
};

Box_state* current = nullptr;

constexpr int kMargin = 12;
constexpr int kIcon = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

UINT icon_of(UINT type) { return type & 0xF0; }

void draw_icon(Pixmap& p, const Box& clip, int left, int top, UINT icon) {
    if (!icon) return;
    uint32_t disc = icon == MB_ICONHAND ? 0xD42A1A : icon == MB_ICONEXCLAMATION ? 0xF2C200 : 0x2A5BD8;
    for (int y = 0; y < kIcon; ++y)
        for (int x = 0; x < kIcon; ++x) {
            double dx = x - 15.5, dy = y - 15.5;
            double r = std::sqrt(dx * dx + dy * dy);
            if (r > 15.5) continue;
            fill_box(p, intersect(clip, Box{left + x, top + y, left + x + 1, top + y + 1}), r > 14.5 ? 0x404040 : disc);
        }
    const Font* font = font_for(FontRole::Caption, 24);
    const char* glyph = icon == MB_ICONHAND ? "X" : icon == MB_ICONQUESTION ? "?" : icon == MB_ICONEXCLAMATION ? "!" : "i";
    int w = text_width(font, glyph, 1);
    draw_text(p, clip, left + (kIcon - w) / 2, top + (kIcon - font_height(font)) / 2, font, glyph, 1,
              icon == MB_ICONEXCLAMATION ? 0 : 0xFFFFFF, false, 0);
}

void finish(int result) {
    if (!current || current->done) return;
    current->result = result;
    current->done = true;
}

// The answer the box gives when it is closed without a button: only boxes
// with a single OK button can be closed that way.
int close_answer(UINT type) { return (type & 0x0F) == MB_OK ? IDOK : (type & 0x0F) == MB_OKCANCEL ? IDCANCEL : 0; }

LRESULT CALLBACK MessageBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        if (Pixmap* p = dc_target(dc)) {
            Box all = client_box(w);
            fill_box(*p, intersect(all, dc->clip), kFace);
            if (current) {
                POINT o = client_origin(w);
                UINT icon = icon_of(current->type);
                draw_icon(*p, dc->clip, o.x + kMargin, o.y + kMargin, icon);
                Label label = make_label(current->text, font_for(FontRole::DialogUI));
                label.underline = -1;
                int left = o.x + kMargin + (icon ? kIcon + kMargin : 0);
                int lines = static_cast<int>(wrap_lines(label, 0).size());
                int height = lines * font_height(label.font);
                int top = o.y + kMargin + (icon && height < kIcon ? (kIcon - height) / 2 : 0);
                draw_label(*p, dc->clip, Box{left, top, all.right - kMargin, top + height}, label, 0, LabelWrapped);
            }
            note_window_change(w, dc->clip);
        }
        EndPaint(w, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_COMMAND: finish(LOWORD(wParam)); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE && current && close_answer(current->type)) finish(close_answer(current->type));
        return 0;
    default: return DefWindowProcA(w, message, wParam, lParam);
    }
}

// Keyboard of the box: Enter presses the focused (or default) button, Esc
// closes a box that can be closed, Tab and the arrows move between buttons,
// the mnemonic letters press their button.
bool box_key(const MSG& m, HWND box) {
    if (!current || !m.hwnd || top_level(m.hwnd) != box) return false;
    auto& buttons = current->buttons;
    auto focused = std::find(buttons.begin(), buttons.end(), focus_window);
    if (m.message == WM_KEYDOWN) {
        switch (m.wParam) {
        case VK_RETURN: finish((focused != buttons.end() ? *focused : buttons.front())->id); return true;
        case VK_ESCAPE:
            if (close_answer(current->type)) finish(close_answer(current->type));
            return true;
        case VK_TAB:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_LEFT:
        case VK_UP: {
            int n = static_cast<int>(buttons.size());
            int i = focused == buttons.end() ? 0 : static_cast<int>(focused - buttons.begin());
            int step = (m.wParam == VK_LEFT || m.wParam == VK_UP) ? n - 1 : 1;
            SetFocus(buttons[(i + step) % n]);
            return true;
        }
        default: return false;
        }
    }
    if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
        for (HWND b : buttons)
            if (make_label(b->text, nullptr).mnemonic == static_cast<char>(std::tolower(static_cast<int>(m.wParam)))) {
                finish(b->id);
                return true;
            }
        return m.message == WM_CHAR;
    }
    return false;
}

}  // namespace

void register_message_box_class() {
    WindowClass c;
    c.name = "MessageBoxWindow";
    c.proc = MessageBoxProc;
    c.builtin = true;
    c.cursor = LoadCursorA(nullptr, IDC_ARROW);
    register_class(c);
}

}  // namespace plat

using namespace plat;

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    Box_state state;
    state.type = type;
    state.text = text ? text : "";
    std::string title = caption ? caption : utf8_to_sjis("エラー");
    report("\"ev\":\"msgbox\",\"owner\":" + std::to_string(owner ? owner->serial : 0) + ",\"caption\":" +
           json_string(sjis_to_utf8(title)) + ",\"text\":" + json_string(sjis_to_utf8(state.text)) +
           ",\"type\":" + std::to_string(type));

    std::vector<std::pair<int, const char*>> labels;
    switch (type & 0x0F) {
    case MB_YESNO: labels = {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}}; break;
    case MB_OKCANCEL: labels = {{IDOK, "OK"}, {IDCANCEL, "キャンセル"}}; break;
    default: labels = {{IDOK, "OK"}}; break;
    }
    // The layer's own texts are UTF-8; the windows hold Shift_JIS.
    const Font* font = font_for(FontRole::DialogUI);
    Label label = make_label(state.text, font);
    int text_width_px = 0;
    auto lines = wrap_lines(label, 0);
    for (auto& l : lines) text_width_px = std::max(text_width_px, plat::text_width(font, l.data(), static_cast<int>(l.size())));
    int text_height = static_cast<int>(lines.size()) * font_height(font);
    bool icon = icon_of(type) != 0;
    int body_width = kMargin + (icon ? kIcon + kMargin : 0) + text_width_px + kMargin;
    int buttons_width = static_cast<int>(labels.size()) * (kButtonWidth + kButtonGap) - kButtonGap + 2 * kMargin;
    std::string title_utf8 = sjis_to_utf8(title);
    int caption_width = plat::text_width(font_for(FontRole::Caption), title.data(), static_cast<int>(title.size())) + 60;
    int client_w = std::max({body_width, buttons_width, caption_width, 120});
    int body_height = std::max(text_height, icon ? kIcon : 0);
    int client_h = kMargin + body_height + kMargin + kButtonHeight + kMargin;
    int width = client_w + 2 * kFrame, height = client_h + 2 * kFrame + kCaption;
    int x = (backend().screen_width() - width) / 2, y = (backend().screen_height() - height) / 2;

    HWND box = CreateWindowExA(owner ? 0 : WS_EX_TOPMOST, "MessageBoxWindow", title.c_str(),
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, owner, nullptr, nullptr,
                               nullptr);
    if (!box) return 0;
    Box_state* outer = current;
    current = &state;
    int bx = (client_w - (static_cast<int>(labels.size()) * (kButtonWidth + kButtonGap) - kButtonGap)) / 2;
    int by = kMargin + body_height + kMargin;
    for (size_t i = 0; i < labels.size(); ++i) {
        std::string sjis = utf8_to_sjis(labels[i].second);
        HWND b = CreateWindowExA(0, "Button", sjis.c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                 bx + static_cast<int>(i) * (kButtonWidth + kButtonGap), by, kButtonWidth,
                                 kButtonHeight, box, reinterpret_cast<HMENU>(static_cast<intptr_t>(labels[i].first)),
                                 nullptr, nullptr);
        SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        state.buttons.push_back(b);
    }
    bool owner_was_enabled = owner && IsWindowEnabled(owner);
    if (owner_was_enabled) EnableWindow(owner, FALSE);
    ShowWindow(box, SW_SHOWNORMAL);
    SetFocus(state.buttons.front());
    run_modal(state.done, [box](MSG& m) { return box_key(m, box); });
    if (owner_was_enabled) EnableWindow(owner, TRUE);
    current = outer;
    DestroyWindow(box);
    report("\"ev\":\"msgbox-answer\",\"caption\":" + json_string(title_utf8) + ",\"answer\":" +
           std::to_string(state.result));
    return state.result;
}
