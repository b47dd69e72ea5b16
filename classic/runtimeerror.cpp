#include "runtimeerror.h"

#include "platform.h"

#include <QCoreApplication>

namespace kestova {

RuntimeError::RuntimeError(int number, QString source, QString description)
    : Number(number), Source(std::move(source)), Description(std::move(description)),
      whatText(Description.toUtf8())
{
}

const char *RuntimeError::what() const noexcept
{
    return whatText.constData();
}

void Raise(int number, const QString &description)
{
    throw RuntimeError(number, QCoreApplication::applicationName(), description);
}

void RaiseOverflow()
{
    Raise(OverflowError, QStringLiteral("オーバーフローしました。"));
}

void RaiseSubscript()
{
    Raise(SubscriptError, QStringLiteral("インデックスが有効範囲にありません。"));
}

void ReportAndReturn(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const RuntimeError &error) {
        ShowPlainMessage(error.Description);
    } catch (const std::exception &error) {
        ShowPlainMessage(QString::fromUtf8(error.what()));
    }
}

void PassUpAs10000(const std::function<void()> &routine)
{
    try {
        routine();
    } catch (const RuntimeError &error) {
        throw RuntimeError(PassedUpError, error.Source, error.Description);
    } catch (const std::exception &error) {
        throw RuntimeError(PassedUpError, QCoreApplication::applicationName(),
                           QString::fromUtf8(error.what()));
    }
}

void SkipOnError(const std::function<void()> &statement)
{
    try {
        statement();
    } catch (const std::exception &) {
    }
}

} // namespace kestova
