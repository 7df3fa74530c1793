// The layer's own model of windows and GDI objects, shared by its parts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/win32.h"

namespace plat {

struct Font;  // a face at a pixel size, owned by text.cpp
// State a built-in control keeps; each control derives its own.
struct ControlState {
    virtual ~ControlState() = default;
};
struct DialogState;

enum class GdiKind { Bitmap, Brush, Pen, Font, Region };

}  // namespace plat

struct HGDIOBJ__ {
    plat::GdiKind kind;
    bool stock = false;
    int stock_index = -1;          // GetStockObject index of a stock object
    plat::Pixmap bitmap;           // Bitmap
    COLORREF colour = 0;           // Brush, Pen
    bool hollow = false;           // NULL_BRUSH, NULL_PEN
    const plat::Font* font = nullptr;  // Font
    RECT rect{};                   // Region (rectangles only)
};

struct HDC__ {
    enum Kind { Memory, Window, Screen } kind = Memory;
    HWND window = nullptr;         // Window: whose backing store it draws on
    HGDIOBJ bitmap = nullptr;      // Memory: the selected bitmap
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ font = nullptr;
    int bk_mode = OPAQUE;
    COLORREF text_colour = RGB(0, 0, 0);
    COLORREF bk_colour = RGB(255, 255, 255);
    int origin_x = 0, origin_y = 0;  // where (0, 0) lies in the target pixmap
    plat::Box clip;                  // in target pixmap coordinates
    plat::Pixmap screen;             // Screen: the screen as last read
};

namespace plat {

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    bool builtin = false;  // "Button", "Edit", "Static" and the dialog class
};

struct Timer {
    UINT_PTR id;
    UINT interval;
    uint32_t due;
    TIMERPROC proc;
};

}  // namespace plat

struct HWND__ {
    uint64_t serial = 0;           // unique in the process, for reports and other processes
    plat::WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0, ex_style = 0;
    std::string text;              // Shift_JIS
    HWND parent = nullptr;         // WS_CHILD windows
    HWND owner = nullptr;          // owned top-level windows
    std::vector<HWND> children;    // bottom to top
    RECT rect{};                   // top-level: screen coordinates; child: parent's client coordinates
    int id = 0;                    // control id of a child
    HINSTANCE instance = nullptr;
    bool visible = false;
    bool enabled = true;
    bool iconic = false;
    bool destroyed = false;
    bool topmost_band = false;
    plat::Pixmap backing;          // the whole window, frame included
    RECT update{};                 // pending update, client coordinates
    bool has_update = false;
    bool update_erase = false;
    bool has_region = false;
    RECT region{};                 // window coordinates
    bool alpha_set = false;        // layered with a constant alpha
    BYTE alpha = 255;
    HFONT font = nullptr;          // WM_SETFONT of controls and dialogs
    HWND last_active_popup = nullptr;
    std::unique_ptr<plat::ControlState> control;
    plat::DialogState* dialog = nullptr;
    int surface = -1;              // backend surface when this window is a surface root
    // A window of another process found by FindWindowA.
    bool remote = false;
    int remote_pid = 0;
};

namespace plat {

// --- windows (user_window.cpp) ---
bool is_window(HWND w);
HWND top_level(HWND w);            // the window itself or its top-level ancestor
bool really_visible(HWND w);       // visible, and every ancestor visible
POINT client_origin(HWND w);       // client (0, 0) in window coordinates
Box client_box(HWND w);            // client area in window coordinates
POINT screen_origin(HWND w);       // window (0, 0) in screen coordinates
HWND window_at(int x, int y);      // screen point to the deepest visible, enabled or not, window
const std::vector<HWND>& z_order();  // top-level windows, bottom to top
void bring_to_top(HWND w);
void mark_dirty(HWND w);           // its pixels changed: compose again
void note_window_change(HWND w, const Box& box);  // these pixels of its backing store changed
void paint_frame(HWND w);          // non-client area: border, caption
std::string class_name(HWND w);
// The centre, on the screen, of a visible control showing this text (UTF-8).
bool find_control(const std::string& text_utf8, int& x, int& y);
std::string describe(HWND w);      // "\"hwnd\":N,\"class\":\"...\"" for reports
extern HWND active_window;
extern HWND focus_window;

void register_class(const WindowClass& wc);
// Frame metrics of captioned windows (dialogs, message boxes), drawn by the layer.
constexpr int kFrame = 3;
constexpr int kCaption = 19;

// --- messages (user_message.cpp) ---
void post(HWND w, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the queue until `done` becomes true (modal loops); returns false if WM_QUIT arrived,
// which is then posted again for the outer loop.
bool run_modal(bool& done, const std::function<bool(MSG&)>& pretranslate = nullptr);
void remove_messages_for(HWND w);
void set_capture(HWND w);

// --- composition (compose.cpp) ---
void compose_and_present();
void note_screen_change(const Box& screen_box);  // this part of the screen must be composed again
void raise_surface_of(HWND root);
void compose_screen(Pixmap& out);  // everything the user sees, over the desktop
void forget_surface(HWND w);

// --- gdi (gdi.cpp) ---
Pixmap* dc_target(HDC dc);
HGDIOBJ new_bitmap(int width, int height);
void fill_box(Pixmap& target, const Box& box, uint32_t rgb);
inline uint32_t to_rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
inline COLORREF to_colorref(uint32_t rgb) { return RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255); }
Box intersect(const Box& a, const Box& b);
Box unite(const Box& a, const Box& b);

// --- text (text.cpp): FreeType fonts found through fontconfig ---
enum class FontRole {
    SystemFixed,   // fixed-pitch system font, full-width glyphs 16 px
    System,        // default font of controls created without WM_SETFONT
    DialogUI,      // the proportional Gothic face standing in for a dialog's font
    Caption,       // captions drawn by the layer
};
// The font for a role at a pixel height (0: the role's own height). Never null;
// a missing font ends the process with a clear message.
const Font* font_for(FontRole role, int pixel_height = 0);
int font_height(const Font* font);   // cell height in pixels
int font_ascent(const Font* font);
// Width of a Shift_JIS text, in pixels.
int text_width(const Font* font, const char* sjis, int length);
// Draws a Shift_JIS text with its cell's top-left at (x, y) of `target`,
// clipped to `clip`; with `opaque`, the cell is first filled with `bk`.
void draw_text(Pixmap& target, const Box& clip, int x, int y, const Font* font, const char* sjis, int length,
               uint32_t fg, bool opaque, uint32_t bk);

// --- code pages (codepage.cpp) ---
std::string sjis_to_utf8(const std::string& sjis);
std::string utf8_to_sjis(const std::string& utf8);
std::u32string sjis_to_utf32(const char* sjis, int length);

// --- file names (kernel.cpp): the host's "/" is drive Z: ---
std::string to_host_path(const char* windows_path);       // Shift_JIS in, host (UTF-8) out
std::string to_windows_path(const std::string& host_path);  // host in, "Z:\\..." in Shift_JIS out

// --- reports ---
std::string json_string(const std::string& utf8);  // quoted and escaped
void report(const std::string& fields);

}  // namespace plat
