#include "fb/Aggiornamento.h"

#include "fb/Errore.h"

#include <algorithm>

namespace fb {

TAggiornamento::~TAggiornamento() {
    if (query_)
        query_->SetUpdateObject(nullptr);
}

TQuery& TAggiornamento::Query() const {
    if (query_ == nullptr)
        throw EErroreDB(QStringLiteral("The update object is not attached to a query"));
    return *query_;
}

void TAggiornamento::Attacca(TQuery* query) {
    if (query_ && query_ != query)
        query_->aggiornamento_ = nullptr;
    Cancel();
    query_ = query;
}

void TAggiornamento::Stacca() {
    Cancel();
    query_ = nullptr;
}

void TAggiornamento::Inizia(Stato stato) {
    Cancel();
    stato_ = stato;
}

void TAggiornamento::Edit() {
    if (Query().RigaCorrente() == nullptr)
        throw EErroreDB(QStringLiteral("The query has no current row to edit"));
    Inizia(Modifica);
}

void TAggiornamento::Append() {
    if (!Query().Active())
        throw EErroreDB(QStringLiteral("Cannot append a row to a closed query"));
    Inizia(Inserimento);
}

void TAggiornamento::Cancel() {
    stato_ = Consultazione;
    valori_.clear();
}

TParametro& TAggiornamento::FieldByName(const QString& nome) {
    if (stato_ == Consultazione)
        throw EErroreDB(QStringLiteral("The query is not in edit or insert mode"));
    Query().FieldByName(nome); // a column the query does not have raises here
    for (TParametro& valore : valori_)
        if (valore.Name().compare(nome, Qt::CaseInsensitive) == 0)
            return valore;
    return valori_.emplace_back(nome);
}

void TAggiornamento::Post() {
    if (stato_ == Consultazione)
        throw EErroreDB(QStringLiteral("The query is not in edit or insert mode"));
    Esegui(stato_ == Modifica ? ModifySQL : InsertSQL);
    Cancel();
}

void TAggiornamento::Assegna(TParametro& parametro) const {
    const auto uguale = [&](const TParametro& v) {
        return v.Name().compare(parametro.Name(), Qt::CaseInsensitive) == 0;
    };
    const auto impostato = std::find_if(valori_.begin(), valori_.end(), uguale);
    if (impostato != valori_.end()) {
        parametro.AssignValue(*impostato);
        return;
    }
    const TCampo* campo = Query().FindField(parametro.Name());
    if (campo == nullptr)
        throw EErroreDB(QStringLiteral("Parameter '") + parametro.Name() +
                        QStringLiteral("' is not a column of the query"));
    if (stato_ == Modifica)
        parametro.Assign(*campo);
    else
        parametro.Clear();
}

void TAggiornamento::Esegui(const TRighe& istruzione) {
    if (istruzione.Count() == 0)
        throw EErroreDB(stato_ == Modifica ? QStringLiteral("The update object has no modify statement")
                                           : QStringLiteral("The update object has no insert statement"));
    const TQuery& query = Query();
    EseguiCon(istruzione, query.Database, query.Transaction,
              [this](TParametro& parametro) { Assegna(parametro); });
}

void TAggiornamento::EseguiCon(const TRighe& istruzione, TDatabase* database, TTransazione* transazione,
                               const std::function<void(TParametro&)>& assegna) {
    esecuzione_.Database = database;
    esecuzione_.Transaction = transazione;
    if (copiata_ != &istruzione || versioneCopiata_ != istruzione.Versione()) {
        esecuzione_.SQL.Clear();
        for (const QString& riga : istruzione.Righe())
            esecuzione_.SQL.Add(riga);
        copiata_ = &istruzione;
        versioneCopiata_ = istruzione.Versione();
    }
    for (int i = 0; i < esecuzione_.ParamCount(); ++i)
        assegna(esecuzione_.Params(i));
    esecuzione_.ExecSQL();
}

} // namespace fb
