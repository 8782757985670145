// Work sessions and the call log, in the users database through the window's QueryAux.

#include "app/BaseMain.h"

#include "datamodule/TabX.h"
#include "db/DumpIstruzione.h"
#include "db/SessioneCollegata.h"
#include "fb/Errore.h"
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
    fb::TQuery& sessione = PreparataAux({QStringLiteral("SELECT * FROM KESTOLOG WHERE CODICESESSIONE=:CODICE")});
    sessione.ParamByName(QStringLiteral("CODICE")).AsString(QString::number(CodiceSessione));
    sessione.Open();
    const bool esiste = !sessione.Eof();
    const bool chiusa = esiste && !sessione.FieldByName(QStringLiteral("DATACHIUSURA")).AsString().isEmpty();
    sessione.Close();
    if (!esiste) {
        if (avvisi)
            piattaforma::MostraAvviso(QStringLiteral("Attenzione: non risulta aperta nessuna sessione di lavoro"));
        return false;
    }
    if (chiusa) {
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

namespace {

const QString AvvisoLog = QStringLiteral("Errore interno di INSERT: impossibile aggiornare il log delle voci di "
                                         "menu chiamata. Sarà comunque possibile continuare ad usare il programma");

void ImpostaRigaLog(fb::TQuery& riga, qint32 sessione, const QString& funzione) {
    riga.ParamByName(QStringLiteral("SESSIONE")).AsString(QString::number(sessione));
    riga.ParamByName(QStringLiteral("DATA")).AsString(fb::TestoData(QDate::currentDate()));
    riga.ParamByName(QStringLiteral("ORA")).AsString(fb::TestoOra(QTime::currentTime()));
    riga.ParamByName(QStringLiteral("FUNZIONE")).AsString(funzione);
}

} // namespace

// The log row as the statement has always been written, its values quoted: what runs
// without the window columns, and what is saved when a row is refused.
fb::TQuery& TBaseMainForm::RigaLog(const QString& funzione, qint32 idFinestra) {
    QStringList righe{QStringLiteral("INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,DATACHIAMATAFUNZIONE,"),
                      QStringLiteral("ORACHIAMATAFUNZIONE,FUNZIONECHIAMATA")};
    if (LogFinestre)
        righe << QStringLiteral(",IDFINESTRA");
    righe << QStringLiteral(") VALUES(") << QStringLiteral(":SESSIONE,") << QStringLiteral(":DATA,")
          << QStringLiteral(":ORA,") << QStringLiteral(":FUNZIONE");
    if (LogFinestre)
        righe << QStringLiteral(",:IDFINESTRA");
    righe << QStringLiteral(")");
    fb::TQuery& riga = PreparataAux(righe);
    ImpostaRigaLog(riga, CodiceSessione, funzione);
    if (LogFinestre)
        riga.ParamByName(QStringLiteral("IDFINESTRA")).AsString(QString::number(idFinestra));
    return riga;
}

qint32 TBaseMainForm::AggiornaKestoLogFunz(const QString& funzione) {
    if (!LogFinestre) {
        EseguiConfermaOSalva(RigaLog(funzione, 0), *TransazioneAux, QStringLiteral("AggiornaKestoLogFunz"),
                             piattaforma::TipoMessaggio::Avviso, AvvisoLog);
        return 0;
    }
    // The row draws its window identifier itself and hands it back: one round trip to the
    // server where a select of the generator and the insert took two.
    qint32 idFinestra = 0;
    try {
        fb::TQuery& riga = PreparataAux(
            {QStringLiteral("INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,DATACHIAMATAFUNZIONE,"),
             QStringLiteral("ORACHIAMATAFUNZIONE,FUNZIONECHIAMATA,IDFINESTRA) VALUES("),
             QStringLiteral(":SESSIONE,:DATA,:ORA,:FUNZIONE,GEN_ID(IDFINESTRAKESTOLOGFUNZCOUNTER,1))"),
             QStringLiteral("RETURNING IDFINESTRA")});
        ImpostaRigaLog(riga, CodiceSessione, funzione);
        riga.Open();
        idFinestra = riga.Fields(0).AsInteger();
        riga.Close();
    } catch (const fb::EErroreDB&) {
        // The row was refused: the launch still goes on with an identifier of its own. A
        // generator that cannot be read ends the launch, as it always has.
        fb::TQuery& generatore = PreparataAux({QStringLiteral("SELECT GEN_ID(IDFINESTRAKESTOLOGFUNZCOUNTER,1) FROM"),
                                               QStringLiteral("RDB$DATABASE")});
        generatore.Open();
        idFinestra = generatore.Fields(0).AsInteger();
        generatore.Close();
        SalvaIstruzione(QStringLiteral("AggiornaKestoLogFunz"), RigaLog(funzione, idFinestra).TestoEseguito());
        piattaforma::MostraAvviso(AvvisoLog);
        return idFinestra;
    }
    try {
        TransazioneAux->Commit();
    } catch (const fb::EErroreDB&) {
        SalvaIstruzione(QStringLiteral("AggiornaKestoLogFunz"), RigaLog(funzione, idFinestra).TestoEseguito());
        piattaforma::MostraAvviso(AvvisoLog);
    }
    return idFinestra;
}
