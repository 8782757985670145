#include "forms/SelezDitta.h"

#include "datamodule/Norvane.h"
#include "datamodule/TabX.h"
#include "fb/Query.h"
#include "fb/Valori.h"
#include "forms/Dialogo.h"
#include "piattaforma/Protezione.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

const QString ModalitaSmall = QStringLiteral("SMALL");

// The designed sizes the compact layout is scaled from.
constexpr double LarghezzaCompatta = 230.0;
constexpr double AltezzaCompatta = 300.0;

int Scala(int valore, int centesimi) {
    return qRound(valore * centesimi / 100.0);
}

QRect Scala(const QRect& r, int centesimi) {
    return QRect(Scala(r.x(), centesimi), Scala(r.y(), centesimi), Scala(r.width(), centesimi),
                 Scala(r.height(), centesimi));
}

} // namespace

TSelezDittaForm::TSelezDittaForm(QWidget* owner, const QString& modalita, TTabXForm* dataModule,
                                 QSize schermo)
    : QDialog(owner), TabXForm(dataModule) {
    CreaComponenti();
    RegistraAncore();
    CaricaDitte();
    SelezionaDittaCorrente();
    if (modalita == ModalitaSmall)
        ScalaPerSchermo(schermo);
}

void TSelezDittaForm::CreaComponenti() {
    setObjectName(QStringLiteral("SelezDittaForm"));
    setWindowTitle(QStringLiteral("Selezione Ditta"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(342, 266);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(10, 8, 312, 254);

    ButtonOk = new QPushButton(QStringLiteral("Ok"), GroupBox1);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setGeometry(32, 218, 75, 25);
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonOkClick(); }));

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), GroupBox1);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(208, 218, 75, 25);
    connect(ButtonCancel, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonCancelClick(); }));

    ListBoxSelDitta = new QListWidget(GroupBox1);
    ListBoxSelDitta->setObjectName(QStringLiteral("ListBoxSelDitta"));
    ListBoxSelDitta->setGeometry(11, 16, 288, 193);
    ListBoxSelDitta->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxSelDitta->installEventFilter(this);
    // A double click anywhere in the list counts, as on the list box it stands for.
    ListBoxSelDitta->viewport()->installEventFilter(this);
}

// The user's distinct headings, in the order they come back; disabled companies and empty
// headings are never offered.
void TSelezDittaForm::CaricaDitte() {
    fb::TQuery& query = TabXForm->QueryNorvane;
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("SELECT DISTINCT(INTESTAZIONE) FROM TABNORVANE WHERE"));
    query.SQL.Add(QStringLiteral("UTENTE=") + fb::Quota(TabXForm->GetNumUser()));
    query.Open();
    query.FetchAll();
    QString precedente;
    bool prima = true;
    for (query.First(); !query.Eof(); query.Next()) {
        const QString intestazione = query.FieldByName(QStringLiteral("INTESTAZIONE")).AsString();
        const bool ripetuta = !prima && intestazione == precedente;
        precedente = intestazione;
        prima = false;
        if (!ripetuta && DittaElencabile(intestazione))
            ListBoxSelDitta->addItem(intestazione);
    }
}

void TSelezDittaForm::SelezionaDittaCorrente() {
    const QString ditta = TabXForm->GetDitta();
    for (int riga = 0; riga < ListBoxSelDitta->count(); ++riga) {
        if (ListBoxSelDitta->item(riga)->text().compare(ditta, Qt::CaseInsensitive) == 0) {
            ListBoxSelDitta->setCurrentRow(riga);
            return;
        }
    }
}

