// Code-page conversion and text output of the layer: what the program's
// Shift_JIS texts turn into, and the pixels TextOut leaves behind.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/internal.h"

namespace {

using plat::Box;
using plat::FontRole;
using plat::Pixmap;

// ---------------------------------------------------------------- code pages

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::string sjis;
    size_t characters;
};

const RoundTrip kRoundTrips[] = {
    {"ascii", "Dorvane 3D ~\\", "Dorvane 3D ~\\", 13},
    {"hiragana", "あなた", "\x82\xA0\x82\xC8\x82\xBD", 3},
    {"trail byte is a backslash", "表示", "\x95\x5C\x8E\xA6", 2},
    {"half-width katakana", "ｱｲｳﾟ", "\xB1\xB2\xB3\xDF", 4},
    {"full-width forms", "ＨＰ：　９", "\x82\x67\x82\x6F\x81\x46\x81\x40\x82\x58", 5},
    {"mixed", "HP:５0ｶ", "HP:\x82\x54" "0\xB6", 6},
};

TEST(CodePage, RoundTripsThroughUtf8AndUtf32) {
    for (const RoundTrip& t : kRoundTrips) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(plat::utf8_to_sjis(t.utf8), t.sjis);
        EXPECT_EQ(plat::sjis_to_utf8(t.sjis), t.utf8);
        EXPECT_EQ(plat::sjis_to_utf32(t.sjis.data(), static_cast<int>(t.sjis.size())).size(), t.characters);
    }
    EXPECT_EQ(plat::sjis_to_utf32("\x95\x5C", 2), std::u32string(U"表"));
    EXPECT_EQ(plat::sjis_to_utf32("\x82\xA0", -1), std::u32string(U"あ"));  // -1: up to the terminator
}

struct Broken {
    const char* name;
    std::string sjis;
    std::string utf8;
};

const Broken kBroken[] = {
    {"stray lead byte at the end", "A\x82", "A"},
    {"lead byte alone", "\x95", ""},
    {"complete character then a cut one", "\x82\xA0\x95", "あ"},
    {"single byte without a character", "a\x80" "b", "a?b"},
    {"lead byte before a byte that cannot follow it", "\x81 x", "・ x"},
    {"pair without a character", "\x85\x40z", "・z"},
};

TEST(CodePage, BrokenShiftJisIsReplacedNotFatal) {
    for (const Broken& t : kBroken) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(plat::sjis_to_utf8(t.sjis), t.utf8);
    }
}

TEST(CodePage, Utf8WithoutShiftJisFormBecomesQuestionMark) {
    EXPECT_EQ(plat::utf8_to_sjis("a\xC3z"), "a?z");             // cut sequence
    EXPECT_EQ(plat::utf8_to_sjis("\xF0\x9F\x98\x80!"), "?!");    // no Shift_JIS form
    EXPECT_EQ(plat::utf8_to_sjis("\xED\xA0\x80"), "???");        // encoded surrogate is not UTF-8
}

TEST(CodePage, MultiByteToWideCharSizesAndBuffers) {
    const char* anata = "\x82\xA0\x82\xC8\x82\xBD";
    // -1 counts the terminator; an explicit length does not include one.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, anata, -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(932, 0, anata, 6, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(932, 0, anata, 4, nullptr, 0), 2);

    WCHAR wide[8];
    for (WCHAR& c : wide) c = u'#';
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, anata, -1, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"あなた", 4));
    EXPECT_EQ(wide[4], u'#');

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, anata, -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), 122u);

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, anata, 0, wide, 8), 0);
    EXPECT_EQ(GetLastError(), 87u);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, anata, -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), 87u);

    // MB_ERR_INVALID_CHARS turns a replacement into a failure.
    EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x80", 2, wide, 8), 2);
    EXPECT_EQ(wide[1], u'?');
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(932, 8, "a\x80", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), 1113u);
}

