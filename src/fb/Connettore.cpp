#include "fb/Connettore.h"

#include "fb/Client.h"

#include <QFile>

namespace fb {

namespace {

class ConnettoreFirebird : public Connettore {
public:
    Firebird::IAttachment* Attacca(const QString& nomeDatabase, const QByteArray& dpb) override {
        client::Stato stato;
        // A database name is a file name: the file system's encoding, not the code page.
        return client::Provider()->attachDatabase(
            &stato, QFile::encodeName(nomeDatabase).constData(), static_cast<unsigned>(dpb.size()),
            reinterpret_cast<const unsigned char*>(dpb.constData()));
    }

    Firebird::IAttachment* Crea(const QString&, const QString& istruzione, int dialetto) override {
        client::Stato stato;
        // The statement names a file: it goes in the file system's encoding.
        const QByteArray testo = QFile::encodeName(istruzione);
        FB_BOOLEAN eraCreazione = FB_FALSE;
        client::Interfaccia<Firebird::IAttachment> attacco(client::Util()->executeCreateDatabase(
            &stato, static_cast<unsigned>(testo.size()), testo.constData(),
            static_cast<unsigned>(dialetto), &eraCreazione));
        if (!eraCreazione || !attacco)
            throw EErroreDB(QStringLiteral("Not a CREATE DATABASE statement: ") + istruzione);
        return attacco.Cedi();
    }
};

ConnettoreFirebird connettoreFirebird;
Connettore* connettoreCorrente = &connettoreFirebird;

} // namespace

Connettore& ConnettoreCorrente() { return *connettoreCorrente; }

void ImpostaConnettore(Connettore* connettore) {
    connettoreCorrente = connettore ? connettore : &connettoreFirebird;
}

} // namespace fb
