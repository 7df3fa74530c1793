// The embedded resources and the layer's reading of them: FindResource and
// friends, LoadImage's scaling, LoadIcon, PlaySound. The formats are checked
// by parsing the bytes here, independently of the layer and of the tools that
// wrote them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/internal.h"
#include "platform/win32.h"
#include "res/resource.h"

extern "C" const uint8_t plat_resources[];
extern "C" const uint8_t plat_resources_end[];

namespace {

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
int32_t i32(const uint8_t* p) { return int32_t(u32(p)); }
int16_t i16(const uint8_t* p) { return int16_t(u16(p)); }

// --- an independent walk over the .res file ---

struct RawEntry {
    std::string type, name;  // "#n" for ordinals
    uint16_t language;
    const uint8_t* data;
    uint32_t size;
};

std::string read_res_id(const uint8_t*& p) {
    if (u16(p) == 0xFFFF) {
        std::string s = "#" + std::to_string(u16(p + 2));
        p += 4;
        return s;
    }
    std::string s;
    while (u16(p)) {
        s.push_back(char(u16(p)));
        p += 2;
    }
    p += 2;
    return s;
}

std::vector<RawEntry> walk_res() {
    std::vector<RawEntry> out;
    const uint8_t* begin = plat_resources;
    const uint8_t* end = plat_resources_end;
    const uint8_t* p = begin;
    bool first = true;
    while (p + 8 <= end) {
        uint32_t data_size = u32(p), header_size = u32(p + 4);
        const uint8_t* q = p + 8;
        RawEntry e;
        e.type = read_res_id(q);
        e.name = read_res_id(q);
        while ((q - begin) % 4) ++q;
        e.language = u16(q + 6);
        e.data = p + header_size;
        e.size = data_size;
        if (first) {
            // The leading empty entry that marks a 32-bit .res file.
            EXPECT_EQ(data_size, 0u);
            EXPECT_EQ(header_size, 32u);
            first = false;
        } else {
            out.push_back(e);
        }
        size_t next = size_t(p + header_size + data_size - begin);
        p = begin + ((next + 3) & ~size_t(3));
    }
    EXPECT_EQ(p, end) << "the .res must end after its last entry";
    return out;
}

const uint8_t* find(LPCSTR name, LPCSTR type, DWORD* size = nullptr) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC r = FindResourceA(module, name, type);
    if (!r) return nullptr;
    if (size) *size = SizeofResource(module, r);
    return static_cast<const uint8_t*>(LockResource(LoadResource(module, r)));
}

std::u16string utf16_at(const uint8_t*& p) {
    std::u16string s;
    while (u16(p)) {
        s.push_back(char16_t(u16(p)));
        p += 2;
    }
    p += 2;
    return s;
}

// --- the inventory ---

TEST(Resources, HoldsExactlyTheResourceTableWithItsLanguages) {
    std::set<std::tuple<std::string, std::string, uint16_t>> expected;
    for (int id = 129; id <= 138; ++id) expected.insert({"#2", "#" + std::to_string(id), 0x0411});
    expected.insert({"#5", "#139", 0x0411});
    for (int id : {140, 141, 142, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 155})
        expected.insert({"WAVE", "#" + std::to_string(id), 0x0411});
    expected.insert({"#3", "#1", 0x0411});
    expected.insert({"#3", "#2", 0x0411});
    expected.insert({"#14", "IDI_DORVAN3D", 0x0411});
    expected.insert({"#16", "#1", 0x0411});
    expected.insert({"#24", "#1", 0x0409});

    std::set<std::tuple<std::string, std::string, uint16_t>> found;
    for (const RawEntry& e : walk_res()) {
        EXPECT_TRUE(found.insert({e.type, e.name, e.language}).second) << e.type << " " << e.name << " twice";
        // FindResource must hand out the very bytes the file holds for it.
        LPCSTR type = e.type[0] == '#' ? MAKEINTRESOURCEA(std::stoi(e.type.substr(1))) : e.type.c_str();
        LPCSTR name = e.name[0] == '#' ? MAKEINTRESOURCEA(std::stoi(e.name.substr(1))) : e.name.c_str();
        DWORD size = 0;
        EXPECT_EQ(find(name, type, &size), e.data) << e.type << " " << e.name;
        EXPECT_EQ(size, e.size) << e.type << " " << e.name;
    }
    EXPECT_EQ(found, expected);
}

