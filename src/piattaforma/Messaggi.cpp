#include "Messaggi.h"

#include <cstdio>

namespace piattaforma {

namespace {

const char* DescriviTipo(TipoMessaggio tipo) {
    switch (tipo) {
    case TipoMessaggio::Errore:
        return "Errore";
    case TipoMessaggio::Avviso:
        return "Avviso";
    case TipoMessaggio::Informazione:
        return "Informazione";
    case TipoMessaggio::Conferma:
        return "Conferma";
    case TipoMessaggio::Semplice:
        break;
    }
    return "Messaggio";
}

// Before the program has a window there is nobody to answer: say No to be safe.
class MessaggiSuStderr : public Messaggi {
public:
    Risposta Mostra(TipoMessaggio tipo, const QString& testo, const QString&) override {
        std::fprintf(stderr, "%s: %s\n", DescriviTipo(tipo), testo.toLocal8Bit().constData());
        return tipo == TipoMessaggio::Conferma ? Risposta::No : Risposta::Ok;
    }
};

Messaggi*& MessaggiImpostati() {
    static Messaggi* messaggi = nullptr;
    return messaggi;
}

} // namespace

Messaggi& MessaggiCorrenti() {
    static MessaggiSuStderr predefiniti;
    Messaggi* impostati = MessaggiImpostati();
    return impostati ? *impostati : predefiniti;
}

void ImpostaMessaggi(Messaggi* messaggi) {
    MessaggiImpostati() = messaggi;
}

void MostraErrore(const QString& testo, const QString& titolo) {
    MessaggiCorrenti().Mostra(TipoMessaggio::Errore, testo, titolo);
}

void MostraAvviso(const QString& testo, const QString& titolo) {
    MessaggiCorrenti().Mostra(TipoMessaggio::Avviso, testo, titolo);
}

void MostraInformazione(const QString& testo, const QString& titolo) {
    MessaggiCorrenti().Mostra(TipoMessaggio::Informazione, testo, titolo);
}

bool ChiediConferma(const QString& testo, const QString& titolo) {
    return MessaggiCorrenti().Mostra(TipoMessaggio::Conferma, testo, titolo) == Risposta::Si;
}

void MostraMessaggio(const QString& testo, const QString& titolo) {
    MessaggiCorrenti().Mostra(TipoMessaggio::Semplice, testo, titolo);
}

} // namespace piattaforma
