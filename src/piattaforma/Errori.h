#pragma once

#include <QString>

#include <stdexcept>

namespace piattaforma {

// Raised when a text does not convert to the number or date a field expects.
class ErroreConversione : public std::runtime_error {
public:
    explicit ErroreConversione(const QString& messaggio)
        : std::runtime_error(messaggio.toStdString()), messaggio_(messaggio) {}

    QString Messaggio() const { return messaggio_; }

private:
    QString messaggio_;
};

// The silent abort: ends the operation in progress without any message. A dataset's
// before-edit handler raises it to refuse entering edit mode.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace piattaforma
