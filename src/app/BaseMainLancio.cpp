// Running a menu entry, a quick entry or a big button through its function library.

#include "app/BaseMain.h"

#include "app/BarraProgrammi.h"
#include "app/FunzioniDll.h"
#include "datamodule/TabX.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"

#include <QPushButton>
#include <QTimer>

namespace {

// What a menu row or a big button runs.
struct Funzione {
    QString Dll;
    QString Nome;
    QString Livello2Versione;
    QString Parametri;
};

Funzione LeggiFunzione(const fb::TQuery& query) {
    return {query.FieldByName(QStringLiteral("DLL")).AsString(),
            query.FieldByName(QStringLiteral("FUNZIONE")).AsString(),
            query.FieldByName(QStringLiteral("LIVELLO2VERSIONE")).AsString(),
            query.FieldByName(QStringLiteral("PARAMETRIBLOB")).AsString()};
}

const QString InizioErroreVoce = QStringLiteral(
    "Impossibile caricare la finestra relativa alla voce di menu selezionata. Controllare le impostazioni di "
    "menu del programma ");
const QString InizioErrorePulsantone = QStringLiteral(
    "Impossibile caricare la finestra relativa al pulsantone premuto. Controllare le impostazioni del "
    "pulsantone ");

} // namespace

void TBaseMainForm::EseguiFunzioneVoce(qint32 programma, qint32 menu, int modo) {
    if (!MantieniStdMin) {
        fb::TQuery& profilo =
            PreparataAux({QStringLiteral("SELECT LIVELLOPREDEFINITO FROM PROFILI WHERE"), QStringLiteral("CODICE=:CODICE")});
        profilo.ParamByName(QStringLiteral("CODICE")).AsString(QString::number(CodiceProfilo));
        profilo.Open();
        const bool esiste = !profilo.Eof();
        profilo.Close();
        if (!esiste) {
            piattaforma::MostraErrore(QStringLiteral("Errore di configurazione dell'utente ") + TabXForm->GetNomeUser() +
                                      QStringLiteral(": il profilo sicurezza assegnato non esiste"));
            return;
        }
    }
    fb::TQuery& voce = PreparataAux({QStringLiteral("SELECT DLL, FUNZIONE, LIVELLO2VERSIONE, PARAMETRIBLOB"),
                                     QStringLiteral("FROM DETTMENU WHERE"), QStringLiteral("(PROGRAMMA=:PROGRAMMA)AND"),
                                     QStringLiteral("(MENU=:MENU)")});
    voce.ParamByName(QStringLiteral("PROGRAMMA")).AsString(QString::number(programma));
    voce.ParamByName(QStringLiteral("MENU")).AsString(QString::number(menu));
    voce.Open();
    if (voce.Eof()) {
        voce.Close();
        piattaforma::MostraErrore(InizioErroreVoce + QString::number(programma) + QStringLiteral(": manca il menu ") +
                                  QString::number(menu));
        return;
    }
    const Funzione funzione = LeggiFunzione(voce);
    voce.Close();

    const QString interna = funzione.Nome.toUpper();
    if (interna == QStringLiteral("CHIUDI")) {
        // The window closes once the click has been handled.
        QTimer::singleShot(0, this, &TBaseMainForm::close);
        return;
    }
    if (interna == QStringLiteral("CAMBIOUTENTE")) {
        CambioUtente();
        return;
    }
    if (interna == QStringLiteral("CAMBIODITTA")) {
        CambioDitta();
        return;
    }
    if (funzione.Dll.isEmpty()) {
        piattaforma::MostraErrore(InizioErroreVoce + QString::number(programma) + QStringLiteral(": manca la DLL ") +
                                  QStringLiteral("di riferimento per caricare la finestra nel menu ") +
                                  QString::number(menu));
        return;
    }
    if (funzione.Nome.isEmpty()) {
        piattaforma::MostraErrore(InizioErroreVoce + QString::number(programma) + QStringLiteral(": manca la ") +
                                  QStringLiteral("funzione di riferimento per caricare la finestra nel menu ") +
                                  QString::number(menu));
        return;
    }
    AvviaFunzione(funzione.Dll, funzione.Nome, funzione.Parametri, modo);
}

