#include "forms/ModelloDataSet.h"

#include "piattaforma/Protezione.h"

TModelloDataSet::TModelloDataSet(fb::TDataSet& dataset, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset) {
    dataset_.AggiungiOsservatore(this);
}

TModelloDataSet::~TModelloDataSet() { dataset_.TogliOsservatore(this); }

int TModelloDataSet::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !dataset_.Active() ? 0 : dataset_.RecordCount();
}

int TModelloDataSet::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !dataset_.Active() ? 0 : dataset_.FieldCount();
}

QVariant TModelloDataSet::data(const QModelIndex& indice, int ruolo) const {
    if (!indice.isValid() || (ruolo != Qt::DisplayRole && ruolo != Qt::EditRole))
        return {};
    return fb::TestoValore(dataset_.Valore(indice.row(), indice.column()));
}

QVariant TModelloDataSet::headerData(int sezione, Qt::Orientation orientamento, int ruolo) const {
    if (ruolo != Qt::DisplayRole)
        return {};
    if (orientamento == Qt::Vertical)
        return sezione + 1;
    if (sezione < 0 || sezione >= dataset_.FieldCount())
        return {};
    return dataset_.FieldDefs()[static_cast<size_t>(sezione)].Nome;
}

Qt::ItemFlags TModelloDataSet::flags(const QModelIndex& indice) const {
    if (!indice.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool TModelloDataSet::setData(const QModelIndex& indice, const QVariant& valore, int ruolo) {
    if (!indice.isValid() || ruolo != Qt::EditRole)
        return false;
    if (fb::TestoValore(dataset_.Valore(indice.row(), indice.column())) == valore.toString())
        return false; // nothing changed: no edit, no lock
    bool scritto = false;
    // Called from the view's delegate: nothing may leave here but the answer.
    piattaforma::EseguiProtetto([&] {
        dataset_.MoveTo(indice.row());
        dataset_.Edit();
        dataset_.Fields(indice.column()).SetValue(valore);
        scritto = true;
    });
    return scritto;
}

void TModelloDataSet::DataSetRiletto() {
    beginResetModel();
    endResetModel();
    emit RigaCorrente(dataset_.RecNo());
}

void TModelloDataSet::RigaCambiata(int riga) {
    emit dataChanged(index(riga, 0), index(riga, std::max(0, dataset_.FieldCount() - 1)));
}

void TModelloDataSet::RigaAggiunta(int riga) {
    beginInsertRows({}, riga, riga);
    endInsertRows();
}

void TModelloDataSet::RigaTolta(int riga) {
    beginRemoveRows({}, riga, riga);
    endRemoveRows();
}

void TModelloDataSet::PosizioneCambiata(int riga) { emit RigaCorrente(riga); }
