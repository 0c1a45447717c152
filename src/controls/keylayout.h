#pragma once

#include <QString>

#include <optional>
#include <string_view>
#include <vector>

// What the keys of the on-screen keyboard type, without any widget: the
// character keys of the two layouts (US English and the standard Russian
// ЙЦУКЕН arrangement) by Windows virtual-key code, and the control keys by
// the letter of their button.
namespace keys {

enum class Layout { English, Russian };

// One key as a Qt key event carries it.
struct KeyStroke {
    int key = 0;  // Qt::Key
    QString text;

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The virtual-key codes of the character keys, in keyboard order.
const std::vector<int>& CharacterKeys();
bool IsCharacterKey(int vk);

// The character key `vk` in `layout`. Shift picks the upper character; Caps
// inverts the case of letters only (Cyrillic letters on punctuation keys
// included), so Shift with Caps types a small letter. The Qt key is the
// upper case of the character, as Qt reports a typed letter. Nothing for a
// code that is not a character key.
std::optional<KeyStroke> CharacterStroke(int vk, Layout layout, bool shift, bool caps);

// The caption of a character key: what it types now; the space bar is
// blank.
QString CharacterCaption(int vk, Layout layout, bool shift, bool caps);

// A control key: the letter after "C_" in its button's name.
struct ControlKey {
    char letter;
    std::string_view caption;  // empty where the button shows a picture
    int vk;                    // the Windows key it stands for
    int key;                   // Qt::Key
    std::string_view text;     // what a real key of this kind types
};

const std::vector<ControlKey>& ControlKeys();
// Nothing for a letter without a key.
std::optional<ControlKey> FindControlKey(char letter);

}  // namespace keys
