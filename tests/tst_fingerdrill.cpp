#include "form1.h"

#include "autosizelabel.h"
#include "harness.h"
#include "inifile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

using fingerdrill::Form1;

namespace {

const QStringList OneFinger = {u"左小指"_s, u"左薬指"_s, u"左中指"_s, u"左人差指左"_s, u"左人差指右"_s,
                               u"右人差指左"_s, u"右人差指右"_s, u"右中指"_s, u"右薬指"_s, u"右小指"_s};
const QStringList TwoFingers = {u"左小指"_s, u"左薬・中指"_s, u"左人差指"_s, u"右人差指"_s, u"右中・薬指"_s, u"右小指"_s, {}, {}, {}, {}};
const QStringList Lists = {u"あいうえおか"_s, u"きくけこさし"_s, u"すせそたちつ"_s, u"てとなにぬね"_s, u"のはひふへほ"_s,
                           u"まみむめもや"_s, u"ゆよらりるれ"_s, u"ろわをんがぎ"_s, u"ぐげござじず"_s, u"ぜぞだぢづで"_s,
                           u"アイウエオカ"_s, u"キクケコサシ"_s, u"スセソタチツ"_s, u"テトナニヌネ"_s, u"ノハヒフヘホ"_s, u"マミムメモヤ"_s};

// Both groups, six distinct kana for each finger; `extra` follows as it stands.
QString drillFile(const QString &extra = {})
{
    QString text = u"[指１本]\n文字数=6\n"_s;
    for (int i = 0; i < 16; ++i) {
        if (i == 10)
            text += u"[指２本]\n文字数=6\n"_s;
        text += (i < 10 ? OneFinger[i] : TwoFingers[i - 10]) + u'=' + Lists[i].split(QString(), Qt::SkipEmptyParts).join(u'\t') + u'\n';
    }
    return text + extra;
}

// The drill row, or the echo row, with "_" for an empty label.
QString row(const Form1 &window, bool echo = false)
{
    QString text;
    for (QLabel *label : echo ? window.Label2 : window.Label1)
        text += label->text().isEmpty() ? u"_"_s : label->text();
    return text;
}

bool onlyFrom(const QString &text, const QString &kana)
{
    return std::all_of(text.begin(), text.end(), [&](QChar c) { return kana.contains(c); });
}

template <typename Widgets>
QStringList textsOf(const Widgets &widgets)
{
    QStringList texts;
    for (auto *widget : widgets)
        texts.append(widget->text());
    return texts;
}

// Types the next `count` characters of the line correctly.
void typeLine(Form1 &window, int count)
{
    for (int i = 0; i < count; ++i)
        TypeText(window.Text1, window.Label1[row(window, true).indexOf(u'_')]->text());
}

// As the user picks from the list: the arrow keys on the closed box.
void chooseGroup(Form1 &window, int index)
{
    window.Combo1->setFocus();
    while (window.Combo1->currentIndex() != index)
        QTest::keyClick(window.Combo1, index > window.Combo1->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
}

struct Drawing { const char *name; QString section, line, drawn; };
struct Tick { const char *name; QString stored, shown, afterTwo; };
struct BadData { const char *name; QString line, message; };

} // namespace

class FingerDrillTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgram> program;

    QString seconds(const QString &finger) const { return GetIniString(u"秒数"_s, finger, program->path(u"Mirelo.ini"_s)); }
    std::unique_ptr<Form1> loaded(const QString &file) { return program->loaded<Form1>(u"Mirelo.ini"_s, file); }

private slots:
    void init()
    {
        program.reset(); // the last test's gone before the next one sets up
        program = std::make_unique<TestProgram>(u"Kestova"_s);
    }

    void opensAsDesigned()
    {
        Form1 window;
        QVERIFY(LooksLikeItsPicture(&window, u"fingerdrill"_s));
    }

    // The first group's left little finger, its seconds saved at once; with
    // no file at all the line keeps its placeholders and no box comes.
    void startUp()
    {
        for (const QString &file : {drillFile(u"[秒数]\n左中指=41\n"_s), QString()}) {
            init();
            auto window = loaded(file);
            QCOMPARE(window->Combo1->currentText(), u"指１本"_s);
            QCOMPARE(textsOf(window->Command1), OneFinger);
            for (int i = 0; i < 10; ++i) {
                const QString expected = !file.isNull() && i == 2 ? u"41"_s : u"0"_s;
                QVERIFY(window->Label4[i]->text() == expected);
                QCOMPARE(seconds(OneFinger[i]), expected);
            }
            QCOMPARE(seconds(u"左人差指"_s), QString());
            QVERIFY2(file.isNull() ? row(*window) == u"Label1"_s.repeated(20) : onlyFrom(row(*window), Lists[0]), qPrintable(row(*window)));
            QCOMPARE(row(*window, true), QString(20, u'_'));
            QCOMPARE(window->focusWidget(), window->Text1);
            QVERIFY(ShownMessages().isEmpty());
        }
    }

