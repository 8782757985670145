#include "forms/Semafori.h"

#include "datamodule/TabX.h"
#include "db/Lotto.h"
#include "fb/Errore.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Protezione.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>

TSemaforiForm::TSemaforiForm(QWidget* owner, TTabXForm* dataModule)
    : TListaMarcabile(owner, dataModule, QStringLiteral("GridSemafori"), QStringLiteral("ID")),
      GridSemafori(Griglia()), TransazioneSemafori(&dataModule->IBDatabase1),
      QuerySemafori(&dataModule->IBDatabase1, &TransazioneSemafori),
      QueryAux(&dataModule->IBDatabase1, &TransazioneSemafori) {
    TransazioneSemafori.Params = dataModule->IBTransaction1.Params;
    setObjectName(QStringLiteral("SemaforiForm"));
    setWindowTitle(QStringLiteral("Gestione semafori - Utente:") + QLatin1Char(' ') + dataModule->GetNomeUser());
    resize(560, 242);
    GridSemafori->setGeometry(8, 24, 424, 178);
    Label1->move(8, 7);
    Label1->adjustSize();
    ButtonSel->setGeometry(439, 24, 105, 25);
    ButtonDeSel->setGeometry(439, 49, 105, 25);
    ButtonLiberaSemafori = CreaPulsante(QStringLiteral("ButtonLiberaSemafori"), QStringLiteral("&Libera semafori"),
                                        QRect(439, 74, 105, 25));
    connect(ButtonLiberaSemafori, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonLiberaSemaforiClick(); }));
    ButtonChiudi->setGeometry(439, 179, 105, 25);
    Ancore.Registra(GridSemafori, TAncore::Tutti);
    for (QPushButton* pulsante : {ButtonSel, ButtonDeSel, ButtonLiberaSemafori})
        Ancore.Registra(pulsante, TAncore::AltoDestra);
    Ancore.Registra(ButtonChiudi, TAncore::BassoDestra);

    RiavviaTransazione(TransazioneSemafori);
    ApriSemafori();
}

// A missing table (an archive not yet maintained) leaves the grid empty.
void TSemaforiForm::ApriSemafori() {
    try {
        QuerySemafori.ApriSQL({QStringLiteral("SELECT * FROM SEMAFORIF"), QStringLiteral("WHERE OCCUPATO=1"),
                               QStringLiteral("ORDER BY ID DESC")});
    } catch (const fb::EErroreDB& e) {
        if (e.ConnessionePersa())
            throw;
        MostraRighe(nullptr);
        piattaforma::MostraErrore(QStringLiteral("Errore: tabella SEMAFORIF non esistente nell'archivio corrente. "
                                                 "Eseguire prima le manutenzioni."));
        return;
    }
    MostraRighe(&QuerySemafori);
    MostraDetentori();
}

// Who holds each semaphore, in words: the call log row with the same window identifier names
// the function, its session the user and whether that session was closed (a window left by a
// crashed program). Read apart from the windows' transactions; a call log without window
// columns, or any other failure here, leaves the two columns empty.
void TSemaforiForm::MostraDetentori() {
    QStringList identificativi;
    for (const QString& chiave : Righe().Chiavi()) {
        bool numero = false;
        const qint64 id = chiave.toLongLong(&numero);
        if (numero && !identificativi.contains(QString::number(id)))
            identificativi << QString::number(id);
    }
    QHash<QString, QStringList> detentori;
    try {
        fb::TTransazione lettura(&TabXForm->IBDatabaseUser);
        lettura.Params = {QStringLiteral("isc_tpb_read"), QStringLiteral("isc_tpb_read_committed"),
                          QStringLiteral("isc_tpb_rec_version"), QStringLiteral("isc_tpb_nowait")};
        fb::TQuery query(&TabXForm->IBDatabaseUser, &lettura);
        // Within the engine's limit on the items of an IN list.
        for (qsizetype da = 0; da < identificativi.size(); da += 500) {
            query.ApriSQL({QStringLiteral("SELECT F.IDFINESTRA, U.NOMEUTENTE, F.FUNZIONECHIAMATA, K.DATACHIUSURA"),
                           QStringLiteral("FROM KESTOLOGFUNZ F"),
                           QStringLiteral("LEFT JOIN KESTOLOG K ON K.CODICESESSIONE = F.CODICESESSIONE"),
                           QStringLiteral("LEFT JOIN UTENTI U ON U.CODICE = K.CODICEUTENTE"),
                           QStringLiteral("WHERE F.IDFINESTRA IN (") + identificativi.mid(da, 500).join(u',') +
                               QStringLiteral(")")});
            for (query.First(); !query.Eof(); query.Next()) {
                QString utente = query.FieldByName(QStringLiteral("NOMEUTENTE")).AsString();
                if (!query.FieldByName(QStringLiteral("DATACHIUSURA")).IsNull())
                    utente += QStringLiteral(" (sessione chiusa)");
                detentori.insert(query.FieldByName(QStringLiteral("IDFINESTRA")).AsString(),
                                 {utente, query.FieldByName(QStringLiteral("FUNZIONECHIAMATA")).AsString()});
            }
            query.Close();
        }
        lettura.Commit();
    } catch (const fb::EErroreDB&) {
        detentori.clear();
    }
    MostraColonneAggiunte({QStringLiteral("Occupato da"), QStringLiteral("Funzione")}, detentori);
}

void TSemaforiForm::ButtonLiberaSemaforiClick() {
    if (ListaSelezionate.isEmpty()) {
        piattaforma::MostraErrore(QStringLiteral("Selezionare almeno un semaforo da liberare"));
        return;
    }
    if (piattaforma::ChiediConferma(QStringLiteral("Liberare i semafori selezionati?"))) {
        QuerySemafori.Close();
        TLottoIstruzioni lotto(QueryAux, TransazioneSemafori);
        for (const QString& id : ListaSelezionate)
            lotto.Esegui({QStringLiteral("UPDATE SEMAFORIF SET"), QStringLiteral("OCCUPATO=0"),
                          QStringLiteral("WHERE ID=") + fb::Quota(id)},
                         QStringLiteral("Errore interno di UPDATE: impossibile liberare il semaforo selezionato. "
                                        "Riprovare"));
        lotto.CommitRetaining();
        ApriSemafori();
    }
    RegistraUso();
}

// Every use that reached the question is recorded, whatever the answer.
void TSemaforiForm::RegistraUso() {
    QueryAux.ImpostaSQL({QStringLiteral("INSERT INTO SEMAFORIFANOMALIE(ID,DATAORAANOMALIA,UTENTE,DLL,FORM,"
                                        "DESCRIZIONE) VALUES("),
                         QStringLiteral(" GEN_ID(IDSEMAFORIFANOMALIECOUNTER,1), 'NOW', ") +
                             QString::number(TabXForm->GetNumUser()) + QStringLiteral(",'','','Libera semafori')")});
    QueryAux.ExecSQL();
    TransazioneSemafori.CommitRetaining();
}
