// The key position drill and the keyboard map it shows.
#include "frame1.h"
#include "harness.h"

#include <QInputMethodEvent>

using namespace Qt::StringLiterals;

using keydrill::Frame1;

namespace {

void activate(Frame1 &window)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activation);
}

QString shownKana(const Frame1 &window)
{
    const QList<int> shown = ShownLabels(window.Label1);
    return shown.size() == 1 ? window.Label1[shown[0]]->text() : QString();
}

// "=" types the shown kana, "katakana" the katakana of its sound.
struct Step { const char *name; QList<int> labels; QString typed; QList<int> shown; };
struct Input { const char *name; QString typed; enum { Key, Commit, Preedit } route; bool steps; };

} // namespace

class KeyDrillTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgram> program;

private slots:
    void init()
    {
        program.reset(); // the last test's gone before the next one sets up
        program = std::make_unique<TestProgram>(u"KestovaB"_s);
    }

    // The map as drawn: its frames with no kana, then the kana of the thumb
    // (red), then the plain ones, each at its key.
    void mapShowsEveryKanaAtItsKey()
    {
        Frame1 window;
        QVERIFY(ShownLabels(window.Label1).isEmpty());
        QVERIFY(LooksLikeItsPicture(&window, u"keydrill"_s));
        for (const QString shown : {u"thumb"_s, u"plain"_s}) {
            for (int i = 0; i < kestova::LabelCount; ++i)
                window.Label1[i]->setVisible((i < 58 ? i % 2 == 0 : i == 58) == (shown == u"thumb"));
            QVERIFY(LooksLikeItsPicture(&window, u"keydrill-"_s + shown));
        }
    }

    // Scripted draws: label 0 is hidden by the first step and never shown;
    // "。" steps on from either of its keys.
    void scriptedSteps_data()
    {
        AddRows<Step>({{"label 0 drawn again", {0, 5}, {}, {5}}, {"。 on the top row", {1, 30}, u"。"_s, {30}}, {"。 on Z", {41, 30}, u"。"_s, {30}}});
    }
    void scriptedSteps()
    {
        QFETCH(Step, row);
        QList<float> draws;
        for (int label : row.labels)
            draws.append((label + 0.5f) / 60);
        ScriptedGenerator generator(draws);
        Frame1 window;
        window.Label1[0]->setVisible(true);
        activate(window);
        TypeText(&window, row.typed);
        QCOMPARE(ShownLabels(window.Label1), row.shown);
        QCOMPARE(generator.draws, 2);
    }

    // Typing the shown kana, or activating the window, steps to another key.
    void stepsNeverShowTheSameKeyTwice()
    {
        Frame1 window;
        activate(window);
        QSet<int> seen;
        for (int step = 0; step < 620; ++step) {
            const QList<int> before = ShownLabels(window.Label1);
            step < 600 ? TypeText(&window, shownKana(window)) : activate(window);
            const QList<int> shown = ShownLabels(window.Label1);
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown != before);
            seen.insert(shown[0]);
        }
        QVERIFY2(seen.size() > 50, "the drill keeps to a few keys");
        QVERIFY(ShownMessages().isEmpty());
    }

    void input_data()
    {
        AddRows<Input>({{"key event", u"="_s, Input::Key, true}, {"input-method commit", u"="_s, Input::Commit, true},
            {"kana held as preedit", u"="_s, Input::Preedit, true}, {"katakana for hiragana", u"katakana"_s, Input::Key, false},
            {"kana on no key", u"が"_s, Input::Key, false}});
    }
    void input()
    {
        QFETCH(Input, row);
        Frame1 window;
        activate(window);
        const QList<int> before = ShownLabels(window.Label1);
        const char16_t kana = shownKana(window)[0].unicode();
        if (row.typed == u"=")
            row.typed = QString(QChar(kana));
        else if (row.typed == u"katakana")
            row.typed = kana >= u'ぁ' && kana <= u'ゖ' ? QString(QChar(kana + 0x60)) : u"ア"_s;
        if (row.route == Input::Key) {
            QTest::sendKeyEvent(QTest::Click, &window, Qt::Key_unknown, row.typed, Qt::NoModifier);
        } else {
            QInputMethodEvent event(row.route == Input::Preedit ? row.typed : QString(), {});
            event.setCommitString(row.route == Input::Commit ? row.typed : QString());
            QCoreApplication::sendEvent(&window, &event);
        }
        QCOMPARE(ShownLabels(window.Label1).size(), 1);
        QCOMPARE(ShownLabels(window.Label1) != before, row.steps);
        QVERIFY(ShownMessages().isEmpty());
    }

    // Control keys are the drill's own business, never an attempt in the
    // record; a wrong printable key is a miss.
    void recordKeepsMissesNotControlKeys()
    {
        Frame1 window;
        activate(window);
        QCOMPARE(RecordedOfControlKeysAndAMiss(*program, window.judgements, &window), QStringList{u"1 0"_s});
    }
};

QTEST_MAIN(KeyDrillTest)
#include "tst_keydrill.moc"
