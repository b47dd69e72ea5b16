// demo_record PATH: three weeks of plausible practice in a new practice
// record at PATH, for looking at the record window and for its pictures.
#include "strokerecorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString kana = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをんがぎぐぱ"_s;
    QRandomGenerator random(5);
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - 20LL * 86'400'000;
    for (int program = 0; program < 3; ++program) {
        kestova::record::StrokeRecorder recorder(QStringList{u"Kestova100"_s, u"KestovaC100"_s, u"KestovaB100"_s}[program], QString::fromLocal8Bit(argv[1]));
        qint64 time = start + program * 3'600'000;
        for (int i = 0; i < 6000; ++i) {
            time += i % 300 ? 300 + random.bounded(900 - i / 10) : 86'400'000 / 5;
            const QString asked = kana.mid(random.bounded(kana.size()), 1);
            const bool hit = random.bounded(100) < 85 + i / 600;
            const bool thumb = random.bounded(3) == 0;
            const auto offset = thumb ? std::optional<qint64>(random.bounded(160) - 60) : std::nullopt;
            const auto reason = !offset ? kestova::StrokeReason::Plain : qAbs(*offset) < 100 ? kestova::StrokeReason::Chord
                    : *offset > 0 ? kestova::StrokeReason::ThumbTooLate : kestova::StrokeReason::ThumbTooEarly;
            recorder.add({asked, hit ? asked : kana.mid(random.bounded(kana.size()), 1), hit, time, reason, offset});
        }
    }
}
