#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "fixture/DatabaseDiProva.h"
#include "piattaforma/Errori.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace fb;
using prova::CartellaProva;

namespace {

// Every case runs embedded and, when the test command started it, through the loopback server.
class Fb : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
    }
    QString Nome(const QString& file) { return prova::NomeDatabase(dir.File(file), GetParam()); }

    void CreaConTabella(TDatabase& db, TTransazione& tr, const QString& file = "t.fdb") {
        prova::CreaDatabaseVuoto(db, Nome(file));
        tr.DefaultDatabase = &db;
        Esegui(db, tr, {"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40),",
                        "NOTE BLOB SUB_TYPE TEXT, GIORNO DATE, ORA TIME, IMPORTO NUMERIC(15,2))"});
        tr.Commit();
    }

    static void Esegui(TDatabase& db, TTransazione& tr, std::initializer_list<const char*> righe) {
        TQuery q(&db, &tr);
        for (const char* riga : righe)
            q.SQL.Add(QString::fromUtf8(riga));
        q.ExecSQL();
    }

    // The first column of a statement run in a transaction of its own, so it sees what is
    // committed at this moment.
    static int Conta(TDatabase& db, const char* istruzione) {
        TTransazione lettura(&db);
        TQuery q(&db, &lettura);
        q.SQL.Add(QString::fromUtf8(istruzione));
        q.Open();
        return q.Fields(0).AsInteger();
    }

    CartellaProva dir;
};

INSTANTIATE_TEST_SUITE_P(, Fb, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

TEST_P(Fb, CreatedDatabaseHasPageSize4096AndDialect3AndStaysAttached) {
    TDatabase db;
    prova::CreaDatabaseVuoto(db, Nome("nuovo.fdb"));
    ASSERT_TRUE(db.Connected());

    TTransazione tr(&db);
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT MON$PAGE_SIZE, MON$SQL_DIALECT FROM MON$DATABASE");
    q.Open();
    EXPECT_EQ(q.Fields(0).AsInteger(), 4096);
    EXPECT_EQ(q.FieldByName("mon$sql_dialect").AsInteger(), 3);
}

TEST_P(Fb, CreatingOverAnExistingDatabaseFailsAndOpeningItWorks) {
    TDatabase db;
    prova::CreaDatabaseVuoto(db, Nome("due.fdb"));
    db.Close();
    EXPECT_THROW(prova::CreaDatabaseVuoto(db, Nome("due.fdb")), EErroreDB);
    prova::ImpostaParametriApertura(db, Nome("due.fdb"));
    db.Open();
    EXPECT_TRUE(db.Connected());
}

TEST_P(Fb, PathWithSingleQuoteCanBeCreated) {
    TDatabase db;
    prova::CreaDatabaseVuoto(db, Nome("D'Angelo.fdb"));
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(QFile::exists(dir.File("D'Angelo.fdb")));
}

TEST_P(Fb, RowsAreWalkedAndReadByNameAndPosition) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    Esegui(db, tr, {"INSERT INTO T (ID, NOME, GIORNO, ORA, IMPORTO)",
                    "VALUES ('1', 'Perù €', '12/31/2024', '14:05:09', '12.50')"});
    Esegui(db, tr, {"INSERT INTO T (ID) VALUES ('2')"});
    TQuery aggiorna(&db, &tr);
    aggiorna.SQL.Add("UPDATE T SET ORA=ORA WHERE ID>'0'");
    aggiorna.ExecSQL();
    EXPECT_EQ(aggiorna.RowsAffected(), 2);

    TQuery q(&db, &tr);
    q.SQL.Add("SELECT ID, NOME, GIORNO, ORA, IMPORTO");
    q.SQL.Add("FROM T ORDER BY ID");
    q.Open();
    EXPECT_EQ(q.NomiCampi(), QStringList({"ID", "NOME", "GIORNO", "ORA", "IMPORTO"}));
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("nome").AsString(), QString::fromUtf8("Perù €"));
    EXPECT_EQ(q.Fields(2).AsString(), "31/12/2024");
    EXPECT_EQ(q.Fields(3).AsString(), "14:05:09");
    EXPECT_EQ(q.Fields(4).AsString(), "12.5");

    q.Next();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.Fields(0).AsInteger(), 2);
    // NULL reads as the empty text and as 0.
    EXPECT_EQ(q.FieldByName("NOME").AsString(), "");
    EXPECT_EQ(q.FieldByName("IMPORTO").AsInteger(), 0);
    EXPECT_TRUE(q.FieldByName("GIORNO").IsNull());

    q.Next();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.Fields(0).AsInteger(), 2) << "the last row stays current at the end";
    q.First();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.Fields(0).AsInteger(), 1);
    EXPECT_THROW(q.FieldByName("MANCA"), EErroreDB);
}

