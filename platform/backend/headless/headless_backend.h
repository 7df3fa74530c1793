// A machine without a display: virtual milliseconds, a chosen screen and
// desktop, input from a script, and a report of everything the program did.
#pragma once

#include <cstdio>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace plat {

class HeadlessBackend : public Backend {
public:
    // Script steps, one a line; see docs/headless-runner.md.
    explicit HeadlessBackend(FILE* report_to = nullptr);
    // Reads a script; false with a message on a line it cannot use.
    bool load_script(const std::string& text, std::string& error);

    uint32_t ticks() override { return now_; }
    void sleep(uint32_t ms) override { now_ += ms; }
    void wait(std::optional<uint32_t> deadline) override;
    void wake() override { woken_ = true; }
    bool next_input(InputEvent& event) override;

    int screen_width() override { return width_; }
    int screen_height() override { return height_; }
    void capture_desktop(Pixmap& out) override;

    bool single_screen() override { return true; }
    int create_surface(const Box&, const std::string&, bool) override { return 0; }
    void move_surface(int, const Box&) override {}
    void show_surface(int, bool) override {}
    void destroy_surface(int) override {}
    void raise_surface(int) override {}
    void present(int, const Pixmap&, const Box&) override {}
    void set_cursor(int, int cursor_id) override { cursor_ = cursor_id; }
    void text_input(int, const Box*) override {}

    void play_wave(const uint8_t*, size_t) override {}
    bool open_wave_out(int, int, std::function<size_t(uint8_t*, size_t)>) override { return false; }
    void close_wave_out() override {}

    void report(const std::string& json_fields) override;
    std::string session_dir() override;
    std::string module_file() override { return module_.empty() ? Backend::module_file() : module_; }
    void set_module_file(const std::string& sjis) { module_ = sjis; }
    bool refuse_class(const char* name) override { return refused_classes_.count(name) > 0; }
    bool refuse_window(const char* name) override { return refused_windows_.count(name) > 0; }
    void version(uint32_t& platform, uint32_t& major, uint32_t& minor) override {
        platform = platform_, major = major_, minor = minor_;
    }

    // For tests driving the layer in process: the cursor last asked for.
    int cursor() const { return cursor_; }
    void set_screen(int width, int height) { width_ = width, height_ = height; }
    void set_ticks(uint32_t ticks) { now_ = ticks; }
    void set_version(uint32_t platform, uint32_t major, uint32_t minor) { platform_ = platform, major_ = major, minor_ = minor; }
    void inject(const InputEvent& event) { input_.push_back(event); }
    // What ends the run when the script has nothing more to do: -1 lets
    // virtual time run on to the next timer (tests of the layer).
    int end_code = 124;

private:
    struct Step {
        std::string verb;
        std::vector<std::string> args;
        std::string rest;  // everything after the verb
        int line;
    };
    bool run_step(const Step& step);
    void finish(int code, const std::string& why);
    void push_click(int x, int y);
    void push_key(const std::string& name);

    uint32_t now_ = 10000;
    int width_ = 1024, height_ = 768;
    uint32_t platform_ = 2, major_ = 5, minor_ = 1;
    std::string desktop_file_;
    bool desktop_rows_ = false;
    std::string session_;
    std::string module_;
    std::set<std::string> refused_classes_, refused_windows_;
    std::deque<Step> steps_;
    std::optional<uint32_t> until_;  // a "wait" in progress
    std::deque<InputEvent> input_;
    bool woken_ = false;
    int cursor_ = 0;
    FILE* out_;
};

// How many of the program's next calloc calls must fail (the runner links the
// program with its calloc wrapped; see runner_main.cpp).
extern int failing_callocs;

// Writes pixels as an 8-bit RGB PNG; false on failure.
bool write_png(const std::string& path, const Pixmap& pixels);
bool read_png(const std::string& path, Pixmap& pixels);

}  // namespace plat
