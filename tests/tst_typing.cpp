// Typed characters as the trainers receive them: key events, input-method
// commits and kana held as preedit each raise the classic key press first;
// physical keys and their timing become kana through the thumb-shift engine.
#include "chordcheckwindow.h"
#include "displaysize.h"
#include "kanamap.h"
#include "habits.h"
#include "harness.h"
#include "keyboardmap.h"
#include "layoutkeys.h"
#include "thumbshift.h"
#include "thumbshiftdialog.h"
#include "trainermenu.h"
#include "typingbox.h"
#include "usersettings.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include <QDir>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

using namespace kestova;

namespace {

struct Sequence { const char *name; const char *keys; QString typed; int windowMs = 100; bool continuous = false; };
struct Keys { const char *name; const char *keys; QString pressed, inBox; bool enabled = true; };
struct ThumbKey { const char *name; int code; Qt::Key key; QString rightKeys; bool refused; };
struct Voicing { const char *name; const char *keys; QString asked, carried; };
struct Stamped { const char *name; const char *keys; QList<qint64> gaps; };
struct SavedKeys { const char *name; const char *lines; const char *loaded; const char *told = ""; QHash<int, KeyRole> layout = {}; };


// Plays "a+0 L+30 a-90 ~120 x120" (down, up, all released, a key outside
// the layout at a time in ms) and writes each character decided as
// "を<30>@60": chord with the thumb 30 ms after the key, decided at 60;
// "う(60)@80": a thumb weighed, too thin an overlap; "う[60]@80": the thumb
// given to the next key; "R@41": the right thumb tapped alone.
QString play(ThumbShiftEngine &engine, const QString &keys)
{
    QStringList typed;
    const auto note = [&](const QList<ThumbStroke> &strokes, qint64 at) {
        for (const ThumbStroke &s : strokes)
            typed.append((s.thumbAlone ? (s.thumbHand == ThumbHand::Left ? u"L"_s : u"R"_s) : s.character) + (s.thumbOffsetMs ? (s.chord() ? u"<%1>"_s : s.reason == StrokeReason::ThumbToNextKey ? u"[%1]"_s : u"(%1)"_s).arg(*s.thumbOffsetMs) : QString()) + u"@%1"_s.arg(at));
    };
    const auto runUntil = [&](qint64 time) {
        for (auto due = engine.deadline(); due && *due <= time; due = engine.deadline())
            note(engine.timeReached(*due), *due);
    };
    for (const QString &event : keys.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype at = event.lastIndexOf(QRegularExpression(u"[-+~x]"_s));
        const qint64 time = event.mid(at + 1).toLongLong();
        runUntil(time);
        const QChar kind = event[at];
        note(kind == u'~' ? engine.releaseAll(time) : kind == u'x' ? engine.otherKey(time)
             : kind == u'+' ? engine.keyDown(KeyCode(event.left(at)), time) : engine.keyUp(KeyCode(event.left(at)), time), time);
    }
    runUntil(1'000'000);
    return typed.join(u' ');
}

// A key's name in these tests: its letter, L or R for the thumbs, #65.
QString LetterOf(int code)
{
    for (const QString &name : {u"L"_s, u"R"_s}) {
        if (KeyCode(name) == code)
            return name;
    }
    for (QChar letter : u"qwertyuiop[asdfghjkl;zxcvbnm,./"_s) {
        if (KeyCode(QString(letter)) == code)
            return QString(letter);
    }
    return u"#%1"_s.arg(code);
}

// Chords as "kl/L": the keys by letter, the thumb's hand.
QList<AskedChord> ChordsOf(const QString &text)
{
    QList<AskedChord> chords;
    for (const QString &chord : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = chord.split(u'/');
        AskedChord asked{{}, parts[1] == u"L" ? ThumbHand::Left : ThumbHand::Right};
        for (QChar key : parts[0])
            asked.keys.append(KeyCode(QString(key)));
        chords.append(asked);
    }
    return chords;
}

// Verdicts as "k/L:L" (came with the left thumb key L) or "k/R:-" (never
// came), each followed by the thumb keys of failed tries: "k/R:R(#65)".
QString VerdictsText(const QList<ChordVerdict> &verdicts)
{
    QStringList texts;
    for (const ChordVerdict &verdict : verdicts) {
        QString keys;
        for (int key : verdict.asked.keys)
            keys += LetterOf(key);
        QStringList failed;
        for (int key : verdict.failedThumbKeys)
            failed.append(LetterOf(key));
        texts.append(u"%1/%2:%3"_s.arg(keys, verdict.asked.thumb == ThumbHand::Left ? u"L"_s : u"R"_s, verdict.arrived ? LetterOf(verdict.thumbKey) : u"-"_s)
                     + (failed.isEmpty() ? QString() : u"(%1)"_s.arg(failed.join(u','))));
    }
    return texts.join(u' ');
}

// A keyboard as the check meets it: what it sends of the keys struck.
// ghosting: a character key of `lost` struck while a thumb key of `thumbs`
// is down never arrives; rollover: a third key down at once never does.
struct SimulatedKeyboard {
    QString lost;
    QList<int> thumbs;
    int rollover = 0; // keys at once at most; 0: any
    QSet<int> down;
    QList<std::pair<int, bool>> sent;
    void strike(int code, bool press)
    {
        const bool ghost = press && lost.contains(LetterOf(code)) && std::any_of(thumbs.cbegin(), thumbs.cend(), [this](int t) { return down.contains(t); });
        const bool tooMany = press && rollover && down.size() >= rollover;
        if (press ? ghost || tooMany : !down.contains(code))
            return;
        press ? void(down.insert(code)) : void(down.remove(code));
        sent.append({code, press});
    }
};

// A learner striking each chord the check asks with the first thumb key of
// its hand (or `thumbKey` where given): the thumb, the keys, then all up.
void StrikeAskedChords(ChordCheckWindow &window, SimulatedKeyboard &keyboard, int thumbKey = 0)
{
    for (int guard = 0; guard < 500 && window.progress().asked(); ++guard) {
        const AskedChord asked = *window.progress().asked();
        const QList<int> &thumbs = asked.thumb == ThumbHand::Left ? LoadThumbShiftSettings().leftThumbKeys : LoadThumbShiftSettings().rightThumbKeys;
        const int thumb = thumbKey && thumbs.contains(thumbKey) ? thumbKey : thumbs.first();
        keyboard.sent.clear();
        for (int code : QList<int>{thumb} + asked.keys)
            keyboard.strike(code, true);
        for (int code : asked.keys + QList<int>{thumb})
            keyboard.strike(code, false);
        QString events;
        for (const auto &[code, press] : keyboard.sent)
            events += LetterOf(code) + (press ? u"+0 "_s : u"-0 "_s);
        SendKeys(&window, events);
    }
}

} // namespace

