// Window classes and windows: creation, destruction, z-order, visibility,
// geometry, styles, text, focus and activation.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/controls.h"
#include "platform/internal.h"
#include "platform/ipc.h"
#include "platform/label.h"

namespace plat {

HWND active_window = nullptr;
HWND focus_window = nullptr;

namespace {

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};
std::map<std::string, WindowClass, CaseLess> classes;
ATOM next_atom = 0xC000;
uint64_t next_serial = 1;
std::vector<HWND> all_windows;  // every window ever created, in creation order
std::vector<HWND> zlist;        // top-level windows, bottom to top

WindowClass* find_class(const char* name) {
    register_builtin_classes();
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    auto it = classes.find(name);
    return it == classes.end() ? nullptr : &it->second;
}

bool in_topmost_band(HWND w) {
    for (HWND o = w; o; o = o->owner)
        if (o->ex_style & WS_EX_TOPMOST) return true;
    return false;
}

void erase_from(std::vector<HWND>& list, HWND w) { list.erase(std::remove(list.begin(), list.end(), w), list.end()); }

// Screen rectangle of a window, children included through their parents.
Box screen_box(HWND w) {
    POINT o = screen_origin(w);
    return Box{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
}

void report_window(const char* ev, HWND w, const std::string& extra = std::string()) {
    report(std::string("\"ev\":\"") + ev + "\"," + describe(w) + extra);
}

std::string rect_fields(HWND w) {
    return ",\"x\":" + std::to_string(w->rect.left) + ",\"y\":" + std::to_string(w->rect.top) +
           ",\"w\":" + std::to_string(w->rect.right - w->rect.left) +
           ",\"h\":" + std::to_string(w->rect.bottom - w->rect.top);
}

void resize_backing(HWND w, int width, int height) {
    Pixmap old = std::move(w->backing);
    w->backing.resize(width, height, 0);
    // What stays inside the new size keeps its pixels, as the system keeps the window's bits.
    for (int y = 0; y < std::min(height, old.height); ++y)
        std::memcpy(w->backing.row(y), old.row(y), sizeof(uint32_t) * std::min(width, old.width));
}

void activate(HWND w) {
    w = top_level(w);
    if (w == active_window) return;
    HWND previous = active_window;
    active_window = w;
    if (previous && is_window(previous)) {
        SendMessageA(previous, WM_ACTIVATE, 0, reinterpret_cast<LPARAM>(w));
        paint_frame(previous);
    }
    for (HWND o = w->owner; o; o = o->owner) o->last_active_popup = w;
    SendMessageA(w, WM_ACTIVATE, 1, reinterpret_cast<LPARAM>(previous));
    paint_frame(w);
    if (!focus_window || top_level(focus_window) != w) SetFocus(w);
}

// After hiding or destroying the active window, the owner (or the topmost
// remaining window) becomes active, as the system does.
void activate_next(HWND gone) {
    if (active_window != gone) return;
    active_window = nullptr;
    if (focus_window && top_level(focus_window) == gone) focus_window = nullptr;
    HWND next = nullptr;
    if (gone->owner && is_window(gone->owner) && gone->owner->visible) next = gone->owner;
    for (auto it = zlist.rbegin(); !next && it != zlist.rend(); ++it)
        if ((*it)->visible && *it != gone && (*it)->enabled) next = *it;
    if (next) activate(next);
}

}  // namespace

bool is_window(HWND w) {
    return w && std::find(all_windows.begin(), all_windows.end(), w) != all_windows.end() && !w->destroyed;
}

HWND top_level(HWND w) {
    while (w && (w->style & WS_CHILD) && w->parent) w = w->parent;
    return w;
}

bool really_visible(HWND w) {
    for (; w; w = (w->style & WS_CHILD) ? w->parent : nullptr)
        if (!w->visible || w->iconic) return false;
    return true;
}

POINT client_origin(HWND w) {
    if ((w->style & WS_CAPTION) == WS_CAPTION) return POINT{kFrame, kFrame + kCaption};
    if (w->style & WS_DLGFRAME) return POINT{kFrame, kFrame};
    if (w->style & WS_BORDER) return POINT{1, 1};
    return POINT{0, 0};
}

Box client_box(HWND w) {
    POINT o = client_origin(w);
    int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    Box b{o.x, o.y, width - o.x, height - o.x};
    if (b.right < b.left) b.right = b.left;
    if (b.bottom < b.top) b.bottom = b.top;
    return b;
}

POINT screen_origin(HWND w) {
    if ((w->style & WS_CHILD) && w->parent) {
        POINT p = screen_origin(w->parent);
        POINT c = client_origin(w->parent);
        return POINT{p.x + c.x + w->rect.left, p.y + c.y + w->rect.top};
    }
    return POINT{w->rect.left, w->rect.top};
}

const std::vector<HWND>& z_order() { return zlist; }

void bring_to_top(HWND w) {
    w = top_level(w);
    auto pos = std::find(zlist.begin(), zlist.end(), w);
    if (pos == zlist.end()) return;
    zlist.erase(pos);
    // Top of its band: non-topmost windows stay below every topmost one.
    auto at = zlist.end();
    if (!w->topmost_band)
        at = std::find_if(zlist.begin(), zlist.end(), [](HWND o) { return o->topmost_band; });
    zlist.insert(at, w);
    // Owned windows stay above their owner.
    std::vector<HWND> owned;
    for (HWND o : zlist)
        if (o->owner == w) owned.push_back(o);
    for (HWND o : owned) bring_to_top(o);
    mark_dirty(w);
}

static HWND hit(HWND w, int x, int y) {
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        HWND c = *it;
        if (!c->visible) continue;
        Box b = screen_box(c);
        if (x >= b.left && x < b.right && y >= b.top && y < b.bottom) return hit(c, x, y);
    }
    return w;
}

