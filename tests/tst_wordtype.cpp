#include "form1.h"

#include "autosizelabel.h"
#include "codepage.h"
#include "inifile.h"
#include "testseams.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using wordtype::Form1;

class WordTypeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowIsLaidOutAsDesigned();

    void twoWordsWithCountTwoComeInPairs();
    void countOneAlwaysMovesOn();
    void wordIsStruckOffWithTheHintOnItsFirstCharacter_data();
    void wordIsStruckOffWithTheHintOnItsFirstCharacter();
    void otherCharactersChangeNothing_data();
    void otherCharactersChangeNothing();
    void loweringTheCountBelowTheCompletionsKeepsTheWord();
    void neverMetCountStopsCountingAtTheTop();

    void arrowsStepTheCount_data();
    void arrowsStepTheCount();
    void focusAlwaysReturnsToTheTypingBox();
    void mapToggleKeepsTheHintCurrent();

    void tooFewWordsEndsWithoutWriting_data();
    void tooFewWordsEndsWithoutWriting();
    void wordListEndsAtTheFirstGap_data();
    void wordListEndsAtTheFirstGap();
    void repeatCountIsReadAsTheClassicRunTimeDoes_data();
    void repeatCountIsReadAsTheClassicRunTimeDoes();
    void longestListKeepsItsFirst32766Words();
    void terminateWritesTheCountAndLeavesTheWords();

private:
    void writeTextFile(const QStringList &words, const QString &count = u"10"_qs,
                       const QString &extra = {});
    QString iniPath() const { return dir->filePath(u"text.ini"_qs); }
    std::unique_ptr<Form1> loadedWindow();
    static QList<int> shownHints(const Form1 &window);
    static void type(Form1 &window, const QString &characters);
    static void typeWord(Form1 &window) { type(window, window.Label3->text()); }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FolderSeam> folder;
    std::unique_ptr<PlatformSeams> seams;
};

void WordTypeTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    folder = std::make_unique<FolderSeam>(dir->path());
    seams = std::make_unique<PlatformSeams>();
    kestova::SetProgramTitle(u"KestovaC"_qs);
}

void WordTypeTest::cleanup()
{
    seams.reset();
    folder.reset();
    dir.reset();
}

// Words under keys "1", "2", ...; a null count writes no count key.
void WordTypeTest::writeTextFile(const QStringList &words, const QString &count, const QString &extra)
{
    QString text = u"; 練習用\r\n[システム]\r\n"_qs;
    if (!count.isNull())
        text += u"繰り返し回数=%1\r\n"_qs.arg(count);
    text += u"[テキスト]\r\n"_qs;
    for (int n = 1; n <= words.size(); ++n)
        text += u"%1=%2\r\n"_qs.arg(n).arg(words[n - 1]);
    text += extra;
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(kestova::ToCp932(text));
}

std::unique_ptr<Form1> WordTypeTest::loadedWindow()
{
    auto window = std::make_unique<Form1>();
    window->Form_Load();
    return window;
}

QList<int> WordTypeTest::shownHints(const Form1 &window)
{
    QList<int> shown;
    for (int i = 0; i < kestova::LabelCount; ++i) {
        if (!window.Label1[i]->isHidden())
            shown.append(i);
    }
    return shown;
}

