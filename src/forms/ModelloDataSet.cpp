#include "forms/ModelloDataSet.h"

#include "fb/Database.h"
#include "fb/Metadati.h"
#include "fb/TestoArchivio.h"
#include "forms/FormatoCampi.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Protezione.h"

#include <QAbstractItemView>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <memory>

namespace {

bool StesseColonne(const std::vector<fb::TDefinizioneCampo>& una, const std::vector<fb::TDefinizioneCampo>& altra) {
    return std::equal(una.begin(), una.end(), altra.begin(), altra.end(), [](const auto& a, const auto& b) {
        return a.Nome == b.Nome && a.Genere == b.Genere;
    });
}

} // namespace

TModelloDataSet::TModelloDataSet(fb::TDataSet& dataset, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset) {
    if (dataset_.Active()) {
        colonne_ = dataset_.FieldDefs();
        righe_ = dataset_.RecordCount();
    }
    dataset_.AggiungiOsservatore(this);
}

TModelloDataSet::~TModelloDataSet() { dataset_.TogliOsservatore(this); }

int TModelloDataSet::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : righe_; }

int TModelloDataSet::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(colonne_.size());
}

QVariant TModelloDataSet::data(const QModelIndex& indice, int ruolo) const {
    if (!indice.isValid() || indice.column() >= columnCount())
        return {};
    const fb::TDefinizioneCampo& campo = colonne_[static_cast<size_t>(indice.column())];
    switch (ruolo) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FormattaCampo(campo, dataset_.Valore(indice.row(), indice.column()), ruolo == Qt::EditRole);
    case Qt::TextAlignmentRole:
        return static_cast<int>(ScegliAllineamento(campo));
    default:
        return {};
    }
}

QVariant TModelloDataSet::headerData(int sezione, Qt::Orientation orientamento, int ruolo) const {
    if (ruolo != Qt::DisplayRole)
        return {};
    if (orientamento == Qt::Vertical)
        return sezione + 1;
    if (sezione < 0 || sezione >= columnCount())
        return {};
    return colonne_[static_cast<size_t>(sezione)].Nome;
}

Qt::ItemFlags TModelloDataSet::flags(const QModelIndex& indice) const {
    if (!indice.isValid() || indice.column() >= columnCount())
        return Qt::NoItemFlags;
    const Qt::ItemFlags sempre = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    // Binary data has no text to type.
    if (colonne_[static_cast<size_t>(indice.column())].Genere == fb::TGenere::Binario)
        return sempre;
    return sempre | Qt::ItemIsEditable;
}

fb::TDefinizioneCampo TModelloDataSet::DefinizioneDaVerificare(int colonna) {
    fb::TDefinizioneCampo campo = colonne_[static_cast<size_t>(colonna)];
    if (campo.Genere != fb::TGenere::Decimale || campo.Tabella.isEmpty() || campo.Colonna.isEmpty() ||
        dataset_.Database == nullptr)
        return campo;
    const QString chiave = campo.Tabella + QLatin1Char('.') + campo.Colonna;
    auto trovata = precisioni_.constFind(chiave);
    if (trovata == precisioni_.constEnd())
        trovata = precisioni_.insert(chiave, fb::LeggiPrecisioneDichiarata(*dataset_.Database, campo.Tabella,
                                                                            campo.Colonna));
    if (*trovata > 0)
        campo.Precisione = campo.Precisione > 0 ? std::min(campo.Precisione, *trovata) : *trovata;
    return campo;
}

bool TModelloDataSet::setData(const QModelIndex& indice, const QVariant& valore, int ruolo) {
    if (!indice.isValid() || ruolo != Qt::EditRole || indice.column() >= columnCount() ||
        !(flags(indice) & Qt::ItemIsEditable))
        return false;
    const int riga = indice.row();
    const int colonna = indice.column();
    bool scritto = false;
    // Called from the view's delegate: nothing may leave here but the answer.
    piattaforma::EseguiProtetto([&] {
        const fb::TDefinizioneCampo campo = DefinizioneDaVerificare(colonna);
        // A value that is not text (a program's, a checkbox's) is read as its text would be.
        const QString testo =
            valore.typeId() == QMetaType::QString ? valore.toString() : FormattaCampo(campo, valore, true);
        const TValoreLetto letto = LeggiTestoCampo(campo, testo);
        if (!letto.Valido()) {
            piattaforma::MostraAvviso(letto.Errore);
            return;
        }
        // Refused here, as a text too long is, rather than at the save: a dataset kept in
        // memory only writes nowhere and takes any text.
        if (dataset_.Database != nullptr && letto.Valore.typeId() == QMetaType::QString) {
            const QString errore = fb::TestoNonMemorizzabile(letto.Valore.toString(), campo.Nome);
            if (!errore.isEmpty()) {
                piattaforma::MostraAvviso(errore);
                return;
            }
        }
        if (ConfrontaValoriCampo(campo, dataset_.Valore(riga, colonna), letto.Valore))
            return; // nothing changed: no edit, no lock
        dataset_.MoveTo(riga);
        dataset_.Edit();
        dataset_.Fields(colonna).SetValue(letto.Valore);
        scritto = true;
    });
    return scritto;
}

