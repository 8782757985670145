#include "db/DumpIstruzione.h"

#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "piattaforma/Codifica.h"

#include <QFile>

void SalvaIstruzione(const QString& operazione, const QString& testo) {
    QFile file(QStringLiteral("Quendra.") + operazione + QStringLiteral(".sql"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return; // nowhere to write: the box still tells what failed
    file.write(piattaforma::ACp1252(testo));
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