    // Strictly left to right; the twentieth hit draws a new line.
    void twentiethHitDrawsANewLine()
    {
        ScriptedGenerator generator({1.5f / 6, 2.5f / 6, 3.5f / 6, 4.5f / 6, 5.5f / 6}); // entries 1..5
        auto window = loaded(drillFile());
        const int drawsForOneLine = generator.draws;
        QCOMPARE(row(*window), u"いうえおか"_s.repeated(4));
        TypeText(window->Text1, u"うい"_s + u"いう"_s); // strictly from the left: a miss, or the same kana again, changes nothing
        QCOMPARE(row(*window, true), u"いう"_s + QString(18, u'_'));
        typeLine(*window, 17);
        QCOMPARE(generator.draws, drawsForOneLine);
        typeLine(*window, 1);
        QCOMPARE(generator.draws, 2 * drawsForOneLine);
        QCOMPARE(row(*window, true), QString(20, u'_'));
        TypeText(window->Text1, u"うい"_s); // checked again from the first position
        QCOMPARE(row(*window, true), u"い"_s + QString(19, u'_'));
    }

    // Neighbours differ, the first never shows entry 0, only the first count entries come.
    void drawing_data()
    {
        AddRows<Drawing>({{"count of two alternates from entry 1", u"文字数=2\n左小指=か\tき\tく"_s, u"きか"_s.repeated(10), u"かき"_s},
                          {"only the first count entries", u"文字数=3\n左小指=か\tき\tく\tけ\tこ"_s, {}, u"かきく"_s},
                          {"an empty entry, never typed", u"文字数=2\n左小指=あ\t\tい"_s, u"_あ"_s.repeated(10), u"あ_"_s}});
    }
    void drawing()
    {
        QFETCH(Drawing, row);
        auto window = loaded(drillFile(u"[指３本]\n"_s + row.section + u'\n'));
        window->Combo1->addItem(u"指３本"_s); // a third group, drawn from its own section
        window->Combo1->setCurrentIndex(2);
        window->Combo1_Click();
        QSet<QChar> seen;
        for (int round = 0; round < 30; ++round) {
            const QString text = ::row(*window);
            QVERIFY2(row.line.isEmpty() || text == row.line, qPrintable(text));
            for (int i = 0; i < 20; ++i)
                QVERIFY2(text[i] != (i ? text[i - 1] : row.drawn[0]), qPrintable(text));
            seen.unite(QSet<QChar>(text.begin(), text.end()));
            round % 2 ? window->Combo1_Click() : typeLine(*window, 20);
        }
        QCOMPARE(seen, QSet<QChar>(row.drawn.begin(), row.drawn.end()));
    }

    // Group changes save the group left before loading the new one; the two
    // little fingers share one tally; buttons without caption do nothing.
    void switchingGroupsKeepsEveryTally()
    {
        auto window = loaded(drillFile(u"[秒数]\n左小指=30\n右小指=7\n右人差指=5\n右薬指=3\n"_s));
        window->show();
        window->Command1[8]->click();
        for (int tick = 0; tick < 4; ++tick)
            window->Timer1_Timer();
        QVERIFY(window->Label4[8]->text() == u"7");
        QCOMPARE(seconds(u"右薬指"_s), u"3");
        typeLine(*window, 5);
        window->Command1[3]->click(); // mid-line: a new line, checked from its start
        QCOMPARE(row(*window, true), QString(20, u'_'));
        QVERIFY(onlyFrom(row(*window), Lists[3]));

        chooseGroup(*window, 1);
        QCOMPARE(seconds(u"右薬指"_s), u"7"_s);
        QCOMPARE(textsOf(window->Command1), TwoFingers);
        QVERIFY(std::none_of(window->Command1.begin(), window->Command1.end(), [](QPushButton *b) { return b->isHidden(); }));
        QCOMPARE(textsOf(window->Label4), (QStringList{u"30"_s, u"0"_s, u"0"_s, u"5"_s, u"0"_s, u"7"_s, {}, {}, {}, {}}));
        QVERIFY(onlyFrom(row(*window), Lists[10]));
        QVERIFY(window->focusWidget() == window->Text1);
        typeLine(*window, 3);
        const QString drawn = row(*window), echo = row(*window, true);
        QTest::mouseClick(window->Command1[7], Qt::LeftButton); // no finger: nothing, and the keys still go to the box
        QCOMPARE(row(*window), drawn);
        QCOMPARE(row(*window, true), echo);
        QVERIFY(window->focusWidget() == window->Text1);
        window->Timer1_Timer();
        QVERIFY(window->Label4[0]->text() == u"31");
        QVERIFY(window->Label4[7]->text().isEmpty());

        PutIniString(u"秒数"_s, u"左薬指"_s, u"99"_s, program->path(u"Mirelo.ini"_s)); // the second group's saves leave it
        chooseGroup(*window, 0);
        QCOMPARE(textsOf(window->Label4), (QStringList{u"31"_s, u"99"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"7"_s, u"7"_s}));
        QCOMPARE(seconds(u"左薬・中指"_s), u"0"_s);
        chooseGroup(*window, 1);
        window->Timer1_Timer();
        window->close();
        QCOMPARE(seconds(u"左小指"_s), u"32"_s);
        QCOMPARE(loaded(QString())->Label4[0]->text(), u"32"_s);
    }

