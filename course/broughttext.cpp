#include "broughttext.h"

#include "curriculum.h"
#include "reading.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <ranges>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

const QString SourceHead = u"# 文章: "_s;
constexpr qsizetype BatchSize = 500;
const QString IpaDictionary = u"/var/lib/mecab/dic/ipadic-utf8"_s;

// Kana or kanji: what makes a sentence Japanese (marks such as ・ー alone do not).
bool isJapanese(QChar c)
{
    return (c >= u'ぁ' && c <= u'ゖ') || (c >= u'ァ' && c <= u'ヺ') || c.script() == QChar::Script_Han;
}

// Kanji, or Latin letters and digits: what only a dictionary reads.
bool needsReading(QStringView text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.script() == QChar::Script_Han || (c.isLetterOrNumber() && !isJapanese(c)); });
}

// What of a text the layout types: its kana and marks, katakana as hiragana.
QString typedPart(QStringView text)
{
    static const QSet<QChar> typed = LayoutKana();
    QString kana;
    for (QChar c : TypedKana(text)) {
        if (typed.contains(c))
            kana += c;
    }
    return kana;
}

QString fileText(const QString &path, QString *problem)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    // A device or a pipe has no end to wait for.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
        *problem = u"文章 %1 はふつうのファイルではありません。"_s.arg(name);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = u"文章 %1 を開けません：%2"_s.arg(name, file.errorString());
        return {};
    }
    const QByteArray bytes = file.read(LargestText + 1);
    if (bytes.size() > LargestText) {
        *problem = u"文章 %1 は大きすぎます（%2 MB）。%3 MB までの文章にしてください。"_s.arg(name).arg(qMax(file.size(), bytes.size()) / (1024 * 1024)).arg(LargestText / (1024 * 1024));
        return {};
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        *problem = u"文章 %1 は UTF-8 ではありません。UTF-8 で保存し直してください。"_s.arg(name);
        return {};
    }
    return text;
}

// Half-width katakana, full-width Latin letters and digits in their usual
// forms, a kana and a voicing mark apart as one; the full-width marks of
// Japanese text stay as they are. Sentence by sentence, so that the first
// is soon there.
QString usualForms(const QString &text)
{
    const auto other = [](QChar c) { return (c >= u'\uFF61' && c <= u'\uFF9F') || (c >= u'０' && c <= u'９') || (c >= u'Ａ' && c <= u'Ｚ') || (c >= u'ａ' && c <= u'ｚ'); };
    QString usual;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        while (end < text.size() && other(text[end]))
            ++end;
        if (end > i) {
            usual += text.mid(i, end - i).normalized(QString::NormalizationForm_KC);
            i = end;
        } else {
            usual += text[i++];
        }
    }
    return usual.normalized(QString::NormalizationForm_C);
}

} // namespace

QStringList SplitSentences(QStringView text)
{
    static const QString ends = u"。｡！？!?\n"_s, opening = u"「『（(【〈《"_s, closing = u"」』）)】〉》"_s;
    QStringList sentences;
    // A line break inside a sentence is none in Japanese: the lines joined.
    const auto add = [&sentences](QStringView piece) {
        QString sentence = usualForms(piece.toString().remove(u'\n').remove(u'\r')).trimmed();
        while (!sentence.isEmpty()) {
            qsizetype cut = sentence.size();
            if (cut > LongestSentence) {
                cut = sentence.left(LongestSentence).lastIndexOf(u'、') + 1;
                if (cut < LongestSentence / 4)
                    cut = sentence[LongestSentence - 1].isHighSurrogate() ? LongestSentence - 1 : LongestSentence;
            }
            const QString part = sentence.left(cut).trimmed();
            if (std::any_of(part.cbegin(), part.cend(), isJapanese))
                sentences.append(part);
            sentence = sentence.mid(cut).trimmed();
        }
    };
    // A mark or a line break inside brackets ends no sentence: 「本当？」と
    // 言った。 is one; a bracket left open, at a line break once the sentence
    // is long.
    qsizetype start = 0, depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        depth += opening.contains(text[i]) ? 1 : closing.contains(text[i]) && depth > 0 ? -1 : 0;
        if (!ends.contains(text[i]) || (depth > 0 && (text[i] != u'\n' || i - start < LongestSentence)))
            continue;
        depth = 0;
        qsizetype end = i + 1;
        while (end < text.size() && (closing.contains(text[end]) || (ends.contains(text[end]) && text[end] != u'\n')))
            ++end;
        add(text.mid(start, end - start));
        start = end;
        i = end - 1;
    }
    add(text.mid(start));
    return sentences;
}

