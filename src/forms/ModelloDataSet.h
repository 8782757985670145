#pragma once

#include "fb/DataSet.h"

#include <QAbstractTableModel>

// A grid's view of an editable dataset: one row per row, one column per field, titled with
// the field names. Editing a cell moves the dataset to that row and enters edit mode, so the
// dataset's before-edit handler decides (a refusal leaves the cell as it was); moving to
// another row posts the edit, as the dataset does.
class TModelloDataSet : public QAbstractTableModel, private fb::TOsservatoreDataSet {
    Q_OBJECT
public:
    explicit TModelloDataSet(fb::TDataSet& dataset, QObject* parent = nullptr);
    ~TModelloDataSet() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& indice, int ruolo = Qt::DisplayRole) const override;
    QVariant headerData(int sezione, Qt::Orientation orientamento, int ruolo = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;
    bool setData(const QModelIndex& indice, const QVariant& valore, int ruolo = Qt::EditRole) override;

    fb::TDataSet& DataSet() const { return dataset_; }

signals:
    // The dataset's current row changed (after a move, a re-read, an append).
    void RigaCorrente(int riga);

private:
    void DataSetRiletto() override;
    void RigaCambiata(int riga) override;
    void RigaAggiunta(int riga) override;
    void RigaTolta(int riga) override;
    void PosizioneCambiata(int riga) override;

    fb::TDataSet& dataset_;
};
