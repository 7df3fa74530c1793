#include "platform/label.h"

#include <cctype>

namespace plat {

namespace {

bool is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

int char_length(const std::string& s, size_t i) { return is_lead(s[i]) && i + 1 < s.size() ? 2 : 1; }

}  // namespace

Label make_label(const std::string& sjis, const Font* font) {
    Label label;
    label.font = font;
    for (size_t i = 0; i < sjis.size();) {
        int n = char_length(sjis, i);
        if (n == 1 && sjis[i] == '&' && i + 1 < sjis.size()) {
            if (sjis[i + 1] == '&') {
                label.text += '&';
                i += 2;
                continue;
            }
            if (label.underline < 0) {
                label.underline = static_cast<int>(label.text.size());
                unsigned char next = sjis[i + 1];
                if (std::isalnum(next)) label.mnemonic = static_cast<char>(std::tolower(next));
            }
            ++i;
            continue;
        }
        label.text.append(sjis, i, n);
        i += n;
    }
    return label;
}

std::vector<std::string> wrap_lines(const Label& label, int width) {
    std::vector<std::string> lines(1);
    const std::string& s = label.text;
    for (size_t i = 0; i < s.size();) {
        int n = char_length(s, i);
        if (s[i] == '\r') {
            ++i;
            continue;
        }
        if (s[i] == '\n') {
            lines.emplace_back();
            ++i;
            continue;
        }
        std::string candidate = lines.back() + s.substr(i, n);
        if (width > 0 && !lines.back().empty() &&
            text_width(label.font, candidate.data(), static_cast<int>(candidate.size())) > width) {
            // Break at the last space of the line when there is one, else here.
            std::string& line = lines.back();
            size_t space = line.rfind(' ');
            std::string rest;
            if (space != std::string::npos && space > 0) {
                rest = line.substr(space + 1);
                line.erase(space);
            }
            lines.push_back(rest);
            if (s[i] == ' ') {
                ++i;
                continue;
            }
        }
        lines.back().append(s, i, n);
        i += n;
    }
    return lines;
}

void draw_label(Pixmap& target, const Box& clip, const Box& area, const Label& label, uint32_t colour,
                LabelLayout layout) {
    Box c = intersect(clip, area);
    int height = font_height(label.font);
    std::vector<std::string> lines =
        layout == LabelWrapped ? wrap_lines(label, area.width()) : std::vector<std::string>{label.text};
    int y = layout == LabelCentred ? area.top + (area.height() - height) / 2 : area.top;
    int consumed = 0;
    for (const std::string& line : lines) {
        int width = text_width(label.font, line.data(), static_cast<int>(line.size()));
        int x = layout == LabelCentred ? area.left + (area.width() - width) / 2 : area.left;
        draw_text(target, c, x, y, label.font, line.data(), static_cast<int>(line.size()), colour, false, 0);
        int at = label.underline - consumed;
        if (label.underline >= 0 && at >= 0 && at < static_cast<int>(line.size())) {
            int left = x + text_width(label.font, line.data(), at);
            int right = left + text_width(label.font, line.data() + at, char_length(line, at));
            int base = y + font_ascent(label.font) + 1;
            fill_box(target, intersect(c, Box{left, base, right, base + 1}), colour);
        }
        consumed += static_cast<int>(line.size());
        y += height;
    }
}

}  // namespace plat