// Positions, sizes and fonts grow by the factor that fits the compact design to the screen,
// in whole percent; the dialog's own client size too, so the anchors keep their proportions.
void TSelezDittaForm::ScalaPerSchermo(QSize schermo) {
    if (schermo.isEmpty()) {
        if (const QScreen* primario = QGuiApplication::primaryScreen())
            schermo = primario->size();
    }
    if (schermo.isEmpty())
        return;
    const double fattore =
        std::min(schermo.width() / LarghezzaCompatta, schermo.height() / AltezzaCompatta);
    // lrint rounds halves to even in the default rounding mode, as the original rounding did.
    const int centesimi = static_cast<int>(std::lrint(fattore * 100.0));

    for (QWidget* componente :
         {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(ButtonOk),
          static_cast<QWidget*>(ButtonCancel), static_cast<QWidget*>(ListBoxSelDitta)})
        componente->setGeometry(Scala(componente->geometry(), centesimi));
    QFont carattere = font();
    carattere.setPointSize(std::max(1, Scala(carattere.pointSize(), centesimi)));
    setFont(carattere);
    resize(Scala(width(), centesimi), Scala(height(), centesimi));
    centesimi_ = centesimi;
    RegistraAncore();
}

// The group box and the list are anchored on all sides.
void TSelezDittaForm::RegistraAncore() {
    Ancore = TAncore();
    Ancore.Registra(GroupBox1, TAncore::Tutti);
    Ancore.Registra(ListBoxSelDitta, TAncore::Tutti);
    okProgettato_ = ButtonOk->geometry();
    cancelProgettato_ = ButtonCancel->geometry();
}

// The buttons are not anchored: they stay where they were designed while the group box holds
// them there. A dialog made smaller than its design (the compact one is scaled to the screen,
// then set to 230 x 300) would leave them outside, out of reach: they then go one above the
// other in the room under the list, as wide as the group box allows and at most as high as
// designed.
void TSelezDittaForm::DisponiPulsanti() {
    const QRect gruppo(QPoint(0, 0), GroupBox1->size());
    if (gruppo.contains(okProgettato_) && gruppo.contains(cancelProgettato_)) {
        ButtonOk->setGeometry(okProgettato_);
        ButtonCancel->setGeometry(cancelProgettato_);
        return;
    }
    const int spazio = Scala(4, centesimi_);
    const int alto = ListBoxSelDitta->geometry().bottom() + 1 + spazio;
    const int altezza =
        std::max(0, std::min(okProgettato_.height(), (gruppo.height() - alto - 2 * spazio) / 2));
    const int larghezza = std::max(0, gruppo.width() - 2 * spazio);
    ButtonOk->setGeometry(spazio, alto, larghezza, altezza);
    ButtonCancel->setGeometry(spazio, alto + altezza + spazio, larghezza, altezza);
}

bool TSelezDittaForm::RigaSelezionata() const {
    return !ListBoxSelDitta->selectedItems().isEmpty();
}

QString TSelezDittaForm::DittaScelta() const {
    const QList<QListWidgetItem*> selezionate = ListBoxSelDitta->selectedItems();
    return selezionate.isEmpty() ? QString() : selezionate.first()->text();
}

void TSelezDittaForm::ButtonOkClick() {
    if (RigaSelezionata())
        accept();
}

void TSelezDittaForm::ButtonCancelClick() {
    reject();
}

void TSelezDittaForm::ListBoxSelDittaDblClick() {
    if (RigaSelezionata())
        ButtonOk->click();
}

bool TSelezDittaForm::ListBoxSelDittaKeyPress(int tasto) {
    if (tasto != Qt::Key_Return && tasto != Qt::Key_Enter)
        return false;
    if (RigaSelezionata())
        ButtonOk->click();
    return true;
}

bool TSelezDittaForm::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto == ListBoxSelDitta && evento->type() == QEvent::KeyPress)
        return ListBoxSelDittaKeyPress(static_cast<QKeyEvent*>(evento)->key());
    if (oggetto == ListBoxSelDitta->viewport() && evento->type() == QEvent::MouseButtonDblClick)
        ListBoxSelDittaDblClick();
    return QDialog::eventFilter(oggetto, evento);
}

void TSelezDittaForm::resizeEvent(QResizeEvent* evento) {
    QDialog::resizeEvent(evento);
    Ancore.Applica();
    DisponiPulsanti();
}

void TSelezDittaForm::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo(*this);
}