struct ChordRow { const char *name; const char *asked, *keys, *verdicts, *advice; };

struct HabitRow { const char *name; const char16_t *asked, *typed; kestova::MissHabit habit; };

class TypingTest : public QObject {
    Q_OBJECT

private slots:
    // キーボードの確認: what each try sent decides whether a chord came; a
    // chord is missing after two failed tries that touched it. The left
    // thumb keys are L and left Alt, the right ones R and #65 (Space).
    void chordCheck_data()
    {
        AddRows<ChordRow>({{"each comes, the thumb first or last", "k/L d/R", "L+ k+ k- L- d+ R+ R- d-", "k/L:L d/R:R", ""},
            {"the key lost under the thumb, twice", "k/L", "L+ L- L+ L-", "k/L:-(L)", "「ぎ」は無変換と一緒には届きませんでした。「届かなかった組み合わせをもう一度」で、左Altと一緒に"},
            {"every thumb key of the hand tried in vain", "k/L", "L+ L- #64+ #64-", "k/L:-(#64,L)", "「ぎ」はどの左の親指キーとも届きません"},
            {"the other hand's thumb is a slip", "k/L", "R+ k+ k- R- R+ k+ k- R- L+ k+ k- L-", "k/L:L", ""},
            {"other keys only are a slip", "k/L", "j+ j- ;+ ;- L+ k+ k- L-", "k/L:L", ""},
            {"the neighbour's key with the thumb is a slip", "k/L", "L+ j+ j- L- L+ j+ j- L- L+ k+ k- L-", "k/L:L", ""},
            {"a key the check does not see with the thumb (Alt+Tab) is a slip", "k/L", "L+ x L- L+ x L- L+ k+ k- L-", "k/L:L", ""},
            {"keys one after the other fail", "k/L", "L+ L- k+ k-", "k/L:-(L)", "左Altと一緒に押してみてください"},
            {"failed once with a thumb key, then given with it: no advice", "k/L", "L+ L- L+ k+ k- L-", "k/L:L(L)", ""},
            {"a key repeating, a release whose press was lost", "k/L k/R", "L+ L+ k+ k+ k- L- R+ k- R- R+ k+ R- k-", "k/L:L k/R:R(R)", ""},
            {"another thumb key of the hand gives it", "k/R j/R", "#65+ #65- R+ k+ k- R- #65+ j+ j- #65-", "k/R:R(#65) j/R:#65", "「の」はスペースと一緒には届きません。右の親指には変換を使ってください"},
            {"rolled over: all three down at once", "kl/L", "L+ k+ k- l+ l- L- L+ k+ l+ k- l- L-", "kl/L:L(L)", ""},
            {"rolled over: the third key lost, each alone comes", "k/L l/L kl/L", "L+ k+ k- L- L+ l+ l- L- L+ k+ k- L- L+ l+ l- L-", "k/L:L l/L:L kl/L:-(L)", "「ぎぽ」は、親指と二つのキーを一度に押すと届きません。連続シフト"},
            {"rolled over where one key never comes with the thumb: that key's advice only", "k/L l/L kl/L", "L+ k+ k- L- L+ L- L+ L- L+ k+ k- L- L+ k+ k- L-", "k/L:L l/L:-(L) kl/L:-(L)", "「ぽ」は無変換と一緒には届きませんでした"},
            {"a thumb that never comes", "k/L", "k+ k- k+ k-", "k/L:-", "左の親指キー（無変換・左Alt）が一度も届きませんでした"}});
    }
    void chordCheck()
    {
        QFETCH(ChordRow, row);
        TestProgram program(u"Kestova"_s);
        ThumbShiftSettings settings;
        settings.rightThumbKeys = {KeyCode(u"R"), keycode::Space};
        ChordCheck check(settings, ChordsOf(QString::fromLatin1(row.asked)));
        for (const QString &event : QString::fromLatin1(row.keys).split(u' ', Qt::SkipEmptyParts)) {
            const int code = KeyCode(event.chopped(1));
            if (event == u"x")
                check.otherKey();
            else if (event.endsWith(u'+'))
                check.keyDown(code);
            else
                check.keyUp(code);
        }
        QVERIFY(check.done());
        QCOMPARE(VerdictsText(check.verdicts()), QString::fromLatin1(row.verdicts));
        const QString advice = ChordAdvice(check.verdicts(), settings).join(u' ');
        QVERIFY2(QByteArray(row.advice).isEmpty() ? advice.isEmpty() : advice.contains(QString::fromUtf8(row.advice)), qPrintable(advice));
        QVERIFY2(!advice.contains(u"連続シフト"_s) || QByteArray(row.advice).contains("連続シフト"), qPrintable(advice));
    }

