#include "inputmethods.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <QPointer>
#include <private/qguiapplication_p.h>
#include <qpa/qplatforminputcontext.h>
#include <qpa/qplatformintegration.h>

namespace kestova {
namespace {

QByteArray contextName()
{
    const QPlatformIntegration *platform = QGuiApplicationPrivate::platformIntegration();
    const QPlatformInputContext *context = platform ? platform->inputContext() : nullptr;
    return context ? QByteArray(context->metaObject()->className()) : QByteArray();
}

} // namespace

InputMethods &InputMethods::instance()
{
    static QPointer<InputMethods> one;
    if (!one)
        one = new InputMethods(QCoreApplication::instance());
    return *one;
}

// IBus knows its engine's language from the start; fcitx5 tells its input
// context's only once that has the focus.
InputMethods::InputMethods(QObject *application) : QObject(application), told(contextName().contains("IBus"))
{
    connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this, [this] {
        told = true;
        givenBack = false;
        emit changed();
    });
}

bool InputMethods::composeOnly() const
{
    const QByteArray name = contextName();
    return name.isEmpty() || name == "QComposeInputContext";
}

bool InputMethods::typesJapanese() const
{
    return told && !givenBack && !composeOnly() && QGuiApplication::inputMethod()->locale().language() == QLocale::Japanese;
}

void InputMethods::gaveBackKey()
{
    if (!typesJapanese())
        return;
    givenBack = true;
    emit changed();
}

} // namespace kestova
