#include "db/Lotto.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"
#include "fixture/MessaggiRegistrati.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using fb::TDatabase;
using fb::TQuery;
using fb::TTransazione;

// A batch of its own on a table T, in a transaction that fails at once on a lock, as the
// administration windows run theirs. Embedded and, when the test command started it, through
// the loopback server. The dumps go to a directory of the test's own.
class Lotto : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
        ASSERT_TRUE(QDir::setCurrent(dir.Percorso()));
        nome = prova::NomeDatabase(dir.File("lotto.fdb"), GetParam());
        prova::CreaDatabaseVuoto(db, nome);
        TTransazione ddl(&db);
        Esegui(db, ddl, "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20))");
        // The archive refuses to commit while a row 99 is pending.
        Esegui(db, ddl, "CREATE EXCEPTION E_RIFIUTA 'commit refused'");
        ddl.Commit();
        Esegui(db, ddl,
               "CREATE TRIGGER T_RIFIUTA ON TRANSACTION COMMIT AS BEGIN "
               "IF (EXISTS(SELECT 1 FROM T WHERE ID=99)) THEN EXCEPTION E_RIFIUTA; END");
        ddl.Commit();
        // A connection learns of database triggers when it attaches.
        prova::ImpostaParametriApertura(db, nome);
        db.Open();
        tr.DefaultDatabase = &db;
        tr.Params = {QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
        tr.StartTransaction();
    }
    void TearDown() override { QDir::setCurrent(correnteIniziale); }

    static void Esegui(TDatabase& database, TTransazione& transazione, const QString& istruzione) {
        TQuery q(&database, &transazione);
        q.SQL.Add(istruzione);
        q.ExecSQL();
    }

    // The IDs of T, as a transaction sees them.
    static QString Righe(TDatabase& database, TTransazione& transazione) {
        TQuery q(&database, &transazione);
        q.SQL.Add("SELECT COALESCE(LIST(ID, ','), '<none>') FROM (SELECT ID FROM T ORDER BY ID)");
        q.Open();
        return q.Fields(0).AsString();
    }

    const QString correnteIniziale = QDir::currentPath();
    prova::CartellaProva dir;
    QString nome;
    TDatabase db;
    TTransazione tr;
    MessaggiInstallati msg;
};

INSTANTIATE_TEST_SUITE_P(, Lotto, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

struct Fallimento {
    const char* caso;
    QString seconda;        // the second statement of the batch
    bool secondaRiesce;     // what its run answers
    QString box;            // the one box shown
    QString dump;           // the statement saved
};

// The first statement succeeds; the batch then fails at its second statement or at its commit.
TEST_P(Lotto, AFailedBatchShowsOneBoxAndLeavesNothingOfItsEarlierStatementsPending) {
    const Fallimento casi[] = {
        {"the second statement fails", "INSERT INTO T VALUES (1, 'doppio')", false, "seconda non riuscita",
         "INSERT INTO T VALUES (1, 'doppio')\n"},
        // A refused commit fails the batch as its last statement.
        {"the commit is refused", "INSERT INTO T VALUES (99, 'rifiutata')", true, "seconda non riuscita",
         "INSERT INTO T VALUES (99, 'rifiutata')\n"},
    };
    for (const Fallimento& caso : casi) {
        SCOPED_TRACE(caso.caso);
        msg->Svuota();
        QFile::remove("Quendra.ProvaLotto.sql");
        TQuery query(&db, &tr);
        TLottoIstruzioni lotto(query, tr, QStringLiteral("ProvaLotto"));

        EXPECT_TRUE(lotto.Esegui({"INSERT INTO T VALUES (1, 'primo')"}, "prima non riuscita"));
        EXPECT_EQ(lotto.Esegui({caso.seconda}, "seconda non riuscita"), caso.secondaRiesce);
        EXPECT_FALSE(lotto.Commit());
        EXPECT_FALSE(lotto.Esegui({"INSERT INTO T VALUES (2, 'terza')"}, "terza non riuscita"))
            << "nothing runs after a failure";
        EXPECT_FALSE(lotto.CommitRetaining());
        EXPECT_FALSE(lotto.Commit());
        EXPECT_FALSE(lotto.Riuscito());
        EXPECT_EQ(msg->Testi(), QStringList{caso.box});

        // Rolled back and started again: the batch's own transaction no longer holds the row,
        // and another connection may take its key at once.
        EXPECT_TRUE(tr.InTransaction());
        EXPECT_EQ(Righe(db, tr), "<none>");
        TDatabase altra;
        prova::ImpostaParametriApertura(altra, nome);
        altra.Open();
        TTransazione altraTr(&altra);
        altraTr.Params = {QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
        EXPECT_EQ(Righe(altra, altraTr), "<none>");
        EXPECT_NO_THROW(Esegui(altra, altraTr, "INSERT INTO T VALUES (1, 'altra')")) << "the key is not held";
        altraTr.Rollback();

        QFile dump("Quendra.ProvaLotto.sql");
        ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromLatin1(dump.readAll()), caso.dump);
    }
    // The transaction serves the next batch.
    TQuery query(&db, &tr);
    TLottoIstruzioni lotto(query, tr);
    EXPECT_TRUE(lotto.Esegui({"INSERT INTO T VALUES (1, 'dopo')"}, "non riuscita"));
    EXPECT_TRUE(lotto.Commit());
    EXPECT_EQ(Righe(db, tr), "1");
    EXPECT_EQ(msg->Testi(), QStringList{"seconda non riuscita"});
}

} // namespace