    // The whole check in its window on a laptop whose Space loses the right
    // half of the home row: each chord lit on the map and named, the lost
    // ones listed with what to do and kept for the keyboard; asked again
    // with Henkan, they come, and Henkan is the advice.
    void chordCheckWindow()
    {
        TestProgram program(u"Kestova"_s);
        ThumbShiftSettings settings;
        settings.rightThumbKeys = {keycode::Space, KeyCode(u"R")};
        SaveThumbShiftSettings(settings);
        ChordCheckWindow window(LoadThumbShiftSettings(), nullptr);
        QCOMPARE(window.objectName(), u"chordCheck"_s);
        QVERIFY(window.findChild<QLabel *>(u"chordAsked"_s)->text().startsWith(u"ぁ：「。」のキー＋左の親指キー"_s));
        QCOMPARE(window.map->litKana(), u"ぁ"_s);
        SimulatedKeyboard laptop{u"hjkl;"_s, {keycode::Space}};
        StrikeAskedChords(window, laptop);
        const QString missing = window.findChild<QLabel *>(u"missingChords"_s)->text();
        QVERIFY2(missing.contains(u"（71のうち7）"_s), qPrintable(missing));
        for (const char16_t *lost : {u"「み」（「は」のキー＋右親指）", u"「っ」（「ん」のキー＋右親指）", u"「おの」を続けて（「と」のキー・「き」のキー＋右親指）"})
            QVERIFY2(missing.contains(QString::fromUtf16(lost)), qPrintable(missing));
        QVERIFY(!missing.contains(u"「ば」"_s)); // left thumb: not lost
        QVERIFY(!window.askAgain->isHidden());
        const std::optional<KeyboardCheck> kept = LoadKeyboardCheck(QString());
        QVERIFY(kept);
        QCOMPARE(kept->missing.size(), 7);
        QVERIFY(kept->missingKana(settings).contains(u"お"_s));
        QVERIFY(!kept->missingKana(settings).contains(u"おの"_s)); // rolled over: no kana of its own
        QVERIFY2(missing.contains(u"「み」「お」「の」「ょ」「っ」はスペースと一緒には届きませんでした。「届かなかった組み合わせをもう一度」で、変換と一緒に押してみてください。"_s), qPrintable(missing));

        window.askAgain->click();
        QVERIFY(window.progress().asked()->kana() == u"み");
        StrikeAskedChords(window, laptop, KeyCode(u"R"));
        QVERIFY(LoadKeyboardCheck(QString())->missing.isEmpty());
        QVERIFY2(window.missingChords->text().contains(u"スペースと一緒には届きません。右の親指には変換を使ってください"_s), qPrintable(window.missingChords->text()));
    }

    // A kept result spoiled by hand is none; another keyboard's is its own.
    void keyboardChecksKept()
    {
        TestProgram program(u"Kestova"_s);
        SaveKeyboardCheck({u"USB Keyboard/1"_s, QDateTime::currentDateTime(), 71, {{{{44}, ThumbHand::Right}, false, 0, {65}}}, {u"x"_s}});
        SaveKeyboardCheck({u"AT Translated Set 2 keyboard"_s, QDateTime::currentDateTime(), 71, {}, {}});
        ThumbShiftSettings settings;
        QCOMPARE(LoadKeyboardCheck(u"USB Keyboard/1"_s)->missingKana(settings).value(u"お"_s), QList<int>{65});
        settings.rightThumbKeys = {keycode::Henkan}; // Space no longer a thumb key: お may come
        QVERIFY(LoadKeyboardCheck(u"USB Keyboard/1"_s)->missingKana(settings).isEmpty());
        QVERIFY(LoadKeyboardCheck(u"AT Translated Set 2 keyboard"_s)->missing.isEmpty());
        QVERIFY(!LoadKeyboardCheck(u"another"_s));
        QCOMPARE(CurrentKeyboard(), u"AT Translated Set 2 keyboard"_s); // the last checked, before any key
        OpenUserSettings()->setValue(u"ChordCheck/kUSB%20Keyboard%2F1/missing"_s, QStringList{u"44/R/65"_s, u"45/R/65"_s}); // commas written by hand
        QCOMPARE(LoadKeyboardCheck(u"USB Keyboard/1"_s)->missing.size(), 2);
        for (const char *spoiled : {"44/X/65", "44/R/abc", "/R/", "5/R/", "34/R/", "61/L/"}) { // 34 and 61: no kana with that thumb
            OpenUserSettings()->setValue(u"ChordCheck/kUSB%20Keyboard%2F1/missing"_s, QString::fromLatin1(spoiled));
            QVERIFY2(!LoadKeyboardCheck(u"USB Keyboard/1"_s), spoiled);
        }
    }

