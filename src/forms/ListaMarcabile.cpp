#include "forms/ListaMarcabile.h"

#include "fb/Query.h"
#include "forms/Dialogo.h"
#include "piattaforma/Protezione.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

// Each cell filled with the window colour, or the marking colour when its row is marked; the
// text in black, 2 pixels in from the cell's left and top edges, clipped to the cell.
class TCellaMarcabile : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* pittore, const QStyleOptionViewItem& opzione, const QModelIndex& indice) const override {
        const auto* modello = static_cast<const TModelloRighe*>(indice.model());
        const QPalette& tavolozza = opzione.palette;
        pittore->save();
        pittore->setClipRect(opzione.rect);
        // The marking colour stands for the desktop's; the selection colour is what this
        // system's users read as "chosen".
        pittore->fillRect(opzione.rect, modello->Marcata(indice.row()) ? tavolozza.color(QPalette::Highlight)
                                                                        : tavolozza.color(QPalette::Base));
        pittore->setPen(Qt::black);
        pittore->setFont(opzione.font);
        const QRect testo = opzione.rect.adjusted(2, 2, 0, 0);
        pittore->drawText(testo, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          indice.data(Qt::DisplayRole).toString());
        if (opzione.state & QStyle::State_HasFocus) {
            pittore->setPen(QPen(Qt::black, 1, Qt::DotLine));
            pittore->drawRect(opzione.rect.adjusted(0, 0, -1, -1));
        }
        pittore->restore();
    }
};

} // namespace

TModelloRighe::TModelloRighe(const QString& campoChiave, const QStringList* marche, QObject* parent)
    : QAbstractTableModel(parent), campoChiave_(campoChiave), marche_(marche) {}

void TModelloRighe::Carica(fb::TQuery& query) {
    beginResetModel();
    nomi_.clear();
    righe_.clear();
    titoliAggiunti_.clear();
    valoriAggiunti_.clear();
    colonnaChiave_ = -1;
    if (query.Active()) {
        nomi_ = query.NomiCampi();
        colonnaChiave_ = static_cast<int>(nomi_.indexOf(campoChiave_));
        query.FetchAll();
        for (query.First(); !query.Eof(); query.Next()) {
            QStringList riga;
            for (int i = 0; i < query.FieldCount(); ++i)
                riga << query.Fields(i).AsString();
            righe_.push_back(riga);
        }
        query.First();
    }
    endResetModel();
}

void TModelloRighe::ImpostaColonneAggiunte(const QStringList& titoli, const QHash<QString, QStringList>& valori) {
    beginResetModel();
    titoliAggiunti_ = titoli;
    valoriAggiunti_ = valori;
    endResetModel();
}

QStringList TModelloRighe::Chiavi() const {
    QStringList chiavi;
    for (int riga = 0; riga < rowCount(); ++riga)
        chiavi << Chiave(riga);
    return chiavi;
}

void TModelloRighe::Svuota() {
    beginResetModel();
    titoliAggiunti_.clear();
    valoriAggiunti_.clear();
    nomi_.clear();
    righe_.clear();
    colonnaChiave_ = -1;
    endResetModel();
}

QString TModelloRighe::Chiave(int riga) const {
    if (colonnaChiave_ < 0 || riga < 0 || riga >= static_cast<int>(righe_.size()))
        return {};
    return righe_[static_cast<size_t>(riga)][colonnaChiave_];
}

bool TModelloRighe::Marcata(int riga) const {
    const QString chiave = Chiave(riga);
    return !chiave.isEmpty() && marche_->contains(chiave);
}

void TModelloRighe::MarcheCambiate() {
    if (!righe_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int TModelloRighe::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(righe_.size());
}

int TModelloRighe::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || nomi_.isEmpty())
        return 0;
    return static_cast<int>(nomi_.size() + titoliAggiunti_.size());
}

QVariant TModelloRighe::data(const QModelIndex& indice, int ruolo) const {
    if (!indice.isValid() || ruolo != Qt::DisplayRole)
        return {};
    if (indice.column() < nomi_.size())
        return righe_[static_cast<size_t>(indice.row())].value(indice.column());
    return valoriAggiunti_.value(Chiave(indice.row())).value(indice.column() - nomi_.size());
}

QVariant TModelloRighe::headerData(int sezione, Qt::Orientation orientamento, int ruolo) const {
    if (ruolo != Qt::DisplayRole)
        return {};
    if (orientamento == Qt::Horizontal)
        return sezione < nomi_.size() ? nomi_.value(sezione) : titoliAggiunti_.value(sezione - nomi_.size());
    return {};
}

