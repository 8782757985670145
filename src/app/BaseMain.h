#pragma once

#include "../fb/Query.h"
#include "../fb/Transazione.h"

#include <QMainWindow>
#include <QString>

#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class TAlberoMenu;
class TBarraProgrammi;
class TGruppoProgramma;
class TVoceRapida;
class TFunzioniDll;
class TInizForm;
class TSpinButton;
class TTabXForm;

// "STANDARD" or "SMALL", set by the program start before any window exists.
extern QString ModalitaProgramma;

// The access window: the login screen first, the menu window after a login. It owns the one
// data module for the whole run.
class TBaseMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate; a database error there is reported and the window opens as it got.
    explicit TBaseMainForm(QWidget* parent = nullptr);
    ~TBaseMainForm() override;

    // ---- Components ----
    QWidget* Panel1;
    QLabel* LabelCambioUtente;
    QLabel* LabelCambioDitta;
    QStackedWidget* NotebookMain;
    QWidget* ModalitaDefault;
    QWidget* ModalitaLista;
    QFrame* PanelLogIn;
    QLabel* LabelUtente1;
    QComboBox* ComboUtenti1;
    QLabel* LabelPassword1;
    QLineEdit* EditPassword1;
    QPushButton* ButtonOk;
    QPushButton* ButtonSceltaDisco;
    QLabel* LabelUtente2;
    QListWidget* ListaUtenti2;
    QLabel* LabelPassword2;
    QLineEdit* EditPassword2;
    TSpinButton* SpinButtonLista;
    QPushButton* ButtonOK2;
    QPushButton* ButtonSceltaDisco2;
    TBarraProgrammi* MenuProgrammi;
    QMenuBar* MenuPrincipale;
    QMenu* Sistema1;
    QAction* Sessioni1;
    QAction* GestioneSemafori1;
    QAction* AccessoNorvane1;
    QAction* Esci1;

    // ---- State ----
    TTabXForm* TabXForm = nullptr;
    std::unique_ptr<fb::TTransazione> TransazioneAux;
    std::unique_ptr<fb::TQuery> QueryAux;
    std::unique_ptr<fb::TQuery> QueryAux2;
    std::unique_ptr<fb::TQuery> QueryArchivio1;
    qint32 CodiceProgetto = 0;
    qint32 CodiceProfilo = 0;
    qint32 CodiceSessione = 0;
    bool MantieniStdMin = false;
    bool SessioneAperta = false;
    bool LogFinestre = false;
    QString Modalita;

    QString GetNomeUtente() const;
    QString GetPassword() const;
    void SetPassword(const QString& password);
    // A parameter of the users database's TABX; empty when there is none.
    QString ValoreTabX(const QString& nome, bool perUtente);

    // ---- Event handlers ----
    void FormCreate();
    void ComboUtenti1Change();
    void SpinButtonListaUpClick();
    void SpinButtonListaDownClick();
    void Esci1Click();

    // ---- Login ----
    void ButtonOkClick();

    // ---- Disk choice ----
    // Rewrites the drive letter of the selected user's stored paths, after the password.
    void ButtonSceltaDiscoClick();

    // ---- Work sessions and call log ----
    void ApriSessione();
    // False when the session is no longer open; with avvisi a warning says why.
    bool VerificaStatoSessione(bool avvisi);
    void ChiudiSessione();
    // Writes the launch's log row; the window identifier, 0 without the window columns.
    qint32 AggiornaKestoLogFunz(const QString& funzione);

    // ---- Programs, menus and big buttons ----
    // The tables grow as needed; slot 1 of the original numbering is index 0.
    int NumeroVoci = 1;
    // Code of the program whose menu the menu bar shows.
    qint32 TagMenuPrincipale = 0;
    std::vector<QAction*> Voci;
    std::vector<TGruppoProgramma*> Gruppi;
    std::vector<TVoceRapida*> VociRapide;
    std::vector<QPointer<QPushButton>> Pulsantoni;
    // Hides the big buttons and lets them go once the event being handled is over.
    void RimuoviPulsantoni();

    void CaricaProgrammi();
    void CaricaMenu(qint32 programma);
    // The entries below the entry (livello, menu), from the program's rows read at once.
    void CreaVoci(const TAlberoMenu& albero, qint32 menu, qint32 livello, QMenu* padre);

    // ---- Change of user and company ----
    void CambioUtente();
    void CambioDitta();
    // Stores the company in the user's row when it differs; false when that failed.
    bool AggiornaDittaUtente(qint32 utente, const QString& ditta);
    // True when no library window recorded for the current session still exists.
    bool VerificaFinestreAperte();
    void FormKeyUp(int tasto);
    void LabelCambioUtenteClick() { CambioUtente(); }
    void LabelCambioDittaClick() { CambioDitta(); }
    void Sessioni1Click();
    void GestioneSemafori1Click();
    void AccessoNorvane1Click();

    // ---- Launching ----
    void EseguiFunzioneVoce(qint32 programma, qint32 menu, int modo);
    void EventoVoceOnClick(QAction* voce);
    void EventoVoce2OnClick(QAction* voce);
    void VoceRapidaClick(TVoceRapida* voce);
    void ProgrammaOnClick(TGruppoProgramma* gruppo);
    void PulsantoneClick(QPushButton* pulsante);

    void CaricaFunzioneDLL(const QString& dll, const QString& funzione);
    void CaricaFunzioneDLL2(const QString& dll, const QString& funzione, const QString& parametri);
    void CaricaFunzioneDLLX(const QString& dll, const QString& funzione, qint32 idFinestra);
    void CaricaFunzioneDLL2X(const QString& dll, const QString& funzione, const QString& parametri,
                             qint32 idFinestra);
    void CaricaFunzioneDLL3Y(const QString& dll, const QString& funzione, const QString& parametri,
                             qint32 idFinestra);
    std::unique_ptr<TFunzioniDll> FunzioniDll;

    // ---- The end of the program ----
    // A stop signal: the program ends as a close does (session closed, position saved,
    // databases detached) without asking about open windows, and the event loop stops.
    void ChiudiPerSegnale();
    // The display is gone and the process is exiting: only the databases are put in order
    // (the work session closed, everything detached). No box can be shown.
    void ChiudiSenzaSchermo();