    // Misses read as the habits of romaji and JIS-kana input.
    void habits_data()
    {
        using kestova::MissHabit;
        AddRows<HabitRow>({{"か struck on K, as in romaji", u"か", u"き", MissHabit::Romaji},
            {"か on K with its own thumb", u"か", u"の", MissHabit::Romaji},
            {"つ on T, as in romaji (tsu)", u"つ", u"さ", MissHabit::Romaji},
            {"じ on Z, as in romaji (zi)", u"じ", u"。", MissHabit::Romaji},
            {"か struck on T, as in JIS kana", u"か", u"さ", MissHabit::JisKana},
            {"が on T, where JIS kana begins it", u"が", u"ざ", MissHabit::JisKana},
            {"あ on 3, as in JIS kana", u"あ", u"3", MissHabit::JisKana},
            {"か on E, its neighbour", u"か", u"た", MissHabit::Neighbour},
            {"か on the far right", u"か", u"ほ", MissHabit::Other},
            {"what no key types", u"か", u"x", MissHabit::Other},
            {"し's own key with a thumb (あ): the thumb's miss", u"し", u"あ", MissHabit::Other},
            {"ね's own key with a thumb (む), though M is ね's in JIS kana", u"ね", u"む", MissHabit::Other}});
    }
    void habits()
    {
        QFETCH(HabitRow, row);
        QCOMPARE(kestova::HabitOfMiss(QString::fromUtf16(row.asked), QString::fromUtf16(row.typed)), row.habit);
    }

    // A learner of romaji habits, striking for each kana the key of its
    // first letter with the same thumb: nine in ten of those misses (in
    // fact all) read as that habit.
    void romajiLearner()
    {
        int misses = 0, romaji = 0;
        for (const kestova::KanaPlace &place : kestova::KanaPlaces(1, 0)) {
            const std::optional<QString> letter = kestova::HabitKey(kestova::MissHabit::Romaji, place.kana);
            if (!letter)
                continue;
            const int code = KeyCode(letter->toLower());
            const auto struck = std::find_if(kestova::KeyboardLayout.cbegin(), kestova::KeyboardLayout.cend(), [code](const kestova::KeyFrame &k) { return k.keyCode == code; });
            const QString typed = struck == kestova::KeyboardLayout.cend() ? letter->toLower()
                    : QString::fromUtf16(place.plane == kestova::KeyPlane::Plain ? struck->plain.caption : place.plane == kestova::KeyPlane::OwnThumb ? struck->thumbShift.caption : struck->otherThumb);
            if (typed == place.kana || typed.isEmpty())
                continue; // no miss
            ++misses;
            romaji += kestova::HabitOfMiss(place.kana, typed) == kestova::MissHabit::Romaji;
        }
        qInfo("romaji learner: %d of %d misses read as romaji habits", romaji, misses);
        QVERIFY(misses > 40);
        QVERIFY(romaji >= 0.9 * misses);
    }

