#include "fb/TestoArchivio.h"
#include "fb/Aggiornamento.h"
#include "fb/DataSet.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "fixture/DatabaseDiProva.h"

#include <gtest/gtest.h>

#include <functional>

using namespace fb;

namespace {

// Every case runs embedded and, when the test command started it, through the loopback server.
class TestoArchivio : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
        nome = prova::NomeDatabase(dir.File("t.fdb"), GetParam());
        prova::CreaDatabaseVuoto(db, nome);
        tr.DefaultDatabase = &db;
        db.SetDefaultTransaction(&tr);
        Esegui("CREATE TABLE CLIENTI (CODICE INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), "
               "CITTA VARCHAR(30), NOTE BLOB SUB_TYPE TEXT)");
        tr.Commit();
        Ripristina();
    }

    void Esegui(const QString& istruzione) {
        TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.ExecSQL();
    }

    // Whatever the path left pending becomes visible to others.
    void Conferma() {
        if (tr.InTransaction())
            tr.Commit();
    }

    void Ripristina() {
        Esegui("DELETE FROM CLIENTI");
        Esegui("INSERT INTO CLIENTI VALUES (1, 'Rossi', 'Roma', 'nota')");
        tr.Commit();
    }

    // What another connection sees committed, every row in key order.
    QStringList VistoDaAltri() {
        TDatabase altro;
        prova::ImpostaParametriApertura(altro, nome);
        altro.Open();
        TTransazione t(&altro);
        TQuery q(&altro, &t);
        q.SQL.Add("SELECT CODICE || ' ' || NOME || ' ' || COALESCE(CITTA, '') || ' ' || "
                  "COALESCE(NOTE, '')");
        q.SQL.Add("FROM CLIENTI ORDER BY CODICE");
        q.Open();
        QStringList righe;
        for (q.First(); !q.Eof(); q.Next())
            righe.append(q.Fields(0).AsString());
        return righe;
    }

    prova::CartellaProva dir;
    QString nome;
    TDatabase db;
    TTransazione tr;
};

