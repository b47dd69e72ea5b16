// The course's engine: the order units come in, how well each is known,
// when the next joins and which one is worked on.
#include "coach.h"
#include "confidence.h"
#include "course.h"
#include "coursestate.h"
#include "strokerecorder.h"
#include "chordcheck.h"
#include "curriculum.h"
#include "courseharness.h"
#include "harness.h"
#include "kanamap.h"
#include "coursewindow.h"
#include "lessons.h"
#include "sentences.h"
#include "modellearner.h"
#include "typingbox.h"
#include "usersettings.h"

#include <QApplication>
#include <QInputDialog>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextBlock>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

using namespace kestova::course;

namespace {

struct Known { const char *name; const char *attempts; bool takesThumb; const char *skill; };
struct Play { const char *name; const char *skills; int inPlay, focus; };

// "1000h 400mc p h": the time since the stroke before (p: after a pause),
// h hit or m miss, c struck as a chord, i from an input method (no chord
// known); the first token may repeat: "20*1000h".
QList<Sample> attemptsOf(const QString &text)
{
    QList<Sample> attempts;
    for (const QString &token : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList repeated = token.split(u'*');
        const QString one = repeated.last();
        const QRegularExpressionMatch part = QRegularExpression(u"^(\\d+|p)([hm])([ci]?)$"_s).match(one);
        for (int i = 0; i < (repeated.size() > 1 ? repeated[0].toInt() : 1); ++i)
            attempts.append({part.captured(1) == u"p" ? std::nullopt : std::optional(part.captured(1).toLongLong()), part.captured(2) == u"h",
                                part.captured(3) == u"i" ? std::nullopt : std::optional(part.captured(3) == u"c")});
    }
    return attempts;
}

} // namespace

struct LearnerRow { const char *name; double slips; const char16_t *wrongThumb; int by18, byAll; };

class CourseTest : public QObject {
    Q_OBJECT

private slots:
    // Skills as "attempts smoothed accuracy chords confidence, learnt or
    // what limits it", at a target of 60 kana a minute (1000 ms each).
    void skill_data()
    {
        AddRows<Known>({{"at the target speed", "20*1000h", false, "20 1000 1 - 1 learnt"},
            {"twice as fast: accuracy limits it", "30*500h", false, "30 500 1 - 1.111 learnt"},
            {"smoothed: a slow start counts a tenth a step", "2000h 1000h", false, "2 1900 1 - 0.1333 few"},
            {"after a pause the time is left out", "19*1000h ph", false, "20 1000 1 - 1 learnt"},
            {"fewer than 15 attempts prove little", "10*500h", false, "10 500 1 - 0.6667 few"},
            {"no time yet: no confidence", "ph", false, "1 - 1 - 0 speed"},
            {"a little slower than the target", "30*1100h", false, "30 1100 1 - 0.9091 speed"},
            {"accuracy below 90 % limits it", "6*500m 44*500h", false, "50 500 0.88 - 0.9778 accuracy"},
            {"only the last 50 count for accuracy", "5*500m 50*500h", false, "55 500 1 - 1.111 learnt"},
            {"learnt once: kept when it falls", "20*1000h 10*3000h", false, "30 2303 1 - 0.4343 learnt"},
            {"a thumb unit struck as chords", "30*500hc", true, "30 500 1 1 1.111 learnt"},
            {"a thumb unit with too few chords", "3*500h 17*500hc", true, "20 500 1 0.85 0.9444 chord"},
            {"a thumb unit hit without a chord", "20*500h", true, "20 500 1 0 0 chord"},
            {"a thumb unit from an input method: no chords to weigh", "20*500hi", true, "20 500 1 - 1.111 learnt"},
            {"a thumb unit typed plain: misses", "20*500m", true, "20 500 0 0 0 accuracy"}});
    }
    void skill()
    {
        QFETCH(Known, row);
        const Skill skill = SkillOf(attemptsOf(QString::fromLatin1(row.attempts)), row.takesThumb, TargetMs(60));
        const auto number = [](std::optional<double> value) { return value ? QString::number(*value, 'g', 4) : u"-"_s; };
        const QString limit = skill.learnt ? u"learnt"_s : QStringList{u"none"_s, u"few"_s, u"speed"_s, u"accuracy"_s, u"chord"_s}[int(skill.limit)];
        QCOMPARE(u"%1 %2 %3 %4 %5 %6"_s.arg(skill.attempts).arg(number(skill.smoothedMs), number(skill.accuracy), number(skill.chordShare), number(skill.confidence), limit),
                 QString::fromLatin1(row.skill));
    }