    void thumbShift_data()
    {
        AddRows<Sequence>({{"alone, let go before any thumb", "a+0 a-80", u"う@80"_s}, {"alone past the window", "a+0 a-300", u"う@100"_s},
            {"thumb first", "L+0 a+40 a-90 L-95", u"を<-40>@40"_s}, {"character first", "a+0 L+30 a-150 L-160", u"を<30>@60"_s},
            {"other hand's thumb: voiced", "R+0 s+20", u"じ<-20>@20"_s}, {"K with the left thumb", "k+0 L+10", u"ぎ<10>@20"_s},
            {"semi-voiced", "L+0 y+5", u"ぱ<-5>@5"_s}, {"thumb at the end of the window", "a+0 L+100 a-130 L-140", u"う@100 L@141"_s},
            {"thumb let go before the character", "L+0 L-20 a+30 a-40", u"L@21 う@40"_s},
            {"character after the thumb's window", "L+0 a+120 a-150", u"う@150"_s},
            {"three keys, thumb nearer the second", "a+0 R+60 k+80 k-100 a-110 R-120", u"う[60]@80 の<-20>@80"_s},
            {"three keys, thumb nearer the first", "a+0 L+40 k+90 k-120", u"を<40>@80 き@120"_s},
            {"thin overlap leaves the thumb to the next", "a+0 L+60 a-80 k+100 k-130", u"う(60)@80 ぎ<-40>@100"_s},
            {"50 ms together is a chord", "a+0 L+70 a-120", u"を<70>@120"_s}, {"thumb let go first", "a+0 L+70 L-90 a-200", u"を<70>@90"_s},
            {"a thumb alone is told once it is let go", "L+0 L-50 R+100 R-400", u"L@51 R@401"_s}, {"auto-repeat types once", "a+0 a+30 a+60 a-400", u"う@100"_s},
            {"X11 auto-repeat: release and press at one time", "d+0 d-660 d+660 d-700 d+700 d-740", u"て@100"_s},
            {"a thumb held and repeated", "L+0 L-660 L+660 L-700 L+700 a+710 a-720 L-730", u"う@720"_s},
            {"release without a press", "a-10 k+20 k-40", u"き@40"_s}, {"key outside the layout", "?+0 a+10 a-20", u"う@20"_s},
            {"both thumbs: the later one", "L+0 R+10 a+20", u"ヴ<-10>@20"_s},
            {"twenty keys held", "q+0 w+1 e+2 r+3 t+4 y+5 u+6 i+7 o+8 p+9 a+10 s+11 d+12 f+13 g+14 h+15 j+16 k+17 l+18 ;+19 x+400 x-410",
                u"。@1 か@2 た@3 こ@4 さ@5 ら@6 ち@7 く@8 つ@9 ，@10 う@11 し@12 て@13 け@14 せ@15 は@16 と@17 き@18 い@19 ん@119 ひ@410"_s},
            {"focus lost in a chord", "a+0 L+30 ~40 a-50 k+60 k-70", u"う(30)@40 き@70"_s}, {"focus lost with a character", "a+0 ~10", u"う@10"_s},
            {"window of 30 ms", "a+0 L+40", u"う@30"_s, 30}, {"window of 300 ms", "a+0 L+250 a-600", u"を<250>@500"_s, 300},
            {"held thumb, second key plain", "L+0 a+10 a-20 s+100 s-110 L-200", u"を<-10>@10 し@110"_s},
            {"continuous shift: held thumb shifts each key", "L+0 a+10 a-20 s+100 s-110 L-200 d+210 d-220", u"を<-10>@10 あ@110 て@220"_s, 100, true},
            {"continuous shift past the window", "R+0 k+300 k-310 R-400", u"の@310"_s, 100, true},
            {"continuous shift after the other thumb's tap", "L+0 a+10 a-20 R+50 R-60 s+100 s-110 L-200", u"を<-10>@10 R@61 あ@110"_s, 100, true},
            {"continuous shift: in roll-over the key's own thumb wins", "R+0 k+5 k-60 s+100 L+104 R-110 s-150 L-160", u"の<-5>@5 あ<4>@108"_s, 100, true},
            {"Alt+Tab after a kana: Alt is Tab's", "k+0 #64+50 x90", u"き@90"_s}, {"Alt waits its window for a shortcut", "k+0 #64+10 x100", u"き@100"_s},
            {"an Alt chord", "k+0 #64+10 k-90 #64-100", u"ぎ<10>@90"_s},
            {"continuous shift through X11 auto-repeat", "L+0 L-660 L+660 a+700 a-710", u"を@710"_s, 100, true},
            {"plain places", "z+0 z-1 q+2 q-3 p+4 p-5 [+6 [-7 ,+8 ,-9", u"。@1 。@3 ，@5 、@7 ね@9"_s},
            {"an empty shifted place types the plain kana", "R+0 ,+1 ,-2 L+10 ,+11 ,-12 L-13 L+20 [+21", u"む<-1>@1 ぺ<-1>@11 、<-1>@21"_s}});
    }
    void thumbShift()
    {
        QFETCH(Sequence, row);
        ThumbShiftSettings settings;
        settings.windowMs = row.windowMs;
        settings.continuousShift = row.continuous;
        ThumbShiftEngine engine(settings);
        QCOMPARE(play(engine, QString::fromUtf8(row.keys)), row.typed);
    }

    // The keyboard map's 60 labels are what the engine types at their keys,
    // found by their place on the keyboard.
    void engineTypesWhatTheMapShows()
    {
        QWidget window;
        const KeyboardMap map = BuildKeyboardMap(&window, {0, 0});
        const ThumbShiftEngine engine;
        QStringList shown, typed;
        for (const KeyFrame &key : KeyboardLayout) {
            const int code = KeyCode(u"zxcvbnm,./asdfghjkl;qwertyuiop["_s.mid(key.index, 1));
            const auto own = key.index % 10 < 5 && key.index != 30 ? ThumbShiftEngine::Hand::Left : ThumbShiftEngine::Hand::Right;
            for (const auto &[label, hand] : {std::pair{key.thumbShift, own}, {key.plain, ThumbShiftEngine::Hand::None}})
                if (label.index >= 0) {
                    shown.append(map.Label1[label.index]->text());
                    typed.append(engine.characterOf(code, hand));
                }
        }
        QCOMPARE(shown.size(), 60);
        QCOMPARE(shown, typed);
    }

    // Every kana a map of three planes writes reads at 4.5:1 or better on
    // every fill the maps use: known, missed, not practised, a hint, a finger.
    void kanaReadOnEveryFill()
    {
        QList<QRgb> fills{UnpractisedFill, HintFill, finger::Little, finger::Ring, finger::Middle, finger::LeftIndex, finger::RightIndex};
        fills.append(QList<QRgb>(KnownFills.cbegin(), KnownFills.cend()) + QList<QRgb>(MissedFills.cbegin(), MissedFills.cend()));
        for (KeyPlane plane : {KeyPlane::Plain, KeyPlane::OwnThumb, KeyPlane::OtherThumb}) {
            for (QRgb fill : fills)
                QVERIFY2(ContrastOf(KanaColour(plane, Qt::black), QColor::fromRgb(fill)) >= 4.5, qPrintable(QColor::fromRgb(fill).name()));
        }
        QCOMPARE(qRound(ContrastOf(Qt::black, Qt::white)), 21);
    }

