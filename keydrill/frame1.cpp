#include "frame1.h"

#include "codepage.h"
#include "keypress.h"
#include "randompicker.h"
#include "runtimeerror.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>

namespace keydrill {

using kestova::Twips;

namespace {
constexpr QPoint MapOriginTwips{120, 120};
constexpr QSize ClientTwips{4185, 1830};
} // namespace

Frame1::Frame1(QWidget *parent)
    : QWidget(parent), typedInput(this, kestova::AsKeyPress([this](qint16 &KeyAscii) { Form_KeyPress(KeyAscii); }), {}, &judgements)
{
    setObjectName(QStringLiteral("Frame1"));
    setWindowTitle(QStringLiteral("KestovaB 1.00"));
    setFixedSize(Twips(ClientTwips.width()), Twips(ClientTwips.height()));

    const kestova::KeyboardMap map = kestova::BuildKeyboardMap(this, MapOriginTwips);
    Frame1Array = map.Frame1;
    Label1 = map.Label1;

    Label2 = new QLabel(QStringLiteral("IMEの変換モードを「無変換」にしてください。"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(Twips(480), Twips(1440));
    Label2->adjustSize();

    // No control here takes the focus, so the window itself receives every
    // typed character, from the keyboard and from the input method alike.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
}

void Frame1::ShowNextKey()
{
    kestova::PassUpAs10000([this] {
        qint16 next;
        do {
            next = qint16(kestova::PickRandomIndex(qint16(59)));
        } while (next == CurrentKey);
        Label1[CurrentKey]->setVisible(false);
        Label1[next]->setVisible(true);
        CurrentKey = next;
    });
}

void Frame1::Form_Activate()
{
    kestova::ReportAndReturn([this] { ShowNextKey(); });
}

void Frame1::Form_KeyPress(qint16 &KeyAscii)
{
    kestova::ReportAndReturn([this, KeyAscii] {
        const QString typed = kestova::CharacterFromKeyAscii(KeyAscii);
        const QString asked = Label1[CurrentKey]->text();
        const bool hit = judgements.judge(asked, typed);
        if (hit)
            ShowNextKey();
    });
}

bool Frame1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        setFocus();
        Form_Activate();
    }
    return QWidget::event(event);
}

void Frame1::keyPressEvent(QKeyEvent *event)
{
    if (typedInput.keyPressEvent(event) == kestova::TypedInput::KeyUse::Ignored)
        QWidget::keyPressEvent(event);
}

void Frame1::keyReleaseEvent(QKeyEvent *event)
{
    typedInput.keyReleaseEvent(event);
    QWidget::keyReleaseEvent(event);
}

void Frame1::inputMethodEvent(QInputMethodEvent *event)
{
    typedInput.inputMethodEvent(event);
    event->accept();
}

QVariant Frame1::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return typedInput.acceptsInputMethod();
    case Qt::ImCursorRectangle:
        return QRect(Label2->geometry().topLeft(), QSize(1, Label2->height()));
    default:
        return QWidget::inputMethodQuery(query);
    }
}

} // namespace keydrill
