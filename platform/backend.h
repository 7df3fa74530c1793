// What the platform layer needs from the machine. Two implementations exist:
// backend/sdl (a real desktop) and backend/headless (virtual time, scripted
// input). Nothing else in the layer touches the machine's display, clock,
// input or audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// 32-bit pixels, 0x00RRGGBB, rows top-down.
struct Pixmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    void resize(int w, int h, uint32_t fill = 0) {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        pixels.assign(static_cast<size_t>(width) * height, fill);
    }
    uint32_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
    const uint32_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

struct Box {  // a rectangle: left/top inclusive, right/bottom exclusive
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct InputEvent {
    enum Kind { MouseMove, MouseDown, MouseUp, KeyDown, KeyUp, Text, CloseRequest };
    Kind kind = MouseMove;
    int surface = 0;    // which surface the event belongs to
    int x = 0, y = 0;   // pointer position in surface coordinates (mouse events)
    int vk = 0;         // virtual-key code (key events)
    bool alt = false;   // Alt held (key events)
    std::string text;   // UTF-8 (Text events)
};

// Standard cursors the layer asks for, by their system ids.
enum { CursorArrow = 32512, CursorNo = 32648, CursorIBeam = 32513 };

class Backend {
public:
    virtual ~Backend() = default;

    // Clock: milliseconds since the system started, wrapping at 2^32.
    virtual uint32_t ticks() = 0;
    virtual void sleep(uint32_t ms) = 0;
    // Blocks until input is queued, wake() is called, or ticks() reaches the
    // deadline (none: no deadline). May return early.
    virtual void wait(std::optional<uint32_t> deadline) = 0;
    // Thread-safe: makes a pending or future wait() return.
    virtual void wake() = 0;
    virtual bool next_input(InputEvent& event) = 0;

    // The primary screen.
    virtual int screen_width() = 0;
    virtual int screen_height() = 0;
    // The desktop as it looks now, without this program's surfaces.
    virtual void capture_desktop(Pixmap& out) = 0;

    // Surfaces: what the user sees of the layer's windows. When
    // single_screen() is true, the layer composes everything into surface 0,
    // which covers the whole screen, over capture_desktop().
    virtual bool single_screen() = 0;
    virtual int create_surface(const Box& screen_rect, const std::string& title_utf8, bool topmost) = 0;
    virtual void move_surface(int surface, const Box& screen_rect) = 0;
    virtual void show_surface(int surface, bool visible) = 0;
    virtual void destroy_surface(int surface) = 0;
    virtual void raise_surface(int surface) = 0;
    // Shows the surface's pixels; only `dirty` changed since the last call.
    virtual void present(int surface, const Pixmap& pixels, const Box& dirty) = 0;
    virtual void set_cursor(int surface, int cursor_id) = 0;
    // The text field with keyboard focus is at this surface rectangle (for input
    // methods); none: no text field has focus.
    virtual void text_input(int surface, const Box* caret) = 0;

    // Sound effects: one at a time; a new one replaces the old; empty stops.
    virtual void play_wave(const uint8_t* riff_wave, size_t size) = 0;
    // Wave output: one stream of 16-bit signed little-endian PCM, filled on the
    // audio thread by `pull`, which returns the bytes it wrote (the rest is
    // silence). False: no audio device. After close_wave_out() returns, `pull`
    // is not called again.
    virtual bool open_wave_out(int channels, int rate, std::function<size_t(uint8_t*, size_t)> pull) = 0;
    virtual void close_wave_out() = 0;

    // Trace of what the program did, for the headless report. `json_fields` is
    // the inside of a JSON object without braces, e.g. "\"ev\":\"show\"".
    virtual void report(const std::string& json_fields) = 0;

    // Folder of the session's named objects (mutexes) and of the windows that
    // other processes can find; by default one per user.
    virtual std::string session_dir();
    // The executable's full path in the system's form ("Z:\\..."), Shift_JIS.
    virtual std::string module_file();

    // Fault injection of the headless backend: whether registering or creating
    // a window of this class must fail.
    virtual bool refuse_class(const char* class_name) { (void)class_name; return false; }
    virtual bool refuse_window(const char* class_name) { (void)class_name; return false; }
    // The version the system reports (platform id, major, minor).
    virtual void version(uint32_t& platform, uint32_t& major, uint32_t& minor) {
        platform = 2, major = 5, minor = 1;
    }
};

// The backend in use; set once by the executable's start-up before WinMain.
Backend& backend();
void set_backend(Backend* backend);

}  // namespace plat
