#include "keycodes.h"

#include "thumbshift.h"

#include <QMap>

namespace kestova {

QString KeyName(int keyCode)
{
    using namespace keycode;
    static const QMap<int, QString> names{
        {Muhenkan, u"無変換"_qs}, {Henkan, u"変換"_qs}, {KatakanaHiragana, u"カタカナ/ひらがな"_qs}, {Space, u"スペース"_qs},
        {LeftAlt, u"左Alt"_qs}, {RightAlt, u"右Alt"_qs}, {LeftCtrl, u"左Ctrl"_qs}, {RightCtrl, u"右Ctrl"_qs},
        {LeftShift, u"左Shift"_qs}, {RightShift, u"右Shift"_qs}, {LeftSuper, u"左Windows"_qs}, {RightSuper, u"右Windows"_qs},
        {Menu, u"アプリケーション"_qs}, {CapsLock, u"Caps Lock"_qs}, {Tab, u"Tab"_qs}, {BackSpace, u"BackSpace"_qs},
        {Return, u"Enter"_qs}, {Escape, u"Esc"_qs}, {49, u"半角/全角"_qs}, {51, u"＼"_qs}, {94, u"＜"_qs}, {97, u"ろ"_qs},
        {132, u"￥"_qs}, {110, u"Home"_qs}, {111, u"↑"_qs}, {112, u"Page Up"_qs}, {113, u"←"_qs}, {114, u"→"_qs},
        {115, u"End"_qs}, {116, u"↓"_qs}, {117, u"Page Down"_qs}, {118, u"Insert"_qs}, {119, u"Delete"_qs}};
    if (const auto name = names.constFind(keyCode); name != names.cend())
        return *name;
    const QString kana = ThumbShiftEngine().characterOf(keyCode, ThumbShiftEngine::Hand::None);
    if (!kana.isEmpty())
        return u"「%1」のキー"_qs.arg(kana);
    // The number row and the function keys, as printed on them.
    if (keyCode >= 10 && keyCode <= 21)
        return QString(u"1234567890-="_qs[keyCode - 10]);
    if (keyCode >= 67 && keyCode <= 76)
        return u"F%1"_qs.arg(keyCode - 66);
    if (keyCode == 95 || keyCode == 96)
        return u"F%1"_qs.arg(keyCode - 84);
    return u"キー（コード %1）"_qs.arg(keyCode);
}

QString WhyNoThumbKey(int keyCode, KeyRole role)
{
    using namespace keycode;
    if (keyCode < Lowest || keyCode > Highest)
        return u"キーコード %1 はキーではありません。"_qs.arg(keyCode);
    if (!ThumbShiftEngine().characterOf(keyCode, ThumbShiftEngine::Hand::None).isEmpty())
        return u"%1 はかなを打つキーなので、親指キーにはできません。"_qs.arg(KeyName(keyCode));
    if (keyCode == Menu)
        return u"%1 はメニューを開くキーなので、親指キーにはできません。"_qs.arg(KeyName(keyCode));
    const QString madeBy = u"%1 はこのキー配列では %2 として働くので、親指キーにはできません。"_qs;
    switch (role) {
    case KeyRole::Control:
        return madeBy.arg(KeyName(keyCode), u"Ctrl"_qs);
    case KeyRole::Shift:
        return madeBy.arg(KeyName(keyCode), u"Shift"_qs);
    case KeyRole::Super:
        return madeBy.arg(KeyName(keyCode), u"Windows キー（Super）"_qs);
    case KeyRole::Unknown:
        break;
    default:
        return {};
    }
    for (int modifier : {LeftCtrl, RightCtrl, LeftShift, RightShift, LeftSuper, RightSuper}) {
        if (keyCode == modifier)
            return u"%1 はほかのキーの働きを変えるキーなので、親指キーにはできません。"_qs.arg(KeyName(keyCode));
    }
    return {};
}

} // namespace kestova
