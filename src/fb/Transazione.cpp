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

TTransazione::~TTransazione() {
    Termina(false);
}

QByteArray TTransazione::CreaTpb() const {
    if (Params.isEmpty())
        return {};
    client::Stato stato;
    Firebird::IXpbBuilder* tpb =
        client::Util()->getXpbBuilder(&stato, Firebird::IXpbBuilder::TPB, nullptr, 0);
    stato.Verifica();
    for (const QString& riga : Params) {
        const QString nome = riga.trimmed();
        const auto trovato =
            std::find_if(std::begin(parametriTpb), std::end(parametriTpb), [&](const ParametroTpb& p) {
                return nome.compare(QLatin1String(p.nome), Qt::CaseInsensitive) == 0;
            });
        if (trovato == std::end(parametriTpb)) {
            tpb->dispose();
            throw EErroreDB(QStringLiteral("Unknown transaction parameter: ") + riga);
        }
        tpb->insertTag(&stato, trovato->tag);
    }
    const QByteArray blocco(reinterpret_cast<const char*>(tpb->getBuffer(&stato)),
                            static_cast<int>(tpb->getBufferLength(&stato)));
    tpb->dispose();
    return blocco;
}

void TTransazione::StartTransaction() {
    if (InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is active"));
    if (DefaultDatabase == nullptr)
        throw EErroreDB(QStringLiteral("Transaction has no database"));
    if (!DefaultDatabase->Connected())
        throw EErroreDB(QStringLiteral("Database not open"));
    const QByteArray tpb = CreaTpb();
    client::Stato stato;
    handle_ = DefaultDatabase->Handle()->startTransaction(
        &stato, static_cast<unsigned>(tpb.size()),
        reinterpret_cast<const unsigned char*>(tpb.constData()));
    stato.Verifica();
    databaseAttivo_ = DefaultDatabase;
    databaseAttivo_->transazioni_.push_back(this);
}

void TTransazione::ChiudiCursori() {
    for (TQuery* q : std::vector<TQuery*>(cursori_))
        q->Close();
    cursori_.clear();
}

void TTransazione::Commit() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    ChiudiCursori();
    client::Stato stato;
    handle_->commit(&stato);
    stato.Verifica(); // a failed commit leaves the transaction active, to be rolled back
    handle_ = nullptr;
    Togli(databaseAttivo_->transazioni_, this);
    databaseAttivo_ = nullptr;
}

void TTransazione::Rollback() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    ChiudiCursori();
    client::Stato stato;
    handle_->rollback(&stato);
    const bool fallito = stato.Fallito();
    EErroreDB errore = fallito ? stato.Errore() : EErroreDB({});
    // A rollback that failed (connection lost) still leaves nothing to end.
    if (fallito)
        handle_->release();
    handle_ = nullptr;
    Togli(databaseAttivo_->transazioni_, this);
    databaseAttivo_ = nullptr;
    if (fallito)
        throw errore;
}

void TTransazione::CommitRetaining() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    client::Stato stato;
    handle_->commitRetaining(&stato);
    stato.Verifica();
}

void TTransazione::RollbackRetaining() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    client::Stato stato;
    handle_->rollbackRetaining(&stato);
    stato.Verifica();
}

void TTransazione::Termina(bool conferma) {
    if (!InTransaction())
        return;
    try {
        if (conferma)
            Commit();
        else
            Rollback();
    } catch (const EErroreDB&) {
        if (InTransaction()) {
            handle_->release();
            handle_ = nullptr;
            Togli(databaseAttivo_->transazioni_, this);
            databaseAttivo_ = nullptr;
        }
    }
}

void TTransazione::RegistraCursore(TQuery* q) {
    if (std::find(cursori_.begin(), cursori_.end(), q) == cursori_.end())
        cursori_.push_back(q);
}

void TTransazione::TogliCursore(TQuery* q) { Togli(cursori_, q); }

} // namespace fb
