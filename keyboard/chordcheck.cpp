#include "chordcheck.h"

#include "keyboardmap.h"
#include "rawkeys.h"
#include "usersettings.h"

#include <QMap>
#include <QSettings>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

QString handName(ThumbHand hand)
{
    return hand == ThumbHand::Left ? u"左"_s : u"右"_s;
}

QString namesOf(const QList<int> &keyCodes)
{
    QStringList names;
    for (int code : keyCodes)
        names.append(KeyName(code));
    return names.join(u"・"_s);
}

} // namespace

QString AskedChord::kana() const
{
    QString typed;
    for (int key : keys)
        typed += ThumbShiftEngine::shiftedOf(key, thumb);
    return typed;
}

QString AskedChord::name() const
{
    QStringList places;
    for (int key : keys)
        places.append(KeyName(key));
    const QString what = keys.size() == 1 ? u"「%1」"_s.arg(kana()) : u"「%1」を続けて"_s.arg(kana());
    return u"%1（%2＋%3親指）"_s.arg(what, places.join(u"・"_s), handName(thumb));
}

QList<AskedChord> ChordCheckSteps()
{
    QList<AskedChord> steps;
    for (ThumbHand thumb : {ThumbHand::Left, ThumbHand::Right}) {
        for (const KeyFrame &key : KeyboardLayout) {
            if (!ThumbShiftEngine::shiftedOf(key.keyCode, thumb).isEmpty())
                steps.append({{key.keyCode}, thumb});
        }
    }
    // Neighbours two by two from the left of each row, both typing with the
    // thumb of the first one's hand.
    for (KeyRow row : {KeyRow::Top, KeyRow::Home, KeyRow::Bottom}) {
        QList<int> keys;
        for (const KeyFrame &key : KeyboardLayout) {
            if (key.row == row)
                keys.append(key.keyCode);
        }
        for (qsizetype first = 0; first + 1 < keys.size(); first += 2) {
            const ThumbHand thumb = ThumbShiftEngine::handOfKey(keys[first]);
            if (!ThumbShiftEngine::shiftedOf(keys[first], thumb).isEmpty() && !ThumbShiftEngine::shiftedOf(keys[first + 1], thumb).isEmpty())
                steps.append({{keys[first], keys[first + 1]}, thumb});
        }
    }
    return steps;
}

ChordCheck::ChordCheck(const ThumbShiftSettings &settings, QList<AskedChord> steps) : settings(settings), steps(std::move(steps))
{
}

ThumbHand ChordCheck::handOf(int keyCode) const
{
    if (settings.leftThumbKeys.contains(keyCode))
        return ThumbHand::Left;
    if (settings.rightThumbKeys.contains(keyCode))
        return ThumbHand::Right;
    return ThumbHand::None;
}

void ChordCheck::keyDown(int keyCode)
{
    if (done() || down.contains(keyCode))
        return; // a key repeating
    down.insert(keyCode);
    const AskedChord &chord = steps[step];
    const ThumbHand hand = handOf(keyCode);
    if (chord.keys.contains(keyCode) || hand == chord.thumb)
        touched = true;
    if (hand == chord.thumb)
        pressedThumbs.insert(keyCode);
    else if (hand != ThumbHand::None)
        otherThumb = true;
    if (arrivedWith == 0 && std::all_of(chord.keys.cbegin(), chord.keys.cend(), [this](int key) { return down.contains(key); })) {
        for (int thumbKey : std::as_const(down)) {
            if (handOf(thumbKey) == chord.thumb)
                arrivedWith = thumbKey;
        }
    }
}

// A key let go that never came down (its press lost) ends a try all the same.
bool ChordCheck::keyUp(int keyCode)
{
    if (done())
        return false;
    down.remove(keyCode);
    return down.isEmpty() && endTry();
}

bool ChordCheck::endTry()
{
    const bool counts = arrivedWith != 0 || (touched && !(otherThumb && pressedThumbs.isEmpty()));
    const int thumbKey = arrivedWith;
    slipped = touched && !counts;
    for (int key : std::as_const(pressedThumbs)) {
        if (thumbKey == 0 && !failedThumbKeys.contains(key))
            failedThumbKeys.append(key);
    }
    touched = otherThumb = false;
    pressedThumbs.clear();
    arrivedWith = 0;
    if (!counts)
        return false;
    if (thumbKey != 0 || ++failed >= Tries) {
        judge(thumbKey);
        return true;
    }
    return false;
}

