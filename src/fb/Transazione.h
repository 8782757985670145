#pragma once

#include "../fb/Interfaccia.h"

#include <QStringList>

#include <vector>

namespace fb {

class EErroreDB;
class TDatabase;
class TQuery;

// A transaction on one connection. Params holds lines such as "isc_tpb_concurrency" and
// "isc_tpb_nowait"; no lines means the client's defaults (concurrency, wait).
// A transaction must not outlive its database; one still active when it goes is rolled back.
class TTransazione {
public:
    explicit TTransazione(TDatabase* database = nullptr);
    ~TTransazione();
    TTransazione(const TTransazione&) = delete;
    TTransazione& operator=(const TTransazione&) = delete;

    TDatabase* DefaultDatabase;
    QStringList Params;

    void StartTransaction();
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();
    // Commits (keeping the transaction when trattieni); a commit the engine refuses leaves
    // the transaction holding what it refused, so it is rolled back before the error goes on:
    // nothing reported as failed is saved by a later commit.
    void ConfermaOAnnulla(bool trattieni = false);
    bool InTransaction() const { return static_cast<bool>(handle_); }
    bool Active() const { return InTransaction(); }

    Firebird::ITransaction* Handle() const { return handle_.get(); }
    // Changes whenever the work this object runs begins or ends (start, commit, rollback,
    // retaining ones included): what was read at one value may be stale at another.
    quint64 Generazione() const { return generazione_; }
    // Whether the work begun at that generation was lost without a commit: its connection
    // died, or the connection was closed under it. An explicit rollback is not a loss.
    bool PersaAllaGenerazione(quint64 generazione) const;

private:
    friend class TDatabase;
    friend class TQuery;

    QByteArray CreaTpb() const;
    void ChiudiCursori();
    // Rolls back what is still active, for destructors and closing connections: never throws.
    void Termina() noexcept;
    // Takes the transaction off its connection's list.
    void Stacca();
    // Its connection is lost: it is let go (nothing of it can be ended on the server), true.
    bool PersaConLaConnessione() noexcept;
    void Osserva(const EErroreDB& errore) noexcept;
    void RegistraCursore(TQuery* q);
    void TogliCursore(TQuery* q);

    client::Interfaccia<Firebird::ITransaction> handle_;
    TDatabase* databaseAttivo_ = nullptr;
    quint64 generazione_ = 0;
    std::vector<quint64> generazioniPerse_;
    std::vector<TQuery*> cursori_;
};

} // namespace fb