std::optional<QString> ReadingOfMecabLines(QStringView sentence, const QList<QStringView> &lines)
{
    QString reading, surfaces;
    for (QStringView line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        const QStringView surface = line.left(tab);
        const QStringView read = tab < 0 ? QStringView() : line.mid(tab + 1);
        surfaces += surface;
        // Kana as written (は stays は); a word read by the dictionary; a
        // word read aloud that it cannot read leaves the sentence unread.
        if (!needsReading(surface))
            reading += typedPart(surface);
        else if (read.isEmpty() || read == u"*" || std::none_of(read.cbegin(), read.cend(), isJapanese))
            return std::nullopt;
        else
            reading += typedPart(read);
    }
    // MeCab's words are the sentence, spaces aside: else its answer is another's.
    QString unspaced;
    for (QChar c : sentence) {
        if (!c.isSpace())
            unspaced += c;
    }
    if (surfaces != unspaced)
        return std::nullopt;
    return reading;
}

TextReader::TextReader()
{
    worker.moveToThread(&thread);
    thread.start();
}

TextReader::~TextReader()
{
    ++generation;
    thread.quit();
    thread.wait();
}

void TextReader::readFile(const QString &path, QObject *receiver, Batches batches)
{
    read([path](QString *problem) { return fileText(path, problem); }, QFileInfo(path).fileName(), receiver, std::move(batches));
}

void TextReader::readText(const QString &text, const QString &source, QObject *receiver, Batches batches)
{
    read([text](QString *) { return text; }, source, receiver, std::move(batches));
}