    // Like the trainers, the handler empties the box, which then shows what
    // came last: a kana of the thumb-shift keyboard as a key's own text, but
    // never a kana that no input method answered for.
    void typingBoxTellsTheHandlerFirst_data()
    {
        AddRows<Keys>({{"a key's own text", "=か", u"か"_s, u"か"_s}, {"input-method commit", "!かき", u"かき"_s, u"かき"_s},
            {"kana held as preedit", "?く", u"く"_s, u"く"_s}, {"romaji preedit", "?k", {}, {}},
            {"romaji: each kana once", "?s ?さ ?さk ?さく ?さくr ?さくら !さくら", u"さくら"_s, u"ら"_s},
            {"kana held, then confirmed with more", "?う ?うし !うして", u"うして"_s, u"て"_s},
            {"confirmed and begun again in one event", "?うし !うし?て", u"うして"_s, u"て"_s},
            {"a kana taken back and typed again", "?うし ?う ?うて", u"うして"_s, u"て"_s},
            {"converted: nothing new", "?か ?かん !漢", u"かん"_s, u"ん"_s},
            {"converted in part, the rest kept", "?かんじを ?漢字を !漢字?を !を", u"かんじを"_s, u"を"_s},
            {"a kana made voiced in the preedit", "?か ?が", u"かが"_s, u"が"_s}, {"a kana converted in place", "?め ?目 ?め", u"め"_s, u"め"_s},
            {"a commit, then a new kana, in one event", "!か?き", u"かき"_s, u"き"_s},
            {"focus back: a preedit begun afresh", "?うし ~ ?く !く", u"うしく"_s, u"く"_s},
            {"focus back: the preedit kept", "?うし ~ ?うしく !うしく", u"うしく"_s, u"く"_s},
            {"outside the code page, as it stands", "=😀", u"😀"_s, u"😀"_s},
            {"a chord", "L+0 a+10 a-30 L-40", u"を"_s, u"を"_s}, {"a key let go", "a+0 a-20", u"う"_s, u"う"_s},
            {"held down", "a+0 a*30 a*60 a-400", u"う"_s, u"う"_s}, {"a key outside the layout after a pending kana", "a+0 1+10", u"う1"_s, u"1"_s},
            {"Qt's repeat on Wayland, stamped with the first press, in a chord", "a+0 L+80 a/0 a*0 a-200", u"を"_s, u"を"_s},
            {"a Ctrl shortcut", "^a+0 ^a-10", {}, {}}, {"focus lost in a chord", "a+0 L+30 ~", u"う"_s, u"う"_s},
            {"switched off: the key's own text", "a+0 a-20", u"a"_s, u"a"_s, false},
            {"a stray romaji letter counts once, when sent", "?k ?kさ ?kさk ?kさく ?kさくら !kさくら", u"さくらk"_s, u"k"_s},
            {"a stray romaji letter counts once, when dropped", "?k ?kさ ?さ ?さき !さき", u"さkき"_s, u"き"_s},
            {"a key forwarded with no code, known by its keysym", "a+0 a-20 L+30 L-40 a0+100 a0-120", u"うう"_s, u"う"_s},
            {"a key with no code nor known keysym: no Latin letter", "s0+0 s0-10", {}, {}},
            {"forwarded keys with no time: all timed as they come", "a0+0 L+30 a-60 L-70", u"を"_s, u"を"_s}});
    }
    void typingBoxTellsTheHandlerFirst()
    {
        QFETCH(Keys, row);
        TestProgram program(u"Kestova"_s);
        QString pressed;
        std::unique_ptr<TypingBox> box;
        box = std::make_unique<TypingBox>([&](const QString &typed) {
            pressed += typed;
            box->clear();
        }, nullptr);
        ThumbShiftSettings settings;
        settings.enabled = row.enabled;
        box->useThumbShiftSettings(settings);
        SendKeys(box.get(), QString::fromUtf8(row.keys));
        QCOMPARE(pressed, row.pressed);
        QCOMPARE(box->text(), row.inBox);
        // What the input method holds last is shown beside the box.
        const QString last = QString::fromUtf8(row.keys).section(u' ', -1);
        const auto *preedit = box->findChild<QLabel *>(u"preedit"_s);
        QCOMPARE(preedit && !preedit->isHidden() ? preedit->text() : QString(), last.contains(u'?') ? last.section(u'?', 1) : QString());
    }

    // A kana missed that the input method may yet make voiced is one attempt
    // with its voiced form: か, then ゛ for が asked, is が struck right.
    void voicedInThePreeditIsOneAttempt_data()
    {
        AddRows<Voicing>({{"か then ゛", "?か ?が !が", u"が"_s, u"が1"_s}, {"か then another kana", "?か ?かき !かき", u"が"_s, u"か0 き0"_s},
            {"a kana struck right at once", "?か ?かき", u"か"_s, u"か1 き0"_s}});
    }
    void voicedInThePreeditIsOneAttempt()
    {
        QFETCH(Voicing, row);
        TestProgram program(u"Kestova"_s);
        Judgements judgements;
        QStringList carried;
        connect(&judgements, &Judgements::judged, [&](const Attempt &attempt) { carried.append(attempt.typed + QString::number(attempt.hit)); });
        TypingBox box([&](const QString &typed) { judgements.judge(row.asked, typed); }, nullptr, &judgements);
        box.show();
        SendKeys(&box, QString::fromUtf8(row.keys));
        box.hide(); // what is held is carried as the box goes
        QCOMPARE(carried.join(u' '), row.carried);
    }