void TModelloDataSet::DataSetRiletto() {
    // Closed: the rows go, the columns stay for the re-read that usually follows.
    if (!dataset_.Active() || StesseColonne(colonne_, dataset_.FieldDefs())) {
        if (righe_ > 0) {
            beginRemoveRows({}, 0, righe_ - 1);
            righe_ = 0;
            endRemoveRows();
        }
        if (dataset_.Active()) {
            colonne_ = dataset_.FieldDefs(); // sizes and precisions may differ
            if (dataset_.RecordCount() > 0) {
                beginInsertRows({}, 0, dataset_.RecordCount() - 1);
                righe_ = dataset_.RecordCount();
                endInsertRows();
            }
        }
    } else {
        beginResetModel();
        colonne_ = dataset_.FieldDefs();
        righe_ = dataset_.RecordCount();
        endResetModel();
    }
    emit RigaCorrente(dataset_.RecNo());
}

void TModelloDataSet::RigaCambiata(int riga) {
    emit dataChanged(index(riga, 0), index(riga, std::max(0, columnCount() - 1)));
}

void TModelloDataSet::RigaAggiunta(int riga) {
    beginInsertRows({}, riga, riga);
    ++righe_;
    endInsertRows();
}

void TModelloDataSet::RigaTolta(int riga) {
    beginRemoveRows({}, riga, riga);
    --righe_;
    endRemoveRows();
}

void TModelloDataSet::PosizioneCambiata(int riga) { emit RigaCorrente(riga); }

void TModelloDataSet::RiallineaVista(QAbstractItemView& vista, int colonna) {
    const int riga = dataset_.RecNo();
    const QModelIndex attuale = vista.currentIndex();
    if (riga < 0 || riga >= rowCount() || columnCount() == 0 || attuale.row() == riga)
        return;
    vista.setCurrentIndex(index(riga, std::clamp(attuale.isValid() ? attuale.column() : colonna, 0,
                                                 columnCount() - 1)));
}

void TModelloDataSet::CollegaVista(QAbstractItemView& vista) {
    vista.setModel(this);
    // What the binding remembers while a re-read takes every row away: the column the user
    // was in and how far the grid was scrolled.
    struct Memoria {
        int Colonna = 0;
        int Scorrimento = -1;
    };
    auto memoria = std::make_shared<Memoria>();
    QPointer<QAbstractItemView> guardata(&vista);

    connect(this, &TModelloDataSet::RigaCorrente, &vista,
            [this, guardata, memoria] { RiallineaVista(*guardata, memoria->Colonna); });
    connect(vista.selectionModel(), &QItemSelectionModel::currentChanged, &vista,
            [this, guardata, memoria](const QModelIndex& attuale) {
                if (!attuale.isValid())
                    return;
                memoria->Colonna = attuale.column();
                const int riga = attuale.row();
                if (!dataset_.Active() || riga == dataset_.RecNo() || riga >= dataset_.RecordCount())
                    return;
                if (!piattaforma::EseguiProtetto([&] { dataset_.MoveTo(riga); }))
                    // Refused (an edit that could not be posted): the view goes back to the
                    // dataset's row once the view has finished this change.
                    QMetaObject::invokeMethod(
                        guardata, [this, guardata, memoria] { RiallineaVista(*guardata, memoria->Colonna); },
                        Qt::QueuedConnection);
            });
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, &vista,
            [this, guardata, memoria](const QModelIndex&, int prima, int ultima) {
                if (prima == 0 && ultima == rowCount() - 1)
                    memoria->Scorrimento = guardata->verticalScrollBar()->value();
            });
    connect(this, &QAbstractItemModel::rowsInserted, &vista,
            [this, guardata, memoria](const QModelIndex&, int prima, int ultima) {
                if (prima != 0 || ultima != rowCount() - 1 || memoria->Scorrimento < 0)
                    return;
                // After the re-read has put the dataset back on its row, so that the row is
                // where the user left it rather than at the grid's edge.
                QMetaObject::invokeMethod(
                    guardata,
                    [guardata, memoria] {
                        guardata->doItemsLayout(); // the scroll range is laid out later otherwise
                        guardata->verticalScrollBar()->setValue(memoria->Scorrimento);
                        memoria->Scorrimento = -1;
                        if (guardata->currentIndex().isValid())
                            guardata->scrollTo(guardata->currentIndex());
                    },
                    Qt::QueuedConnection);
            });
    RiallineaVista(vista, 0);
}
