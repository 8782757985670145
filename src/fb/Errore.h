#pragma once

#include <QString>
#include <QVector>
#include <stdexcept>

namespace fb {

// The one exception of the database layer: the server's text and its error codes.
class EErroreDB : public std::runtime_error {
public:
    EErroreDB(const QString& messaggio, QVector<long> codici = {}, int sqlCode = 0,
              QString sqlState = {});

    const QString& Messaggio() const { return messaggio_; }
    // Every gds code of the status vector, in order (335544336, ...).
    const QVector<long>& Codici() const { return codici_; }
    // The first gds code, 0 when the error did not come from the client.
    long CodiceGds() const { return codici_.isEmpty() ? 0 : codici_.first(); }
    bool HaCodice(long codice) const { return codici_.contains(codice); }
    int SqlCode() const { return sqlCode_; }
    const QString& SqlState() const { return sqlState_; }

private:
    QString messaggio_;
    QVector<long> codici_;
    int sqlCode_;
    QString sqlState_;
};

} // namespace fb
