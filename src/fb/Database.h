#pragma once

#include "../fb/Interfaccia.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

namespace fb {

class EErroreDB;
class TTransazione;
class TQuery;

// A connection to one database: a name, parameter lines ("user_name=SYSDBA",
// "password=..."), and the transactions and queries that work on it.
class TDatabase {
public:
    TDatabase();
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    QString DatabaseName;
    QStringList Params;
    bool LoginPrompt = false; // kept for the callers' sake: nobody is ever prompted
    int SQLDialect = 3;

    void SetDefaultTransaction(TTransazione* transazione);
    TTransazione* DefaultTransaction() const { return transazionePredefinita_; }

    void Open();
    // Ends what is still running on the connection (rollback) and detaches. Never throws.
    void Close() noexcept;
    // Changes each time the program closes the connection (another company's archive, the
    // end), not when a lost connection is attached again: what was read or locked under one
    // value belongs to a database that may no longer be the one this connection reaches.
    quint64 Epoca() const { return epoca_; }
    bool Connected() const { return static_cast<bool>(attacco_); }

    // The connection died under the program (server stopped or restarted, network down):
    // the next statement or transaction on it attaches again, under the same name and
    // parameters, and the transactions it used start afresh. What was not committed is
    // gone with the old connection.
    bool Persa() const { return persa_; }
    void RiattaccaSePersa();
    // Remembers a lost connection when the error says so; the error goes on as it is.
    void Osserva(const EErroreDB& errore) noexcept;

    // "CREATE DATABASE '<name>' " followed by each parameter line and a line break, in the
    // connection's dialect; the connection ends attached to the new database.
    void CreateDatabase();

    // A statement the connection keeps prepared while it stays attached, one query per text,
    // for the statements that run again and again with other values (a launch's checks and
    // its log row): after the first run only their values travel. The text must be the same
    // every time, values go in as ":NAME" parameters. The query comes closed, bound to the
    // transaction given; the caller sets the values and runs it.
    TQuery& Preparata(const QStringList& righe, TTransazione* transazione);

    // A read-committed, read-only transaction the connection keeps for reads that must see
    // what others have committed up to that moment. Such a transaction holds back no garbage
    // collection, and once started it costs no round trip to the server.
    TTransazione& TransazioneLettura();

    Firebird::IAttachment* Handle() const { return attacco_.get(); }
    // Changes at every attach, so statements prepared on an earlier attachment are dropped.
    unsigned Generazione() const { return generazione_; }

private:
    friend class TTransazione;
    friend class TQuery;

    static QByteArray CreaDpb(const QStringList& righe);
    // The attach parameters ("user_name=...") that a database's creation clauses name.
    static QStringList ParametriDaCreazione(const QStringList& clausole);
    void Attacca(Firebird::IAttachment* attacco);
    void Stacca() noexcept;

    client::Interfaccia<Firebird::IAttachment> attacco_;
    // The block the connection attached with, for attaching again after a loss.
    QByteArray dpbAttacco_;
    TTransazione* transazionePredefinita_ = nullptr;
    unsigned generazione_ = 0;
    quint64 epoca_ = 0;
    bool persa_ = false;
    std::vector<TTransazione*> transazioni_;
    std::vector<TQuery*> query_;
    // Last, so that they go first, while the lists above still stand.
    std::unique_ptr<TTransazione> lettura_;
    std::map<QString, std::unique_ptr<TQuery>> preparate_;
};

} // namespace fb
