#include "datamodule/PulsanteStato.h"
#include "datamodule/TabX.h"
#include "fb/Errore.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Errori.h"

#include <gtest/gtest.h>

using piattaforma::Risposta;
using prova::InstallazioneDiProva;

namespace {

const QString AvvisoBlocco = QStringLiteral(
    "Attenzione: altri utenti stanno lavorando su questo record. Provare ad aggiornare la griglia. Nel caso in cui "
    "questo messaggio riapparisse, provare ad editare il record in un secondo momento.");

// One workstation: its data module on the archive, an editing window's table of customers
// wired as a library window wires it, and the window's status button.
struct Postazione {
    explicit Postazione(const QString& archivio) : tabx(nullptr, TTabXForm::SorgenteDatabase) {
        tabx.Crea();
        tabx.Inserisci("QVR", "Archivio", "", archivio, "", "", "", "", "0");
        tabx.ConnettiDatabase1("Archivio");
        tabella.Database = &tabx.IBDatabase1;
        tabella.TableName = QStringLiteral("CLIENTI");
        tabella.BeforeEdit = [this](fb::TDataSet& ds) { tabx.EventoBeforeEditDataSet(ds, pulsante, "CLIENTI"); };
        tabx.AggiornaTabella(tabella, {}, false);
    }

    void Modifica(const QString& nome) {
        tabella.Edit();
        tabella.FieldByName(QStringLiteral("NOME")).SetAsString(nome);
    }
    void Salva() { tabx.ChiudiTransEAggiorna(tabella, segno, riposiziona, pulsante); }
    void Aggiorna() { tabx.AggiornamentoDaPulsante(tabella, segno, riposiziona, pulsante); }
    bool Elimina() { return tabx.Elimina(tabella, segno, riposiziona, pulsante); }
    QString Nome() { return tabella.FieldByName(QStringLiteral("NOME")).AsString(); }

    TTabXForm tabx;
    fb::TIBTable tabella;
    TPulsanteStato pulsante;
    fb::TBookmark segno;
    bool riposiziona = false;
};

// Two workstations on one archive: embedded (two connections of this process) and, when
// the test command started it, through the loopback server.
class ModificaRecord : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
        InstallazioneDiProva::Esegui(inst.FileArchivio(),
                                     {"CREATE TABLE CLIENTI (CODICE INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))",
                                      "CREATE GENERATOR GEN_CLIENTI"});
        InstallazioneDiProva::Esegui(inst.FileArchivio(), {"INSERT INTO CLIENTI VALUES (1, 'Rossi')",
                                                          "INSERT INTO CLIENTI VALUES (2, 'Bianchi')",
                                                          "INSERT INTO CLIENTI VALUES (3, 'Verdi')"});
        archivio = prova::NomeDatabase(inst.FileArchivio(), GetParam());
    }

    QString Salvato(int codice) {
        return InstallazioneDiProva::Valore(
            inst.FileArchivio(),
            QStringLiteral("SELECT COALESCE(MAX(NOME), '<none>') FROM CLIENTI WHERE CODICE=%1").arg(codice));
    }

    InstallazioneDiProva inst;
    QString archivio;
    MessaggiInstallati msg;
};