HWND window_at(int x, int y) {
    for (auto it = zlist.rbegin(); it != zlist.rend(); ++it) {
        HWND w = *it;
        if (!w->visible || w->iconic || ((w->ex_style & WS_EX_LAYERED) && !w->alpha_set)) continue;
        Box b = screen_box(w);
        if (x < b.left || x >= b.right || y < b.top || y >= b.bottom) continue;
        if (w->has_region) {
            int lx = x - b.left, ly = y - b.top;
            if (lx < w->region.left || lx >= w->region.right || ly < w->region.top || ly >= w->region.bottom) continue;
        }
        return hit(w, x, y);
    }
    return nullptr;
}

void mark_dirty(HWND w) {
    if (!w || w->remote) return;
    HWND top = top_level(w);
    if (!really_visible(w)) return;
    note_screen_change(screen_box(top));
}

void note_window_change(HWND w, const Box& box) {
    if (box.empty() || !is_window(w) || !really_visible(w)) return;
    POINT o = screen_origin(w);
    note_screen_change(Box{box.left + o.x, box.top + o.y, box.right + o.x, box.bottom + o.y});
}

std::string class_name(HWND w) { return w && w->cls ? w->cls->name : std::string(); }

std::string describe(HWND w) {
    if (!w) return "\"hwnd\":0";
    return "\"hwnd\":" + std::to_string(w->serial) + ",\"class\":" + json_string(class_name(w));
}

void register_class(const WindowClass& wc) { classes[wc.name] = wc; }

// A control's text as a user reads it: without "&" marks, and for the
// system's "はい(&Y)" style labels also without the "(Y)".
static bool text_matches(const std::string& sjis, const std::string& wanted_utf8) {
    std::string plain = make_label(sjis, nullptr).text;
    std::string utf8 = sjis_to_utf8(plain);
    if (utf8 == wanted_utf8) return true;
    size_t paren = utf8.rfind('(');
    return paren != std::string::npos && paren > 0 && utf8.back() == ')' && utf8.substr(0, paren) == wanted_utf8;
}

static HWND find_visible_text(HWND w, const std::string& text) {
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        if ((*it)->visible)
            if (HWND found = find_visible_text(*it, text)) return found;
    return (w->style & WS_CHILD) && text_matches(w->text, text) ? w : nullptr;
}

