// GDI: device contexts, bitmaps, brushes, pens, regions, block transfers,
// rectangles and text output on 32-bit pixels.
#include <algorithm>
#include <set>

#include "platform/controls.h"
#include "platform/internal.h"

namespace plat {

namespace {

std::set<HGDIOBJ> live_objects;
std::set<HDC> live_dcs;

HGDIOBJ__* make_stock(GdiKind kind, int index, COLORREF colour = 0, bool hollow = false) {
    auto* o = new HGDIOBJ__{kind};
    o->stock = true;
    o->stock_index = index;
    o->colour = colour;
    o->hollow = hollow;
    return o;
}

HGDIOBJ stock(int index) {
    static HGDIOBJ__* objects[18] = {
        make_stock(GdiKind::Brush, WHITE_BRUSH, RGB(255, 255, 255)),
        make_stock(GdiKind::Brush, 1, RGB(192, 192, 192)),
        make_stock(GdiKind::Brush, GRAY_BRUSH, RGB(128, 128, 128)),
        make_stock(GdiKind::Brush, 3, RGB(64, 64, 64)),
        make_stock(GdiKind::Brush, BLACK_BRUSH, RGB(0, 0, 0)),
        make_stock(GdiKind::Brush, NULL_BRUSH, 0, true),
        make_stock(GdiKind::Pen, WHITE_PEN, RGB(255, 255, 255)),
        make_stock(GdiKind::Pen, BLACK_PEN, RGB(0, 0, 0)),
        make_stock(GdiKind::Pen, NULL_PEN, 0, true),
        nullptr,
        make_stock(GdiKind::Font, 10),
        make_stock(GdiKind::Font, 11),
        make_stock(GdiKind::Font, 12),
        make_stock(GdiKind::Font, SYSTEM_FONT),
        make_stock(GdiKind::Font, 14),
        nullptr,
        make_stock(GdiKind::Font, SYSTEM_FIXED_FONT),
        make_stock(GdiKind::Font, DEFAULT_GUI_FONT),
    };
    if (index < 0 || index >= 18) return nullptr;
    return objects[index];
}

// The default 1 x 1 bitmap of a new memory device context.
HGDIOBJ default_bitmap() {
    static HGDIOBJ__* b = [] {
        auto* o = new HGDIOBJ__{GdiKind::Bitmap};
        o->stock = true;
        o->bitmap.resize(1, 1, 0);
        return o;
    }();
    return b;
}

const Font* font_of(HGDIOBJ object) {
    if (object && object->font) return object->font;
    if (object && object->stock) {
        const Font* f = object->stock_index == SYSTEM_FIXED_FONT ? font_for(FontRole::SystemFixed)
                        : object->stock_index == DEFAULT_GUI_FONT ? font_for(FontRole::DialogUI)
                                                                  : font_for(FontRole::System);
        object->font = f;
        return f;
    }
    return font_for(FontRole::System);
}

// System colour brushes given as (HBRUSH)(COLOR_x + 1).
bool system_colour(HGDIOBJ brush, uint32_t& rgb) {
    uintptr_t v = reinterpret_cast<uintptr_t>(brush);
    if (v == 0 || v > 31) return false;
    switch (v - 1) {
    case 5: rgb = 0xFFFFFF; break;   // COLOR_WINDOW
    case 15: rgb = kFace; break;     // COLOR_BTNFACE
    default: rgb = 0; break;
    }
    return true;
}

HDC new_dc(HDC__::Kind kind) {
    HDC dc = new HDC__;
    dc->kind = kind;
    dc->brush = stock(WHITE_BRUSH);
    dc->pen = stock(BLACK_PEN);
    dc->font = stock(SYSTEM_FONT);
    live_dcs.insert(dc);
    return dc;
}

bool valid_dc(HDC dc) { return dc && live_dcs.count(dc); }

void read_screen(HDC dc) {
    if (backend().single_screen()) compose_screen(dc->screen);
    else backend().capture_desktop(dc->screen);
    dc->clip = Box{0, 0, dc->screen.width, dc->screen.height};
}

// The part of the target a drawing touched: to be composed again when it is a window's.
void touched(HDC dc, const Box& box) {
    if (dc->kind == HDC__::Window) note_window_change(dc->window, box);
}

Box target_box(HDC dc, int x, int y, int width, int height) {
    Box b{dc->origin_x + x, dc->origin_y + y, dc->origin_x + x + width, dc->origin_y + y + height};
    Pixmap* t = dc_target(dc);
    Box clip = intersect(dc->clip, Box{0, 0, t ? t->width : 0, t ? t->height : 0});
    return intersect(b, clip);
}

}  // namespace

Box intersect(const Box& a, const Box& b) {
    Box r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.empty()) return Box{};
    return r;
}

Box unite(const Box& a, const Box& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return Box{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
               std::max(a.bottom, b.bottom)};
}