void TBaseMainForm::PulsantoneClick(QPushButton* pulsante) {
    const qint32 id = pulsante->property("Tag").toInt();
    fb::TQuery& riga = PreparataAux({QStringLiteral("SELECT DLL,FUNZIONE,LIVELLO2VERSIONE,PARAMETRIBLOB"),
                                     QStringLiteral("FROM PULSANTONI"), QStringLiteral("WHERE ID=:ID")});
    riga.ParamByName(QStringLiteral("ID")).AsString(QString::number(id));
    riga.Open();
    if (riga.Eof()) {
        riga.Close();
        piattaforma::MostraAvviso(QStringLiteral("Errore nella configurazione del pulsantone"));
        return;
    }
    const Funzione funzione = LeggiFunzione(riga);
    riga.Close();
    if (funzione.Dll.isEmpty()) {
        piattaforma::MostraErrore(InizioErrorePulsantone + QString::number(id) + QStringLiteral(": manca la DLL ") +
                                  QStringLiteral("di riferimento per caricare la finestra"));
        return;
    }
    if (funzione.Nome.isEmpty()) {
        piattaforma::MostraErrore(InizioErrorePulsantone + QString::number(id) +
                                  QStringLiteral(": manca la funzione ") +
                                  QStringLiteral("di riferimento per caricare la finestra"));
        return;
    }
    AvviaFunzione(funzione.Dll, funzione.Nome, funzione.Parametri,
                  fb::FlagAttivo(funzione.Livello2Versione) ? 2 : 1);
}

// The steps every launch shares once the entry is known: session, call log, company,
// then the loader of the export's form.
void TBaseMainForm::AvviaFunzione(const QString& dll, const QString& funzione, const QString& parametri, int modo) {
    // Nothing runs from the access pages, whatever reached here.
    if (!SessioneAperta)
        return;
    if (!VerificaStatoSessione(true))
        return;
    const qint32 idFinestra = AggiornaKestoLogFunz(funzione);
    if (!AggiornaDittaUtente(TabXForm->GetNumUser(), TabXForm->GetDitta()))
        return;
    // The form goes by the export name's last character, upper case only.
    const QChar ultimo = funzione.isEmpty() ? QChar() : funzione.back();
    if (ultimo == QLatin1Char('Y'))
        CaricaFunzioneDLL3Y(dll, funzione, parametri, idFinestra);
    else if (ultimo == QLatin1Char('X'))
        modo == 2 ? CaricaFunzioneDLL2X(dll, funzione, parametri, idFinestra)
                  : CaricaFunzioneDLLX(dll, funzione, idFinestra);
    else
        modo == 2 ? CaricaFunzioneDLL2(dll, funzione, parametri) : CaricaFunzioneDLL(dll, funzione);
}

void TBaseMainForm::EventoVoceOnClick(QAction* voce) {
    EseguiFunzioneVoce(TagMenuPrincipale, voce->data().toInt(), 1);
}

// Whatever the launch did, the users transaction starts afresh and the menu is read again.
void TBaseMainForm::EventoVoce2OnClick(QAction* voce) {
    const qint32 menu = voce->data().toInt();
    try {
        EseguiFunzioneVoce(TagMenuPrincipale, menu, 2);
    } catch (...) {
        RicaricaDopoVoce2();
        throw;
    }
    RicaricaDopoVoce2();
}

void TBaseMainForm::RicaricaDopoVoce2() {
    if (TabXForm->TransazioneUser.InTransaction())
        TabXForm->TransazioneUser.Rollback();
    TabXForm->TransazioneUser.StartTransaction();
    if (TGruppoProgramma* attivo = MenuProgrammi->GruppoAttivo())
        CaricaMenu(attivo->Tag());
}

void TBaseMainForm::CaricaFunzioneDLL(const QString& dll, const QString& funzione) {
    FunzioniDll->CaricaFunzioneDLL(dll, funzione, TabXForm->GetNumUser());
}

void TBaseMainForm::CaricaFunzioneDLL2(const QString& dll, const QString& funzione, const QString& parametri) {
    FunzioniDll->CaricaFunzioneDLL2(dll, funzione, parametri, TabXForm->GetNumUser());
}

void TBaseMainForm::CaricaFunzioneDLLX(const QString& dll, const QString& funzione, qint32 idFinestra) {
    FunzioniDll->CaricaFunzioneDLLX(dll, funzione, idFinestra, TabXForm->GetNumUser());
}

void TBaseMainForm::CaricaFunzioneDLL2X(const QString& dll, const QString& funzione, const QString& parametri,
                                        qint32 idFinestra) {
    FunzioniDll->CaricaFunzioneDLL2X(dll, funzione, parametri, idFinestra, TabXForm->GetNumUser());
}

void TBaseMainForm::CaricaFunzioneDLL3Y(const QString& dll, const QString& funzione, const QString& parametri,
                                        qint32 idFinestra) {
    FunzioniDll->CaricaFunzioneDLL3Y(dll, funzione, parametri, idFinestra, TabXForm->GetNumUser());
}