    // The warm-up's order from a record: the kana whose first strokes of a
    // day are slowest against the rest first; none that does not loosen,
    // none already typed today.
    void warmUpOrder()
    {
        TestProgram program(u"KestovaCourse"_s);
        const QString path = program.path(u"record.sqlite"_s);
        const auto orderOf = [&path](const QList<kestova::Attempt> &strokes) {
            {
                kestova::record::StrokeRecorder recorder(CourseProgram, path);
                for (const kestova::Attempt &attempt : strokes)
                    recorder.add(attempt);
            }
            kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"warm"_s, kestova::record::Use::Reading, path);
            return ReadCourseAttempts(record.database, 0, TargetMs(60))->warmUp().order(u"うんいしとて"_s, kestova::LocalDay(QDateTime::currentDateTime()));
        };
        QCOMPARE(orderOf(LoosenedHistory()), u"しと"_s);
        QCOMPARE(orderOf({{u"し"_s, u"し"_s, true, QDateTime::currentMSecsSinceEpoch() - 1000}}), u"と"_s);
        QSqlDatabase::removeDatabase(u"warm"_s);
    }

    // The strokes of the course into each kana's attempts: the time from
    // the stroke before, whichever kana it was, unless 5 s or more passed.
    void attemptsFromStrokes()
    {
        CourseAttempts attempts;
        for (const auto &[time, kana, hit] : {std::tuple{1000, u'う', true}, {1400, u'し', false}, {1900, u'う', true}, {6900, u'し', true}, {11899, u'う', true}})
            attempts.add({QString(kana), {}, hit, time, kestova::StrokeReason::Plain});
        const Skill u = attempts.of(u'う').skill(false, 1000), shi = attempts.of(u'し').skill(false, 1000);
        QCOMPARE(u.attempts, 3);
        QVERIFY(qFuzzyCompare(*u.smoothedMs, 500 + 0.1 * 4499));
        QCOMPARE(shi.attempts, 2);
        QCOMPARE(shi.smoothedMs, 400);
        QCOMPARE(shi.accuracy, 0.5);
    }

    // "attempts/confidence" of each unit in play, oldest first; * where once learnt.
    void unlockingAndFocus_data()
    {
        AddRows<Play>({{"every unit learnt: the next joins, though one fell since", "20/1* 25/1.2* 30/0.8*", 4, 2},
            {"one unit not learnt yet", "20/1* 19/0.95 30/1.5*", 3, 1},
            {"a unit stuck after 150 attempts holds none back", "150/0.5 25/1.2* 30/1.5*", 4, 0},
            {"one short of stuck", "149/0.5 25/1.2* 30/1.5*", 3, 0},
            {"a stuck unit gives way to those still to practise", "150/0.5 25/0.8* 30/0.9", 3, 1},
            {"the weakest is the focus", "20/1.3* 25/0.4 30/1.5*", 3, 1},
            {"one learnt that fell comes before a new one", "20/1.2* 25/0.7* 0/0", 3, 1},
            {"one learnt just below 1 does not", "20/1.2* 25/0.9* 0/0", 3, 2},
            {"among equals, the one that came last", "20/0.5 25/0.5 30/0.7", 3, 1},
            {"all units in play: none more", "20/1* 20/1* 20/1* 20/1*", 4, 3}});
    }
    void unlockingAndFocus()
    {
        QFETCH(Play, row);
        QList<Skill> skills;
        for (const QString &unit : QString::fromLatin1(row.skills).split(u' ')) {
            skills.append({unit.section(u'/', 0, 0).toInt(), {}, 0, {}, QString(unit.section(u'/', 1)).remove(u'*').toDouble()});
            skills.last().learnt = unit.endsWith(u'*');
        }
        QCOMPARE(UnitsInPlay(skills, 4), row.inPlay);
        QCOMPARE(FocusOf(skills), row.focus);
    }

    // The state in the practice record beside the course's strokes, which
    // starting over keeps but no longer counts; the target speed within its bounds.
    void stateInTheRecord()
    {
        TestProgram program(u"KestovaCourse"_s);
        const QString path = program.path(u"record.sqlite"_s);
        for (const auto &[by, time, kana] : {std::tuple{CourseProgram, 1000, u"う"_s}, {u"KestovaB100"_s, 2000, u"し"_s}, {CourseProgram, 3000, u"し"_s}})
            kestova::record::StrokeRecorder(by, path).add({kana, kana, true, time, kestova::StrokeReason::Chord, 30});
        {
            kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"course"_s, kestova::record::Use::Writing, path);
            QCOMPARE(LoadCourseState(record.database).unitsInPlay, FirstUnits);
            QVERIFY(SaveCourseState(record.database, {9, 4, 0, {2, 3, 4}, u"しいうとんきせけて"_s}));
            // A second window, a lesson behind, brought another kana in: both stay.
            QVERIFY(SaveCourseState(record.database, {9, 3, 0, {2, 3, 3}, u"しいうとんきせけは"_s}));
            QCOMPARE(LoadCourseState(record.database).unitsInPlay, 10);
            QCOMPARE(LoadCourseState(record.database).kana, u"しいうとんきせけはて"_s);
            QCOMPARE(LoadCourseState(record.database).lessons, 4);
            QVERIFY(LoadCourseState(record.database).joinedAt == QList<int>({2, 3, 3}));
            const auto attemptsAt = [&](QChar kana) { return ReadCourseAttempts(record.database, LoadCourseState(record.database).since, 1000)->of(kana).skill(false, 1000).attempts; };
            QCOMPARE(attemptsAt(u'う'), 1);
            QCOMPARE(attemptsAt(u'し'), 1);
            QVERIFY(StartOver(record.database, 2000));
            QVERIFY(SaveCourseState(record.database, {12, 9, 0, {}, {}})); // a window still on the course before
            QCOMPARE(LoadCourseState(record.database).lessons, 0);
            QCOMPARE(LoadCourseState(record.database).unitsInPlay, FirstUnits);
            QCOMPARE(attemptsAt(u'う'), 0);
            QCOMPARE(attemptsAt(u'し'), 1);
        }
        QSqlDatabase::removeDatabase(u"course"_s);
        for (const auto &[saved, loaded] : {std::pair{90, 90}, {20, 30}, {400, 300}}) {
            SaveTargetSpeed(saved);
            QCOMPARE(LoadTargetSpeed(), loaded);
        }
    }

    // Every kana the layout types comes once, at its key with its thumb: the
    // commonest plain kana of the home row first, then by frequency, save
    // that each thumb's first kana comes by unit ThumbBy, the marks after
    // MarksAfter and a small kana after the kana it follows; over the real
    // counts and over counts that put each rule to the test.
    void curriculumOrder_data()
    {
        QTest::addColumn<QString>("kana");
        QTest::addColumn<qint64>("count");
        QTest::newRow("real text") << QString() << qint64(0);
        QTest::newRow("marks commonest") << u"、。ー・"_s << (qint64(1) << 40);
        QTest::newRow("thumbs rarest") << u"をあなゅもみおのょっぁえりゃれよにるまぇぅーろやぃぬゆむわぉがだござぱぢぐづぴヴじでげぜばどぎぽびずぶべぷぞぺぼ"_s << qint64(0);
        QTest::newRow("small kana commonest") << u"ょっゃゅぁ"_s << (qint64(1) << 40);
    }
    void curriculumOrder()
    {
        QFETCH(QString, kana);
        QFETCH(qint64, count);
        KanaCounts counts = TextCounts();
        for (QChar k : kana)
            counts.frequency[QString(k)] = count;
        const QList<Unit> units = Curriculum(counts);
        QSet<QString> taught, typed;
        for (const Unit &unit : units) {
            taught.insert(unit.kana);
            QCOMPARE(kestova::ThumbShiftEngine().characterOf(unit.keyCode, unit.thumb), unit.kana);
        }
        for (const kestova::KeyFrame &key : kestova::KeyboardLayout)
            typed += QSet<QString>{QString::fromUtf16(key.plain.caption), QString::fromUtf16(key.thumbShift.caption), QString::fromUtf16(key.otherThumb)};
        typed.remove(QString());
        QCOMPARE(taught.size(), units.size());
        QCOMPARE(taught, typed);
        const auto rank = [&](const QString &k) { return std::find_if(units.cbegin(), units.cend(), [&](const Unit &u) { return u.kana == k; }) - units.cbegin(); };
        const auto often = [&](qsizetype at) { return counts.frequency.value(units[at].kana); };
        for (qsizetype at = 0; at < units.size(); ++at) {
            const Unit &unit = units[at];
            if (at < FirstUnits) { // the commonest plain kana of the home row
                QVERIFY(unit.row == kestova::KeyRow::Home && unit.plane == Plane::Plain);
                for (qsizetype later = FirstUnits; later < units.size(); ++later)
                    QVERIFY(units[later].row != kestova::KeyRow::Home || units[later].plane != Plane::Plain || often(later) <= often(at));
            }
            if (u"、。，・ー"_s.contains(unit.kana))
                QVERIFY2(at >= MarksAfter, qPrintable(unit.kana));
            if (counts.follows.contains(unit.kana))
                QVERIFY2(rank(counts.follows[unit.kana]) < at, qPrintable(unit.kana));
            // A kana before a commoner one only where a rule holds that one back.
            const bool thumbFirst = at < ThumbBy && unit.plane != Plane::Plain && std::none_of(units.cbegin(), units.cbegin() + at, [&](const Unit &u) { return u.plane == unit.plane; });
            for (qsizetype later = at + 1; at >= FirstUnits && !thumbFirst && later < units.size(); ++later) {
                const QString base = counts.follows.value(units[later].kana);
                const bool heldBack = (at < MarksAfter && u"、。，・ー"_s.contains(units[later].kana)) || (!base.isEmpty() && rank(base) >= at);
                QVERIFY2(often(later) <= often(at) || heldBack, qPrintable(unit.kana + units[later].kana));
            }
        }
        for (Plane thumb : {Plane::OwnThumb, Plane::OtherThumb}) // a thumb kana by unit ThumbBy
            QVERIFY(std::find_if(units.cbegin(), units.cend(), [&](const Unit &u) { return u.plane == thumb; }) - units.cbegin() < ThumbBy);
    }
};