void fill_box(Pixmap& target, const Box& box, uint32_t rgb) {
    Box b = intersect(box, Box{0, 0, target.width, target.height});
    for (int y = b.top; y < b.bottom; ++y) std::fill(target.row(y) + b.left, target.row(y) + b.right, rgb);
}

Pixmap* dc_target(HDC dc) {
    switch (dc->kind) {
    case HDC__::Memory: return dc->bitmap ? &dc->bitmap->bitmap : nullptr;
    case HDC__::Window: return is_window(dc->window) ? &dc->window->backing : nullptr;
    case HDC__::Screen: return &dc->screen;
    }
    return nullptr;
}

HGDIOBJ new_bitmap(int width, int height) {
    auto* o = new HGDIOBJ__{GdiKind::Bitmap};
    o->bitmap.resize(width, height, 0);
    live_objects.insert(o);
    return o;
}

}  // namespace plat

using namespace plat;

extern "C" {

HDC WINAPI GetDC(HWND w) {
    if (!w) {
        HDC dc = new_dc(HDC__::Screen);
        dc->clip = Box{0, 0, backend().screen_width(), backend().screen_height()};
        return dc;
    }
    if (!is_window(w) || w->remote) return nullptr;
    HDC dc = new_dc(HDC__::Window);
    dc->window = w;
    POINT o = client_origin(w);
    dc->origin_x = o.x;
    dc->origin_y = o.y;
    dc->clip = client_box(w);
    return dc;
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    if (!valid_dc(dc) || dc->kind == HDC__::Memory) return 0;
    live_dcs.erase(dc);
    delete dc;
    return 1;
}

HDC WINAPI CreateCompatibleDC(HDC) {
    HDC dc = new_dc(HDC__::Memory);
    dc->bitmap = default_bitmap();
    dc->clip = Box{0, 0, 1 << 30, 1 << 30};
    return dc;
}

BOOL WINAPI DeleteDC(HDC dc) {
    if (!valid_dc(dc)) return FALSE;
    live_dcs.erase(dc);
    delete dc;
    return TRUE;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC, int width, int height) {
    if (width < 0 || height < 0) return nullptr;
    return new_bitmap(width, height);
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    if (!valid_dc(dc) || !object) return nullptr;
    HGDIOBJ previous = nullptr;
    switch (object->kind) {
    case GdiKind::Bitmap:
        if (dc->kind != HDC__::Memory) return nullptr;
        previous = dc->bitmap;
        dc->bitmap = object;
        break;
    case GdiKind::Brush: previous = dc->brush; dc->brush = object; break;
    case GdiKind::Pen: previous = dc->pen; dc->pen = object; break;
    case GdiKind::Font: previous = dc->font; dc->font = object; break;
    case GdiKind::Region: return reinterpret_cast<HGDIOBJ>(1);  // SIMPLEREGION; clipping regions are not used
    }
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    if (!object) return FALSE;
    if (object->stock) return TRUE;
    if (!live_objects.count(object)) return FALSE;
    // An object still selected into a device context stays, as on the system.
    for (HDC dc : live_dcs)
        if (dc->bitmap == object || dc->brush == object || dc->pen == object || dc->font == object) return FALSE;
    live_objects.erase(object);
    delete object;
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) { return stock(index); }

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    auto* o = new HGDIOBJ__{GdiKind::Brush};
    o->colour = colour;
    live_objects.insert(o);
    return o;
}

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
    auto* o = new HGDIOBJ__{GdiKind::Region};
    o->rect = RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    live_objects.insert(o);
    return o;
}

BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    return StretchBlt(dst, x, y, width, height, src, srcX, srcY, width, height, rop);
}

