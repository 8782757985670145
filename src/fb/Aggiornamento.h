#pragma once

#include "../fb/Parametri.h"
#include "../fb/Query.h"

#include <QString>

#include <deque>
#include <functional>

namespace fb {

// The update object of a query: the statements that write its rows back, ModifySQL for the
// current row and InsertSQL for a new one, with parameters named after the columns
// (":CODICE"). Attach it with TQuery::SetUpdateObject; Edit or Append starts a change on the
// open query, FieldByName sets the values and Post runs the statement in the query's
// transaction. The query itself is not re-read.
class TAggiornamento {
public:
    enum Stato { Consultazione, Modifica, Inserimento };

    TAggiornamento() = default;
    ~TAggiornamento();
    TAggiornamento(const TAggiornamento&) = delete;
    TAggiornamento& operator=(const TAggiornamento&) = delete;

    TRighe ModifySQL;
    TRighe InsertSQL;
    // Used by datasets only (TIBQuery): the statement that deletes the current row.
    TRighe DeleteSQL;

    TQuery* DataSet() const { return query_; }
    Stato State() const { return stato_; }

    // The current row of the query; it must have one.
    void Edit();
    // A new row, every column NULL until set.
    void Append();
    // The value Post writes for a column of the query, during Edit or Append. A column left
    // alone keeps the current row's value (Edit) or is NULL (Append).
    TParametro& FieldByName(const QString& nome);
    // A parameter of the statement must name a column of the query or a value set here.
    void Post();
    void Cancel();

    // Runs one statement on a connection and transaction, the caller giving each parameter
    // its value: for datasets that keep their own rows. Prepared again only when the
    // statement changes.
    void EseguiCon(const TRighe& istruzione, TDatabase* database, TTransazione* transazione,
                   const std::function<void(TParametro&)>& assegna);
    // Rows changed by the last statement run; asks the engine, so only when wanted.
    qint64 RigheToccate() const { return esecuzione_.RowsAffected(); }

private:
    friend class TQuery;

    TQuery& Query() const;
    void Inizia(Stato stato);
    void Assegna(TParametro& parametro) const;
    void Esegui(const TRighe& istruzione);
    void Attacca(TQuery* query);
    void Stacca();

    TQuery* query_ = nullptr;
    Stato stato_ = Consultazione;
    std::deque<TParametro> valori_; // a deque, so references handed out stay valid
    // Runs the statements, prepared again only when the statement text changes.
    TQuery esecuzione_;
    const TRighe* copiata_ = nullptr;
    unsigned versioneCopiata_ = 0;
};

} // namespace fb