void TextReader::read(std::function<QString(QString *problem)> readText, const QString &source, QObject *receiver, Batches batches)
{
    const int mine = ++generation;
    QMetaObject::invokeMethod(&worker, [=, this] {
        bool given = false;
        const auto give = [&](TextBatch batch) {
            batch.first = !std::exchange(given, true);
            if (generation == mine)
                QMetaObject::invokeMethod(receiver, [batches, batch] { batches(batch); });
        };
        QString problem;
        const QString text = readText(&problem);
        if (!problem.isEmpty())
            return give({{}, problem, true});
        if (text.size() > LargestText) // pasted: as many characters as a file may have bytes
            return give({{}, u"%1は大きすぎます。%2 MB までの文章にしてください。"_s.arg(source).arg(LargestText / (1024 * 1024)), true});
        if (text.trimmed().isEmpty())
            return give({{}, u"文章 %1 は空です。"_s.arg(source), true});
        const QStringList sentences = SplitSentences(text);
        if (sentences.isEmpty())
            return give({{}, u"文章 %1 に日本語の文がありません。"_s.arg(source), true});

        // Kanji are read by MeCab, one sentence a line, as its answers come.
        QProcess mecab;
        const bool dictionaryWanted = std::any_of(sentences.cbegin(), sentences.cend(), needsReading);
        if (dictionaryWanted) {
            // The reading is the IPA dictionary's eighth field: that one,
            // where there are several.
            QStringList arguments{u"-F"_s, u"%m\\t%f[7]\\n"_s, u"-U"_s, u"%m\\t\\n"_s, u"-E"_s, u"EOS\\n"_s};
            if (QFileInfo::exists(IpaDictionary))
                arguments += {u"-d"_s, IpaDictionary};
            mecab.start(u"mecab"_s, arguments);
            if (mecab.waitForStarted()) {
                for (const QString &sentence : sentences | std::views::filter(needsReading))
                    mecab.write((sentence + u'\n').toUtf8());
                mecab.closeWriteChannel();
            }
        }
        const bool dictionary = mecab.state() == QProcess::Running;
        // A line of MeCab's, for half a minute at most, and only while this
        // reading is still wanted.
        const auto lineComes = [&] {
            for (QDeadlineTimer deadline(30'000); !deadline.hasExpired() && generation == mine;) {
                if (mecab.canReadLine() || mecab.waitForReadyRead(100))
                    return true;
                if (mecab.state() == QProcess::NotRunning)
                    return false;
            }
            return false;
        };
        QList<Sentence> all;
        TextBatch batch;
        QString pending;
        qsizetype next = 0, skipped = 0;
        const auto sentenceDone = [&](const QString &reading) {
            const QString &written = sentences[next++];
            if (reading.isEmpty()) {
                ++skipped;
            } else {
                batch.sentences.append({written, reading});
                all.append(batch.sentences.back());
            }
            if (batch.sentences.size() >= (given ? BatchSize : 1))
                give(std::exchange(batch, {}));
        };
        bool gaveUp = false;
        while (next < sentences.size() && generation == mine && !gaveUp) {
            if (!needsReading(sentences[next])) {
                sentenceDone(typedPart(sentences[next]));
            } else if (!dictionary) {
                sentenceDone({});
            } else if (!lineComes()) {
                break; // MeCab ended or hung: what it read stands
            } else {
                while (mecab.canReadLine()) {
                    const QString line = QString::fromUtf8(mecab.readLine()).chopped(1);
                    if (line != u"EOS"_s) {
                        pending += line + u'\n';
                        gaveUp = pending.size() > 100 * LongestSentence; // no sentence has that many words: MeCab is not itself
                        if (gaveUp)
                            break;
                        continue;
                    }
                    QList<QStringView> tokens;
                    for (QStringView token : QStringView(pending).split(u'\n', Qt::SkipEmptyParts))
                        tokens.append(token);
                    sentenceDone(ReadingOfMecabLines(sentences[next], tokens).value_or(QString()));
                    pending.clear();
                    while (next < sentences.size() && !needsReading(sentences[next]))
                        sentenceDone(typedPart(sentences[next]));
                    if (next >= sentences.size())
                        break;
                }
            }
        }
        if (mecab.state() != QProcess::NotRunning) {
            mecab.kill();
            mecab.waitForFinished();
        }
        skipped += sentences.size() - next;
        if (dictionaryWanted && !dictionary && skipped)
            batch.problem = u"漢字の読みを付ける MeCab が見つからないので、漢字のある文 %1 文を飛ばします（mecab と mecab-ipadic-utf8 を入れると読めます）。かなだけの文は練習できます。"_s.arg(skipped);
        else if (skipped)
            batch.problem = u"文章 %1 の %2 文は読みが付けられないので飛ばします。"_s.arg(source).arg(skipped);
        // Kept, to be gone on with another time.
        if (generation == mine && !all.isEmpty() && !KeepText(all, source, &problem))
            batch.problem += problem;
        batch.done = true;
        give(batch);
    });
}

QString KeptTextPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestova/text.txt"_s;
}

bool KeepText(const QList<Sentence> &sentences, const QString &source, QString *problem)
{
    QDir().mkpath(QFileInfo(KeptTextPath()).path());
    QSaveFile file(KeptTextPath());
    if (file.open(QIODevice::WriteOnly)) {
        QByteArray text = (SourceHead + QString(source).replace(u'\n', u' ') + u'\n').toUtf8();
        for (const Sentence &sentence : sentences) {
            // Nothing that would end its line or make it a comment.
            QString written = QString(sentence.written).replace(QRegularExpression(u"[\\t\\r\\n]"_s), u" "_s);
            if (written.startsWith(u'#'))
                written[0] = u'＃';
            text += (written + u'\t' + sentence.reading + u'\n').toUtf8();
        }
        file.write(text);
        if (file.commit())
            return true;
    }
    *problem = u"文章を %1 に保存できません：%2"_s.arg(KeptTextPath(), file.errorString());
    return false;
}

QList<Sentence> KeptText(QString *source)
{
    QFile file(KeptTextPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    const QString head = QString::fromUtf8(text.left(text.indexOf('\n')));
    *source = head.startsWith(SourceHead) ? head.mid(SourceHead.size()) : QString();
    return ParseSentences(text, KeptTextPath(), nullptr);
}

} // namespace kestova::course
