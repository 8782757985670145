#include "fb/DataSet.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace fb;

namespace {

// Cuts a connection from the engine's side, as a restart of the server does: the client
// learns it at its next statement. Embedded only: cut through the server, the client's next
// attachments now and then go down with it.
void Interrompi(TDatabase& database) {
    TTransazione lettura(&database);
    TQuery query(&database, &lettura);
    query.SQL.Add("SELECT CURRENT_CONNECTION FROM RDB$DATABASE");
    query.Open();
    const QString id = query.Fields(0).AsString();
    query.Close();
    lettura.Commit();
    TDatabase amministratore;
    prova::ImpostaParametriApertura(amministratore, database.DatabaseName);
    amministratore.Open();
    TTransazione taglio(&amministratore);
    TQuery elimina(&amministratore, &taglio);
    elimina.SQL.Add("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID=" + id);
    elimina.ExecSQL();
    taglio.Commit();
}

QStringList Nomi(TDatabase& db) {
    TDatabase altro;
    prova::ImpostaParametriApertura(altro, db.DatabaseName);
    altro.Open();
    TTransazione t(&altro);
    TQuery q(&altro, &t);
    q.SQL.Add("SELECT NOME FROM T ORDER BY ID");
    q.Open();
    QStringList nomi;
    for (q.First(); !q.Eof(); q.Next())
        nomi.append(q.Fields(0).AsString());
    return nomi;
}

// What the program does next on the connection: it writes a row with that name and commits.
struct Azione {
    const char* caso;
    std::function<void(TDatabase&, TTransazione&, const QString& nome)> esegui;
};

void ConUnaQuery(TDatabase& db, TTransazione& tr, const QString& nome) {
    TQuery q(&db, &tr);
    q.SQL.Add("INSERT INTO T (ID, NOME) VALUES ((SELECT COALESCE(MAX(ID), 0) + 1 FROM T), :NOME)");
    q.ParamByName("NOME").AsString(nome);
    q.ExecSQL();
    tr.Commit();
}

void AvviandoLaTransazione(TDatabase& db, TTransazione& tr, const QString& nome) {
    tr.StartTransaction();
    ConUnaQuery(db, tr, nome);
}

void ConUnDataSet(TDatabase& db, TTransazione& tr, const QString& nome) {
    TIBTable tabella(&db, &tr);
    tabella.TableName = "T";
    tabella.Open();
    tabella.Append();
    tabella.FieldByName("ID").SetAsInteger(tabella.RecordCount());
    tabella.FieldByName("NOME").SetAsString(nome);
    tabella.Post();
    tr.Commit();
}

// After a lost connection, attaching again may fail while the database cannot be reached;
// each later use tries again, and the first once it is back attaches and works.
TEST(Riattacco, AFailedReattachDoesNotStopTheNextActionFromAttaching) {
    const Azione azioni[] = {
        {"a query in a transaction it starts", ConUnaQuery},
        {"a transaction started by hand", AvviandoLaTransazione},
        {"a table dataset", ConUnDataSet},
    };
    // Attached as the program opens its archives, or still attached since it created the
    // database (its lines are then the creation's clauses, not attach parameters).
    for (const Azione& azione : azioni) {
        SCOPED_TRACE(azione.caso);
        for (const bool creata : {false, true}) {
            SCOPED_TRACE(creata ? "connection that created the database"
                                : "connection that opened it");
            prova::CartellaProva dir;
            const QString file = dir.File("r.fdb");
            const QString altrove = dir.File("spostato.fdb");
            TDatabase db;
            prova::CreaDatabaseVuoto(db, file);
            if (!creata) {
                prova::ImpostaParametriApertura(db, file);
                db.Open();
            }
            TTransazione tr(&db);
            db.SetDefaultTransaction(&tr);
            {
                TQuery q(&db, &tr);
                q.SQL.Add("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20))");
                q.ExecSQL();
                tr.Commit();
            }
            azione.esegui(db, tr, "prima");

            Interrompi(db);
            try {
                azione.esegui(db, tr, "al taglio");
                ADD_FAILURE() << "the cut went unnoticed";
            } catch (const EErroreDB& errore) {
                EXPECT_TRUE(errore.ConnessionePersa()) << errore.what();
            }
            EXPECT_TRUE(db.Persa());

            // Unreachable: every try fails on the missing file, and none gives up for good.
            ASSERT_TRUE(QFile::rename(file, altrove));
            for (int tentativo = 0; tentativo < 2; ++tentativo) {
                try {
                    azione.esegui(db, tr, "senza file");
                    ADD_FAILURE() << "attached to a database that is not there";
                } catch (const EErroreDB& errore) {
                    EXPECT_TRUE(errore.FileInesistente()) << errore.what();
                }
                EXPECT_FALSE(db.Connected());
                EXPECT_FALSE(tr.InTransaction());
            }

            ASSERT_TRUE(QFile::rename(altrove, file));
            azione.esegui(db, tr, "dopo");
            EXPECT_TRUE(db.Connected());
            EXPECT_FALSE(db.Persa());
            EXPECT_EQ(Nomi(db), (QStringList{"prima", "dopo"}));
        }
    }
}

} // namespace
