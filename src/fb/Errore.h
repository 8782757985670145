#pragma once

#include <QString>
#include <QVector>

#include <optional>
#include <stdexcept>

namespace fb {

// What the operating system said under an engine error, when it said something: an error
// number of this machine (Unix or Win32) or, from a server, its text.
struct CausaSistema {
    enum Origine { Unix, Win32, Testo };
    Origine origine = Unix;
    long codice = 0;
    QString testo;
};

// The one exception of the database layer: the server's text and its error codes.
class EErroreDB : public std::runtime_error {
public:
    EErroreDB(const QString& messaggio, QVector<long> codici = {}, int sqlCode = 0,
              QString sqlState = {}, std::optional<CausaSistema> causa = {});

    const QString& Messaggio() const { return messaggio_; }
    // Every gds code of the status vector, in order (335544336, ...).
    const QVector<long>& Codici() const { return codici_; }
    // The first gds code, 0 when the error did not come from the client.
    long CodiceGds() const { return codici_.isEmpty() ? 0 : codici_.first(); }
    bool HaCodice(long codice) const { return codici_.contains(codice); }
    int SqlCode() const { return sqlCode_; }
    const QString& SqlState() const { return sqlState_; }
    const std::optional<CausaSistema>& Causa() const { return causa_; }

    // The database file (or its directory) does not exist: the only failure to attach
    // after which creating the database is right.
    bool FileInesistente() const;
    // The server named in the database name did not answer or could not be found.
    bool ServerIrraggiungibile() const;
    // The connection is gone (server stopped, network down, database shut down): the
    // attachment is dead, and only attaching again can help.
    bool ConnessionePersa() const;
    // Another transaction holds the row (lock or update conflict, deadlock).
    bool ConflittoDiBlocco() const;

private:
    QString messaggio_;
    QVector<long> codici_;
    int sqlCode_;
    QString sqlState_;
    std::optional<CausaSistema> causa_;
};

} // namespace fb