// The shipped words, most common first.
QStringList shippedWords()
{
    QStringList words;
    for (const QString &line : QString::fromUtf8(ReadFile(QStringLiteral(KESTOVA_SOURCE_DIR "/data/kana-words.txt"))).split(u'\n'))
        if (!line.isEmpty() && !line.startsWith(u'#'))
            words.append(line);
    return words;
}

class LessonTest : public QObject {
    Q_OBJECT

private slots:
    // Lessons as the course grows, the newest unit the focus (given by the
    // units in play or by the kana), or a kana added early ("6+っ"): 15 words, none twice, each with the
    // focus and only kana in play; made-up ones, of 2 to 6 kana, only where
    // too few real words fit, and spelt as Japanese syllables are.
    void lessonsFromTheWords_data()
    {
        QTest::addColumn<QString>("upTo");
        for (const QString &upTo : {u"6"_s, u"8"_s, u"12"_s, u"20"_s, u"40"_s, u"70"_s, u"ょ"_s, u"っ"_s, u"ゅ"_s, u"ぁ"_s, u"ー"_s, u"ぃ"_s, u"ぉ"_s, u"ぅ"_s,
                                    u"2+ん"_s, u"4+っ"_s, u"4+ー"_s, u"5+ゃ"_s, u"8+ぇ"_s, u"12+ぉ"_s, u"12+ゅ"_s})
            QTest::newRow(qPrintable(upTo)) << upTo;
    }
    // The coach takes up a kana whose thumb went wrong the same way in each of
    // the last three lessons ("|" between lessons; O the other thumb, L late),
    // and the next lesson works on it among fewer kana, struck alone first.
    void coach_data()
    {
        QTest::addColumn<QString>("lessons");
        QTest::addColumn<QString>("coached");
        for (const auto &[lessons, coached] : {std::pair{"お:O|お:O|お:O", "お"}, {"お:O|お:O", "-"}, {"お:O||お:O", "-"}, {"お:O|お:O|お:L", "-"},
                                               {"お:L|の:O お:L|お:L と:O", "お"}})
            QTest::newRow(lessons) << QString::fromUtf8(lessons) << QString::fromUtf8(coached);
    }
    void coach()
    {
        QFETCH(QString, lessons);
        QFETCH(QString, coached);
        Coach coach;
        std::optional<Coaching> said;
        for (const QString &lesson : lessons.split(u'|')) {
            QList<kestova::Attempt> attempts;
            for (const QString &fault : lesson.split(u' ', Qt::SkipEmptyParts)) {
                const QString kana = fault.left(1);
                using kestova::ThumbHand;
                const ThumbHand needed = kestova::ThumbShiftEngine::thumbNeededFor(kana);
                const bool other = fault.endsWith(u'O');
                attempts.append({kana, u"x"_s, false, 0, other ? kestova::StrokeReason::Chord : kestova::StrokeReason::ThumbTooLate, 150,
                                 other ? (needed == ThumbHand::Left ? ThumbHand::Right : ThumbHand::Left) : needed, needed});
            }
            said = coach.afterLesson(attempts, kestova::ThumbShiftSettings());
        }
        QCOMPARE(said ? QString(said->kana) : u"-"_s, coached);
        if (said) {
            QVERIFY2(said->advice.startsWith(u"「お」は「と」のキーと右親指（変換・スペース"_s), qPrintable(said->advice));
            const QList<Unit> units = Curriculum();
            QRandomGenerator random(5);
            static const WordSource source(shippedWords());
            const QList<LessonWord> lesson = Course(units, 40).nextLesson(source, random, said->kana);
            QSet<QChar> kana;
            for (const LessonWord &word : lesson) {
                QVERIFY(word.word.contains(said->kana));
                kana.unite(QSet<QChar>(word.word.cbegin(), word.word.cend()));
            }
            QCOMPARE(lesson.size(), LessonLength);
            QCOMPARE(lesson.first().word, u"おおお"_s);
            QVERIFY(kana.size() <= CoachedKana);
        }
    }

