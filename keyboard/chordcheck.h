#pragma once

#include "thumbshift.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestova {

// A chord the check asks for: one key of the layout with a thumb, or two
// neighbours rolled over with one thumb, all down at one moment.
struct AskedChord {
    QList<int> keys; // character keys, by X11 key code
    ThumbHand thumb = ThumbHand::None;
    bool operator==(const AskedChord &) const = default;
    // What it types, 「お」 or 「かた」.
    QString kana() const;
    // As the check names it: 「お」（「と」のキー＋右親指）.
    QString name() const;
};

// Every key of the three rows with each thumb it types something with, the
// left thumb's first, row by row; then neighbours of each row rolled over,
// with the thumb of the first one's hand.
QList<AskedChord> ChordCheckSteps();

// How an asked chord went: arrived (all its keys down together with a thumb
// key of its hand: `thumbKey`), or not, and the thumb keys of that hand the
// keyboard sent in the tries that failed.
struct ChordVerdict {
    AskedChord asked;
    bool arrived = false;
    int thumbKey = 0;
    QList<int> failedThumbKeys;
};

// キーボードの確認 as a plain object, fed with the key presses and releases
// the keyboard sent. A try lasts until every key is up again: it gave the
// chord if all its keys were down together with a thumb key of its hand.
// A chord that failed two tries that touched it (one of its keys or its
// thumb) is one the keyboard cannot report; a try with the other hand's
// thumb only, or with another key instead of one of the chord's, is a slip
// of the learner's and does not count.
class ChordCheck {
public:
    static constexpr int Tries = 2;
    explicit ChordCheck(const ThumbShiftSettings &settings, QList<AskedChord> steps = ChordCheckSteps());

    // The chord asked now; none once done.
    const AskedChord *asked() const { return step < steps.size() ? &steps[step] : nullptr; }
    int stepNumber() const { return step; }
    int stepCount() const { return int(steps.size()); }
    int failedTries() const { return failed; }
    // The last try was a slip of the learner's, not counted.
    bool slippedLastTry() const { return slipped; }
    bool done() const { return step >= steps.size(); }

    // A key's press and release as the keyboard sent them; a release
    // tells whether the check moved on to another chord.
    void keyDown(int keyCode);
    bool keyUp(int keyCode);
    // A key the check does not look at struck during a try (Alt+Tab): the
    // try is the learner's slip.
    void otherKey();
    // The learner gives up on the chord asked: it never came.
    void giveUp();
    // The keys held are let go where the check cannot see it: the try in
    // hand is forgotten, not counted.
    void forgetKeys();
    // The chords that did not arrive asked again, the others kept.
    void askMissingAgain();

    // The keys down, as far as the check saw them go down and not up.
    QList<int> keysDown() const { return down.values(); }
    const QList<ChordVerdict> &verdicts() const { return judged; }
    QList<ChordVerdict> missing() const;

private:
    bool endTry();
    void judge(int thumbKey); // 0: it never came
    ThumbHand handOf(int keyCode) const;

    ThumbShiftSettings settings;
    QList<AskedChord> steps;
    QList<ChordVerdict> judged;
    qsizetype step = 0;
    int failed = 0;
    QList<int> failedThumbKeys;
    QSet<int> down;
    bool touched = false; // this try pressed a key of the chord or its thumb
    bool otherThumb = false; // and a thumb key of the other hand
    bool stray = false;      // and a key not of the chord
    QSet<int> pressedThumbs; // of the chord's hand
    QSet<int> pressedKeys;   // of the chord
    int arrivedWith = 0;  // the thumb key, once the chord came in this try
    bool slipped = false;
};

// What to do about the chords missing: another thumb key of the same hand
// where one gave them, or to try one not tried yet; continuous shift where
// two keys with a thumb are lost though each comes alone with it; another
// keyboard (or thumb key) where every thumb key of the hand was tried in
// vain; nothing where every chord came.
QStringList ChordAdvice(const QList<ChordVerdict> &verdicts, const ThumbShiftSettings &settings);

// A check's result as kept for one keyboard.
struct KeyboardCheck {
    QString keyboard; // the device's name, empty where the system does not tell it
    QDateTime checked;
    int chords = 0;   // asked
    QList<ChordVerdict> missing;
    QStringList advice;
    // The kana of the missing single chords, each with the thumb keys in use
    // `now` that did not give it (none where no thumb key came at all); a
    // chord lost only with thumb keys no longer in use is left out.
    QMap<QString, QList<int>> missingKana(const ThumbShiftSettings &now) const;
};
// Kept in the user settings, one per keyboard; a later check replaces it.
void SaveKeyboardCheck(const KeyboardCheck &check);
std::optional<KeyboardCheck> LoadKeyboardCheck(const QString &keyboard);
// The keyboard in use: the one the last key came from, or before any key
// the one checked last.
QString CurrentKeyboard();
// The keyboard as the results name it: このキーボード where it has no name.
QString KeyboardTitle(const QString &keyboard);

} // namespace kestova