    // Each attempt is dated when its key went down, however much later the
    // keyboard could decide it: a plain kana when let go or at the window's
    // end, a chord when its thumb came. The gaps between the attempts, as
    // keys played in real time.
    void attemptsDatedWhenTheKeyWentDown_data()
    {
        AddRows<Stamped>({{"a plain kana decided when let go, then a chord", "a+0 a-80 L+300 s+310 s-350 L-360", {310}},
            {"a chord decided at its thumb, then a plain kana held past the window", "s+0 L+40 s-80 L-90 a+300 a-500", {300}},
            {"a plain kana decided at the window's end, then one when let go", "a+0 a-150 s+200 s-220", {200}}});
    }
    void attemptsDatedWhenTheKeyWentDown()
    {
        QFETCH(Stamped, row);
        TestProgram program(u"Kestova"_s);
        Judgements judgements;
        QList<qint64> pressed;
        connect(&judgements, &Judgements::judged, [&](const Attempt &attempt) { pressed.append(attempt.pressedAt); });
        TypingBox box([&](const QString &typed) { judgements.judge(typed, typed); }, nullptr, &judgements);
        box.useThumbShiftSettings(ThumbShiftSettings());
        box.show();
        SendKeys(&box, QString::fromUtf8(row.keys), true);
        QTRY_COMPARE(pressed.size(), row.gaps.size() + 1);
        for (qsizetype i = 0; i < row.gaps.size(); ++i)
            QVERIFY2(qAbs(pressed[i + 1] - pressed[i] - row.gaps[i]) <= 20, qPrintable(u"%1 ms"_s.arg(pressed[i + 1] - pressed[i])));
    }

