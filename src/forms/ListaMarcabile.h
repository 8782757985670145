#pragma once

#include "../forms/Ancore.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QHash>
#include <QStringList>

#include <vector>

class QLabel;
class QPushButton;
class QResizeEvent;
class QShowEvent;
class QTableView;
class TTabXForm;

namespace fb {
class TQuery;
}

// The rows of an open query as text, for a read-only grid: one column per field, titled with
// the field's name. A row whose key is in the marks is painted as marked.
class TModelloRighe : public QAbstractTableModel {
    Q_OBJECT
public:
    TModelloRighe(const QString& campoChiave, const QStringList* marche, QObject* parent);

    // Reads every row of the query, which stays open; a closed query leaves the grid empty.
    void Carica(fb::TQuery& query);
    void Svuota();
    // The key of the row as text; empty when there is no such row.
    QString Chiave(int riga) const;
    bool Marcata(int riga) const;
    // Repaints after the marks changed.
    void MarcheCambiate();
    // Columns after the query's, filled by key; a key without values shows them empty.
    void ImpostaColonneAggiunte(const QStringList& titoli, const QHash<QString, QStringList>& valori);
    QStringList Chiavi() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& indice, int ruolo) const override;
    QVariant headerData(int sezione, Qt::Orientation orientamento, int ruolo) const override;

private:
    QString campoChiave_;
    const QStringList* marche_;
    QStringList nomi_;
    int colonnaChiave_ = -1;
    std::vector<QStringList> righe_;
    QStringList titoliAggiunti_;
    QHash<QString, QStringList> valoriAggiunti_;
};

// A modal list of rows that the user marks (F3 or a double click on the current row, mark all,
// clear all) before acting on the marked keys. The marks are the keys as text, each at most
// once, in the order they were marked; they outlive a reload of the rows.
class TListaMarcabile : public QDialog {
    Q_OBJECT
public:
    QLabel* Label1;
    QPushButton* ButtonSel;
    QPushButton* ButtonDeSel;
    QPushButton* ButtonChiudi;

    QStringList ListaSelezionate;

    void ButtonSelClick();
    void ButtonDeSelClick();
    void ButtonChiudiClick();
    // Toggles the mark of the grid's current row; nothing when the list is empty.
    void CommutaRigaCorrente();
    // F3 released in the grid toggles; other keys nothing.
    void GrigliaKeyUp(int tasto);

    QTableView* Griglia() const { return griglia_; }
    const TModelloRighe& Righe() const { return *modello_; }

protected:
    TListaMarcabile(QWidget* owner, TTabXForm* dataModule, const QString& nomeGriglia,
                    const QString& campoChiave);

    // Shows the rows of the open query (or none), keeping the marks.
    void MostraRighe(fb::TQuery* query);
    // Columns of the program's own beside the query's, by key.
    void MostraColonneAggiunte(const QStringList& titoli, const QHash<QString, QStringList>& valori);
    // The button that acts on the marks, placed under the two marking buttons.
    QPushButton* CreaPulsante(const QString& nome, const QString& testo, const QRect& geometria);

    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

    TTabXForm* TabXForm;
    TAncore Ancore;

private:
    QTableView* griglia_;
    TModelloRighe* modello_;
};
