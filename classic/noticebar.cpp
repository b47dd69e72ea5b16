#include "noticebar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

// The notices shown at once, the latest last; older ones give way.
constexpr int NoticesShown = 3;

class NoticeBar : public QLabel {
public:
    explicit NoticeBar(QWidget *window) : QLabel(window)
    {
        setObjectName(u"notice"_s);
        setWordWrap(true);
        setTextFormat(Qt::PlainText); // a file's or a keyboard's name as it is
        setFocusPolicy(Qt::NoFocus);
        setMargin(6);
        setStyleSheet(u"QLabel#notice { background: #fff4c2; color: #1a1a1a; border-top: 1px solid #b08a00; }"_s);
        setToolTip(u"クリックするか Esc キーで閉じます。"_s);
        window->installEventFilter(this);
        qApp->installEventFilter(this);
    }

    void add(const QString &text)
    {
        notices.append(text);
        while (notices.size() > NoticesShown)
            notices.removeFirst();
        setText(notices.join(u'\n'));
        place();
        show();
        raise();
    }

protected:
    void mousePressEvent(QMouseEvent *) override { dismiss(); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
            place();
        // Esc, typed anywhere in the window, takes the notice away and nothing else.
        if (event->type() == QEvent::KeyPress && !isHidden() && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
            && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == window()) {
            dismiss();
            return true;
        }
        return false;
    }

private:
    void place()
    {
        const QWidget *window = parentWidget();
        const int height = heightForWidth(window->width());
        setGeometry(0, window->height() - height, window->width(), height);
    }

    void dismiss()
    {
        notices.clear();
        hide();
    }

    QStringList notices;
};

// The program's own window: the active one, else the first shown that is
// no message box of its own.
QWidget *programWindow()
{
    if (QWidget *active = QApplication::activeWindow(); active && !qobject_cast<QMessageBox *>(active))
        return active;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !qobject_cast<QMessageBox *>(widget) && !(widget->windowFlags() & Qt::Popup))
            return widget;
    }
    return nullptr;
}

void showInWindow(const QString &text, int triesLeft)
{
    QWidget *window = programWindow();
    if (!window) { // not shown yet: a moment later
        if (triesLeft > 0)
            QTimer::singleShot(200, qApp, [text, triesLeft] { showInWindow(text, triesLeft - 1); });
        return;
    }
    auto *bar = dynamic_cast<NoticeBar *>(window->findChild<QLabel *>(u"notice"_s, Qt::FindDirectChildrenOnly));
    if (!bar)
        bar = new NoticeBar(window);
    bar->add(text);
}

} // namespace

void ShowNoticeBar(const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), text.toLocal8Bit().constData());
    showInWindow(text, 50);
}

} // namespace kestova