protected:
    void closeEvent(QCloseEvent* evento) override;
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    // The users-database connection that carries the session's in-use mark; a new attach
    // (after a lost connection) has lost the mark.
    unsigned GenerazioneMarcata = 0;
    void MarcaSessione();

    // Construction of the components at their designed places.
    void CreaComponenti();
    void CreaPaginaDefault();
    void CreaPaginaLista();
    void CreaMenuPrincipale();
    void CollegaEventi();
    void CollegaSemafori();
    // What the designed anchors do when Panel1 or the default page change size.
    void DisponiPanel1();
    void DisponiPaginaDefault();
    void CentraSulloSchermo();

    // Steps of FormCreate.
    void CreaTransazioneAux();
    void RegistraArchivio();
    void CaricaUtentiElencabili();
    void RicaricaUtenti();
    bool EsisteColonna(const QString& tabella, const QString& colonna);
    void ScegliPagina();
    void ApplicaLayoutCompatto();

    // Steps of the login.
    QString Parametro(const QString& nome);
    bool EntraUtente(TInizForm& iniz, const QString& nome, const QString& password);
    void ApriArchivio();
    bool LeggiProfiloEProgetto();
    void PreparaMenu();
    void CaricaProgrammiEMenu();
    // The contacts agenda the user's parameters name, with the defaults.
    struct Agenda {
        QString Libreria;
        QString Funzione;
    };
    Agenda LeggiAgenda();
    void ApriAgenda(const Agenda& agenda);
    void ApriFormIniziale();

    // Steps of the changes of user and company.
    void DittaSuccessiva();
    bool DittaUsabile(const QString& ditta);
    bool ScriviDittaUtente(const QString& ditta);
    void RiavviaTransazioneAux();
    // A statement of the launches kept prepared on the users database, in TransazioneAux.
    fb::TQuery& PreparataAux(const QStringList& righe);
    fb::TQuery& RigaLog(const QString& funzione, qint32 idFinestra);
    void ImpostaTitoloMenu();
    void ApplicaParametriProfilo();
    void SvuotaMenuPrincipale();

    // Steps of a launch.
    void AvviaFunzione(const QString& dll, const QString& funzione, const QString& parametri, int modo);
    void RicaricaDopoVoce2();

    // One login at a time; a close asked for meanwhile waits for its end.
    bool LoginInCorso = false;
    bool ChiusuraRinviata = false;
    void FineLogin();
    // The same for the disk choice.
    bool SceltaDiscoInCorso = false;
    void FineSceltaDisco();
    // Steps of the disk choice: the drive proposed for a stored last disk, and the rewrite
    // of the paths with the last disk, committed together; false when it failed.
    static QString DiscoProposto(const QString& ultimoDisco);
    bool RiscriviPercorsi(const QString& codiceUtente, const QString& lettera);
    // Set by a stop signal: the close neither asks nor refuses.
    bool ChiusuraForzata = false;
    int TentativiChiusuraForzata = 0;
    // Asks every library window to close, each through its own save question, before the
    // user, the company or the program goes: they work with what changes. Returns the one
    // that stayed open (it may not close, its save failed), and then the change must not
    // happen; null when all closed. A window that closed is gone at once, so the call log
    // sees it no more.
    QWidget* ChiudiFinestreAltrui();
    // The same before a change of user or company, saying which window kept it from happening.
    bool ChiudiFinestrePerCambio();

    // True when the window may close.
    bool FormClose();
    void DistruggiDataModule();
};
