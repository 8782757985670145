#pragma once

#include <QStringList>

#include <vector>

namespace Firebird {
class ITransaction;
}

namespace fb {

class TDatabase;
class TQuery;

// A transaction on one connection. Params holds lines such as "isc_tpb_concurrency" and
// "isc_tpb_nowait"; no lines means the client's defaults (concurrency, wait).
// A transaction must not outlive its database.
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
    bool InTransaction() const { return handle_ != nullptr; }
    bool Active() const { return InTransaction(); }

    Firebird::ITransaction* Handle() const { return handle_; }

private:
    friend class TDatabase;
    friend class TQuery;

    QByteArray CreaTpb() const;
    void ChiudiCursori();
    // Ends the transaction; rollback errors are swallowed when non-throwing.
    void Termina(bool conferma);
    void RegistraCursore(TQuery* q);
    void TogliCursore(TQuery* q);

    Firebird::ITransaction* handle_ = nullptr;
    TDatabase* databaseAttivo_ = nullptr;
    std::vector<TQuery*> cursori_;
};

} // namespace fb
