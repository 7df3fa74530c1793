#include "platform/backend/sdl/sdl_backend.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace plat {

namespace {

// Virtual-key codes (the values the Windows keyboard messages carry).
enum : int {
    kBack = 0x08, kTab = 0x09, kClear = 0x0C, kReturn = 0x0D, kShift = 0x10, kControl = 0x11,
    kMenu = 0x12, kPause = 0x13, kCapital = 0x14, kConvert = 0x1C, kNonConvert = 0x1D,
    kEscape = 0x1B, kSpace = 0x20, kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24,
    kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kSnapshot = 0x2C, kInsert = 0x2D,
    kDelete = 0x2E, kLWin = 0x5B, kRWin = 0x5C, kApps = 0x5D, kNumpad0 = 0x60, kMultiply = 0x6A,
    kAdd = 0x6B, kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F, kF1 = 0x70, kNumLock = 0x90,
    kScroll = 0x91, kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD,
    kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0, kOem4 = 0xDB, kOem5 = 0xDC, kOem6 = 0xDD,
    kOem7 = 0xDE,
};

// Set by the X error handler while we read the root window; any error means "no picture".
bool x_failed = false;
int note_x_error(Display*, XErrorEvent*) {
    x_failed = true;
    return 0;
}

// Swaps in our X error handler for the calls on our own connection, so that a
// failed request gives a black desktop instead of SDL's (or Xlib's fatal) handler.
class XErrorGuard {
public:
    explicit XErrorGuard(Display* d) : display_(d) {
        XSync(display_, False);
        x_failed = false;
        previous_ = XSetErrorHandler(note_x_error);
    }
    ~XErrorGuard() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    bool failed() {
        XSync(display_, False);
        return x_failed;
    }

private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

// One colour channel of an X pixel, scaled to 8 bits.
uint32_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = __builtin_ctzl(mask);
    int bits = __builtin_popcountl(mask);
    unsigned long v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint32_t>(v >> (bits - 8));
    return static_cast<uint32_t>(v * 255 / ((1ul << bits) - 1));
}

SdlBackend* at_exit_backend = nullptr;
void shutdown_at_exit() {
    if (at_exit_backend) at_exit_backend->shutdown();
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::open(std::string& error) {
    // Ctrl+C in a terminal must still end the process, not become a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // No GPU here: draw straight into the X window, not through a GL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A full-screen window must stay up while one of our message boxes has the focus.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The input method draws its own composition and candidates; we only get the result.
    SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
    // The click that activates a window is a click, as on Windows (SDL drops it by default).
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        if (error.empty()) error = "no video driver";
        return nullptr;
    }
    // With no display SDL falls back to its invisible "offscreen" driver; that
    // is no desktop to run on unless someone asked for it by name.
    const char* chosen = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (chosen && (std::strcmp(chosen, "offscreen") == 0 || std::strcmp(chosen, "dummy") == 0) &&
        !(asked && std::strstr(asked, chosen))) {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
        else
            error = std::string("no X11 or Wayland display could be opened (SDL fell back to \"") + chosen + "\")";
        SDL_Quit();
        return nullptr;
    }
    std::unique_ptr<SdlBackend> b(new SdlBackend());
    b->up_ = true;
    b->audio_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;  // none: silence
    b->wake_event_ = SDL_RegisterEvents(1);
    const char* driver = SDL_GetCurrentVideoDriver();
    b->x11_ = driver && std::strcmp(driver, "x11") == 0;
    if (b->x11_) b->xdisplay_ = XOpenDisplay(nullptr);
    if (!at_exit_backend) {
        at_exit_backend = b.get();
        std::atexit(shutdown_at_exit);
    }
    return b;
}

SdlBackend::~SdlBackend() {
    shutdown();
    if (at_exit_backend == this) at_exit_backend = nullptr;
}

void SdlBackend::shutdown() {
    if (!up_) return;
    close_wave_out();
    if (sound_device_) SDL_CloseAudioDevice(sound_device_);
    sound_device_ = 0;
    for (auto& [id, s] : surfaces_) SDL_DestroyWindow(s.window);
    surfaces_.clear();
    by_window_id_.clear();
    for (auto& [id, c] : cursors_) SDL_FreeCursor(c);
    cursors_.clear();
    if (xdisplay_) XCloseDisplay(xdisplay_);
    xdisplay_ = nullptr;
    up_ = false;
    audio_ = false;
    SDL_Quit();
}

// --- clock and events ---

uint32_t SdlBackend::ticks() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SdlBackend::sleep(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void SdlBackend::wait(std::optional<uint32_t> deadline) {
    if (!up_) {
        if (deadline) {
            int32_t left = static_cast<int32_t>(*deadline - ticks());
            if (left > 0) sleep(static_cast<uint32_t>(left));
        }
        return;
    }
    SDL_Event event;
    bool got = false;
    if (!inputs_.empty()) {
        // Input is already waiting: only gather what else is pending.
    } else if (!deadline) {
        got = SDL_WaitEvent(&event) == 1;
    } else {
        int32_t left = static_cast<int32_t>(*deadline - ticks());
        if (left > 0) got = SDL_WaitEventTimeout(&event, left) == 1;
    }
    if (got) translate(event);
    while (SDL_PollEvent(&event) == 1) translate(event);
}

void SdlBackend::wake() {
    // One pending wake-up event is enough; the flag keeps other threads from flooding the queue.
    if (!up_ || wake_pending_.exchange(true)) return;
    SDL_Event event;
    SDL_zero(event);
    event.type = wake_event_;
    if (SDL_PushEvent(&event) != 1) wake_pending_ = false;
}

bool SdlBackend::next_input(InputEvent& event) {
    if (inputs_.empty()) return false;
    event = std::move(inputs_.front());
    inputs_.pop_front();
    return true;
}

SdlBackend::Surface* SdlBackend::find(int surface) {
    auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second;
}

int SdlBackend::surface_of_window(uint32_t window_id) {
    auto it = by_window_id_.find(window_id);
    return it == by_window_id_.end() ? -1 : it->second;
}

int SdlBackend::virtual_key(int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return kF1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return kNumpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_RETURN: case SDLK_KP_ENTER: case SDLK_RETURN2: return kReturn;
    case SDLK_ESCAPE: return kEscape;
    case SDLK_TAB: return kTab;
    case SDLK_BACKSPACE: return kBack;
    case SDLK_DELETE: return kDelete;
    case SDLK_INSERT: return kInsert;
    case SDLK_LEFT: return kLeft;
    case SDLK_RIGHT: return kRight;
    case SDLK_UP: return kUp;
    case SDLK_DOWN: return kDown;
    case SDLK_HOME: return kHome;
    case SDLK_END: return kEnd;
    case SDLK_PAGEUP: return kPrior;
    case SDLK_PAGEDOWN: return kNext;
    case SDLK_SPACE: return kSpace;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kControl;
    case SDLK_LALT: case SDLK_RALT: return kMenu;
    case SDLK_LGUI: return kLWin;
    case SDLK_RGUI: return kRWin;
    case SDLK_APPLICATION: return kApps;
    case SDLK_PAUSE: return kPause;
    case SDLK_CAPSLOCK: return kCapital;
    case SDLK_PRINTSCREEN: return kSnapshot;
    case SDLK_NUMLOCKCLEAR: return kNumLock;
    case SDLK_SCROLLLOCK: return kScroll;
    case SDLK_CLEAR: return kClear;
    case SDLK_KP_0: return kNumpad0;
    case SDLK_KP_MULTIPLY: return kMultiply;
    case SDLK_KP_PLUS: return kAdd;
    case SDLK_KP_MINUS: return kSubtract;
    case SDLK_KP_PERIOD: return kDecimal;
    case SDLK_KP_DIVIDE: return kDivide;
    case SDLK_SEMICOLON: return kOem1;
    case SDLK_EQUALS: case SDLK_PLUS: return kOemPlus;
    case SDLK_COMMA: return kOemComma;
    case SDLK_MINUS: return kOemMinus;
    case SDLK_PERIOD: return kOemPeriod;
    case SDLK_SLASH: return kOem2;
    case SDLK_BACKQUOTE: return kOem3;
    case SDLK_LEFTBRACKET: return kOem4;
    case SDLK_BACKSLASH: return kOem5;
    case SDLK_RIGHTBRACKET: return kOem6;
    case SDLK_QUOTE: return kOem7;
    default: return 0;
    }
}

// Keys the keycode does not name (letters of a non-Latin layout, the Japanese
// conversion keys) by their position on the keyboard.
static int virtual_key_of_scancode(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
    if (sc == SDL_SCANCODE_0) return '0';
    if (sc == SDL_SCANCODE_INTERNATIONAL4) return kConvert;
    if (sc == SDL_SCANCODE_INTERNATIONAL5) return kNonConvert;
    return 0;
}

void SdlBackend::translate(const SDL_Event& e) {
    if (e.type == wake_event_) {
        wake_pending_ = false;
        return;
    }
    InputEvent in;
    switch (e.type) {
    case SDL_MOUSEMOTION:
        in.kind = InputEvent::MouseMove;
        in.surface = surface_of_window(e.motion.windowID);
        in.x = e.motion.x;
        in.y = e.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) return;
        in.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::MouseDown : InputEvent::MouseUp;
        in.surface = surface_of_window(e.button.windowID);
        in.x = e.button.x;
        in.y = e.button.y;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        in.kind = e.type == SDL_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;
        in.surface = e.key.windowID ? surface_of_window(e.key.windowID) : key_focus_;
        int32_t key = e.key.keysym.sym;
        // Keypad digits without Num Lock are the navigation keys printed on them.
        if (!(e.key.keysym.mod & KMOD_NUM)) {
            static const int nav[] = {kInsert, kEnd, kDown, kNext, kLeft, kClear, kRight, kHome, kUp, kPrior};
            if (key == SDLK_KP_0) in.vk = nav[0];
            else if (key >= SDLK_KP_1 && key <= SDLK_KP_9) in.vk = nav[1 + key - SDLK_KP_1];
            else if (key == SDLK_KP_PERIOD) in.vk = kDelete;
        }
        if (!in.vk) in.vk = virtual_key(key);
        if (!in.vk) in.vk = virtual_key_of_scancode(e.key.keysym.scancode);
        if (!in.vk) return;
        in.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        break;
    }
    case SDL_TEXTINPUT:
        // Alt+letter is a menu mnemonic (a key event with alt set), not typing.
        // Right Alt stays: on many layouts it is AltGr and types characters.
        if (SDL_GetModState() & KMOD_LALT) return;
        in.kind = InputEvent::Text;
        in.surface = e.text.windowID ? surface_of_window(e.text.windowID) : key_focus_;
        in.text = e.text.text;
        break;
    case SDL_WINDOWEVENT: {
        int id = surface_of_window(e.window.windowID);
        Surface* s = find(id);
        if (!s) return;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            in.kind = InputEvent::CloseRequest;
            in.surface = id;
            inputs_.push_back(std::move(in));
            return;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            s->drawn_on = nullptr;  // SDL makes a new window surface
            redraw(*s, Box{0, 0, s->shown.width, s->shown.height});
            return;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
            redraw(*s, Box{0, 0, s->shown.width, s->shown.height});
            return;
        case SDL_WINDOWEVENT_ENTER:
            apply_cursor(s->cursor);
            return;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            key_focus_ = id;
            return;
        default:
            return;
        }
    }
    default:
        return;
    }
    if (in.surface < 0) return;  // a window that is not (or no longer) ours
    inputs_.push_back(std::move(in));
}