void WordTypeTest::type(Form1 &window, const QString &characters)
{
    for (QChar c : characters)
        QTest::sendKeyEvent(QTest::Click, window.Text1, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void WordTypeTest::windowIsLaidOutAsDesigned()
{
    Form1 window;
    QCOMPARE(window.windowTitle(), u"KestovaC 1.00"_qs);
    QCOMPARE(window.size(), QSize(312, 342));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QCOMPARE(window.txtCount->text(), u"10"_qs);
    QCOMPARE(window.Label3->text(), QString());
    QCOMPARE(window.Label3->pos(), QPoint(40, 72));
    QCOMPARE(window.Command1->text(), u"キーボード表示/非表示"_qs);
    QCOMPARE(window.Text1->geometry(), QRect(32, 16, 25, 25));
    QCOMPARE(window.txtCount->geometry(), QRect(80, 100, 37, 18));
    QCOMPARE(window.cmdUpDown[0]->text(), u"▲"_qs);
    QCOMPARE(window.cmdUpDown[0]->geometry(), QRect(116, 100, 13, 8));
    QCOMPARE(window.cmdUpDown[1]->text(), u"▼"_qs);
    QCOMPARE(window.cmdUpDown[1]->geometry(), QRect(116, 108, 13, 11));
    QCOMPARE(window.cmdUpDown[1]->font().pointSize(), 6);
    QCOMPARE(window.Label4->text(), u"繰り返し回数"_qs);
    QCOMPARE(window.Label5->text(), u"回"_qs);
    QCOMPARE(window.Label2->text(), u"IMEの変換モードを「無変換」にしてください。"_qs);
    QCOMPARE(window.Label2->pos(), QPoint(40, 312));
    QVERIFY(window.Label2->geometry().right() < window.width());
    // The map's top row starts at the origin; nothing of it shows a kana yet.
    QRect map;
    for (QFrame *frame : window.Frame1Array)
        map |= frame->geometry();
    QCOMPARE(map.topLeft(), QPoint(24, 228));
    QVERIFY(map.bottom() < window.Label2->y());
    QVERIFY(shownHints(window).isEmpty());

    const QList<QWidget *> chain{window.Command1, window.cmdUpDown[0], window.cmdUpDown[1],
                                 window.txtCount, window.Text1};
    QWidget *widget = window.Text1;
    for (QWidget *next : chain) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        QCOMPARE(widget, next);
    }
}

void WordTypeTest::twoWordsWithCountTwoComeInPairs()
{
    writeTextFile({u"あい"_qs, u"うえ"_qs}, u"2"_qs);
    auto window = loadedWindow();
    QStringList shown{window->Label3->text()};
    for (int i = 0; i < 7; ++i) {
        typeWord(*window);
        shown.append(window->Label3->text());
    }
    QCOMPARE(shown, (QStringList{u"うえ"_qs, u"うえ"_qs, u"あい"_qs, u"あい"_qs, u"うえ"_qs, u"うえ"_qs,
                                 u"あい"_qs, u"あい"_qs}));
    QVERIFY(ShownMessages().isEmpty());
}

void WordTypeTest::countOneAlwaysMovesOn()
{
    writeTextFile({u"あ"_qs, u"い"_qs, u"う"_qs, u"い"_qs}, u"1"_qs);
    auto window = loadedWindow();
    int sameTextInARow = 0;
    for (int i = 0; i < 200; ++i) {
        const QString before = window->Label3->text();
        typeWord(*window);
        QVERIFY(!window->Label3->text().isEmpty());
        if (window->Label3->text() == before)
            ++sameTextInARow;
    }
    // Entries never repeat, but the two entries holding "い" may meet.
    QVERIFY(sameTextInARow > 0);
    QVERIFY(sameTextInARow < 100);
}

void WordTypeTest::wordIsStruckOffWithTheHintOnItsFirstCharacter_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("kana and full stop") << u"かれー。"_qs;
    QTest::newRow("small kana") << u"しゃつ"_qs;
    QTest::newRow("voiced kana on no key") << u"がっこう"_qs;
}

void WordTypeTest::wordIsStruckOffWithTheHintOnItsFirstCharacter()
{
    QFETCH(QString, word);
    writeTextFile({u"おわり"_qs, word}, u"5"_qs);
    auto window = loadedWindow();
    QCOMPARE(window->Label3->text(), word);
    const int labelX = window->Label3->x();
    for (int i = 0; i < word.size(); ++i) {
        QCOMPARE(window->Label3->text(), word.mid(i));
        QCOMPARE(window->Label3->x(), labelX);
        const QList<int> shown = shownHints(*window);
        if (word[i] == u'が') {
            QVERIFY(shown.isEmpty());
        } else if (word[i] == u'。') {
            // The full stop's hint is its top-row key, not the bottom-row one.
            QCOMPARE(shown, QList<int>{41});
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(window->Label1[shown[0]]->text(), word.mid(i, 1));
        }
        type(*window, word.mid(i, 1));
    }
    QCOMPARE(window->Label3->text(), word);
    QVERIFY(ShownMessages().isEmpty());
}

void WordTypeTest::otherCharactersChangeNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("wrong kana") << u"う"_qs;
    QTest::newRow("katakana of the same sound") << u"カ"_qs;
    QTest::newRow("half-width katakana") << u"ｶ"_qs;
    QTest::newRow("the second character") << u"き"_qs;
}

void WordTypeTest::otherCharactersChangeNothing()
{
    QFETCH(QString, typed);
    writeTextFile({u"おわり"_qs, u"かき"_qs});
    auto window = loadedWindow();
    const QList<int> hints = shownHints(*window);
    type(*window, typed);
    QCOMPARE(window->Label3->text(), u"かき"_qs);
    QCOMPARE(shownHints(*window), hints);
    QCOMPARE(window->Text1->text(), typed);
}

