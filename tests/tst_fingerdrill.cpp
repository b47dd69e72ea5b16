#include "form1.h"

#include "autosizelabel.h"
#include "codepage.h"
#include "inifile.h"
#include "testseams.h"

#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using fingerdrill::Form1;

namespace {

const QString OneFinger = u"指１本"_qs;
const QString TwoFingers = u"指２本"_qs;

// Six distinct kana per list, so that every drawn entry can be told apart.
QString listOf(QStringView kana)
{
    QStringList entries;
    for (QChar c : kana)
        entries.append(QString(c));
    return entries.join(u'\t');
}

} // namespace

class FingerDrillTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowIsLaidOutAsDesigned();
    void startUpDrawsFromTheLeftLittleFingerAndSavesTheSeconds();
    void withoutAFileStartsQuietlyAndCreatesIt();

    void typedKanaIsCheckedStrictlyFromTheLeft_data();
    void typedKanaIsCheckedStrictlyFromTheLeft();
    void twentiethHitDrawsANewLine();
    void entriesThatCannotBeTypedHoldTheLine_data();
    void entriesThatCannotBeTypedHoldTheLine();

    void countOfTwoAlternatesStartingWithEntryOne();
    void onlyTheFirstCountEntriesAreDrawn();
    void neighboursNeverRepeatAnEntry();

    void secondGroupRelabelsAndSharesTheLittleFingers();
    void leavingAGroupSavesBeforeLoading();
    void emptyButtonChangesNothing();
    void clickMidLineRestartsTheCheck();

    void tickAddsASecondToTheSelectedFinger_data();
    void tickAddsASecondToTheSelectedFinger();
    void closingSavesTheShownSeconds();

    void badDataIsSilentAfterAClick_data();
    void badDataIsSilentAfterAClick();
    void badDataIsReportedAfterTheTwentiethHit_data();
    void badDataIsReportedAfterTheTwentiethHit();

private:
    void writeDrillFile(const QString &extra = {});
    QString iniPath() const { return dir->filePath(u"Mirelo.ini"_qs); }
    QString seconds(const QString &finger) const
    {
        return GetIniString(u"秒数"_qs, finger, iniPath());
    }
    std::unique_ptr<Form1> loadedWindow();
    static QString line(const Form1 &window, bool echo = false);
    static void typeLine(Form1 &window, int count);
    static void chooseGroup(Form1 &window, int index);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FolderSeam> folder;
    std::unique_ptr<PlatformSeams> seams;
};

void FingerDrillTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    folder = std::make_unique<FolderSeam>(dir->path());
    seams = std::make_unique<PlatformSeams>();
    kestova::SetProgramTitle(u"Kestova"_qs);
}

void FingerDrillTest::cleanup()
{
    seams.reset();
    folder.reset();
    dir.reset();
}

// Group sections in the shape of the shipped file, with lists easy to tell
// apart; `extra` lines follow as they stand.
void FingerDrillTest::writeDrillFile(const QString &extra)
{
    const QStringList oneFinger = {u"左小指"_qs,     u"左薬指"_qs,     u"左中指"_qs, u"左人差指左"_qs,
                                   u"左人差指右"_qs, u"右人差指左"_qs, u"右人差指右"_qs,
                                   u"右中指"_qs,     u"右薬指"_qs,     u"右小指"_qs};
    const QStringList lists = {u"あいうえおか"_qs, u"きくけこさし"_qs, u"すせそたちつ"_qs,
                               u"てとなにぬね"_qs, u"のはひふへほ"_qs, u"まみむめもや"_qs,
                               u"ゆよらりるれ"_qs, u"ろわをんがぎ"_qs, u"ぐげござじず"_qs,
                               u"ぜぞだぢづで"_qs};
    QString text = u"[指１本]\r\n文字数=6\r\n"_qs;
    for (int i = 0; i < oneFinger.size(); ++i)
        text += oneFinger[i] + u'=' + listOf(lists[i]) + u"\r\n"_qs;
    text += u"[指２本]\r\n文字数=6\r\n左小指=%1\r\n左薬・中指=%2\r\n左人差指=%3\r\n"
            u"右人差指=%4\r\n右中・薬指=%5\r\n右小指=%6\r\n"_qs.arg(
                listOf(u"アイウエオカ"), listOf(u"キクケコサシ"), listOf(u"スセソタチツ"),
                listOf(u"テトナニヌネ"), listOf(u"ノハヒフヘホ"), listOf(u"マミムメモヤ"));
    text += extra;
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(kestova::ToCp932(text));
}

