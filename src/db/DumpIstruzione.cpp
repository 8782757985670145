#include "db/DumpIstruzione.h"

#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "piattaforma/Codifica.h"
#include "piattaforma/FileRiservati.h"

void SalvaIstruzione(const QString& operazione, const QString& testo) {
    using piattaforma::EsitoScrittura;
    const QString nome = QStringLiteral("Quendra.") + operazione + QStringLiteral(".sql");
    const QByteArray contenuto = piattaforma::ACp1252(testo);
    if (piattaforma::ScriviFileRiservato(nome, contenuto) != EsitoScrittura::DirectoryNonScrivibile)
        return; // written, or nowhere to write: the box still tells what failed
    // A program started from a directory it may not write in keeps its dumps with its state.
    const QString stato = piattaforma::DirectoryStato();
    if (!stato.isEmpty())
        piattaforma::ScriviFileRiservato(stato + nome, contenuto);
}

void SalvaIstruzione(const QString& operazione, const fb::TRighe& istruzione) {
    SalvaIstruzione(operazione, istruzione.Text());
}

bool EseguiConfermaOSalva(fb::TQuery& query, fb::TTransazione& transazione, const QString& operazione,
                          piattaforma::TipoMessaggio tipo, const QString& testo) {
    try {
        query.ExecSQL();
        transazione.Commit();
        return true;
    } catch (const fb::EErroreDB&) {
        SalvaIstruzione(operazione, query.TestoEseguito());
        piattaforma::MessaggiCorrenti().Mostra(tipo, testo, QString());
        return false;
    }
}
