// Fonts and text output: FreeType faces found through fontconfig, rendered
// without antialiasing, the way the bitmap system fonts of a Japanese system
// look: every text pixel is exactly the text colour, and the same text always
// gives the same pixels.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/internal.h"

namespace plat {

namespace {

// A rendered glyph: one byte per pixel, 1 where there is ink.
struct Glyph {
    int left = 0;     // from the pen position to the first column
    int top = 0;      // from the baseline up to the first row
    int width = 0, rows = 0;
    int advance = 0;
    std::vector<uint8_t> ink;
};

struct FaceFile {
    std::string path;
    int index = 0;
};

}  // namespace

struct Font {
    FontRole role;
    int height = 0;   // cell height
    int ascent = 0;
    int em = 0;       // pixel size given to FreeType
    bool fixed = false;
    bool bold = false;
    int half_advance = 0;  // fixed pitch: width of a single-byte character
    FT_Face face = nullptr;
    std::unordered_map<char32_t, Glyph> glyphs;  // element references stay valid as it grows
};

namespace {

std::mutex text_lock;  // fonts and glyph caches
FT_Library library = nullptr;
std::map<std::pair<int, int>, std::unique_ptr<Font>> fonts;            // (role, cell height)
std::map<int, FaceFile> role_faces;                                    // role -> file
std::unordered_map<char32_t, std::optional<FaceFile>> fallback_files;  // character -> file having it
std::map<std::tuple<std::string, int, int>, FT_Face> fallback_faces;   // (file, index, em)

[[noreturn]] void no_font() {
    std::fputs("Dorvane 3D: no Japanese font found; install fonts-ipafont-gothic\n"
               "Dorvane 3D: 日本語フォントが見つかりません。fonts-ipafont-gothic をインストールしてください。\n",
               stderr);
    std::exit(1);
}

void start_libraries() {
    if (library) return;
    if (!FcInit() || FT_Init_FreeType(&library) != 0) no_font();
}

bool is_role_fixed(FontRole role) { return role == FontRole::SystemFixed; }

int default_height(FontRole role) {
    switch (role) {
    case FontRole::SystemFixed: return 16;
    case FontRole::System: return 16;
    case FontRole::DialogUI: return 12;
    case FontRole::Caption: return 12;
    }
    return 16;
}

// The face file fontconfig picks for a pattern, or nothing when its choice does
// not carry the characters in `needed`.
std::optional<FaceFile> match(FcPattern* pattern, const char32_t* needed) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found) return std::nullopt;
    std::optional<FaceFile> out;
    FcChar8* path = nullptr;
    FcCharSet* chars = nullptr;
    FcBool scalable = FcFalse;
    int index = 0;
    if (FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch &&
        FcPatternGetCharSet(found, FC_CHARSET, 0, &chars) == FcResultMatch &&
        FcPatternGetBool(found, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable) {
        bool has_all = true;
        for (const char32_t* c = needed; *c; ++c) has_all = has_all && FcCharSetHasChar(chars, *c);
        if (FcPatternGetInteger(found, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        if (has_all) out = FaceFile{reinterpret_cast<const char*>(path), index};
    }
    FcPatternDestroy(found);
    return out;
}

// Kana, a common kanji and the full-width space: a face without them cannot
// show the program's texts.
const char32_t kJapanese[] = {U'あ', U'ア', U'漢', U'　', U'Ａ', 0};

std::optional<FaceFile> match_japanese(const char* family, bool mono) {
    FcPattern* pattern = FcPatternCreate();
    if (family) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    if (mono) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    return match(pattern, kJapanese);
}

const FaceFile& face_for_role(FontRole role) {
    auto it = role_faces.find(static_cast<int>(role));
    if (it != role_faces.end()) return it->second;
    std::optional<FaceFile> file;
    if (is_role_fixed(role)) {
        file = match_japanese("IPAGothic", true);
        if (!file) file = match_japanese(nullptr, true);
        if (!file) file = match_japanese("IPAPGothic", false);
    } else {
        file = match_japanese("IPAPGothic", false);
        if (!file) file = match_japanese("IPAGothic", false);
    }
    if (!file) file = match_japanese(nullptr, false);
    if (!file) no_font();
    return role_faces.emplace(static_cast<int>(role), *file).first->second;
}

FT_Face open_face(const FaceFile& file, int em) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return nullptr;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 || FT_Set_Pixel_Sizes(face, 0, em) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return face;
}

constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO;

int hinted_advance(FT_Face face, char32_t c) {
    FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0 || FT_Load_Glyph(face, index, kLoadFlags) != 0) return -1;
    return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

// Half-width on a fixed-pitch Japanese font: what Shift_JIS stores in one byte
// (ASCII and half-width katakana) and the '?' that replaces a broken byte.
bool is_half_width(char32_t c) { return c < 0x100 || (c >= 0xFF61 && c <= 0xFF9F) || (c >= 0xF8F0 && c <= 0xF8F3); }

void place_baseline(Font& font);

Font* make_font(FontRole role, int height) {
    const FaceFile& file = face_for_role(role);
    // A pixel size whose line (ascender plus descender) fills the cell.
    FT_Face probe = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &probe) != 0) no_font();
    long up = probe->ascender > 0 ? probe->ascender : probe->units_per_EM;
    long down = probe->descender < 0 ? -probe->descender : 0;
    int em = static_cast<int>(std::lround(static_cast<double>(height) * probe->units_per_EM / (up + down)));
    if (em < 1) em = 1;
    FT_Done_Face(probe);

