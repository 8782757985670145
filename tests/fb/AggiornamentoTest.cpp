#include "fb/Aggiornamento.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace fb;

namespace {

// Every type the program's tables use, so a column carried back unchanged is seen to be exact.
const QStringList Colonne = {"ID",     "NOME",    "SIGLA",   "GIORNO", "ORA",  "MOMENTO",
                             "IMPORTO", "MISURA", "PICCOLO", "GRANDE", "NOTE", "VUOTO"};

class Aggiornamento : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
        prova::CreaDatabaseVuoto(db, prova::NomeDatabase(dir.File("a.fdb"), GetParam()));
        tr.DefaultDatabase = &db;
        for (const char* tabella : {"R", "COPIA"})
            Esegui(QStringLiteral("CREATE TABLE %1 (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), "
                                  "SIGLA CHAR(3), GIORNO DATE, ORA TIME, MOMENTO TIMESTAMP, "
                                  "IMPORTO NUMERIC(15,2), MISURA DOUBLE PRECISION, PICCOLO SMALLINT, "
                                  "GRANDE BIGINT, NOTE BLOB SUB_TYPE TEXT, VUOTO VARCHAR(10))")
                       .arg(tabella));
        tr.Commit();
        Esegui(QString::fromUtf8("INSERT INTO R VALUES (1, 'D''Angelo à €', 'ab', '12/31/2024', "
                                 "'14:05:09', '12/31/2024 23:59:58.1234', '-12.34', 0.1, 7, "
                                 "9007199254740993, 'nota', NULL)"));
        // A blob longer than any text parameter: it must travel by its id.
        const QString pezzo = QString::fromUtf8("riga è €\n").repeated(2500);
        for (int i = 0; i < 2; ++i)
            Esegui("UPDATE R SET NOTE = NOTE || '" + pezzo + "'");
        Esegui("INSERT INTO COPIA SELECT * FROM R");
        tr.Commit();
    }

    void Esegui(const QString& istruzione) {
        TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.ExecSQL();
    }

    QString Leggi(const QString& istruzione) {
        TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.Open();
        return q.Eof() ? QStringLiteral("<no row>") : q.Fields(0).AsString();
    }

    // The columns of R's row 1 that differ from the copy taken before, compared by the engine.
    QStringList Cambiate() {
        QStringList cambiate;
        for (const QString& colonna : Colonne) {
            const QString uguale =
                Leggi(QStringLiteral("SELECT COUNT(*) FROM R JOIN COPIA C ON C.ID = 1 WHERE R.ID = 1 "
                                     "AND R.%1 IS NOT DISTINCT FROM C.%1")
                          .arg(colonna));
            if (uguale != "1")
                cambiate.append(colonna);
        }
        return cambiate;
    }

    static void ScriviModifica(TAggiornamento& aggiornamento) {
        aggiornamento.ModifySQL.Add("UPDATE R SET");
        QStringList assegnazioni;
        for (const QString& colonna : Colonne)
            assegnazioni.append(colonna + "=:" + colonna);
        aggiornamento.ModifySQL.Add(assegnazioni.join(",\n"));
        aggiornamento.ModifySQL.Add("WHERE ID=:ID");
    }

    void ApriR(TQuery& q) {
        q.SQL.Add("SELECT * FROM R ORDER BY ID");
        q.Open();
    }

    prova::CartellaProva dir;
    TDatabase db;
    TTransazione tr;
};

