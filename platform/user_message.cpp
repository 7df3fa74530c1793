// The message queue: posted messages, input, quit, paint and timers, in the
// order the system retrieves them; sending, default processing and modal loops.
#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>

#include "platform/controls.h"
#include "platform/internal.h"
#include "platform/ipc.h"

namespace plat {

namespace {

std::deque<MSG> posted;
std::deque<MSG> input;
bool quit_pending = false;
int quit_code = 0;
std::vector<std::pair<HWND, Timer>> timers;
HWND capture = nullptr;
HWND hover_cursor_owner = nullptr;

// A drag of a captioned window by its caption.
struct Drag {
    HWND window = nullptr;
    int start_x = 0, start_y = 0;
    RECT start_rect{};
} drag;

MSG make(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = w;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = backend().ticks();
    return m;
}

// The surface an event came from: its origin on the screen.
POINT surface_origin(int surface) {
    if (backend().single_screen()) return POINT{0, 0};
    for (HWND w : z_order())
        if (w->surface == surface) return POINT{w->rect.left, w->rect.top};
    return POINT{0, 0};
}

LPARAM client_point(HWND w, int x, int y) {
    POINT o = screen_origin(w);
    POINT c = client_origin(w);
    return MAKELPARAM(x - o.x - c.x, y - o.y - c.y);
}

bool blocked_by_modal(HWND w) {
    for (HWND t = w; t; t = (t->style & WS_CHILD) ? t->parent : nullptr)
        if (!t->enabled) return true;
    return false;
}

void set_cursor_for(HWND w, int surface) {
    int id = CursorArrow;
    if (w && w->cls && w->cls->cursor) id = static_cast<int>(reinterpret_cast<intptr_t>(w->cls->cursor));
    if (w && w->cls && w->cls->name == "Edit") id = CursorIBeam;
    if (w != hover_cursor_owner) {
        hover_cursor_owner = w;
        backend().set_cursor(surface, id);
    }
}

void mouse_down(HWND w, int x, int y) {
    HWND top = top_level(w);
    POINT o = screen_origin(top);
    int lx = x - o.x, ly = y - o.y;
    Box client = client_box(top);
    bool in_client = w != top || (lx >= client.left && lx < client.right && ly >= client.top && ly < client.bottom);
    if (blocked_by_modal(w)) return;
    if (top != active_window) {
        bring_to_top(top);
        SetForegroundWindow(top);
    }
    if (!in_client) {
        Box close = close_box(top);
        if (!close.empty() && lx >= close.left && lx < close.right && ly >= close.top && ly < close.bottom) {
            post(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if ((top->style & WS_CAPTION) == WS_CAPTION && ly < kFrame + kCaption) {
            drag = Drag{top, x, y, top->rect};
        }
        return;
    }
    input.push_back(make(w, WM_LBUTTONDOWN, 1, client_point(w, x, y)));
}

void translate_event(const InputEvent& e) {
    POINT origin = surface_origin(e.surface);
    int x = origin.x + e.x, y = origin.y + e.y;
    switch (e.kind) {
    case InputEvent::MouseMove: {
        if (drag.window && is_window(drag.window)) {
            RECT r = drag.start_rect;
            MoveWindow(drag.window, r.left + x - drag.start_x, r.top + y - drag.start_y, r.right - r.left,
                       r.bottom - r.top, TRUE);
            return;
        }
        HWND w = capture ? capture : window_at(x, y);
        set_cursor_for(window_at(x, y), e.surface);
        if (w) input.push_back(make(w, WM_MOUSEMOVE, 0, client_point(w, x, y)));
        break;
    }
    case InputEvent::MouseDown: {
        HWND w = capture ? capture : window_at(x, y);
        if (w) mouse_down(w, x, y);
        break;
    }
    case InputEvent::MouseUp: {
        if (drag.window) {
            drag = Drag{};
            return;
        }
        HWND w = capture ? capture : window_at(x, y);
        if (w && (capture || !blocked_by_modal(w))) input.push_back(make(w, WM_LBUTTONUP, 0, client_point(w, x, y)));
        break;
    }
    case InputEvent::KeyDown:
    case InputEvent::KeyUp: {
        HWND w = focus_window ? focus_window : active_window;
        if (!w) return;
        bool down = e.kind == InputEvent::KeyDown;
        UINT message = e.alt || e.vk == VK_MENU ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        input.push_back(make(w, message, e.vk, e.alt ? (1 << 29) : 0));
        break;
    }
    case InputEvent::Text: {
        HWND w = focus_window;
        if (!w) return;
        for (unsigned char c : utf8_to_sjis(e.text)) input.push_back(make(w, WM_CHAR, c, 0));
        break;
    }
    case InputEvent::CloseRequest: {
        HWND target = backend().single_screen() ? active_window : nullptr;
        for (HWND w : z_order())
            if (!target && w->surface == e.surface) target = w;
        if (target && target->enabled) post(target, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    }
}

void pump_input() {
    InputEvent e;
    while (backend().next_input(e)) translate_event(e);
}

HWND window_needing_paint() {
    for (HWND w : z_order()) {
        if (w->has_update && really_visible(w)) return w;
        std::vector<HWND> stack(w->children.begin(), w->children.end());
        while (!stack.empty()) {
            HWND c = stack.back();
            stack.pop_back();
            if (c->has_update && really_visible(c)) return c;
            stack.insert(stack.end(), c->children.begin(), c->children.end());
        }
    }
    return nullptr;
}

// One message by the system's priorities, waiting when there is none.
void next_message(MSG& m) {
    for (;;) {
        pump_input();
        ipc_serve();
        if (!posted.empty()) {
            m = posted.front();
            posted.pop_front();
            return;
        }
        if (!input.empty()) {
            m = input.front();
            input.pop_front();
            return;
        }
        if (quit_pending) {
            quit_pending = false;
            m = make(nullptr, WM_QUIT, static_cast<WPARAM>(quit_code), 0);
            return;
        }
        if (HWND w = window_needing_paint()) {
            m = make(w, WM_PAINT, 0, 0);
            return;
        }
        uint32_t now = backend().ticks();
        std::optional<uint32_t> deadline;
        int32_t soonest = std::numeric_limits<int32_t>::max();
        for (auto& [w, t] : timers) {
            int32_t left = static_cast<int32_t>(t.due - now);
            if (left <= 0) {
                m = make(w, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
                // The next one is due an interval after this one, without catching up.
                t.due += t.interval;
                if (static_cast<int32_t>(t.due - now) <= 0) t.due = now + t.interval;
                return;
            }
            if (left < soonest) {
                soonest = left;
                deadline = t.due;
            }
        }
        compose_and_present();
        backend().wait(deadline);
    }
}

}  // namespace

void post(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    posted.push_back(make(w, message, wParam, lParam));
    backend().wake();
}

void remove_messages_for(HWND w) {
    auto gone = [w](const MSG& m) { return m.hwnd == w; };
    posted.erase(std::remove_if(posted.begin(), posted.end(), gone), posted.end());
    input.erase(std::remove_if(input.begin(), input.end(), gone), input.end());
    timers.erase(std::remove_if(timers.begin(), timers.end(), [w](auto& t) { return t.first == w; }), timers.end());
    if (capture == w) capture = nullptr;
    if (hover_cursor_owner == w) hover_cursor_owner = nullptr;
    if (drag.window == w) drag = Drag{};
}

void set_capture(HWND w) { capture = w; }

bool run_modal(bool& done, const std::function<bool(MSG&)>& pretranslate) {
    while (!done) {
        MSG m;
        next_message(m);
        if (m.message == WM_QUIT) {
            // The outer loop must see the quit message too.
            PostQuitMessage(static_cast<int>(m.wParam));
            return false;
        }
        if (pretranslate && pretranslate(m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return true;
}

}  // namespace plat

using namespace plat;

extern "C" {

BOOL WINAPI GetMessageA(MSG* msg, HWND, UINT, UINT) {
    if (!msg) return -1;
    next_message(*msg);
    return msg->message == WM_QUIT ? 0 : 1;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    int c = 0;
    switch (msg->wParam) {
    case VK_RETURN: c = '\r'; break;
    case VK_ESCAPE: c = 0x1B; break;
    case VK_BACK: c = 8; break;
    case VK_TAB: c = 9; break;
    default:
        // Printable keys arrive as text; only Alt combinations become system characters here.
        if (msg->message == WM_SYSKEYDOWN && ((msg->wParam >= 'A' && msg->wParam <= 'Z') ||
                                              (msg->wParam >= '0' && msg->wParam <= '9')))
            c = static_cast<int>(msg->wParam) | 0x20;
        break;
    }
    if (!c) return FALSE;
    input.push_front(make(msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, c, msg->lParam));
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    // A timer's procedure runs also for a thread timer, which has no window.
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd || !is_window(msg->hwnd)) return 0;
    LRESULT result = msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // A paint handler that validates nothing would be asked again forever.
    if (msg->message == WM_PAINT && is_window(msg->hwnd)) ValidateRect(msg->hwnd, nullptr);
    return result;
}

LRESULT WINAPI SendMessageA(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!is_window(w) || w->remote || !w->proc) return 0;
    return w->proc(w, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (w && !is_window(w)) return FALSE;
    post(w, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    quit_pending = true;
    quit_code = exitCode;
    backend().wake();
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(w, message, wParam, lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!is_window(w)) return 0;
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
        return TRUE;
    }
    case WM_ERASEBKGND: {
        if (!w->cls->background) return 0;
        RECT r;
        GetClientRect(w, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, w->cls->background);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(w, &ps);
        EndPaint(w, &ps);
        return 0;
    }
    case WM_SETTEXT:
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        paint_frame(w);
        return TRUE;
    case WM_GETTEXT: {
        if (wParam == 0) return 0;
        size_t n = std::min(w->text.size(), static_cast<size_t>(wParam) - 1);
        std::memcpy(reinterpret_cast<char*>(lParam), w->text.data(), n);
        reinterpret_cast<char*>(lParam)[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETFONT: w->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
    case WM_CLOSE: DestroyWindow(w); return 0;
    case WM_SYSCOMMAND:
        // The window menu's Close is disabled for classes that ask so.
        if ((wParam & 0xFFF0) == SC_CLOSE && !(w->cls->style & CS_NOCLOSE)) SendMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == 0x73 /* F4 */) PostMessageA(top_level(w), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    default: return 0;
    }
}

UINT_PTR WINAPI SetTimer(HWND w, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (w && !is_window(w)) return 0;
    if (elapse < 10) elapse = 10;
    if (!w) {
        static UINT_PTR next_free = 0x7FFF;
        id = next_free++;
    }
    uint32_t due = backend().ticks() + elapse;
    for (auto& [tw, t] : timers)
        if (tw == w && t.id == id) {
            t = Timer{id, elapse, due, proc};
            return id ? id : 1;
        }
    timers.push_back({w, Timer{id, elapse, due, proc}});
    return id ? id : 1;
}

BOOL WINAPI KillTimer(HWND w, UINT_PTR id) {
    auto it = std::find_if(timers.begin(), timers.end(), [&](auto& t) { return t.first == w && t.second.id == id; });
    if (it == timers.end()) return FALSE;
    timers.erase(it);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND w, const RECT* rect, BOOL erase) {
    if (!w) {
        for (HWND t : z_order()) InvalidateRect(t, nullptr, erase);
        return TRUE;
    }
    if (w->remote) return ipc_call(w, IpcInvalidate, erase);
    if (!is_window(w)) return FALSE;
    Box c = client_box(w);
    Box area{0, 0, c.width(), c.height()};
    if (rect) area = intersect(area, Box{rect->left, rect->top, rect->right, rect->bottom});
    if (area.empty()) return TRUE;
    Box before = w->has_update ? Box{w->update.left, w->update.top, w->update.right, w->update.bottom} : area;
    Box now = unite(before, area);
    w->update = RECT{now.left, now.top, now.right, now.bottom};
    w->has_update = true;
    w->update_erase = w->update_erase || erase;
    backend().wake();
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND w, const RECT*) {
    if (!is_window(w)) return FALSE;
    w->has_update = false;
    w->update_erase = false;
    return TRUE;
}

HDC WINAPI BeginPaint(HWND w, PAINTSTRUCT* ps) {
    if (!is_window(w) || !ps) return nullptr;
    HDC dc = GetDC(w);
    Box area{};
    if (w->has_update) area = Box{w->update.left, w->update.top, w->update.right, w->update.bottom};
    bool erase = w->update_erase;
    w->has_update = false;
    w->update_erase = false;
    // Painting is limited to what was invalid.
    dc->clip = intersect(dc->clip, Box{dc->origin_x + area.left, dc->origin_y + area.top, dc->origin_x + area.right,
                                       dc->origin_y + area.bottom});
    std::memset(ps, 0, sizeof *ps);
    ps->hdc = dc;
    ps->rcPaint = RECT{area.left, area.top, area.right, area.bottom};
    ps->fErase = erase && !area.empty() ? !SendMessageA(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) : FALSE;
    return dc;
}

BOOL WINAPI EndPaint(HWND w, const PAINTSTRUCT* ps) {
    if (!ps) return FALSE;
    ReleaseDC(w, ps->hdc);
    return TRUE;
}

}  // extern "C"
