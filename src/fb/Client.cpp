#include "fb/Client.h"

#include "fb/Configurazione.h"
#include "piattaforma/Codifica.h"

#include <ibase.h>

namespace fb::client {

using namespace Firebird;

IMaster* Master() {
    static IMaster* master = [] {
        PreparaConfigurazione();
        return fb_get_master_interface();
    }();
    return master;
}

IUtil* Util() {
    static IUtil* util = Master()->getUtilInterface();
    return util;
}

IProvider* Provider() {
    static IProvider* provider = Master()->getDispatcher();
    return provider;
}

EErroreDB Stato::Errore() const {
    char testo[2048];
    Util()->formatStatus(testo, sizeof testo, status);
    const ISC_STATUS* vettore = getErrors();

    // The gds codes of the vector (each isc_arg_gds is followed by its code), and the
    // system's own cause where one is given.
    QVector<long> codici;
    std::optional<CausaSistema> causa;
    for (const ISC_STATUS* p = vettore; *p != isc_arg_end;) {
        const ISC_STATUS tipo = *p++;
        if (tipo == isc_arg_gds)
            codici.append(static_cast<long>(*p));
        else if (tipo == isc_arg_unix)
            causa = CausaSistema{CausaSistema::Unix, static_cast<long>(*p), {}};
        else if (tipo == isc_arg_win32)
            causa = CausaSistema{CausaSistema::Win32, static_cast<long>(*p), {}};
        else if (tipo == isc_arg_interpreted)
            causa = CausaSistema{CausaSistema::Testo, 0,
                                 DecodificaMessaggio(reinterpret_cast<const char*>(*p))};
        if (tipo == isc_arg_cstring)
            ++p;
        ++p;
    }
    char stato[6] = {};
    fb_sqlstate(stato, vettore);
    const int sqlCode = static_cast<int>(isc_sqlcode(vettore));
    return EErroreDB(DecodificaMessaggio(testo).trimmed(), codici, sqlCode,
                     QString::fromLatin1(stato, 5), causa);
}

// ---- Letting interfaces go ---------------------------------------------------------------

void Libera(IAttachment* attacco) noexcept {
    StatoMuto stato;
    attacco->detach(&stato);
    if (stato.Fallito())
        attacco->release();
}

void Libera(ITransaction* transazione) noexcept {
    StatoMuto stato;
    transazione->rollback(&stato);
    if (stato.Fallito())
        transazione->release();
}

void Libera(IResultSet* cursore) noexcept {
    StatoMuto stato;
    cursore->close(&stato);
    if (stato.Fallito())
        cursore->release();
}

void Libera(IBlob* blob) noexcept {
    StatoMuto stato;
    blob->close(&stato);
    if (stato.Fallito())
        blob->release();
}

void Libera(IStatement* istruzione) noexcept { istruzione->release(); }
void Libera(IMessageMetadata* metadati) noexcept { metadati->release(); }
void Libera(IMetadataBuilder* costruttore) noexcept { costruttore->release(); }
void Libera(IXpbBuilder* blocco) noexcept { blocco->dispose(); }

// ---- Text ---------------------------------------------------------------------------------

// The engine's texts are ASCII, but they quote file names (UTF-8 here) and values (the
// databases' single-byte code page): take the bytes as UTF-8 when they are.
QString DecodificaMessaggio(const char* testo) {
    const QByteArrayView dati(testo, qstrlen(testo));
    if (dati.isValidUtf8())
        return QString::fromUtf8(dati);
    return Decodifica(testo, static_cast<int>(dati.size()));
}

QByteArray Codifica(const QString& testo) { return piattaforma::ACp1252(testo); }

QString Decodifica(const char* dati, int lunghezza) {
    return piattaforma::DaCp1252(QByteArrayView(dati, lunghezza));
}

} // namespace fb::client