void WordTypeTest::loweringTheCountBelowTheCompletionsKeepsTheWord()
{
    writeTextFile({u"あ"_qs, u"い"_qs}, u"3"_qs);
    auto window = loadedWindow();
    typeWord(*window);
    typeWord(*window);
    window->cmdUpDown_Click(1);
    window->cmdUpDown_Click(1);
    QCOMPARE(window->txtCount->text(), u"1"_qs);
    for (int i = 0; i < 5; ++i) {
        typeWord(*window);
        QCOMPARE(window->Label3->text(), u"い"_qs);
    }
    // Seven completions so far: raised to 8, the next one moves on.
    for (int i = 0; i < 7; ++i)
        window->cmdUpDown_Click(0);
    QCOMPARE(window->txtCount->text(), u"8"_qs);
    typeWord(*window);
    QCOMPARE(window->Label3->text(), u"あ"_qs);
}

void WordTypeTest::neverMetCountStopsCountingAtTheTop()
{
    writeTextFile({u"あ"_qs, u"い"_qs}, u"-1"_qs);
    auto window = loadedWindow();
    for (int i = 0; i < 32767 + 10; ++i)
        typeWord(*window);
    QVERIFY(ShownMessages().isEmpty());
    QCOMPARE(window->Label3->text(), u"い"_qs);
    // The completions stand at 32767: a count of 32767 is met at once.
    while (window->txtCount->text() != u"32767")
        window->cmdUpDown_Click(0);
    typeWord(*window);
    QCOMPARE(window->Label3->text(), u"あ"_qs);
    QVERIFY(ShownMessages().isEmpty());
}

void WordTypeTest::arrowsStepTheCount_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("shown");
    QTest::newRow("up from 10") << u"10"_qs << 0 << u"11"_qs;
    QTest::newRow("down from 2") << u"2"_qs << 1 << u"1"_qs;
    QTest::newRow("down from 1 stays") << u"1"_qs << 1 << u"1"_qs;
    QTest::newRow("up from 0") << u"0"_qs << 0 << u"1"_qs;
    QTest::newRow("up from -1") << u"-1"_qs << 0 << u"0"_qs;
    QTest::newRow("down from 0") << u"0"_qs << 1 << u"-1"_qs;
    QTest::newRow("up at the top stays") << u"32767"_qs << 0 << u"32767"_qs;
    QTest::newRow("down at the bottom stays") << u"-32768"_qs << 1 << u"-32768"_qs;
    QTest::newRow("no such button") << u"7"_qs << 2 << u"7"_qs;
}

void WordTypeTest::arrowsStepTheCount()
{
    QFETCH(QString, stored);
    QFETCH(int, index);
    QFETCH(QString, shown);
    writeTextFile({u"あ"_qs, u"い"_qs}, stored);
    auto window = loadedWindow();
    QCOMPARE(window->txtCount->text(), stored);
    window->cmdUpDown_Click(qint16(index));
    QCOMPARE(window->txtCount->text(), shown);
    window->Form_Terminate();
    QCOMPARE(GetIniString(u"システム"_qs, u"繰り返し回数"_qs, iniPath()), shown);
    QVERIFY(ShownMessages().isEmpty());
}

void WordTypeTest::focusAlwaysReturnsToTheTypingBox()
{
    writeTextFile({u"あい"_qs, u"うえ"_qs});
    auto window = loadedWindow();
    window->show();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), window->Text1);

    QTest::mouseClick(window->cmdUpDown[0], Qt::LeftButton);
    QCOMPARE(window->txtCount->text(), u"11"_qs);
    QCOMPARE(QApplication::focusWidget(), window->Text1);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), window->Text1);
    QTest::mouseClick(window->txtCount, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), window->Text1);
    // Tab through the buttons: the count box hands the focus straight back.
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->Text1);
    QCOMPARE(window->txtCount->text(), u"11"_qs);
    type(*window, u"う"_qs);
    QCOMPARE(window->Label3->text(), u"え"_qs);
}

void WordTypeTest::mapToggleKeepsTheHintCurrent()
{
    writeTextFile({u"あい"_qs, u"うえ"_qs});
    auto window = loadedWindow();
    const QList<int> hint = shownHints(*window);
    window->Command1_Click();
    for (QFrame *frame : window->Frame1Array)
        QVERIFY(frame->isHidden());
    window->Command1_Click();
    for (QFrame *frame : window->Frame1Array)
        QVERIFY(!frame->isHidden());
    QCOMPARE(shownHints(*window), hint);

    window->Command1_Click();
    type(*window, u"う"_qs);
    QCOMPARE(window->Label3->text(), u"え"_qs);
    window->Command1_Click();
    QCOMPARE(shownHints(*window).size(), 1);
    QCOMPARE(window->Label1[shownHints(*window)[0]]->text(), u"え"_qs);
}

void WordTypeTest::tooFewWordsEndsWithoutWriting_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("no file") << QString();
    QTest::newRow("one word") << u"[テキスト]\r\n1=あい\r\n"_qs;
    QTest::newRow("no key 1") << u"[システム]\r\n繰り返し回数=3\r\n[テキスト]\r\n2=あい\r\n3=うえ\r\n"_qs;
    QTest::newRow("words in another section") << u"[単語]\r\n1=あい\r\n2=うえ\r\n"_qs;
}