INSTANTIATE_TEST_SUITE_P(, ModificaRecord, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

TEST_P(ModificaRecord, EditingLocksTheRowSavingFreesItAndTheOtherEditsAfterARefresh) {
    Postazione prima(archivio), seconda(archivio);
    ASSERT_TRUE(prima.tabella.Locate("CODICE", 2));
    prima.Modifica("Bianchi & C.");
    EXPECT_EQ(prima.pulsante.Tag, 1);
    EXPECT_EQ(prima.pulsante.Immagine(), prima.tabx.GetRosso());

    ASSERT_TRUE(seconda.tabella.Locate("CODICE", 2));
    EXPECT_THROW(seconda.tabella.Edit(), piattaforma::EAbort);
    EXPECT_EQ(msg->Testi(), QStringList{AvvisoBlocco});
    EXPECT_EQ(seconda.tabella.State(), fb::TDataSet::Consultazione);
    EXPECT_EQ(seconda.pulsante.Tag, 0);
    EXPECT_EQ(seconda.Nome(), "Bianchi");

    prima.Salva();
    EXPECT_EQ(prima.pulsante.Tag, 0);
    EXPECT_EQ(prima.pulsante.Immagine(), prima.tabx.GetVerde());
    EXPECT_EQ(prima.tabella.RecNo(), 1) << "back on the row it saved";
    EXPECT_EQ(Salvato(2), "Bianchi & C.");

    seconda.Aggiorna(); // nothing unsaved: no question
    EXPECT_EQ(seconda.Nome(), "Bianchi & C.");
    seconda.Modifica("Bianchi Srl");
    seconda.Salva();
    EXPECT_EQ(Salvato(2), "Bianchi Srl");
    EXPECT_EQ(msg->Testi().size(), 1);
}

TEST_P(ModificaRecord, CancelAsksOnlyWithUnsavedChangesAndRollsThemBack) {
    Postazione p(archivio);
    p.tabx.Annulla(p.tabella, p.segno, p.riposiziona, p.pulsante); // tag 0: nothing to ask
    EXPECT_TRUE(msg->Testi().isEmpty());

    for (Risposta risposta : {Risposta::No, Risposta::Si}) {
        p.Modifica("cambiato");
        p.tabella.Post();
        msg->Rispondi(risposta);
        p.tabx.Annulla(p.tabella, p.segno, p.riposiziona, p.pulsante);
        EXPECT_EQ(msg->Testi().back(), "Conferma l'annullamento delle modifiche apportate?");
        if (risposta == Risposta::No) {
            EXPECT_EQ(p.pulsante.Tag, 1);
            EXPECT_EQ(p.Nome(), "cambiato");
            p.tabella.Edit(); // the row is still locked by this very transaction
            p.tabella.Cancel();
        } else {
            EXPECT_EQ(p.pulsante.Tag, 0);
            EXPECT_EQ(p.Nome(), "Rossi");
        }
    }
    EXPECT_EQ(Salvato(1), "Rossi");
}

TEST_P(ModificaRecord, RefreshWithUnsavedChangesSavesOnYesAndDiscardsOnNo) {
    const QString domanda = QStringLiteral(
        "Attenzione: sono state fatte delle modifiche che non sono state ancora salvate. Prima di aggiornare la "
        "griglia si desidera salvare gli aggiornamenti?");
    Postazione p(archivio);
    p.tabella.Last();
    p.Modifica("primo");
    msg->Rispondi(Risposta::No);
    p.Aggiorna();
    EXPECT_EQ(msg->Testi(), QStringList{domanda});
    EXPECT_EQ(Salvato(3), "Verdi");
    EXPECT_EQ(p.tabella.RecNo(), 0) << "the discarded edit closed the grid: it opens on the first row";

    p.tabella.Last();
    p.Modifica("secondo"); // left in edit mode: Yes posts it
    msg->Rispondi(Risposta::Si);
    p.Aggiorna();
    EXPECT_EQ(Salvato(3), "secondo");
    EXPECT_EQ(p.tabella.RecNo(), 2);
    EXPECT_EQ(p.pulsante.Tag, 0);
}

TEST_P(ModificaRecord, CloseWithUnsavedChangesRollsBackOnlyOnNo) {
    Postazione p(archivio);
    p.Modifica("non salvato");
    p.tabella.Post();
    msg->Rispondi(Risposta::Si);
    p.tabx.Chiudi(p.tabella, p.segno, p.riposiziona, p.pulsante);
    EXPECT_TRUE(p.tabx.IBTransaction1.InTransaction());
    EXPECT_EQ(p.Nome(), "non salvato");

    msg->Rispondi(Risposta::No);
    p.tabx.Chiudi(p.tabella, p.segno, p.riposiziona, p.pulsante);
    p.tabx.IBTransaction1.Commit(); // whatever the window does next, nothing of it is left
    EXPECT_EQ(Salvato(1), "Rossi");
    EXPECT_EQ(msg->Testi(), QStringList(2, "Salvare le modifiche apportate?"));
}

TEST_P(ModificaRecord, DeleteAsksThenDeletesAndDiscardsOtherUnsavedChangesEvenOnNo) {
    Postazione p(archivio);
    p.Modifica("da scartare");
    p.tabella.Post();
    p.tabella.Last();
    msg->Rispondi(Risposta::No);
    EXPECT_FALSE(p.Elimina());
    EXPECT_EQ(msg->Testi(), QStringList{"Conferma la cacellazione del record?"});
    EXPECT_EQ(Salvato(1), "Rossi");
    ASSERT_TRUE(p.tabella.Locate("CODICE", 1));
    EXPECT_EQ(p.Nome(), "Rossi");

    p.tabella.Last();
    msg->Rispondi(Risposta::Si);
    EXPECT_TRUE(p.Elimina());
    EXPECT_EQ(Salvato(3), "<none>");
    EXPECT_EQ(p.tabella.RecordCount(), 2);
    EXPECT_EQ(p.pulsante.Tag, 0);
}

TEST_P(ModificaRecord, DeleteWarnsOfAnEmptyTableARowGoneAndARowLockedElsewhere) {
    Postazione p(archivio), altra(archivio);
    // Gone: another workstation deleted it and committed after this one read it.
    ASSERT_TRUE(p.tabella.Locate("CODICE", 2));
    ASSERT_TRUE(altra.tabella.Locate("CODICE", 2));
    msg->Rispondi(Risposta::Si);
    ASSERT_TRUE(altra.Elimina());
    msg->Svuota();
    msg->Rispondi(Risposta::Si);
    EXPECT_FALSE(p.Elimina());
    EXPECT_EQ(msg->Testi(), (QStringList{"Conferma la cacellazione del record?",
                                         "Questo record è già stato cancellato da un altro utente in un'altra "
                                         "sessione di lavoro"}));

    // Locked: the other workstation is editing it.
    altra.tabella.First();
    altra.Modifica("in uso");
    p.tabella.First();
    msg->Svuota();
    msg->Rispondi(Risposta::Si);
    EXPECT_FALSE(p.Elimina());
    EXPECT_EQ(msg->Testi().back(),
              "Impossibile cancellare questo record, altri utenti stanno lavorando su questo record.");
    EXPECT_TRUE(p.tabella.Active());
    altra.Salva();
    EXPECT_EQ(Salvato(1), "in uso");

    // Empty: no question at all.
    InstallazioneDiProva::Esegui(inst.FileArchivio(), {"DELETE FROM CLIENTI"});
    msg->Svuota();
    EXPECT_FALSE(p.Elimina());
    EXPECT_EQ(msg->Testi(), QStringList{"La tabella è vuota"});
}

TEST_P(ModificaRecord, EmptyingATableOrAQueryDeletesEveryRowOfItsTable) {
    InstallazioneDiProva::Esegui(inst.FileArchivio(),
                                 {"CREATE TABLE ALTRA (CODICE INTEGER NOT NULL PRIMARY KEY)"});
    InstallazioneDiProva::Esegui(inst.FileArchivio(), {"INSERT INTO ALTRA VALUES (1)"});
    Postazione p(archivio);
    // The table kind empties its own table, whatever name it is given.
    msg->Rispondi(Risposta::Si);
    p.tabx.Azzera(p.tabella, p.segno, p.riposiziona, p.pulsante, "ALTRA");
    EXPECT_EQ(Salvato(1), "<none>");
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileArchivio(), "SELECT COUNT(*) FROM ALTRA"), "1");
    EXPECT_TRUE(p.tabella.IsEmpty());

    fb::TIBQuery query(&p.tabx.IBDatabase1);
    query.SQL.Add("SELECT * FROM ALTRA");
    p.tabx.AggiornaTabella(query, {}, false);
    msg->Rispondi(Risposta::No);
    p.tabx.Azzera(query, p.segno, p.riposiziona, p.pulsante, "ALTRA");
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileArchivio(), "SELECT COUNT(*) FROM ALTRA"), "1");
    msg->Rispondi(Risposta::Si);
    p.tabx.Azzera(query, p.segno, p.riposiziona, p.pulsante, "ALTRA");
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileArchivio(), "SELECT COUNT(*) FROM ALTRA"), "0");

    msg->Svuota();
    msg->Rispondi(Risposta::Si);
    p.tabx.Azzera(query, p.segno, p.riposiziona, p.pulsante, "\"NON ESISTE\"");
    EXPECT_EQ(msg->Testi().back(), "Impossibile azzerare la tabella!");
}

