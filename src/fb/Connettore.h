#pragma once

#include <QByteArray>
#include <QString>

namespace Firebird {
class IAttachment;
}

namespace fb {

// How a connection reaches a database. The real one is the Firebird client; tests put in a
// recording one where a database name needs a server that cannot exist on this machine.
class Connettore {
public:
    virtual ~Connettore() = default;
    // Attaches to the database name with a ready parameter block; throws EErroreDB on failure.
    // The connection that asked takes the attachment over, as with Crea.
    virtual Firebird::IAttachment* Attacca(const QString& nomeDatabase, const QByteArray& dpb) = 0;
    // Runs a CREATE DATABASE statement and returns the new attachment; throws on failure.
    virtual Firebird::IAttachment* Crea(const QString& nomeDatabase, const QString& istruzione,
                                        int dialetto) = 0;
};

Connettore& ConnettoreCorrente();
// nullptr restores the Firebird client.
void ImpostaConnettore(Connettore* connettore);

} // namespace fb
