#pragma once

// Access to the Firebird client's interfaces, shared by the classes of this folder only.

#include "fb/Errore.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

namespace fb::client {

Firebird::IMaster* Master();
Firebird::IUtil* Util();
Firebird::IProvider* Provider();

// A status object for one call; Verifica throws EErroreDB when the call failed.
class Stato {
public:
    Stato();
    ~Stato();
    Stato(const Stato&) = delete;
    Stato& operator=(const Stato&) = delete;

    Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
    bool Fallito() const;
    void Verifica();
    EErroreDB Errore();
    void Azzera() { wrapper_.init(); }

private:
    Firebird::IStatus* status_;
    Firebird::CheckStatusWrapper wrapper_;
};

// Text crosses the boundary in the suite's single-byte code page.
QByteArray Codifica(const QString& testo);
QString Decodifica(const char* dati, int lunghezza);
// A text of the engine (an error message), which may quote file names and values.
QString DecodificaMessaggio(const char* testo);

} // namespace fb::client