bool find_control(const std::string& text_utf8, int& x, int& y) {
    for (auto it = zlist.rbegin(); it != zlist.rend(); ++it) {
        if (!(*it)->visible || (*it)->iconic) continue;
        if (HWND c = find_visible_text(*it, text_utf8)) {
            Box b = screen_box(c);
            x = (b.left + b.right) / 2;
            y = (b.top + b.bottom) / 2;
            return true;
        }
    }
    return false;
}

void paint_frame(HWND w) {
    if (!(w->style & (WS_BORDER | WS_DLGFRAME))) return;
    Pixmap& p = w->backing;
    if (p.width == 0 || p.height == 0) return;
    draw_frame(w, p, w == active_window);
    mark_dirty(w);
}

}  // namespace plat

using namespace plat;

extern "C" {

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
        SetLastError(87);  // ERROR_INVALID_PARAMETER
        return 0;
    }
    if (backend().refuse_class(wc->lpszClassName) || find_class(wc->lpszClassName)) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    WindowClass c;
    c.name = wc->lpszClassName;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.instance = wc->hInstance;
    c.icon = wc->hIcon;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    register_class(c);
    return next_atom++;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    WindowClass* cls = find_class(className);
    if (!cls) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    if ((style & WS_CHILD) && !is_window(parent)) {
        SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    if (backend().refuse_window(cls->name.c_str())) {
        SetLastError(8);  // ERROR_NOT_ENOUGH_MEMORY
        return nullptr;
    }
    HWND w = new HWND__;
    w->serial = next_serial++;
    w->cls = cls;
    w->proc = cls->proc;
    w->style = style & ~WS_VISIBLE;
    w->ex_style = exStyle;
    w->instance = instance;
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->backing.resize(std::max(width, 0), std::max(height, 0), 0);
    all_windows.push_back(w);
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = static_cast<int>(reinterpret_cast<intptr_t>(menu));
        parent->children.push_back(w);
    } else {
        w->owner = parent ? top_level(parent) : nullptr;
        w->topmost_band = in_topmost_band(w);
        zlist.push_back(w);
        ipc_listen();
        bring_to_top(w);
    }
    report_window("create", w, ",\"title\":" + json_string(sjis_to_utf8(title ? title : "")) + rect_fields(w));

    CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), title,
                     className, exStyle};
    if (!SendMessageA(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        SendMessageA(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(w);
        SetLastError(1400);
        return nullptr;
    }
    if (!is_window(w)) return nullptr;
    paint_frame(w);
    if (style & WS_VISIBLE) ShowWindow(w, SW_SHOW);
    return w;
}

BOOL WINAPI DestroyWindow(HWND w) {
    if (!is_window(w)) return FALSE;
    if (w->remote) return FALSE;
    for (HWND o : std::vector<HWND>(zlist))
        if (o->owner == w) DestroyWindow(o);
    bool was_visible = really_visible(w);
    if (was_visible) mark_dirty(w);
    w->visible = false;
    SendMessageA(w, WM_DESTROY, 0, 0);
    for (HWND c : std::vector<HWND>(w->children)) DestroyWindow(c);
    SendMessageA(w, WM_NCDESTROY, 0, 0);
    w->destroyed = true;
    remove_messages_for(w);
    if (w->parent) erase_from(w->parent->children, w);
    erase_from(zlist, w);
    forget_surface(w);
    if (focus_window == w) focus_window = nullptr;
    activate_next(w);
    report_window("destroy", w);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND w, int command) {
    if (!w) return FALSE;
    if (w->remote) return ipc_call(w, IpcShowWindow, command);
    if (!is_window(w)) return FALSE;
    BOOL was_visible = w->visible;
    bool top = !(w->style & WS_CHILD);
    if (command == SW_HIDE) {
        if (!was_visible) return FALSE;
        mark_dirty(w);
        w->visible = false;
        SendMessageA(w, WM_SHOWWINDOW, FALSE, 0);
        report_window("hide", w);
        if (top) activate_next(w);
        else if (focus_window == w) focus_window = nullptr;
        return was_visible;
    }
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        mark_dirty(w);
        w->iconic = true;
    } else if (command == SW_RESTORE) {
        w->iconic = false;
    } else if (command == SW_SHOWMAXIMIZED && top) {
        // Maximised, a bordered window's frame lies just outside the screen.
        POINT o = client_origin(w);
        int sw = backend().screen_width(), sh = backend().screen_height();
        if (w->rect.left != -o.x || w->rect.top != -o.y || w->rect.right != sw + o.x || w->rect.bottom != sh + o.y)
            MoveWindow(w, -o.x, -o.y, sw + 2 * o.x, sh + 2 * o.y, TRUE);
    }
    if (!was_visible) {
        w->visible = true;
        SendMessageA(w, WM_SHOWWINDOW, TRUE, 0);
        InvalidateRect(w, nullptr, TRUE);
        paint_frame(w);
        report_window("show", w, rect_fields(w));
    }
    if (top && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && command != SW_MINIMIZE &&
        command != SW_SHOWMINIMIZED) {
        bring_to_top(w);
        if (w->enabled) activate(w);
    }
    mark_dirty(w);
    return was_visible;
}

