#include "fb/Client.h"

#include "piattaforma/Codifica.h"

#include <ibase.h>

namespace fb::client {

using namespace Firebird;

IMaster* Master() {
    static IMaster* master = fb_get_master_interface();
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

Stato::Stato() : status_(Master()->getStatus()), wrapper_(status_) {}

Stato::~Stato() { status_->dispose(); }

bool Stato::Fallito() const { return (wrapper_.getState() & IStatus::STATE_ERRORS) != 0; }

void Stato::Verifica() {
    if (Fallito())
        throw Errore();
}

EErroreDB Stato::Errore() {
    char testo[2048];
    Util()->formatStatus(testo, sizeof testo, &wrapper_);
    const ISC_STATUS* vettore = wrapper_.getErrors();

    // The gds codes of the vector: each isc_arg_gds is followed by its code.
    QVector<long> codici;
    for (const ISC_STATUS* p = vettore; *p != isc_arg_end;) {
        const ISC_STATUS tipo = *p++;
        if (tipo == isc_arg_gds)
            codici.append(static_cast<long>(*p));
        if (tipo == isc_arg_cstring)
            ++p;
        ++p;
    }
    char stato[6] = {};
    fb_sqlstate(stato, vettore);
    const int sqlCode = static_cast<int>(isc_sqlcode(vettore));
    return EErroreDB(Decodifica(testo, static_cast<int>(qstrlen(testo))).trimmed(), codici, sqlCode,
                     QString::fromLatin1(stato, 5));
}

QByteArray Codifica(const QString& testo) { return piattaforma::ACp1252(testo); }

QString Decodifica(const char* dati, int lunghezza) {
    return piattaforma::DaCp1252(QByteArrayView(dati, lunghezza));
}

} // namespace fb::client