    bool fixed = is_role_fixed(role);
    FT_Face face = open_face(file, em);
    if (!face) no_font();
    if (fixed && hinted_advance(face, U'あ') != height) {
        // Full-width glyphs must be exactly one cell wide: take the nearest size
        // that gives that advance, if there is one.
        for (int delta = 1; delta <= 3; ++delta) {
            bool found = false;
            for (int candidate : {em - delta, em + delta}) {
                if (candidate < 1) continue;
                FT_Face other = open_face(file, candidate);
                if (other && hinted_advance(other, U'あ') == height) {
                    FT_Done_Face(face);
                    face = other, em = candidate, found = true;
                    break;
                }
                if (other) FT_Done_Face(other);
            }
            if (found) break;
        }
    }

    auto font = std::make_unique<Font>();
    font->role = role;
    font->height = height;
    font->ascent = static_cast<int>(std::lround(static_cast<double>(height) * up / (up + down)));
    if (font->ascent > height) font->ascent = height;
    if (font->ascent < 1) font->ascent = 1;
    font->em = em;
    font->fixed = fixed;
    font->bold = role == FontRole::Caption;
    font->half_advance = height / 2 > 0 ? height / 2 : 1;
    font->face = face;
    place_baseline(*font);
    Font* out = font.get();
    fonts[{static_cast<int>(role), height}] = std::move(font);
    return out;
}

// A face at `em` pixels that has `c`, when the font's own face lacks it.
FT_Face fallback_face(char32_t c, int em) {
    auto known = fallback_files.find(c);
    if (known == fallback_files.end()) {
        FcPattern* pattern = FcPatternCreate();
        FcCharSet* chars = FcCharSetCreate();
        FcCharSetAddChar(chars, c);
        FcPatternAddCharSet(pattern, FC_CHARSET, chars);
        FcCharSetDestroy(chars);
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        const char32_t needed[] = {c, 0};
        known = fallback_files.emplace(c, match(pattern, needed)).first;
    }
    if (!known->second) return nullptr;
    const FaceFile& file = *known->second;
    auto key = std::make_tuple(file.path, file.index, em);
    auto it = fallback_faces.find(key);
    if (it == fallback_faces.end()) it = fallback_faces.emplace(key, open_face(file, em)).first;
    return it->second;
}

void render(Font& font, char32_t c, Glyph& g) {
    FT_Face face = font.face;
    FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0 && c >= 0x20) {
        if (FT_Face other = fallback_face(c, font.em)) {
            face = other;
            index = FT_Get_Char_Index(other, c);
        }
    }
    // Index 0 is the face's own missing-glyph shape.
    FT_Error error = FT_Load_Glyph(face, index, kLoadFlags);
    if (error && face != font.face) {
        face = font.face;
        error = FT_Load_Glyph(face, 0, kLoadFlags);
    }
    if (error) {  // an empty cell rather than nothing
        g.advance = font.fixed && !is_half_width(c) ? font.half_advance * 2 : font.half_advance;
        return;
    }
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP) FT_Render_Glyph(slot, FT_RENDER_MODE_MONO);
    const FT_Bitmap& bm = slot->bitmap;
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.ink.assign(static_cast<size_t>(g.width) * g.rows, 0);
    int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
    for (int r = 0; r < g.rows; ++r) {
        const unsigned char* src = bm.buffer + static_cast<size_t>(bm.pitch < 0 ? g.rows - 1 - r : r) * pitch;
        for (int x = 0; x < g.width; ++x) {
            bool on;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO) on = (src[x >> 3] >> (7 - (x & 7))) & 1;
            else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) on = src[x] >= 128;  // embedded grey bitmaps
            else on = false;
            g.ink[static_cast<size_t>(r) * g.width + x] = on;
        }
    }
    if (font.bold && g.width > 0) {
        // Bold by overstriking one pixel to the right, one pixel wider, as
        // synthesised bold faces of the system do: crisp at small sizes.
        std::vector<uint8_t> wide(static_cast<size_t>(g.width + 1) * g.rows, 0);
        for (int r = 0; r < g.rows; ++r)
            for (int x = 0; x < g.width; ++x)
                if (g.ink[static_cast<size_t>(r) * g.width + x]) {
                    wide[static_cast<size_t>(r) * (g.width + 1) + x] = 1;
                    wide[static_cast<size_t>(r) * (g.width + 1) + x + 1] = 1;
                }
        g.ink.swap(wide);
        g.width += 1;
    }
    if (font.bold) g.advance += 1;
    if (font.fixed) g.advance = is_half_width(c) ? font.half_advance : font.half_advance * 2;
}