TEST_P(ModificaRecord, ASaveOfAClosedDataSetOpensItOnTheFirstRow) {
    Postazione p(archivio);
    p.tabella.Last();
    p.tabella.Close();
    p.Salva();
    EXPECT_FALSE(p.riposiziona);
    EXPECT_TRUE(p.tabella.Active());
    EXPECT_EQ(p.tabella.RecNo(), 0);
}

// The lock statement writes the key as it stands only when it is a number.
TEST_P(ModificaRecord, ATextKeyLocksItsOwnRowAndNothingElse) {
    InstallazioneDiProva::Esegui(inst.FileArchivio(),
                                 {"CREATE TABLE ARTICOLI (SIGLA VARCHAR(20) NOT NULL PRIMARY KEY, NOTA VARCHAR(20))"});
    InstallazioneDiProva::Esegui(inst.FileArchivio(), {"INSERT INTO ARTICOLI VALUES ('A'' OR 1=1 --', 'x')",
                                                      "INSERT INTO ARTICOLI VALUES ('B', 'y')"});
    Postazione p(archivio), altra(archivio);
    for (Postazione* q : {&p, &altra}) {
        q->tabella.Close();
        q->tabella.TableName = "ARTICOLI";
        q->tabella.IndexName.clear(); // the index was the other table's
        q->tabella.BeforeEdit = [q](fb::TDataSet& ds) { q->tabx.EventoBeforeEditDataSet(ds, q->pulsante, "ARTICOLI"); };
        q->tabx.AggiornaTabella(q->tabella, {}, false);
    }
    p.tabella.First();
    p.tabella.Edit();
    EXPECT_EQ(p.pulsante.Tag, 1);
    altra.tabella.Last();
    altra.tabella.Edit(); // "B" is free
    EXPECT_EQ(altra.pulsante.Tag, 1);
    altra.tabella.Cancel();
    altra.tabella.First();
    EXPECT_THROW(altra.tabella.Edit(), piattaforma::EAbort);
    EXPECT_EQ(msg->Testi(), QStringList{AvvisoBlocco});
}

} // namespace
