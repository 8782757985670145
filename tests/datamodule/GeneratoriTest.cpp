#include "datamodule/PulsanteStato.h"
#include "datamodule/TabX.h"
#include "fb/Errore.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <gtest/gtest.h>

using piattaforma::Risposta;
using prova::InstallazioneDiProva;

namespace {

// An editing window's table of customers on the archive, with its status button.
class Generatori : public ::testing::Test {
protected:
    void SetUp() override {
        InstallazioneDiProva::Esegui(inst.FileArchivio(),
                                     {"CREATE TABLE CLIENTI (CODICE INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))",
                                      "CREATE GENERATOR GEN_CLIENTI"});
        tabx.Crea();
        tabx.Inserisci("QVR", "Archivio", "", inst.FileArchivio(), "", "", "", "", "0");
        tabx.ConnettiDatabase1("Archivio");
        tabella.Database = &tabx.IBDatabase1;
        tabella.TableName = "CLIENTI";
        tabx.AggiornaTabella(tabella, {}, false);
    }

    QStringList Chiavi() {
        return InstallazioneDiProva::Valore(inst.FileArchivio(),
                                            "SELECT COALESCE(LIST(CODICE, ','), '') FROM "
                                            "(SELECT CODICE FROM CLIENTI ORDER BY CODICE)")
            .split(',', Qt::SkipEmptyParts);
    }

    InstallazioneDiProva inst;
    MessaggiInstallati msg;
    TTabXForm tabx{nullptr, TTabXForm::SorgenteDatabase};
    fb::TIBTable tabella;
    TPulsanteStato pulsante;
    fb::TBookmark segno;
    bool riposiziona = false;
};

TEST_F(Generatori, LastAndMaxStartFromOneAndSaveTheNewRowAtOnce) {
    tabx.NuovoIntSuLast(tabella, segno, riposiziona, pulsante);
    EXPECT_EQ(Chiavi(), QStringList{"1"});
    // Max looks at the table, not at the rows this window read.
    InstallazioneDiProva::Esegui(inst.FileArchivio(), {"INSERT INTO CLIENTI VALUES (40, 'altrove')"});
    tabx.NuovoIntSuMax(tabella, segno, riposiziona, pulsante, "CLIENTI");
    EXPECT_EQ(Chiavi(), (QStringList{"1", "40", "41"}));
    tabx.NuovoIntSuLast(tabella, segno, riposiziona, pulsante);
    EXPECT_EQ(Chiavi(), (QStringList{"1", "40", "41", "42"}));
    EXPECT_EQ(pulsante.Tag, 0);
    EXPECT_EQ(tabella.RecordCount(), 4);
}

TEST_F(Generatori, AGeneratorKeyIsLeftUnsavedAndNotGivenAgainAfterACancel) {
    tabx.NuovoIntSuGeneratore(tabella, segno, riposiziona, pulsante, "CLIENTI", "GEN_CLIENTI");
    EXPECT_EQ(pulsante.Tag, 1);
    EXPECT_EQ(pulsante.Immagine(), tabx.GetRosso());
    EXPECT_EQ(tabella.Fields(0).AsInteger(), 1);
    EXPECT_TRUE(Chiavi().isEmpty()) << "not committed yet";

    msg->Rispondi(Risposta::Si);
    tabx.Annulla(tabella, segno, riposiziona, pulsante);
    EXPECT_TRUE(tabella.IsEmpty());
    tabx.NuovoIntSuGeneratore(tabella, segno, riposiziona, pulsante, "CLIENTI", "GEN_CLIENTI");
    EXPECT_EQ(tabella.Fields(0).AsInteger(), 2);
    tabx.ChiudiTransEAggiorna(tabella, segno, riposiziona, pulsante);
    EXPECT_EQ(Chiavi(), QStringList{"2"});
}

TEST_F(Generatori, GenSqlInsertsByStatementAndWantsIntoInTheTableName) {
    tabx.NuovoIntSuGenSQL(tabella, segno, riposiziona, pulsante, "INTO CLIENTI", "GEN_CLIENTI");
    EXPECT_EQ(Chiavi(), QStringList{"1"});
    EXPECT_EQ(tabella.RecNo(), 0);
    EXPECT_THROW(tabx.NuovoIntSuGenSQL(tabella, segno, riposiziona, pulsante, "CLIENTI", "GEN_CLIENTI"),
                 fb::EErroreDB);
    EXPECT_EQ(Chiavi(), QStringList{"1"});
}

TEST_F(Generatori, CreateCheckSetAndDraw) {
    EXPECT_TRUE(tabx.CreaGeneratore(tabella, segno, riposiziona, pulsante, "g_test"));
    EXPECT_TRUE(tabx.CheckGeneratore(tabella, "G_TEST"));
    EXPECT_FALSE(tabx.CheckGeneratore(tabella, "g_test"));
    EXPECT_FALSE(tabx.CreaGeneratore(tabella, segno, riposiziona, pulsante, "G_TEST")) << "already there";

    EXPECT_TRUE(tabx.SetGeneratore(tabella, segno, riposiziona, pulsante, "G_TEST", 100));
    EXPECT_EQ(tabx.ValoreGeneratore("G_TEST"), "101");
    EXPECT_EQ(tabx.ValoreGeneratore("G_TEST"), "102");
    EXPECT_FALSE(tabx.SetGeneratore(tabella, segno, riposiziona, pulsante, "NESSUNO", 5));
    EXPECT_THROW(tabx.ValoreGeneratore("NESSUNO"), fb::EErroreDB);
}

TEST_F(Generatori, OddGeneratorNamesFailWithoutHarm) {
    for (const QString& nome : {QString("g'x"), QString(40, 'G'), QString("G; DROP TABLE CLIENTI")}) {
        SCOPED_TRACE(nome.toStdString());
        EXPECT_FALSE(tabx.CreaGeneratore(tabella, segno, riposiziona, pulsante, nome));
        EXPECT_FALSE(tabx.CheckGeneratore(tabella, nome));
    }
    EXPECT_TRUE(tabx.CheckGeneratore(tabella, "GEN_CLIENTI"));
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileArchivio(), "SELECT COUNT(*) FROM CLIENTI"), "0");
}

// Generators count in 64 bits; a key of 32 bits must not wrap round to a wrong one.
TEST_F(Generatori, AValueBeyondThirtyTwoBitsIsAClearErrorNotAWrappedKey) {
    InstallazioneDiProva::Esegui(inst.FileArchivio(), {"SET GENERATOR GEN_CLIENTI TO 2147483647"});
    try {
        tabx.ValoreGeneratore("GEN_CLIENTI");
        ADD_FAILURE() << "no error";
    } catch (const fb::EErroreDB& e) {
        EXPECT_TRUE(e.Messaggio().contains("2147483648")) << e.Messaggio().toStdString();
    }
    EXPECT_THROW(tabx.NuovoIntSuGeneratore(tabella, segno, riposiziona, pulsante, "CLIENTI", "GEN_CLIENTI"),
                 fb::EErroreDB);
    EXPECT_TRUE(tabella.IsEmpty());
    EXPECT_EQ(pulsante.Tag, 0);
}

} // namespace
