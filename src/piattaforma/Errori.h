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

} // namespace piattaforma
