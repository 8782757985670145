#include "db/SessioneCollegata.h"

#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Valori.h"

const QString VariabileSessione = QStringLiteral("QUENDRA_SESSIONE");

namespace {

void ImpostaMarca(fb::TDatabase& database, fb::TTransazione& transazione, const QString& valore) {
    if (!database.Connected())
        return;
    try {
        fb::TQuery query(&database, &transazione);
        query.ApriSQL({QStringLiteral("SELECT RDB$SET_CONTEXT('USER_SESSION', ") + fb::Quota(VariabileSessione) +
                       QStringLiteral(", ") + valore + QStringLiteral(") FROM RDB$DATABASE")});
        query.Close();
    } catch (const fb::EErroreDB&) {
    }
}

} // namespace

void MarcaSessioneCollegata(fb::TDatabase& database, fb::TTransazione& transazione, qint32 codiceSessione) {
    ImpostaMarca(database, transazione, fb::Quota(codiceSessione));
}

void TogliMarcaSessione(fb::TDatabase& database, fb::TTransazione& transazione) {
    ImpostaMarca(database, transazione, QStringLiteral("NULL"));
}