BOOL WINAPI StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                       int srcHeight, DWORD rop) {
    if (!valid_dc(dst)) return FALSE;
    Pixmap* target = dc_target(dst);
    if (!target) return FALSE;
    Box box = target_box(dst, x, y, width, height);
    if (rop == BLACKNESS || rop == WHITENESS) {
        fill_box(*target, box, rop == BLACKNESS ? 0 : 0xFFFFFF);
        touched(dst, box);
        return TRUE;
    }
    if (rop != SRCCOPY && rop != SRCPAINT && rop != SRCAND) return FALSE;
    if (!valid_dc(src)) return FALSE;
    if (src->kind == HDC__::Screen) read_screen(src);
    Pixmap* source = dc_target(src);
    if (!source || width <= 0 || height <= 0) return FALSE;
    if (srcWidth == 0 || srcHeight == 0) return TRUE;  // nothing of the source to show
    // Only what lies on the source bitmap is transferred.
    Box source_area = intersect(src->clip, Box{0, 0, source->width, source->height});
    Box changed{};
    for (int ty = box.top; ty < box.bottom; ++ty) {
        int dy = ty - dst->origin_y - y;
        int sy = src->origin_y + srcY + static_cast<int>((2LL * dy + 1) * srcHeight / (2LL * height));
        if (sy < source_area.top || sy >= source_area.bottom) continue;
        const uint32_t* in = source->row(sy);
        uint32_t* out = target->row(ty);
        int first = box.right, last = box.left;
        for (int tx = box.left; tx < box.right; ++tx) {
            int dx = tx - dst->origin_x - x;
            int sx = src->origin_x + srcX +
                     (srcWidth == width ? dx : static_cast<int>((2LL * dx + 1) * srcWidth / (2LL * width)));
            if (sx < source_area.left || sx >= source_area.right) continue;
            uint32_t s = in[sx];
            out[tx] = rop == SRCCOPY ? s : rop == SRCPAINT ? (out[tx] | s) : (out[tx] & s);
            first = std::min(first, tx);
            last = tx;
        }
        if (first <= last) changed = unite(changed, Box{first, ty, last + 1, ty + 1});
    }
    touched(dst, changed);
    return TRUE;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (!valid_dc(dc) || !rect || !brush) return 0;
    uint32_t rgb;
    if (!system_colour(brush, rgb)) {
        if (brush->kind != GdiKind::Brush) return 0;
        if (brush->hollow) return 1;
        rgb = to_rgb(brush->colour);
    }
    Pixmap* target = dc_target(dc);
    if (!target) return 0;
    Box box = target_box(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    fill_box(*target, box, rgb);
    touched(dc, box);
    return 1;
}

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (!valid_dc(dc)) return FALSE;
    Pixmap* target = dc_target(dc);
    if (!target) return FALSE;
    bool pen = dc->pen && !dc->pen->hollow;
    int inset = pen ? 1 : 0;
    if (dc->brush && !dc->brush->hollow)
        fill_box(*target, target_box(dc, left + inset, top + inset, right - left - 2 * inset, bottom - top - 2 * inset),
                 to_rgb(dc->brush->colour));
    if (pen) {
        uint32_t c = to_rgb(dc->pen->colour);
        fill_box(*target, target_box(dc, left, top, right - left, 1), c);
        fill_box(*target, target_box(dc, left, bottom - 1, right - left, 1), c);
        fill_box(*target, target_box(dc, left, top, 1, bottom - top), c);
        fill_box(*target, target_box(dc, right - 1, top, 1, bottom - top), c);
    }
    touched(dc, target_box(dc, left, top, right - left, bottom - top));
    return TRUE;
}

int WINAPI SetBkMode(HDC dc, int mode) {
    if (!valid_dc(dc) || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->bk_mode;
    dc->bk_mode = mode;
    return previous;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
    if (!valid_dc(dc)) return 0xFFFFFFFF;
    COLORREF previous = dc->text_colour;
    dc->text_colour = colour;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
    if (!valid_dc(dc)) return 0xFFFFFFFF;
    COLORREF previous = dc->bk_colour;
    dc->bk_colour = colour;
    return previous;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    if (!valid_dc(dc) || !text || length < 0) return FALSE;
    Pixmap* target = dc_target(dc);
    if (!target) return FALSE;
    const Font* font = font_of(dc->font);
    int width = text_width(font, text, length);
    Box box = target_box(dc, x, y, width, font_height(font));
    if (box.empty()) return TRUE;
    Box clip = intersect(dc->clip, Box{0, 0, target->width, target->height});
    draw_text(*target, clip, dc->origin_x + x, dc->origin_y + y, font, text, length, to_rgb(dc->text_colour),
              dc->bk_mode == OPAQUE, to_rgb(dc->bk_colour));
    touched(dc, box);
    if (dc->kind == HDC__::Window)
        report("\"ev\":\"text\"," + describe(dc->window) + ",\"x\":" + std::to_string(x) + ",\"y\":" +
               std::to_string(y) + ",\"text\":" + json_string(sjis_to_utf8(std::string(text, length))));
    return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
    if (!valid_dc(dc) || !text || !size || length < 0) return FALSE;
    const Font* font = font_of(dc->font);
    size->cx = text_width(font, text, length);
    size->cy = font_height(font);
    return TRUE;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    if (!valid_dc(dc)) return 0xFFFFFFFF;
    if (dc->kind == HDC__::Screen) read_screen(dc);
    Pixmap* target = dc_target(dc);
    int tx = dc->origin_x + x, ty = dc->origin_y + y;
    if (!target || tx < dc->clip.left || ty < dc->clip.top || tx >= dc->clip.right || ty >= dc->clip.bottom ||
        tx >= target->width || ty >= target->height || tx < 0 || ty < 0)
        return 0xFFFFFFFF;  // CLR_INVALID
    return to_colorref(target->row(ty)[tx]);
}

}  // extern "C"