INSTANTIATE_TEST_SUITE_P(, TestoArchivio, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

// One way of writing row 1: NOME becomes "Bianchi", the column named gets the text.
struct Percorso {
    const char* caso;
    const char* colonna;
    std::function<void(TDatabase&, const QString& colonna, const QString& testo)> scrivi;
    // How the refusal starts: the column, or the statement when its text holds the value.
    const char* chi;
};

void ScriviConParametri(TDatabase& db, const QString& colonna, const QString& testo) {
    TQuery q(&db);
    q.SQL.Add(
        QStringLiteral("UPDATE CLIENTI SET NOME = :NOME, %1 = :%1 WHERE CODICE = 1").arg(colonna));
    q.ParamByName("NOME").AsString("Bianchi");
    q.ParamByName(colonna).AsString(testo);
    q.ExecSQL();
}

void ScriviLetterale(TDatabase& db, const QString& colonna, const QString& testo) {
    TQuery q(&db);
    q.SQL.Add(
        QStringLiteral("UPDATE CLIENTI SET NOME = 'Bianchi', %1 = %2").arg(colonna, Quota(testo)));
    q.SQL.Add("WHERE CODICE = 1");
    q.ExecSQL();
}

// The dataset's edit is kept when it is refused, to be corrected or cancelled.
void PostaOVerifica(TDataSet& dataset) {
    try {
        dataset.Post();
    } catch (...) {
        EXPECT_EQ(dataset.State(), TDataSet::Modifica);
        EXPECT_EQ(dataset.FieldByName("NOME").AsString(), "Bianchi");
        throw;
    }
}

void ScriviTabella(TDatabase& db, const QString& colonna, const QString& testo) {
    TIBTable tabella(&db);
    tabella.TableName = "CLIENTI";
    tabella.Open();
    tabella.Edit();
    tabella.FieldByName("NOME").SetAsString("Bianchi");
    tabella.FieldByName(colonna).SetAsString(testo);
    PostaOVerifica(tabella);
}

void ScriviQueryModificabile(TDatabase& db, const QString& colonna, const QString& testo) {
    TIBQuery query(&db);
    TAggiornamento aggiornamento;
    // The parameters name the columns in another order than the select's.
    aggiornamento.ModifySQL.Add(
        QStringLiteral("UPDATE CLIENTI SET %1 = :%1, NOME = :NOME WHERE CODICE = :OLD_CODICE")
            .arg(colonna));
    query.UpdateObject = &aggiornamento;
    query.SQL.Add("SELECT CODICE, NOME, CITTA, NOTE FROM CLIENTI");
    query.Open();
    query.Edit();
    query.FieldByName("NOME").SetAsString("Bianchi");
    query.FieldByName(colonna).SetAsString(testo);
    PostaOVerifica(query);
}

void ScriviAggiornamento(TDatabase& db, const QString& colonna, const QString& testo) {
    TQuery q(&db);
    TAggiornamento aggiornamento;
    q.SetUpdateObject(&aggiornamento);
    aggiornamento.ModifySQL.Add(
        QStringLiteral("UPDATE CLIENTI SET NOME = :NOME, %1 = :%1 WHERE CODICE = :CODICE")
            .arg(colonna));
    q.SQL.Add("SELECT * FROM CLIENTI");
    q.Open();
    aggiornamento.Edit();
    aggiornamento.FieldByName("NOME").AsString("Bianchi");
    aggiornamento.FieldByName(colonna).AsString(testo);
    aggiornamento.Post();
}

TEST_P(TestoArchivio, TextTheCodePageCannotHoldIsRefusedBeforeAnythingIsWritten) {
    const Percorso percorsi[] = {
        {"bound parameter", "CITTA", ScriviConParametri, "Il campo CITTA"},
        {"bound parameter into a text blob", "NOTE", ScriviConParametri, "Il campo NOTE"},
        {"literal statement", "CITTA", ScriviLetterale, "L'istruzione"},
        {"table dataset, one good field and one bad", "CITTA", ScriviTabella, "Il campo CITTA"},
        {"table dataset, a memo", "NOTE", ScriviTabella, "Il campo NOTE"},
        {"query dataset with an update object", "CITTA", ScriviQueryModificabile, "Il campo CITTA"},
        {"update object of a query", "CITTA", ScriviAggiornamento, "Il campo CITTA"},
    };
    const QString illeggibile = QString::fromUtf8("Łódź 北京");
    // A '?' of its own and the code page's upper half go through untouched.
    const QString buono = QString::fromUtf8("Perché? 5 € – “sì”");
    const QString rifiuto = QString::fromUtf8(
        " contiene caratteri che l'archivio non può memorizzare: «Ł», «ź», «北», «京»");
    const QStringList originale{"1 Rossi Roma nota"};
    for (const Percorso& p : percorsi) {
        SCOPED_TRACE(p.caso);
        const QString colonna = QString::fromLatin1(p.colonna);
        try {
            p.scrivi(db, colonna, illeggibile);
            ADD_FAILURE() << "the text was taken";
        } catch (const EErroreDB& errore) {
            EXPECT_EQ(errore.Messaggio(), QString::fromUtf8(p.chi) + rifiuto);
        }
        Conferma();
        EXPECT_EQ(VistoDaAltri(), originale) << "nothing of the row was written";

        p.scrivi(db, colonna, buono);
        Conferma();
        EXPECT_EQ(VistoDaAltri(),
                  QStringList{QStringLiteral("1 Bianchi ") +
                              (colonna == "CITTA" ? buono + QStringLiteral(" nota")
                                                  : QStringLiteral("Roma ") + buono)});
        Ripristina();
    }
}

TEST_P(TestoArchivio, ANewRowWithARefusedTextIsNotAdded) {
    TIBTable tabella(&db);
    tabella.TableName = "CLIENTI";
    tabella.Open();
    tabella.Append();
    tabella.FieldByName("CODICE").SetAsInteger(2);
    tabella.FieldByName("NOME").SetAsString(QString::fromUtf8("Müller"));
    tabella.FieldByName("CITTA").SetAsString(QString::fromUtf8("Москва"));
    EXPECT_THROW(tabella.Post(), EErroreDB);
    EXPECT_EQ(tabella.State(), TDataSet::Inserimento);
    tabella.FieldByName("CITTA").SetAsString("Mosca");
    tabella.Post();
    tr.Commit();
    EXPECT_EQ(VistoDaAltri(),
              (QStringList{"1 Rossi Roma nota", QString::fromUtf8("2 Müller Mosca ")}));
}

TEST(TestoNonMemorizzabile, NamesTheFieldAndWhatCannotBeStoredOnlyWhenSomethingCannot) {
    const QString inizio =
        QString::fromUtf8("Il campo NOME contiene caratteri che l'archivio non può memorizzare: ");
    struct Caso {
        const char* caso;
        QString testo;
        QString atteso; // after the beginning; empty when the text can be stored
    } const casi[] = {
        {"the code page whole", QString::fromUtf8("àèìòù €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ ¿?"), {}},
        {"the bytes Windows leaves undefined",
         QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"),
         {}},
        {"outside the BMP", QString::fromUtf8("ok 😀"), QString::fromUtf8("«😀»")},
        {"an invisible character", QString::fromUtf16(u"a\u200Db"), "U+200D"},
        {"eleven of them, ten named", QString::fromUtf8("АБВГДЕЖЗИЙК"),
         QString::fromUtf8("«А», «Б», «В», «Г», «Д», «Е», «Ж», «З», «И», «Й», …")},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.caso);
        const QString messaggio = TestoNonMemorizzabile(caso.testo, "NOME");
        EXPECT_EQ(messaggio, caso.atteso.isEmpty() ? QString() : inizio + caso.atteso);
        if (caso.atteso.isEmpty())
            EXPECT_EQ(CodificaPerArchivio(caso.testo, "NOME").size(), caso.testo.size());
        else
            EXPECT_THROW(CodificaPerArchivio(caso.testo, "NOME"), EErroreDB);
    }
}

} // namespace
