// Typed characters as the trainers receive them: key events, input-method
// commits and kana held as preedit each raise the classic key press first.
#include "harness.h"
#include "typingbox.h"

#include <QInputMethodEvent>

using namespace kestova;

namespace {
struct Route { const char *name; enum { Key, Commit, Preedit } route; QString text, pressed, inBox; };
}

class TypingTest : public QObject {
    Q_OBJECT

private slots:
    // Like the trainers, the handler empties the box: it then shows what came
    // last, but never a kana that no input method answered for.
    void typingBoxRaisesTheKeyPressFirst_data()
    {
        AddRows<Route>({{"key event", Route::Key, u"か"_qs, u"か"_qs, u"か"_qs}, {"input-method commit", Route::Commit, u"かき"_qs, u"かき"_qs, u"かき"_qs},
            {"kana held as preedit", Route::Preedit, u"く"_qs, u"く"_qs, {}}, {"romaji preedit", Route::Preedit, u"k"_qs, {}, {}},
            {"key without text", Route::Key, {}, {}, {}}, {"outside the code page", Route::Key, u"😀"_qs, u"?"_qs, u"😀"_qs}});
    }
    void typingBoxRaisesTheKeyPressFirst()
    {
        QFETCH(Route, row);
        QString pressed;
        TypingBox *box = nullptr;
        box = new TypingBox([&](qint16 &KeyAscii) { pressed += CharacterFromKeyAscii(KeyAscii), box->clear(); }, nullptr);
        std::unique_ptr<TypingBox> owner(box);
        if (row.route == Route::Key) {
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, row.text, Qt::NoModifier);
        } else {
            QInputMethodEvent event(row.route == Route::Preedit ? row.text : QString(), {});
            event.setCommitString(row.route == Route::Commit ? row.text : QString());
            QCoreApplication::sendEvent(box, &event);
        }
        QCOMPARE(pressed, row.pressed);
        QCOMPARE(box->text(), row.inBox);
    }
};

QTEST_MAIN(TypingTest)
#include "tst_typing.moc"
