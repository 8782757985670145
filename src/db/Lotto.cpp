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
    ultimoErrore_ = testoErrore;
    try {
        query_.ExecSQL();
    } catch (const fb::EErroreDB& errore) {
        if (errore.ConnessionePersa())
            throw;
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

template <typename Conclusione> bool TLottoIstruzioni::Concludi(Conclusione conclusione) {
    if (!riuscito_)
        return false;
    try {
        conclusione();
    } catch (const fb::EErroreDB& errore) {
        if (errore.ConnessionePersa())
            throw;
        // Left pending, the batch would keep its rows locked: it fails as its last statement.
        Fallito(ultimoErrore_.isEmpty() ? errore.Messaggio() : ultimoErrore_);
    }
    return riuscito_;
}

bool TLottoIstruzioni::Commit() {
    return Concludi([this] { transazione_.Commit(); });
}

bool TLottoIstruzioni::CommitRetaining() {
    return Concludi([this] { transazione_.CommitRetaining(); });
}

void RiavviaTransazione(fb::TTransazione& transazione) {
    if (transazione.InTransaction())
        transazione.Rollback();
    transazione.StartTransaction();
}