std::unique_ptr<Form1> FingerDrillTest::loadedWindow()
{
    auto window = std::make_unique<Form1>();
    window->Form_Load();
    return window;
}

QString FingerDrillTest::line(const Form1 &window, bool echo)
{
    QString text;
    for (QLabel *label : echo ? window.Label2 : window.Label1)
        text += label->text().isEmpty() ? u"_"_qs : label->text();
    return text;
}

// Types the next `count` characters of the line correctly.
void FingerDrillTest::typeLine(Form1 &window, int count)
{
    for (int i = 0; i < count; ++i) {
        const int position = line(window, true).indexOf(u'_');
        QTest::sendKeyEvent(QTest::Click, window.Text1, Qt::Key_unknown,
                            window.Label1[position]->text(), Qt::NoModifier);
    }
}

void FingerDrillTest::chooseGroup(Form1 &window, int index)
{
    // As the user picks from the list: the arrow keys on the closed box.
    window.Combo1->setFocus();
    while (window.Combo1->currentIndex() != index)
        QTest::keyClick(window.Combo1, index > window.Combo1->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
}

void FingerDrillTest::windowIsLaidOutAsDesigned()
{
    Form1 window;
    QCOMPARE(window.windowTitle(), u"Kestova 1.00"_qs);
    QCOMPARE(window.size(), QSize(674, 279));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QCOMPARE(window.Combo1->count(), 2);
    QCOMPARE(window.Combo1->itemText(0), OneFinger);
    QCOMPARE(window.Combo1->itemText(1), TwoFingers);
    QCOMPARE(window.Combo1->currentIndex(), -1);
    QVERIFY(!window.Combo1->isEditable());
    QCOMPARE(window.Timer1->interval(), 1000);
    QVERIFY(window.Timer1->isActive());
    QCOMPARE(window.Label3->text(),
             u"使い方\n①Q's Nicolatter を起動状態にする\n②IMEを 無変換 にする\n"
             u"③右のコンボボックスで、練習したいものを選ぶ\n④左の練習したい指のボタンを押す\n"
             u"⑤出てきた字を左から順番に打っていく"_qs);
    QVERIFY(window.Label3->geometry().right() < window.width());
    QCOMPARE(window.Command1[3]->text(), u"左人差指左"_qs);
    QCOMPARE(window.Command1[7]->geometry(), QRect(168, 64, 73, 25));
    QCOMPARE(window.Label4[7]->pos(), QPoint(176, 96));
    QCOMPARE(window.Label4[7]->text(), u"Label4"_qs);
    for (int i = 0; i < fingerdrill::LineLength; ++i) {
        QCOMPARE(window.Label1[i]->text(), u"Label1"_qs);
        QCOMPARE(window.Label2[i]->x(), window.Label1[i]->x());
        QCOMPARE(window.Label2[i]->y() - window.Label1[i]->y(), 32);
    }
    QCOMPARE(window.Label1[19]->geometry(), QRect(624, 120, 25, 25));

    // Tab runs through the box, the list and the ten buttons, never a label.
    QList<QWidget *> expected{window.Combo1};
    expected.append(QList<QWidget *>(window.Command1.begin(), window.Command1.end()));
    expected.append(window.Text1);
    QWidget *widget = window.Text1;
    for (QWidget *next : expected) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        QCOMPARE(widget, next);
    }
}

void FingerDrillTest::startUpDrawsFromTheLeftLittleFingerAndSavesTheSeconds()
{
    writeDrillFile(u"[秒数]\r\n左中指=41\r\n"_qs);
    auto window = loadedWindow();
    QCOMPARE(window->Combo1->currentText(), OneFinger);
    QCOMPARE(window->Command1[9]->text(), u"右小指"_qs);
    QCOMPARE(window->Label4[0]->text(), u"0"_qs);
    QCOMPARE(window->Label4[2]->text(), u"41"_qs);
    for (QChar kana : line(*window))
        QVERIFY2(u"あいうえおか"_qs.contains(kana), qPrintable(line(*window)));
    QCOMPARE(line(*window, true), QString(20, u'_'));
    QCOMPARE(window->focusWidget(), window->Text1);

    const QStringList fingers = {u"左小指"_qs,     u"左薬指"_qs,     u"左中指"_qs, u"左人差指左"_qs,
                                 u"左人差指右"_qs, u"右人差指左"_qs, u"右人差指右"_qs,
                                 u"右中指"_qs,     u"右薬指"_qs,     u"右小指"_qs};
    for (const QString &finger : fingers)
        QCOMPARE(seconds(finger), finger == u"左中指" ? u"41"_qs : u"0"_qs);
    QCOMPARE(seconds(u"左人差指"_qs), QString());
    QVERIFY(ShownMessages().isEmpty());
}