void ChordCheck::forgetKeys()
{
    down.clear();
    touched = otherThumb = false;
    pressedThumbs.clear();
    arrivedWith = 0;
}

void ChordCheck::giveUp()
{
    if (done())
        return;
    forgetKeys();
    judge(0);
}

void ChordCheck::judge(int thumbKey)
{
    ChordVerdict verdict{steps[step], thumbKey != 0, thumbKey, failedThumbKeys};
    // Asked again: the thumb keys that failed it before failed all the same.
    const auto earlier = std::find_if(judged.begin(), judged.end(), [&](const ChordVerdict &one) { return one.asked == verdict.asked; });
    if (earlier != judged.end()) {
        for (int key : std::as_const(earlier->failedThumbKeys)) {
            if (!verdict.failedThumbKeys.contains(key))
                verdict.failedThumbKeys.append(key);
        }
    }
    std::sort(verdict.failedThumbKeys.begin(), verdict.failedThumbKeys.end());
    if (earlier != judged.end())
        *earlier = verdict;
    else
        judged.append(verdict);
    failed = 0;
    failedThumbKeys.clear();
    ++step;
}

void ChordCheck::askMissingAgain()
{
    QList<AskedChord> again;
    for (const ChordVerdict &verdict : std::as_const(judged)) {
        if (!verdict.arrived)
            again.append(verdict.asked);
    }
    steps = again;
    step = 0;
    failed = 0;
    failedThumbKeys.clear();
    down.clear();
}

QList<ChordVerdict> ChordCheck::missing() const
{
    QList<ChordVerdict> lost;
    std::copy_if(judged.cbegin(), judged.cend(), std::back_inserter(lost), [](const ChordVerdict &verdict) { return !verdict.arrived; });
    return lost;
}

QStringList ChordAdvice(const QList<ChordVerdict> &verdicts, const ThumbShiftSettings &settings)
{
    QStringList advice;
    QStringList noThumbKey; // chords of a hand none of whose thumb keys gives them
    for (ThumbHand hand : {ThumbHand::Left, ThumbHand::Right}) {
        const QList<int> &thumbKeys = hand == ThumbHand::Left ? settings.leftThumbKeys : settings.rightThumbKeys;
        QList<int> gave;
        QMap<int, QString> lostWith; // a thumb key, and the kana that did not come with it
        bool asked = false, anyThumbCame = false;
        for (const ChordVerdict &verdict : verdicts) {
            if (verdict.asked.thumb != hand)
                continue;
            asked = true;
            anyThumbCame = anyThumbCame || verdict.arrived || !verdict.failedThumbKeys.isEmpty();
            if (verdict.arrived && !gave.contains(verdict.thumbKey))
                gave.append(verdict.thumbKey);
            for (int thumbKey : verdict.failedThumbKeys)
                lostWith[thumbKey] += u"「%1」"_s.arg(verdict.asked.kana());
        }
        if (asked && !anyThumbCame) {
            advice.append(u"%1の親指キー（%2）が一度も届きませんでした。親指シフトの設定で、このキーボードで押せるキーを%1の親指キーにしてください。"_s.arg(handName(hand), namesOf(thumbKeys)));
            continue;
        }
        for (auto lost = lostWith.cbegin(); lost != lostWith.cend(); ++lost) {
            QList<int> others = gave;
            others.removeAll(lost.key());
            if (!others.isEmpty())
                advice.append(u"%1は%2と一緒には届きません。%3の親指には%4を使ってください。"_s.arg(*lost, KeyName(lost.key()), handName(hand), namesOf(others)));
            else if (thumbKeys.size() == 1)
                advice.append(u"%1は%2と一緒には届きません。親指シフトの設定で、%3の親指キーをほかのキーにしてみてください。"_s.arg(*lost, KeyName(lost.key()), handName(hand)));
        }
        for (const ChordVerdict &verdict : verdicts) {
            if (verdict.asked.thumb == hand && !verdict.arrived && verdict.asked.keys.size() == 1
                && std::all_of(gave.cbegin(), gave.cend(), [&](int key) { return verdict.failedThumbKeys.contains(key); }))
                noThumbKey.append(u"「%1」"_s.arg(verdict.asked.kana()));
        }
    }
    QStringList rolled;
    for (const ChordVerdict &verdict : verdicts) {
        if (!verdict.arrived && verdict.asked.keys.size() > 1)
            rolled.append(u"「%1」"_s.arg(verdict.asked.kana()));
    }
    if (!rolled.isEmpty())
        advice.append(u"%1は、親指と二つのキーを一度に押すと届きません。連続シフトを使い、続けて打つキーは前のキーを離してから押してください。"_s.arg(rolled.join(QString())));
    if (!noThumbKey.isEmpty())
        advice.append(u"%1はどの親指キーでも届きません。同時押しに強いキーボード（Nキーロールオーバー）なら打てます。"_s.arg(noThumbKey.join(QString())));
    return advice;
}

