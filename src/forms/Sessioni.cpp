#include "forms/Sessioni.h"

#include "datamodule/TabX.h"
#include "db/Lotto.h"
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