TEST(CodePage, WideCharToMultiByteSizesDefaultsAndSurrogates) {
    const WCHAR* hyou = u"表示";
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, hyou, -1, nullptr, 0, nullptr, nullptr), 5);
    char out[16] = {};
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, hyou, -1, out, 5, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(out, 5), std::string("\x95\x5C\x8E\xA6", 5));

    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, hyou, -1, out, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), 122u);

    struct Case {
        const char* name;
        std::u16string wide;
        const char* default_char;
        std::string sjis;
        BOOL used_default;
    };
    const Case cases[] = {
        {"mappable", u"あA", nullptr, "\x82\xA0" "A", 0},
        {"surrogate pair without a form", u"a\U0001F600b", nullptr, "a?b", 1},
        {"lone high surrogate", std::u16string{u'x', char16_t(0xD800), u'y'}, nullptr, "x?y", 1},
        {"lone low surrogate", std::u16string{char16_t(0xDC00)}, nullptr, "?", 1},
        {"double-byte default character", u"\u00E9", "\x81\x45", "\x81\x45", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BOOL used = 7;
        int n = WideCharToMultiByte(932, 0, c.wide.data(), static_cast<int>(c.wide.size()), out, sizeof out,
                                    c.default_char, &used);
        EXPECT_EQ(std::string(out, n > 0 ? n : 0), c.sjis);
        EXPECT_EQ(used, c.used_default);
    }
}

