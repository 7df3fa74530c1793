// Resources: the .res file that windres makes from res/dorvan3d.rc, linked
// into the executable between plat_resources and plat_resources_end
// (embed_res.S), read in place.
//
// A .res file is a row of entries, each a header followed by its data:
//   DWORD DataSize, DWORD HeaderSize,
//   TYPE, NAME   (each 0xFFFF + WORD ordinal, or a NUL-terminated UTF-16 string),
//   padding to a DWORD boundary,
//   DWORD DataVersion, WORD MemoryFlags, WORD LanguageId, DWORD Version, DWORD Characteristics,
// then DataSize bytes of data, padded to a DWORD boundary. The first entry is
// an empty one that only marks the file as 32-bit.

#include "platform/resources.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"

extern "C" const uint8_t plat_resources[];
extern "C" const uint8_t plat_resources_end[];

namespace plat {
namespace {

// A type or name: an ordinal, or a string kept upper-cased for comparison.
struct ResId {
    bool is_ordinal = true;
    uint16_t ordinal = 0;
    std::u16string text;
};

struct Entry {
    ResId type, name;
    uint16_t language = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t read32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

// Reads a TYPE or NAME field at p (not past end); advances p. False if malformed.
bool read_id(const uint8_t*& p, const uint8_t* end, ResId& id) {
    if (end - p < 2) return false;
    if (read16(p) == 0xFFFF) {
        if (end - p < 4) return false;
        id.is_ordinal = true;
        id.ordinal = read16(p + 2);
        p += 4;
        return true;
    }
    id.is_ordinal = false;
    id.text.clear();
    for (;;) {
        if (end - p < 2) return false;
        char16_t c = read16(p);
        p += 2;
        if (c == 0) return true;
        id.text.push_back(upper(c));
    }
}

std::vector<Entry> parse(const uint8_t* begin, const uint8_t* end) {
    std::vector<Entry> entries;
    const uint8_t* p = begin;
    while (end - p >= 8) {
        uint32_t data_size = read32(p);
        uint32_t header_size = read32(p + 4);
        if (header_size < 8 || header_size > size_t(end - p) || data_size > size_t(end - p) - header_size) break;
        const uint8_t* header_end = p + header_size;
        const uint8_t* q = p + 8;
        Entry e;
        if (!read_id(q, header_end, e.type) || !read_id(q, header_end, e.name)) break;
        q = begin + ((q - begin + 3) & ~size_t(3));
        if (header_end - q < 16) break;
        e.language = read16(q + 6);
        e.data = header_end;
        e.size = data_size;
        // The leading empty entry has type and name 0; it is no resource.
        if (!(e.type.is_ordinal && e.type.ordinal == 0)) entries.push_back(e);
        size_t next = (size_t(header_end - begin) + data_size + 3) & ~size_t(3);
        if (next > size_t(end - begin)) break;
        p = begin + next;
    }
    return entries;
}

const std::vector<Entry>& entries() {
    static const std::vector<Entry> all = parse(plat_resources, plat_resources_end);
    return all;
}

// The identifier a program passes: MAKEINTRESOURCE(n), "#n" or a name.
ResId from_argument(LPCSTR arg) {
    ResId id;
    if (IS_INTRESOURCE(arg)) {
        id.ordinal = uint16_t(reinterpret_cast<uintptr_t>(arg));
        return id;
    }
    if (arg[0] == '#' && arg[1]) {
        unsigned long value = 0;
        bool digits = true;
        for (const char* c = arg + 1; *c; ++c) {
            if (*c < '0' || *c > '9') { digits = false; break; }
            value = value * 10 + unsigned(*c - '0');
            if (value > 0xFFFF) { digits = false; break; }
        }
        if (digits) {
            id.ordinal = uint16_t(value);
            return id;
        }
    }
    // Resource names in this program are ASCII; other bytes are compared as they are.
    id.is_ordinal = false;
    for (const char* c = arg; *c; ++c) id.text.push_back(upper(char16_t(static_cast<unsigned char>(*c))));
    return id;
}

bool same(const ResId& a, const ResId& b) {
    if (a.is_ordinal != b.is_ordinal) return false;
    return a.is_ordinal ? a.ordinal == b.ordinal : a.text == b.text;
}

const Entry* find_entry(LPCSTR type, LPCSTR name) {
    if (!type || !name) return nullptr;
    ResId t = from_argument(type), n = from_argument(name);
    for (const Entry& e : entries())
        if (same(e.type, t) && same(e.name, n)) return &e;
    return nullptr;
}

// --- bitmaps ---

// Reads a packed DIB (BITMAPINFOHEADER, colour table, pixels) into rows of
// 0x00RRGGBB, top row first. Uncompressed 1, 4, 8, 16, 24 and 32 bpp.
bool decode_dib(const uint8_t* dib, size_t size, Pixmap& out) {
    if (size < 40) return false;
    uint32_t header = read32(dib);
    if (header < 40 || header > size) return false;
    int32_t width = int32_t(read32(dib + 4));
    int32_t height = int32_t(read32(dib + 8));
    uint16_t bpp = read16(dib + 14);
    uint32_t compression = read32(dib + 16);
    uint32_t colours_used = read32(dib + 32);
    if (compression != 0 || width <= 0 || height == 0 || width > 16384 || height > 16384 || height < -16384) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    bool top_down = height < 0;
    int rows = top_down ? -height : height;
    size_t table = 0;
    if (bpp <= 8) table = colours_used ? colours_used : (1u << bpp);
    if (table > 256) return false;
    size_t stride = ((size_t(width) * bpp + 31) / 32) * 4;
    size_t pixels_at = header + table * 4;
    if (pixels_at > size || stride * rows > size - pixels_at) return false;
    const uint8_t* palette = dib + header;
    const uint8_t* pixels = dib + pixels_at;
    auto from_table = [&](unsigned index) -> uint32_t {
        if (index >= table) return 0;
        const uint8_t* q = palette + index * 4;  // blue, green, red, reserved
        return (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
    };
    out.resize(width, rows);
    for (int y = 0; y < rows; ++y) {
        const uint8_t* src = pixels + stride * size_t(top_down ? y : rows - 1 - y);
        uint32_t* dst = out.row(y);
        for (int x = 0; x < width; ++x) {
            switch (bpp) {
            case 1: dst[x] = from_table((src[x / 8] >> (7 - x % 8)) & 1); break;
            case 4: dst[x] = from_table((x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 15)); break;
            case 8: dst[x] = from_table(src[x]); break;
            case 16: {  // 5-5-5, each channel widened to 8 bits
                unsigned v = read16(src + 2 * x);
                unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                dst[x] = (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
                break;
            }
            case 24: {
                const uint8_t* q = src + 3 * x;
                dst[x] = (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
                break;
            }
            case 32: {
                const uint8_t* q = src + 4 * x;
                dst[x] = (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
                break;
            }
            }
        }
    }
    return true;
}

// An icon handle: the group it stands for. System icons have their own.
struct IconObject {
    const Entry* group;
};
IconObject system_icon{nullptr};

std::string id_fields(LPCSTR sound) {
    if (IS_INTRESOURCE(sound)) return "\"id\":" + std::to_string(reinterpret_cast<uintptr_t>(sound));
    return "\"name\":" + json_string(sjis_to_utf8(sound));
}

}  // namespace

bool find_resource(LPCSTR type, LPCSTR name, const uint8_t*& data, size_t& size) {
    const Entry* e = find_entry(type, name);
    if (!e) return false;
    data = e->data;
    size = e->size;
    return true;
}

}  // namespace plat

using namespace plat;

extern "C" {

// The program has one module, so every module handle (NULL included, which
// means the executable on Windows too) names the embedded resources.
HRSRC WINAPI FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
    const Entry* e = find_entry(type, name);
    if (!e) {
        SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<Entry*>(e));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (!resource) return nullptr;
    const Entry* e = reinterpret_cast<const Entry*>(resource);
    return reinterpret_cast<HGLOBAL>(const_cast<uint8_t*>(e->data));
}

LPVOID WINAPI LockResource(HGLOBAL data) { return reinterpret_cast<LPVOID>(data); }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    if (!resource) return 0;
    return DWORD(reinterpret_cast<const Entry*>(resource)->size);
}

// Bitmaps are scaled at load time the way the system stretches a DIB: each
// destination pixel takes the source pixel it falls on, so every source pixel
// becomes a solid block and nothing is smoothed.
HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT) {
    // A null instance asks for the system's own images, of which we have none.
    if (!instance || type != IMAGE_BITMAP || width < 0 || height < 0) return nullptr;
    const Entry* e = find_entry(RT_BITMAP, name);
    if (!e) return nullptr;
    Pixmap source;
    if (!decode_dib(e->data, e->size, source)) return nullptr;
    int w = width ? width : source.width;
    int h = height ? height : source.height;
    HGDIOBJ bitmap = new_bitmap(w, h);
    Pixmap& dst = bitmap->bitmap;
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = source.row(int(int64_t(y) * source.height / h));
        uint32_t* out = dst.row(y);
        for (int x = 0; x < w; ++x) out[x] = src[int64_t(x) * source.width / w];
    }
    return bitmap;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (!name) return nullptr;
    if (!instance) {
        // The stock icons, IDI_APPLICATION (32512) to IDI_SHIELD (32518).
        if (!IS_INTRESOURCE(name)) return nullptr;
        uintptr_t id = reinterpret_cast<uintptr_t>(name);
        return (id >= 32512 && id <= 32518) ? reinterpret_cast<HICON>(&system_icon) : nullptr;
    }
    const Entry* group = find_entry(RT_GROUP_ICON, name);
    if (!group) return nullptr;
    // One handle per group, as the system shares a loaded icon.
    static std::vector<std::unique_ptr<IconObject>> icons;
    for (auto& icon : icons)
        if (icon->group == group) return reinterpret_cast<HICON>(icon.get());
    icons.push_back(std::make_unique<IconObject>(IconObject{group}));
    return reinterpret_cast<HICON>(icons.back().get());
}

// Sound effects go to the backend, which plays one at a time; a new sound
// replaces the one still playing, as an asynchronous PlaySound does.
BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE, DWORD flags) {
    if (!sound) {
        backend().play_wave(nullptr, 0);
        report("\"ev\":\"sound-stop\"");
        return TRUE;
    }
    if ((flags & SND_RESOURCE) == SND_RESOURCE) {
        const Entry* e = find_entry("WAVE", sound);
        if (!e) {
            // There is no system default sound to play in its place, with or
            // without SND_NODEFAULT; the call fails either way.
            report("\"ev\":\"sound\"," + id_fields(sound) + ",\"missing\":true");
            return FALSE;
        }
        backend().play_wave(e->data, e->size);
        report("\"ev\":\"sound\"," + id_fields(sound));
        return TRUE;
    }
    if (flags & SND_MEMORY) {
        // A RIFF file in memory: its length is in its own header.
        const uint8_t* riff = reinterpret_cast<const uint8_t*>(sound);
        if (std::memcmp(riff, "RIFF", 4) != 0) return FALSE;
        backend().play_wave(riff, size_t(read32(riff + 4)) + 8);
        report("\"ev\":\"sound\",\"memory\":true");
        return TRUE;
    }
    // Sound files and system aliases are not used by the program.
    return FALSE;
}

}  // extern "C"