void FingerDrillTest::withoutAFileStartsQuietlyAndCreatesIt()
{
    auto window = loadedWindow();
    QVERIFY(ShownMessages().isEmpty());
    for (auto *label : window->Label4)
        QCOMPARE(label->text(), u"0"_qs);
    QCOMPARE(line(*window), u"Label1"_qs.repeated(20));
    QCOMPARE(line(*window, true), QString(20, u'_'));
    QCOMPARE(seconds(u"右小指"_qs), u"0"_qs);
    QCOMPARE(seconds(u"右人差指右"_qs), u"0"_qs);
}

void FingerDrillTest::typedKanaIsCheckedStrictlyFromTheLeft_data()
{
    QTest::addColumn<QString>("route");
    QTest::newRow("key event") << u"key"_qs;
    QTest::newRow("input-method commit") << u"commit"_qs;
    QTest::newRow("kana held as preedit") << u"preedit"_qs;
}

void FingerDrillTest::typedKanaIsCheckedStrictlyFromTheLeft()
{
    QFETCH(QString, route);
    writeDrillFile();
    auto window = loadedWindow();
    const auto type = [&](const QString &kana) {
        if (route == u"key") {
            QTest::sendKeyEvent(QTest::Click, window->Text1, Qt::Key_unknown, kana, Qt::NoModifier);
            return;
        }
        QInputMethodEvent event(route == u"preedit" ? kana : QString(), {});
        if (route == u"commit")
            event.setCommitString(kana);
        QCoreApplication::sendEvent(window->Text1, &event);
    };
    const QString drawn = line(*window);

    // A kana of the list but not the first of the line: a miss.
    const QString wrong = drawn[1] == drawn[0] ? drawn[2] : drawn[1];
    // The box shows the last character typed, right or wrong; a kana that
    // no input method answered for stays out of it.
    const bool shownInBox = route != u"preedit";
    type(wrong);
    QCOMPARE(line(*window, true), QString(20, u'_'));
    QCOMPARE(window->Text1->text(), shownInBox ? wrong : QString());

    type(drawn.left(1));
    QCOMPARE(line(*window, true), drawn.left(1) + QString(19, u'_'));
    QCOMPARE(window->Text1->text(), shownInBox ? drawn.left(1) : QString());

    // Neighbours differ, so the same kana again cannot be the next one.
    type(drawn.left(1));
    QCOMPARE(line(*window, true), drawn.left(1) + QString(19, u'_'));

    type(drawn.mid(1, 1));
    type(drawn.mid(2, 1));
    QCOMPARE(line(*window, true), drawn.left(3) + QString(17, u'_'));
    QCOMPARE(line(*window), drawn);
    QVERIFY(ShownMessages().isEmpty());
}

void FingerDrillTest::twentiethHitDrawsANewLine()
{
    ScriptedGenerator generator;
    // Entries 1, 2, 3, 4, 5, 1, ... over and over: every line is the same.
    generator.values = {1.5f / 6, 2.5f / 6, 3.5f / 6, 4.5f / 6, 5.5f / 6};
    GeneratorSeam useGenerator(&generator);
    writeDrillFile();
    auto window = loadedWindow();
    const int drawsForOneLine = generator.draws;
    QCOMPARE(line(*window), u"いうえおか"_qs.repeated(4));

    typeLine(*window, 19);
    QCOMPARE(line(*window, true), u"いうえおか"_qs.repeated(4).left(19) + u'_');
    QCOMPARE(generator.draws, drawsForOneLine);
    typeLine(*window, 1);
    QCOMPARE(generator.draws, 2 * drawsForOneLine);
    QCOMPARE(line(*window, true), QString(20, u'_'));
    // The check starts again at the first position of the new line.
    QTest::sendKeyEvent(QTest::Click, window->Text1, Qt::Key_unknown, u"う"_qs, Qt::NoModifier);
    QCOMPARE(line(*window, true), QString(20, u'_'));
    QTest::sendKeyEvent(QTest::Click, window->Text1, Qt::Key_unknown, u"い"_qs, Qt::NoModifier);
    QCOMPARE(line(*window, true), u"い"_qs + QString(19, u'_'));
    QVERIFY(ShownMessages().isEmpty());
}