// --- screen ---

int SdlBackend::screen_width() {
    SDL_DisplayMode m;
    if (up_ && SDL_GetDesktopDisplayMode(0, &m) == 0) return m.w;
    SDL_Rect r;
    if (up_ && SDL_GetDisplayBounds(0, &r) == 0) return r.w;
    return 640;
}

int SdlBackend::screen_height() {
    SDL_DisplayMode m;
    if (up_ && SDL_GetDesktopDisplayMode(0, &m) == 0) return m.h;
    SDL_Rect r;
    if (up_ && SDL_GetDisplayBounds(0, &r) == 0) return r.h;
    return 480;
}

void SdlBackend::screen_origin(int& x, int& y) {
    SDL_Rect r{0, 0, 0, 0};
    if (up_) SDL_GetDisplayBounds(0, &r);
    x = r.x;
    y = r.y;
}

bool SdlBackend::covers_screen(const Box& r) {
    return r.left <= 0 && r.top <= 0 && r.right >= screen_width() && r.bottom >= screen_height();
}

void SdlBackend::capture_desktop(Pixmap& out) {
    int sw = screen_width(), sh = screen_height();
    out.resize(sw, sh, 0);
    if (!x11_ || !xdisplay_) return;  // Wayland and others: no way to read the desktop
    Display* d = xdisplay_;
    XErrorGuard guard(d);
    Window root = DefaultRootWindow(d);
    XWindowAttributes wa;
    if (!XGetWindowAttributes(d, root, &wa) || guard.failed() || !wa.visual) return;
    int ox, oy;
    screen_origin(ox, oy);
    // The primary display's part of the root window (which spans every monitor).
    int x0 = std::clamp(ox, 0, wa.width), y0 = std::clamp(oy, 0, wa.height);
    int x1 = std::clamp(ox + sw, 0, wa.width), y1 = std::clamp(oy + sh, 0, wa.height);
    int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0) return;
    XImage* img = XGetImage(d, root, x0, y0, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (guard.failed() || !img) {
        if (img) XDestroyImage(img);
        return;
    }
    unsigned long rm = wa.visual->red_mask, gm = wa.visual->green_mask, bm = wa.visual->blue_mask;
    bool direct = img->bits_per_pixel == 32 && img->byte_order == LSBFirst;
    std::vector<uint32_t> region(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = reinterpret_cast<const uint32_t*>(img->data + static_cast<size_t>(y) * img->bytes_per_line);
        uint32_t* dst = region.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            unsigned long p = direct ? src[x] : XGetPixel(img, x, y);
            dst[x] = channel(p, rm) << 16 | channel(p, gm) << 8 | channel(p, bm);
        }
    }
    XDestroyImage(img);
    // Nearest-neighbour onto the screen size (the identity when the sizes agree).
    for (int y = 0; y < sh; ++y) {
        const uint32_t* src = region.data() + static_cast<size_t>(static_cast<int64_t>(y) * h / sh) * w;
        uint32_t* dst = out.row(y);
        if (w == sw) {
            std::memcpy(dst, src, sizeof(uint32_t) * sw);
        } else {
            for (int x = 0; x < sw; ++x) dst[x] = src[static_cast<int64_t>(x) * w / sw];
        }
    }
}