TEST(Resources, FindResourceMatchesNamesAsTheSystemDoes) {
    const uint8_t* wave140 = find(MAKEINTRESOURCEA(140), "WAVE");
    ASSERT_NE(wave140, nullptr);
    struct Case {
        LPCSTR name, type;
        bool found;
    } cases[] = {
        {MAKEINTRESOURCEA(140), "wave", true},           // type names ignore case
        {"#140", "WAVE", true},                          // "#n" is the integer n
        {MAKEINTRESOURCEA(143), "WAVE", false},          // there is no 143
        {MAKEINTRESOURCEA(140), RT_BITMAP, false},       // right name, wrong type
        {MAKEINTRESOURCEA(129), "WAVE", false},
        {"idi_dorvan3d", RT_GROUP_ICON, true},           // resource names ignore case too
        {"IDI_DORVAN3D", RT_ICON, false},
        {MAKEINTRESOURCEA(1), RT_GROUP_ICON, false},     // the group has a name, not a number
        {"#1x", RT_VERSION, false},                      // not a number: a name, and none has it
    };
    for (const Case& c : cases) {
        HRSRC r = FindResourceA(GetModuleHandleA(nullptr), c.name, c.type);
        EXPECT_EQ(r != nullptr, c.found) << (IS_INTRESOURCE(c.name) ? std::to_string(uintptr_t(c.name)) : c.name);
    }
    EXPECT_EQ(find("#140", "wave"), wave140);
    // Any module handle names the program's resources, NULL included.
    EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PLAYERNAME), RT_DIALOG), nullptr);
}

// --- the enemy sprites ---

struct Dib {
    int width = 0, height = 0;
    // 0x00RRGGBB, row 0 at the top
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Dib decode_24bpp(const uint8_t* dib) {
    Dib out;
    out.width = i32(dib + 4);
    out.height = i32(dib + 8);
    int stride = (out.width * 3 + 3) & ~3;
    out.pixels.resize(size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* row = dib + 40 + size_t(out.height - 1 - y) * stride;  // bottom-up
        for (int x = 0; x < out.width; ++x)
            out.pixels[size_t(y) * out.width + x] = (uint32_t(row[3 * x + 2]) << 16) | (row[3 * x + 1] << 8) | row[3 * x];
    }
    return out;
}

TEST(Resources, EnemyBitmapsHaveTheSpriteFormat) {
    for (int id = IDB_ENEMY0_RED; id <= IDB_ENEMY4_CYAN; ++id) {
        SCOPED_TRACE(id);
        DWORD size = 0;
        const uint8_t* dib = find(MAKEINTRESOURCEA(id), RT_BITMAP, &size);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(size, 40u + 3300u) << "header and pixels, no colour table";
        EXPECT_EQ(u32(dib), 40u);             // BITMAPINFOHEADER
        EXPECT_EQ(i32(dib + 4), 33);          // width
        EXPECT_EQ(i32(dib + 8), 33);          // height, positive: bottom-up
        EXPECT_EQ(u16(dib + 12), 1);          // planes
        EXPECT_EQ(u16(dib + 14), 24);         // bits per pixel
        EXPECT_EQ(u32(dib + 16), 0u);         // BI_RGB
        EXPECT_TRUE(u32(dib + 20) == 3300u || u32(dib + 20) == 0u);
        EXPECT_EQ(i32(dib + 24), 2834);       // pixels per metre
        EXPECT_EQ(i32(dib + 28), 2834);
        EXPECT_EQ(u32(dib + 32), 0u);         // colours used
        // Each 33-pixel row is 99 bytes, padded with one zero byte to 100.
        for (int row = 0; row < 33; ++row) EXPECT_EQ(dib[40 + row * 100 + 99], 0) << "row " << row;
    }
}

TEST(Resources, RedAndCyanViewsShowOnePictureInTheirOwnChannels) {
    std::vector<std::vector<bool>> shapes;
    for (int type = 0; type < 5; ++type) {
        SCOPED_TRACE(type);
        const uint8_t* red_dib = find(MAKEINTRESOURCEA(IDB_ENEMY0_RED + type), RT_BITMAP);
        const uint8_t* cyan_dib = find(MAKEINTRESOURCEA(IDB_ENEMY0_CYAN + type), RT_BITMAP);
        ASSERT_TRUE(red_dib && cyan_dib);
        Dib red = decode_24bpp(red_dib), cyan = decode_24bpp(cyan_dib);
        int shape = 0, yellowish = 0, mismatched = 0;
        std::vector<bool> mask;
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 33; ++x) {
                uint32_t r = red.at(x, y), c = cyan.at(x, y);
                int rr = r >> 16, rg = (r >> 8) & 255, rb = r & 255;
                EXPECT_EQ(rb, 0) << "blue in the red view at " << x << "," << y;
                if (rg) {
                    ++yellowish;
                    EXPECT_GT(rr, rg / 2) << "green in the red view only as part of yellow, at " << x << "," << y;
                }
                EXPECT_EQ(c >> 16, 0u) << "red in the cyan view at " << x << "," << y;
                bool in_red = r != 0, in_cyan = c != 0;
                if (in_red != in_cyan) ++mismatched;
                if (in_red) ++shape;
                mask.push_back(in_red);
            }
        EXPECT_EQ(mismatched, 0) << "both views must cover the same pixels";
        EXPECT_GT(shape, 200) << "a monster, not a speck";
        EXPECT_LT(shape, 33 * 33 - 100) << "on a black background";
        if (type == 2) {
            EXPECT_GT(yellowish, 0) << "type 2 has yellowish pixels";
            EXPECT_LT(yellowish, 40) << "only a few";
        } else {
            EXPECT_EQ(yellowish, 0);
        }
        shapes.push_back(mask);
    }
    // Five monsters, five different silhouettes.
    for (size_t a = 0; a < shapes.size(); ++a)
        for (size_t b = a + 1; b < shapes.size(); ++b) {
            int differ = 0;
            for (size_t i = 0; i < shapes[a].size(); ++i) differ += shapes[a][i] != shapes[b][i];
            EXPECT_GT(differ, 150) << "types " << a << " and " << b << " look alike";
        }
}

