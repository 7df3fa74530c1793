#include "platform/backend/headless/headless_backend.h"

#include <png.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <sstream>

#include "platform/internal.h"
#include "platform/ipc.h"

namespace plat {

namespace {

std::vector<std::string> split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

int number(const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 0)); }

const std::map<std::string, int>& key_names() {
    static const std::map<std::string, int> keys = {
        {"return", VK_RETURN}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
        {"tab", VK_TAB},       {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"left", VK_LEFT},
        {"right", VK_RIGHT},   {"up", VK_UP},          {"down", VK_DOWN},     {"home", VK_HOME},
        {"end", VK_END},       {"space", VK_SPACE},    {"shift", VK_SHIFT},   {"f4", 0x73},
    };
    return keys;
}

// Window messages a script may name instead of a number.
const std::map<std::string, UINT>& message_names() {
    static const std::map<std::string, UINT> names = {
        {"WM_CLOSE", WM_CLOSE},       {"WM_DESTROY", WM_DESTROY},        {"WM_COMMAND", WM_COMMAND},
        {"WM_TIMER", WM_TIMER},       {"WM_PAINT", WM_PAINT},            {"WM_SYSCOMMAND", WM_SYSCOMMAND},
        {"MM_MCINOTIFY", MM_MCINOTIFY}, {"WMU_SETLINE", 0x8000},         {"WMU_CLEARLINES", 0x8001},
        {"WMU_FLASHYELLOW", 0x8002},  {"WMU_BLACKOUT", 0x8003},          {"WMU_FLASHRED", 0x8004},
        {"WMU_BLINKENEMY", 0x8005},   {"WMU_ENEMYATTACK", 0x8005},       {"WMU_ENEMYVANISH", 0x8006},
        {"WMU_DEFEAT", 0x8007},
    };
    return names;
}

char hex_digit(int v) { return "0123456789abcdef"[v & 15]; }

std::string colour_name(uint32_t rgb) {
    std::string s = "#";
    for (int shift = 20; shift >= 0; shift -= 4) s += hex_digit(rgb >> shift);
    return s;
}

}  // namespace

int failing_callocs = 0;

HeadlessBackend::HeadlessBackend(FILE* report_to) : out_(report_to) {}

