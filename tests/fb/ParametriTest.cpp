#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"

#include <gtest/gtest.h>

#include <functional>

using namespace fb;

namespace {

// Every case runs embedded and, when the test command started it, through the loopback server.
class Parametri : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
        prova::CreaDatabaseVuoto(db, prova::NomeDatabase(dir.File("p.fdb"), GetParam()));
        tr.DefaultDatabase = &db;
        Esegui("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), GIORNO DATE, "
               "IMPORTO NUMERIC(15,2), NOTE BLOB SUB_TYPE TEXT)");
        tr.Commit();
    }

    void Esegui(const QString& istruzione) {
        TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.ExecSQL();
    }

    // The first column of the first row, as text; "<NULL>" for NULL.
    QString Leggi(const QString& istruzione) {
        TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.Open();
        if (q.Eof())
            return QStringLiteral("<no row>");
        return q.Fields(0).IsNull() ? QStringLiteral("<NULL>") : q.Fields(0).AsString();
    }

    prova::CartellaProva dir;
    TDatabase db;
    TTransazione tr;
};

INSTANTIATE_TEST_SUITE_P(, Parametri, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

struct ValoreScritto {
    const char* caso;
    const char* colonna;
    std::function<void(TParametro&)> imposta;
    QString letto;
};

TEST_P(Parametri, ValuesReachTheColumnConvertedToItsType) {
    const QString quaranta = QString::fromUtf8("àèìòù€").repeated(6) + QStringLiteral("1234");
    const ValoreScritto casi[] = {
        {"quotes and accented letters", "NOME",
         [](TParametro& p) { p.AsString(QString::fromUtf8("D'Angelo à € 'x'")); },
         QString::fromUtf8("D'Angelo à € 'x'")},
        // One byte each in the code page: forty of them fit VARCHAR(40).
        {"forty characters with à and €", "NOME", [&](TParametro& p) { p.AsString(quaranta); }, quaranta},
        {"empty text is not NULL", "NOME", [](TParametro& p) { p.AsString(QString()); }, ""},
        {"NULL", "NOME", [](TParametro& p) { p.Clear(); }, "<NULL>"},
        {"never set is NULL", "NOME", [](TParametro&) {}, "<NULL>"},
        {"NULL after a value", "NOME", [](TParametro& p) { p.AsString("x"); p.Clear(); }, "<NULL>"},
        {"integer into text", "NOME", [](TParametro& p) { p.AsInteger(-42); }, "-42"},
        {"text into a date", "GIORNO", [](TParametro& p) { p.AsString("12/31/2024"); }, "31/12/2024"},
        {"text into a numeric", "IMPORTO", [](TParametro& p) { p.AsString("12.50"); }, "12.5"},
        {"integer into a numeric", "IMPORTO", [](TParametro& p) { p.AsInteger(7); }, "7"},
        {"text into a text blob", "NOTE", [](TParametro& p) { p.AsString(QString::fromUtf8("riga è €\nseconda")); },
         QString::fromUtf8("riga è €\nseconda")},
    };
    for (const ValoreScritto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        Esegui("DELETE FROM T");
        TQuery q(&db, &tr);
        q.SQL.Add(QStringLiteral("INSERT INTO T (ID, %1)").arg(caso.colonna));
        q.SQL.Add("VALUES (:ID, :VALORE)");
        q.ParamByName("ID").AsInteger(1);
        caso.imposta(q.ParamByName("VALORE"));
        q.ExecSQL();
        EXPECT_EQ(Leggi(QStringLiteral("SELECT %1 FROM T WHERE ID=1").arg(caso.colonna)), caso.letto);
    }
}

TEST_P(Parametri, TextParameterFindsTheRowWrittenAsALiteral) {
    Esegui(QString::fromUtf8("INSERT INTO T (ID, NOME) VALUES (1, 'Perù €')"));
    Esegui("INSERT INTO T (ID, NOME) VALUES (2, 'Peru')");
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT ID FROM T WHERE NOME = :NOME");
    q.ParamByName("NOME").AsString(QString::fromUtf8("Perù €"));
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.Fields(0).AsInteger(), 1);
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_P(Parametri, MarkersInQuotesIdentifiersAndCommentsAreText) {
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT ':A' AS LETTERALE, 'it''s :B' AS RADDOPPIATO, q'{:C}' AS QUOTATO,");
    q.SQL.Add("1 AS \":D\", /* :E */ CAST(:F AS VARCHAR(10)) AS VALORE");
    q.SQL.Add("FROM RDB$DATABASE -- :G");
    ASSERT_EQ(q.ParamCount(), 1);
    EXPECT_EQ(q.Params(0).Name(), "F");
    q.ParamByName("F").AsString("valore");
    q.Open();
    EXPECT_EQ(q.FieldByName("LETTERALE").AsString(), ":A");
    EXPECT_EQ(q.FieldByName("RADDOPPIATO").AsString(), "it's :B");
    EXPECT_EQ(q.FieldByName("QUOTATO").AsString(), ":C");
    EXPECT_NE(q.FindField(":D"), nullptr);
    EXPECT_EQ(q.FieldByName("VALORE").AsString(), "valore");
}

TEST_P(Parametri, ANameUsedTwiceIsOneParameterFoundInAnyCase) {
    for (int id = 1; id <= 4; ++id)
        Esegui(QStringLiteral("INSERT INTO T (ID) VALUES (%1)").arg(id));
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT COUNT(*) FROM T WHERE ID >= :Da AND ID <= :DA + 1");
    ASSERT_EQ(q.ParamCount(), 1);
    q.ParamByName("da").AsInteger(2);
    q.Open();
    EXPECT_EQ(q.Fields(0).AsInteger(), 2);
}

TEST_P(Parametri, OneStatementRunsAgainWithNewValues) {
    TQuery q(&db, &tr);
    q.SQL.Add("INSERT INTO T (ID, NOME) VALUES (:ID, :NOME)");
    for (int id = 1; id <= 3; ++id) {
        q.ParamByName("ID").AsInteger(id);
        q.ParamByName("NOME").AsString(QStringLiteral("riga %1").arg(id));
        q.ExecSQL();
    }
    EXPECT_EQ(Leggi("SELECT LIST(NOME, '|') FROM (SELECT NOME FROM T ORDER BY ID)"),
              "riga 1|riga 2|riga 3");

    // A value set before the statement grows stays with its name.
    TQuery s(&db, &tr);
    s.SQL.Add("SELECT NOME FROM T WHERE ID = :ID");
    s.ParamByName("ID").AsInteger(2);
    s.SQL.Add("AND NOME <> :ESCLUSO");
    s.ParamByName("ESCLUSO").AsString("nessuno");
    s.Open();
    EXPECT_EQ(s.Fields(0).AsString(), "riga 2");
}

TEST_P(Parametri, PsqlBodiesKeepTheirVariables) {
    Esegui("EXECUTE BLOCK AS DECLARE N INTEGER = 1; BEGIN\n"
           "WHILE (:N <= 3) DO BEGIN INSERT INTO T (ID, NOME) VALUES (:N, 'n:' || :N); N = N + 1; END\n"
           "END");
    EXPECT_EQ(Leggi("SELECT COUNT(*) FROM T"), "3");
    Esegui("CREATE PROCEDURE DOPPIO (X INTEGER) RETURNS (Y INTEGER) AS BEGIN Y = :X * 2; SUSPEND; END");
    tr.Commit();

    TQuery q(&db, &tr);
    q.SQL.Add("EXECUTE PROCEDURE DOPPIO :X");
    q.ParamByName("X").AsInteger(21);
    q.Open();
    EXPECT_EQ(q.FieldByName("Y").AsInteger(), 42);
}

TEST_P(Parametri, MistakesRaiseTheLayersError) {
    TQuery q(&db, &tr);
    q.SQL.Add("SELECT ID FROM T WHERE ID = :ID");
    try {
        q.ParamByName("CODICE");
        FAIL() << "no error for a name not in the statement";
    } catch (const EErroreDB& e) {
        EXPECT_EQ(e.Messaggio(), "Parameter 'CODICE' not found");
    }
    EXPECT_THROW(q.Params(1), EErroreDB);

    // A bare "?" beside a named marker would leave one value unbound.
    TQuery misto(&db, &tr);
    misto.SQL.Add("SELECT ID FROM T WHERE ID = ? OR ID = :ID");
    EXPECT_THROW(misto.Open(), EErroreDB);
}

TEST_P(Parametri, ValuesTheColumnRefusesFailInTheEngine) {
    struct Rifiuto {
        const char* caso;
        std::function<void(TQuery&)> imposta;
    };
    const Rifiuto casi[] = {
        {"text longer than the column",
         [](TQuery& q) { q.ParamByName("NOME").AsString(QString(41, QLatin1Char('x'))); }},
        {"NULL key", [](TQuery& q) { q.ParamByName("ID").Clear(); }},
        {"integer beyond INTEGER", [](TQuery& q) { q.ParamByName("ID").AsInteger(Q_INT64_C(1) << 40); }},
        {"text that is no date", [](TQuery& q) { q.ParamByName("GIORNO").AsString("domani"); }},
    };
    for (const Rifiuto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        TQuery q(&db, &tr);
        q.SQL.Add("INSERT INTO T (ID, NOME, GIORNO) VALUES (:ID, :NOME, :GIORNO)");
        q.ParamByName("ID").AsInteger(1);
        caso.imposta(q);
        EXPECT_THROW(q.ExecSQL(), EErroreDB);
        EXPECT_EQ(Leggi("SELECT COUNT(*) FROM T"), "0");
    }
}

} // namespace
