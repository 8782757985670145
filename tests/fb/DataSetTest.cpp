#include "fb/DataSet.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"
#include "piattaforma/Errori.h"

#include <gtest/gtest.h>

using namespace fb;

namespace {

// Every case runs embedded and, when the test command started it, through the loopback server.
class DataSet : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
        nome = prova::NomeDatabase(dir.File("d.fdb"), GetParam());
        prova::CreaDatabaseVuoto(db, nome);
        tr.DefaultDatabase = &db;
        tr.Params = QStringList{QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
        db.SetDefaultTransaction(&tr);
        Esegui("CREATE TABLE CLIENTI (CODICE INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), "
               "NATO DATE, FIDO NUMERIC(15,2), NOTE BLOB SUB_TYPE TEXT)");
        Esegui("CREATE INDEX IX_CLIENTI_NOME ON CLIENTI (NOME)");
        tr.Commit();
        Esegui("INSERT INTO CLIENTI VALUES (3, 'Bianchi', '1970-05-01', 100.5, NULL)");
        Esegui("INSERT INTO CLIENTI VALUES (1, 'Rossi', NULL, NULL, 'nota')");
        Esegui("INSERT INTO CLIENTI VALUES (2, 'D''Angelo', NULL, 0, NULL)");
        tr.Commit();
    }

    void Esegui(const QString& istruzione) {
        TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.ExecSQL();
    }

    // What another connection sees committed: the column of every row, in key order.
    QStringList VistoDaAltri(const QString& colonna) {
        TDatabase altro;
        prova::ImpostaParametriApertura(altro, nome);
        altro.Open();
        TTransazione t(&altro);
        TQuery q(&altro, &t);
        q.SQL.Add(QStringLiteral("SELECT ") + colonna + QStringLiteral(" FROM CLIENTI ORDER BY CODICE"));
        q.Open();
        QStringList valori;
        for (q.First(); !q.Eof(); q.Next())
            valori.append(q.Fields(0).IsNull() ? QStringLiteral("<NULL>") : q.Fields(0).AsString());
        return valori;
    }

    QStringList Colonna(TDataSet& ds, const QString& campo) {
        QStringList valori;
        for (ds.First(); !ds.Eof(); ds.Next())
            valori.append(ds.FieldByName(campo).AsString());
        return valori;
    }

    prova::CartellaProva dir;
    QString nome;
    TDatabase db;
    TTransazione tr;
};

INSTANTIATE_TEST_SUITE_P(, DataSet, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

TEST_P(DataSet, ATableReadsInKeyOrderOrByItsIndexWithTypedValues) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("clienti"); // an unquoted name, as the engine keeps it
    tabella.Open();
    EXPECT_EQ(tabella.ClassName(), QStringLiteral("TIBTable"));
    EXPECT_EQ(Colonna(tabella, QStringLiteral("NOME")), (QStringList{"Rossi", "D'Angelo", "Bianchi"}));
    tabella.Last();
    EXPECT_EQ(tabella.FieldByName(QStringLiteral("NATO")).AsDate(), QDate(1970, 5, 1));
    EXPECT_EQ(tabella.FieldByName(QStringLiteral("FIDO")).AsString(), QStringLiteral("100.5"));
    EXPECT_EQ(tabella.Fields(0).Value(), QVariant::fromValue<qint64>(3));
    tabella.First();
    EXPECT_EQ(tabella.FieldByName(QStringLiteral("NOTE")).AsString(), QStringLiteral("nota"));
    EXPECT_TRUE(tabella.FieldByName(QStringLiteral("NATO")).IsNull());

    const auto indici = tabella.IndexDefs();
    ASSERT_EQ(indici.size(), 2u);
    EXPECT_EQ(indici[0].Campi, QStringList{"CODICE"}); // the primary key's comes first
    EXPECT_EQ(indici[1].Nome, QStringLiteral("IX_CLIENTI_NOME"));
    tabella.Close();
    tabella.IndexName = QStringLiteral("IX_CLIENTI_NOME");
    tabella.Open();
    EXPECT_EQ(Colonna(tabella, QStringLiteral("NOME")), (QStringList{"Bianchi", "D'Angelo", "Rossi"}));
}

