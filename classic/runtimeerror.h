#pragma once

#include <QString>
#include <exception>
#include <functional>

namespace kestova {

// A run-time error as the trainers raise and catch it: the number keeps the
// classic meaning (5 invalid argument, 6 overflow, 9 subscript, 13 type mismatch, 10000 passed up
// from a private routine), the description is what the user reads.
struct RuntimeError : std::exception {
    int Number = 0;
    QString Source;
    QString Description;

    RuntimeError(int number, QString source, QString description);
    const char *what() const noexcept override;

private:
    QByteArray whatText;
};

enum ErrorNumber : int {
    InvalidArgumentError = 5,
    OverflowError = 6,
    SubscriptError = 9,
    TypeMismatchError = 13,
    PassedUpError = 10000,
};

// Raises an error whose source is the running program's name.
[[noreturn]] void Raise(int number, const QString &description);
[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseSubscript();

// The four ways a routine treats errors. "None" needs no helper: the error
// simply leaves the routine.

// Event handlers: any error ends the handler with a plain message box.
void ReportAndReturn(const std::function<void()> &handler);

// Private routines: any error goes to the caller as number 10000, keeping the
// caught source and description.
void PassUpAs10000(const std::function<void()> &routine);

// A statement of a skip-and-go-on handler: a failure is dropped silently.
void SkipOnError(const std::function<void()> &statement);

} // namespace kestova
