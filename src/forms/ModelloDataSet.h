#pragma once

#include "../fb/DataSet.h"

#include <QAbstractTableModel>
#include <QHash>

#include <vector>

class QAbstractItemView;

// A grid's view of an editable dataset: one row per row, one column per field, titled with
// the field names. Values are shown and typed the Italian way (forms/FormatoCampi.h); a typed
// value the column cannot hold is refused with a warning before anything else happens, so
// the row is neither moved to nor put in edit mode (and not locked). Editing a cell moves
// the dataset to that row and enters edit mode, so the dataset's before-edit handler decides
// (a refusal leaves the cell as it was); moving to another row posts the edit, as the
// dataset does.
//
// A re-read with the same columns (save, cancel, refresh) is not a reset: the grid keeps its
// column widths, scroll position and current cell, since QHeaderView gives every section
// its default size again after a reset, and a view forgets its current index.
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

    // Makes this the view's model and keeps the two on one row: the view's current cell
    // follows the dataset's current row (in the column the user was in, after a re-read too),
    // and a row chosen in the view becomes the dataset's. A move the dataset refuses (an edit
    // that cannot be posted) is reported and puts the view back on the dataset's row.
    void CollegaVista(QAbstractItemView& vista);

signals:
    // The dataset's current row changed (after a move, a re-read, an append).
    void RigaCorrente(int riga);

private:
    void DataSetRiletto() override;
    void RigaCambiata(int riga) override;
    void RigaAggiunta(int riga) override;
    void RigaTolta(int riga) override;
    void PosizioneCambiata(int riga) override;

    // The column as a typed value is checked against it: with the precision the column was
    // declared with, read from the database the first time it is needed.
    fb::TDefinizioneCampo DefinizioneDaVerificare(int colonna);
    // The view is put on the dataset's current row.
    void RiallineaVista(QAbstractItemView& vista, int colonna);

    fb::TDataSet& dataset_;
    // What the grid has been told: the columns stay while the dataset is closed for a re-read.
    std::vector<fb::TDefinizioneCampo> colonne_;
    int righe_ = 0;
    // Declared precisions by "TABLE.COLUMN", 0 for none.
    QHash<QString, int> precisioni_;
};
