#include "chordcheck.h"

#include "keyboardmap.h"
#include "rawkeys.h"
#include "usersettings.h"

#include <QHash>
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
    if (chord.keys.contains(keyCode))
        pressedKeys.insert(keyCode);
    else if (hand == ThumbHand::None)
        stray = true; // another key of the layout
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

void ChordCheck::otherKey()
{
    if (!down.isEmpty())
        stray = true;
}

// A key let go that never came down (its press lost) ends a try all the same.
bool ChordCheck::keyUp(int keyCode)
{
    if (done())
        return false;
    down.remove(keyCode);
    return down.isEmpty() && endTry();
}

// A try that never gave the chord is the learner's slip, not the keyboard's
// fault, where it was struck with the other hand's thumb only, or with
// another key in place of one of the chord's.
bool ChordCheck::endTry()
{
    const int thumbKey = arrivedWith;
    const bool allPressed = pressedKeys.size() == steps[step].keys.size();
    const bool slip = (otherThumb && pressedThumbs.isEmpty()) || (stray && !allPressed);
    const bool counts = thumbKey != 0 || (touched && !slip);
    slipped = touched && !counts;
    for (int key : std::as_const(pressedThumbs)) {
        if (counts && thumbKey == 0 && !failedThumbKeys.contains(key))
            failedThumbKeys.append(key);
    }
    forgetKeys();
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
    touched = otherThumb = stray = false;
    pressedThumbs.clear();
    pressedKeys.clear();
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

// Each piece of advice once, with the kana it is for in front: 「み」「お」は….
QStringList ChordAdvice(const QList<ChordVerdict> &verdicts, const ThumbShiftSettings &settings)
{
    QStringList order;
    QHash<QString, QString> kanaOf;
    const auto advise = [&](const QString &advice, const QString &kana) {
        if (!kanaOf.contains(advice))
            order.append(advice);
        kanaOf[advice] += u"「%1」"_s.arg(kana);
    };
    const auto singleArrived = [&](int key, ThumbHand hand) {
        return std::any_of(verdicts.cbegin(), verdicts.cend(), [&](const ChordVerdict &v) { return v.arrived && v.asked.thumb == hand && v.asked.keys == QList<int>{key}; });
    };
    QStringList advice;
    for (ThumbHand hand : {ThumbHand::Left, ThumbHand::Right}) {
        const QList<int> &thumbKeys = hand == ThumbHand::Left ? settings.leftThumbKeys : settings.rightThumbKeys;
        const bool asked = std::any_of(verdicts.cbegin(), verdicts.cend(), [&](const ChordVerdict &v) { return v.asked.thumb == hand; });
        const bool thumbCame = std::any_of(verdicts.cbegin(), verdicts.cend(), [&](const ChordVerdict &v) {
            return v.asked.thumb == hand && (v.arrived || !v.failedThumbKeys.isEmpty());
        });
        if (asked && !thumbCame) {
            advice.append(u"%1の親指キー（%2）が一度も届きませんでした。親指シフトの設定で、このキーボードで押せるキーを%1の親指キーにしてください。"_s.arg(handName(hand), namesOf(thumbKeys)));
            continue;
        }
        for (const ChordVerdict &verdict : verdicts) {
            if (verdict.asked.thumb != hand || verdict.asked.keys.size() != 1)
                continue;
            QList<int> failed = verdict.failedThumbKeys;
            if (verdict.arrived) {
                failed.removeAll(verdict.thumbKey); // failed once with it, then given: a slip
                for (int thumbKey : failed)
                    advise(u"は%1と一緒には届きません。%2の親指には%3を使ってください。"_s.arg(KeyName(thumbKey), handName(hand), KeyName(verdict.thumbKey)), verdict.asked.kana());
                continue;
            }
            QList<int> untried = thumbKeys;
            for (int thumbKey : failed)
                untried.removeAll(thumbKey);
            const QString with = failed.isEmpty() ? u"押した親指キー"_s : namesOf(failed);
            if (!untried.isEmpty())
                advise(u"は%1と一緒には届きませんでした。「届かなかった組み合わせをもう一度」で、%2と一緒に押してみてください。"_s.arg(with, namesOf(untried)), verdict.asked.kana());
            else
                advise(u"はどの%1の親指キーとも届きません。親指シフトの設定でほかのキーを%1の親指キーにするか、同時押しに強いキーボード（Nキーロールオーバー）を使ってください。"_s.arg(handName(hand)), verdict.asked.kana());
        }
    }
    // Two keys with a thumb lost where each came alone with it: the third key
    // down at once is too many for this keyboard.
    for (const ChordVerdict &verdict : verdicts) {
        if (!verdict.arrived && verdict.asked.keys.size() > 1
            && std::all_of(verdict.asked.keys.cbegin(), verdict.asked.keys.cend(), [&](int key) { return singleArrived(key, verdict.asked.thumb); }))
            advise(u"は、親指と二つのキーを一度に押すと届きません。連続シフトを使い、続けて打つキーは前のキーを離してから押してください。"_s, verdict.asked.kana());
    }
    for (const QString &piece : std::as_const(order))
        advice.append(kanaOf[piece] + piece);
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
    const AskedChord asked{*keys, parts[1] == u"L" ? ThumbHand::Left : ThumbHand::Right};
    // Every key types a kana with that thumb, or the chord is none the check asks.
    if (asked.kana().size() != keys->size())
        return std::nullopt;
    return ChordVerdict{asked, false, 0, *thumbs};
}

} // namespace

QMap<QString, QList<int>> KeyboardCheck::missingKana(const ThumbShiftSettings &now) const
{
    QMap<QString, QList<int>> kana;
    for (const ChordVerdict &verdict : missing) {
        if (verdict.asked.keys.size() != 1)
            continue;
        const QList<int> &inUse = verdict.asked.thumb == ThumbHand::Left ? now.leftThumbKeys : now.rightThumbKeys;
        QList<int> failing;
        std::copy_if(verdict.failedThumbKeys.cbegin(), verdict.failedThumbKeys.cend(), std::back_inserter(failing), [&](int key) { return inUse.contains(key); });
        if (!failing.isEmpty() || verdict.failedThumbKeys.isEmpty())
            kana.insert(verdict.asked.kana(), failing);
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
    // Commas written by hand make QSettings read a list.
    const QVariant kept = settings->value(u"missing"_s);
    const QString missing = kept.typeId() == QMetaType::QStringList ? kept.toStringList().join(u' ') : kept.toString();
    for (const QString &text : missing.split(u' ', Qt::SkipEmptyParts)) {
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