TEST_P(DataSet, ChangesStayInTheTransactionUntilItCommits) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIENTI");
    tabella.Open();
    ASSERT_TRUE(tabella.Locate(QStringLiteral("CODICE"), 2));
    tabella.Edit();
    tabella.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("D'Angelo & C."));
    tabella.FieldByName(QStringLiteral("FIDO")).SetAsString(QStringLiteral("12,5"));
    tabella.FieldByName(QStringLiteral("NATO")).SetAsString(QStringLiteral("29/02/1896"));
    tabella.Post();
    tabella.Append();
    tabella.FieldByName(QStringLiteral("CODICE")).SetAsInteger(9);
    tabella.FieldByName(QStringLiteral("NATO")).SetValue(QDate(2150, 12, 31));
    tabella.Post();
    tabella.First();
    tabella.Delete();
    EXPECT_EQ(VistoDaAltri(QStringLiteral("NOME")), (QStringList{"Rossi", "D'Angelo", "Bianchi"}));

    tr.Commit();
    EXPECT_EQ(VistoDaAltri(QStringLiteral("NOME")), (QStringList{"D'Angelo & C.", "Bianchi", "<NULL>"}));
    EXPECT_EQ(VistoDaAltri(QStringLiteral("FIDO")), (QStringList{"12.5", "100.5", "<NULL>"}));
    EXPECT_EQ(VistoDaAltri(QStringLiteral("NATO")), (QStringList{"29/02/1896", "01/05/1970", "31/12/2150"}));
}

TEST_P(DataSet, AValueThatDoesNotConvertChangesNothing) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIENTI");
    tabella.Open();
    tabella.Edit();
    for (const char* campo : {"CODICE", "NATO", "FIDO"}) {
        SCOPED_TRACE(campo);
        EXPECT_THROW(tabella.FieldByName(QLatin1String(campo)).SetAsString(QStringLiteral("x1")),
                     piattaforma::ErroreConversione);
    }
    EXPECT_FALSE(tabella.Modified());
    EXPECT_EQ(tabella.FieldByName(QStringLiteral("CODICE")).AsInteger(), 1);
}

TEST_P(DataSet, ATableWhoseNamesNeedQuotesIsReadAndWritten) {
    Esegui("CREATE TABLE \"Clienti d'Italia\" (\"Codice cliente\" VARCHAR(10) NOT NULL PRIMARY KEY, "
           "\"Nome \"\"breve\"\"\" VARCHAR(20))");
    tr.Commit();
    Esegui("INSERT INTO \"Clienti d'Italia\" VALUES ('A''1', 'x')");
    tr.Commit();
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("Clienti d'Italia");
    tabella.Open();
    tabella.Edit();
    tabella.Fields(1).SetAsString(QStringLiteral("y"));
    tabella.Post();
    tabella.Append();
    tabella.Fields(0).SetAsString(QStringLiteral("B 2"));
    tabella.Post();
    tr.Commit();
    tabella.Close();
    tabella.Open();
    EXPECT_EQ(Colonna(tabella, QStringLiteral("Nome \"breve\"")), (QStringList{"y", ""}));
    EXPECT_EQ(Colonna(tabella, QStringLiteral("Codice cliente")), (QStringList{"A'1", "B 2"}));
}

TEST_P(DataSet, ARowDeletedElsewhereIsNotWrittenAsIfItWereThere) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIENTI");
    tabella.Open();
    tr.Commit();
    {
        TDatabase altro;
        prova::ImpostaParametriApertura(altro, nome);
        altro.Open();
        TTransazione t(&altro);
        TQuery q(&altro, &t);
        q.SQL.Add(QStringLiteral("DELETE FROM CLIENTI WHERE CODICE = 1"));
        q.ExecSQL();
        t.Commit();
    }
    tabella.Edit();
    tabella.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("nuovo"));
    EXPECT_THROW(tabella.Post(), EErroreDB);
    EXPECT_EQ(tabella.State(), TDataSet::Modifica);
    tabella.Cancel();
    EXPECT_THROW(tabella.Delete(), EErroreDB);
    EXPECT_EQ(tabella.RecordCount(), 3);
}

