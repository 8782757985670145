// The access window's components, at their designed places and sizes.

#include "app/BaseMain.h"

#include "app/Applicazione.h"
#include "app/BarraProgrammi.h"
#include "app/PulsantePredefinito.h"
#include "app/RegoleAccesso.h"
#include "app/Schermo.h"
#include "app/FunzioniDll.h"
#include "app/SpinButton.h"
#include "datamodule/TabX.h"
#include "db/ZavDB.h"
#include "piattaforma/Protezione.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStackedWidget>

#include <exception>

QString ModalitaProgramma = QStringLiteral("STANDARD");

namespace {

QFont Tahoma(int punti, bool grassetto = false) {
    QFont carattere(QStringLiteral("Tahoma"), punti);
    carattere.setBold(grassetto);
    return carattere;
}

// Password fields show a star for each character, as the users know them.
class StileAsterisco : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* opzione, const QWidget* widget,
                  QStyleHintReturn* ritorno) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, opzione, widget, ritorno);
    }
};

template <typename T> T* Crea(QWidget* parent, const char* nome) {
    auto* componente = new T(parent);
    componente->setObjectName(QString::fromLatin1(nome));
    return componente;
}

QLabel* CreaEtichetta(QWidget* parent, const char* nome, const QString& testo, QRect posto) {
    auto* etichetta = Crea<QLabel>(parent, nome);
    etichetta->setText(testo);
    etichetta->setGeometry(posto);
    return etichetta;
}

QPushButton* CreaPulsante(QWidget* parent, const char* nome, const QString& testo, QRect posto) {
    auto* pulsante = Crea<QPushButton>(parent, nome);
    pulsante->setText(testo);
    pulsante->setGeometry(posto);
    return pulsante;
}

QLineEdit* CreaCampoPassword(QWidget* parent, const char* nome, QRect posto, QStyle* stile) {
    auto* campo = Crea<QLineEdit>(parent, nome);
    campo->setEchoMode(QLineEdit::Password);
    campo->setStyle(stile);
    stile->setParent(campo);
    campo->setGeometry(posto);
    return campo;
}

const QString TestoSelezione = QStringLiteral("Selezionare l'utente e premere OK");

} // namespace

TBaseMainForm::TBaseMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("BaseMainForm"));
    setWindowTitle(QStringLiteral("Autenticazione"));
    setFont(Tahoma(8));
    resize(625, 454);
    CreaComponenti();
    CollegaEventi();
    FunzioniDll = std::make_unique<TFunzioniDll>();
    CollegaSemafori();
    try {
        FormCreate();
    } catch (const std::exception& e) {
        TApplicazione::MostraEccezione(e);
    }
    if (Modalita != ModalitaSmall)
        CentraSulloSchermo();
}

void TBaseMainForm::CentraSulloSchermo() {
    const QSize schermo = DimensioneSchermo();
    move((schermo.width() - width()) / 2, (schermo.height() - height()) / 2);
}

TBaseMainForm::~TBaseMainForm() { DistruggiDataModule(); }

// Every launch asks the company archive whether a critical window stands in the way, and
// takes the semaphore of a critical window it opens.
void TBaseMainForm::CollegaSemafori() {
    FunzioniDll->Semafori.PuoAprire = [this](const QString& dll, const QString& funzione) {
        if (VerificaSemaforiCritici(dll, funzione, TabXForm->IBDatabase1))
            return true;
        SegnalaSemaforoOccupato(TabXForm->GetNumUser(), dll, funzione, TabXForm->IBDatabase1);
        return false;
    };
    FunzioniDll->Semafori.Occupa = [this](const QString& dll, const QString& funzione, qint32 idFinestra) {
        if (OccupaSemaforo(dll, funzione, TabXForm->GetNumUser(), idFinestra, TabXForm->IBDatabase1))
            return true;
        SegnalaSemaforoOccupato(TabXForm->GetNumUser(), dll, funzione, TabXForm->IBDatabase1);
        return false;
    };
}

void TBaseMainForm::CreaComponenti() {
    Panel1 = Crea<QWidget>(this, "Panel1");
    setCentralWidget(Panel1);
    Panel1->installEventFilter(this);

    NotebookMain = Crea<QStackedWidget>(Panel1, "NotebookMain");
    // Opaque: Panel1's own captions and big buttons show only once the pages are hidden.
    NotebookMain->setAutoFillBackground(true);
    CreaPaginaDefault();
    CreaPaginaLista();

    MenuProgrammi = Crea<TBarraProgrammi>(Panel1, "MenuProgrammi");
    MenuProgrammi->hide();

    // Over the menu window's free area, bottom right; usable only after a login.
    LabelCambioUtente = CreaEtichetta(Panel1, "LabelCambioUtente",
                                      QStringLiteral("F8 - Cambio Utente"), {});
    LabelCambioDitta = CreaEtichetta(Panel1, "LabelCambioDitta",
                                     QStringLiteral("F9 - Cambio Ditta"), {});
    for (QLabel* etichetta : {LabelCambioUtente, LabelCambioDitta}) {
        QFont carattere = Tahoma(10, true);
        carattere.setUnderline(true);
        etichetta->setFont(carattere);
        etichetta->adjustSize();
        etichetta->setEnabled(false);
    }
    LabelCambioUtente->lower();
    LabelCambioDitta->lower();
    CreaMenuPrincipale();
    DisponiPanel1();
}