    // Misses by habit in a lesson's result; where an old habit makes half
    // the misses or more (three at least), its kana drilled in turn with
    // what the habit's key types. "か:き" is か asked, き typed (K: romaji).
    void habitCoaching_data()
    {
        QTest::addColumn<QString>("misses");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("drill");
        QTest::newRow("romaji, three of four") << u"か:き か:き く:き か:た"_s << u"打ち間違いのくせ：ローマ字のキー 3 回、となりのキー 1 回"_s << u"かきか"_s;
        QTest::newRow("JIS kana, three of five") << u"か:さ か:さ し:て い:x う:x"_s << u"打ち間違いのくせ：JIS かなのキー 3 回、ほかのキー 2 回"_s << u"かさか"_s;
        QTest::newRow("two romaji: too few") << u"か:き か:き"_s << u"打ち間違いのくせ：ローマ字のキー 2 回"_s << QString();
        QTest::newRow("three romaji of seven: not half") << u"か:き か:き か:き と:ほ と:ほ と:ほ と:ほ"_s << u"打ち間違いのくせ：ローマ字のキー 3 回、ほかのキー 4 回"_s << QString();
    }
    void habitCoaching()
    {
        QFETCH(QString, misses);
        QFETCH(QString, told);
        QFETCH(QString, drill);
        QList<kestova::Attempt> lesson{{u"う"_s, u"う"_s, true}};
        for (const QString &miss : misses.split(u' '))
            lesson.append({miss.left(1), miss.mid(2), false});
        QCOMPARE(HabitsOfMisses(lesson), told);
        const std::optional<Coaching> said = HabitCoaching(lesson);
        QCOMPARE(said.has_value(), !drill.isEmpty());
        if (said) {
            QRandomGenerator random(5);
            static const WordSource source(shippedWords());
            QCOMPARE(Course(Curriculum(), 40).nextLesson(source, random, said->kana, {}, said->oldKey).first().word, drill);
        }
    }

