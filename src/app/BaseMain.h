#pragma once

#include "fb/Query.h"
#include "fb/Transazione.h"

#include <QMainWindow>
#include <QString>

#include <memory>

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
class TBarraProgrammi;
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

protected:
    void closeEvent(QCloseEvent* evento) override;
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    // Construction of the components at their designed places.
    void CreaComponenti();
    void CreaPaginaDefault();
    void CreaPaginaLista();
    void CreaMenuPrincipale();
    void CollegaEventi();
    // What the designed anchors do when Panel1 or the default page change size.
    void DisponiPanel1();
    void DisponiPaginaDefault();
    void CentraSulloSchermo();

    // Steps of FormCreate.
    void CreaTransazioneAux();
    void RegistraArchivio();
    void CaricaUtentiElencabili();
    bool EsisteColonna(const QString& tabella, const QString& colonna);
    void ScegliPagina();
    void ApplicaLayoutCompatto();

    // True when the window may close.
    bool FormClose();
    void DistruggiDataModule();
};
