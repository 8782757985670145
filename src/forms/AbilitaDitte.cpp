#include "forms/AbilitaDitte.h"

#include "datamodule/Norvane.h"
#include "datamodule/TabX.h"
#include "fb/Query.h"
#include "fb/Valori.h"
#include "forms/Dialogo.h"
#include "piattaforma/Protezione.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

QStringList Righe(const QListWidget* lista) {
    QStringList righe;
    for (int i = 0; i < lista->count(); ++i)
        righe << lista->item(i)->text();
    return righe;
}

// The selected lines go, in list order, to the end of the other list.
void Sposta(QListWidget* da, QListWidget* a) {
    QList<QListWidgetItem*> selezionate;
    for (int i = 0; i < da->count(); ++i) {
        if (da->item(i)->isSelected())
            selezionate << da->item(i);
    }
    for (QListWidgetItem* riga : selezionate)
        a->addItem(riga->text());
    qDeleteAll(selezionate);
}

QListWidget* ListaMultipla(const QString& nome, QWidget* owner, const QRect& posizione) {
    auto* lista = new QListWidget(owner);
    lista->setObjectName(nome);
    lista->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lista->setGeometry(posizione);
    return lista;
}

} // namespace

TAbilitaDitteForm::TAbilitaDitteForm(QWidget* owner, TTabXForm* dataModule)
    : QDialog(owner), TabXForm(dataModule) {
    CreaComponenti();
    CaricaDitte();
}

void TAbilitaDitteForm::CreaComponenti() {
    setObjectName(QStringLiteral("AbilitaDitteForm"));
    setWindowTitle(QStringLiteral("AbilitaDitteForm"));
    resize(600, 400);

    PanelAbilitaDitte = new QWidget(this);
    PanelAbilitaDitte->setObjectName(QStringLiteral("PanelAbilitaDitte"));
    PanelAbilitaDitte->setGeometry(rect());

    Label1 = new QLabel(QStringLiteral("Ditte attive"), PanelAbilitaDitte);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 8);

    Label2 = new QLabel(QStringLiteral("Ditte non attive"), PanelAbilitaDitte);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(312, 8);

    ButtonDisattiva = CreaPulsanteVeloce(PanelAbilitaDitte, QStringLiteral("ButtonDisattiva"),
                                         QStringLiteral(">"), QRect(284, 24, 25, 25));
    connect(ButtonDisattiva, &QToolButton::clicked, this,
            piattaforma::Protetto([this] { ButtonDisattivaClick(); }));

    ButtonAttiva = CreaPulsanteVeloce(PanelAbilitaDitte, QStringLiteral("ButtonAttiva"),
                                      QStringLiteral("<"), QRect(284, 49, 25, 25));
    connect(ButtonAttiva, &QToolButton::clicked, this,
            piattaforma::Protetto([this] { ButtonAttivaClick(); }));

    ListBoxAttive =
        ListaMultipla(QStringLiteral("ListBoxAttive"), PanelAbilitaDitte, QRect(8, 24, 273, 305));
    ListBoxDisattive = ListaMultipla(QStringLiteral("ListBoxDisattive"), PanelAbilitaDitte,
                                     QRect(312, 24, 273, 305));

    ButtonOk = new QPushButton(QStringLiteral("Ok"), PanelAbilitaDitte);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setGeometry(155, 343, 75, 25);
    ButtonOk->setAutoDefault(false);
    connect(ButtonOk, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonOkClick(); }));

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), PanelAbilitaDitte);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(363, 343, 75, 25);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonCancel, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonCancelClick(); }));
}

// The user's distinct headings as the users transaction sees them, in the order they come
// back. A NULL or empty heading names no company and is not offered.
void TAbilitaDitteForm::CaricaDitte() {
    fb::TQuery& query = TabXForm->QueryNorvane;
    query.ImpostaSQL({QStringLiteral("SELECT DISTINCT(INTESTAZIONE) FROM TABNORVANE WHERE"),
                      QStringLiteral("UTENTE=") + fb::Quota(TabXForm->GetNumUser()),
                      QStringLiteral("ORDER BY INTESTAZIONE")});
    query.Open();
    query.FetchAll();
    QStringList intestazioni;
    for (query.First(); !query.Eof(); query.Next()) {
        const QString intestazione = query.FieldByName(QStringLiteral("INTESTAZIONE")).AsString();
        if (!intestazione.isEmpty())
            intestazioni << intestazione;
    }
    query.Close();

    QStringList attive;
    QStringList disattive;
    DividiIntestazioni(intestazioni, attive, disattive);
    ListBoxAttive->addItems(attive);
    ListBoxDisattive->addItems(disattive);
}

QStringList TAbilitaDitteForm::DitteAttive() const {
    return Righe(ListBoxAttive);
}

QStringList TAbilitaDitteForm::DitteDisattive() const {
    return Righe(ListBoxDisattive);
}

void TAbilitaDitteForm::ButtonDisattivaClick() {
    Sposta(ListBoxAttive, ListBoxDisattive);
}

void TAbilitaDitteForm::ButtonAttivaClick() {
    Sposta(ListBoxDisattive, ListBoxAttive);
}

void TAbilitaDitteForm::ButtonOkClick() {
    done(RisultatoOk);
}

void TAbilitaDitteForm::ButtonCancelClick() {
    done(RisultatoAnnulla);
}

// Escape and the close box end as Cancel does: QDialog alone would end with 0.
void TAbilitaDitteForm::reject() {
    done(RisultatoAnnulla);
}

// The panel fills the window.
void TAbilitaDitteForm::resizeEvent(QResizeEvent* evento) {
    QDialog::resizeEvent(evento);
    PanelAbilitaDitte->setGeometry(rect());
}

void TAbilitaDitteForm::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo(*this);
}