    // Sentences: the shipped ones all read; a line that is none named by its
    // number; the weakest kana come far more often than their share, and
    // no sentence twice running.
    void sentences()
    {
        QString problem;
        const QList<Sentence> shipped = ParseSentences(ReadFile(QStringLiteral(KESTOVA_SOURCE_DIR "/data/sentences.txt")), u"sentences.txt"_s, &problem);
        QCOMPARE(problem, QString());
        QVERIFY(shipped.size() >= 600);
        QCOMPARE(ParseSentences("# c\n雨。\tあめ。\nno tab\n雨\tAME\n", u"t.txt"_s, &problem).size(), 1);
        QVERIFY2(problem.contains(u"t.txt の 3、4 行目"_s), qPrintable(problem));
        const SentenceChooser chooser(shipped);
        QHash<QChar, double> confidence;
        for (const Sentence &sentence : shipped) {
            for (QChar kana : sentence.reading)
                confidence[kana] = kana == u'ぬ' ? 0.0 : 1.0;
        }
        const auto holds = [&](int i) { return shipped[i].reading.contains(u'ぬ'); };
        const double share = double(std::count_if(shipped.cbegin(), shipped.cend(), [](const Sentence &s) { return s.reading.contains(u'ぬ'); })) / shipped.size();
        QRandomGenerator random(9);
        int chosen = 0, last = -1;
        for (int draw = 0; draw < 1000; ++draw) {
            const int next = chooser.next(confidence, random, last);
            QVERIFY(next != last);
            chosen += holds(next);
            last = next;
        }
        QVERIFY2(chosen / 1000.0 > 3 * share, qPrintable(u"%1 against a share of %2"_s.arg(chosen / 1000.0).arg(share)));
    }

    // Punctuation follows words: every word of a lesson on 。 ends with it;
    // with 、 and 。 in play, 、 follows every fourth word and 。 the last.
    void punctuationAfterWords()
    {
        static const QStringList words = shippedWords();
        static const WordSource source(words);
        const QList<Unit> units = Curriculum();
        const auto upTo = [&](QChar mark) { return int(std::find_if(units.cbegin(), units.cend(), [&](const Unit &u) { return u.kana[0] == mark; }) - units.cbegin()) + 1; };
        QRandomGenerator random(3);
        QString ends;
        for (const LessonWord &word : Course(units, upTo(u'。')).nextLesson(source, random))
            ends += word.word.back();
        QCOMPARE(ends, QString(LessonLength, u'。'));
        ends.clear();
        for (const LessonWord &word : Course(units, qMax(upTo(u'、'), upTo(u'。')) + 1).nextLesson(source, random))
            ends += Punctuation.contains(word.word.back()) ? word.word.back() : u'_';
        QCOMPARE(ends, u"___、___、___、__。"_s);
    }
    void lessonsFromTheWords()
    {
        QFETCH(QString, upTo);
        static const QStringList words = shippedWords();
        static const WordSource source(words);
        // A small kana after one it makes no syllable with, or first; っ, ん
        // or ー first; っ last, or before ん, ー, a vowel or a small kana; ー
        // after ん, っ or ー.
        static const QRegularExpression unspeakable(u"^[ゃゅょぁぃぅぇぉゎっんー]|っ$|っ[んーあいうえおゃゅょぁぃぅぇぉゎっ]|[んっー]ー|"
                                                    "[^きぎしじちぢにひびぴみり][ゃょ]|[^きぎしじちぢにひびぴみりでふ]ゅ|[^ふつくぐヴ]ぁ|"
                                                    "[^ふつてでうヴ]ぃ|[^とど]ぅ|[^ふつしじちいうヴ]ぇ|[^ふつうヴ]ぉ"_s);
        const QList<Unit> units = Curriculum();
        const QStringList parts = upTo.split(u'+');
        const int inPlay = parts[0].toInt() ? parts[0].toInt() : int(std::find_if(units.cbegin(), units.cend(), [&](const Unit &u) { return u.kana == parts[0]; }) - units.cbegin()) + 1;
        QSet<QChar> kana;
        for (int unit = 0; unit < inPlay; ++unit)
            kana.insert(units[unit].kana[0]);
        const QChar focus = parts.size() > 1 ? parts[1][0] : units[inPlay - 1].kana[0];
        kana.insert(focus);
        const auto fits = [&](const QString &word) { return word.contains(focus) && std::all_of(word.cbegin(), word.cend(), [&](QChar k) { return kana.contains(k); }); };
        const qsizetype realOnes = std::count_if(words.cbegin(), words.cend(), fits);
        for (quint32 seed = 0; seed < 20; ++seed) {
            QRandomGenerator random{seed};
            const QList<LessonWord> lesson = source.lesson(kana, focus, random);
            QSet<QString> seen;
            for (const LessonWord &word : lesson) {
                QVERIFY2(fits(word.word) && !seen.contains(word.word), qPrintable(word.word));
                QCOMPARE(words.contains(word.word), !word.madeUp);
                QVERIFY(!word.madeUp || (word.word.size() >= 2 && word.word.size() <= 6 && realOnes < LessonLength));
                QVERIFY2(!word.madeUp || !unspeakable.match(word.word).hasMatch(), qPrintable(word.word));
                seen.insert(word.word);
            }
            QCOMPARE(lesson.size(), LessonLength);
        }
    }