void FingerDrillTest::entriesThatCannotBeTypedHoldTheLine_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::newRow("two kana in one entry") << u"あ\tいう"_qs << u"い"_qs;
    QTest::newRow("empty entry") << u"あ\t\tい"_qs << QString();
}

void FingerDrillTest::entriesThatCannotBeTypedHoldTheLine()
{
    QFETCH(QString, list);
    QFETCH(QString, typed);
    writeDrillFile(u"[指３本]\r\n文字数=2\r\n左小指=%1\r\n"_qs.arg(list));
    auto window = loadedWindow();
    window->Combo1->addItem(u"指３本"_qs);
    window->Combo1->setCurrentIndex(2);
    window->Combo1_Click();
    // Entry 1 comes first, and it is the untypable one.
    QCOMPARE(window->Label1[0]->text(), list.section(u'\t', 1, 1));
    for (const QString &attempt : {typed, window->Label1[0]->text(), u"?"_qs, u"あ"_qs}) {
        if (!attempt.isEmpty())
            QTest::sendKeyEvent(QTest::Click, window->Text1, Qt::Key_unknown, attempt, Qt::NoModifier);
    }
    QCOMPARE(line(*window, true), QString(20, u'_'));
}

void FingerDrillTest::countOfTwoAlternatesStartingWithEntryOne()
{
    writeDrillFile(u"[指３本]\r\n文字数=2\r\n左小指=か\tき\tく\r\n"_qs);
    auto window = loadedWindow();
    window->Combo1->addItem(u"指３本"_qs);
    window->Combo1->setCurrentIndex(2);
    window->Combo1_Click();
    QCOMPARE(line(*window), u"きか"_qs.repeated(10));
    typeLine(*window, 20);
    QCOMPARE(line(*window), u"きか"_qs.repeated(10));
    QCOMPARE(line(*window, true), QString(20, u'_'));
}

void FingerDrillTest::onlyTheFirstCountEntriesAreDrawn()
{
    writeDrillFile(u"[指３本]\r\n文字数=3\r\n左小指=か\tき\tく\tけ\tこ\r\n"_qs);
    auto window = loadedWindow();
    window->Combo1->addItem(u"指３本"_qs);
    window->Combo1->setCurrentIndex(2);
    QSet<QChar> seen;
    for (int round = 0; round < 30; ++round) {
        window->Combo1_Click();
        for (QChar kana : line(*window))
            seen.insert(kana);
        QVERIFY(line(*window)[0] != u'か');
    }
    QCOMPARE(seen, (QSet<QChar>{u'か', u'き', u'く'}));
}

void FingerDrillTest::neighboursNeverRepeatAnEntry()
{
    writeDrillFile();
    auto window = loadedWindow();
    for (int round = 0; round < 50; ++round) {
        window->Command1_Click(qint16(round % 10));
        const QString drawn = line(*window);
        for (int i = 1; i < drawn.size(); ++i)
            QVERIFY2(drawn[i] != drawn[i - 1], qPrintable(drawn));
    }
}

void FingerDrillTest::secondGroupRelabelsAndSharesTheLittleFingers()
{
    writeDrillFile(u"[秒数]\r\n左小指=30\r\n右小指=7\r\n右人差指=5\r\n"_qs);
    auto window = loadedWindow();
    window->show();
    chooseGroup(*window, 1);
    QCOMPARE(window->Combo1->currentText(), TwoFingers);
    const QStringList captions = {u"左小指"_qs, u"左薬・中指"_qs, u"左人差指"_qs, u"右人差指"_qs,
                                  u"右中・薬指"_qs, u"右小指"_qs, {}, {}, {}, {}};
    for (int i = 0; i < fingerdrill::FingerCount; ++i) {
        QCOMPARE(window->Command1[i]->text(), captions[i]);
        QVERIFY(!window->Command1[i]->isHidden());
    }
    QCOMPARE(window->Label4[0]->text(), u"30"_qs);
    QCOMPARE(window->Label4[3]->text(), u"5"_qs);
    QCOMPARE(window->Label4[5]->text(), u"7"_qs);
    QCOMPARE(window->Label4[1]->text(), u"0"_qs);
    for (int i = 6; i < 10; ++i)
        QCOMPARE(window->Label4[i]->text(), QString());
    for (QChar kana : line(*window))
        QVERIFY2(u"アイウエオカ"_qs.contains(kana), qPrintable(line(*window)));
    QCOMPARE(window->focusWidget(), window->Text1);

    // The timer counts for the left little finger, whose tally both share.
    window->Timer1_Timer();
    QCOMPARE(window->Label4[0]->text(), u"31"_qs);
    chooseGroup(*window, 0);
    QCOMPARE(window->Label4[0]->text(), u"31"_qs);
    QCOMPARE(window->Label4[9]->text(), u"7"_qs);
    QCOMPARE(window->Command1[6]->text(), u"右人差指右"_qs);
}