bool SdlBackend::window_manager_running() {
    if (!xdisplay_) return true;  // cannot tell: leave the focus to whoever manages it
    XErrorGuard guard(xdisplay_);
    Atom check = XInternAtom(xdisplay_, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int rc = XGetWindowProperty(xdisplay_, DefaultRootWindow(xdisplay_), check, 0, 1, False, AnyPropertyType, &type,
                                &format, &count, &after, &data);
    bool found = rc == Success && type != None && count > 0;
    if (data) XFree(data);
    return found && !guard.failed();
}

// --- surfaces ---

int SdlBackend::create_surface(const Box& rect, const std::string& title, bool topmost) {
    if (!up_) return -1;
    Surface s;
    s.rect = rect;
    s.full_screen = covers_screen(rect);
    s.topmost = topmost;
    int ox, oy;
    screen_origin(ox, oy);
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    if (topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    int x = ox + rect.left, y = oy + rect.top, w = std::max(1, rect.width()), h = std::max(1, rect.height());
    if (s.full_screen) {
        // A real full-screen window on the primary display: the window manager
        // keeps panels off it, and without one it simply covers the screen.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        x = ox, y = oy, w = screen_width(), h = screen_height();
    }
    s.window = SDL_CreateWindow(title.c_str(), x, y, w, h, flags);
    if (!s.window) return -1;
    int id = next_surface_++;
    by_window_id_[SDL_GetWindowID(s.window)] = id;
    surfaces_[id] = std::move(s);
    return id;
}

void SdlBackend::move_surface(int surface, const Box& rect) {
    Surface* s = find(surface);
    if (!s) return;
    bool full = covers_screen(rect);
    s->rect = rect;
    int ox, oy;
    screen_origin(ox, oy);
    if (full && !s->full_screen) {
        // Without a window manager the full-screen state alone moves nothing:
        // give the window the screen's rectangle first.
        SDL_SetWindowSize(s->window, screen_width(), screen_height());
        SDL_SetWindowPosition(s->window, ox, oy);
        SDL_SetWindowFullscreen(s->window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else if (!full) {
        if (s->full_screen) SDL_SetWindowFullscreen(s->window, 0);
        SDL_SetWindowSize(s->window, std::max(1, rect.width()), std::max(1, rect.height()));
        SDL_SetWindowPosition(s->window, ox + rect.left, oy + rect.top);
    }
    s->full_screen = full;
    if (!s->topmost) keep_topmost_above();
    s->drawn_on = nullptr;
    redraw(*s, Box{0, 0, s->shown.width, s->shown.height});
}

void SdlBackend::show_surface(int surface, bool visible) {
    Surface* s = find(surface);
    if (!s || s->visible == visible) return;
    s->visible = visible;
    if (visible) {
        if (s->topmost && !s->full_screen) {
            // Window managers put a focused full-screen window above "always on
            // top" ones; a transient of it stays above it.
            for (auto& [id, other] : surfaces_)
                if (other.full_screen && other.visible) {
                    SDL_SetWindowModalFor(s->window, other.window);
                    break;
                }
        }
        SDL_ShowWindow(s->window);
        redraw(*s, Box{0, 0, s->shown.width, s->shown.height});
        if (!s->topmost) keep_topmost_above();
    } else {
        SDL_HideWindow(s->window);
    }
}

void SdlBackend::destroy_surface(int surface) {
    Surface* s = find(surface);
    if (!s) return;
    by_window_id_.erase(SDL_GetWindowID(s->window));
    SDL_DestroyWindow(s->window);
    surfaces_.erase(surface);
    if (key_focus_ == surface) key_focus_ = 0;
}

void SdlBackend::raise_surface(int surface) {
    Surface* s = find(surface);
    if (!s) return;
    SDL_RaiseWindow(s->window);
    // Without a window manager nobody hands out the keyboard focus: take it.
    if (s->visible && x11_ && !window_manager_running()) SDL_SetWindowInputFocus(s->window);
    if (!s->topmost) keep_topmost_above();
}

void SdlBackend::keep_topmost_above() {
    // "Always on top" is a window manager's promise; without one, stacking is
    // only the order of raising, so raise the topmost windows again.
    if (!x11_ || window_manager_running()) return;
    for (auto& [id, s] : surfaces_)
        if (s.topmost && s.visible) SDL_RaiseWindow(s.window);
}

void SdlBackend::present(int surface, const Pixmap& pixels, const Box& dirty) {
    Surface* s = find(surface);
    if (!s) return;
    Box box = dirty;
    if (s->shown.width != pixels.width || s->shown.height != pixels.height) {
        s->shown = pixels;
        box = Box{0, 0, pixels.width, pixels.height};
    } else {
        box.left = std::max(box.left, 0);
        box.top = std::max(box.top, 0);
        box.right = std::min(box.right, pixels.width);
        box.bottom = std::min(box.bottom, pixels.height);
        if (box.empty()) return;
        for (int y = box.top; y < box.bottom; ++y)
            std::memcpy(s->shown.row(y) + box.left, pixels.row(y) + box.left, sizeof(uint32_t) * box.width());
    }
    redraw(*s, box);
}

void SdlBackend::redraw(Surface& s, Box box) {
    if (!up_ || s.shown.width == 0 || s.shown.height == 0) return;
    SDL_Surface* ws = SDL_GetWindowSurface(s.window);
    if (!ws) return;
    if (ws != s.drawn_on || ws->w != s.drawn_w || ws->h != s.drawn_h) {
        // A new window surface (first draw, or after a resize) holds nothing yet.
        box = Box{0, 0, s.shown.width, s.shown.height};
        s.drawn_on = ws;
        s.drawn_w = ws->w;
        s.drawn_h = ws->h;
    }
    box.right = std::min({box.right, ws->w, s.shown.width});
    box.bottom = std::min({box.bottom, ws->h, s.shown.height});
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    if (box.empty()) return;
    if (SDL_MUSTLOCK(ws) && SDL_LockSurface(ws) != 0) return;
    const uint32_t* src = s.shown.row(box.top) + box.left;
    int src_pitch = s.shown.width * 4;
    uint8_t* dst = static_cast<uint8_t*>(ws->pixels) + static_cast<size_t>(box.top) * ws->pitch +
                   static_cast<size_t>(box.left) * ws->format->BytesPerPixel;
    if (ws->format->format == SDL_PIXELFORMAT_RGB888) {
        for (int y = 0; y < box.height(); ++y)
            std::memcpy(dst + static_cast<size_t>(y) * ws->pitch, src + static_cast<size_t>(y) * s.shown.width,
                        sizeof(uint32_t) * box.width());
    } else {
        SDL_ConvertPixels(box.width(), box.height(), SDL_PIXELFORMAT_RGB888, src, src_pitch, ws->format->format, dst,
                          ws->pitch);
    }
    if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
    SDL_Rect r{box.left, box.top, box.width(), box.height()};
    SDL_UpdateWindowSurfaceRects(s.window, &r, 1);
}

void SdlBackend::apply_cursor(int id) {
    if (!up_ || id == cursor_shown_) return;
    SDL_Cursor*& c = cursors_[id];
    if (!c) {
        SDL_SystemCursor which = SDL_SYSTEM_CURSOR_ARROW;
        if (id == CursorNo) which = SDL_SYSTEM_CURSOR_NO;
        else if (id == CursorIBeam) which = SDL_SYSTEM_CURSOR_IBEAM;
        c = SDL_CreateSystemCursor(which);
        if (!c) return;
    }
    SDL_SetCursor(c);
    cursor_shown_ = id;
}

void SdlBackend::set_cursor(int surface, int cursor_id) {
    Surface* s = find(surface);
    if (!s) return;
    if (cursor_id != CursorNo && cursor_id != CursorIBeam) cursor_id = CursorArrow;
    s->cursor = cursor_id;
    // SDL has one cursor for all windows: show it now only if the pointer is over this one.
    SDL_Window* over = SDL_GetMouseFocus();
    if (!over || over == s->window) apply_cursor(cursor_id);
}

void SdlBackend::text_input(int surface, const Box* caret) {
    if (!up_) return;
    if (!caret) {
        SDL_StopTextInput();
        return;
    }
    (void)surface;  // the input method follows the window with the keyboard focus
    SDL_StartTextInput();
    SDL_Rect r{caret->left, caret->top, std::max(1, caret->width()), std::max(1, caret->height())};
    SDL_SetTextInputRect(&r);
}

// --- sound ---

void SdlBackend::play_wave(const uint8_t* riff_wave, size_t size) {
    if (!audio_) return;
    if (size == 0 || !riff_wave) {
        if (sound_device_) SDL_ClearQueuedAudio(sound_device_);
        return;
    }
    if (!sound_tried_) {
        sound_tried_ = true;
        SDL_AudioSpec want, have;
        SDL_zero(want);
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        sound_device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
        if (sound_device_) {
            sound_freq_ = have.freq;
            sound_format_ = have.format;
            sound_channels_ = have.channels;
            SDL_PauseAudioDevice(sound_device_, 0);
        }
    }
    if (!sound_device_ || size > INT_MAX) return;
    SDL_AudioSpec spec;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(riff_wave, static_cast<int>(size)), 1, &spec, &buf, &len)) return;
    SDL_AudioCVT cvt;
    int need = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, sound_format_, sound_channels_, sound_freq_);
    if (need >= 0) {
        std::vector<uint8_t> data(static_cast<size_t>(len) * std::max(1, cvt.len_mult));
        std::memcpy(data.data(), buf, len);
        Uint32 out_len = len;
        if (need == 1) {
            cvt.buf = data.data();
            cvt.len = static_cast<int>(len);
            if (SDL_ConvertAudio(&cvt) == 0) out_len = static_cast<Uint32>(cvt.len_cvt);
            else out_len = 0;
        }
        SDL_ClearQueuedAudio(sound_device_);
        if (out_len) SDL_QueueAudio(sound_device_, data.data(), out_len);
    }
    SDL_FreeWAV(buf);
}

void SdlBackend::wave_out_callback(void* self, uint8_t* stream, int len) {
    auto* b = static_cast<SdlBackend*>(self);
    size_t n = 0;
    if (b->wave_pull_) n = std::min(b->wave_pull_(stream, static_cast<size_t>(len)), static_cast<size_t>(len));
    std::memset(stream + n, 0, static_cast<size_t>(len) - n);  // 16-bit signed: silence is zero
}

bool SdlBackend::open_wave_out(int channels, int rate, std::function<size_t(uint8_t*, size_t)> pull) {
    close_wave_out();
    if (!audio_ || channels < 1 || channels > 8 || rate <= 0) return false;
    wave_pull_ = std::move(pull);  // set before the audio thread can start calling it
    SDL_AudioSpec want, have;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(channels);
    want.samples = rate > 24000 ? 2048 : 1024;
    want.callback = wave_out_callback;
    want.userdata = this;
    // No allowed changes: SDL converts from exactly this format to the device's.
    wave_device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!wave_device_) {
        wave_pull_ = nullptr;
        return false;
    }
    SDL_PauseAudioDevice(wave_device_, 0);
    return true;
}

void SdlBackend::close_wave_out() {
    // Closing waits for the audio thread to finish, so pull is not running or called afterwards.
    if (wave_device_) SDL_CloseAudioDevice(wave_device_);
    wave_device_ = 0;
    wave_pull_ = nullptr;
}

}  // namespace plat