BOOL WINAPI UpdateWindow(HWND w) {
    if (!is_window(w) || w->remote) return FALSE;
    if (w->has_update && really_visible(w)) SendMessageA(w, WM_PAINT, 0, 0);
    for (HWND c : std::vector<HWND>(w->children)) UpdateWindow(c);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND w, int x, int y, int width, int height, BOOL repaint) {
    if (!is_window(w) || w->remote) return FALSE;
    width = std::max(width, 0);
    height = std::max(height, 0);
    bool sized = width != w->rect.right - w->rect.left || height != w->rect.bottom - w->rect.top;
    bool moved = x != w->rect.left || y != w->rect.top;
    if (!sized && !moved) return TRUE;
    mark_dirty(w);
    w->rect = RECT{x, y, x + width, y + height};
    if (sized) {
        resize_backing(w, width, height);
        paint_frame(w);
    }
    mark_dirty(w);
    if (moved) SendMessageA(w, WM_MOVE, 0, MAKELPARAM(x, y));
    if (sized) {
        Box c = client_box(w);
        SendMessageA(w, WM_SIZE, 0, MAKELPARAM(c.width(), c.height()));
        // Classes that redraw on resizing get their whole window repainted.
        if (repaint && (w->cls->style & (CS_HREDRAW | CS_VREDRAW))) InvalidateRect(w, nullptr, TRUE);
        else if (repaint) InvalidateRect(w, nullptr, FALSE);
    }
    report_window("move", w, rect_fields(w));
    return TRUE;
}

BOOL WINAPI IsWindow(HWND w) { return w && (w->remote || is_window(w)); }
BOOL WINAPI IsWindowVisible(HWND w) { return is_window(w) && really_visible(w); }

BOOL WINAPI IsIconic(HWND w) {
    if (w && w->remote) return ipc_call(w, IpcIsIconic, 0);
    return is_window(w) && w->iconic;
}

BOOL WINAPI EnableWindow(HWND w, BOOL enable) {
    if (!is_window(w)) return FALSE;
    BOOL was_disabled = !w->enabled;
    if (w->enabled == static_cast<bool>(enable)) return was_disabled;
    w->enabled = enable;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
    if (!enable && focus_window == w) SetFocus(nullptr);
    SendMessageA(w, WM_ENABLE, enable, 0);
    InvalidateRect(w, nullptr, TRUE);
    return was_disabled;
}

BOOL WINAPI IsWindowEnabled(HWND w) { return is_window(w) && w->enabled; }

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title) {
    for (HWND w : zlist)
        if ((!className || strcasecmp(class_name(w).c_str(), className) == 0) && (!title || w->text == title))
            return w;
    return ipc_find_window(className, title);
}

HWND WINAPI GetLastActivePopup(HWND w) {
    if (w && w->remote) return ipc_last_active_popup(w);
    if (!is_window(w)) return nullptr;
    HWND p = w->last_active_popup;
    if (p && is_window(p) && p->visible && p->enabled) return p;
    return w;
}

BOOL WINAPI SetForegroundWindow(HWND w) {
    if (w && w->remote) return ipc_call(w, IpcSetForeground, 0);
    if (!is_window(w)) return FALSE;
    bring_to_top(w);
    activate(w);
    HWND root = w;
    while (root->owner) root = root->owner;
    raise_surface_of(root);
    report_window("foreground", w);
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return active_window; }