TListaMarcabile::TListaMarcabile(QWidget* owner, TTabXForm* dataModule, const QString& nomeGriglia,
                                 const QString& campoChiave)
    : QDialog(owner), TabXForm(dataModule) {
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setSizeGripEnabled(true);

    griglia_ = new QTableView(this);
    griglia_->setObjectName(nomeGriglia);
    modello_ = new TModelloRighe(campoChiave, &ListaSelezionate, griglia_);
    griglia_->setModel(modello_);
    griglia_->setItemDelegate(new TCellaMarcabile(griglia_));
    griglia_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    griglia_->setSelectionMode(QAbstractItemView::NoSelection);
    griglia_->verticalHeader()->setDefaultSectionSize(griglia_->fontMetrics().height() + 6);
    griglia_->verticalHeader()->setFixedWidth(12);
    griglia_->installEventFilter(this);
    griglia_->viewport()->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("F3 o doppio click per selezionare / deselezionare"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: teal"));

    ButtonSel = CreaPulsante(QStringLiteral("ButtonSel"), QStringLiteral("&Seleziona tutte"), {});
    connect(ButtonSel, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonSelClick(); }));
    ButtonDeSel = CreaPulsante(QStringLiteral("ButtonDeSel"), QStringLiteral("&Deseleziona tutte"), {});
    connect(ButtonDeSel, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonDeSelClick(); }));
    ButtonChiudi = CreaPulsante(QStringLiteral("ButtonChiudi"), QStringLiteral("Chiudi"), {});
    connect(ButtonChiudi, &QPushButton::clicked, this, piattaforma::Protetto([this] { ButtonChiudiClick(); }));
}

QPushButton* TListaMarcabile::CreaPulsante(const QString& nome, const QString& testo, const QRect& geometria) {
    auto* pulsante = new QPushButton(testo, this);
    pulsante->setObjectName(nome);
    // Speed buttons: they never take the focus from the grid.
    pulsante->setFocusPolicy(Qt::NoFocus);
    pulsante->setAutoDefault(false);
    if (!geometria.isNull())
        pulsante->setGeometry(geometria);
    return pulsante;
}

void TListaMarcabile::MostraRighe(fb::TQuery* query) {
    if (query)
        modello_->Carica(*query);
    else
        modello_->Svuota();
    griglia_->resizeColumnsToContents();
    if (modello_->rowCount() > 0)
        griglia_->setCurrentIndex(modello_->index(0, 0));
}

void TListaMarcabile::MostraColonneAggiunte(const QStringList& titoli, const QHash<QString, QStringList>& valori) {
    const QModelIndex corrente = griglia_->currentIndex();
    // After the query's columns, in the order given: what the window was designed to show
    // stays in view at its first size.
    modello_->ImpostaColonneAggiunte(titoli, valori);
    griglia_->resizeColumnsToContents();
    if (modello_->rowCount() > 0)
        griglia_->setCurrentIndex(modello_->index(qMax(0, corrente.row()), qMax(0, corrente.column())));
}

void TListaMarcabile::CommutaRigaCorrente() {
    const QString chiave = modello_->Chiave(griglia_->currentIndex().row());
    if (chiave.isEmpty())
        return;
    if (ListaSelezionate.contains(chiave))
        ListaSelezionate.removeAll(chiave);
    else
        ListaSelezionate << chiave;
    modello_->MarcheCambiate();
}

void TListaMarcabile::GrigliaKeyUp(int tasto) {
    if (tasto == Qt::Key_F3)
        CommutaRigaCorrente();
}

void TListaMarcabile::ButtonSelClick() {
    ListaSelezionate.clear();
    for (int riga = 0; riga < modello_->rowCount(); ++riga) {
        const QString chiave = modello_->Chiave(riga);
        if (!chiave.isEmpty() && !ListaSelezionate.contains(chiave))
            ListaSelezionate << chiave;
    }
    if (modello_->rowCount() > 0)
        griglia_->setCurrentIndex(modello_->index(0, qMax(0, griglia_->currentIndex().column())));
    modello_->MarcheCambiate();
}

void TListaMarcabile::ButtonDeSelClick() {
    ListaSelezionate.clear();
    modello_->MarcheCambiate();
}

void TListaMarcabile::ButtonChiudiClick() { close(); }

bool TListaMarcabile::eventFilter(QObject* oggetto, QEvent* evento) {
    // A held key repeats its release: only the real one counts, so one press toggles once.
    if (oggetto == griglia_ && evento->type() == QEvent::KeyRelease) {
        const auto* tasto = static_cast<QKeyEvent*>(evento);
        if (!tasto->isAutoRepeat())
            piattaforma::EseguiProtetto([codice = tasto->key(), this] { GrigliaKeyUp(codice); });
    }
    // A double click anywhere in the grid toggles the current row, which a click on a row
    // has just made current.
    if (oggetto == griglia_->viewport() && evento->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex sotto = griglia_->indexAt(static_cast<QMouseEvent*>(evento)->position().toPoint());
        if (sotto.isValid())
            griglia_->setCurrentIndex(sotto);
        piattaforma::EseguiProtetto([this] { CommutaRigaCorrente(); });
        return true;
    }
    return QDialog::eventFilter(oggetto, evento);
}

void TListaMarcabile::resizeEvent(QResizeEvent* evento) {
    QDialog::resizeEvent(evento);
    Ancore.Applica();
}

void TListaMarcabile::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo(*this);
}
