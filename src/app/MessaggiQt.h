#pragma once

#include "../piattaforma/Messaggi.h"

// The message boxes people see.
class MessaggiQt : public piattaforma::Messaggi {
public:
    piattaforma::Risposta Mostra(piattaforma::TipoMessaggio tipo, const QString& testo,
                                 const QString& titolo) override;
};