HWND WINAPI SetFocus(HWND w) {
    HWND previous = focus_window;
    if (w && !is_window(w)) return nullptr;
    if (w == previous) return previous;
    focus_window = w;
    if (previous && is_window(previous)) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(w), 0);
    if (w) {
        if (top_level(w) != active_window && w->visible) activate(w);
        SendMessageA(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND WINAPI GetFocus(void) { return focus_window; }

HWND WINAPI GetParent(HWND w) {
    if (!is_window(w)) return nullptr;
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    if (!is_window(dialog)) return nullptr;
    for (HWND c : dialog->children)
        if (c->id == id) return c;
    return nullptr;
}

BOOL WINAPI GetWindowRect(HWND w, RECT* rect) {
    if (!is_window(w) || !rect) return FALSE;
    POINT o = screen_origin(w);
    *rect = RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND w, RECT* rect) {
    if (!is_window(w) || !rect) return FALSE;
    Box c = client_box(w);
    *rect = RECT{0, 0, c.width(), c.height()};
    return TRUE;
}

LONG WINAPI GetWindowLongA(HWND w, int index) {
    if (!is_window(w)) return 0;
    if (index == GWL_STYLE) return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0));
    if (index == GWL_EXSTYLE) return static_cast<LONG>(w->ex_style);
    if (index == -12) return w->id;  // GWL_ID
    return 0;
}

LONG WINAPI SetWindowLongA(HWND w, int index, LONG value) {
    if (!is_window(w)) return 0;
    LONG previous = GetWindowLongA(w, index);
    if (index == GWL_EXSTYLE) {
        DWORD now = static_cast<DWORD>(value);
        // Leaving the layered state drops the alpha; entering it hides the
        // window until its attributes are set, as the system does.
        if ((w->ex_style & WS_EX_LAYERED) != (now & WS_EX_LAYERED)) {
            w->alpha_set = false;
            w->alpha = 255;
            mark_dirty(w);
        }
        w->ex_style = now;
        w->topmost_band = in_topmost_band(w);
        mark_dirty(w);
        report_window("exstyle", w, ",\"exstyle\":" + std::to_string(now));
    } else if (index == GWL_STYLE) {
        w->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
    } else {
        return 0;
    }
    return previous;
}

BOOL WINAPI SetLayeredWindowAttributes(HWND w, COLORREF, BYTE alpha, DWORD flags) {
    if (!is_window(w) || !(w->ex_style & WS_EX_LAYERED)) {
        SetLastError(87);
        return FALSE;
    }
    if (flags & LWA_ALPHA) {
        w->alpha = alpha;
        w->alpha_set = true;
        report_window("alpha", w, ",\"alpha\":" + std::to_string(alpha));
    }
    mark_dirty(w);
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND w, LPCSTR text) {
    if (!is_window(w)) return FALSE;
    return static_cast<BOOL>(SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextA(HWND w, LPSTR buffer, int size) {
    if (!is_window(w) || !buffer || size <= 0) return 0;
    return static_cast<int>(SendMessageA(w, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND w) {
    if (!is_window(w)) return 0;
    return static_cast<int>(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0));
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (buffer && size > 0) buffer[0] = 0;
        return 0;
    }
    return GetWindowTextA(item, buffer, size);
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextA(item, text) : FALSE;
}

int WINAPI GetSystemMetrics(int index) {
    if (index == SM_CXSCREEN) return backend().screen_width();
    if (index == SM_CYSCREEN) return backend().screen_height();
    return 0;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // The system cursors are their own ids; the program has no cursors of its own.
    if (instance || !IS_INTRESOURCE(name)) return nullptr;
    return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

int WINAPI SetWindowRgn(HWND w, HRGN region, BOOL redraw) {
    if (!is_window(w)) return 0;
    mark_dirty(w);
    w->has_region = region != nullptr;
    if (region) w->region = region->rect;
    if (redraw) mark_dirty(w);
    return 1;
}

HIMC WINAPI ImmAssociateContext(HWND, HIMC) {
    // No window of ours has an input context until a text field asks for one.
    return nullptr;
}

}  // extern "C"