    // Thumb keys set by pressing them, the window, the field that types with
    // them; saved from the right-click menu, they reach every typing box.
    void settingsFromTheMenu()
    {
        TestProgram program(u"Kestova"_s);
        QWidget window;
        TypingBox box([](const QString &) {}, &window);
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<ThumbShiftDialog *>(QApplication::activeModalWidget());
            QCOMPARE(dialog->leftKeys->text(), u"無変換、左Alt"_s);
            dialog->setRight->click();
            SendKeys(dialog, u"L+0"_s); // Muhenkan becomes the right thumb, and only that
            dialog->windowMs->setValue(250);
            SendKeys(dialog->tryField, u"L+0 s+200 s-210 L-220"_s); // s on the left hand: the other thumb's voiced kana
            QVERIFY(dialog->leftKeys->text() == u"左Alt");
            QVERIFY(dialog->rightKeys->text() == u"無変換");
            QVERIFY(dialog->tryField->text() == u"じ");
            dialog->setLeft->click();
            SendKeys(dialog, u"L+0"_s); // the other hand's only thumb key: refused
            QVERIFY(dialog->leftKeys->text() == u"左Alt");
            QVERIFY(dialog->rightKeys->text() == u"無変換");
            QVERIFY(!dialog->note->text().isEmpty());
            dialog->checkKeyboard->click(); // with the thumb keys as chosen here
            auto *check = dialog->findChild<ChordCheckWindow *>(u"chordCheck"_s);
            QVERIFY2(check->chordAsked->text().contains(u"＋左の親指キー（左Alt）"_s), qPrintable(check->chordAsked->text()));
            check->close();
            dialog->accept();
        });
        std::unique_ptr<QMenu> menu(TrainerMenu(&window));
        menu->actions().value(1)->menu()->actions().value(2)->trigger(); // 表示の大きさ: 150 %
        QCOMPARE(LoadDisplaySize(), 150);
        QVERIFY(TrainerMenu(&window)->actions().value(1)->menu()->actions().value(2)->isChecked());
        menu->actions().value(0)->trigger();
        QVERIFY(LoadThumbShiftSettings().rightThumbKeys == QList<int>{102});
        QCOMPARE(LoadThumbShiftSettings().windowMs, 250);
        SendKeys(&box, u"L+0 s+200 s-210"_s);
        QCOMPARE(box.text(), u"じ"_s);
    }

    // A key pressed while the dialog waits for one: taken as the right thumb
    // key, or refused with the reason.
    void thumbKeyChoices_data()
    {
        const QString defaults = u"変換、スペース、右Alt"_s;
        AddRows<ThumbKey>({{"Tab", 23, Qt::Key_Tab, u"Tab"_s, false}, {"katakana/hiragana", 101, Qt::Key_Hiragana_Katakana, u"カタカナ/ひらがな"_s, false},
            {"right Alt as Alt", 108, Qt::Key_Alt, u"右Alt"_s, false}, {"a function key", 71, Qt::Key_F5, u"F5"_s, false},
            {"a kana key", 38, Qt::Key_A, defaults, true}, {"left Ctrl", 37, Qt::Key_Control, defaults, true},
            {"right Shift", 62, Qt::Key_Shift, defaults, true}, {"Windows key", 133, Qt::Key_Super_L, defaults, true},
            {"menu key", 135, Qt::Key_Menu, defaults, true}, {"right Alt as AltGr: the key is what counts", 108, Qt::Key_AltGr, u"右Alt"_s, false},
            {"right Alt made Ctrl (ctrl:ralt_rctrl)", 108, Qt::Key_Control, defaults, true}, {"Caps Lock made Super (caps:super)", 66, Qt::Key_Super_L, defaults, true},
            {"Escape keeps the keys", 9, Qt::Key_Escape, defaults, false}});
    }
    void thumbKeyChoices()
    {
        QFETCH(ThumbKey, row);
        TestProgram program(u"Kestova"_s);
        ThumbShiftDialog dialog(ThumbShiftSettings(), nullptr);
        dialog.setRight->click();
        QKeyEvent key(QEvent::KeyPress, row.key, Qt::NoModifier, quint32(row.code), 0, 0);
        QCoreApplication::sendEvent(&dialog, &key);
        QCOMPARE(dialog.rightKeys->text(), row.rightKeys);
        QCOMPARE(dialog.note->text().isEmpty(), !row.refused);
        QVERIFY(dialog.setRight->text() != u"キーを押してください…");
    }

    // The settings as written by hand, held to the dialog's rules: loaded as
    // "left keys|right keys|built-in keyboard|continuous shift".
    void settingsWrittenByHand_data()
    {
        AddRows<SavedKeys>({{"unquoted list", "leftThumbKeys=101,64", "101,64|100,65,108|1|0"}, {"spaces", "leftThumbKeys=\"101 64\"", "101,64|100,65,108|1|0"},
            {"a kana key", "leftThumbKeys=38", "102,64|100,65,108|1|0"}, {"Shift keys", "leftThumbKeys=50,62", "102,64|100,65,108|1|0"},
            {"a good key and a kana key", "leftThumbKeys=38,101", "101|100,65,108|1|0"}, {"not a number", "leftThumbKeys=無変換", "102,64|100,65,108|1|0"},
            {"one key for both hands", "leftThumbKeys=65\nrightThumbKeys=65", "65|100,108|1|0"}, {"switches in words", "enabled=no\ncontinuousShift=on", "102,64|100,65,108|0|1"},
            {"a switch not understood", "enabled=maybe", "102,64|100,65,108|1|0"}, {"a window out of range", "windowMs=500", "102,64|100,65,108|1|0"},
            {"the usual keys, right Alt made Ctrl", "", "102,64|100,65|1|0", "右Alt はこのキー配列では Ctrl", {{108, KeyRole::Control}}},
            {"Caps Lock chosen, made Ctrl (ctrl:nocaps)", "leftThumbKeys=66", "102,64|100,65,108|1|0", "Caps Lock はこのキー配列では Ctrl", {{66, KeyRole::Control}}},
            {"the usual keys, left Alt made Super", "", "102|100,65,108|1|0", "左Alt はこのキー配列では Windows", {{64, KeyRole::Super}}},
            {"Caps Lock chosen, as Caps Lock", "leftThumbKeys=66", "66|100,65,108|1|0", "", {{66, KeyRole::Other}}},
            {"left Ctrl chosen, made Caps Lock (ctrl:swapcaps)", "leftThumbKeys=37", "37|100,65,108|1|0", "", {{37, KeyRole::Other}}}});
    }
    void settingsWrittenByHand()
    {
        QFETCH(SavedKeys, row);
        TestProgram program(u"Kestova"_s);
        const QString path = OpenUserSettings()->fileName();
        QDir().mkpath(QFileInfo(path).path());
        WriteFile(path, "[ThumbShift]\n" + QByteArray(row.lines) + "\n");
        LayoutKeys::instance().useRoles(row.layout);
        QStringList refused;
        const ThumbShiftSettings loaded = LoadThumbShiftSettings(&refused);
        const auto codes = [](const QList<int> &keys) {
            QStringList text;
            for (int key : keys)
                text.append(QString::number(key));
            return text.join(u',');
        };
        QCOMPARE(u"%1|%2|%3|%4"_s.arg(codes(loaded.leftThumbKeys), codes(loaded.rightThumbKeys)).arg(loaded.enabled).arg(loaded.continuousShift),
                 QString::fromUtf8(row.loaded));
        QCOMPARE(loaded.windowMs, 100);
        QVERIFY2(refused.join(u'\n').contains(QString::fromUtf8(row.told)), qPrintable(refused.join(u'\n')));
    }

    // Saved by another Kestova program, the settings reach a typing box
    // already open: Muhenkan with S 200 ms later is あ once the window is 250 ms.
    void settingsFollowedFromAnotherProgram()
    {
        TestProgram program(u"Kestova"_s);
        TypingBox box([](const QString &) {}, nullptr);
        qint64 at = 0;
        const auto typed = [&box, &at] {
            box.clear();
            SendKeys(&box, u"L+%1 s+%2 s-%3 L-%4"_s.arg(at += 1000).arg(at + 200).arg(at + 210).arg(at + 220));
            return box.text();
        };
        QCOMPARE(typed(), u"し"_s);
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {u"save-window"_s, QFileInfo(OpenUserSettings()->fileName()).path(), u"250"_s});
        QVERIFY(other.waitForFinished(20000));
        QCOMPARE(other.exitCode(), 0);
        QTRY_COMPARE(typed(), u"あ"_s);
    }

};

// As another program: saves a judgement window into the settings in FOLDER.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (const QStringList args = app.arguments(); args.size() == 4 && args[1] == u"save-window") {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QFileInfo(args[2]).path());
        ThumbShiftSettings settings = LoadThumbShiftSettings();
        settings.windowMs = args[3].toInt();
        SaveThumbShiftSettings(settings);
        return 0;
    }
    TypingTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_typing.moc"