// --- the sound effects ---

TEST(Resources, SoundsHaveTheirFormatsAndLengths) {
    struct Sound {
        int id;
        int channels;
        uint32_t rate;
        uint32_t data_bytes;
    } sounds[] = {
        {IDW_ENEMYATTACK0, 1, 22050, 34796},  {IDW_ENEMYATTACK1, 1, 22050, 110288},
        {IDW_ENEMYATTACK2, 2, 44100, 139288}, {IDW_ENEMYATTACK3, 1, 22050, 20440},
        {IDW_ENEMYATTACK4, 1, 22050, 62890},  {IDW_CRITICAL, 1, 22050, 24534},
        {IDW_MAGIC, 1, 22050, 87824},         {IDW_ITEM, 1, 22050, 3478},
        {IDW_PLAYERATTACK, 1, 22050, 9644},   {IDW_PLAYERHURT, 1, 22050, 17002},
        {IDW_ENEMYVANISH, 1, 22050, 29484},   {IDW_PLAYERDEFEATED, 1, 22050, 20472},
        {IDW_ENEMYHURT, 1, 22050, 15660},     {IDW_MISS, 1, 22050, 6512},
        {IDW_RUN, 1, 22050, 18476},
    };
    for (const Sound& s : sounds) {
        SCOPED_TRACE(s.id);
        DWORD size = 0;
        const uint8_t* p = find(MAKEINTRESOURCEA(s.id), "WAVE", &size);
        ASSERT_NE(p, nullptr);
        ASSERT_GE(size, 12u);
        EXPECT_EQ(std::memcmp(p, "RIFF", 4), 0);
        EXPECT_EQ(u32(p + 4), size - 8);
        EXPECT_EQ(std::memcmp(p + 8, "WAVE", 4), 0);
        // The chunks, in order.
        std::vector<std::pair<std::string, uint32_t>> chunks;
        const uint8_t* fmt = nullptr;
        const uint8_t* data = nullptr;
        uint32_t fact_frames = 0;
        for (uint32_t at = 12; at + 8 <= size;) {
            std::string id(reinterpret_cast<const char*>(p + at), 4);
            uint32_t length = u32(p + at + 4);
            ASSERT_LE(at + 8 + length, size) << id;
            chunks.push_back({id, length});
            if (id == "fmt ") fmt = p + at + 8;
            if (id == "data") data = p + at + 8;
            if (id == "fact") fact_frames = u32(p + at + 8);
            at += 8 + length + (length & 1);
        }
        bool stereo = s.id == IDW_ENEMYATTACK2;
        std::vector<std::pair<std::string, uint32_t>> layout;
        if (stereo)
            layout = {{"fmt ", 18}, {"fact", 4}, {"data", s.data_bytes}};
        else
            layout = {{"fmt ", 16}, {"data", s.data_bytes}};
        ASSERT_EQ(chunks, layout);
        EXPECT_EQ(u16(fmt), 1);                       // PCM
        EXPECT_EQ(u16(fmt + 2), s.channels);
        EXPECT_EQ(u32(fmt + 4), s.rate);
        EXPECT_EQ(u32(fmt + 8), s.rate * s.channels * 2);  // bytes per second
        EXPECT_EQ(u16(fmt + 12), s.channels * 2);     // block align
        EXPECT_EQ(u16(fmt + 14), 16);                 // bits per sample
        if (stereo) {
            EXPECT_EQ(u16(fmt + 16), 0);              // cbSize
            EXPECT_EQ(fact_frames, 34822u);
            EXPECT_EQ(fact_frames * 4, s.data_bytes);
        }
        // Something to hear: a sound's loudest sample is well above silence.
        int peak = 0;
        for (uint32_t i = 0; i + 1 < s.data_bytes; i += 2) peak = std::max(peak, std::abs(int(i16(data + i))));
        EXPECT_GT(peak, 8000);
    }
}