INSTANTIATE_TEST_SUITE_P(, Aggiornamento, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

TEST_P(Aggiornamento, EditWritesTheSetValueAndCarriesTheOtherColumnsExactly) {
    TQuery q(&db, &tr);
    TAggiornamento aggiornamento;
    q.SetUpdateObject(&aggiornamento);
    ScriviModifica(aggiornamento);
    ApriR(q);
    aggiornamento.Edit();
    EXPECT_EQ(aggiornamento.State(), TAggiornamento::Modifica);
    aggiornamento.FieldByName("nome").AsString(QString::fromUtf8("Dell'Orto è"));
    aggiornamento.Post();
    EXPECT_EQ(aggiornamento.State(), TAggiornamento::Consultazione);

    EXPECT_EQ(Cambiate(), QStringList{"NOME"});
    EXPECT_EQ(Leggi("SELECT NOME FROM R WHERE ID = 1"), QString::fromUtf8("Dell'Orto è"));

    // A second change of the same row goes through the statement already prepared.
    q.Open();
    aggiornamento.Edit();
    aggiornamento.FieldByName("VUOTO").AsString("pieno");
    aggiornamento.FieldByName("NOME").Clear();
    aggiornamento.Post();
    EXPECT_EQ(Cambiate(), (QStringList{"NOME", "VUOTO"}));
    EXPECT_EQ(Leggi("SELECT COALESCE(NOME, '<NULL>') || VUOTO FROM R"), "<NULL>pieno");
}

TEST_P(Aggiornamento, AppendLeavesUnsetColumnsNullInTheQueryTransaction) {
    TTransazione propria(&db);
    TQuery q(&db, &propria);
    TAggiornamento aggiornamento;
    q.SetUpdateObject(&aggiornamento);
    aggiornamento.InsertSQL.Add("INSERT INTO R (ID, NOME, GIORNO)");
    aggiornamento.InsertSQL.Add("VALUES (:ID, :NOME, :GIORNO)");
    ApriR(q);
    aggiornamento.Append();
    aggiornamento.FieldByName("ID").AsInteger(2);
    aggiornamento.FieldByName("NOME").AsString("nuova");
    aggiornamento.Post();

    TQuery letta(&db, &propria);
    letta.SQL.Add("SELECT NOME, GIORNO FROM R WHERE ID = 2");
    letta.Open();
    ASSERT_FALSE(letta.Eof());
    EXPECT_EQ(letta.FieldByName("NOME").AsString(), "nuova");
    EXPECT_TRUE(letta.FieldByName("GIORNO").IsNull());
    propria.Rollback();
    EXPECT_EQ(Leggi("SELECT COUNT(*) FROM R"), "1") << "the insert was not in the query's transaction";
}

TEST_P(Aggiornamento, MisuseRaisesTheLayersErrorAndWritesNothing) {
    struct Errore {
        const char* caso;
        std::function<void(TQuery&, TAggiornamento&)> azione;
    };
    const Errore casi[] = {
        {"setting a value before Edit",
         [](TQuery&, TAggiornamento& a) { a.FieldByName("NOME").AsString("x"); }},
        {"Post before Edit", [](TQuery&, TAggiornamento& a) { a.Post(); }},
        {"a column the query does not have",
         [](TQuery&, TAggiornamento& a) {
             a.Edit();
             a.FieldByName("MANCA");
         }},
        {"Edit with no current row",
         [](TQuery& q, TAggiornamento& a) {
             q.SQL.Add("WHERE ID = 99");
             q.Open();
             a.Edit();
         }},
        {"the query closed between Edit and Post",
         [](TQuery& q, TAggiornamento& a) {
             a.Edit();
             a.FieldByName("NOME").AsString("x");
             q.Close();
             a.Post();
         }},
        {"a parameter that is no column",
         [](TQuery&, TAggiornamento& a) {
             a.ModifySQL.Add("AND NOME <> :ALTRO");
             a.Edit();
             a.Post();
         }},
        {"no insert statement",
         [](TQuery&, TAggiornamento& a) {
             a.Append();
             a.Post();
         }},
    };
    for (const Errore& caso : casi) {
        SCOPED_TRACE(caso.caso);
        TQuery q(&db, &tr);
        TAggiornamento aggiornamento;
        q.SetUpdateObject(&aggiornamento);
        ScriviModifica(aggiornamento);
        q.SQL.Add("SELECT * FROM R");
        q.Open();
        EXPECT_THROW(caso.azione(q, aggiornamento), EErroreDB);
        EXPECT_EQ(Cambiate(), QStringList());
        EXPECT_EQ(Leggi("SELECT COUNT(*) FROM R"), "1");
    }
}

TEST_P(Aggiornamento, EitherSideMayGoFirst) {
    auto aggiornamento = std::make_unique<TAggiornamento>();
    {
        TQuery q(&db, &tr);
        q.SetUpdateObject(aggiornamento.get());
        EXPECT_EQ(aggiornamento->DataSet(), &q);
    }
    EXPECT_EQ(aggiornamento->DataSet(), nullptr);

    TQuery q(&db, &tr);
    q.SetUpdateObject(aggiornamento.get());
    TQuery altra(&db, &tr);
    altra.SetUpdateObject(aggiornamento.get());
    EXPECT_EQ(q.UpdateObject(), nullptr) << "attaching elsewhere detaches";
    EXPECT_EQ(aggiornamento->DataSet(), &altra);
    aggiornamento.reset();
    EXPECT_EQ(altra.UpdateObject(), nullptr);
}

} // namespace