TEST(CodePage, LstrlenCountsBytes) {
    EXPECT_EQ(lstrlenA("\x82\xA0\x82\xC8"), 4);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

// ---------------------------------------------------------------- fonts

std::string sjis(const char* utf8) { return plat::utf8_to_sjis(utf8); }

int width_of(const plat::Font* font, const char* utf8) {
    std::string s = sjis(utf8);
    return plat::text_width(font, s.data(), static_cast<int>(s.size()));
}

void draw(Pixmap& p, const Box& clip, int x, int y, const plat::Font* font, const std::string& s, uint32_t fg,
          bool opaque = false, uint32_t bk = 0) {
    plat::draw_text(p, clip, x, y, font, s.data(), static_cast<int>(s.size()), fg, opaque, bk);
}

Box whole(const Pixmap& p) { return Box{0, 0, p.width, p.height}; }

TEST(Font, FixedSystemFontIsSixteenPixelCellsOfHalfAndFullWidth) {
    const plat::Font* fixed = plat::font_for(FontRole::SystemFixed);
    EXPECT_EQ(plat::font_height(fixed), 16);
    EXPECT_GT(plat::font_ascent(fixed), 8);
    EXPECT_LT(plat::font_ascent(fixed), 16);
    EXPECT_EQ(plat::font_for(FontRole::SystemFixed, 16), fixed);  // one font per face and size

    const struct {
        const char* text;
        int width;
    } advances[] = {
        {"A", 8}, {"i", 8}, {"W", 8}, {"あ", 16}, {"　", 16}, {"表", 16}, {"ｱ", 8}, {" ＨＰ：　９ ", 96}, {"", 0},
    };
    for (const auto& a : advances) {
        SCOPED_TRACE(a.text);
        EXPECT_EQ(width_of(fixed, a.text), a.width);
    }
}

TEST(Font, RolesHaveTheirCellHeightsAndSizesAreKept) {
    const struct {
        FontRole role;
        int height;
    } roles[] = {{FontRole::SystemFixed, 16}, {FontRole::System, 16}, {FontRole::DialogUI, 12}, {FontRole::Caption, 12}};
    for (const auto& r : roles) {
        SCOPED_TRACE(static_cast<int>(r.role));
        const plat::Font* font = plat::font_for(r.role);
        EXPECT_EQ(plat::font_height(font), r.height);
        EXPECT_EQ(plat::font_for(r.role, 0), font);
        const plat::Font* big = plat::font_for(r.role, 24);
        EXPECT_EQ(plat::font_height(big), 24);
        EXPECT_NE(big, font);
        EXPECT_EQ(plat::font_for(r.role, 24), big);
        EXPECT_GT(width_of(big, "あ"), width_of(font, "あ"));
    }
    // The dialog face is proportional; the caption is its bold form.
    const plat::Font* dialog = plat::font_for(FontRole::DialogUI);
    EXPECT_LT(width_of(dialog, "i"), width_of(dialog, "W"));
    EXPECT_GT(width_of(plat::font_for(FontRole::Caption), "Dorvane"), width_of(dialog, "Dorvane"));
}

int count(const Pixmap& p, uint32_t colour) {
    int n = 0;
    for (uint32_t c : p.pixels) n += c == colour;
    return n;
}

TEST(Font, TransparentTextSetsOnlyTextColourInsideItsCell) {
    const uint32_t paper = 0x123456, ink = 0xFFFFFF;
    // The fixed font holds even descenders in its cell; the proportional face
    // is one pixel short there, as the bitmap system fonts it stands in for.
    const struct {
        FontRole role;
        const char* text;
    } cases[] = {
        {FontRole::SystemFixed, "あなたの こうげき！ ＨＰ：５０ Agjpy()|_"},
        {FontRole::System, "まものが あらわれた！ 表示「終了」 ABC"},
        {FontRole::DialogUI, "あなたの なまえを いれてください。 OK"},
        {FontRole::Caption, "バージョン情報 Dorvane 3D"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.text);
        const std::string text = sjis(t.text);
        const plat::Font* font = plat::font_for(t.role);
        Pixmap p;
        p.resize(400, 40, paper);
        const int x = 16, y = 10;
        draw(p, whole(p), x, y, font, text, ink);
        const Box cell{x, y, x + plat::text_width(font, text.data(), static_cast<int>(text.size())),
                       y + plat::font_height(font)};
        int inked = 0;
        for (int py = 0; py < p.height; ++py)
            for (int px = 0; px < p.width; ++px) {
                uint32_t c = p.row(py)[px];
                ASSERT_TRUE(c == paper || c == ink) << std::hex << c << " at " << std::dec << px << "," << py;
                if (c == ink) {
                    ++inked;
                    EXPECT_TRUE(px >= cell.left && px < cell.right && py >= cell.top && py < cell.bottom)
                        << px << "," << py;
                }
            }
        EXPECT_GT(inked, 100);
    }
}

TEST(Font, OpaqueTextFillsTheWholeCellWithBackground) {
    const uint32_t paper = 0x000000, ink = 0xFFFFFF, olive = 0x777700;
    const plat::Font* fixed = plat::font_for(FontRole::SystemFixed);
    const std::string text = sjis(" ＨＰ：　９ ");
    Pixmap p;
    p.resize(120, 40, paper);
    draw(p, whole(p), 10, 7, fixed, text, ink, true, olive);
    const Box cell{10, 7, 10 + 96, 7 + 16};
    int background = 0, text_pixels = 0;
    for (int py = 0; py < p.height; ++py)
        for (int px = 0; px < p.width; ++px) {
            uint32_t c = p.row(py)[px];
            bool inside = px >= cell.left && px < cell.right && py >= cell.top && py < cell.bottom;
            if (!inside) {
                ASSERT_EQ(c, paper) << px << "," << py;
            } else {
                ASSERT_TRUE(c == olive || c == ink) << px << "," << py;
                background += c == olive;
                text_pixels += c == ink;
            }
        }
    EXPECT_GT(text_pixels, 50);
    EXPECT_GT(background, text_pixels);
}

TEST(Font, ClippingMatchesTheUnclippedDrawingInsideAndTouchesNothingOutside) {
    const uint32_t sentinel = 0xABCDEF, ink = 0xFFFFFF, bk = 0x000077;
    const plat::Font* fixed = plat::font_for(FontRole::SystemFixed);
    const std::string text = sjis("あなたの表示ABC");
    const int kMargin = 100;
    struct Case {
        const char* name;
        int x, y;
        Box clip;
        bool opaque;
    };
    const Case cases[] = {
        {"negative position", -13, -5, {0, 0, 60, 30}, true},
        {"past the right edge of the pixmap", 40, 3, {0, 0, 60, 30}, true},
        {"past the bottom edge", 2, 22, {0, 0, 60, 30}, false},
        {"clip box inside the pixmap", -3, 2, {5, 4, 33, 14}, true},
        {"clip box larger than the pixmap", 30, -8, {-50, -50, 500, 500}, true},
        {"empty clip box", 0, 0, {10, 10, 10, 20}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pixmap reference;
        reference.resize(60 + 2 * kMargin, 30 + 2 * kMargin, sentinel);
        draw(reference, whole(reference), c.x + kMargin, c.y + kMargin, fixed, text, ink, c.opaque, bk);
        Pixmap p;
        p.resize(60, 30, sentinel);
        draw(p, c.clip, c.x, c.y, fixed, text, ink, c.opaque, bk);
        int changed = 0;
        for (int py = 0; py < p.height; ++py)
            for (int px = 0; px < p.width; ++px) {
                bool inside = px >= c.clip.left && px < c.clip.right && py >= c.clip.top && py < c.clip.bottom;
                uint32_t expected = inside ? reference.row(py + kMargin)[px + kMargin] : sentinel;
                ASSERT_EQ(p.row(py)[px], expected) << px << "," << py;
                changed += p.row(py)[px] != sentinel;
            }
        if (!c.clip.empty()) {
            EXPECT_GT(changed, 0);
        }
    }
}

TEST(Font, SameTextGivesSamePixels) {
    const std::string text = sjis("まものが あらわれた！ ｶﾀｶﾅ 12");
    for (FontRole role : {FontRole::SystemFixed, FontRole::Caption}) {
        const plat::Font* font = plat::font_for(role);
        Pixmap first, second;
        first.resize(300, 20, 0);
        second.resize(300, 20, 0);
        draw(first, whole(first), 3, 2, font, text, 0xFFFFFF);
        draw(second, whole(second), 3, 2, font, text, 0xFFFFFF);
        EXPECT_EQ(first.pixels, second.pixels);
        EXPECT_GT(count(first, 0xFFFFFF), 0);
    }
}

TEST(Font, FullWidthGlyphFillsItsSixteenPixelCell) {
    const plat::Font* fixed = plat::font_for(FontRole::SystemFixed);
    Pixmap p;
    p.resize(32, 32, 0);
    draw(p, whole(p), 8, 8, fixed, sjis("あ"), 0xFFFFFF);
    int left = 99, right = -1, top = 99, bottom = -1;
    int quadrant[2][2] = {};
    for (int py = 0; py < p.height; ++py)
        for (int px = 0; px < p.width; ++px)
            if (p.row(py)[px] == 0xFFFFFF) {
                left = std::min(left, px), right = std::max(right, px);
                top = std::min(top, py), bottom = std::max(bottom, py);
                if (px >= 8 && px < 24 && py >= 8 && py < 24) ++quadrant[(py - 8) / 8][(px - 8) / 8];
            }
    // Ink within the cell, spanning most of it, in all four quarters.
    EXPECT_GE(left, 8);
    EXPECT_LT(right, 24);
    EXPECT_GE(top, 8);
    EXPECT_LT(bottom, 24);
    EXPECT_GE(right - left + 1, 11);
    EXPECT_GE(bottom - top + 1, 11);
    for (auto& row : quadrant) {
        for (int n : row) {
            EXPECT_GT(n, 3);
        }
    }

    // "表" has 0x5C as its second byte: one glyph, not "?" and a backslash.
    Pixmap a, b;
    a.resize(32, 16, 0);
    b.resize(32, 16, 0);
    draw(a, whole(a), 0, 0, fixed, "\x95\x5C", 0xFFFFFF);
    draw(b, whole(b), 0, 0, fixed, sjis("表"), 0xFFFFFF);
    EXPECT_EQ(a.pixels, b.pixels);
    draw(b, whole(b), 0, 0, fixed, "?\\", 0xFFFFFF);
    EXPECT_NE(a.pixels, b.pixels);
}

TEST(FontDeathTest, NoJapaneseFontEndsWithAClearMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, fonts not yet looked up
    const std::string config = testing::TempDir() + "dorvane-no-fonts.conf";
    FILE* f = std::fopen(config.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n", f);
    std::fclose(f);
    EXPECT_EXIT(
        {
            setenv("FONTCONFIG_FILE", config.c_str(), 1);
            FcInitReinitialize();
            plat::font_for(FontRole::SystemFixed);
        },
        testing::ExitedWithCode(1), "no Japanese font found; install fonts-ipafont-gothic");
}

}  // namespace