void WordTypeTest::tooFewWordsEndsWithoutWriting()
{
    QFETCH(QString, text);
    QByteArray bytes;
    if (!text.isNull()) {
        bytes = kestova::ToCp932(text);
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    Form1 window;
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, window.Form_Load());
    QCOMPARE(ShownMessages().size(), 1);
    QCOMPARE(ShownMessages()[0].text, u"テキストファイルには単語を２つ以上登録してください。"_qs);
    QCOMPARE(ShownMessages()[0].title, u"KestovaC"_qs);
    QCOMPARE(ShownMessages()[0].icon, QMessageBox::NoIcon);
    QFile file(iniPath());
    if (text.isNull()) {
        QVERIFY(!file.exists());
    } else {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
}

void WordTypeTest::wordListEndsAtTheFirstGap_data()
{
    QTest::addColumn<QString>("extra");
    QTest::newRow("gap before 4") << u"4=ん\r\n"_qs;
    QTest::newRow("empty 3") << u"3=\r\n4=ん\r\n"_qs;
    QTest::newRow("key 0") << u"0=ん\r\n"_qs;
    QTest::newRow("leading zero") << u"03=ん\r\n"_qs;
}

void WordTypeTest::wordListEndsAtTheFirstGap()
{
    QFETCH(QString, extra);
    writeTextFile({u"あ"_qs, u"い"_qs}, u"1"_qs, extra);
    auto window = loadedWindow();
    QStringList shown{window->Label3->text()};
    for (int i = 0; i < 20; ++i) {
        typeWord(*window);
        shown.append(window->Label3->text());
    }
    // Two words and a count of 1: they alternate, and "ん" never comes.
    for (int i = 0; i < shown.size(); ++i)
        QCOMPARE(shown[i], i % 2 ? u"あ"_qs : u"い"_qs);
}

void WordTypeTest::repeatCountIsReadAsTheClassicRunTimeDoes_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("missing") << QString() << u"10"_qs;
    QTest::newRow("empty") << u""_qs << u"10"_qs;
    QTest::newRow("letters") << u"abc"_qs << u"10"_qs;
    QTest::newRow("zero") << u"0"_qs << u"0"_qs;
    QTest::newRow("negative") << u"-3"_qs << u"-3"_qs;
    QTest::newRow("half to even, down") << u"2.5"_qs << u"2"_qs;
    QTest::newRow("half to even, up") << u"3.5"_qs << u"4"_qs;
    QTest::newRow("blanks and sign after") << u" 7- "_qs << u"-7"_qs;
    QTest::newRow("beyond 16 bits") << u"40000"_qs << u"10"_qs;
    QTest::newRow("just beyond 16 bits") << u"32767.5"_qs << u"10"_qs;
}

void WordTypeTest::repeatCountIsReadAsTheClassicRunTimeDoes()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    writeTextFile({u"あ"_qs, u"い"_qs}, stored);
    auto window = loadedWindow();
    QCOMPARE(window->txtCount->text(), shown);
    QVERIFY(ShownMessages().isEmpty());
}

void WordTypeTest::longestListKeepsItsFirst32766Words()
{
    ScriptedGenerator generator;
    // The largest float below 1 draws the last word of the list.
    generator.values = {0.99999994f};
    GeneratorSeam useGenerator(&generator);
    QStringList words(32766, u"あ"_qs);
    words.last() = u"さいご"_qs;
    writeTextFile(words, u"99999"_qs, u"32767=ん\r\n32768=ん\r\n"_qs);
    auto window = loadedWindow();
    QCOMPARE(window->Label3->text(), u"さいご"_qs);
    QCOMPARE(window->txtCount->text(), u"10"_qs);
    QVERIFY(ShownMessages().isEmpty());
}

void WordTypeTest::terminateWritesTheCountAndLeavesTheWords()
{
    writeTextFile({u"あい"_qs, u"うえ"_qs}, u"4"_qs, u"[ほか]\r\nメモ=そのまま\r\n"_qs);
    auto window = loadedWindow();
    window->cmdUpDown_Click(0);
    window->cmdUpDown_Click(0);
    typeWord(*window);
    window->Form_Terminate();
    QCOMPARE(GetIniString(u"システム"_qs, u"繰り返し回数"_qs, iniPath()), u"6"_qs);
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(kestova::FromCp932(file.readAll()),
             u"; 練習用\r\n[システム]\r\n繰り返し回数=6\r\n[テキスト]\r\n1=あい\r\n2=うえ\r\n"
             u"[ほか]\r\nメモ=そのまま\r\n"_qs);
}

QTEST_MAIN(WordTypeTest)
#include "tst_wordtype.moc"