// --- the player-name dialog ---

TEST(Resources, PlayerNameDialogIsTheExtendedTemplate) {
    DWORD size = 0;
    const uint8_t* base = find(MAKEINTRESOURCEA(IDD_PLAYERNAME), RT_DIALOG, &size);
    ASSERT_NE(base, nullptr);
    const uint8_t* p = base;
    EXPECT_EQ(u16(p), 1);           // dlgVer
    EXPECT_EQ(u16(p + 2), 0xFFFF);  // signature of the extended template
    EXPECT_EQ(u32(p + 4), 0u);      // help id
    EXPECT_EQ(u32(p + 8), 0u);      // extended styles
    EXPECT_EQ(u32(p + 12), 0x80C808C0u);
    uint16_t count = u16(p + 16);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(i16(p + 18), 0);
    EXPECT_EQ(i16(p + 20), 0);
    EXPECT_EQ(i16(p + 22), 186);
    EXPECT_EQ(i16(p + 24), 95);
    p += 26;
    EXPECT_EQ(u16(p), 0) << "no menu";
    p += 2;
    EXPECT_EQ(u16(p), 0) << "the standard dialog class";
    p += 2;
    EXPECT_EQ(utf16_at(p), u"Dorvane 3D");
    EXPECT_EQ(u16(p), 9);           // points
    EXPECT_EQ(u16(p + 2), 400);     // weight
    EXPECT_EQ(p[4], 0);             // italic
    EXPECT_EQ(p[5], 128);           // SHIFTJIS_CHARSET
    p += 6;
    EXPECT_EQ(utf16_at(p), u"ＭＳ Ｐゴシック");

    struct Control {
        uint32_t id;
        uint16_t class_atom;  // 0x80 button, 0x81 edit, 0x82 static
        int x, y, cx, cy;
        uint32_t style;
        std::u16string text;
    } controls[] = {
        {0xFFFFFFFF, 0x82, 7, 7, 172, 18, 0x50020000,
         u"ユーザ登録へのご協力をお願いします。\nユーザ登録を行うことで、様々なサポートを受けることが..."},
        {0xFFFFFFFF, 0x82, 7, 38, 41, 8, 0x50020000, u"ユーザ名(&U)："},
        {IDC_PLAYERNAME, 0x81, 7, 52, 172, 14, 0x50810080, u""},
        {IDOK, 0x80, 7, 74, 50, 14, 0x50010001, u"OK"},
        {IDCANCEL, 0x80, 60, 74, 50, 14, 0x50010000, u"キャンセル"},
        {IDC_VERSIONINFO, 0x80, 116, 74, 63, 14, 0x50010000, u"バージョン情報(&A)"},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        while ((p - base) % 4) ++p;
        ASSERT_LT(size_t(p - base), size_t(size));
        EXPECT_EQ(u32(p), 0u);       // help id
        EXPECT_EQ(u32(p + 4), 0u);   // extended styles
        EXPECT_EQ(u32(p + 8), c.style);
        EXPECT_EQ(i16(p + 12), c.x);
        EXPECT_EQ(i16(p + 14), c.y);
        EXPECT_EQ(i16(p + 16), c.cx);
        EXPECT_EQ(i16(p + 18), c.cy);
        EXPECT_EQ(u32(p + 20), c.id);
        p += 24;
        ASSERT_EQ(u16(p), 0xFFFF) << "a predefined class, by atom";
        EXPECT_EQ(u16(p + 2), c.class_atom);
        p += 4;
        ASSERT_NE(u16(p), 0xFFFF) << "text, not an ordinal";
        EXPECT_EQ(utf16_at(p), c.text);
        uint16_t extra = u16(p);
        p += 2 + extra;
    }
    EXPECT_LE(size_t(p - base), size_t(size));
    EXPECT_EQ(controls[0].text.substr(controls[0].text.size() - 3), u"...") << "cut off with three full stops";
}

