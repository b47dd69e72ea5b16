#pragma once

#include "practicestats.h"
#include "recorddatabase.h"

#include <QWidget>

#include <atomic>
#include <thread>

class QTabWidget;

namespace kestova::record {



// "練習の記録": how fast and how accurately the learner types, today, over the
// last 7 days and all time, per trainer and all together; kana per minute
// and accuracy day by day; the keyboard coloured by misses, the weakest
// kana and what was typed in their place; and when the thumb comes.
class RecordWindow : public QWidget {
    Q_OBJECT

public:
    explicit RecordWindow(const QString &recordPath = {}, QWidget *parent = nullptr);
    ~RecordWindow() override;

    QTabWidget *tabs = nullptr;

private:
    static constexpr int RereadEveryMs = 2000;
    void reload();
    QString writtenAt() const;

    QWidget *summaryPage(const PracticeStats &stats);
    QWidget *daysPage(const PracticeStats &stats);
    QWidget *keysPage(const PracticeStats &stats);
    QWidget *thumbPage(const PracticeStats &stats);

    const QString path;
    // An older record is brought up to date beside the window, shown at once.
    std::thread bringing;
    GivingUp givingUp;
    bool broughtUp = false;
    Period period = AllTime;
    QString readAt; // writtenAt() when last read
};

} // namespace kestova::record
