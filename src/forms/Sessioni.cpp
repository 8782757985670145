#include "forms/Sessioni.h"

#include "datamodule/TabX.h"
#include "db/Lotto.h"
#include "db/SessioneCollegata.h"
#include "fb/Errore.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Protezione.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

TSessioniForm::TSessioniForm(QWidget* owner, TTabXForm* dataModule)
    : TListaMarcabile(owner, dataModule, QStringLiteral("GridSessioni"), QStringLiteral("CODICESESSIONE")),
      GridSessioni(Griglia()), QuerySessioni(&dataModule->IBDatabaseUser, &dataModule->TransazioneUser),
      QueryAux(&dataModule->IBDatabaseUser, &dataModule->TransazioneUser) {
    setObjectName(QStringLiteral("SessioniForm"));
    setWindowTitle(QStringLiteral("Sessioni aperte utente:") + QLatin1Char(' ') + dataModule->GetNomeUser());
    resize(425, 196);
    GridSessioni->setGeometry(8, 32, 289, 128);
    Label1->move(8, 15);
    Label1->adjustSize();
    ButtonSel->setGeometry(304, 32, 105, 25);
    ButtonDeSel->setGeometry(304, 57, 105, 25);
    ButtonChiudiSel = CreaPulsante(QStringLiteral("ButtonChiudiSel"), QStringLiteral("Ch&iudi selezionate"),
                                   QRect(304, 82, 105, 25));
    connect(ButtonChiudiSel, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonChiudiSelClick(); }));
    ButtonChiudi->setGeometry(304, 107, 105, 25);
    Ancore.Registra(GridSessioni, TAncore::Tutti);
    for (QPushButton* pulsante : {ButtonSel, ButtonDeSel, ButtonChiudiSel, ButtonChiudi})
        Ancore.Registra(pulsante, TAncore::AltoDestra);

    RiavviaTransazione(dataModule->TransazioneUser);
    ApriSessioni();
}

void TSessioniForm::ApriSessioni() {
    QuerySessioni.ApriSQL({QStringLiteral("SELECT CODICESESSIONE,DATAAPERTURA,ORAAPERTURA FROM KESTOLOG"),
                           QStringLiteral("WHERE (CODICEUTENTE=") + fb::Quota(TabXForm->GetNumUser()) +
                               QStringLiteral(")AND"),
                           QStringLiteral("(DATACHIUSURA IS NULL)")});
    MostraRighe(&QuerySessioni);
    MostraCollegamenti();
}

// Whether each session is still in use, from the engine's monitoring tables: a login marks its
// connection to the users database with its session code (a variable of the connection's
// context, which others read through MON$CONTEXT_VARIABLES). A session whose mark no
// connection carries is not in use: its program ended without closing it, or its user left
// with F8. The engine shows a user only the connections made under the same database login
// (all of them to SYSDBA and the owner), which every workstation of an installation shares;
// when the tables cannot be read at all, the column says so.
void TSessioniForm::MostraCollegamenti() {
    QHash<QString, QStringList> collegate;
    bool letti = true;
    try {
        fb::TTransazione lettura(&TabXForm->IBDatabaseUser);
        lettura.Params = {QStringLiteral("isc_tpb_read"), QStringLiteral("isc_tpb_concurrency"),
                          QStringLiteral("isc_tpb_nowait")};
        fb::TQuery query(&TabXForm->IBDatabaseUser, &lettura);
        query.ApriSQL({QStringLiteral("SELECT V.MON$VARIABLE_VALUE SESSIONE, A.MON$REMOTE_ADDRESS INDIRIZZO,"),
                       QStringLiteral("COALESCE(A.MON$REMOTE_PID, A.MON$SERVER_PID) PROCESSO,"),
                       QStringLiteral("IIF(A.MON$ATTACHMENT_ID = CURRENT_CONNECTION, 1, 0) QUESTA"),
                       QStringLiteral("FROM MON$CONTEXT_VARIABLES V"),
                       QStringLiteral("JOIN MON$ATTACHMENTS A ON A.MON$ATTACHMENT_ID = V.MON$ATTACHMENT_ID"),
                       QStringLiteral("WHERE V.MON$VARIABLE_NAME = ") + fb::Quota(VariabileSessione)});
        for (query.First(); !query.Eof(); query.Next()) {
            QString dove;
            if (query.FieldByName(QStringLiteral("QUESTA")).AsInteger() == 1)
                dove = QStringLiteral("questa postazione");
            else if (!query.FieldByName(QStringLiteral("INDIRIZZO")).AsString().isEmpty())
                dove = query.FieldByName(QStringLiteral("INDIRIZZO")).AsString();
            else
                dove = QStringLiteral("processo ") + query.FieldByName(QStringLiteral("PROCESSO")).AsString();
            collegate.insert(query.FieldByName(QStringLiteral("SESSIONE")).AsString(),
                             {QStringLiteral("sì, ") + dove});
        }
        query.Close();
        lettura.Commit();
    } catch (const fb::EErroreDB&) {
        letti = false;
    }
    QHash<QString, QStringList> valori;
    for (const QString& codice : Righe().Chiavi())
        valori.insert(codice, letti ? collegate.value(codice, {QStringLiteral("no")})
                                    : QStringList{QStringLiteral("non rilevabile")});
    MostraColonneAggiunte({QStringLiteral("In uso")}, valori);
}

void TSessioniForm::ButtonChiudiSelClick() {
    // Every marked session gets the moment the button was pressed.
    const QDateTime adesso = QDateTime::currentDateTime();
    if (!piattaforma::ChiediConferma(QStringLiteral("Effettuare la chiusura delle sessioni selezionate?")))
        return;
    QuerySessioni.Close();
    TLottoIstruzioni lotto(QueryAux, TabXForm->TransazioneUser);
    for (const QString& codice : ListaSelezionate)
        lotto.Esegui({QStringLiteral("UPDATE KESTOLOG SET"),
                      QStringLiteral("DATACHIUSURA=") + fb::Quota(fb::TestoData(adesso.date())) + QStringLiteral(","),
                      QStringLiteral("ORACHIUSURA=") + fb::Quota(fb::TestoOra(adesso.time())),
                      QStringLiteral("WHERE CODICESESSIONE=") + fb::Quota(codice)},
                     QStringLiteral("Errore interno di UPDATE: impossibile chiudere le sessioni selezionate. Riprovare"));
    lotto.Commit();
    ApriSessioni();
}
