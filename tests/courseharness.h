#pragma once
// The course's window as a test meets it: its record holding a course state
// and, where asked, a history of the first kana; typed at key by key.

#include "coursestate.h"
#include "coursewindow.h"
#include "curriculum.h"
#include "harness.h"
#include "kanamap.h"
#include "strokerecorder.h"
#include "typingbox.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>

using namespace kestova::course;

// Two days of the course before today, each kana of "しうと" typed 13
// times in a row at 300 ms, save the first three of each day: し at 1.5 s
// (it loosens most overnight), と at 600 ms, う at 300 ms like the rest.
inline QList<kestova::Attempt> LoosenedHistory()
{
    QList<kestova::Attempt> history;
    for (int daysAgo : {2, 1}) {
        qint64 at = QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(10, 0)).toMSecsSinceEpoch();
        for (const auto &[kana, coldGap] : {std::pair{u"し"_s, 1500}, {u"う"_s, 300}, {u"と"_s, 600}}) {
            for (int i = 0; i < 13; ++i)
                history.append({kana, kana, true, at += i < 3 ? coldGap : 300});
        }
    }
    return history;
}

class CourseUnderTest {
public:
    CourseUnderTest(const CourseState &state, qint64 gapMs = 0, const QList<kestova::Attempt> &before = {})
    {
        {
            kestova::record::StrokeRecorder history(CourseProgram, path);
            for (const kestova::Attempt &attempt : before)
                history.add(attempt);
            const QList<Unit> first = Curriculum().first(FirstUnits);
            for (int i = 0; gapMs && i < 10 * FirstUnits; ++i)
                history.add({first[i % FirstUnits].kana, first[i % FirstUnits].kana, true, QDateTime::currentMSecsSinceEpoch() - 3'600'000 + i * gapMs});
        }
        {
            kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"set"_s, kestova::record::Use::Writing, path);
            SaveCourseState(record.database, state);
        }
        QSqlDatabase::removeDatabase(u"set"_s);
        window.emplace(path);
        recording.emplace(CourseProgram, window->judgements, &*window, path);
        window->show();
    }
    QChar asked() const { return window->currentWord->text().at(0); }
    Unit unit() const
    {
        const QList<Unit> &units = window->state().units();
        return *std::find_if(units.cbegin(), units.cend(), [&](const Unit &u) { return u.kana[0] == asked(); });
    }
    // "K+0 H+20 K-80 H-90" for the asked kana's key K, the thumb it takes H
    // (the left for a plain kana), the other thumb O and another key N,
    // from now on.
    void type(const QString &keys)
    {
        const bool right = unit().thumb == kestova::ThumbHand::Right;
        QStringList events;
        for (const QString &event : keys.split(u' ')) {
            const qsizetype sign = event.indexOf(QRegularExpression(u"[-+]"_s));
            QString key = event.left(sign); // K the kana's key, H its thumb, O the other thumb
            if (key == u"K" || key == u"N")
                key = key == u"K" ? u"#%1"_s.arg(unit().keyCode) : unit().keyCode == 38 ? u"s"_s : u"a"_s;
            else if (key == u"H" || key == u"O")
                key = QString((key == u"H") == right ? u'R' : u'L');
            events.append(key + event[sign] + QString::number(at + event.mid(sign + 1).toLongLong()));
        }
        SendKeys(window->typingBox, events.join(u' '));
        at += 1000;
    }
    void typeRight() { type(unit().thumb == kestova::ThumbHand::None ? u"K+0 K-30"_s : u"K+0 H+20 K-80 H-90"_s); }
    // A kana clicked on the map, and the `action` of its menu chosen.
    void chooseOnMap(const QString &kana, int action)
    {
        kestova::KanaMap *map = window->map;
        QPoint at;
        for (int y = 0; y < map->height() && at.isNull(); y += 2) {
            for (int x = 0; x < map->width() && at.isNull(); x += 2)
                at = map->kanaAt(QPointF(x, y)) == kana ? QPoint(x, y) : QPoint();
        }
        QTimer::singleShot(0, [action] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            menu->close();
            menu->actions()[action]->trigger();
        });
        QTest::mouseClick(map, Qt::LeftButton, {}, at);
    }
    // The lesson in hand typed right to its end, and the next one's focus.
    QString focusOfNextLesson()
    {
        while (window->currentWord->isVisible()) {
            typeRight();
            QCoreApplication::processEvents();
        }
        window->nextLesson->click();
        return window->focusKana->text();
    }

    TestProgram program{u"KestovaCourse"_s};
    const QString path = program.path(u"record.sqlite"_s);
    std::optional<CourseWindow> window;
    std::optional<kestova::PracticeRecording> recording;
    qint64 at = 100'000;
};