// The faces' own ascender and descender add up to more than the cell when the
// full-width glyphs are one cell tall, so some ink would leave the cell. Put
// the baseline where the fewest glyphs of the program's kind of text (ASCII,
// kana, common kanji) stick out, the face's own ascent winning ties.
void place_baseline(Font& font) {
    std::u32string sample = U"漢字表示戦闘終了次　、。！？「」ー・ＨＰ：０１２３４５６７８９";
    for (char32_t c = 0x21; c < 0x7F; ++c) sample.push_back(c);
    for (char32_t c = 0x3041; c <= 0x3093; ++c) sample.push_back(c);
    for (char32_t c = 0x30A1; c <= 0x30F3; ++c) sample.push_back(c);
    std::vector<int> above(font.height + 2, 0), below(font.height + 2, 0);
    for (char32_t c : sample) {
        Glyph& g = font.glyphs[c];
        render(font, c, g);
        if (g.rows == 0) continue;
        auto bucket = [&](int v) { return v < 0 ? 0 : v > font.height + 1 ? font.height + 1 : v; };
        ++above[bucket(g.top)];
        ++below[bucket(g.rows - g.top)];
    }
    int best = font.ascent, best_out = -1;
    for (int ascent = 1; ascent < font.height; ++ascent) {
        int out = 0;
        for (int v = ascent + 1; v <= font.height + 1; ++v) out += above[v];
        for (int v = font.height - ascent + 1; v <= font.height + 1; ++v) out += below[v];
        if (best_out < 0 || out < best_out || (out == best_out && std::abs(ascent - font.ascent) < std::abs(best - font.ascent)))
            best = ascent, best_out = out;
    }
    font.ascent = best;
}

const Glyph& glyph(const Font* font, char32_t c) {
    Font& f = const_cast<Font&>(*font);
    auto it = f.glyphs.find(c);
    if (it != f.glyphs.end()) return it->second;
    Glyph& g = f.glyphs[c];
    render(f, c, g);
    return g;
}

Box clipped(const Box& a, const Box& b) {
    Box r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
          a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.empty()) r = Box{};
    return r;
}

size_t text_length(const char* sjis, int length) {
    if (!sjis) return 0;
    return length < 0 ? std::strlen(sjis) : static_cast<size_t>(length);
}

}  // namespace

const Font* font_for(FontRole role, int pixel_height) {
    std::lock_guard<std::mutex> hold(text_lock);
    start_libraries();
    int height = pixel_height < 0 ? -pixel_height : pixel_height;
    if (height == 0) height = default_height(role);
    if (height > 1024) height = 1024;
    auto it = fonts.find({static_cast<int>(role), height});
    if (it != fonts.end()) return it->second.get();
    return make_font(role, height);
}

int font_height(const Font* font) { return font ? font->height : 0; }

int font_ascent(const Font* font) { return font ? font->ascent : 0; }

int text_width(const Font* font, const char* sjis, int length) {
    size_t n = text_length(sjis, length);
    if (!font || n == 0) return 0;
    std::u32string chars = sjis_to_utf32(sjis, static_cast<int>(n));
    std::lock_guard<std::mutex> hold(text_lock);
    int width = 0;
    for (char32_t c : chars) width += glyph(font, c).advance;
    return width;
}

void draw_text(Pixmap& target, const Box& clip, int x, int y, const Font* font, const char* sjis, int length,
               uint32_t fg, bool opaque, uint32_t bk) {
    size_t n = text_length(sjis, length);
    if (!font || n == 0) return;
    std::u32string chars = sjis_to_utf32(sjis, static_cast<int>(n));
    std::vector<const Glyph*> run;
    run.reserve(chars.size());
    int width = 0;
    {
        std::lock_guard<std::mutex> hold(text_lock);
        for (char32_t c : chars) {
            run.push_back(&glyph(font, c));
            width += run.back()->advance;
        }
    }
    Box area = clipped(clip, Box{0, 0, target.width, target.height});
    if (area.empty()) return;
    if (opaque) {
        Box cell = clipped(area, Box{x, y, x + width, y + font->height});
        for (int py = cell.top; py < cell.bottom; ++py) {
            uint32_t* row = target.row(py);
            for (int px = cell.left; px < cell.right; ++px) row[px] = bk;
        }
    }
    int pen = x;
    int baseline = y + font->ascent;
    for (const Glyph* g : run) {
        int gx = pen + g->left, gy = baseline - g->top;
        Box box = clipped(area, Box{gx, gy, gx + g->width, gy + g->rows});
        for (int py = box.top; py < box.bottom; ++py) {
            const uint8_t* ink = g->ink.data() + static_cast<size_t>(py - gy) * g->width;
            uint32_t* row = target.row(py);
            for (int px = box.left; px < box.right; ++px)
                if (ink[px - gx]) row[px] = fg;
        }
        pen += g->advance;
    }
}

}  // namespace plat
