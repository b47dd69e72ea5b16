#include "keycodes.h"

#include "thumbshift.h"

#include <QMap>

using namespace Qt::StringLiterals;

namespace kestova {

QString KeyName(int keyCode)
{
    using namespace keycode;
    static const QMap<int, QString> names{
        {Muhenkan, u"無変換"_s}, {Henkan, u"変換"_s}, {KatakanaHiragana, u"カタカナ/ひらがな"_s}, {Space, u"スペース"_s},
        {LeftAlt, u"左Alt"_s}, {RightAlt, u"右Alt"_s}, {LeftCtrl, u"左Ctrl"_s}, {RightCtrl, u"右Ctrl"_s},
        {LeftShift, u"左Shift"_s}, {RightShift, u"右Shift"_s}, {LeftSuper, u"左Windows"_s}, {RightSuper, u"右Windows"_s},
        {Menu, u"アプリケーション"_s}, {CapsLock, u"Caps Lock"_s}, {Tab, u"Tab"_s}, {BackSpace, u"BackSpace"_s},
        {Return, u"Enter"_s}, {Escape, u"Esc"_s}, {49, u"半角/全角"_s}, {51, u"＼"_s}, {94, u"＜"_s}, {97, u"ろ"_s},
        {132, u"￥"_s}, {110, u"Home"_s}, {111, u"↑"_s}, {112, u"Page Up"_s}, {113, u"←"_s}, {114, u"→"_s},
        {115, u"End"_s}, {116, u"↓"_s}, {117, u"Page Down"_s}, {118, u"Insert"_s}, {119, u"Delete"_s}};
    if (const auto name = names.constFind(keyCode); name != names.cend())
        return *name;
    const QString kana = ThumbShiftEngine().characterOf(keyCode, ThumbShiftEngine::Hand::None);
    if (!kana.isEmpty())
        return u"「%1」のキー"_s.arg(kana);
    // The number row and the function keys, as printed on them.
    if (keyCode >= 10 && keyCode <= 21)
        return QString(u"1234567890-="_s[keyCode - 10]);
    if (keyCode >= 67 && keyCode <= 76)
        return u"F%1"_s.arg(keyCode - 66);
    if (keyCode == 95 || keyCode == 96)
        return u"F%1"_s.arg(keyCode - 84);
    return u"キー（コード %1）"_s.arg(keyCode);
}

QString WhyNoThumbKey(int keyCode, KeyRole role)
{
    using namespace keycode;
    if (keyCode < Lowest || keyCode > Highest)
        return u"キーコード %1 はキーではありません。"_s.arg(keyCode);
    if (!ThumbShiftEngine().characterOf(keyCode, ThumbShiftEngine::Hand::None).isEmpty())
        return u"%1 はかなを打つキーなので、親指キーにはできません。"_s.arg(KeyName(keyCode));
    if (keyCode == Menu)
        return u"%1 はメニューを開くキーなので、親指キーにはできません。"_s.arg(KeyName(keyCode));
    const QString madeBy = u"%1 はこのキー配列では %2 として働くので、親指キーにはできません。"_s;
    switch (role) {
    case KeyRole::Control:
        return madeBy.arg(KeyName(keyCode), u"Ctrl"_s);
    case KeyRole::Shift:
        return madeBy.arg(KeyName(keyCode), u"Shift"_s);
    case KeyRole::Super:
        return madeBy.arg(KeyName(keyCode), u"Windows キー（Super）"_s);
    case KeyRole::Unknown:
        break;
    default:
        return {};
    }
    for (int modifier : {LeftCtrl, RightCtrl, LeftShift, RightShift, LeftSuper, RightSuper}) {
        if (keyCode == modifier)
            return u"%1 はほかのキーの働きを変えるキーなので、親指キーにはできません。"_s.arg(KeyName(keyCode));
    }
    return {};
}

} // namespace kestova