TEST_P(Fb, EmptyResultIsAtEofWithEmptyFields) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT NOME FROM T WHERE ID='99'");
    q.Open();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.FieldByName("NOME").AsString(), "");
}

TEST_P(Fb, TextThatIsNotANumberRaisesAConversionError) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    Esegui(db, tr, {"INSERT INTO T (ID, NOME) VALUES ('1', 'abc')"});
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT NOME FROM T");
    q.Open();
    EXPECT_THROW(q.Fields(0).AsInteger(), piattaforma::ErroreConversione);
}

TEST_P(Fb, TextBlobIsWrittenAndReadBack) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    // Longer than one blob segment, with characters of the upper half of the code page.
    QString testo;
    for (int i = 0; i < 2000; ++i)
        testo += QString::fromUtf8("riga %1 è €\n").arg(i);
    TQuery scrivi(&db, &tr);
    scrivi.SQL.Add("INSERT INTO T (ID, NOTE) VALUES ('1',");
    scrivi.SQL.Add("'" + testo + "')");
    scrivi.ExecSQL();
    tr.Commit();

    TQuery q(&db, &tr);
    q.SQL.Add("SELECT NOTE FROM T");
    q.Open();
    EXPECT_EQ(q.FieldByName("NOTE").AsString(), testo);
}

TEST_P(Fb, SeveralTransactionsOnOneConnection) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    TTransazione annullata(&db);
    TTransazione confermata(&db);
    TQuery a(&db, &annullata);
    a.SQL.Add("INSERT INTO T (ID) VALUES ('1')");
    a.ExecSQL();
    TQuery b(&db, &confermata);
    b.SQL.Add("INSERT INTO T (ID) VALUES ('2')");
    b.ExecSQL();
    EXPECT_TRUE(annullata.InTransaction());
    EXPECT_TRUE(confermata.InTransaction());
    annullata.Rollback();
    confermata.CommitRetaining();
    EXPECT_TRUE(confermata.InTransaction());

    TTransazione lettura(&db);
    TQuery q(&db, &lettura);
    q.SQL.Add("SELECT ID FROM T");
    q.Open();
    q.FetchAll();
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.Fields(0).AsInteger(), 2);
    // Ending the transaction closes the queries reading in it.
    lettura.Commit();
    EXPECT_FALSE(q.Active());
}

TEST_P(Fb, SecondUpdateOfARowFailsAtOnceWithConcurrencyNowait) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    Esegui(db, tr, {"INSERT INTO T (ID, NOME) VALUES ('1', 'a')"});
    tr.Commit();

    TDatabase altro;
    prova::ImpostaParametriApertura(altro, Nome("t.fdb"));
    altro.Open();
    TTransazione primo(&db), secondo(&altro);
    for (TTransazione* t : {&primo, &secondo})
        t->Params = QStringList{"isc_tpb_concurrency", "isc_tpb_nowait"};
    primo.StartTransaction();
    secondo.StartTransaction();
    Esegui(db, primo, {"UPDATE T SET NOME='b' WHERE ID='1'"});
    try {
        Esegui(altro, secondo, {"UPDATE T SET NOME='c' WHERE ID='1'"});
        FAIL() << "the second update did not fail";
    } catch (const EErroreDB& e) {
        EXPECT_TRUE(e.HaCodice(335544336)) << e.Messaggio().toStdString();
        EXPECT_TRUE(e.HaCodice(335544451));
        EXPECT_EQ(e.SqlState(), "40001");
        EXPECT_TRUE(e.Messaggio().contains("update conflicts with concurrent update"));
    }
}

