// Texts of controls and message boxes: "&" mnemonics, line breaks and wrapping.
#pragma once

#include <string>
#include <vector>

#include "platform/internal.h"

namespace plat {

struct Label {
    std::string text;       // Shift_JIS, mnemonic marks removed
    int underline = -1;     // byte offset of the mnemonic character, or -1
    char mnemonic = 0;      // its lower-case ASCII letter or digit, or 0
    const Font* font = nullptr;
};

enum LabelLayout { LabelCentred, LabelWrapped };

Label make_label(const std::string& sjis, const Font* font);
// Lines of `label` broken at "\n" and wherever a line would pass `width`.
std::vector<std::string> wrap_lines(const Label& label, int width);
void draw_label(Pixmap& target, const Box& clip, const Box& area, const Label& label, uint32_t colour,
                LabelLayout layout);

}  // namespace plat