    // Two windows on one file both count: each adds what it practised.
    void twoWindowsOnOneFileBothCount()
    {
        program->write(u"Mirelo.ini"_s, drillFile(u"[秒数]\n左小指=10\n"_s));
        auto first = loaded(QString()), second = loaded(QString());
        for (int tick = 0; tick < 3; ++tick) {
            first->Timer1_Timer();
            second->Timer1_Timer();
        }
        first->Timer1_Timer();
        first->close();
        second->close();
        QCOMPARE(seconds(u"左小指"_s), u"17"_s);
    }

    void tick_data()
    {
        AddRows<Tick>({{"never practised", {}, u"0"_s, u"2"_s}, {"with a fraction", u"12.5"_s, u"12.5"_s, u"14.5"_s},
                       {"large", u"99999999999999"_s, u"99999999999999"_s, u"100000000000001"_s},
                       {"edited by hand", u"たくさん"_s, u"たくさん"_s, u"たくさん"_s}});
    }
    void tick()
    {
        QFETCH(Tick, row);
        auto window = loaded(drillFile(row.stored.isEmpty() ? QString() : u"[秒数]\n右中指=%1\n"_s.arg(row.stored)));
        window->Command1[7]->click();
        QCOMPARE(window->Label4[7]->text(), row.shown);
        window->Timer1_Timer();
        window->Timer1_Timer();
        QVERIFY(window->Label4[7]->text() == row.afterTwo);
        QVERIFY(window->Label4[0]->text() == u"0");
        QVERIFY(window->Label4[7]->width() >= window->Label4[7]->sizeHint().width());
        window->close();
        QCOMPARE(seconds(u"右中指"_s), row.afterTwo);
        QVERIFY(ShownMessages().isEmpty());
    }

    // After the twentieth hit a box names what is wrong; after a click the
    // same fault passes silently and the rest of the old line stays.
    void badData_data()
    {
        const QString where = u"Mirelo.ini の [指１本] "_s;
        AddRows<BadData>({{"list gone", u"左小指="_s, where + u"に「左小指」の文字がありません。"_s},
            {"count gone", u"文字数="_s, where + u"に「文字数」がありません。"_s},
            {"count 1", u"文字数=1"_s, where + u"の「文字数」は 2 以上にしてください（「1」）。"_s},
            {"count 0", u"文字数=0"_s, where + u"の「文字数」は 2 以上にしてください（「0」）。"_s},
            {"count too large", u"文字数=40000"_s, where + u"の「文字数」が -32768 から 32767 の範囲にありません（「40000」）。"_s},
            {"count no number", u"文字数=六"_s, where + u"の「文字数」が数値ではありません（「六」）。"_s},
            {"count above the list", u"文字数=90"_s, where + u"の「左小指」には文字が 6 個しかありません（「文字数」は 90）。"_s}});
    }
    void badData()
    {
        QFETCH(BadData, row);
        auto window = loaded(drillFile());
        typeLine(*window, 19);
        PutIniString(u"指１本"_s, row.line.section(u'=', 0, 0), row.line.section(u'=', 1), program->path(u"Mirelo.ini"_s));
        typeLine(*window, 1);
        QCOMPARE(ShownMessages().size(), 1);
        QCOMPARE(ShownMessages()[0].text, row.message);
        QCOMPARE(ShownMessages()[0].title, u"Kestova");
        QCOMPARE(ShownMessages()[0].icon, QMessageBox::NoIcon);
        QCOMPARE(::row(*window, true), QString(20, u'_'));
        const QString last = window->Label1[19]->text();
        TypeText(window->Text1, window->Label1[0]->text());
        window->Command1[0]->click();
        QCOMPARE(ShownMessages().size(), 1);
        QCOMPARE(::row(*window, true), QString(20, u'_'));
        QVERIFY(window->Label1[19]->text() == last);
        QCOMPARE(window->focusWidget(), window->Text1);
    }

    // Control keys are the drill's own business, never an attempt in the
    // record; a wrong printable key is a miss.
    void recordKeepsMissesNotControlKeys()
    {
        auto window = loaded(drillFile());
        QCOMPARE(RecordedOfControlKeysAndAMiss(*program, window->judgements, window->Text1), QStringList{u"1 0"_s});
    }
};

QTEST_MAIN(FingerDrillTest)
#include "tst_fingerdrill.moc"
