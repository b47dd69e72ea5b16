// Reading a 32,766-word list key by key, as the word trainer does at start,
// against one full read of the same file (parsed, every value decoded once):
// the cache must keep the key-by-key read within three full reads.
#include "codepage.h"
#include "inidocument.h"
#include "inifile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int WordCount = 32766;

QByteArray wordListFile()
{
    const QString kana = QStringLiteral("あいうえおかきくけこさしすせそたちつてと");
    QByteArray bytes = kestova::ToCp932(u"[システム]\r\n繰り返し回数=10\r\n[テキスト]\r\n");
    for (int n = 1; n <= WordCount; ++n) {
        QString word;
        for (int i = 0; i < 3 + n % 5; ++i)
            word += kana[(n * 7 + i * 3) % kana.size()];
        bytes += QByteArray::number(n) + '=' + kestova::ToCp932(word) + "\r\n";
    }
    return bytes;
}

template <typename F>
double medianMs(int runs, F run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QByteArray bytes = wordListFile();
    const int runs = 7;
    QList<QString> paths;
    for (int i = 0; i < runs; ++i) {
        paths.append(dir.filePath(QStringLiteral("text%1.ini").arg(i)));
        QFile file(paths.last());
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    const double parse = medianMs(runs, [&](int i) {
        QFile file(paths[i]);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        kestova::IniDocument document(file.readAll());
        document.decodeValues();
        if (!document.value(QStringLiteral("テキスト"), QStringLiteral("1")))
            std::abort();
    });
    const QString section = QStringLiteral("テキスト");
    // A fresh file each run, so every run parses once and then reads from memory.
    const double keyByKey = medianMs(runs, [&](int i) {
        for (int n = 1; n <= WordCount; ++n) {
            if (GetIniString(section, QString::number(n), paths[i]).isEmpty())
                std::abort();
        }
    });
    std::printf("== INI reads: %d words, %lld bytes, median of %d ==\n", WordCount,
                static_cast<long long>(bytes.size()), runs);
    std::printf("one full read             %8.2f ms\n", parse);
    std::printf("GetIniString, every key   %8.2f ms  (%.2f x one full read, budget 3 x): %s\n",
                keyByKey, keyByKey / parse, keyByKey <= 3 * parse ? "ok" : "OVER BUDGET");
    return keyByKey <= 3 * parse ? 0 : 1;
}
