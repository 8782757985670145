// Work sessions and the call log, in the users database through the window's QueryAux.

#include "app/BaseMain.h"

#include "datamodule/TabX.h"
#include "db/DumpIstruzione.h"
#include "db/SessioneCollegata.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"

#include <QDate>
#include <QTime>

namespace {

// The first column of a one-row select, as an integer: the generators' next values.
qint32 PrimoIntero(fb::TQuery& query, std::initializer_list<QString> righe) {
    query.ApriSQL(righe);
    const qint32 valore = query.Fields(0).AsInteger();
    query.Close();
    return valore;
}

// The workstation's clock, in the formats the tables keep.
QString Oggi() { return fb::Quota(fb::TestoData(QDate::currentDate())); }
QString Adesso() { return fb::Quota(fb::TestoOra(QTime::currentTime())); }

} // namespace

void TBaseMainForm::ApriSessione() {
    CodiceSessione = PrimoIntero(*QueryAux, {QStringLiteral("SELECT GEN_ID(CODICESESSIONEKESTOLOG,1) FROM RDB$DATABASE")});
    QueryAux->ImpostaSQL({QStringLiteral("INSERT INTO KESTOLOG (CODICESESSIONE,DATAAPERTURA,ORAAPERTURA,"),
                        QStringLiteral("CODICEUTENTE) VALUES("),
                        fb::Quota(CodiceSessione) + QStringLiteral(","),
                        Oggi() + QStringLiteral(","),
                        Adesso() + QStringLiteral(","),
                        fb::Quota(TabXForm->GetNumUser()) + QStringLiteral(")")});
    if (EseguiConfermaOSalva(*QueryAux, *TransazioneAux, QStringLiteral("ApriSessione"),
                             piattaforma::TipoMessaggio::Errore,
                             QStringLiteral("Errore interno: impossibile aprire la sessione utente")))
        MarcaSessione();
}

void TBaseMainForm::MarcaSessione() {
    MarcaSessioneCollegata(TabXForm->IBDatabaseUser, *TransazioneAux, CodiceSessione);
    GenerazioneMarcata = TabXForm->IBDatabaseUser.Generazione();
}

bool TBaseMainForm::VerificaStatoSessione(bool avvisi) {
    // A fresh snapshot: the session may have been closed from another workstation.
    QueryAux->Close();
    if (TransazioneAux->InTransaction())
        TransazioneAux->Rollback();
    TransazioneAux->StartTransaction();
    QueryAux->ImpostaSQL({QStringLiteral("SELECT * FROM KESTOLOG WHERE CODICESESSIONE=") + fb::Quota(CodiceSessione)});
    QueryAux->Open();
    if (QueryAux->Eof()) {
        if (avvisi)
            piattaforma::MostraAvviso(QStringLiteral("Attenzione: non risulta aperta nessuna sessione di lavoro"));
        return false;
    }
    if (!QueryAux->FieldByName(QStringLiteral("DATACHIUSURA")).AsString().isEmpty()) {
        if (avvisi)
            piattaforma::MostraAvviso(
                QStringLiteral("Attenzione: la sessione corrente risulta chiusa. Si prega di uscire e rientrare"));
        return false;
    }
    if (TabXForm->IBDatabaseUser.Generazione() != GenerazioneMarcata)
        MarcaSessione();
    return true;
}

void TBaseMainForm::ChiudiSessione() {
    if (!VerificaStatoSessione(false))
        return;
    QueryAux->ImpostaSQL({QStringLiteral("UPDATE KESTOLOG SET"),
                        QStringLiteral("DATACHIUSURA=") + Oggi() + QStringLiteral(","),
                        QStringLiteral("ORACHIUSURA=") + Adesso(),
                        QStringLiteral("WHERE CODICESESSIONE=") + fb::Quota(CodiceSessione)});
    EseguiConfermaOSalva(*QueryAux, *TransazioneAux, QStringLiteral("ChiudiSessione"),
                         piattaforma::TipoMessaggio::Errore,
                         QStringLiteral("Errore interno: impossibile chiudere la sessione utente"));
}

qint32 TBaseMainForm::AggiornaKestoLogFunz(const QString& funzione) {
    const qint32 idFinestra =
        LogFinestre ? PrimoIntero(*QueryAux, {QStringLiteral("SELECT GEN_ID(IDFINESTRAKESTOLOGFUNZCOUNTER,1) FROM"),
                                             QStringLiteral("RDB$DATABASE")})
                    : 0;
    QueryAux->ImpostaSQL({QStringLiteral("INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,DATACHIAMATAFUNZIONE,"),
                        QStringLiteral("ORACHIAMATAFUNZIONE,FUNZIONECHIAMATA")});
    if (LogFinestre)
        QueryAux->SQL.Add(QStringLiteral(",IDFINESTRA"));
    QueryAux->SQL.Add(QStringLiteral(") VALUES("));
    QueryAux->SQL.Add(fb::Quota(CodiceSessione) + QStringLiteral(","));
    QueryAux->SQL.Add(Oggi() + QStringLiteral(","));
    QueryAux->SQL.Add(Adesso() + QStringLiteral(","));
    QueryAux->SQL.Add(fb::Quota(funzione));
    if (LogFinestre)
        QueryAux->SQL.Add(QStringLiteral(",") + fb::Quota(idFinestra));
    QueryAux->SQL.Add(QStringLiteral(")"));
    EseguiConfermaOSalva(*QueryAux, *TransazioneAux, QStringLiteral("AggiornaKestoLogFunz"),
                         piattaforma::TipoMessaggio::Avviso,
                         QStringLiteral("Errore interno di INSERT: impossibile aggiornare il log delle voci di "
                                        "menu chiamata. Sarà comunque possibile continuare ad usare il programma"));
    return idFinestra;
}
