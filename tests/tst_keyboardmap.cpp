#include "keyboardmap.h"

#include <QFrame>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <QWidget>

using namespace kestova;

class KeyboardMapTest : public QObject {
    Q_OBJECT

private slots:
    void framesHoldTheirLabelsByTheIndexRule();
    void coloursFollowTheFingers();
    void rowsStandAtTheirPitch();
    void captionsAreSingleUnvoicedKanaOnce();
    void createdWithFramesShownAndKanaHidden();
    void placedAtTheOriginInPixels();
    void hidingAFrameHidesItsLabels();
};

void KeyboardMapTest::framesHoldTheirLabelsByTheIndexRule()
{
    QSet<int> frames, labels;
    for (const KeyFrame &key : KeyboardLayout) {
        frames.insert(key.index);
        if (key.index < 29) {
            QVERIFY(key.thumbShift && key.plain);
            QCOMPARE(key.thumbShift->index, 2 * key.index);
            QCOMPARE(key.plain->index, 2 * key.index + 1);
        }
        if (key.thumbShift)
            labels.insert(key.thumbShift->index);
        if (key.plain)
            labels.insert(key.plain->index);
    }
    const KeyFrame &frame29 = KeyboardLayout[9];
    const KeyFrame &frame30 = KeyboardLayout[10];
    QCOMPARE(frame29.index, 29);
    QVERIFY(!frame29.plain && frame29.thumbShift->index == 58);
    QCOMPARE(QString::fromUtf16(frame29.thumbShift->caption), u"ぇ"_qs);
    QCOMPARE(frame30.index, 30);
    QVERIFY(!frame30.thumbShift && frame30.plain->index == 59);
    QCOMPARE(QString::fromUtf16(frame30.plain->caption), u"、"_qs);
    QCOMPARE(frames.size(), FrameCount);
    QCOMPARE(labels.size(), LabelCount);
}

void KeyboardMapTest::coloursFollowTheFingers()
{
    const QList<QPair<QRgb, QList<int>>> fingers = {
        {qRgb(255, 192, 192), {0, 9, 10, 19, 20, 29, 30}},
        {qRgb(255, 224, 192), {1, 8, 11, 18, 21, 28}},
        {qRgb(255, 255, 192), {2, 7, 12, 17, 22, 27}},
        {qRgb(192, 255, 192), {3, 4, 13, 14, 23, 24}},
        {qRgb(192, 255, 255), {5, 6, 15, 16, 25, 26}},
    };
    for (const KeyFrame &key : KeyboardLayout) {
        const auto finger = std::find_if(fingers.begin(), fingers.end(), [&](const auto &f) {
            return f.second.contains(key.index);
        });
        QVERIFY(finger != fingers.end());
        QCOMPARE(key.finger, finger->first);
    }
}

void KeyboardMapTest::rowsStandAtTheirPitch()
{
    for (const KeyFrame &key : KeyboardLayout) {
        const int k = key.index;
        if (k >= 20) {
            QCOMPARE(key.row, KeyRow::Top);
            QCOMPARE(QPoint(key.left, key.top), QPoint(360 * (k - 20), 0));
        } else if (k >= 10) {
            QCOMPARE(key.row, KeyRow::Home);
            QCOMPARE(QPoint(key.left, key.top), QPoint(120 + 360 * (k - 10), 360));
        } else {
            QCOMPARE(key.row, KeyRow::Bottom);
            QCOMPARE(QPoint(key.left, key.top), QPoint(240 + 360 * k, 720));
        }
    }
}

void KeyboardMapTest::captionsAreSingleUnvoicedKanaOnce()
{
    QMap<QString, QList<int>> where;
    for (const KeyFrame &key : KeyboardLayout) {
        for (const auto &label : {key.thumbShift, key.plain}) {
            if (label)
                where[QString::fromUtf16(label->caption)].append(label->index);
        }
    }
    for (auto it = where.cbegin(); it != where.cend(); ++it) {
        const QString &caption = it.key();
        QCOMPARE(caption.size(), 1);
        // A voiced or semi-voiced kana decomposes into its base and a mark.
        QVERIFY2(caption.normalized(QString::NormalizationForm_D).size() == 1, qPrintable(caption));
        QVERIFY(caption != u"，" && caption != u"．");
        if (caption == u"。") {
            QList<int> indices = it.value();
            std::sort(indices.begin(), indices.end());
            QCOMPARE(indices, QList<int>({1, 41}));
        } else {
            QCOMPARE(it.value().size(), 1);
        }
    }
    QCOMPARE(where.size(), 59);
}

void KeyboardMapTest::createdWithFramesShownAndKanaHidden()
{
    QWidget window;
    const KeyboardMap map = BuildKeyboardMap(&window, {120, 120});
    for (int k = 0; k < FrameCount; ++k) {
        QFrame *frame = window.findChild<QFrame *>(QStringLiteral("Frame1_%1").arg(k));
        QCOMPARE(frame, map.Frame1[k]);
        QVERIFY(!frame->isHidden());
        QCOMPARE(frame->palette().color(QPalette::Window).rgb(),
                 std::find_if(KeyboardLayout.begin(), KeyboardLayout.end(),
                              [k](const KeyFrame &f) { return f.index == k; })
                         ->finger);
    }
    for (int i = 0; i < LabelCount; ++i) {
        QLabel *label = window.findChild<QLabel *>(QStringLiteral("Label1_%1").arg(i));
        QCOMPARE(label, map.Label1[i]);
        QVERIFY(label->isHidden());
        const int frame = i < 58 ? i / 2 : (i == 58 ? 29 : 30);
        QCOMPARE(label->parentWidget(), map.Frame1[frame]);
        QCOMPARE(label->pos(), QPoint(8, 12));
        const bool thumbShift = i < 58 ? i % 2 == 0 : i == 58;
        const QColor text = label->palette().color(QPalette::WindowText);
        QCOMPARE(text == QColor(255, 0, 0), thumbShift);
    }
}

void KeyboardMapTest::placedAtTheOriginInPixels()
{
    QWidget window;
    const KeyboardMap map = BuildKeyboardMap(&window, {360, 3420});
    QCOMPARE(map.Frame1[20]->geometry(), QRect(24, 228, 25, 29));
    QCOMPARE(map.Frame1[30]->geometry(), QRect(24 + 240, 228, 25, 29));
    QCOMPARE(map.Frame1[10]->pos(), QPoint(24 + 8, 228 + 24));
    QCOMPARE(map.Frame1[0]->pos(), QPoint(24 + 16, 228 + 48));
    QCOMPARE(map.Frame1[9]->pos(), QPoint(24 + 232, 228 + 48));
}

void KeyboardMapTest::hidingAFrameHidesItsLabels()
{
    QWidget window;
    const KeyboardMap map = BuildKeyboardMap(&window, {120, 120});
    window.show();
    map.Label1[57]->setVisible(true);
    QVERIFY(map.Label1[57]->isVisible());
    map.Frame1[28]->setVisible(false);
    QVERIFY(!map.Label1[57]->isVisible());
    QVERIFY(!map.Label1[57]->isHidden());
    map.Frame1[28]->setVisible(true);
    QVERIFY(map.Label1[57]->isVisible());
}

QTEST_MAIN(KeyboardMapTest)
#include "tst_keyboardmap.moc"
