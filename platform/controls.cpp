// The system's "Button" and "Static" controls and the frames of captioned windows.
#include "platform/controls.h"

#include <algorithm>

#include "platform/label.h"

namespace plat {

namespace {

struct ButtonState : ControlState {
    bool pressed = false;   // the mouse went down on it and is still over it
    bool tracking = false;  // the mouse went down on it and is not yet released
};

ButtonState* state(HWND w) { return static_cast<ButtonState*>(w->control.get()); }

const Font* control_font(HWND w) {
    if (w->font && w->font->kind == GdiKind::Font) {
        if (!w->font->font) {
            HDC dc = GetDC(w);
            SelectObject(dc, w->font);
            SIZE unused;
            GetTextExtentPoint32A(dc, "", 0, &unused);  // resolves the stock font
            ReleaseDC(w, dc);
        }
        if (w->font->font) return w->font->font;
    }
    return font_for(FontRole::System);
}

bool is_default_button(HWND w) { return (w->style & 0x0F) == BS_DEFPUSHBUTTON; }

void click(HWND w) {
    HWND parent = w->parent;
    if (parent) SendMessageA(parent, WM_COMMAND, MAKEWPARAM(w->id, BN_CLICKED), reinterpret_cast<LPARAM>(w));
}

void paint_button(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Pixmap* target = dc_target(dc);
    if (target) {
        Box clip = dc->clip;
        Box all = client_box(w);
        Box inner{all.left + 1, all.top + 1, all.right - 1, all.bottom - 1};
        uint32_t border = w->enabled ? 0x003C74 : 0xC9C7BA;
        uint32_t face = !w->enabled ? 0xF5F4EA : state(w) && state(w)->pressed ? 0xE2E1DA : 0xFBFBF8;
        fill_box(*target, intersect(all, clip), border);
        fill_box(*target, intersect(inner, clip), face);
        // The system's buttons are a little darker towards the bottom.
        fill_box(*target, intersect(Box{inner.left, inner.bottom - 2, inner.right, inner.bottom}, clip), 0xD6D0C5);
        if (w->enabled && (is_default_button(w) || focus_window == w)) {
            Box ring{inner.left, inner.top, inner.right, inner.top + 1};
            fill_box(*target, intersect(ring, clip), 0x7A9BE6);
            fill_box(*target, intersect(Box{inner.left, inner.bottom - 1, inner.right, inner.bottom}, clip), 0x7A9BE6);
            fill_box(*target, intersect(Box{inner.left, inner.top, inner.left + 1, inner.bottom}, clip), 0x7A9BE6);
            fill_box(*target, intersect(Box{inner.right - 1, inner.top, inner.right, inner.bottom}, clip), 0x7A9BE6);
        }
        Label label = make_label(w->text, control_font(w));
        int offset = state(w) && state(w)->pressed ? 1 : 0;
        Box area{all.left + offset, all.top + offset, all.right + offset, all.bottom + offset};
        draw_label(*target, clip, area, label, w->enabled ? 0x000000 : 0xA19F8A, LabelCentred);
        if (focus_window == w) {
            Box f{inner.left + 2, inner.top + 2, inner.right - 2, inner.bottom - 2};
            for (int x = f.left; x < f.right; x += 2) {
                fill_box(*target, intersect(Box{x, f.top, x + 1, f.top + 1}, clip), 0);
                fill_box(*target, intersect(Box{x, f.bottom - 1, x + 1, f.bottom}, clip), 0);
            }
            for (int y = f.top; y < f.bottom; y += 2) {
                fill_box(*target, intersect(Box{f.left, y, f.left + 1, y + 1}, clip), 0);
                fill_box(*target, intersect(Box{f.right - 1, y, f.right, y + 1}, clip), 0);
            }
        }
        note_window_change(w, clip);
    }
    EndPaint(w, &ps);
}

bool inside(HWND w, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    Box c = client_box(w);
    return x >= 0 && y >= 0 && x < c.width() && y < c.height();
}

LRESULT CALLBACK ButtonProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: w->control = std::make_unique<ButtonState>(); return 0;
    case WM_PAINT: paint_button(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
        set_capture(w);
        state(w)->tracking = true;
        state(w)->pressed = true;
        if (focus_window != w) SetFocus(w);
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (state(w)->tracking && state(w)->pressed != inside(w, lParam)) {
            state(w)->pressed = inside(w, lParam);
            InvalidateRect(w, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!state(w)->tracking) return 0;
        bool clicked = inside(w, lParam);
        set_capture(nullptr);
        state(w)->tracking = false;
        state(w)->pressed = false;
        InvalidateRect(w, nullptr, FALSE);
        if (clicked) click(w);
        return 0;
    }
    case WM_KEYUP:
        if (wParam == VK_SPACE) click(w);
        return 0;
    case BM_CLICK: click(w); return 0;
    case 0x00F4:  // BM_SETSTYLE
        w->style = (w->style & ~0xFFFFu) | LOWORD(wParam);
        if (lParam) InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE: return is_default_button(w) ? 0x2010 : 0x2020;  // DLGC_BUTTON | (UN)DEFPUSHBUTTON
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(w, message, wParam, lParam);
        InvalidateRect(w, nullptr, FALSE);
        return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(w, nullptr, FALSE); return 0;
    default: return DefWindowProcA(w, message, wParam, lParam);
    }
}

LRESULT CALLBACK StaticProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        if (Pixmap* target = dc_target(dc)) {
            Box all = client_box(w);
            fill_box(*target, intersect(all, dc->clip), kFace);
            draw_label(*target, dc->clip, all, make_label(w->text, control_font(w)), 0x000000, LabelWrapped);
            note_window_change(w, dc->clip);
        }
        EndPaint(w, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return 0x0100;  // DLGC_STATIC
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(w, message, wParam, lParam);
        InvalidateRect(w, nullptr, TRUE);
        return r;
    }
    default: return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

void register_builtin_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    WindowClass button;
    button.name = "Button";
    button.style = CS_HREDRAW | CS_VREDRAW;
    button.proc = ButtonProc;
    button.builtin = true;
    register_class(button);
    WindowClass label;
    label.name = "Static";
    label.proc = StaticProc;
    label.builtin = true;
    register_class(label);
    register_message_box_class();
    register_edit_class();
    register_dialog_class();
}

