// Code-page conversion: the program's texts are Shift_JIS (code page 932, the
// ANSI code page of a Japanese system); the layer works in UTF-8 and UTF-32.
// iconv's "CP932" table does the mapping; the error handling around it is ours,
// so that broken bytes degrade to a replacement character and never stop a text.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/internal.h"

namespace {

constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kErrorInvalidFlags = 1004;
constexpr DWORD kErrorNoUnicodeTranslation = 1113;
constexpr DWORD kMbErrInvalidChars = 0x00000008;
constexpr DWORD kMbPrecomposed = 0x00000001;
constexpr DWORD kMbComposite = 0x00000002;
constexpr DWORD kMbUseGlyphChars = 0x00000004;

constexpr char32_t kMiddleDot = U'\u30FB';  // what a Japanese system shows for a broken double-byte character

bool is_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool is_trail_byte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// One descriptor per direction, opened on first use. iconv descriptors are not
// thread-safe, so every conversion holds the lock.
std::mutex converter_lock;
iconv_t from_cp932 = reinterpret_cast<iconv_t>(-1);
iconv_t to_cp932 = reinterpret_cast<iconv_t>(-1);

iconv_t converter(iconv_t& cd, const char* to, const char* from) {
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open(to, from);
    return cd;
}

// Shift_JIS to code points, one per character. Invalid single bytes become '?',
// an invalid double-byte character U+30FB; a lead byte whose second byte is
// missing (at the end of the text) is dropped. `invalid` tells whether anything
// was replaced or dropped.
std::u32string decode_cp932(const char* text, size_t length, bool* invalid) {
    std::u32string out;
    if (invalid) *invalid = false;
    if (length == 0) return out;
    out.reserve(length);

    std::lock_guard<std::mutex> hold(converter_lock);
    iconv_t cd = converter(from_cp932, "UTF-32LE", "CP932");
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t at = 0;
    char buffer[1024];
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter at all: keep ASCII, mark the rest.
        for (; at < length; ++at) out.push_back(bytes[at] < 0x80 ? bytes[at] : U'?');
        if (invalid) *invalid = true;
        return out;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (at < length) {
        char* in = const_cast<char*>(text) + at;
        size_t in_left = length - at;
        char* o = buffer;
        size_t out_left = sizeof buffer;
        size_t r = iconv(cd, &in, &in_left, &o, &out_left);
        int err = (r == static_cast<size_t>(-1)) ? errno : 0;
        for (char* p = buffer; p + 4 <= o; p += 4) {
            const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
            out.push_back(static_cast<char32_t>(u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24)));
        }
        at = length - in_left;
        if (err == 0 || err == E2BIG) continue;
        if (invalid) *invalid = true;
        if (at + 1 >= length && is_lead_byte(bytes[at])) {
            at = length;  // a lead byte cut off at the end
        } else if (is_lead_byte(bytes[at]) && is_trail_byte(bytes[at + 1])) {
            out.push_back(kMiddleDot);  // a pair with no mapping
            at += 2;
        } else if (is_lead_byte(bytes[at])) {
            out.push_back(kMiddleDot);  // the second byte belongs to the next character
            at += 1;
        } else {
            out.push_back(U'?');
            at += 1;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// Code points to Shift_JIS. A code point without a mapping becomes
// `replacement`; `used_replacement` tells whether that happened.
std::string encode_cp932(const std::u32string& text, const std::string& replacement, bool* used_replacement) {
    std::string out;
    if (used_replacement) *used_replacement = false;
    if (text.empty()) return out;
    out.reserve(text.size() * 2);

    std::string in_bytes(text.size() * 4, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        in_bytes[i * 4 + 0] = static_cast<char>(c & 0xFF);
        in_bytes[i * 4 + 1] = static_cast<char>((c >> 8) & 0xFF);
        in_bytes[i * 4 + 2] = static_cast<char>((c >> 16) & 0xFF);
        in_bytes[i * 4 + 3] = static_cast<char>((c >> 24) & 0xFF);
    }

    std::lock_guard<std::mutex> hold(converter_lock);
    iconv_t cd = converter(to_cp932, "CP932", "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char32_t c : text) {
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
            } else {
                out += replacement;
                if (used_replacement) *used_replacement = true;
            }
        }
        return out;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t at = 0;
    char buffer[1024];
    while (at < in_bytes.size()) {
        char* in = &in_bytes[at];
        size_t in_left = in_bytes.size() - at;
        char* o = buffer;
        size_t out_left = sizeof buffer;
        size_t r = iconv(cd, &in, &in_left, &o, &out_left);
        int err = (r == static_cast<size_t>(-1)) ? errno : 0;
        out.append(buffer, o - buffer);
        at = in_bytes.size() - in_left;
        if (err == 0 || err == E2BIG) continue;
        out += replacement;
        if (used_replacement) *used_replacement = true;
        at += 4;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// UTF-8 to code points; a byte that does not start a well-formed sequence
// becomes '?' on its own.
std::u32string decode_utf8(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = s[i];
        int extra;
        char32_t cp;
        char32_t min;
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, cp = c & 0x07, min = 0x10000;
        } else {
            out.push_back(U'?');
            ++i;
            continue;
        }
        bool ok = i + static_cast<size_t>(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(U'?');
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The code pages this system answers to: the ANSI, OEM and thread code pages
// are all 932 on a Japanese system.
bool is_cp932(UINT code_page) { return code_page == CP_ACP || code_page == 1 || code_page == 3 || code_page == 932; }

}  // namespace

namespace plat {

std::string sjis_to_utf8(const std::string& sjis) {
    std::u32string wide = decode_cp932(sjis.data(), sjis.size(), nullptr);
    std::string out;
    out.reserve(wide.size() * 3);
    for (char32_t c : wide) append_utf8(out, c);
    return out;
}

std::string utf8_to_sjis(const std::string& utf8) { return encode_cp932(decode_utf8(utf8), "?", nullptr); }

std::u32string sjis_to_utf32(const char* sjis, int length) {
    if (!sjis) return {};
    size_t n = length < 0 ? std::strlen(sjis) : static_cast<size_t>(length);
    return decode_cp932(sjis, n, nullptr);
}

}  // namespace plat

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideSize) {
    if (!is_cp932(codePage)) {
        SetLastError(kErrorInvalidParameter);
        return 0;
    }
    if (flags & ~(kMbPrecomposed | kMbComposite | kMbUseGlyphChars | kMbErrInvalidChars)) {
        SetLastError(kErrorInvalidFlags);
        return 0;
    }
    if (!text || length == 0 || length < -1 || wideSize < 0 || (wideSize > 0 && !wide)) {
        SetLastError(kErrorInvalidParameter);
        return 0;
    }
    // With -1 the text runs to its terminator, which is converted and counted too.
    size_t n = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    bool invalid = false;
    std::u32string points = decode_cp932(text, n, &invalid);
    if (invalid && (flags & kMbErrInvalidChars)) {
        SetLastError(kErrorNoUnicodeTranslation);
        return 0;
    }
    std::u16string units;
    units.reserve(points.size());
    for (char32_t c : points) {
        if (c >= 0x10000) {
            c -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
    }
    int needed = static_cast<int>(units.size());
    if (wideSize == 0) return needed;
    if (wideSize < needed) {
        SetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(wide, units.data(), units.size() * sizeof(WCHAR));
    return needed;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text, int size,
                               LPCSTR defaultChar, BOOL* usedDefault) {
    (void)flags;  // WC_COMPOSITECHECK and friends change nothing for Shift_JIS
    if (!is_cp932(codePage)) {
        SetLastError(kErrorInvalidParameter);
        return 0;
    }
    if (!wide || wideLength == 0 || wideLength < -1 || size < 0 || (size > 0 && !text)) {
        SetLastError(kErrorInvalidParameter);
        return 0;
    }
    size_t n = 0;
    if (wideLength == -1) {
        while (wide[n]) ++n;
        ++n;  // the terminator is converted and counted
    } else {
        n = static_cast<size_t>(wideLength);
    }
    // UTF-16 to code points; a lone surrogate has no Shift_JIS form and falls
    // to the default character like any other unmappable unit.
    std::u32string points;
    points.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        char32_t u = wide[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            points.push_back(0x10000 + ((u - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            points.push_back(0xFFFFFFFF);  // no mapping: becomes the default character
        } else {
            points.push_back(u);
        }
    }
    // The default character is one character of the code page: one byte, or two
    // when it starts with a lead byte.
    std::string replacement = "?";
    if (defaultChar && defaultChar[0]) {
        unsigned char c0 = static_cast<unsigned char>(defaultChar[0]);
        replacement.assign(defaultChar, is_lead_byte(c0) && defaultChar[1] ? 2 : 1);
    }
    bool used = false;
    std::string out = encode_cp932(points, replacement, &used);
    if (usedDefault) *usedDefault = used ? 1 : 0;
    int needed = static_cast<int>(out.size());
    if (size == 0) return needed;
    if (size < needed) {
        SetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(text, out.data(), out.size());
    return needed;
}

int WINAPI lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }
