#pragma once

// Access to the Firebird client's interfaces, shared by the classes of this folder only.

#include "../fb/Errore.h"
#include "../fb/Interfaccia.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

namespace fb::client {

Firebird::IMaster* Master();
Firebird::IUtil* Util();
Firebird::IProvider* Provider();

// Owns one status object of the client.
template <typename T> class StatoBase : public Firebird::BaseStatusWrapper<T> {
public:
    StatoBase() : Firebird::BaseStatusWrapper<T>(Master()->getStatus()) {}
    ~StatoBase() { this->status->dispose(); }
    StatoBase(const StatoBase&) = delete;
    StatoBase& operator=(const StatoBase&) = delete;

    bool Fallito() const { return (this->getState() & Firebird::IStatus::STATE_ERRORS) != 0; }
};

// The status to hand to client calls, in the manner of the client's own throwing wrapper:
// each call starts clean and a failed call throws EErroreDB as it returns, so an error is
// never read late, after another call has cleared it.
class Stato : public StatoBase<Stato> {
public:
    static void checkException(Stato* stato) {
        if (stato->isDirty() && stato->Fallito())
            throw stato->Errore();
    }
    // The error the last call left, decoded.
    EErroreDB Errore() const;
};

// For clean-up that must not throw: the caller looks at Fallito itself.
class StatoMuto : public StatoBase<StatoMuto> {
public:
    static void checkException(StatoMuto*) {}
};

// Text crosses the boundary in the suite's single-byte code page.
QByteArray Codifica(const QString& testo);
QString Decodifica(const char* dati, int lunghezza);
// A text of the engine (an error message), which may quote file names and values.
QString DecodificaMessaggio(const char* testo);

} // namespace fb::client
