#include "frame1.h"
#include "testseams.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QTest>

using keydrill::Frame1;

class KeyDrillTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void opensWithTheMapAndNoKana();
    void firstStepHidesKeyZeroAndNeverShowsIt();
    void noKeyComesTwiceInARow();
    void typedKanaStepsAsKeyEventCommitOrPreedit_data();
    void typedKanaStepsAsKeyEventCommitOrPreedit();
    void otherInputChangesNothing_data();
    void otherInputChangesNothing();
    void fullStopStepsFromEitherOfItsKeys_data();
    void fullStopStepsFromEitherOfItsKeys();
    void everyActivationSteps();
    void unreadableCounterEndsTheDrillWithoutItsOwnMessage();

private:
    static QList<int> shownKeys(const Frame1 &window);
    static QString shownCaption(const Frame1 &window);
    static void activate(Frame1 &window);

    std::unique_ptr<PlatformSeams> seams;
};

void KeyDrillTest::init()
{
    seams = std::make_unique<PlatformSeams>();
}

QList<int> KeyDrillTest::shownKeys(const Frame1 &window)
{
    QList<int> shown;
    for (int i = 0; i < kestova::LabelCount; ++i) {
        if (!window.Label1[i]->isHidden())
            shown.append(i);
    }
    return shown;
}

QString KeyDrillTest::shownCaption(const Frame1 &window)
{
    const QList<int> shown = shownKeys(window);
    return shown.size() == 1 ? window.Label1[shown[0]]->text() : QString();
}

void KeyDrillTest::activate(Frame1 &window)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activation);
}

void KeyDrillTest::opensWithTheMapAndNoKana()
{
    Frame1 window;
    QCOMPARE(window.windowTitle(), u"KestovaB 1.00"_qs);
    QCOMPARE(window.size(), QSize(279, 122));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(shownKeys(window).isEmpty());
    for (QFrame *frame : window.Frame1Array)
        QVERIFY(!frame->isHidden());
    QCOMPARE(window.Label2->text(), u"IMEの変換モードを「無変換」にしてください。"_qs);
    QCOMPARE(window.Label2->pos(), QPoint(32, 96));
    QCOMPARE(window.findChild<QLabel *>(u"Label1_41"_qs), window.Label1[41]);
}

void KeyDrillTest::firstStepHidesKeyZeroAndNeverShowsIt()
{
    ScriptedGenerator generator;
    // The first draw lands on key 0, the second on key 5.
    generator.values = {0.0f, 5.5f / 60};
    GeneratorSeam useGenerator(&generator);
    Frame1 window;
    window.Label1[0]->setVisible(true);
    activate(window);
    QCOMPARE(generator.draws, 2);
    QCOMPARE(shownKeys(window), QList<int>{5});
}

void KeyDrillTest::noKeyComesTwiceInARow()
{
    Frame1 window;
    activate(window);
    QSet<int> seen;
    int previous = shownKeys(window).value(0, -1);
    for (int step = 0; step < 600; ++step) {
        QTest::sendKeyEvent(QTest::Click, &window, Qt::Key_unknown, shownCaption(window),
                            Qt::NoModifier);
        const QList<int> shown = shownKeys(window);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0] != previous);
        previous = shown[0];
        seen.insert(previous);
    }
    QVERIFY2(seen.size() > 50, "the drill keeps to a few keys");
    QVERIFY(ShownMessages().isEmpty());
}

void KeyDrillTest::typedKanaStepsAsKeyEventCommitOrPreedit_data()
{
    QTest::addColumn<QString>("route");
    QTest::newRow("key event") << u"key"_qs;
    QTest::newRow("input-method commit") << u"commit"_qs;
    QTest::newRow("kana held as preedit") << u"preedit"_qs;
}

void KeyDrillTest::typedKanaStepsAsKeyEventCommitOrPreedit()
{
    QFETCH(QString, route);
    Frame1 window;
    activate(window);
    const QList<int> before = shownKeys(window);
    const QString kana = shownCaption(window);
    if (route == u"key") {
        QTest::sendKeyEvent(QTest::Click, &window, Qt::Key_unknown, kana, Qt::NoModifier);
    } else {
        QInputMethodEvent event(route == u"preedit" ? kana : QString(), {});
        if (route == u"commit")
            event.setCommitString(kana);
        QCoreApplication::sendEvent(&window, &event);
    }
    QCOMPARE(shownKeys(window).size(), 1);
    QVERIFY(shownKeys(window) != before);
    QVERIFY(ShownMessages().isEmpty());
}

void KeyDrillTest::otherInputChangesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("asPreedit");
    QTest::newRow("katakana for hiragana") << u"katakana"_qs << false;
    QTest::newRow("kana on no key") << u"が"_qs << false;
    QTest::newRow("outside the code page") << u"😀"_qs << false;
    QTest::newRow("romaji preedit") << u"k"_qs << true;
    QTest::newRow("control key") << u"\b"_qs << false;
}

void KeyDrillTest::otherInputChangesNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, asPreedit);
    Frame1 window;
    activate(window);
    const QList<int> before = shownKeys(window);
    if (typed == u"katakana") {
        // Katakana stand 0x60 above the hiragana of the same sound.
        const char16_t shown = shownCaption(window)[0].unicode();
        typed = shown >= u'ぁ' && shown <= u'ゖ' ? QString(QChar(shown + 0x60)) : u"ア"_qs;
    }
    if (asPreedit) {
        QInputMethodEvent event(typed, {});
        QCoreApplication::sendEvent(&window, &event);
    } else {
        QTest::sendKeyEvent(QTest::Click, &window, Qt::Key_unknown, typed, Qt::NoModifier);
    }
    QCOMPARE(shownKeys(window), before);
    QVERIFY(ShownMessages().isEmpty());
}

void KeyDrillTest::fullStopStepsFromEitherOfItsKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("bottom row") << 1;
    QTest::newRow("top row") << 41;
}

void KeyDrillTest::fullStopStepsFromEitherOfItsKeys()
{
    QFETCH(int, key);
    ScriptedGenerator generator;
    generator.values = {(key + 0.5f) / 60, 30.5f / 60};
    GeneratorSeam useGenerator(&generator);
    Frame1 window;
    activate(window);
    QCOMPARE(shownKeys(window), QList<int>{key});
    QTest::sendKeyEvent(QTest::Click, &window, Qt::Key_unknown, u"。"_qs, Qt::NoModifier);
    QCOMPARE(shownKeys(window), QList<int>{30});
}

void KeyDrillTest::everyActivationSteps()
{
    Frame1 window;
    activate(window);
    for (int i = 0; i < 20; ++i) {
        const QList<int> before = shownKeys(window);
        activate(window);
        QCOMPARE(shownKeys(window).size(), 1);
        QVERIFY(shownKeys(window) != before);
    }
}

void KeyDrillTest::unreadableCounterEndsTheDrillWithoutItsOwnMessage()
{
    Frame1 window;
    activate(window);
    const QString kana = shownCaption(window);
    CounterSeam counter(std::nullopt);
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, QTest::sendKeyEvent(QTest::Click, &window,
                                                               Qt::Key_unknown, kana,
                                                               Qt::NoModifier));
    QCOMPARE(ShownMessages().size(), 1);
    QCOMPARE(ShownMessages()[0].title, u"Zodavoz"_qs);
}

QTEST_MAIN(KeyDrillTest)
#include "tst_keydrill.moc"