    // The model learner at twice the target speed: the course never stalls
    // with ordinary slips, and a kana always struck wrong holds no other back
    // but stays the focus once the others are learnt.
    void modelLearner_data()
    {
        AddRows<LearnerRow>({{"4 % slips", 0.04, u"", 24, 150}, {"1 % slips", 0.01, u"", 24, 110},
            {"お always struck with the wrong thumb first", 0.02, u"お", 24, 200}});
    }
    void modelLearner()
    {
        QFETCH(LearnerRow, row);
        static const QStringList words = shippedWords();
        static const WordSource source(words);
        const LearnerProgress progress = TakeCourse(Curriculum(), source, {row.slips, 2, QChar(*row.wrongThumb)});
        QVERIFY2(progress.to18 >= 0 && progress.to18 <= row.by18, qPrintable(QString::number(progress.to18)));
        QVERIFY2(progress.toAll >= 0 && progress.toAll <= row.byAll, qPrintable(QString::number(progress.toAll)));
        if (*row.wrongThumb) {
            const int quiet = progress.afterFault - progress.othersLearning;
            QVERIFY2(quiet > 0 && progress.faultFocused == quiet, qPrintable(u"%1 of %2"_s.arg(progress.faultFocused).arg(quiet)));
        }
    }
};

struct HintRow { const char *name; int medianMs; const char *action; bool hinted; };
struct FaultRow { const char *name; bool thumbKana; const char *keys; const char *shown; bool everyTime = false; };

