// The access window before a login: start-up, the user lists, the compact layout, closing.

#include "app/BaseMain.h"

#include "app/BarraProgrammi.h"
#include "app/Finestre.h"
#include "app/RegoleAccesso.h"
#include "app/Schermo.h"
#include "app/SpinButton.h"
#include "datamodule/TabX.h"
#include "db/ZavDB.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"
#include "piattaforma/Protezione.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

#include <exception>
#include <initializer_list>

// The process's short date format is dd/MM/yyyy already: the database layer and the
// in-memory table read and write dates that way.
void TBaseMainForm::FormCreate() {
    TabXForm = new TTabXForm(this, TTabXForm::SorgenteDatabase);
    TabXForm->Crea();
    LogFinestre = true;
    CreaTransazioneAux();
    RegistraArchivio();
    if (!piattaforma::DirectoryEsiste(piattaforma::DirectoryEseguibile() + QStringLiteral("Grafica")))
        piattaforma::MostraAvviso(QStringLiteral("Directory \"Grafica\" mancante"));
    MantieniStdMin = false;
    SessioneAperta = false;
    CaricaUtentiElencabili();
    LogFinestre = EsisteColonna(QStringLiteral("KESTOLOGFUNZ"), QStringLiteral("HANDLEFINESTRA")) &&
                  EsisteColonna(QStringLiteral("KESTOLOGFUNZ"), QStringLiteral("IDFINESTRA"));
    ScegliPagina();
    Modalita = ModalitaProgramma;
    if (Modalita != ModalitaSmall) {
        Modalita = ModalitaStandard;
        return;
    }
    ApplicaLayoutCompatto();
}

