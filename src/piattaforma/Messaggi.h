#pragma once

#include <QString>

namespace piattaforma {

enum class TipoMessaggio { Errore, Avviso, Informazione, Conferma, Semplice };
enum class Risposta { Ok, Si, No };

// Every message box of the program goes through here, so tests can read and answer them.
class Messaggi {
public:
    virtual ~Messaggi() = default;
    // Conferma shows Yes and No; every other kind shows OK.
    virtual Risposta Mostra(TipoMessaggio tipo, const QString& testo, const QString& titolo) = 0;
};

// Until the program installs its own boxes, messages go to stderr and confirmations
// are answered No.
Messaggi& MessaggiCorrenti();
// nullptr restores the default.
void ImpostaMessaggi(Messaggi* messaggi);

void MostraErrore(const QString& testo, const QString& titolo = {});
void MostraAvviso(const QString& testo, const QString& titolo = {});
void MostraInformazione(const QString& testo, const QString& titolo = {});
// True on Yes.
bool ChiediConferma(const QString& testo, const QString& titolo = {});
// A plain box with OK.
void MostraMessaggio(const QString& testo, const QString& titolo = {});

} // namespace piattaforma