// The course window over a record of the test's own, with `state` and ten
// strokes of each first unit `gapMs` apart; its strokes followed to the
// record; typed at with key codes and times.
class CourseWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The map lights the next kana's key for a kana new in the last two
    // lessons, after a miss, and after a wait of more than twice the
    // learner's median time for it; not otherwise.
    void hints_data()
    {
        AddRows<HintRow>({{"a new kana: at once", 0, "new", true},
            {"a known kana: not at once", 100, "", false},
            {"after a miss", 100, "miss", true},
            {"after twice the median time", 100, "wait", true},
            {"not before it", 2000, "wait", false}});
    }
    void hints()
    {
        QFETCH(HintRow, row);
        const QString action = QString::fromLatin1(row.action);
        CourseUnderTest course({FirstUnits, action == u"new" ? 1 : 5, 0, {}}, row.medianMs);
        QTRY_VERIFY(course.window->ready());
        if (action == u"miss")
            course.type(course.unit().keyCode == 38 ? u"s+0 s-30"_s : u"a+0 a-30"_s);
        if (action == u"wait")
            QTest::qWait(300);
        QCOMPARE(course.window->map->litKana(), row.hinted ? QString(course.asked()) : QString());
        QCOMPARE(course.window->map->litThumb(), row.hinted ? course.unit().thumb : kestova::ThumbHand::None);
    }

    // One stroke of each timing in a lesson of every kana: the lesson result
    // names what went wrong with the thumb, and where the thumb came only a
    // little late, offers the window that would have taken it.
    void thumbDiagnosis_data()
    {
        AddRows<FaultRow>({{"thumb too late", true, "K+0 K-60 H+200 H-260", "親指が遅い 1 回<br>親指が平均 200 ms 遅れています"},
            {"thumb too early", true, "H+0 H-40 K+200 K-260", "親指が早い 1 回<br>親指が平均 200 ms 早すぎます"},
            {"the other thumb", true, "K+0 O+20 K-80 O-90", "反対の親指 1 回"},
            {"no thumb", true, "K+0 K-60", "親指なし 1 回"},
            {"a thumb struck before the key before is none of this key's", true, "H+0 H-30 O+100 N+110 N-160 O-170 K+290 K-350", "親指なし 1 回"},
            {"a thumb nearer the next key is none of this key's", true, "K+0 K-60 H+150 H-170 N+260 N-300", "親指が早い 1 回、親指なし 1 回"},
            {"a thin overlap", true, "K+0 H+90 K-110 H-200", "重なりが短い 1 回"},
            {"the thumb nearer the next key", true, "K+0 H+60 N+80 N-100 K-110 H-120", "親指が次の字に 1 回"},
            {"a thumb not wanted", false, "K+0 H+20 K-80 H-90", "要らない親指 1 回"},
            // A window of 140 ms would end just as that thumb came.
            {"often a little late: a wider window", true, "K+0 K-60 H+140 H-200", "から 150 ms", true}});
    }
    void thumbDiagnosis()
    {
        QFETCH(FaultRow, row);
        CourseUnderTest course({1000, 5, 0, {}});
        QTRY_VERIFY(course.window->ready());
        int misses = 0;
        for (bool missed = false; course.window->currentWord->isVisible();) { // a miss leaves the kana to type again
            const int key = course.unit().keyCode; // a kana on a key that types another with either thumb
            const auto other = [key](kestova::ThumbHand hand) { return kestova::ThumbShiftEngine().characterOf(key, hand) != kestova::ThumbShiftEngine().characterOf(key, kestova::ThumbHand::None); };
            const bool fits = other(kestova::ThumbHand::Left) && other(kestova::ThumbHand::Right);
            missed = !missed && fits && (misses == 0 || row.everyTime) && (course.unit().thumb != kestova::ThumbHand::None) == row.thumbKana;
            missed ? course.type(QString::fromUtf8(row.keys)) : course.typeRight();
            misses += missed;
            QCoreApplication::processEvents(); // the result comes once the last stroke is recorded
        }
        QVERIFY(misses > 0);
        QVERIFY(course.window->toSentences->isVisible()); // every kana in play: sentences offered
        const QString shown = course.window->lessonResult->text() + course.window->takeWindow->text();
        QVERIFY2(shown.contains(QString::fromUtf8(row.shown)), qPrintable(shown));
        QCOMPARE(course.window->takeWindow->isVisible(), QString::fromUtf8(row.shown) == u"から 150 ms");
        if (course.window->takeWindow->isVisible()) {
            course.window->takeWindow->click();
            QCOMPARE(kestova::LoadThumbShiftSettings().windowMs, 150);
        }
    }

    // The lesson's words wrap between words only, at 100 % and 200 %.
    void wordsWrapBetweenWords()
    {
        CourseUnderTest course({60, 5, 0, {}});
        QTRY_VERIFY(course.window->ready());
        for (double scale : {1.0, 2.0}) {
            QTextDocument shown;
            QFont font = course.window->lessonWords->font();
            font.setPointSizeF(font.pointSizeF() * scale);
            shown.setDefaultFont(font);
            shown.setHtml(course.window->lessonWords->text());
            shown.setTextWidth(course.window->lessonWords->width() * scale * 0.6); // narrower than shown: several lines
            shown.size(); // laid out
            const QString text = shown.toPlainText();
            const QTextLayout *lines = shown.begin().layout();
            QVERIFY(lines->lineCount() > 1);
            for (int line = 1; line < lines->lineCount(); ++line) {
                const int start = lines->lineAt(line).textStart();
                QVERIFY2(text[start - 1].isSpace(), qPrintable(text.left(start) + u'|' + text.mid(start)));
            }
        }
    }

    // The day's first lesson, once the history is read: the kana that
    // loosened most since the days before, in every word.
    void warmUpFirstInTheDay()
    {
        CourseUnderTest course({FirstUnits, 5, 0, {}}, 0, LoosenedHistory());
        QTRY_COMPARE(course.window->focusKana->text(), u"練習する字「し」（今日のおさらい）"_s);
        QVERIFY(std::all_of(course.window->lesson().cbegin(), course.window->lesson().cend(), [](const LessonWord &w) { return w.word.contains(u'し'); }));
        while (course.window->currentWord->isVisible())
            course.typeRight();
        QVERIFY2(course.window->lessonResult->text().contains(u"今日のおさらい「し」：その日の最初の 3 回は"_s), qPrintable(course.window->lessonResult->text()));
    }

    // Keys typed while the words and the record are still being read go to
    // the first lesson.
    void keysBeforeTheFirstLesson()
    {
        CourseUnderTest course({FirstUnits, 1, 0, {}});
        QSignalSpy judged(&course.window->judgements, &kestova::Judgements::judged);
        SendKeys(course.window->typingBox, u"a+0 a-30 s+100 s-130 d+200 d-230"_s);
        QTRY_VERIFY(course.window->ready());
        QTRY_COMPARE(judged.size(), 3); // the last waits a moment for a thumb that may come late
    }

    // 目標の速さ and 最初から from the menu, answered as a learner would:
    // the speed kept; the course begun again with the first units, the
    // strokes before no longer counted.
    void menu()
    {
        CourseUnderTest course({9, 5, 0, {}});
        QTRY_VERIFY(course.window->ready());
        QMenu menu;
        course.window->addToMenu(&menu);
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            dialog->setIntValue(120);
            dialog->accept();
        });
        menu.actions()[0]->trigger();
        QCOMPARE(LoadTargetSpeed(), 120);
        QString yes;
        QTimer::singleShot(0, [&yes] {
            QAbstractButton *button = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())->button(QMessageBox::Yes);
            yes = button->text();
            button->click();
        });
        menu.actions()[1]->trigger();
        QCOMPARE(yes, u"はい(&Y)"_s); // Qt's own words in Japanese
        QTRY_VERIFY(course.window->state().inPlay() == FirstUnits && course.window->lesson().size() == LessonLength);
    }

    // A kana chosen on the map (its menu's "next lesson" or "until chosen
    // again"), or its row, is the focus of the lessons after; the course's
    // choice again from the same menu.
    void focusChosenOnTheMap()
    {
        CourseUnderTest course({1000, 5, 0, {}});
        QTRY_VERIFY(course.window->ready());
        const auto choose = [&](int action) { course.chooseOnMap(u"か"_s, action); };
        const auto focusOfNext = [&] { return course.focusOfNextLesson(); };
        choose(0);
        QCOMPARE(focusOfNext(), u"練習する字「か」"_s);
        QVERIFY(std::all_of(course.window->lesson().cbegin(), course.window->lesson().cend(), [](const LessonWord &w) { return w.word.contains(u'か'); }));
        QVERIFY(focusOfNext() != u"練習する字「か」"_s); // for one lesson
        choose(1);
        QCOMPARE(focusOfNext(), u"練習する字「か」"_s);
        QCOMPARE(focusOfNext(), u"練習する字「か」"_s); // until chosen again
        choose(2); // the top row, its weakest kana each lesson
        QString top;
        for (const kestova::KanaPlace &place : kestova::KanaPlaces(1, 0))
            top += place.key->row == kestova::KeyRow::Top ? place.kana : QString();
        for (int lesson = 0; lesson < 2; ++lesson)
            QVERIFY(top.contains(focusOfNext().section(u'「', 1).left(1)));
        choose(4);
        QVERIFY(focusOfNext() != u"練習する字「か」"_s);
    }

    // A lesson holding a kana whose chord the keyboard check found missing
    // on this keyboard says so, once; the check is in the menu.
    void missingChordsTold()
    {
        CourseUnderTest course({1000, 5, 0, {}});
        kestova::SaveKeyboardCheck({QString(), QDateTime::currentDateTime(), 71, {{{{45}, kestova::ThumbHand::Right}, false, 0, {65}}}, {u"右の親指には変換を使ってください。"_s}});
        QTRY_VERIFY(course.window->ready());
        course.chooseOnMap(u"の"_s, 1);
        const auto told = [] {
            return std::count_if(ShownMessages().cbegin(), ShownMessages().cend(), [](const kestova::MessageRequest &m) { return m.text.contains(u"「の」（スペース）は、キーボードの確認でこのキーボードから届かなかった"_s); });
        };
        // Told with the first lesson that has の, which may be this one.
        QCOMPARE(told(), course.window->lessonWords->text().contains(u'の') ? 1 : 0);
        QCOMPARE(course.focusOfNextLesson(), u"練習する字「の」"_s);
        QCOMPARE(told(), 1);
        // の struck with the other thumb first, three lessons running: the
        // keyboard's, not a fault for the coach.
        for (int lesson = 0; lesson < 3; ++lesson) {
            while (course.window->currentWord->isVisible()) {
                if (course.asked() == u'の')
                    course.type(u"K+0 O+20 K-80 O-90"_s);
                course.typeRight();
                QCoreApplication::processEvents();
            }
            if (lesson < 2)
                course.window->nextLesson->click();
        }
        QCOMPARE(told(), 1);
        QVERIFY2(course.window->lessonResult->text().contains(u"「の」は、キーボードの確認でこのキーボードから届かなかった組み合わせです。"_s), qPrintable(course.window->lessonResult->text()));
        QVERIFY(!course.window->lessonResult->text().contains(u"同時に打ちます"_s));
        QMenu menu;
        course.window->addToMenu(&menu);
        QVERIFY(std::any_of(menu.actions().cbegin(), menu.actions().cend(), [](QAction *a) { return a->text() == u"キーボードの確認…"; }));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    CourseTest course;
    LessonTest lessons;
    CourseWindowTest window;
    return QTest::qExec(&course, argc, argv) | QTest::qExec(&lessons, argc, argv) | QTest::qExec(&window, argc, argv);
}
#include "tst_course.moc"