// --- the version block ---

struct VersionNode {
    std::u16string key;
    uint16_t type = 0;            // 1: text value
    const uint8_t* value = nullptr;
    uint16_t value_length = 0;    // bytes for binary values, characters for text
    std::vector<VersionNode> children;
};

VersionNode parse_version(const uint8_t* base, const uint8_t* p) {
    VersionNode n;
    uint16_t length = u16(p);
    n.value_length = u16(p + 2);
    n.type = u16(p + 4);
    const uint8_t* end = p + length;
    const uint8_t* q = p + 6;
    n.key = utf16_at(q);
    while ((q - base) % 4) ++q;
    n.value = q;
    q += n.type == 1 ? n.value_length * 2 : n.value_length;
    while ((q - base) % 4) ++q;
    while (q + 6 <= end) {
        uint16_t child_length = u16(q);
        if (child_length == 0) break;
        n.children.push_back(parse_version(base, q));
        q += child_length;
        while ((q - base) % 4) ++q;
    }
    return n;
}

std::u16string text_value(const VersionNode& n) {
    std::u16string s;
    for (uint16_t i = 0; i < n.value_length; ++i) {
        char16_t c = char16_t(u16(n.value + 2 * i));
        if (c == 0) break;
        s.push_back(c);
    }
    return s;
}