void TBaseMainForm::CreaPaginaDefault() {
    ModalitaDefault = Crea<QWidget>(NotebookMain, "ModalitaDefault");
    NotebookMain->addWidget(ModalitaDefault);
    ModalitaDefault->installEventFilter(this);

    PanelLogIn = Crea<QFrame>(ModalitaDefault, "PanelLogIn");
    PanelLogIn->setFrameShape(QFrame::StyledPanel);
    PanelLogIn->setFrameShadow(QFrame::Raised);
    PanelLogIn->resize(289, 185);

    LabelUtente1 = CreaEtichetta(PanelLogIn, "LabelUtente1", TestoSelezione, {32, 16, 225, 16});
    ComboUtenti1 = Crea<QComboBox>(PanelLogIn, "ComboUtenti1");
    ComboUtenti1->setEditable(false);
    ComboUtenti1->setGeometry(32, 36, 225, 22);
    LabelPassword1 = CreaEtichetta(PanelLogIn, "LabelPassword1", QStringLiteral("Password"),
                                   {32, 80, 100, 16});
    ButtonSceltaDisco = CreaPulsante(PanelLogIn, "ButtonSceltaDisco",
                                     QStringLiteral("Scelta disco"), {172, 72, 85, 23});
    ButtonSceltaDisco->hide();
    EditPassword1 = CreaCampoPassword(PanelLogIn, "EditPassword1", {32, 98, 225, 22},
                                      new StileAsterisco);
    ButtonOk = CreaPulsante(PanelLogIn, "ButtonOk", QStringLiteral("OK"), {107, 140, 75, 25});
    ButtonOk->setToolTip(QStringLiteral("Premere dopo\naver inserito i dati\nper l'autenticazione"));
    TPulsantePredefinito::Imposta(ModalitaDefault, ButtonOk);
}

void TBaseMainForm::CreaPaginaLista() {
    ModalitaLista = Crea<QWidget>(NotebookMain, "ModalitaLista");
    NotebookMain->addWidget(ModalitaLista);

    LabelUtente2 = CreaEtichetta(ModalitaLista, "LabelUtente2", TestoSelezione, {8, 4, 400, 24});
    LabelUtente2->setFont(Tahoma(14));
    ListaUtenti2 = Crea<QListWidget>(ModalitaLista, "ListaUtenti2");
    ListaUtenti2->setFont(Tahoma(18));
    ListaUtenti2->setGeometry(8, 32, 337, 343);

    LabelPassword2 = CreaEtichetta(ModalitaLista, "LabelPassword2", QStringLiteral("Password"),
                                   {360, 32, 234, 24});
    LabelPassword2->setFont(Tahoma(14));
    EditPassword2 = CreaCampoPassword(ModalitaLista, "EditPassword2", {360, 58, 234, 37},
                                      new StileAsterisco);
    EditPassword2->setFont(Tahoma(18));
    SpinButtonLista = Crea<TSpinButton>(ModalitaLista, "SpinButtonLista");
    SpinButtonLista->setGeometry(360, 103, 234, 148);
    ButtonOK2 = CreaPulsante(ModalitaLista, "ButtonOK2", QStringLiteral("OK"), {360, 259, 234, 82});
    ButtonOK2->setFont(Tahoma(18));
    ButtonSceltaDisco2 = CreaPulsante(ModalitaLista, "ButtonSceltaDisco2",
                                      QStringLiteral("Scelta disco"), {360, 349, 234, 26});
    TPulsantePredefinito::Imposta(ModalitaLista, ButtonOK2);
}

void TBaseMainForm::CreaMenuPrincipale() {
    MenuPrincipale = menuBar();
    MenuPrincipale->setObjectName(QStringLiteral("MenuPrincipale"));
    Sistema1 = MenuPrincipale->addMenu(QStringLiteral("Sistema"));
    Sistema1->setObjectName(QStringLiteral("Sistema1"));
    const auto voce = [this](const char* nome, const QString& testo) {
        QAction* azione = Sistema1->addAction(testo);
        azione->setObjectName(QString::fromLatin1(nome));
        return azione;
    };
    Sessioni1 = voce("Sessioni1", QStringLiteral("Sessioni"));
    GestioneSemafori1 = voce("GestioneSemafori1", QStringLiteral("Gestione semafori"));
    AccessoNorvane1 = voce("AccessoNorvane1", QStringLiteral("Accesso a norvane"));
    for (QAction* azione : {Sessioni1, GestioneSemafori1, AccessoNorvane1})
        azione->setEnabled(false);
    Sistema1->addSeparator();
    Esci1 = voce("Esci1", QStringLiteral("Esci"));
}

