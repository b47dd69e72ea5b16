// The course's engine: the order units come in, how well each is known,
// when the next joins and which one is worked on.
#include "confidence.h"
#include "course.h"
#include "coursestate.h"
#include "strokerecorder.h"
#include "curriculum.h"
#include "harness.h"
#include "lessons.h"

#include <QApplication>
#include <QRegularExpression>

#include <cmath>

using namespace kestova::course;

namespace {

struct Known { const char *name; const char *attempts; bool takesThumb; const char *skill; };
struct Play { const char *name; const char *skills; int inPlay, focus; };

// "1000h 400mc p h": the time since the stroke before (p: after a pause),
// h hit or m miss, c struck as a chord; the first token may repeat: "20*1000h".
QList<Attempt> attemptsOf(const QString &text)
{
    QList<Attempt> attempts;
    for (const QString &token : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList repeated = token.split(u'*');
        const QString one = repeated.last();
        const QRegularExpressionMatch part = QRegularExpression(u"^(\\d+|p)([hm])(c?)$"_qs).match(one);
        for (int i = 0; i < (repeated.size() > 1 ? repeated[0].toInt() : 1); ++i)
            attempts.append({part.captured(1) == u"p" ? std::nullopt : std::optional(part.captured(1).toLongLong()), part.captured(2) == u"h", !part.captured(3).isEmpty()});
    }
    return attempts;
}

} // namespace

class CourseTest : public QObject {
    Q_OBJECT

private slots:
    // Skills as "attempts smoothed accuracy chords confidence", at a target
    // of 60 kana a minute (1000 ms each).
    void skill_data()
    {
        AddRows<Known>({{"at the target speed", "20*1000h", false, "20 1000 1 - 1"},
            {"twice as fast: accuracy limits it", "30*500h", false, "30 500 1 - 1.053"},
            {"smoothed: a slow start counts a tenth a step", "2000h 1000h", false, "2 1900 1 - 0.1"},
            {"after a pause the time is left out", "19*1000h ph", false, "20 1000 1 - 1"},
            {"fewer than 20 attempts prove little", "10*500h", false, "10 500 1 - 0.5"},
            {"no time yet: no confidence", "ph", false, "1 - 1 - 0"},
            {"accuracy below 95 % limits it", "18*500h 2*500m", false, "20 500 0.9 - 0.9474"},
            {"only the last 20 count for accuracy", "5*500m 20*500h", false, "25 500 1 - 1.053"},
            {"a thumb unit struck as chords", "30*500hc", true, "30 500 1 1 1.053"},
            {"a thumb unit with too few chords", "17*500hc 3*500h", true, "20 500 1 0.85 0.9444"},
            {"a thumb unit hit without a chord (an input method)", "20*500h", true, "20 500 1 0 0"},
            {"a thumb unit typed plain: misses", "20*500m", true, "20 500 0 0 0"}});
    }
    void skill()
    {
        QFETCH(Known, row);
        const Skill skill = SkillOf(attemptsOf(QString::fromLatin1(row.attempts)), row.takesThumb, TargetMs(60));
        const auto number = [](std::optional<double> value) { return value ? QString::number(*value, 'g', 4) : u"-"_qs; };
        QCOMPARE(u"%1 %2 %3 %4 %5"_qs.arg(skill.attempts).arg(number(skill.smoothedMs), number(skill.accuracy), number(skill.chordShare), number(skill.confidence)),
                 QString::fromLatin1(row.skill));
    }

    // The strokes of the course into each kana's attempts: the time from
    // the stroke before, whichever kana it was, unless 5 s or more passed.
    void attemptsFromStrokes()
    {
        CourseAttempts attempts;
        for (const auto &[time, kana, hit] : {std::tuple{1000, u'う', true}, {1400, u'し', false}, {1900, u'う', true}, {6900, u'し', true}, {11899, u'う', true}})
            attempts.add(time, kana, hit, false);
        const Skill u = attempts.of(u'う').skill(false, 1000), shi = attempts.of(u'し').skill(false, 1000);
        QVERIFY(u.attempts == 3 && qFuzzyCompare(*u.smoothedMs, 500 + 0.1 * 4499));
        QVERIFY(shi.attempts == 2 && shi.smoothedMs == 400 && shi.accuracy == 0.5);
    }