TEST(Resources, VersionBlockHasTheFixedPartAndOneJapaneseStringTable) {
    DWORD size = 0;
    const uint8_t* base = find(MAKEINTRESOURCEA(1), RT_VERSION, &size);
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(u16(base), size);
    VersionNode root = parse_version(base, base);
    EXPECT_EQ(root.key, u"VS_VERSION_INFO");
    ASSERT_EQ(root.value_length, 52);
    const uint8_t* f = root.value;
    uint32_t expected_fixed[13] = {
        0xFEEF04BD, 0x00010000,   // signature, structure version
        0x00030000, 0x00000000,   // file version 3.0.0.0
        0x00030000, 0x00000000,   // product version 3.0.0.0
        0x37, 0x20,               // flags mask, flags: special build
        0x4, 0x1, 0x0,            // 32-bit Windows, application, no subtype
        0x0, 0x0,                 // no file date
    };
    for (int i = 0; i < 13; ++i) EXPECT_EQ(u32(f + 4 * i), expected_fixed[i]) << "field " << i;

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode& strings = root.children[0];
    EXPECT_EQ(strings.key, u"StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u) << "one string table";
    const VersionNode& table = strings.children[0];
    EXPECT_EQ(table.key, u"041104b0");
    std::vector<std::u16string> keys;
    std::map<std::u16string, std::u16string> values;
    for (const VersionNode& s : table.children) {
        EXPECT_EQ(s.type, 1) << "text";
        keys.push_back(s.key);
        values[s.key] = text_value(s);
    }
    std::vector<std::u16string> order = {u"Comments",    u"CompanyName",      u"FileDescription",
                                         u"FileVersion", u"InternalName",     u"LegalCopyright",
                                         u"OriginalFilename", u"ProductName", u"ProductVersion",
                                         u"SpecialBuild"};
    EXPECT_EQ(keys, order);
    EXPECT_EQ(values[u"FileDescription"], u"Dorvane 3D");
    EXPECT_EQ(values[u"FileVersion"], u"3, 0, 0, 0");
    EXPECT_EQ(values[u"InternalName"], u"DORVAN3D");
    EXPECT_EQ(values[u"ProductName"], u"Dorvane 3D");
    EXPECT_EQ(values[u"ProductVersion"], u"3, 0, 0, 0");
    EXPECT_EQ(values[u"SpecialBuild"], u"3D");
    EXPECT_EQ(values[u"OriginalFilename"], u"dorvan3d.exe");
    EXPECT_EQ(values[u"LegalCopyright"].rfind(u"Copyright", 0), 0u);
    EXPECT_FALSE(values[u"CompanyName"].empty());
    // The comment is a Japanese sentence: kana or kanji, ending with a full stop.
    const std::u16string& comment = values[u"Comments"];
    ASSERT_FALSE(comment.empty());
    EXPECT_EQ(comment.back(), u'。');
    EXPECT_GE(comment.front(), 0x3040);

    const VersionNode& vars = root.children[1];
    EXPECT_EQ(vars.key, u"VarFileInfo");
    ASSERT_EQ(vars.children.size(), 1u);
    EXPECT_EQ(vars.children[0].key, u"Translation");
    ASSERT_EQ(vars.children[0].value_length, 4);
    EXPECT_EQ(u16(vars.children[0].value), 0x0411);
    EXPECT_EQ(u16(vars.children[0].value + 2), 0x04B0);
}

// --- manifest and icon ---

TEST(Resources, ManifestAsksForCommonControlsSix) {
    DWORD size = 0;
    const uint8_t* p = find(MAKEINTRESOURCEA(1), RT_MANIFEST, &size);
    ASSERT_NE(p, nullptr);
    std::string text(reinterpret_cast<const char*>(p), size);
    EXPECT_EQ(text.rfind("<?xml", 0), 0u) << "UTF-8 without a byte-order mark";
    EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(text.find("manifestVersion=\"1.0\""), std::string::npos);
    EXPECT_NE(text.find("<description>アプリケーションの説明</description>"), std::string::npos);
    // The program's own identity, then the dependency's.
    size_t own = text.find("<assemblyIdentity");
    size_t dependency = text.find("<dependentAssembly>");
    ASSERT_NE(own, std::string::npos);
    ASSERT_NE(dependency, std::string::npos);
    ASSERT_LT(own, dependency);
    std::string own_identity = text.substr(own, text.find("/>", own) - own);
    for (const char* attribute : {"version=\"1.0.0.0\"", "processorArchitecture=\"X86\"", "type=\"win32\"", "name=\""})
        EXPECT_NE(own_identity.find(attribute), std::string::npos) << attribute;
    size_t dep_identity_at = text.find("<assemblyIdentity", dependency);
    std::string dep_identity = text.substr(dep_identity_at, text.find("/>", dep_identity_at) - dep_identity_at);
    for (const char* attribute :
         {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "processorArchitecture=\"X86\"",
          "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\"", "type=\"win32\""})
        EXPECT_NE(dep_identity.find(attribute), std::string::npos) << attribute;
    EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(text.find("<dependency>", text.find("</dependency>")), std::string::npos) << "one dependency";
}

TEST(Resources, IconGroupHoldsTheTwoSixteenColourImages) {
    DWORD size = 0;
    const uint8_t* group = find("IDI_DORVAN3D", RT_GROUP_ICON, &size);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(size, 6u + 2 * 14u);
    EXPECT_EQ(u16(group), 0);
    EXPECT_EQ(u16(group + 2), 1);   // icons, not cursors
    EXPECT_EQ(u16(group + 4), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const uint8_t* e = group + 6 + 14 * i;
        int pixels = i == 0 ? 16 : 32;
        EXPECT_EQ(e[0], pixels);
        EXPECT_EQ(e[1], pixels);
        EXPECT_EQ(e[2], 16);            // colours
        EXPECT_EQ(u16(e + 4), 1);       // planes
        EXPECT_EQ(u16(e + 6), 4);       // bits per pixel
        uint16_t icon_id = u16(e + 12);
        EXPECT_EQ(icon_id, i + 1);
        DWORD image_size = 0;
        const uint8_t* image = find(MAKEINTRESOURCEA(icon_id), RT_ICON, &image_size);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(u32(e + 8), image_size);
        EXPECT_EQ(u32(image), 40u);
        EXPECT_EQ(i32(image + 4), pixels);
        EXPECT_EQ(i32(image + 8), 2 * pixels) << "colour and mask halves";
        EXPECT_EQ(u16(image + 12), 1);
        EXPECT_EQ(u16(image + 14), 4);
        // header, 16-entry colour table, 4-bpp colours, 1-bpp mask (rows of whole DWORDs)
        size_t colour_bytes = size_t(pixels) * pixels / 2;
        size_t mask_bytes = size_t(pixels) * 4;
        EXPECT_EQ(image_size, 40 + 64 + colour_bytes + mask_bytes);
    }
}

// --- LoadImage, LoadIcon ---

TEST(Resources, LoadImageScalesEachSourcePixelToABlock) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const uint8_t* dib = find(MAKEINTRESOURCEA(IDB_ENEMY2_RED), RT_BITMAP);
    ASSERT_NE(dib, nullptr);
    Dib source = decode_24bpp(dib);

    struct Case {
        int width, height;            // asked for; 0: the bitmap's own
        int out_width, out_height;
        int min_block, max_block;     // widths and heights of the blocks
    } cases[] = {
        {0, 0, 33, 33, 1, 1},
        {66, 66, 66, 66, 2, 2},
        {204, 204, 204, 204, 6, 7},
        {99, 0, 99, 33, 1, 3},
        {16, 16, 16, 16, 0, 1},       // shrinking drops pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        HGDIOBJ bitmap = static_cast<HGDIOBJ>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_ENEMY2_RED), IMAGE_BITMAP,
                                                         c.width, c.height, LR_DEFAULTCOLOR));
        ASSERT_NE(bitmap, nullptr);
        const plat::Pixmap& px = bitmap->bitmap;
        ASSERT_EQ(px.width, c.out_width);
        ASSERT_EQ(px.height, c.out_height);
        // Every destination pixel is the source pixel it falls on.
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x)
                ASSERT_EQ(px.row(y)[x], source.at(x * 33 / px.width, y * 33 / px.height)) << x << "," << y;
        // How many destination columns each source column became.
        if (c.width == c.height) {
            std::vector<int> block(33, 0);
            for (int x = 0; x < px.width; ++x) ++block[x * 33 / px.width];
            for (int b : block) {
                EXPECT_GE(b, c.min_block);
                EXPECT_LE(b, c.max_block);
            }
        }
        DeleteObject(bitmap);
    }
    // The yellow of type 2 survives loading: the program draws what the file holds.
    HGDIOBJ natural = static_cast<HGDIOBJ>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_ENEMY2_RED), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(natural, nullptr);
    int yellow = 0;
    for (uint32_t v : natural->bitmap.pixels) yellow += (v >> 16) && ((v >> 8) & 255);
    EXPECT_GT(yellow, 0);
    DeleteObject(natural);

    EXPECT_EQ(LoadImageA(instance, MAKEINTRESOURCEA(128), IMAGE_BITMAP, 0, 0, 0), nullptr) << "no such bitmap";
    EXPECT_EQ(LoadImageA(instance, MAKEINTRESOURCEA(IDW_MISS), IMAGE_BITMAP, 0, 0, 0), nullptr) << "not a bitmap";
    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(IDB_ENEMY0_RED), IMAGE_BITMAP, 0, 0, 0), nullptr)
        << "a null instance means the system's images";
}

