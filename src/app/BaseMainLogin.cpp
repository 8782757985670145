// The login: OK on either page turns the access window into the user's menu window.

#include "app/BaseMain.h"

#include "app/BarraProgrammi.h"
#include "app/Iniz.h"
#include "app/RegoleAccesso.h"
#include "datamodule/TabX.h"
#include "db/ZavDB.h"
#include "fb/Valori.h"
#include "piattaforma/Conversioni.h"
#include "piattaforma/Errori.h"
#include "piattaforma/Messaggi.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTimer>

#include <exception>
#include <optional>

namespace {

QString ErroreConfigurazione(const QString& nome, const QString& manca) {
    return QStringLiteral("E' stato trovato un errore nella configurazione dell'utente ") + nome +
           QStringLiteral(": manca il ") + manca;
}

// "3,12" or "3, 12": pieces at commas, blanks also separate and are dropped.
QStringList PezziAperturaForm(const QString& valore) {
    QStringList pezzi;
    for (const QString& traVirgole : valore.split(QLatin1Char(','))) {
        const QStringList parole = traVirgole.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parole.isEmpty())
            pezzi.append(QString());
        pezzi.append(parole);
    }
    return pezzi;
}

} // namespace

void TBaseMainForm::ButtonOkClick() {
    // A second OK while a login runs (a library may run an event loop of its own) does
    // nothing; a close waits for the end (FineLogin), errors included.
    if (LoginInCorso)
        return;
    LoginInCorso = true;
    const std::unique_ptr<TBaseMainForm, void (*)(TBaseMainForm*)> fine(this, [](TBaseMainForm* f) { f->FineLogin(); });
    // Read once: the user whose password is checked is the one who logs in.
    const QString nome = GetNomeUtente();
    const QString password = GetPassword();
    // Closed and destroyed whatever happens, errors included.
    auto iniz = std::make_unique<TInizForm>(this);
    bool ok = false;
    std::optional<Agenda> agenda;
    {
        // One read of the user's parameters answers every question of the login up to the
        // agenda, before any library runs.
        const TTabXForm::TParametriInBlocco parametri(*TabXForm);
        ok = EntraUtente(*iniz, nome, password);
        if (ok)
            ok = LeggiProfiloEProgetto();
        if (ok)
            PreparaMenu();
        if (ok && Modalita == ModalitaSmall)
            MenuPrincipale->hide();
        if (ok && Modalita != ModalitaSmall)
            CaricaPosizioneFinestra(this, TabXForm->GetNumUser(), 1, 1, TabXForm->IBDatabaseUser);
        if (ok && Parametro(QStringLiteral("AperturaAgenda")) == QStringLiteral("SI"))
            agenda = LeggiAgenda();
    }
    if (agenda)
        ApriAgenda(*agenda);
    iniz.reset();
    if (ok)
        ApriFormIniziale();
}

void TBaseMainForm::FineLogin() {
    LoginInCorso = false;
    if (ChiusuraRinviata) {
        ChiusuraRinviata = false;
        QTimer::singleShot(0, this, &TBaseMainForm::close);
    }
}

QString TBaseMainForm::Parametro(const QString& nome) {
    QString valore;
    TabXForm->CaricaParametro(nome, valore);
    return valore;
}

bool TBaseMainForm::EntraUtente(TInizForm& iniz, const QString& nome, const QString& password) {
    // Checked on what the users database holds now: a user deactivated, or a company
    // disabled, since the list was read stays out.
    if (const QString motivo = TabXForm->MotivoAccessoNegato(nome, password); !motivo.isEmpty()) {
        piattaforma::MostraErrore(motivo);
        SetPassword(QString());
        RicaricaUtenti();
        return false;
    }
    iniz.MostraSubito();
    PanelLogIn->hide();
    NotebookMain->hide();
    MenuProgrammi->show();
    TabXForm->SetUserPerNome(nome);
    ApriSessione();
    // The session counts as opened even when its row could not be written.
    SessioneAperta = true;
    Sessioni1->setEnabled(true);
    GestioneSemafori1->setEnabled(true);
    ApriArchivio();
    QueryAux->ApriSQL({QStringLiteral("SELECT ACCESSONORVANE FROM UTENTI WHERE"),
                       QStringLiteral("CODICE=") + fb::Quota(TabXForm->GetNumUser())});
    if (!QueryAux->Eof() && fb::FlagAttivo(QueryAux->Fields(0).AsString()))
        AccessoNorvane1->setEnabled(true);
    QueryAux->Close();
    return true;
}