void FingerDrillTest::leavingAGroupSavesBeforeLoading()
{
    writeDrillFile(u"[秒数]\r\n右薬指=3\r\n左薬指=2\r\n"_qs);
    auto window = loadedWindow();
    window->show();
    window->Command1[8]->click();
    for (int tick = 0; tick < 4; ++tick)
        window->Timer1_Timer();
    QCOMPARE(window->Label4[8]->text(), u"7"_qs);
    QCOMPARE(seconds(u"右薬指"_qs), u"3"_qs);

    chooseGroup(*window, 1);
    QCOMPARE(seconds(u"右薬指"_qs), u"7"_qs);
    window->Timer1_Timer();
    QCOMPARE(window->Label4[0]->text(), u"1"_qs);
    QCOMPARE(seconds(u"左小指"_qs), u"0"_qs);
    // Saves while the second group is chosen touch only its own fingers.
    PutIniString(u"秒数"_qs, u"左薬指"_qs, u"99"_qs, iniPath());
    chooseGroup(*window, 0);
    QCOMPARE(seconds(u"左小指"_qs), u"1"_qs);
    QCOMPARE(seconds(u"左薬・中指"_qs), u"0"_qs);
    QCOMPARE(window->Label4[1]->text(), u"99"_qs);
}

void FingerDrillTest::emptyButtonChangesNothing()
{
    writeDrillFile();
    auto window = loadedWindow();
    window->show();
    window->Command1[4]->click();
    chooseGroup(*window, 1);
    window->Command1[2]->click();
    typeLine(*window, 3);
    const QString drawn = line(*window);
    const QString echo = line(*window, true);
    window->Command1[7]->click();
    QCOMPARE(line(*window), drawn);
    QCOMPARE(line(*window, true), echo);
    window->Timer1_Timer();
    QCOMPARE(window->Label4[2]->text(), u"1"_qs);
    QCOMPARE(window->Label4[7]->text(), QString());
}

void FingerDrillTest::clickMidLineRestartsTheCheck()
{
    writeDrillFile();
    auto window = loadedWindow();
    typeLine(*window, 5);
    window->Command1[3]->click();
    QCOMPARE(line(*window, true), QString(20, u'_'));
    for (QChar kana : line(*window))
        QVERIFY(u"てとなにぬね"_qs.contains(kana));
    typeLine(*window, 1);
    QCOMPARE(line(*window, true), line(*window).left(1) + QString(19, u'_'));
}

void FingerDrillTest::tickAddsASecondToTheSelectedFinger_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("afterTwoTicks");
    QTest::newRow("never practised") << QString() << u"0"_qs << u"2"_qs;
    QTest::newRow("whole") << u"41"_qs << u"41"_qs << u"43"_qs;
    QTest::newRow("with a fraction") << u"12.5"_qs << u"12.5"_qs << u"14.5"_qs;
    QTest::newRow("large") << u"99999999999999"_qs << u"99999999999999"_qs << u"100000000000001"_qs;
    QTest::newRow("edited by hand") << u"たくさん"_qs << u"たくさん"_qs << u"たくさん"_qs;
}

void FingerDrillTest::tickAddsASecondToTheSelectedFinger()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, afterTwoTicks);
    writeDrillFile(stored.isEmpty() ? QString() : u"[秒数]\r\n右中指=%1\r\n"_qs.arg(stored));
    auto window = loadedWindow();
    window->Command1[7]->click();
    QCOMPARE(window->Label4[7]->text(), shown);
    window->Timer1_Timer();
    window->Timer1_Timer();
    QCOMPARE(window->Label4[7]->text(), afterTwoTicks);
    QCOMPARE(window->Label4[0]->text(), u"0"_qs);
    QVERIFY(window->Label4[7]->width() >= window->Label4[7]->sizeHint().width());
    window->close();
    QCOMPARE(seconds(u"右中指"_qs), afterTwoTicks);
    QVERIFY(ShownMessages().isEmpty());
}

