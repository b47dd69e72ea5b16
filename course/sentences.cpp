#include "sentences.h"

#include "curriculum.h"


#include <QStringList>

using namespace Qt::StringLiterals;

namespace kestova::course {

QList<Sentence> ParseSentences(const QByteArray &text, const QString &source, QString *problem)
{
    QList<Sentence> sentences;
    QStringList faults;
    const QSet<QChar> typed = LayoutKana();
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString line = QString::fromUtf8(lines[number]).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        const QString written = line.left(tab).trimmed(), reading = tab < 0 ? QString() : line.mid(tab + 1).trimmed();
        if (written.isEmpty() || reading.isEmpty() || !std::all_of(reading.cbegin(), reading.cend(), [&](QChar kana) { return typed.contains(kana); }))
            faults.append(QString::number(number + 1));
        else
            sentences.append({written, reading});
    }
    if (!faults.isEmpty() && problem)
        *problem = u"%1 の %2 行目は「文<タブ>ひらがなの読み」ではないので飛ばします。"_s.arg(source, faults.mid(0, 5).join(u"、"_s));
    return sentences;
}

SentenceChooser::SentenceChooser(QList<Sentence> sentences) : all(std::move(sentences))
{
    for (const Sentence &sentence : std::as_const(all)) {
        QHash<QChar, int> counts;
        for (QChar kana : sentence.reading)
            ++counts[kana];
        QList<std::pair<QChar, int>> kana;
        for (auto count = counts.cbegin(); count != counts.cend(); ++count)
            kana.append({count.key(), count.value()});
        kanaOf.append(kana);
    }
}

int SentenceChooser::next(const QHash<QChar, double> &confidence, QRandomGenerator &random, int last) const
{
    if (all.isEmpty())
        return -1;
    QList<double> weights;
    weights.reserve(all.size());
    double total = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        double weakness = 0;
        for (const auto &[kana, count] : kanaOf[i])
            weakness += count * (1 - qBound(0.0, confidence.value(kana, 0), 1.0));
        const double weight = i == last && all.size() > 1 ? 0 : (1 + weakness) * (1 + weakness);
        weights.append(weight);
        total += weight;
    }
    // The last sentence with a weight where rounding runs past the end.
    double drawn = random.generateDouble() * total;
    int chosen = -1;
    for (qsizetype i = 0; i < weights.size() && drawn >= 0; ++i) {
        if (weights[i] > 0) {
            chosen = int(i);
            drawn -= weights[i];
        }
    }
    return chosen;
}

} // namespace kestova::course