void TBaseMainForm::CollegaEventi() {
    connect(ComboUtenti1, &QComboBox::currentIndexChanged, this, piattaforma::Protetto([this] { ComboUtenti1Change(); }));
    connect(ListaUtenti2, &QListWidget::itemClicked, this, piattaforma::Protetto([this] { ComboUtenti1Change(); }));
    connect(SpinButtonLista, &TSpinButton::UpClick, this, piattaforma::Protetto([this] { SpinButtonListaUpClick(); }));
    connect(SpinButtonLista, &TSpinButton::DownClick, this, piattaforma::Protetto([this] { SpinButtonListaDownClick(); }));
    connect(Esci1, &QAction::triggered, this, piattaforma::Protetto([this] { Esci1Click(); }));
    connect(Sessioni1, &QAction::triggered, this, piattaforma::Protetto([this] { Sessioni1Click(); }));
    connect(GestioneSemafori1, &QAction::triggered, this, piattaforma::Protetto([this] { GestioneSemafori1Click(); }));
    connect(AccessoNorvane1, &QAction::triggered, this, piattaforma::Protetto([this] { AccessoNorvane1Click(); }));
    connect(ButtonOk, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonOkClick(); }));
    connect(ButtonOK2, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonOkClick(); }));
    connect(ButtonSceltaDisco, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonSceltaDiscoClick(); }));
    connect(ButtonSceltaDisco2, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonSceltaDiscoClick(); }));
    QApplication::instance()->installEventFilter(this);
    LabelCambioUtente->installEventFilter(this);
    LabelCambioDitta->installEventFilter(this);
}

// The window sees the keys typed in any of its controls before they do. A key release
// climbs from the focused control to the window and passes here at every step: acting
// takes the event, so it is acted on once.
bool TBaseMainForm::eventFilter(QObject* oggetto, QEvent* evento) {
    if (evento->type() == QEvent::KeyRelease && oggetto->isWidgetType() &&
        static_cast<QWidget*>(oggetto)->window() == this) {
        const auto* tasto = static_cast<QKeyEvent*>(evento);
        const bool funzione = tasto->key() == Qt::Key_F8 || tasto->key() == Qt::Key_F9 || tasto->key() == Qt::Key_F12;
        if (funzione && !tasto->isAutoRepeat() && SessioneAperta && !MantieniStdMin) {
            piattaforma::EseguiProtetto([this, tasto] { FormKeyUp(tasto->key()); });
            return true;
        }
        return false;
    }
    if (evento->type() == QEvent::MouseButtonRelease &&
        (oggetto == LabelCambioUtente || oggetto == LabelCambioDitta) &&
        static_cast<QWidget*>(oggetto)->isEnabled()) {
        piattaforma::EseguiProtetto(
            [this, oggetto] { oggetto == LabelCambioUtente ? LabelCambioUtenteClick() : LabelCambioDittaClick(); });
        return true;
    }
    if (evento->type() == QEvent::Resize) {
        if (oggetto == Panel1)
            DisponiPanel1();
        else if (oggetto == ModalitaDefault)
            DisponiPaginaDefault();
    }
    return QMainWindow::eventFilter(oggetto, evento);
}

void TBaseMainForm::DisponiPanel1() {
    const QRect area = Panel1->rect();
    NotebookMain->setGeometry(area);
    if (Modalita == ModalitaSmall) {
        MenuProgrammi->setGeometry(0, 0, width(), area.height());
        return;
    }
    MenuProgrammi->setGeometry(0, 0, 185, area.height());
    const int margine = 8;
    LabelCambioDitta->move(area.width() - LabelCambioDitta->width() - margine,
                           area.height() - LabelCambioDitta->height() - margine);
    LabelCambioUtente->move(area.width() - LabelCambioUtente->width() - margine,
                            LabelCambioDitta->y() - LabelCambioUtente->height() - 2);
}

void TBaseMainForm::DisponiPaginaDefault() {
    if (Modalita == ModalitaSmall) {
        // The login panel covers its page there, its contents where they were designed.
        PanelLogIn->setGeometry(ModalitaDefault->rect());
        return;
    }
    const QSize pagina = ModalitaDefault->size();
    PanelLogIn->move((pagina.width() - PanelLogIn->width()) / 2,
                     (pagina.height() - PanelLogIn->height()) / 2);
}
