// The system's single-line "Edit" control: Shift_JIS text with a caret and a
// selection, double-byte characters kept whole, horizontal scrolling.
#include <algorithm>
#include <cstring>

#include "platform/controls.h"
#include "platform/internal.h"

namespace plat {

namespace {

constexpr uint32_t kSelection = 0x0A246A;
constexpr int kMargin = 2;  // between the field's inner edge and the text

struct EditState : ControlState {
    int anchor = 0, caret = 0;  // byte offsets; the selection lies between them
    int scroll = 0;             // pixels of text scrolled out on the left
    int lead = -1;              // a lead byte waiting for its trail byte
    bool shift = false;
    bool dragging = false;
};

EditState* state(HWND w) { return static_cast<EditState*>(w->control.get()); }

bool is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

int char_len(const std::string& s, int at) {
    return is_lead(static_cast<unsigned char>(s[at])) && at + 1 < static_cast<int>(s.size()) ? 2 : 1;
}

// The character boundary before `at`: found from the start, as lead and trail bytes overlap.
int prev_boundary(const std::string& s, int at) {
    int p = 0, last = 0;
    while (p < at) {
        last = p;
        p += char_len(s, p);
    }
    return last;
}

int next_boundary(const std::string& s, int at) {
    return at >= static_cast<int>(s.size()) ? at : at + char_len(s, at);
}

const Font* edit_font(HWND w) {
    if (w->font && w->font->kind == GdiKind::Font && w->font->font) return w->font->font;
    return font_for(FontRole::System);
}

// The text area in client coordinates: inside the sunken field's inner edge.
Box text_area(HWND w) {
    Box c = client_box(w);
    int inset = (w->style & WS_BORDER) ? 1 : 0;
    return Box{inset + kMargin, inset, c.width() - inset - kMargin, c.height() - inset};
}

int x_of(HWND w, int offset) { return text_width(edit_font(w), w->text.data(), offset); }

void keep_caret_visible(HWND w) {
    EditState* s = state(w);
    int width = std::max(1, text_area(w).width());
    int x = x_of(w, s->caret);
    if (x - s->scroll < 0) s->scroll = x;
    else if (x - s->scroll > width - 1) s->scroll = x - width + 1;
    if (!(w->style & ES_AUTOHSCROLL)) s->scroll = 0;
}

void notify_change(HWND w) {
    if (w->parent) SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(w->id, EN_CHANGE), reinterpret_cast<LPARAM>(w));
}

void changed_view(HWND w) {
    keep_caret_visible(w);
    InvalidateRect(w, nullptr, FALSE);
}

int offset_at(HWND w, int client_x) {
    EditState* s = state(w);
    int x = client_x - text_area(w).left + s->scroll;
    const std::string& t = w->text;
    int p = 0;
    while (p < static_cast<int>(t.size())) {
        int n = next_boundary(t, p);
        if (x < (x_of(w, p) + x_of(w, n)) / 2) return p;
        p = n;
    }
    return p;
}

void replace_selection(HWND w, const std::string& with) {
    EditState* s = state(w);
    int a = std::min(s->anchor, s->caret), b = std::max(s->anchor, s->caret);
    if (a == b && with.empty()) return;
    w->text.replace(a, b - a, with);
    s->anchor = s->caret = a + static_cast<int>(with.size());
    changed_view(w);
    notify_change(w);
}

void move_caret(HWND w, int to) {
    EditState* s = state(w);
    s->caret = to;
    if (!s->shift) s->anchor = to;
    changed_view(w);
}

// Where input methods show their composition: the caret, on the window's surface.
void report_caret(HWND w) {
    if (focus_window != w) return;
    EditState* s = state(w);
    POINT o = screen_origin(w);
    Box area = text_area(w);
    POINT c = client_origin(w);
    int x = o.x + c.x + area.left + x_of(w, s->caret) - s->scroll;
    int y = o.y + c.y + area.top;
    int surface = 0;
    if (!backend().single_screen()) {
        HWND root = top_level(w);
        while (root->owner && root->surface < 0) root = root->owner;
        surface = root->surface;
        x -= root->rect.left;
        y -= root->rect.top;
    }
    Box caret{x, y, x + 1, y + font_height(edit_font(w))};
    backend().text_input(surface, &caret);
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Pixmap* target = dc_target(dc);
    if (target) {
        EditState* s = state(w);
        POINT org{dc->origin_x, dc->origin_y};  // client (0, 0) in the backing store
        Box clip = dc->clip;
        Box c = client_box(w);
        Box all{org.x, org.y, org.x + c.width(), org.y + c.height()};
        uint32_t back = w->enabled ? 0xFFFFFF : kFace;
        fill_box(*target, intersect(all, clip), back);
        if (w->style & WS_BORDER) {
            // A sunken field: the outer edge in the frame, the inner one inside the client area.
            Pixmap& p = w->backing;
            Box outer{0, 0, p.width, p.height};
            fill_box(p, Box{0, 0, outer.right, 1}, kShadow);
            fill_box(p, Box{0, 0, 1, outer.bottom}, kShadow);
            fill_box(p, Box{0, outer.bottom - 1, outer.right, outer.bottom}, kHighlight);
            fill_box(p, Box{outer.right - 1, 0, outer.right, outer.bottom}, kHighlight);
            fill_box(*target, intersect(Box{all.left, all.top, all.right, all.top + 1}, clip), kDarkShadow);
            fill_box(*target, intersect(Box{all.left, all.top, all.left + 1, all.bottom}, clip), kDarkShadow);
            fill_box(*target, intersect(Box{all.left, all.bottom - 1, all.right, all.bottom}, clip), kFace);
            fill_box(*target, intersect(Box{all.right - 1, all.top, all.right, all.bottom}, clip), kFace);
            note_window_change(w, outer);
        }
        const Font* font = edit_font(w);
        Box area = text_area(w);
        Box text_clip = intersect(clip, Box{org.x + area.left, org.y + area.top, org.x + area.right, org.y + area.bottom});
        int top = org.y + area.top + std::max(0, (area.height() - font_height(font)) / 2);
        int left = org.x + area.left - s->scroll;
        const std::string& t = w->text;
        int a = std::min(s->anchor, s->caret), b = std::max(s->anchor, s->caret);
        bool focused = focus_window == w;
        uint32_t fg = w->enabled ? 0x000000 : 0xA19F8A;
        // Unselected parts, then the selection in white on dark blue (shown while focused).
        if (!focused || a == b) {
            draw_text(*target, text_clip, left, top, font, t.data(), static_cast<int>(t.size()), fg, false, 0);
        } else {
            draw_text(*target, text_clip, left, top, font, t.data(), a, fg, false, 0);
            int xa = left + x_of(w, a), xb = left + x_of(w, b);
            draw_text(*target, text_clip, xa, top, font, t.data() + a, b - a, 0xFFFFFF, true, kSelection);
            draw_text(*target, text_clip, xb, top, font, t.data() + b, static_cast<int>(t.size()) - b, fg, false, 0);
        }
        if (focused) {
            int x = left + x_of(w, s->caret);
            fill_box(*target, intersect(text_clip, Box{x, top, x + 1, top + font_height(font)}), 0x000000);
        }
        note_window_change(w, clip);
    }
    EndPaint(w, &ps);
    report_caret(w);
}

void key(HWND w, WPARAM vk) {
    EditState* s = state(w);
    const std::string& t = w->text;
    int a = std::min(s->anchor, s->caret), b = std::max(s->anchor, s->caret);
    switch (vk) {
    case VK_SHIFT: s->shift = true; break;
    case VK_LEFT:
        if (a != b && !s->shift) move_caret(w, a);
        else move_caret(w, prev_boundary(t, s->caret));
        break;
    case VK_RIGHT:
        if (a != b && !s->shift) move_caret(w, b);
        else move_caret(w, next_boundary(t, s->caret));
        break;
    case VK_HOME: move_caret(w, 0); break;
    case VK_END: move_caret(w, static_cast<int>(t.size())); break;
    case VK_DELETE:
        if (a == b) {
            if (b >= static_cast<int>(t.size())) break;
            s->anchor = a, s->caret = next_boundary(t, a);
        }
        replace_selection(w, std::string());
        break;
    default: break;
    }
}

void character(HWND w, unsigned char c) {
    EditState* s = state(w);
    if (s->lead >= 0) {
        std::string pair{static_cast<char>(s->lead), static_cast<char>(c)};
        s->lead = -1;
        replace_selection(w, pair);
        return;
    }
    if (c == 8) {  // Backspace
        int a = std::min(s->anchor, s->caret), b = std::max(s->anchor, s->caret);
        if (a == b) {
            if (a == 0) return;
            s->anchor = prev_boundary(w->text, a), s->caret = a;
        }
        replace_selection(w, std::string());
        return;
    }
    if (is_lead(c)) {
        s->lead = c;
        return;
    }
    if (c < 0x20 || c == 0x7F) return;  // Enter, Esc, Tab and other controls are not text
    replace_selection(w, std::string(1, static_cast<char>(c)));
}

LRESULT CALLBACK EditProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        w->control = std::make_unique<EditState>();
        return 0;
    case WM_PAINT: paint(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return 0x0001 | 0x0008 | 0x0080;  // DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS
    case WM_SETFOCUS:
        InvalidateRect(w, nullptr, FALSE);
        report_caret(w);
        return 0;
    case WM_KILLFOCUS: {
        state(w)->shift = false;
        state(w)->lead = -1;
        int surface = top_level(w)->surface;
        backend().text_input(surface < 0 ? 0 : surface, nullptr);
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    }
    case WM_ENABLE: InvalidateRect(w, nullptr, FALSE); return 0;
    case WM_KEYDOWN: key(w, wParam); return 0;
    case WM_KEYUP:
        if (wParam == VK_SHIFT) state(w)->shift = false;
        return 0;
    case WM_CHAR: character(w, static_cast<unsigned char>(wParam)); return 0;
    case WM_LBUTTONDOWN: {
        EditState* s = state(w);
        if (focus_window != w) SetFocus(w);
        int at = offset_at(w, static_cast<short>(LOWORD(lParam)));
        s->caret = at;
        if (!s->shift) s->anchor = at;
        s->dragging = true;
        set_capture(w);
        changed_view(w);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (state(w)->dragging) {
            int at = offset_at(w, static_cast<short>(LOWORD(lParam)));
            if (at != state(w)->caret) {
                state(w)->caret = at;
                changed_view(w);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (state(w)->dragging) {
            state(w)->dragging = false;
            set_capture(nullptr);
        }
        return 0;
    case EM_SETSEL: {
        // (0, -1) selects everything; (-1, any) removes the selection; the caret goes to the end.
        EditState* s = state(w);
        int size = static_cast<int>(w->text.size());
        int from = static_cast<int>(wParam), to = static_cast<int>(lParam);
        if (from < 0) {
            s->anchor = s->caret;
        } else {
            if (to < 0 || to > size) to = size;
            from = std::min(from, size);
            s->anchor = from, s->caret = to;
        }
        changed_view(w);
        return 0;
    }
    case WM_SETTEXT: {
        EditState* s = state(w);
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        s->anchor = s->caret = 0;
        s->scroll = 0;
        s->lead = -1;
        InvalidateRect(w, nullptr, FALSE);
        notify_change(w);
        return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: return DefWindowProcA(w, message, wParam, lParam);
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wParam);
        if (lParam) InvalidateRect(w, nullptr, FALSE);
        return 0;
    default: return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

void register_edit_class() {
    WindowClass c;
    c.name = "Edit";
    c.proc = EditProc;
    c.builtin = true;
    c.cursor = reinterpret_cast<HCURSOR>(static_cast<intptr_t>(CursorIBeam));
    register_class(c);
}

}  // namespace plat
