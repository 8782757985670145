// Change of user and company, the keys that run them, and the checks made around them.

#include "app/BaseMain.h"

#include "app/BarraProgrammi.h"
#include "app/Finestre.h"
#include "app/RegoleAccesso.h"
#include "datamodule/TabX.h"
#include "db/DumpIstruzione.h"
#include "db/SessioneCollegata.h"
#include "fb/Valori.h"
#include "forms/MemoNorvane.h"
#include "forms/Semafori.h"
#include "forms/SelezDitta.h"
#include "forms/Sessioni.h"
#include "fb/Errore.h"
#include "piattaforma/Conversioni.h"
#include "piattaforma/Messaggi.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>

void TBaseMainForm::FormKeyUp(int tasto) {
    if (!SessioneAperta || MantieniStdMin || LoginInCorso)
        return;
    switch (tasto) {
    case Qt::Key_F8:
        CambioUtente();
        break;
    case Qt::Key_F9:
        CambioDitta();
        break;
    case Qt::Key_F12:
        DittaSuccessiva();
        break;
    default:
        break;
    }
}

void TBaseMainForm::CambioUtente() {
    // The libraries' windows work as the user who leaves.
    if (!ChiudiFinestrePerCambio())
        return;
    setWindowTitle(QStringLiteral("Autenticazione"));
    SetPassword(QString());
    PanelLogIn->show();
    NotebookMain->show();
    MenuProgrammi->hide();
    if (SessioneAperta && TabXForm)
        TogliMarcaSessione(TabXForm->IBDatabaseUser, *TransazioneAux);
    SessioneAperta = false;
    for (QAction* voce : {Sessioni1, GestioneSemafori1, AccessoNorvane1})
        voce->setEnabled(false);
    LabelCambioDitta->setEnabled(false);
    LabelCambioDitta->repaint();
    LabelCambioUtente->setEnabled(false);
    LabelCambioUtente->repaint();
    SvuotaMenuPrincipale();
    Voci.clear();
    VociRapide.clear();
    Gruppi.clear();
    MenuProgrammi->RimuoviGruppi();
    NumeroVoci = 1;
    // Left in place they would still launch functions as the user who left, on top of
    // the access page; the next login builds its own.
    RimuoviPulsantoni();
    // Users deactivated meanwhile leave the list.
    RicaricaUtenti();
    if (NotebookMain->currentWidget() == ModalitaLista)
        ListaUtenti2->setFocus();
    else
        ComboUtenti1->setFocus();
}

void TBaseMainForm::CambioDitta() {
    QString ditta;
    {
        TSelezDittaForm selezione(this, Modalita, TabXForm);
        if (Modalita == ModalitaSmall)
            selezione.resize(230, 300);
        if (selezione.exec() != QDialog::Accepted)
            return;
        ditta = selezione.DittaScelta();
    }
    // The libraries' windows work on the archive about to be closed.
    if (!DittaUsabile(ditta) || !ChiudiFinestrePerCambio() || !ScriviDittaUtente(ditta))
        return;
    // One read of the new company's parameters answers the change's questions.
    const TTabXForm::TParametriInBlocco parametri(*TabXForm);
    TabXForm->SetUserPerNome(TabXForm->GetNomeUser());
    QueryAux->ApriSQL({QStringLiteral("SELECT PROFILOSICUREZZA,PROGETTO,MANTIENISTDMIN"),
                       QStringLiteral("FROM UTENTI WHERE CODICE=") + fb::Quota(TabXForm->GetNumUser())});
    CodiceProgetto = QueryAux->FieldByName(QStringLiteral("PROGETTO")).AsInteger();
    CodiceProfilo = QueryAux->FieldByName(QStringLiteral("PROFILOSICUREZZA")).AsInteger();
    QueryAux->Close();
    ApplicaParametriProfilo();
    ApriArchivio();
    ImpostaTitoloMenu();
    CaricaProgrammiEMenu();
}

// The next company of the list, without dialog; programs and profile stay.
void TBaseMainForm::DittaSuccessiva() {
    QString ditta;
    {
        TSelezDittaForm selezione(this, Modalita, TabXForm);
        QListWidget* lista = selezione.ListBoxSelDitta;
        if (lista->count() == 0)
            return;
        const int corrente = lista->currentItem() && lista->currentItem()->isSelected() ? lista->currentRow() : -1;
        ditta = lista->item(corrente + 1 < lista->count() ? corrente + 1 : 0)->text();
    }
    if (!DittaUsabile(ditta) || !ChiudiFinestrePerCambio() || !ScriviDittaUtente(ditta))
        return;
    const TTabXForm::TParametriInBlocco parametri(*TabXForm);
    TabXForm->SetUserPerNome(TabXForm->GetNomeUser());
    // The archive follows the company the caption names, as with F9: semaphores and the
    // libraries' data must land in the new company's archive.
    ApriArchivio();
    ImpostaTitoloMenu();
    if (TGruppoProgramma* attivo = MenuProgrammi->GruppoAttivo())
        CaricaMenu(attivo->Tag());
}