TEST_P(Fb, AnActiveTransactionEndedWithoutCommitLeavesNoRowBehind) {
    struct Fine {
        const char* caso;
        std::function<void(TDatabase&, std::unique_ptr<TTransazione>&)> termina;
    };
    const Fine casi[] = {
        {"the transaction goes out of scope", [](TDatabase&, auto& t) { t.reset(); }},
        {"its connection closes", [](TDatabase& db, auto&) { db.Close(); }},
    };
    int n = 0;
    for (const Fine& caso : casi) {
        SCOPED_TRACE(caso.caso);
        const QString file = QStringLiteral("fine%1.fdb").arg(++n);
        TDatabase db;
        TTransazione tr;
        CreaConTabella(db, tr, file);
        auto scrittura = std::make_unique<TTransazione>(&db);
        Esegui(db, *scrittura, {"INSERT INTO T (ID, NOME) VALUES ('1', 'mai confermata')"});
        ASSERT_TRUE(scrittura->InTransaction());

        caso.termina(db, scrittura);

        if (scrittura) {
            EXPECT_FALSE(scrittura->InTransaction());
        }
        if (db.Connected()) {
            EXPECT_EQ(Conta(db, "SELECT COUNT(*) FROM MON$TRANSACTIONS "
                                "WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION"),
                      1)
                << "only the counting transaction runs on the connection";
        }
        TDatabase altro;
        prova::ImpostaParametriApertura(altro, Nome(file));
        altro.Open();
        EXPECT_EQ(Conta(altro, "SELECT COUNT(*) FROM T"), 0);
    }
}

TEST_P(Fb, AStatementThatFailsWhilePreparingIsPreparedAgainOnTheNextRun) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    Esegui(db, tr, {"INSERT INTO T (ID, NOME) VALUES ('1', 'uno')"});
    Esegui(db, tr, {"INSERT INTO T (ID, NOME) VALUES ('2', 'due')"});
    struct Guasto {
        const char* caso;
        const char* istruzione;
        QString messaggio; // empty: the engine's own
    };
    const Guasto casi[] = {
        // The engine prepares it; reading its markers then finds a value nobody binds.
        {"markers do not match the names", "SELECT NOME FROM T WHERE ID = ? OR ID = :ID",
         "The statement takes 2 parameters and names 1"},
        {"the engine refuses it", "SELECT NOME FROM MANCANTE WHERE ID = :ID", {}},
    };
    for (const Guasto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        TQuery q(&db, &tr);
        q.SQL.Add("SELECT ID FROM T ORDER BY ID");
        q.Open();
        ASSERT_EQ(q.FieldCount(), 1);

        q.SQL.Clear();
        q.SQL.Add(caso.istruzione);
        q.ParamByName("ID").AsInteger(2);
        // Twice: a statement left half prepared would run the second time.
        for (int volta = 1; volta <= 2; ++volta) {
            SCOPED_TRACE(volta);
            try {
                q.Open();
                ADD_FAILURE() << "the statement opened, with " << q.FieldCount() << " columns";
            } catch (const EErroreDB& e) {
                if (!caso.messaggio.isEmpty()) {
                    EXPECT_EQ(e.Messaggio(), caso.messaggio);
                }
            }
            EXPECT_FALSE(q.Active());
            EXPECT_EQ(q.FieldCount(), 0) << "columns of an earlier statement are still there";
            EXPECT_EQ(q.FindField("ID"), nullptr);
        }

        q.SQL.Clear();
        q.SQL.Add("SELECT NOME, ID FROM T WHERE ID = :ID");
        q.ParamByName("ID").AsInteger(2);
        q.Open();
        EXPECT_EQ(q.NomiCampi(), QStringList({"NOME", "ID"}));
        ASSERT_FALSE(q.Eof());
        EXPECT_EQ(q.FieldByName("NOME").AsString(), "due");
        EXPECT_EQ(q.FieldByName("ID").AsInteger(), 2);
        q.Next();
        EXPECT_TRUE(q.Eof());
    }
}

TEST_P(Fb, StatementsThatFailLeaveNothingOpenOnTheConnection) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    Esegui(db, tr, {"INSERT INTO T (ID, NOME) VALUES ('1', 'uno')"});
    tr.Commit();
    struct Guasto {
        const char* caso;
        const char* istruzione;
        bool apri; // Open, or ExecSQL
    };
    const Guasto casi[] = {
        {"after the engine prepared it", "SELECT ID FROM T WHERE ID = ? OR ID = :ID", true},
        {"in the engine's prepare", "SELECT ID FROM MANCANTE", true},
        {"when it runs", "INSERT INTO T (ID) VALUES ('1')", false},
        {"while its rows are read", "SELECT CAST(NOME AS INTEGER) FROM T", true},
    };
    const char* aperte =
        "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION";
    const int prima = Conta(db, aperte);
    TQuery riusata(&db, &tr);
    for (int giro = 0; giro < 5; ++giro) {
        for (const Guasto& caso : casi) {
            SCOPED_TRACE(caso.caso);
            TQuery nuova(&db, &tr);
            for (TQuery* q : {&nuova, &riusata}) {
                q->SQL.Clear();
                q->SQL.Add(caso.istruzione);
                EXPECT_THROW(caso.apri ? q->Open() : q->ExecSQL(), EErroreDB);
            }
        }
    }
    riusata.Unprepare();
    EXPECT_EQ(Conta(db, aperte), prima);
    tr.Rollback();
}