void TBaseMainForm::CreaTransazioneAux() {
    TransazioneAux = std::make_unique<fb::TTransazione>(&TabXForm->IBDatabaseUser);
    TransazioneAux->Params = {QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
    TransazioneAux->StartTransaction();
    QueryAux = std::make_unique<fb::TQuery>(&TabXForm->IBDatabaseUser, TransazioneAux.get());
    QueryAux2 = std::make_unique<fb::TQuery>(&TabXForm->IBDatabaseUser, TransazioneAux.get());
    QueryArchivio1 = std::make_unique<fb::TQuery>();
}

// No user is current yet: the value of user 0 and no company. The login replaces it.
void TBaseMainForm::RegistraArchivio() {
    QString archivio;
    TabXForm->CaricaParametro(QStringLiteral("Archivio"), archivio);
    TabXForm->Inserisci(QStringLiteral("QVR"), QStringLiteral("Archivio"), {}, archivio, {}, {}, {},
                        {}, QString::number(TabXForm->GetNumUser()));
}

bool TBaseMainForm::EsisteColonna(const QString& tabella, const QString& colonna) {
    QueryAux->ApriSQL({QStringLiteral("SELECT * FROM RDB$RELATION_FIELDS WHERE"),
                     QStringLiteral("(RDB$FIELD_NAME=%1)AND").arg(fb::Quota(colonna)),
                     QStringLiteral("(RDB$RELATION_NAME=%1)").arg(fb::Quota(tabella))});
    return !QueryAux->Eof();
}

void TBaseMainForm::CaricaUtentiElencabili() {
    if (EsisteColonna(QStringLiteral("UTENTI"), QStringLiteral("UTENTEINATTIVO")))
        QueryAux->ApriSQL({QStringLiteral("SELECT NOMEUTENTE,INFO1 FROM UTENTI"),
                         QStringLiteral("WHERE (UTENTEINATTIVO IS NULL)OR(UTENTEINATTIVO='0')"),
                         QStringLiteral("ORDER BY CODICE")});
    else
        QueryAux->ApriSQL({QStringLiteral("SELECT NOMEUTENTE,INFO1 FROM UTENTI"),
                         QStringLiteral("ORDER BY CODICE")});
    // Filling the combo must not look like a choice of the user.
    const QSignalBlocker blocco(ComboUtenti1);
    for (; !QueryAux->Eof(); QueryAux->Next()) {
        if (!UtenteElencabile(ModalitaProgramma, QueryAux->FieldByName(QStringLiteral("INFO1")).AsString()))
            continue;
        const QString nome = QueryAux->FieldByName(QStringLiteral("NOMEUTENTE")).AsString();
        ComboUtenti1->addItem(nome);
        ListaUtenti2->addItem(nome);
    }
    QueryAux->Close();
    ComboUtenti1->setCurrentIndex(-1);
    if (ListaUtenti2->count() > 0)
        ListaUtenti2->setCurrentRow(0);
}

// The list as the users database holds it now, the chosen user kept while still listed.
void TBaseMainForm::RicaricaUtenti() {
    const QString scelto = GetNomeUtente();
    const bool lista = NotebookMain->currentWidget() == ModalitaLista;
    {
        const QSignalBlocker bloccoCombo(ComboUtenti1);
        const QSignalBlocker bloccoLista(ListaUtenti2);
        ComboUtenti1->clear();
        ListaUtenti2->clear();
    }
    RiavviaTransazioneAux();
    CaricaUtentiElencabili();
    if (scelto.isEmpty())
        return;
    if (lista) {
        const QList<QListWidgetItem*> trovati = ListaUtenti2->findItems(scelto, Qt::MatchExactly);
        if (!trovati.isEmpty())
            ListaUtenti2->setCurrentItem(trovati.first());
    } else if (const int indice = ComboUtenti1->findText(scelto, Qt::MatchExactly); indice >= 0) {
        const QSignalBlocker blocco(ComboUtenti1);
        ComboUtenti1->setCurrentIndex(indice);
    }
}

// A users database without TABX, or any other failure here, keeps the default page.
void TBaseMainForm::ScegliPagina() {
    NotebookMain->setCurrentWidget(ModalitaDefault);
    try {
        if (ValoreTabX(QStringLiteral("InterfacciaAccesso"), false) == QStringLiteral("1"))
            NotebookMain->setCurrentWidget(ModalitaLista);
    } catch (const std::exception&) {
    }
}

QString TBaseMainForm::ValoreTabX(const QString& nome, bool perUtente) {
    QueryAux->Close();
    QueryAux->SQL.Clear();
    QueryAux->SQL.Add(QStringLiteral("SELECT TESTO FROM TABX"));
    QueryAux->SQL.Add(QStringLiteral("WHERE (NOME=%1)").arg(fb::Quota(nome)));
    if (perUtente)
        QueryAux->SQL.Add(QStringLiteral("AND(UTENTE=%1)").arg(fb::Quota(TabXForm->GetNumUser())));
    QueryAux->Open();
    const QString valore = QueryAux->Eof() ? QString() : QueryAux->FieldByName(QStringLiteral("TESTO")).AsString();
    QueryAux->Close();
    return valore;
}

QString TBaseMainForm::GetNomeUtente() const {
    if (NotebookMain->currentWidget() == ModalitaLista) {
        const QListWidgetItem* riga = ListaUtenti2->currentItem();
        return riga && riga->isSelected() ? riga->text() : QString();
    }
    return ComboUtenti1->currentText();
}

QString TBaseMainForm::GetPassword() const {
    return NotebookMain->currentWidget() == ModalitaLista ? EditPassword2->text() : EditPassword1->text();
}

void TBaseMainForm::SetPassword(const QString& password) {
    EditPassword1->setText(password);
    EditPassword2->setText(password);
}

void TBaseMainForm::ComboUtenti1Change() {
    if (Modalita == ModalitaSmall)
        return;
    const QString nome = GetNomeUtente();
    bool visibile = false;
    if (!nome.isEmpty()) {
        QueryAux->ApriSQL({QStringLiteral("SELECT ABILITASCELTADISCO FROM UTENTI"),
                         QStringLiteral("WHERE NOMEUTENTE=%1").arg(fb::Quota(nome))});
        visibile = !QueryAux->Eof() && fb::FlagAttivo(QueryAux->FieldByName(QStringLiteral("ABILITASCELTADISCO")).AsString());
        QueryAux->Close();
    }
    ButtonSceltaDisco->setVisible(visibile);
    ButtonSceltaDisco2->setVisible(visibile);
}

void TBaseMainForm::SpinButtonListaUpClick() {
    const int riga = ListaUtenti2->currentRow();
    if (riga > 0)
        ListaUtenti2->setCurrentRow(riga - 1);
    ComboUtenti1Change();
}

void TBaseMainForm::SpinButtonListaDownClick() {
    const int riga = ListaUtenti2->currentRow();
    if (riga >= 0 && riga < ListaUtenti2->count() - 1)
        ListaUtenti2->setCurrentRow(riga + 1);
    ComboUtenti1Change();
}

void TBaseMainForm::Esci1Click() { close(); }

void TBaseMainForm::closeEvent(QCloseEvent* evento) {
    // Closing destroys the data module the login or the disk choice is working with: it
    // waits for their end.
    if (LoginInCorso || SceltaDiscoInCorso) {
        ChiusuraRinviata = true;
        evento->ignore();
        return;
    }
    // A failure on the way out (a database gone) is reported, and the window closes all
    // the same: the user must be able to leave.
    bool chiude = true;
    piattaforma::EseguiProtetto([this, &chiude] { chiude = FormClose(); });
    if (!chiude) {
        evento->ignore();
        return;
    }
    DistruggiDataModule();
    if (ChiusuraForzata)
        QCoreApplication::quit();
    QMainWindow::closeEvent(evento);
}

bool TBaseMainForm::FormClose() {
    if (!TabXForm)
        return true; // closed already
    // The libraries' windows use the data module the close destroys: each is asked to
    // close first, with its own save question; one that stays keeps the window open.
    if (ChiudiFinestreAltrui()) {
        piattaforma::MostraAvviso(QStringLiteral("Chiudere prima tutte le finestre aperte"));
        return false;
    }
    if (SessioneAperta) {
        if (!ChiusuraForzata && LogFinestre && !VerificaFinestreAperte()) {
            piattaforma::MostraAvviso(QStringLiteral("Chiudere prima tutte le finestre aperte"));
            return false;
        }
        ChiudiSessione();
        // The compact window is the terminal's whole screen: stored, it would become the
        // place of the user's next standard window.
        if (Modalita != ModalitaSmall)
            SalvaPosizioneFinestra(this, TabXForm->GetNumUser(), 1, 1, TabXForm->IBDatabaseUser);
    }
    DistruggiDataModule();
    return true;
}

// The window's queries and transaction work on the data module's users database, so they go first.
void TBaseMainForm::DistruggiDataModule() {
    QueryArchivio1.reset();
    QueryAux2.reset();
    QueryAux.reset();
    TransazioneAux.reset();
    delete TabXForm;
    TabXForm = nullptr;
}

namespace {

int Scala(int valore, int centesimi) { return qRound(valore * centesimi / 100.0); }

void ScalaCarattere(QWidget* componente, int centesimi) {
    QFont carattere = componente->font();
    carattere.setPointSize(std::max(1, Scala(carattere.pointSize(), centesimi)));
    componente->setFont(carattere);
}

// Scales the designed components (those with a name of ours) and the fonts set on them;
// the toolkit's inner widgets follow their owners.
void ScalaComponenti(QWidget* contenitore, int centesimi) {
    for (QWidget* figlio : contenitore->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (figlio->isWindow() || figlio->objectName().isEmpty() ||
            figlio->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        const QRect g = figlio->geometry();
        figlio->setGeometry(Scala(g.x(), centesimi), Scala(g.y(), centesimi),
                            Scala(g.width(), centesimi), Scala(g.height(), centesimi));
        if (figlio->testAttribute(Qt::WA_SetFont))
            ScalaCarattere(figlio, centesimi);
        ScalaComponenti(figlio, centesimi);
    }
}

void ImpostaPuntiCarattere(QWidget* componente, int punti) {
    QFont carattere = componente->font();
    carattere.setPointSize(punti);
    componente->setFont(carattere);
}

} // namespace

// For small-screen terminals: everything on the list page within 230 x 300, then the
// whole window scaled up to the screen.
void TBaseMainForm::ApplicaLayoutCompatto() {
    PanelLogIn->setGeometry(1, 20, 220, PanelLogIn->height());
    ButtonOk->move(75, ButtonOk->y());
    // The default page was designed 289 wide: what runs past 230 comes in, centred on OK,
    // and the password caption stays over its field.
    for (QWidget* riga : std::initializer_list<QWidget*>{LabelUtente1, ComboUtenti1, EditPassword1})
        riga->setGeometry(10, riga->y(), 205, riga->height());
    LabelPassword1->move(10, LabelPassword1->y());
    ButtonSceltaDisco->move(215 - ButtonSceltaDisco->width(), ButtonSceltaDisco->y());
    ListaUtenti2->setGeometry(1, 30, 110, 200);
    ImpostaPuntiCarattere(ListaUtenti2, 10);
    LabelUtente2->setGeometry(1, 2, 110, 35);
    LabelUtente2->setWordWrap(true);
    LabelUtente2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ImpostaPuntiCarattere(LabelUtente2, 8);
    LabelPassword2->setGeometry(115, 2, 100, LabelPassword2->height());
    ImpostaPuntiCarattere(LabelPassword2, 8);
    ButtonSceltaDisco2->hide();
    ImpostaPuntiCarattere(EditPassword2, 10);
    EditPassword2->setGeometry(115, 30, 100, EditPassword2->sizeHint().height());
    SpinButtonLista->setGeometry(115, 60, 100, 110);
    ButtonOK2->setGeometry(115, 180, 100, 50);
    ImpostaPuntiCarattere(ButtonOK2, 10);
    move(0, 0);
    resize(230, 300);
    LabelCambioDitta->hide();
    LabelCambioUtente->hide();
    MenuProgrammi->ImpostaLimiteGruppi(0);

    const QSize schermo = DimensioneSchermo();
    const ScalaCompatta scala = CalcolaScalaCompatta(schermo.width(), schermo.height());
    ScalaComponenti(this, scala.Centesimi);
    ScalaCarattere(this, scala.Centesimi);
    resize(Scala(230, scala.Centesimi), Scala(300, scala.Centesimi));
    MenuProgrammi->ImpostaFontVoci(scala.FontVoci);
    DisponiPanel1();
}
