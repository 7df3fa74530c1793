// The system's own window classes: "Button", "Static", "Edit" and the dialog
// class, and the frames the layer draws around captioned windows.
#pragma once

#include "platform/internal.h"

namespace plat {

void register_builtin_classes();
void register_message_box_class();
void register_edit_class();
void register_dialog_class();
// Border, caption and close box of a window, drawn into its backing store.
void draw_frame(HWND w, Pixmap& target, bool active);
// Where the caption's close box lies, in window coordinates (empty without one).
Box close_box(HWND w);

// Colours of the system's 3D objects.
constexpr uint32_t kFace = 0xECE9D8;
constexpr uint32_t kShadow = 0xACA899;
constexpr uint32_t kDarkShadow = 0x716F64;
constexpr uint32_t kHighlight = 0xFFFFFF;

}  // namespace plat
