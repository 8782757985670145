#include "db/Lotto.h"

#include "db/DumpIstruzione.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "piattaforma/Messaggi.h"

TLottoIstruzioni::TLottoIstruzioni(fb::TQuery& query, fb::TTransazione& transazione, QString operazione)
    : query_(query), transazione_(transazione), operazione_(std::move(operazione)) {}

bool TLottoIstruzioni::Esegui(std::initializer_list<QString> righe, const QString& testoErrore) {
    if (!riuscito_)
        return false;
    query_.ImpostaSQL(righe);
    try {
        query_.ExecSQL();
    } catch (const fb::EErroreDB&) {
        Fallito(testoErrore);
    }
    return riuscito_;
}

void TLottoIstruzioni::Fallito(const QString& testoErrore) {
    riuscito_ = false;
    if (!operazione_.isEmpty())
        SalvaIstruzione(operazione_, query_.SQL);
    // Released before the box waits on the user: other workstations are not held up.
    RiavviaTransazione(transazione_);
    piattaforma::MostraErrore(testoErrore);
}

void TLottoIstruzioni::Commit() {
    if (riuscito_)
        transazione_.Commit();
}

void TLottoIstruzioni::CommitRetaining() {
    if (riuscito_)
        transazione_.CommitRetaining();
}

void RiavviaTransazione(fb::TTransazione& transazione) {
    if (transazione.InTransaction())
        transazione.Rollback();
    transazione.StartTransaction();
}
