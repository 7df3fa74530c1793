// The real desktop: SDL2 windows, events, cursors and audio, and the desktop
// picture read from the X server where the display is X11.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/backend.h"

struct SDL_Window;
struct SDL_Surface;
struct SDL_Cursor;
union SDL_Event;
struct _XDisplay;

namespace plat {

class SdlBackend : public Backend {
public:
    // Starts SDL video (and audio, when there is a device). Null with `error`
    // set when there is no display to open.
    static std::unique_ptr<SdlBackend> open(std::string& error);
    ~SdlBackend() override;

    // Closes every window and audio device and quits SDL; afterwards the
    // surface and sound calls do nothing. Also run at process exit, before the
    // layer's static objects go away, so the audio thread never pulls from them.
    void shutdown();

    uint32_t ticks() override;
    void sleep(uint32_t ms) override;
    void wait(std::optional<uint32_t> deadline) override;
    void wake() override;
    bool next_input(InputEvent& event) override;

    int screen_width() override;
    int screen_height() override;
    void capture_desktop(Pixmap& out) override;

    bool single_screen() override { return false; }
    int create_surface(const Box& screen_rect, const std::string& title_utf8, bool topmost) override;
    void move_surface(int surface, const Box& screen_rect) override;
    void show_surface(int surface, bool visible) override;
    void destroy_surface(int surface) override;
    void raise_surface(int surface) override;
    void present(int surface, const Pixmap& pixels, const Box& dirty) override;
    void set_cursor(int surface, int cursor_id) override;
    void text_input(int surface, const Box* caret) override;

    void play_wave(const uint8_t* riff_wave, size_t size) override;
    bool open_wave_out(int channels, int rate, std::function<size_t(uint8_t*, size_t)> pull) override;
    void close_wave_out() override;

    void report(const std::string&) override {}

    // The SDL keycode's virtual-key code, 0 when it has none.
    static int virtual_key(int32_t sdl_keycode);

private:
    SdlBackend() = default;

    struct Surface {
        SDL_Window* window = nullptr;
        Box rect;                      // screen coordinates
        bool full_screen = false;
        bool topmost = false;
        bool visible = false;
        int cursor = CursorArrow;
        Pixmap shown;                  // what the window should show, for exposes and resizes
        SDL_Surface* drawn_on = nullptr;  // the window surface last drawn on
        int drawn_w = 0, drawn_h = 0;
    };

    Surface* find(int surface);
    int surface_of_window(uint32_t window_id);
    void translate(const SDL_Event& event);
    void redraw(Surface& s, Box box);   // copies `box` of s.shown to the window
    bool covers_screen(const Box& r);
    void screen_origin(int& x, int& y);
    void apply_cursor(int cursor_id);
    bool window_manager_running();
    void keep_topmost_above();

    static void wave_out_callback(void* self, uint8_t* stream, int len);

    bool up_ = false;
    bool x11_ = false;
    _XDisplay* xdisplay_ = nullptr;    // our own connection, for the desktop picture
    uint32_t wake_event_ = 0;
    std::atomic<bool> wake_pending_{false};
    std::deque<InputEvent> inputs_;
    std::map<int, Surface> surfaces_;
    std::map<uint32_t, int> by_window_id_;
    int next_surface_ = 1;
    int key_focus_ = 0;                // surface with keyboard focus, for events SDL sends without one
    std::map<int, SDL_Cursor*> cursors_;
    int cursor_shown_ = 0;

    bool audio_ = false;               // the audio subsystem started
    bool sound_tried_ = false;
    uint32_t sound_device_ = 0;
    int sound_freq_ = 0;
    uint16_t sound_format_ = 0;
    uint8_t sound_channels_ = 0;

    uint32_t wave_device_ = 0;
    std::function<size_t(uint8_t*, size_t)> wave_pull_;
};

}  // namespace plat