// The archive of the user and company just made current; a failure leaves it closed and
// the functions that need it fail later.
void TBaseMainForm::ApriArchivio() {
    try {
        const QString archivio = Parametro(QStringLiteral("Archivio"));
        TabXForm->SetV(QStringLiteral("Archivio"), archivio);
        TabXForm->ConnettiDatabase1(QStringLiteral("Archivio"));
        QueryArchivio1->Close();
        QueryArchivio1->Database = &TabXForm->IBDatabase1;
        QueryArchivio1->Transaction = &TabXForm->IBTransaction1;
    } catch (const std::exception&) {
    }
}

bool TBaseMainForm::LeggiProfiloEProgetto() {
    QueryAux->ApriSQL({QStringLiteral("SELECT PROFILOSICUREZZA,PROGETTO,MANTIENISTDMIN"),
                       QStringLiteral("FROM UTENTI WHERE CODICE=") + fb::Quota(TabXForm->GetNumUser())});
    MantieniStdMin = fb::FlagAttivo(QueryAux->FieldByName(QStringLiteral("MANTIENISTDMIN")).AsString());
    const QString profilo = QueryAux->FieldByName(QStringLiteral("PROFILOSICUREZZA")).AsString();
    const QString progetto = QueryAux->FieldByName(QStringLiteral("PROGETTO")).AsString();
    QueryAux->Close();
    if (profilo.isEmpty() && !MantieniStdMin) {
        piattaforma::MostraErrore(ErroreConfigurazione(TabXForm->GetNomeUser(), QStringLiteral("profilo sicurezza")));
        return false;
    }
    if (progetto.isEmpty()) {
        piattaforma::MostraErrore(ErroreConfigurazione(TabXForm->GetNomeUser(), QStringLiteral("progetto")));
        return false;
    }
    CodiceProgetto = piattaforma::TestoInIntero(progetto);
    CodiceProfilo = profilo.isEmpty() ? 0 : piattaforma::TestoInIntero(profilo);
    ApplicaParametriProfilo();
    return true;
}

void TBaseMainForm::PreparaMenu() {
    ImpostaTitoloMenu();
    CaricaProgrammiEMenu();
    if (!MantieniStdMin) {
        LabelCambioUtente->setEnabled(true);
        LabelCambioDitta->setEnabled(true);
        LabelCambioUtente->repaint();
        LabelCambioDitta->repaint();
    }
}

// Also after a change of company. A failure, no program at all included, is one message.
void TBaseMainForm::CaricaProgrammiEMenu() {
    try {
        CaricaProgrammi();
        TGruppoProgramma* attivo = MenuProgrammi->GruppoAttivo();
        if (!attivo)
            throw std::runtime_error("no visible program");
        CaricaMenu(attivo->Tag());
    } catch (const std::exception&) {
        piattaforma::MostraErrore(QStringLiteral(
            "Si è verificato un errore durante la configurazione del programma sulla base dei criteri "
            "di personalizzazione dell'utente selezionato"));
    }
}

TBaseMainForm::Agenda TBaseMainForm::LeggiAgenda() {
    Agenda agenda{Parametro(QStringLiteral("DllAperturaAgenda")), Parametro(QStringLiteral("FunzioneAperturaAgenda"))};
    if (agenda.Libreria.isEmpty())
        agenda.Libreria = QStringLiteral("Pelmar.dll");
    if (agenda.Funzione.isEmpty())
        agenda.Funzione = LogFinestre ? QStringLiteral("ShowContattAgendaFormX") : QStringLiteral("ShowContattAgendaFormD");
    return agenda;
}

void TBaseMainForm::ApriAgenda(const Agenda& agenda) {
    // Logged under this name whichever entry is called.
    const qint32 idFinestra = AggiornaKestoLogFunz(QStringLiteral("ShowContattAgendaFormD"));
    CaricaFunzioneDLLX(agenda.Libreria, agenda.Funzione, idFinestra);
}

// The menu function the user's parameters ask for at the end of the login, as a click on it.
void TBaseMainForm::ApriFormIniziale() {
    const QString valore = Parametro(QStringLiteral("AperturaForm"));
    if (valore.isEmpty())
        return;
    const QStringList pezzi = PezziAperturaForm(valore);
    const qint32 programma = piattaforma::TestoInIntero(pezzi.value(0));
    if (pezzi.size() < 2)
        throw piattaforma::ErroreConversione(QStringLiteral("List index out of bounds (1)"));
    EseguiFunzioneVoce(programma, piattaforma::TestoInIntero(pezzi.at(1)), 1);
}
