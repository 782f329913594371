#include "builtin_classes.h"

namespace fh::detail {
namespace {

constexpr auto kLong = FH_RESULT_LONG;
constexpr auto kNone = FH_RESULT_NONE;

// Slot numbers as the library's scripts know them; events that no script of
// the library touches take free numbers next to them.
constexpr BuiltinEvent kObjectEvents[] = {
    {"create", 0, kNone},
    {"destroy", 1, kNone},
};
// A message object declared inside a window raises these from its own
// create and destroy scripts.
constexpr BuiltinEvent kMessageEvents[] = {
    {"create", 0, kNone},
    {"destroy", 1, kNone},
    {"constructor", 51, kLong},
    {"destructor", 52, kLong},
};
constexpr BuiltinEvent kWindowEvents[] = {
    {"create", 0, kNone}, {"destroy", 1, kNone}, {"open", 54, kLong},
    {"close", 55, kLong}, {"resize", 56, kLong}, {"closequery", 57, kLong},
};
constexpr BuiltinEvent kDataWindowEvents[] = {
    {"constructor", 53, kLong}, {"destructor", 52, kLong}, {"losefocus", 58, kLong},
    {"getfocus", 59, kLong},    {"clicked", 60, kLong},    {"doubleclicked", 61, kLong},
    {"itemchanged", 63, kLong}, {"itemerror", 64, kLong},  {"rowfocuschanged", 76, kLong},
    {"retrieveend", 77, kLong}, {"resize", 62, kLong},     {"dberror", 65, kLong},
};
constexpr BuiltinEvent kMenuEvents[] = {
    {"create", 0, kNone},
    {"destroy", 1, kNone},
    {"clicked", 50, kLong},
    {"selected", 51, kLong},
};
// Controls that take the keyboard focus have its events at the data
// window's slots.
constexpr BuiltinEvent kButtonEvents[] = {
    {"clicked", 50, kLong},   {"constructor", 51, kLong}, {"destructor", 52, kLong},
    {"losefocus", 58, kLong}, {"getfocus", 59, kLong},
};
constexpr BuiltinEvent kStaticTextEvents[] = {
    {"clicked", 50, kLong},
    {"constructor", 51, kLong},
    {"destructor", 52, kLong},
};
constexpr BuiltinEvent kEditEvents[] = {
    {"clicked", 50, kLong},   {"constructor", 51, kLong}, {"destructor", 52, kLong},
    {"losefocus", 58, kLong}, {"getfocus", 59, kLong},
};
constexpr BuiltinEvent kUserObjectEvents[] = {
    {"create", 0, kNone},      {"destroy", 1, kNone},    {"constructor", 51, kLong},
    {"destructor", 52, kLong}, {"losefocus", 58, kLong}, {"getfocus", 59, kLong},
};
constexpr BuiltinEvent kNoEvents[] = {{"create", 0, kNone}};

constexpr BuiltinClass kClasses[] = {
    {"powerobject", Kind::kNonVisual, "", kNoEvents},
    {"nonvisualobject", Kind::kNonVisual, "powerobject", kObjectEvents},
    {"structure", Kind::kStructure, "powerobject", kNoEvents},
    {"message", Kind::kMessage, "nonvisualobject", kMessageEvents},
    {"transaction", Kind::kNonVisual, "nonvisualobject", kObjectEvents},
    {"dwobject", Kind::kNonVisual, "powerobject", kNoEvents},
    {"menu", Kind::kMenu, "powerobject", kMenuEvents},
    {"window", Kind::kWindow, "powerobject", kWindowEvents},
    {"datawindow", Kind::kDataWindow, "powerobject", kDataWindowEvents},
    {"datawindowchild", Kind::kDataWindow, "powerobject", kNoEvents},
    {"commandbutton", Kind::kCommandButton, "powerobject", kButtonEvents},
    {"picturebutton", Kind::kCommandButton, "powerobject", kButtonEvents},
    {"checkbox", Kind::kCheckBox, "powerobject", kButtonEvents},
    {"radiobutton", Kind::kCheckBox, "powerobject", kButtonEvents},
    {"statictext", Kind::kStaticText, "powerobject", kStaticTextEvents},
    {"singlelineedit", Kind::kSingleLineEdit, "powerobject", kEditEvents},
    {"line", Kind::kLine, "powerobject", kNoEvents},
    {"tab", Kind::kTab, "powerobject", kUserObjectEvents},
    {"userobject", Kind::kUserObject, "powerobject", kUserObjectEvents},
    {"olecustomcontrol", Kind::kUserObject, "powerobject", kUserObjectEvents},
};

}  // namespace

std::span<const BuiltinClass> builtin_classes() { return kClasses; }

}  // namespace fh::detail
