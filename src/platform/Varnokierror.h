#pragma once

#include <QString>
#include <exception>

// The program's one error type: carries the message the user sees.
class EVarnokiError : public std::exception
{
public:
    explicit EVarnokiError(const QString &message)
        : FMessage(message), FUtf8(message.toUtf8())
    {
    }

    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};
