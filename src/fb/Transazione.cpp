#include "fb/Transazione.h"

#include "fb/Client.h"
#include "fb/Database.h"
#include "fb/Query.h"

#include <ibase.h>

#include <algorithm>

namespace fb {

namespace {

struct ParametroTpb {
    const char* nome;
    unsigned char tag;
};

constexpr ParametroTpb parametriTpb[] = {
    {"isc_tpb_consistency", isc_tpb_consistency},
    {"isc_tpb_concurrency", isc_tpb_concurrency},
    {"isc_tpb_read_committed", isc_tpb_read_committed},
    {"isc_tpb_rec_version", isc_tpb_rec_version},
    {"isc_tpb_no_rec_version", isc_tpb_no_rec_version},
    {"isc_tpb_wait", isc_tpb_wait},
    {"isc_tpb_nowait", isc_tpb_nowait},
    {"isc_tpb_read", isc_tpb_read},
    {"isc_tpb_write", isc_tpb_write},
    {"isc_tpb_no_auto_undo", isc_tpb_no_auto_undo},
};

template <typename T> void Togli(std::vector<T*>& lista, T* elemento) {
    lista.erase(std::remove(lista.begin(), lista.end(), elemento), lista.end());
}

} // namespace

TTransazione::TTransazione(TDatabase* database) : DefaultDatabase(database) {}

TTransazione::~TTransazione() { Termina(); }

QByteArray TTransazione::CreaTpb() const {
    if (Params.isEmpty())
        return {};
    client::Stato stato;
    client::Interfaccia<Firebird::IXpbBuilder> tpb(
        client::Util()->getXpbBuilder(&stato, Firebird::IXpbBuilder::TPB, nullptr, 0));
    for (const QString& riga : Params) {
        const QString nome = riga.trimmed();
        const auto trovato =
            std::find_if(std::begin(parametriTpb), std::end(parametriTpb), [&](const ParametroTpb& p) {
                return nome.compare(QLatin1String(p.nome), Qt::CaseInsensitive) == 0;
            });
        if (trovato == std::end(parametriTpb))
            throw EErroreDB(QStringLiteral("Unknown transaction parameter: ") + riga);
        tpb->insertTag(&stato, trovato->tag);
    }
    const unsigned lunghezza = tpb->getBufferLength(&stato);
    const unsigned char* buffer = tpb->getBuffer(&stato);
    return QByteArray(reinterpret_cast<const char*>(buffer), static_cast<int>(lunghezza));
}

void TTransazione::StartTransaction() {
    if (InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is active"));
    if (DefaultDatabase == nullptr)
        throw EErroreDB(QStringLiteral("Transaction has no database"));
    if (!DefaultDatabase->Connected())
        throw EErroreDB(QStringLiteral("Database not open"));
    const QByteArray tpb = CreaTpb();
    auto& lista = DefaultDatabase->transazioni_;
    lista.reserve(lista.size() + 1); // so that nothing fails once the transaction runs
    client::Stato stato;
    handle_ = client::Interfaccia<Firebird::ITransaction>(DefaultDatabase->Handle()->startTransaction(
        &stato, static_cast<unsigned>(tpb.size()), reinterpret_cast<const unsigned char*>(tpb.constData())));
    databaseAttivo_ = DefaultDatabase;
    lista.push_back(this);
}

void TTransazione::ChiudiCursori() {
    while (!cursori_.empty()) {
        TQuery* q = cursori_.back();
        cursori_.pop_back();
        q->Close();
    }
}

void TTransazione::Stacca() {
    if (databaseAttivo_)
        Togli(databaseAttivo_->transazioni_, this);
    databaseAttivo_ = nullptr;
}

void TTransazione::Commit() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    ChiudiCursori();
    client::Stato stato;
    handle_->commit(&stato); // a failed commit leaves the transaction active, to be rolled back
    handle_.Concluso();
    Stacca();
}

void TTransazione::Rollback() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    ChiudiCursori();
    // Whatever the outcome there is nothing left to end: a rollback that fails (connection
    // lost) lets the handle go all the same.
    client::Interfaccia<Firebird::ITransaction> transazione = std::move(handle_);
    Stacca();
    client::Stato stato;
    transazione->rollback(&stato);
    transazione.Concluso();
}

void TTransazione::CommitRetaining() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    client::Stato stato;
    handle_->commitRetaining(&stato);
}

void TTransazione::RollbackRetaining() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    client::Stato stato;
    handle_->rollbackRetaining(&stato);
}

void TTransazione::Termina() noexcept {
    if (!InTransaction())
        return;
    ChiudiCursori();
    Stacca();
    handle_.Azzera();
}

void TTransazione::RegistraCursore(TQuery* q) {
    if (std::find(cursori_.begin(), cursori_.end(), q) == cursori_.end())
        cursori_.push_back(q);
}

void TTransazione::TogliCursore(TQuery* q) { Togli(cursori_, q); }

} // namespace fb
