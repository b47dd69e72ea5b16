#include "form1.h"

#include "autosizelabel.h"
#include "harness.h"
#include "inifile.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using wordtype::Form1;

namespace {

// A text.ini with words under "1", "2", ...; a null count writes no count key.
QString textFile(const QStringList &words, const QString &count = u"10"_s, const QString &extra = {})
{
    QString text = u"; 練習用\n[システム]\n"_s + (count.isNull() ? QString() : u"繰り返し回数=%1\n"_s.arg(count)) + u"[テキスト]\n"_s;
    for (int n = 1; n <= words.size(); ++n)
        text += u"%1=%2\n"_s.arg(n).arg(words[n - 1]);
    return text + extra;
}

void typeWord(Form1 &window)
{
    TypeText(window.Text1, window.Label3->text());
}

struct Order { const char *name; QString file, order; };
struct Arrow { const char *name; QString stored; int index; QString shown; };
struct TooFew { const char *name; QString file; QString message = u"テキストファイルには単語を２つ以上登録してください。"_s; };

} // namespace

class WordTypeTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgram> program;

    std::unique_ptr<Form1> loaded(const QString &file) { return program->loaded<Form1>(u"text.ini"_s, file); }

private slots:
    void init()
    {
        program.reset(); // the last test's gone before the next one sets up
        program = std::make_unique<TestProgram>(u"KestovaC"_s);
    }

    void opensAsDesigned()
    {
        Form1 window;
        QVERIFY(LooksLikeItsPicture(&window, u"wordtype"_s));
    }

    // The words shown, one after each completion; the list ends at the first gap.
    void wordsComeInTurn_data()
    {
        const QStringList two{u"あ"_s, u"い"_s};
        const QString alternate = u"い あ い あ い あ い あ"_s;
        AddRows<Order>({{"count 2", textFile({u"あい"_s, u"うえ"_s}, u"2"_s), u"うえ うえ あい あい うえ うえ あい あい"_s},
            {"list ends at a gap", textFile(two, u"1"_s, u"4=ん\n"_s), alternate}, {"list ends at an empty value", textFile(two, u"1"_s, u"3=\n4=ん\n"_s), alternate},
            {"no word 0", textFile(two, u"1"_s, u"0=ん\n"_s), alternate}, {"no leading zeros", textFile(two, u"1"_s, u"03=ん\n"_s), alternate}});
    }
    void wordsComeInTurn()
    {
        QFETCH(Order, row);
        auto window = loaded(row.file);
        QStringList shown{window->Label3->text()};
        while (shown.size() < row.order.count(u' ') + 1) {
            typeWord(*window);
            shown.append(window->Label3->text());
        }
        QCOMPARE(shown.join(u' '), row.order);
        QVERIFY(ShownMessages().isEmpty());
    }

    // The rest of the word shrinks from its fixed left edge; the hint is the
    // first character's key ("。": the top-row one), none for a kana on no
    // key. Any other character, its katakana or the next one change nothing.
    void wordIsStruckOffWithTheHintOnItsFirstCharacter()
    {
        for (const QString word : {u"かれー。"_s, u"しゃつ"_s, u"がっこう"_s}) {
            auto window = loaded(textFile({u"おわり"_s, word}, u"5"_s));
            const int left = window->Label3->x();
            for (int i = 0; i < word.size(); ++i) {
                const QList<int> shown = ShownLabels(window->Label1);
                TypeText(window->Text1, QString(QChar(word[i].unicode() + 0x60)) + word.mid(i + 1, 1) + u'ｶ');
                QVERIFY(window->Label3->text() == word.mid(i));
                QVERIFY(window->Label3->x() == left);
                QCOMPARE(ShownLabels(window->Label1), shown);
                if (word[i] == u'。')
                    QCOMPARE(shown, QList<int>{41});
                else
                    QVERIFY2(word[i] == u'が' ? shown.isEmpty() : shown.size() == 1 && window->Label1[shown[0]]->text() == word[i], qPrintable(word));
                TypeText(window->Text1, word.mid(i, 1));
            }
            QCOMPARE(window->Label3->text(), word);
        }
        QVERIFY(ShownMessages().isEmpty());
    }

    // With Space a thumb key, struck alone it types the space a word asks
    // for, half or full width; where none is asked, nothing.
    void spaceThumbTypesTheSpaceAsked()
    {
        for (const QString word : {u"う し"_s, u"う　し"_s}) {
            auto window = loaded(textFile({u"おわり"_s, word}, u"5"_s));
            SendKeys(window->Text1, u"#65+0 #65-30 a+100 a-120 #65+200 #65-230 1+300"_s);
            QCOMPARE(window->Label3->text(), u"し"_s);
        }
    }

    // A count lowered below the completions keeps the word until raised past
    // them; a count never met stops counting completions at 32767.
    void repeatCountChanges()
    {
        auto window = loaded(textFile({u"あ"_s, u"い"_s}, u"3"_s));
        typeWord(*window);
        typeWord(*window);
        window->cmdUpDown_Click(1);
        window->cmdUpDown_Click(1);
        for (int i = 0; i < 5; ++i) {
            typeWord(*window);
            QCOMPARE(window->Label3->text(), u"い"_s);
        }
        for (int i = 0; i < 7; ++i) // seven completions so far: at 8 the next one moves on
            window->cmdUpDown_Click(0);
        typeWord(*window);
        QCOMPARE(window->Label3->text(), u"あ"_s);

        window = loaded(textFile({u"あ"_s, u"い"_s}, u"-1"_s));
        for (int i = 0; i < 32767 + 10; ++i)
            typeWord(*window);
        QCOMPARE(window->Label3->text(), u"い"_s);
        while (window->txtCount->text() != u"32767")
            window->cmdUpDown_Click(0);
        typeWord(*window);
        QCOMPARE(window->Label3->text(), u"あ"_s);
        QVERIFY(ShownMessages().isEmpty());
    }

    // The count as read (missing, not a number or beyond 16 bits: 10,
    // silently), stepped by the arrows, and written at the end with the rest
    // of the file as it was.
    void arrowsStepTheCountThatCloseWrites_data()
    {
        AddRows<Arrow>({{"up from 10", u"10"_s, 0, u"11"_s}, {"down from 2", u"2"_s, 1, u"1"_s}, {"down from 1 stays", u"1"_s, 1, u"1"_s},
            {"up from 0", u"0"_s, 0, u"1"_s}, {"up from -1", u"-1"_s, 0, u"0"_s}, {"down from 0", u"0"_s, 1, u"-1"_s},
            {"up at the top stays", u"32767"_s, 0, u"32767"_s}, {"down at the bottom stays", u"-32768"_s, 1, u"-32768"_s},
            {"missing", {}, 2, u"10"_s}, {"not a number", u"abc"_s, 2, u"10"_s}, {"beyond 16 bits", u"40000"_s, 2, u"10"_s},
            {"rounded beyond", u"32767.5"_s, 2, u"10"_s}, {"negative", u"-3"_s, 2, u"-3"_s}, {"half to even", u"2.5"_s, 2, u"2"_s}});
    }
    void arrowsStepTheCountThatCloseWrites()
    {
        QFETCH(Arrow, row);
        const QString rest = u"[ほか]\nメモ=そのまま\n"_s;
        auto window = loaded(textFile({u"あ"_s, u"い"_s}, row.stored, rest));
        window->cmdUpDown_Click(qint16(row.index)); // 2: no such button
        QCOMPARE(window->txtCount->text(), row.shown);
        typeWord(*window);
        window->Form_Terminate();
        program->write(u"expected.ini"_s, textFile({u"あ"_s, u"い"_s}, row.shown, rest));
        QCOMPARE(program->read(u"text.ini"_s), program->read(u"expected.ini"_s));
        QVERIFY(ShownMessages().isEmpty());
    }

    void focusAlwaysReturnsToTheTypingBox()
    {
        auto window = loaded(textFile({u"あい"_s, u"うえ"_s}));
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (QWidget *clicked : QList<QWidget *>{window->Text1, window->cmdUpDown[0], window->Command1, window->txtCount}) {
            QTest::mouseClick(clicked, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), window->Text1);
        }
        for (int i = 0; i < 4; ++i) // the count box hands the focus straight back
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() == window->Text1);
        QVERIFY(window->txtCount->text() == u"11");
    }

    void mapToggleKeepsTheHintCurrent()
    {
        auto window = loaded(textFile({u"あい"_s, u"うえ"_s}));
        const QList<int> hint = ShownLabels(window->Label1);
        const auto hidden = [&] { return std::count_if(window->Frame1Array.begin(), window->Frame1Array.end(), [](QFrame *f) { return f->isHidden(); }); };
        window->Command1_Click();
        QCOMPARE(hidden(), 31);
        window->Command1_Click();
        QCOMPARE(hidden(), 0);
        QCOMPARE(ShownLabels(window->Label1), hint);
        window->Command1_Click();
        TypeText(window->Text1, u"う"_s);
        window->Command1_Click();
        QCOMPARE(window->Label1[ShownLabels(window->Label1).value(0)]->text(), u"え"_s);
    }

    void tooFewWordsEndsWithoutWriting_data()
    {
        AddRows<TooFew>({{"no file", {}}, {"one word", u"[テキスト]\n1=あい\n"_s}, {"no key 1", u"[システム]\n繰り返し回数=3\n[テキスト]\n2=あい\n3=うえ\n"_s},
            {"words in another section", u"[単語]\n1=あい\n2=うえ\n"_s}, {"a folder", u"<folder>"_s, u"フォルダーです。"_s},
            {"a pipe", u"<pipe>"_s, u"通常のファイルではありません。"_s}});
    }
    void tooFewWordsEndsWithoutWriting()
    {
        QFETCH(TooFew, row);
        const QByteArray native = QFile::encodeName(program->path(u"text.ini"_s));
        if (row.file.startsWith(u'<'))
            QVERIFY(row.file == u"<pipe>" ? ::mkfifo(native, 0644) == 0 : ::mkdir(native, 0755) == 0);
        else if (!row.file.isNull())
            program->write(u"text.ini"_s, row.file);
        const QByteArray before = row.file.startsWith(u'<') ? QByteArray() : program->read(u"text.ini"_s);
        Form1 window;
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, window.Form_Load());
        QCOMPARE(ShownMessages().size(), 1);
        QVERIFY2(ShownMessages()[0].text.endsWith(row.message) && ShownMessages()[0].title == u"KestovaC", qPrintable(ShownMessages()[0].text));
        QVERIFY(QFileInfo::exists(program->path(u"text.ini"_s)) == !row.file.isNull());
        if (!row.file.startsWith(u'<'))
            QCOMPARE(program->read(u"text.ini"_s), before);
    }

    void longestListKeepsItsFirst32766Words()
    {
        ScriptedGenerator generator({0.99999994f}); // the largest float below 1: the last word
        QStringList words(32766, u"あ"_s);
        words.last() = u"さいご"_s;
        auto window = loaded(textFile(words, u"10"_s, u"32767=ん\n32768=ん\n"_s));
        QCOMPARE(window->Label3->text(), u"さいご"_s);
        QVERIFY(ShownMessages().isEmpty());
    }

    // Control keys are the trainer's own business, never an attempt in the
    // record; a wrong printable key is a miss.
    void recordKeepsMissesNotControlKeys()
    {
        auto window = loaded(textFile({u"あ"_s, u"い"_s}));
        QCOMPARE(RecordedOfControlKeysAndAMiss(*program, window->judgements, window->Text1), QStringList{u"1 0"_s});
    }
};

QTEST_MAIN(WordTypeTest)
#include "tst_wordtype.moc"