    // "attempts/confidence" of each unit in play, oldest first.
    void unlockingAndFocus_data()
    {
        AddRows<Play>({{"every unit learnt: the next joins", "20/1 25/1.2 30/1.5", 4, 0},
            {"one unit short of 20 attempts", "20/1 19/1.2 30/1.5", 3, 0},
            {"one unit not confident", "20/0.99 25/1.2 30/1.5", 3, 0},
            {"the weakest is the focus", "20/1.3 25/0.4 30/1.5", 3, 1},
            {"among equals, the one that came last", "20/0.5 25/0.5 30/0.7", 3, 1},
            {"all units in play: none more", "20/1 20/1 20/1 20/1", 4, 3}});
    }
    void unlockingAndFocus()
    {
        QFETCH(Play, row);
        QList<Skill> skills;
        for (const QString &unit : QString::fromLatin1(row.skills).split(u' '))
            skills.append({unit.section(u'/', 0, 0).toInt(), {}, 0, {}, unit.section(u'/', 1).toDouble()});
        QCOMPARE(UnitsInPlay(skills, 4), row.inPlay);
        QCOMPARE(FocusOf(skills), row.focus);
    }

    // The state in the practice record beside the course's strokes, which
    // starting over keeps but no longer counts; the target speed within its bounds.
    void stateInTheRecord()
    {
        TestProgram program(u"KestovaCourse"_qs);
        const QString path = program.path(u"record.sqlite"_qs);
        for (const auto &[by, time, kana] : {std::tuple{CourseProgram, 1000, u"う"_qs}, {u"KestovaB100"_qs, 2000, u"し"_qs}, {CourseProgram, 3000, u"し"_qs}})
            kestova::record::StrokeRecorder(by, path).add({time, kana, kana, true, 30, true});
        {
            kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"course"_qs, kestova::record::Use::Writing, path);
            QCOMPARE(LoadCourseState(record.database).unitsInPlay, FirstUnits);
            QVERIFY(PrepareCourse(record.database) && SaveCourseState(record.database, {9, 4, 0, {2, 3, 4}}));
            QVERIFY(LoadCourseState(record.database).unitsInPlay == 9 && LoadCourseState(record.database).lessons == 4 && LoadCourseState(record.database).joinedAt == QList<int>({2, 3, 4}));
            const auto attemptsAt = [&](QChar kana) { return ReadCourseAttempts(record.database, LoadCourseState(record.database).since)->of(kana).skill(false, 1000).attempts; };
            QVERIFY(attemptsAt(u'う') == 1 && attemptsAt(u'し') == 1);
            QVERIFY(StartOver(record.database, 2000) && LoadCourseState(record.database).lessons == 0 && LoadCourseState(record.database).unitsInPlay == FirstUnits);
            QVERIFY(attemptsAt(u'う') == 0 && attemptsAt(u'し') == 1);
        }
        QSqlDatabase::removeDatabase(u"course"_qs);
        for (const auto &[saved, loaded] : {std::pair{90, 90}, {20, 30}, {400, 300}}) {
            SaveTargetSpeed(saved);
            QCOMPARE(LoadTargetSpeed(), loaded);
        }
    }

    // Every kana the layout types comes once, home row first, groups in
    // order, the more frequent first within a group.
    void curriculumOrder()
    {
        const QHash<QString, qint64> frequency = KanaFrequency({u"しかし"_qs, u"かて"_qs, u"ぎんが"_qs});
        const QList<Unit> units = Curriculum(frequency);
        QSet<QString> kana, typed;
        for (const Unit &unit : units) { // each typed at its key with its thumb
            kana.insert(unit.kana);
            QCOMPARE(kestova::ThumbShiftEngine().characterOf(unit.keyCode, unit.thumb), unit.kana);
        }
        for (const kestova::KeyFrame &key : kestova::KeyboardLayout)
            typed += QSet<QString>{QString::fromUtf16(key.plain.caption), QString::fromUtf16(key.thumbShift.caption), QString::fromUtf16(key.otherThumb)};
        typed.remove(QString());
        QVERIFY(kana.size() == units.size() && kana == typed);
        QCOMPARE(units.first().kana, u"し"_qs); // the home row's most frequent plain kana
        for (int i = 0; i < FirstUnits; ++i)
            QVERIFY(units[i].row == kestova::KeyRow::Home && units[i].plane == Plane::Plain);
        const auto rank = [&](const QString &k) { return std::find_if(units.cbegin(), units.cend(), [&](const Unit &u) { return u.kana == k; }) - units.cbegin(); };
        QVERIFY(rank(u"て"_qs) < rank(u"う"_qs) && rank(u"か"_qs) < rank(u"た"_qs)); // by frequency within the home and the top row
        QVERIFY(rank(u"を"_qs) < rank(u"か"_qs) && rank(u"か"_qs) < rank(u"ぎ"_qs) && rank(u"ぎ"_qs) < rank(u"、"_qs));
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
    // Lessons as the course grows, the newest unit the focus: 15 words, none
    // twice, each with the focus and only kana in play; made-up ones, of 2
    // to 6 kana, only where too few real words fit.
    void lessonsFromTheWords_data()
    {
        QTest::addColumn<int>("inPlay");
        for (int units : {FirstUnits, 8, 12, 20, 40, 70})
            QTest::newRow(qPrintable(u"%1 units"_qs.arg(units))) << units;
    }
    void lessonsFromTheWords()
    {
        QFETCH(int, inPlay);
        static const QStringList words = shippedWords();
        static const WordSource source(words);
        const QList<Unit> units = Curriculum(KanaFrequency(words));
        QSet<QChar> kana;
        for (int unit = 0; unit < inPlay; ++unit)
            kana.insert(units[unit].kana[0]);
        const QChar focus = units[inPlay - 1].kana[0];
        const auto fits = [&](const QString &word) { return word.contains(focus) && std::all_of(word.cbegin(), word.cend(), [&](QChar k) { return kana.contains(k); }); };
        const qsizetype realOnes = std::count_if(words.cbegin(), words.cend(), fits);
        QRandomGenerator random{quint32(inPlay)};
        const QList<LessonWord> lesson = source.lesson(kana, focus, random);
        QSet<QString> seen;
        for (const LessonWord &word : lesson) {
            QVERIFY2(fits(word.word) && !seen.contains(word.word), qPrintable(word.word));
            QCOMPARE(words.contains(word.word), !word.madeUp);
            QVERIFY(!word.madeUp || (word.word.size() >= 2 && word.word.size() <= 6 && realOnes < LessonLength));
            seen.insert(word.word);
        }
        QCOMPARE(lesson.size(), LessonLength);
    }

    // A model learner types 400 lessons: each kana slow and often wrong at
    // first, faster and surer with each attempt at it. Every unit comes into
    // play, only once every unit before it is learnt, and none leaves; each
    // lesson works on the least known unit, and
    // every word holds its kana, real where 15 real words fit.
    void simulatedLearner()
    {
        static const QStringList words = shippedWords();
        static const WordSource source(words);
        Course course(Curriculum(KanaFrequency(words)));
        QRandomGenerator random(7);
        QHash<QString, int> practised;
        CourseAttempts attempts;
        qint64 now = 0;
        for (int lesson = 0; lesson < 400; ++lesson) {
            const int before = course.inPlay();
            const QList<Skill> &skills = course.weigh(attempts);
            QVERIFY(course.inPlay() >= before);
            for (int unit = 0; unit < before && course.inPlay() > before; ++unit) // joined only when all were learnt
                QVERIFY(skills[unit].confidence >= 1);
            const int focus = course.focus();
            QVERIFY(std::all_of(skills.cbegin(), skills.cend(), [&](const Skill &s) { return s.confidence >= skills[focus].confidence; }));
            const QChar focusKana = course.units()[focus].kana[0];
            for (const LessonWord &word : course.nextLesson(source, random)) {
                QVERIFY(word.word.contains(focusKana));
                for (QChar kana : word.word) {
                    for (bool hit = false; !hit;) { // a wrong kana leaves the word as it is
                        const int n = practised[QString(kana)]++;
                        now += 300 + qint64(1000 * std::exp(-n / 15.0));
                        hit = random.generateDouble() > 0.01 + 0.25 * std::exp(-n / 12.0);
                        attempts.add(now, kana, hit, hit);
                    }
                }
                now += 600;
            }
        }
        QCOMPARE(course.inPlay(), course.units().size());
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    CourseTest course;
    LessonTest lessons;
    return QTest::qExec(&course, argc, argv) | QTest::qExec(&lessons, argc, argv);
}
#include "tst_course.moc"