TEST(Resources, LoadIconFindsTheGroupByName) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, "IDI_DORVAN3D");
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(instance, "idi_dorvan3d"), icon);
    EXPECT_EQ(LoadIconA(instance, "NO_SUCH_ICON"), nullptr);
    EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(1)), nullptr) << "icon images are not groups";
    EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), nullptr) << "IDI_APPLICATION";
}

// --- PlaySound ---

TEST(Resources, PlaySoundReportsWhetherItPlayed) {
    HMODULE module = GetModuleHandleA(nullptr);
    const DWORD flags = SND_RESOURCE | SND_NODEFAULT | SND_ASYNC;
    ASSERT_EQ(flags, 0x40007u);
    EXPECT_TRUE(PlaySoundA(MAKEINTRESOURCEA(IDW_PLAYERATTACK), module, flags));
    EXPECT_TRUE(PlaySoundA(MAKEINTRESOURCEA(IDW_ENEMYATTACK2), module, flags));
    EXPECT_FALSE(PlaySoundA(MAKEINTRESOURCEA(143), module, flags)) << "there is no 143";
    EXPECT_FALSE(PlaySoundA(MAKEINTRESOURCEA(IDB_ENEMY0_RED), module, flags)) << "a bitmap is no WAVE";
    EXPECT_TRUE(PlaySoundA(nullptr, nullptr, 0));
}

}  // namespace
