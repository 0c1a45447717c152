#include "keylayout.h"

#include <Qt>

#include <algorithm>

namespace keys {
namespace {

struct CharacterKey {
    int vk;
    char16_t en, enShift, ru, ruShift;
};

// Windows layouts "00000409" and "00000419", unshifted and shifted.
constexpr CharacterKey kCharacters[] = {
    {192, u'`', u'~', u'ё', u'Ё'},  {49, u'1', u'!', u'1', u'!'},    {50, u'2', u'@', u'2', u'"'},
    {51, u'3', u'#', u'3', u'№'},   {52, u'4', u'$', u'4', u';'},    {53, u'5', u'%', u'5', u'%'},
    {54, u'6', u'^', u'6', u':'},   {55, u'7', u'&', u'7', u'?'},    {56, u'8', u'*', u'8', u'*'},
    {57, u'9', u'(', u'9', u'('},   {48, u'0', u')', u'0', u')'},    {189, u'-', u'_', u'-', u'_'},
    {187, u'=', u'+', u'=', u'+'},  {81, u'q', u'Q', u'й', u'Й'},    {87, u'w', u'W', u'ц', u'Ц'},
    {69, u'e', u'E', u'у', u'У'},   {82, u'r', u'R', u'к', u'К'},    {84, u't', u'T', u'е', u'Е'},
    {89, u'y', u'Y', u'н', u'Н'},   {85, u'u', u'U', u'г', u'Г'},    {73, u'i', u'I', u'ш', u'Ш'},
    {79, u'o', u'O', u'щ', u'Щ'},   {80, u'p', u'P', u'з', u'З'},    {219, u'[', u'{', u'х', u'Х'},
    {221, u']', u'}', u'ъ', u'Ъ'},  {220, u'\\', u'|', u'\\', u'/'}, {65, u'a', u'A', u'ф', u'Ф'},
    {83, u's', u'S', u'ы', u'Ы'},   {68, u'd', u'D', u'в', u'В'},    {70, u'f', u'F', u'а', u'А'},
    {71, u'g', u'G', u'п', u'П'},   {72, u'h', u'H', u'р', u'Р'},    {74, u'j', u'J', u'о', u'О'},
    {75, u'k', u'K', u'л', u'Л'},   {76, u'l', u'L', u'д', u'Д'},    {186, u';', u':', u'ж', u'Ж'},
    {222, u'\'', u'"', u'э', u'Э'}, {90, u'z', u'Z', u'я', u'Я'},    {88, u'x', u'X', u'ч', u'Ч'},
    {67, u'c', u'C', u'с', u'С'},   {86, u'v', u'V', u'м', u'М'},    {66, u'b', u'B', u'и', u'И'},
    {78, u'n', u'N', u'т', u'Т'},   {77, u'm', u'M', u'ь', u'Ь'},    {188, u',', u'<', u'б', u'Б'},
    {190, u'.', u'>', u'ю', u'Ю'},  {191, u'/', u'?', u'.', u','},   {32, u' ', u' ', u' ', u' '},
};

const CharacterKey* Find(int vk) {
    const auto* it = std::find_if(std::begin(kCharacters), std::end(kCharacters),
                                  [vk](const CharacterKey& k) { return k.vk == vk; });
    return it == std::end(kCharacters) ? nullptr : it;
}

QChar Typed(const CharacterKey& k, Layout layout, bool shift, bool caps) {
    const bool ru = layout == Layout::Russian;
    QChar c(shift ? (ru ? k.ruShift : k.enShift) : (ru ? k.ru : k.en));
    if (caps && c.isLetter()) c = c.isUpper() ? c.toLower() : c.toUpper();
    return c;
}

}  // namespace

const std::vector<int>& CharacterKeys() {
    static const std::vector<int> codes = [] {
        std::vector<int> v;
        for (const CharacterKey& k : kCharacters)
            v.push_back(k.vk);
        return v;
    }();
    return codes;
}

bool IsCharacterKey(int vk) {
    return Find(vk) != nullptr;
}

std::optional<KeyStroke> CharacterStroke(int vk, Layout layout, bool shift, bool caps) {
    const CharacterKey* k = Find(vk);
    if (k == nullptr) return std::nullopt;
    const QChar c = Typed(*k, layout, shift, caps);
    return KeyStroke{static_cast<int>(c.toUpper().unicode()), QString(c)};
}

QString CharacterCaption(int vk, Layout layout, bool shift, bool caps) {
    const CharacterKey* k = Find(vk);
    if (k == nullptr || vk == 32) return {};
    return QString(Typed(*k, layout, shift, caps));
}

const std::vector<ControlKey>& ControlKeys() {
    static const std::vector<ControlKey> table = {
        {'E', "ENTER", 13, Qt::Key_Return, "\r"},
        {'D', "Del", 46, Qt::Key_Delete, ""},
        {'B', "", 8, Qt::Key_Backspace, "\b"},
        {'T', "TAB", 9, Qt::Key_Tab, "\t"},
        {'U', "", 38, Qt::Key_Up, ""},
        {'W', "", 40, Qt::Key_Down, ""},
        {'F', "", 37, Qt::Key_Left, ""},
        {'R', "", 39, Qt::Key_Right, ""},
        {'H', "Home", 36, Qt::Key_Home, ""},
        {'N', "End", 35, Qt::Key_End, ""},
        {'P', "PgUp", 33, Qt::Key_PageUp, ""},
        {'G', "PgDn", 34, Qt::Key_PageDown, ""},
        {'I', "Ins", 45, Qt::Key_Insert, ""},
        {'L', "Caps", 20, Qt::Key_CapsLock, ""},
        {'S', "Shift", 16, Qt::Key_Shift, ""},
        {'C', "CTRL", 17, Qt::Key_Control, ""},
        {'A', "ALT", 18, Qt::Key_Alt, ""},
    };
    return table;
}

std::optional<ControlKey> FindControlKey(char letter) {
    for (const ControlKey& k : ControlKeys()) {
        if (k.letter == letter) return k;
    }
    return std::nullopt;
}

}  // namespace keys