TEST_P(DataSet, AQueryWritesThroughItsUpdateObjectAndIsReadOnlyWithout) {
    TIBQuery query(&db);
    query.SQL.Add(QStringLiteral("SELECT CODICE, NOME FROM CLIENTI"));
    query.SQL.Add(QStringLiteral("ORDER BY CODICE"));
    query.Open();
    EXPECT_EQ(query.ClassName(), QStringLiteral("TIBQuery"));
    EXPECT_THROW(query.Edit(), EErroreDB);
    EXPECT_EQ(query.State(), TDataSet::Consultazione);
    query.Close();

    TAggiornamento aggiornamento;
    aggiornamento.ModifySQL.Add(QStringLiteral("UPDATE CLIENTI SET CODICE = :CODICE, NOME = :NOME"));
    aggiornamento.ModifySQL.Add(QStringLiteral("WHERE CODICE = :OLD_CODICE"));
    aggiornamento.InsertSQL.Add(QStringLiteral("INSERT INTO CLIENTI (CODICE, NOME) VALUES (:CODICE, :NOME)"));
    aggiornamento.DeleteSQL.Add(QStringLiteral("DELETE FROM CLIENTI WHERE CODICE = :OLD_CODICE"));
    query.UpdateObject = &aggiornamento;
    query.Open();
    query.Edit();
    query.Fields(0).SetAsInteger(10); // the key itself changes: the old one finds the row
    query.Fields(1).SetAsString(QStringLiteral("Rossi'"));
    query.Post();
    query.Append();
    query.Fields(0).SetAsInteger(4);
    query.Post();
    ASSERT_TRUE(query.Locate(QStringLiteral("CODICE"), 2));
    query.Delete();
    tr.Commit();
    EXPECT_EQ(VistoDaAltri(QStringLiteral("CODICE || '=' || COALESCE(NOME, '-')")),
              (QStringList{"3=Bianchi", "4=-", "10=Rossi'"}));
}

TEST_P(DataSet, ABookmarkFindsItsRowAfterAReReadOrSaysItIsGone) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIENTI");
    tabella.Open();
    ASSERT_TRUE(tabella.Locate(QStringLiteral("NOME"), QStringLiteral("Bianchi")));
    const TBookmark segno = tabella.GetBookmark();
    Esegui("INSERT INTO CLIENTI (CODICE) VALUES (0)"); // a row before it moves it down
    tabella.Close();
    tabella.Open();
    tabella.GotoBookmark(segno);
    EXPECT_EQ(tabella.RecNo(), 3);
    EXPECT_EQ(tabella.FieldByName(QStringLiteral("NOME")).AsString(), QStringLiteral("Bianchi"));

    Esegui("DELETE FROM CLIENTI WHERE CODICE = 3");
    tabella.Close();
    tabella.Open();
    EXPECT_THROW(tabella.GotoBookmark(segno), EErroreDB);
    EXPECT_EQ(tabella.RecNo(), 0);
}

TEST_P(DataSet, BeforeEditMayRefuseTheEditSilentlyOrLoudly) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIENTI");
    tabella.Open();
    int chiamate = 0;
    tabella.BeforeEdit = [&](TDataSet& ds) {
        ++chiamate;
        if (ds.FieldByName(QStringLiteral("CODICE")).AsInteger() == 1)
            throw piattaforma::EAbort();
        if (ds.FieldByName(QStringLiteral("CODICE")).AsInteger() == 2)
            throw EErroreDB(QStringLiteral("locked"));
    };
    EXPECT_THROW(tabella.Edit(), piattaforma::EAbort);
    EXPECT_EQ(tabella.State(), TDataSet::Consultazione);
    tabella.Next();
    EXPECT_THROW(tabella.Edit(), EErroreDB);
    EXPECT_EQ(tabella.State(), TDataSet::Consultazione);
    tabella.Next();
    tabella.Edit();
    tabella.Edit(); // already editing: not asked again
    EXPECT_EQ(tabella.State(), TDataSet::Modifica);
    EXPECT_EQ(chiamate, 3);
}

TEST_P(DataSet, EmptyTableDeletesEveryRowInTheDataSetsTransaction) {
    TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIENTI");
    tabella.Open();
    EXPECT_THROW(tabella.EmptyTable(), EErroreDB); // open
    tabella.Close();
    tabella.EmptyTable();
    EXPECT_EQ(VistoDaAltri(QStringLiteral("CODICE")).size(), 3);
    tr.Commit();
    EXPECT_TRUE(VistoDaAltri(QStringLiteral("CODICE")).isEmpty());
}

TEST(DataSetMemoria, KeepsItsRowsAcrossAReReadAndWritesNowhere) {
    TDataSetMemoria memoria({{QStringLiteral("NOME"), TGenere::Testo, 20}, {QStringLiteral("N"), TGenere::Intero, 0}});
    memoria.Open();
    memoria.Append();
    memoria.Fields(0).SetAsString(QStringLiteral("a"));
    memoria.Fields(1).SetAsString(QStringLiteral("7"));
    memoria.Post();
    memoria.Close();
    memoria.Open();
    ASSERT_EQ(memoria.RecordCount(), 1);
    EXPECT_EQ(memoria.Fields(1).AsInteger(), 7);
    EXPECT_EQ(memoria.TransazioneEffettiva(), nullptr);
}

} // namespace