void FingerDrillTest::closingSavesTheShownSeconds()
{
    writeDrillFile();
    {
        auto window = loadedWindow();
        window->show();
        chooseGroup(*window, 1);
        window->Command1[4]->click();
        for (int tick = 0; tick < 3; ++tick)
            window->Timer1_Timer();
        window->close();
    }
    QCOMPARE(seconds(u"右中・薬指"_qs), u"3"_qs);
    auto reopened = loadedWindow();
    chooseGroup(*reopened, 1);
    QCOMPARE(reopened->Label4[4]->text(), u"3"_qs);
}

void FingerDrillTest::badDataIsSilentAfterAClick_data()
{
    QTest::addColumn<QString>("groupSection");
    QTest::newRow("no count") << u"[指３本]\r\n左小指=か\tき\r\n"_qs;
    QTest::newRow("count no number") << u"[指３本]\r\n文字数=たくさん\r\n左小指=か\tき\r\n"_qs;
    QTest::newRow("count 1") << u"[指３本]\r\n文字数=1\r\n左小指=か\tき\r\n"_qs;
    QTest::newRow("count 0") << u"[指３本]\r\n文字数=0\r\n左小指=か\tき\r\n"_qs;
    QTest::newRow("no list") << u"[指３本]\r\n文字数=2\r\n"_qs;
    QTest::newRow("count above the list") << u"[指３本]\r\n文字数=40\r\n左小指=か\tき\r\n"_qs;
}

void FingerDrillTest::badDataIsSilentAfterAClick()
{
    QFETCH(QString, groupSection);
    writeDrillFile(groupSection);
    auto window = loadedWindow();
    typeLine(*window, 2);
    const QString drawn = line(*window);
    window->Combo1->addItem(u"指３本"_qs);
    window->Combo1->setCurrentIndex(2);
    window->Combo1_Click();
    QVERIFY(ShownMessages().isEmpty());
    QCOMPARE(line(*window, true), QString(20, u'_'));
    // Whatever was drawn before the failure, the rest of the old line stays.
    QCOMPARE(line(*window).right(1), drawn.right(1));
    QCOMPARE(window->focusWidget(), window->Text1);
}

void FingerDrillTest::badDataIsReportedAfterTheTwentiethHit_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("list gone") << u"左小指="_qs << u"Mirelo.ini の [指１本] に「左小指」の文字がありません。"_qs;
    QTest::newRow("count gone") << u"文字数="_qs << u"Mirelo.ini の [指１本] に「文字数」がありません。"_qs;
    QTest::newRow("count 1")
        << u"文字数=1"_qs << u"Mirelo.ini の [指１本] の「文字数」は 2 以上にしてください（「1」）。"_qs;
    QTest::newRow("count too large")
        << u"文字数=40000"_qs
        << u"Mirelo.ini の [指１本] の「文字数」が -32768 から 32767 の範囲にありません（「40000」）。"_qs;
    QTest::newRow("count no number")
        << u"文字数=六"_qs << u"Mirelo.ini の [指１本] の「文字数」が数値ではありません（「六」）。"_qs;
    QTest::newRow("count above the list")
        << u"文字数=90"_qs
        << u"Mirelo.ini の [指１本] の「左小指」には文字が 6 個しかありません（「文字数」は 90）。"_qs;
}

void FingerDrillTest::badDataIsReportedAfterTheTwentiethHit()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    writeDrillFile();
    auto window = loadedWindow();
    typeLine(*window, 19);
    const QString key = change.section(u'=', 0, 0);
    PutIniString(OneFinger, key, change.section(u'=', 1), iniPath());
    typeLine(*window, 1);
    QCOMPARE(ShownMessages().size(), 1);
    QCOMPARE(ShownMessages()[0].text, message);
    QCOMPARE(ShownMessages()[0].title, u"Kestova"_qs);
    QCOMPARE(ShownMessages()[0].icon, QMessageBox::NoIcon);
    QCOMPARE(line(*window, true), QString(20, u'_'));
}

QTEST_MAIN(FingerDrillTest)
#include "tst_fingerdrill.moc"
