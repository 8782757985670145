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

namespace {

EErroreDB TransazionePersa() {
    return EErroreDB(QStringLiteral("Connection lost: the transaction's work was not committed"), {335544741});
}

} // namespace

bool TTransazione::PersaConLaConnessione() noexcept {
    if (!InTransaction() || databaseAttivo_ == nullptr || !databaseAttivo_->Persa())
        return false;
    Termina();
    return true;
}

void TTransazione::Osserva(const EErroreDB& errore) noexcept {
    if (databaseAttivo_)
        databaseAttivo_->Osserva(errore);
    if (errore.ConnessionePersa())
        Termina();
}

void TTransazione::StartTransaction() {
    // One that went with a lost connection is let go: this one starts on the new connection.
    PersaConLaConnessione();
    if (InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is active"));
    if (DefaultDatabase == nullptr)
        throw EErroreDB(QStringLiteral("Transaction has no database"));
    DefaultDatabase->RiattaccaSePersa();
    if (!DefaultDatabase->Connected())
        throw EErroreDB(QStringLiteral("Il database non è collegato: l'operazione non può essere eseguita."));
    const QByteArray tpb = CreaTpb();
    auto& lista = DefaultDatabase->transazioni_;
    lista.reserve(lista.size() + 1); // so that nothing fails once the transaction runs
    client::Stato stato;
    try {
        handle_ = client::Interfaccia<Firebird::ITransaction>(DefaultDatabase->Handle()->startTransaction(
            &stato, static_cast<unsigned>(tpb.size()), reinterpret_cast<const unsigned char*>(tpb.constData())));
    } catch (const EErroreDB& errore) {
        DefaultDatabase->Osserva(errore);
        throw;
    }
    databaseAttivo_ = DefaultDatabase;
    lista.push_back(this);
    ++generazione_;
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
    if (PersaConLaConnessione())
        throw TransazionePersa();
    ChiudiCursori();
    client::Stato stato;
    try {
        handle_->commit(&stato); // a failed commit leaves the transaction active, to be rolled back
    } catch (const EErroreDB& errore) {
        Osserva(errore);
        throw;
    }
    handle_.Concluso();
    Stacca();
    ++generazione_;
}

void TTransazione::Rollback() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    // Gone with the connection: there is nothing left to undo.
    if (PersaConLaConnessione())
        return;
    ChiudiCursori();
    // Whatever the outcome there is nothing left to end: a rollback that fails (connection
    // lost) lets the handle go all the same.
    client::Interfaccia<Firebird::ITransaction> transazione = std::move(handle_);
    TDatabase* database = databaseAttivo_;
    Stacca();
    ++generazione_;
    client::Stato stato;
    try {
        transazione->rollback(&stato);
    } catch (const EErroreDB& errore) {
        if (database)
            database->Osserva(errore);
        if (!errore.ConnessionePersa())
            throw;
        return;
    }
    transazione.Concluso();
}

void TTransazione::ConfermaOAnnulla(bool trattieni) {
    try {
        if (trattieni)
            CommitRetaining();
        else
            Commit();
    } catch (const EErroreDB&) {
        if (InTransaction())
            Rollback();
        throw;
    }
}

void TTransazione::CommitRetaining() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    if (PersaConLaConnessione())
        throw TransazionePersa();
    client::Stato stato;
    ++generazione_;
    try {
        handle_->commitRetaining(&stato);
    } catch (const EErroreDB& errore) {
        Osserva(errore);
        throw;
    }
}

void TTransazione::RollbackRetaining() {
    if (!InTransaction())
        throw EErroreDB(QStringLiteral("Transaction is not active"));
    if (PersaConLaConnessione())
        return;
    client::Stato stato;
    ++generazione_;
    try {
        handle_->rollbackRetaining(&stato);
    } catch (const EErroreDB& errore) {
        Osserva(errore);
        if (!errore.ConnessionePersa())
            throw;
    }
}

bool TTransazione::PersaAllaGenerazione(quint64 generazione) const {
    // Still running on a connection known to be dead: lost, though not yet let go.
    if (generazione == generazione_ && InTransaction() && databaseAttivo_ && databaseAttivo_->Persa())
        return true;
    return std::find(generazioniPerse_.begin(), generazioniPerse_.end(), generazione) != generazioniPerse_.end();
}

void TTransazione::Termina() noexcept {
    if (!InTransaction())
        return;
    try {
        generazioniPerse_.push_back(generazione_);
    } catch (...) {
        // Out of memory: the loss goes unrecorded rather than the clean-up failing.
    }
    ChiudiCursori();
    Stacca();
    handle_.Azzera();
    ++generazione_;
}

void TTransazione::RegistraCursore(TQuery* q) {
    if (std::find(cursori_.begin(), cursori_.end(), q) == cursori_.end())
        cursori_.push_back(q);
}

void TTransazione::TogliCursore(TQuery* q) { Togli(cursori_, q); }

} // namespace fb