TEST_P(Fb, ServerErrorsCarryMessageAndCodes) {
    TDatabase db;
    TTransazione tr;
    CreaConTabella(db, tr);
    TQuery q(&db, &tr);
    q.SQL.Add("SELEC * FROM T");
    try {
        q.Open();
        FAIL();
    } catch (const EErroreDB& e) {
        EXPECT_EQ(e.SqlCode(), -104);
        EXPECT_TRUE(e.Messaggio().contains("Token unknown")) << e.Messaggio().toStdString();
    }
    q.SQL.Clear();
    q.SQL.Add("SELECT * FROM MANCANTE");
    EXPECT_THROW(q.Open(), EErroreDB);
}

TEST_P(Fb, OpeningWhatIsNotADatabaseFails) {
    QFile file(dir.File("testo.fdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    TDatabase db;
    prova::ImpostaParametriApertura(db, Nome("testo.fdb"));
    EXPECT_THROW(db.Open(), EErroreDB);
    EXPECT_FALSE(db.Connected());
    prova::ImpostaParametriApertura(db, Nome("manca.fdb"));
    EXPECT_THROW(db.Open(), EErroreDB);
}

TEST(FbSenzaConnessione, QueryOnAClosedConnectionRaisesTheLayersError) {
    TDatabase db;
    TTransazione tr(&db);
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT 1 FROM RDB$DATABASE");
    EXPECT_THROW(q.Open(), EErroreDB);
}

TEST(FbSenzaConnessione, UnknownParameterLinesAreRefused) {
    CartellaProva dir;
    TDatabase db;
    prova::CreaDatabaseVuoto(db, dir.File("p.fdb"));
    TTransazione tr(&db);
    tr.Params = QStringList{"isc_tpb_bogus"};
    EXPECT_THROW(tr.StartTransaction(), EErroreDB);
    db.Close();
    db.Params = QStringList{"colore=rosso"};
    EXPECT_THROW(db.Open(), EErroreDB);
}

// The client lets a parameter block grow to about a megabyte. The engine embedded checks no
// password, so a value left out of the block would go unnoticed.
TEST(FbSenzaConnessione, ConnectionParameterTheBlockCannotHoldIsRefused) {
    CartellaProva dir;
    TDatabase db;
    prova::CreaDatabaseVuoto(db, dir.File("p.fdb"));
    db.Close();
    db.Params = QStringList{"user_name=SYSDBA", "password=" + QString(2 << 20, QLatin1Char('x'))};
    EXPECT_THROW(db.Open(), EErroreDB);
    EXPECT_FALSE(db.Connected());
}

} // namespace

namespace {

TEST(Valori, QuotedValuesSurviveTheRoundTrip) {
    CartellaProva dir;
    TDatabase db;
    prova::CreaDatabaseVuoto(db, dir.File("v.fdb"));
    TTransazione tr(&db);
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT " + fb::Quota(QString::fromUtf8("D'Angelo ´ è ''")) + " AS T,");
    q.SQL.Add("CAST(" + fb::Quota(fb::TestoData(QDate(2026, 12, 10))) + " AS DATE) AS D,");
    q.SQL.Add("CAST(" + fb::Quota(fb::TestoOra(QTime(14, 5, 9))) + " AS TIME) AS O,");
    q.SQL.Add(fb::Quota(12) + " AS N FROM RDB$DATABASE");
    q.Open();
    EXPECT_EQ(q.FieldByName("T").AsString(), QString::fromUtf8("D'Angelo ´ è ''"));
    EXPECT_EQ(q.FieldByName("D").AsString(), "10/12/2026");
    EXPECT_EQ(q.FieldByName("O").AsString(), "14:05:09");
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 12);
}

} // namespace
