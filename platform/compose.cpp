// Composition: what the user sees of the windows, by z-order, visibility,
// ownership, regions and constant alpha, handed to the backend's surfaces.
// Only the parts of the screen that changed are composed again.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/internal.h"

namespace plat {

namespace {

struct Surface {
    int id = -1;
    Box rect;          // on the screen
    bool shown = false;
    Pixmap pixels;
};

Box pending;                        // screen area to compose again
std::map<HWND, Surface> surfaces;   // by root window; one entry (null root) with a single screen
Pixmap desktop;
bool desktop_taken = false;

bool drawable(HWND w) { return w->visible && !w->iconic && !((w->ex_style & WS_EX_LAYERED) && !w->alpha_set); }

Box window_screen_box(HWND w) {
    POINT o = screen_origin(w);
    return Box{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
}

// The window whose surface shows `w`: a full-screen owner shows everything it owns.
HWND surface_root(HWND w) {
    HWND root = w;
    while (root->owner) root = root->owner;
    Box b = window_screen_box(root);
    if (b.left <= 0 && b.top <= 0 && b.right >= backend().screen_width() && b.bottom >= backend().screen_height())
        return root;
    return w;
}

// Copies a window and its children, clipped to `clip` (screen coordinates),
// into `out`, whose (0, 0) lies at `origin` on the screen.
void paint_tree(HWND w, Pixmap& out, POINT origin, Box clip) {
    Box wb = window_screen_box(w);
    if (!(w->style & WS_CHILD) && w->has_region)
        clip = intersect(clip, Box{wb.left + w->region.left, wb.top + w->region.top, wb.left + w->region.right,
                                   wb.top + w->region.bottom});
    Box b = intersect(intersect(wb, clip), Box{origin.x, origin.y, origin.x + out.width, origin.y + out.height});
    if (b.empty()) return;
    for (int y = b.top; y < b.bottom; ++y)
        std::memcpy(out.row(y - origin.y) + (b.left - origin.x), w->backing.row(y - wb.top) + (b.left - wb.left),
                    sizeof(uint32_t) * b.width());
    Box c = client_box(w);
    Box child_clip = intersect(b, Box{wb.left + c.left, wb.top + c.top, wb.left + c.right, wb.top + c.bottom});
    for (HWND child : w->children)
        if (child->visible) paint_tree(child, out, origin, child_clip);
}

void paint_top_level(HWND w, Pixmap& out, POINT origin, const Box& clip) {
    if (!w->alpha_set || w->alpha == 255) {
        paint_tree(w, out, origin, clip);
        return;
    }
    Box b = intersect(intersect(window_screen_box(w), clip),
                      Box{origin.x, origin.y, origin.x + out.width, origin.y + out.height});
    if (b.empty()) return;
    // A layered window is blended whole, its children with it, over what lies beneath.
    Pixmap layer;
    layer.resize(b.width(), b.height());
    for (int y = 0; y < layer.height; ++y)
        std::memcpy(layer.row(y), out.row(b.top + y - origin.y) + (b.left - origin.x), sizeof(uint32_t) * layer.width);
    Pixmap beneath = layer;
    paint_tree(w, layer, POINT{b.left, b.top}, b);
    const uint32_t a = w->alpha, na = 255 - a;
    for (int y = 0; y < layer.height; ++y) {
        uint32_t* dst = out.row(b.top + y - origin.y) + (b.left - origin.x);
        const uint32_t* top = layer.row(y);
        const uint32_t* under = beneath.row(y);
        for (int x = 0; x < layer.width; ++x) {
            uint32_t s = top[x], d = under[x], r = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                uint32_t cs = (s >> shift) & 255, cd = (d >> shift) & 255;
                r |= ((cs * a + cd * na + 127) / 255) << shift;
            }
            dst[x] = r;
        }
    }
}

void take_desktop() {
    if (desktop_taken) return;
    backend().capture_desktop(desktop);
    desktop_taken = true;
}

// Composes `box` (screen coordinates) of the windows shown by `root` (every
// window when root is null) into `out`, placed at `origin`.
void compose(Pixmap& out, POINT origin, const Box& box, HWND root) {
    Box b = intersect(box, Box{origin.x, origin.y, origin.x + out.width, origin.y + out.height});
    if (b.empty()) return;
    for (int y = b.top; y < b.bottom; ++y) {
        uint32_t* row = out.row(y - origin.y) + (b.left - origin.x);
        if (!root && y < desktop.height && b.right <= desktop.width)
            std::memcpy(row, desktop.row(y) + b.left, sizeof(uint32_t) * b.width());
        else
            std::fill(row, row + b.width(), 0u);
    }
    for (HWND w : z_order())
        if (drawable(w) && (!root || surface_root(w) == root)) paint_top_level(w, out, origin, b);
}

void present_single_screen() {
    Surface& s = surfaces[nullptr];
    if (s.id < 0) {
        take_desktop();
        s.rect = Box{0, 0, backend().screen_width(), backend().screen_height()};
        s.id = backend().create_surface(s.rect, "Dorvane 3D", true);
        s.pixels.resize(s.rect.width(), s.rect.height());
        pending = s.rect;
    }
    Box dirty = intersect(pending, s.rect);
    pending = Box{};
    if (dirty.empty()) return;
    compose(s.pixels, POINT{0, 0}, dirty, nullptr);
    backend().present(s.id, s.pixels, dirty);
}

void present_surfaces() {
    std::map<HWND, bool> wanted;
    for (HWND w : z_order())
        if (drawable(w)) wanted[surface_root(w)] = true;
    for (auto& [root, s] : surfaces)
        if (s.shown && !wanted.count(root)) {
            backend().show_surface(s.id, false);
            s.shown = false;
        }
    for (auto& [root, unused] : wanted) {
        (void)unused;
        Surface& s = surfaces[root];
        Box rect = window_screen_box(root);
        Box dirty = intersect(pending, rect);
        if (s.id < 0) {
            s.id = backend().create_surface(rect, sjis_to_utf8(root->text), root->topmost_band);
            root->surface = s.id;
            s.rect = rect;
            s.pixels.resize(rect.width(), rect.height());
            dirty = rect;
        } else if (rect.left != s.rect.left || rect.top != s.rect.top || rect.width() != s.rect.width() ||
                   rect.height() != s.rect.height()) {
            backend().move_surface(s.id, rect);
            s.rect = rect;
            s.pixels.resize(rect.width(), rect.height());
            dirty = rect;
        }
        if (!dirty.empty()) {
            compose(s.pixels, POINT{rect.left, rect.top}, dirty, root);
            backend().present(s.id, s.pixels,
                              Box{dirty.left - rect.left, dirty.top - rect.top, dirty.right - rect.left,
                                  dirty.bottom - rect.top});
        }
        if (!s.shown) {
            backend().show_surface(s.id, true);
            backend().raise_surface(s.id);
            s.shown = true;
        }
    }
    pending = Box{};
}

}  // namespace

void note_screen_change(const Box& screen_box) { pending = unite(pending, screen_box); }

void compose_and_present() {
    if (pending.empty()) return;
    if (backend().single_screen()) present_single_screen();
    else present_surfaces();
}

void compose_screen(Pixmap& out) {
    take_desktop();
    out.resize(backend().screen_width(), backend().screen_height());
    compose(out, POINT{0, 0}, Box{0, 0, out.width, out.height}, nullptr);
}

void raise_surface_of(HWND root) {
    auto it = surfaces.find(root);
    if (it != surfaces.end() && it->second.id >= 0) backend().raise_surface(it->second.id);
}

void forget_surface(HWND w) {
    auto it = surfaces.find(w);
    if (it == surfaces.end() || !w) return;
    if (it->second.id >= 0) backend().destroy_surface(it->second.id);
    surfaces.erase(it);
}

}  // namespace plat