// Kept as "44.45/L/65.100": the keys, the thumb's hand, the thumb keys tried.
namespace {

const QString Group = u"ChordCheck"_s;

QString keyOfKeyboard(const QString &keyboard)
{
    return u"k"_s + QString::fromLatin1(QUrl::toPercentEncoding(keyboard));
}

QString codesText(const QList<int> &codes)
{
    QStringList parts;
    for (int code : codes)
        parts.append(QString::number(code));
    return parts.join(u'.');
}

std::optional<QList<int>> codesOf(const QString &text, bool emptyAllowed)
{
    QList<int> codes;
    for (const QString &part : text.split(u'.', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int code = part.toInt(&ok);
        if (!ok || code < keycode::Lowest || code > keycode::Highest)
            return std::nullopt;
        codes.append(code);
    }
    if (codes.isEmpty() && !emptyAllowed)
        return std::nullopt;
    return codes;
}

std::optional<ChordVerdict> verdictOf(const QString &text)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() != 3 || (parts[1] != u"L" && parts[1] != u"R"))
        return std::nullopt;
    const auto keys = codesOf(parts[0], false);
    const auto thumbs = codesOf(parts[2], true);
    if (!keys || !thumbs)
        return std::nullopt;
    return ChordVerdict{{*keys, parts[1] == u"L" ? ThumbHand::Left : ThumbHand::Right}, false, 0, *thumbs};
}

} // namespace

QSet<QString> KeyboardCheck::missingKana() const
{
    QSet<QString> kana;
    for (const ChordVerdict &verdict : missing) {
        if (verdict.asked.keys.size() == 1)
            kana.insert(verdict.asked.kana());
    }
    return kana;
}

void SaveKeyboardCheck(const KeyboardCheck &check)
{
    QStringList missing;
    for (const ChordVerdict &verdict : check.missing)
        missing.append(u"%1/%2/%3"_s.arg(codesText(verdict.asked.keys), verdict.asked.thumb == ThumbHand::Left ? u"L"_s : u"R"_s, codesText(verdict.failedThumbKeys)));
    const auto settings = OpenUserSettings();
    settings->beginGroup(Group);
    settings->beginGroup(keyOfKeyboard(check.keyboard));
    settings->setValue(u"name"_s, check.keyboard);
    settings->setValue(u"checked"_s, check.checked.toUTC().toString(Qt::ISODate));
    settings->setValue(u"chords"_s, check.chords);
    settings->setValue(u"missing"_s, missing.join(u' '));
    settings->setValue(u"advice"_s, check.advice);
    settings->endGroup();
    settings->setValue(u"last"_s, check.keyboard);
    settings->sync();
}

// A result spoiled by hand is no result: the check is simply asked for again.
std::optional<KeyboardCheck> LoadKeyboardCheck(const QString &keyboard)
{
    const auto settings = OpenUserSettings();
    settings->beginGroup(Group);
    settings->beginGroup(keyOfKeyboard(keyboard));
    KeyboardCheck check{keyboard, QDateTime::fromString(settings->value(u"checked"_s).toString(), Qt::ISODate), settings->value(u"chords"_s).toInt(), {}, settings->value(u"advice"_s).toStringList()};
    if (!check.checked.isValid())
        return std::nullopt;
    for (const QString &text : settings->value(u"missing"_s).toString().split(u' ', Qt::SkipEmptyParts)) {
        const std::optional<ChordVerdict> verdict = verdictOf(text);
        if (!verdict)
            return std::nullopt;
        check.missing.append(*verdict);
    }
    return check;
}

QString CurrentKeyboard()
{
    if (const QString name = RawKeys::keyboardName(); !name.isEmpty())
        return name;
    return OpenUserSettings()->value(Group + u"/last"_s).toString();
}

QString KeyboardTitle(const QString &keyboard)
{
    return keyboard.isEmpty() ? u"このキーボード"_s : keyboard;
}

} // namespace kestova