bool HeadlessBackend::load_script(const std::string& text, std::string& error) {
    std::istringstream in(text);
    int line_no = 0;
    for (std::string line; std::getline(in, line);) {
        ++line_no;
        size_t hash = line.find('#');
        if (hash != std::string::npos && (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t'))
            line.erase(hash);
        auto words = split(line);
        if (words.empty()) continue;
        Step step{words[0], std::vector<std::string>(words.begin() + 1, words.end()), "", line_no};
        size_t at = line.find(words[0]) + words[0].size();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (words[0] == "type") {
            // Typed text is taken exactly: everything after the one blank behind the verb.
            step.rest = at < line.size() ? line.substr(at + 1) : "";
        } else {
            size_t start = line.find_first_not_of(" \t", at);
            step.rest = start == std::string::npos ? "" : line.substr(start);
            while (!step.rest.empty() && step.rest.back() == ' ') step.rest.pop_back();
        }
        const std::string& v = step.verb;
        auto need = [&](size_t n) {
            if (step.args.size() >= n) return true;
            error = "line " + std::to_string(line_no) + ": '" + v + "' needs " + std::to_string(n) + " argument(s)";
            return false;
        };
        // Settings take effect before the program starts.
        if (v == "screen") {
            if (!need(2)) return false;
            width_ = number(step.args[0]), height_ = number(step.args[1]);
        } else if (v == "tick") {
            if (!need(1)) return false;
            now_ = static_cast<uint32_t>(std::strtoul(step.args[0].c_str(), nullptr, 0));
        } else if (v == "desktop") {
            if (!need(1)) return false;
            desktop_rows_ = step.args[0] == "rows";
            if (!desktop_rows_) desktop_file_ = step.rest;
        } else if (v == "session") {
            if (!need(1)) return false;
            session_ = step.rest;
        } else if (v == "refuse-class") {
            if (!need(1)) return false;
            refused_classes_.insert(step.args[0]);
        } else if (v == "refuse-window") {
            if (!need(1)) return false;
            refused_windows_.insert(step.args[0]);
        } else if (v == "version") {
            if (!need(3)) return false;
            platform_ = step.args[0] == "9x" ? 1 : 2;
            major_ = number(step.args[1]), minor_ = number(step.args[2]);
        } else if (v == "wait" || v == "until" || v == "hold") {
            if (!need(1)) return false;
            steps_.push_back(step);
        } else if (v == "click" || v == "type" || v == "key" || v == "screenshot") {
            if (step.rest.empty()) return need(1);
            steps_.push_back(step);
        } else if (v == "close" || v == "fail-calloc") {
            steps_.push_back(step);
        } else if (v == "click-at" || v == "pixel") {
            if (!need(2)) return false;
            steps_.push_back(step);
        } else if (v == "send") {
            if (!need(2)) return false;
            steps_.push_back(step);
        } else {
            error = "line " + std::to_string(line_no) + ": unknown step '" + v + "'";
            return false;
        }
    }
    return true;
}

void HeadlessBackend::report(const std::string& json_fields) {
    if (!out_) return;
    std::fprintf(out_, "{\"t\":%u,%s}\n", now_, json_fields.c_str());
    std::fflush(out_);
}

std::string HeadlessBackend::session_dir() {
    if (session_.empty()) {
        // A fresh session for every run, so that runs never meet by accident.
        char dir[] = "/tmp/dorvane-headless-XXXXXX";
        if (mkdtemp(dir)) session_ = dir;
        else session_ = "/tmp";
    }
    return session_;
}

void HeadlessBackend::capture_desktop(Pixmap& out) {
    out.resize(width_, height_, 0);
    if (desktop_rows_) {
        // Every row its own colour: red and green count the row, blue is fixed.
        for (int y = 0; y < height_; ++y)
            std::fill(out.row(y), out.row(y) + width_, ((y & 0xFF) << 16) | (((y >> 8) & 0xFF) << 8) | 0x40);
    } else if (!desktop_file_.empty()) {
        Pixmap image;
        if (!read_png(desktop_file_, image)) return;
        for (int y = 0; y < std::min(height_, image.height); ++y)
            std::memcpy(out.row(y), image.row(y), sizeof(uint32_t) * std::min(width_, image.width));
    }
}

bool HeadlessBackend::next_input(InputEvent& event) {
    if (input_.empty()) return false;
    event = input_.front();
    input_.pop_front();
    return true;
}

void HeadlessBackend::finish(int code, const std::string& why) {
    report("\"ev\":" + json_string(why) + ",\"code\":" + std::to_string(code));
    if (out_) std::fflush(out_);
    _exit(code);
}

void HeadlessBackend::push_click(int x, int y) {
    InputEvent e;
    e.x = x, e.y = y;
    e.kind = InputEvent::MouseMove;
    input_.push_back(e);
    e.kind = InputEvent::MouseDown;
    input_.push_back(e);
    e.kind = InputEvent::MouseUp;
    input_.push_back(e);
}

void HeadlessBackend::push_key(const std::string& spec) {
    std::string name = spec;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool alt = name.rfind("alt+", 0) == 0;
    if (alt) name = name.substr(4);
    int vk = 0;
    auto it = key_names().find(name);
    if (it != key_names().end()) vk = it->second;
    else if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        vk = std::toupper(static_cast<unsigned char>(name[0]));
    if (!vk) finish(125, "script-error: unknown key " + spec);
    InputEvent e;
    e.kind = InputEvent::KeyDown;
    e.vk = vk;
    e.alt = alt;
    input_.push_back(e);
    e.kind = InputEvent::KeyUp;
    input_.push_back(e);
}

// Runs one step; true when the program must run before the next one.
bool HeadlessBackend::run_step(const Step& s) {
    const std::string& v = s.verb;
    if (v == "wait") {
        until_ = now_ + static_cast<uint32_t>(number(s.args[0]));
        return false;
    }
    if (v == "until") {
        until_ = static_cast<uint32_t>(std::strtoul(s.args[0].c_str(), nullptr, 0));
        return false;
    }
    if (v == "hold") {
        // Real time passes while virtual time stands: other processes' requests are answered.
        for (int ms = number(s.args[0]); ms > 0; ms -= 10) {
            usleep(10000);
            ipc_serve();
        }
        return false;
    }
    if (v == "click") {
        int x, y;
        if (!find_control(s.rest, x, y)) finish(125, "script-error: no visible control " + s.rest);
        report("\"ev\":\"click\",\"text\":" + json_string(s.rest) + ",\"x\":" + std::to_string(x) + ",\"y\":" +
               std::to_string(y));
        push_click(x, y);
        return true;
    }
    if (v == "click-at") {
        push_click(number(s.args[0]), number(s.args[1]));
        return true;
    }
    if (v == "fail-calloc") {
        ++failing_callocs;
        return false;
    }
    if (v == "close") {
        // The close box of the active window, or the window manager's close request.
        InputEvent e;
        e.kind = InputEvent::CloseRequest;
        input_.push_back(e);
        return true;
    }
    if (v == "type") {
        InputEvent e;
        e.kind = InputEvent::Text;
        e.text = s.rest;
        input_.push_back(e);
        return true;
    }
    if (v == "key") {
        push_key(s.rest);
        return true;
    }
    if (v == "send") {
        UINT message = 0;
        auto it = message_names().find(s.args[1]);
        message = it != message_names().end() ? it->second : static_cast<UINT>(number(s.args[1]));
        WPARAM wp = s.args.size() > 2 ? static_cast<WPARAM>(number(s.args[2])) : 0;
        LPARAM lp = s.args.size() > 3 ? static_cast<LPARAM>(number(s.args[3])) : 0;
        HWND w = FindWindowA(s.args[0].c_str(), nullptr);
        if (!w) finish(125, "script-error: no window of class " + s.args[0]);
        report("\"ev\":\"send\"," + describe(w) + ",\"msg\":" + std::to_string(message));
        SendMessageA(w, message, wp, lp);
        return true;
    }
    if (v == "screenshot") {
        Pixmap screen;
        compose_screen(screen);
        if (!write_png(s.rest, screen)) finish(125, "script-error: cannot write " + s.rest);
        report("\"ev\":\"screenshot\",\"file\":" + json_string(s.rest));
        return false;
    }
    if (v == "pixel") {
        Pixmap screen;
        compose_screen(screen);
        int x = number(s.args[0]), y = number(s.args[1]);
        uint32_t rgb = x >= 0 && y >= 0 && x < screen.width && y < screen.height ? screen.row(y)[x] : 0;
        report("\"ev\":\"pixel\",\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y) +
               ",\"rgb\":" + json_string(colour_name(rgb)));
        return false;
    }
    return false;
}

void HeadlessBackend::wait(std::optional<uint32_t> deadline) {
    for (;;) {
        if (woken_ || !input_.empty()) {
            woken_ = false;
            return;
        }
        if (until_) {
            if (deadline && static_cast<int32_t>(*deadline - *until_) <= 0) {
                // A timer falls due first.
                if (static_cast<int32_t>(*deadline - now_) > 0) now_ = *deadline;
                return;
            }
            now_ = *until_;
            until_.reset();
            continue;
        }
        if (steps_.empty()) {
            if (end_code < 0 && deadline) {
                if (static_cast<int32_t>(*deadline - now_) > 0) now_ = *deadline;
                return;
            }
            finish(end_code < 0 ? 124 : end_code, "end-of-script");
        }
        Step step = steps_.front();
        steps_.pop_front();
        if (run_step(step)) return;
    }
}

bool write_png(const std::string& path, const Pixmap& pixels) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, pixels.width, pixels.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(pixels.width) * 3);
    for (int y = 0; y < pixels.height; ++y) {
        const uint32_t* in = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x) {
            row[x * 3] = (in[x] >> 16) & 255;
            row[x * 3 + 1] = (in[x] >> 8) & 255;
            row[x * 3 + 2] = in[x] & 255;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool read_png(const std::string& path, Pixmap& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> data(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, data.data(), 0, nullptr)) return false;
    pixels.resize(image.width, image.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const png_byte* p = &data[(static_cast<size_t>(y) * pixels.width + x) * 3];
            pixels.row(y)[x] = (p[0] << 16) | (p[1] << 8) | p[2];
        }
    return true;
}

}  // namespace plat