Box close_box(HWND w) {
    if ((w->style & WS_CAPTION) != WS_CAPTION || !(w->style & WS_SYSMENU)) return Box{};
    int width = w->rect.right - w->rect.left;
    return Box{width - kFrame - 2 - 17, kFrame + 2, width - kFrame - 2, kFrame + 2 + 15};
}

void draw_frame(HWND w, Pixmap& p, bool active) {
    Box all{0, 0, p.width, p.height};
    if ((w->style & WS_CAPTION) != WS_CAPTION) {
        // A thin border: one black pixel all round.
        fill_box(p, Box{0, 0, p.width, 1}, 0);
        fill_box(p, Box{0, p.height - 1, p.width, p.height}, 0);
        fill_box(p, Box{0, 0, 1, p.height}, 0);
        fill_box(p, Box{p.width - 1, 0, p.width, p.height}, 0);
        return;
    }
    uint32_t caption = active ? 0x0054E3 : 0x7A96DF;
    fill_box(p, Box{0, 0, p.width, kFrame + kCaption}, caption);
    fill_box(p, Box{0, 0, kFrame, p.height}, caption);
    fill_box(p, Box{p.width - kFrame, 0, p.width, p.height}, caption);
    fill_box(p, Box{0, p.height - kFrame, p.width, p.height}, caption);
    fill_box(p, Box{0, 0, p.width, 1}, 0x003C74);
    fill_box(p, Box{0, p.height - 1, p.width, p.height}, 0x001C54);
    fill_box(p, Box{0, 0, 1, p.height}, 0x003C74);
    fill_box(p, Box{p.width - 1, 0, p.width, p.height}, 0x001C54);
    const Font* font = font_for(FontRole::Caption);
    Box close = close_box(w);
    Box text_clip{kFrame + 4, kFrame, close.empty() ? p.width - kFrame : close.left - 2, kFrame + kCaption};
    int y = kFrame + (kCaption - font_height(font)) / 2;
    draw_text(p, intersect(text_clip, all), kFrame + 5, y, font, w->text.data(), static_cast<int>(w->text.size()),
              0xFFFFFF, false, 0);
    if (!close.empty()) {
        bool enabled = !(w->cls->style & CS_NOCLOSE);
        fill_box(p, close, 0xFFFFFF);
        fill_box(p, Box{close.left + 1, close.top + 1, close.right - 1, close.bottom - 1},
                 enabled ? 0xE0442B : 0xC8A69E);
        // The cross, two diagonal strokes two pixels wide.
        int size = std::min(close.width(), close.height()) - 8;
        int cx = close.left + (close.width() - size) / 2, cy = close.top + (close.height() - size) / 2;
        for (int i = 0; i < size; ++i) {
            fill_box(p, Box{cx + i, cy + i, cx + i + 2, cy + i + 1}, 0xFFFFFF);
            fill_box(p, Box{cx + size - 1 - i, cy + i, cx + size + 1 - i, cy + i + 1}, 0xFFFFFF);
        }
    }
}

}  // namespace plat