// Checked as the change is made: the list may be older than an administrator's last change.
bool TBaseMainForm::DittaUsabile(const QString& ditta) {
    const QString motivo = TabXForm->MotivoDittaNonUsabile(ditta);
    if (motivo.isEmpty())
        return true;
    piattaforma::MostraErrore(QStringLiteral("Cambio ditta non effettuato: ") + motivo);
    return false;
}

void TBaseMainForm::RimuoviPulsantoni() {
    for (const QPointer<QPushButton>& pulsante : Pulsantoni) {
        if (pulsante) {
            pulsante->hide();
            pulsante->deleteLater();
        }
    }
    Pulsantoni.clear();
}

bool TBaseMainForm::ScriviDittaUtente(const QString& ditta) {
    RiavviaTransazioneAux();
    QueryAux->ImpostaSQL({QStringLiteral("UPDATE UTENTI SET DITTA=") + fb::Quota(ditta) + QStringLiteral(" WHERE"),
                          QStringLiteral("CODICE=") + fb::Quota(TabXForm->GetNumUser())});
    return EseguiConfermaOSalva(*QueryAux, *TransazioneAux, QStringLiteral("CambioDitta"),
                                piattaforma::TipoMessaggio::Errore,
                                QStringLiteral("Errore interno: impossibile effettuare il cambio ditta. Riprovare"));
}

bool TBaseMainForm::AggiornaDittaUtente(qint32 utente, const QString& ditta) {
    RiavviaTransazioneAux();
    fb::TQuery& lettura = PreparataAux({QStringLiteral("SELECT DITTA FROM UTENTI"), QStringLiteral("WHERE CODICE=:CODICE")});
    lettura.ParamByName(QStringLiteral("CODICE")).AsString(QString::number(utente));
    lettura.Open();
    const bool daScrivere = !lettura.Eof() && lettura.Fields(0).AsString() != ditta;
    lettura.Close();
    if (!daScrivere)
        return true;
    QueryAux->ImpostaSQL({QStringLiteral("UPDATE UTENTI SET DITTA=") + fb::Quota(ditta),
                          QStringLiteral("WHERE CODICE=") + fb::Quota(utente)});
    try {
        QueryAux->ExecSQL();
        TransazioneAux->CommitRetaining();
        return true;
    } catch (const fb::EErroreDB&) {
        piattaforma::MostraErrore(QStringLiteral("Errore interno di lettura parametro ditta"));
        return false;
    }
}

bool TBaseMainForm::VerificaFinestreAperte() {
    RiavviaTransazioneAux();
    QueryAux->ApriSQL({QStringLiteral("SELECT HANDLEFINESTRA FROM KESTOLOGFUNZ"),
                       QStringLiteral("WHERE CODICESESSIONE=") + fb::Quota(CodiceSessione)});
    bool nessuna = true;
    for (; nessuna && !QueryAux->Eof(); QueryAux->Next())
        nessuna = !FinestraEsiste(QueryAux->Fields(0).AsInt64());
    QueryAux->Close();
    return nessuna;
}

void TBaseMainForm::RiavviaTransazioneAux() {
    QueryAux->Close();
    if (TransazioneAux->InTransaction())
        TransazioneAux->Commit();
    TransazioneAux->StartTransaction();
}

fb::TQuery& TBaseMainForm::PreparataAux(const QStringList& righe) {
    return TabXForm->IBDatabaseUser.Preparata(righe, TransazioneAux.get());
}

void TBaseMainForm::ImpostaTitoloMenu() {
    setWindowTitle(QStringLiteral("Ditta: ") + TabXForm->GetDitta() + QStringLiteral(" - Utente: ") +
                   TabXForm->GetNomeUser());
}

// The maker parameters of the user and company may name another profile or project.
void TBaseMainForm::ApplicaParametriProfilo() {
    if (const QString valore = Parametro(QStringLiteral("PROFILO SICUREZZA")); !valore.isEmpty())
        CodiceProfilo = piattaforma::TestoInIntero(valore);
    if (const QString valore = Parametro(QStringLiteral("PROGETTO")); !valore.isEmpty())
        CodiceProgetto = piattaforma::TestoInIntero(valore);
}

// Only "Sistema" stays.
void TBaseMainForm::SvuotaMenuPrincipale() {
    const QList<QAction*> voci = MenuPrincipale->actions();
    for (QAction* voce : voci) {
        if (voce == Sistema1->menuAction())
            continue;
        MenuPrincipale->removeAction(voce);
        if (QMenu* sottomenu = voce->menu())
            sottomenu->deleteLater();
        else
            voce->deleteLater();
    }
}

// The "Sistema" windows: modal, owned by the main window, gone on return.
void TBaseMainForm::Sessioni1Click() {
    TSessioniForm finestra(this, TabXForm);
    finestra.exec();
}

void TBaseMainForm::GestioneSemafori1Click() {
    TSemaforiForm finestra(this, TabXForm);
    finestra.exec();
}

void TBaseMainForm::AccessoNorvane1Click() {
    TMemoNorvaneForm editor(this, TabXForm);
    editor.exec();
}
