#pragma once

#include <span>
#include <string_view>

// Dialog templates: what each window holds, where, with which initial text and
// image. The windows are built from these tables; the logic only knows the ids.

namespace res {

enum class ControlKind {
    Button,      // push button (skinned)
    CheckButton, // button that stays down while on
    CheckBox,
    Label,
    Edit,
    PasswordEdit,
    Picture,
    Slider,
    Tree,
    Web,   // placeholder for the web view; it only ever shows a blank page
    Radio, // radio button; the radios of a window form one group
    Group, // group box frame with its title
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, width, height; // pixels, relative to the window
    std::u16string_view text;
    std::string_view image; // skin image name, empty for none
};

struct DialogTemplate {
    int id;
    std::u16string_view title;
    int width, height;           // the visible client area in pixels
    std::string_view shapeImage; // skin image whose opaque pixels form the window; empty: rectangular
    std::span<const ControlTemplate> controls;
};

struct MenuItem {
    int command; // 0: separator
    std::u16string_view text;
};

struct MenuTemplate {
    int id;
    std::span<const MenuItem> items;
};

// nullptr when the id is unknown.
const DialogTemplate* findDialog(int id);
const MenuTemplate* findMenu(int id);
std::span<const DialogTemplate> allDialogs();
std::u16string_view loadString(int id);

} // namespace res
