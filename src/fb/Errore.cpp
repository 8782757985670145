#include "fb/Errore.h"

#include <cerrno>

namespace fb {

namespace {

constexpr long IscIoOpenErr = 335544734;  // "Error while trying to open file"
constexpr long IscNetworkError = 335544721; // "Unable to complete network request to host"

// A server sends the system's text instead of its number.
bool TestoDiFileMancante(const QString& testo) {
    for (const char* noto : {"No such file or directory", "The system cannot find the file specified",
                             "The system cannot find the path specified"}) {
        if (testo.startsWith(QLatin1String(noto), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

EErroreDB::EErroreDB(const QString& messaggio, QVector<long> codici, int sqlCode, QString sqlState,
                     std::optional<CausaSistema> causa)
    : std::runtime_error(messaggio.toStdString()), messaggio_(messaggio), codici_(std::move(codici)),
      sqlCode_(sqlCode), sqlState_(std::move(sqlState)), causa_(std::move(causa)) {}

bool EErroreDB::FileInesistente() const {
    if (!HaCodice(IscIoOpenErr) || !causa_)
        return false;
    switch (causa_->origine) {
    case CausaSistema::Unix:
        return causa_->codice == ENOENT;
    case CausaSistema::Win32:
        return causa_->codice == 2 || causa_->codice == 3; // file, path not found
    case CausaSistema::Testo:
        return TestoDiFileMancante(causa_->testo);
    }
    return false;
}

bool EErroreDB::ServerIrraggiungibile() const { return HaCodice(IscNetworkError); }

bool EErroreDB::ConnessionePersa() const {
    // network error, read and write errors on the connection, connection lost, connection
    // and database shut down
    for (long codice : {IscNetworkError, 335544726L, 335544727L, 335544741L, 335544648L, 335544856L,
                        335544528L})
        if (HaCodice(codice))
            return true;
    return false;
}

bool EErroreDB::ConflittoDiBlocco() const {
    for (const long codice : {335544345L /* lock conflict */, 335544336L /* deadlock */,
                              335544451L /* update conflict */, 335544878L /* concurrent transaction */})
        if (HaCodice(codice))
            return true;
    return false;
}

} // namespace fb
