#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "librerie/LetturaProva.h"

#include <gtest/gtest.h>

using prova::ChiamataRicevuta;
using prova::InstallazioneDiProva;

namespace {

// Two launches of the session, neither with a handle yet.
void ScriviDueLanci(const InstallazioneDiProva& inst) {
    InstallazioneDiProva::Esegui(
        inst.FileUtenti(),
        {"INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,FUNZIONECHIAMATA,IDFINESTRA) VALUES (1,'ApriX',5)",
         "INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,FUNZIONECHIAMATA,IDFINESTRA) VALUES (1,'ApriY',6)"});
}

// The handles by window identifier, as another workstation reads them ("<NULL>" unset).
QString Handle(const InstallazioneDiProva& inst, int idFinestra) {
    return InstallazioneDiProva::Valore(
        inst.FileUtenti(),
        QString("SELECT COALESCE(CAST(HANDLEFINESTRA AS VARCHAR(30)),'<NULL>') FROM KESTOLOGFUNZ WHERE IDFINESTRA=%1")
            .arg(idFinestra));
}

TEST(ScritturaHandle, WritesTheHandleOfThatWindowOnlyAndCommitsKeepingTheTransaction) {
    InstallazioneDiProva inst;
    ScriviDueLanci(inst);
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    // A handle wider than 32 bits must not be cut.
    EXPECT_TRUE(tabx.ScritturaHandleDiApertura(5, 123456789012LL));
    EXPECT_EQ(Handle(inst, 5), "123456789012");
    EXPECT_EQ(Handle(inst, 6), "<NULL>");
    EXPECT_TRUE(tabx.TransazioneUser.InTransaction());
    EXPECT_EQ(tabx.QueryNorvane.SQL.Righe(),
              QStringList({"UPDATE KESTOLOGFUNZ SET HANDLEFINESTRA='123456789012'", "WHERE IDFINESTRA='5'"}));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST(ScritturaHandle, SeesARowCommittedAfterItsTransactionStarted) {
    InstallazioneDiProva inst;
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    // The users transaction holds a snapshot from before the launch wrote its row.
    QStringList utenti;
    tabx.CaricaUser(utenti);
    ASSERT_TRUE(tabx.TransazioneUser.InTransaction());
    ScriviDueLanci(inst);

    EXPECT_TRUE(tabx.ScritturaHandleDiApertura(6, 77));
    EXPECT_EQ(Handle(inst, 6), "77");
}

TEST(ScritturaHandle, IdentifierWithoutRowChangesNothingAndStillSucceeds) {
    InstallazioneDiProva inst;
    ScriviDueLanci(inst);
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    EXPECT_TRUE(tabx.ScritturaHandleDiApertura(99, 1234));
    EXPECT_EQ(Handle(inst, 5), "<NULL>");
    EXPECT_EQ(Handle(inst, 6), "<NULL>");
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileUtenti(), "SELECT COUNT(*) FROM KESTOLOGFUNZ"), "2");
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST(ScritturaHandle, FailureIsOnlyTheResult) {
    struct Caso {
        const char* nome;
        bool crea;
        QStringList preparazione;
    };
    const std::vector<Caso> casi = {
        {"users database never opened", false, {}},
        // A call log without the window columns, as older installations have.
        {"no HANDLEFINESTRA column", true, {"ALTER TABLE KESTOLOGFUNZ DROP HANDLEFINESTRA"}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        InstallazioneDiProva inst;
        if (!caso.preparazione.isEmpty())
            InstallazioneDiProva::Esegui(inst.FileUtenti(), caso.preparazione);
        MessaggiInstallati msg;
        TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
        if (caso.crea)
            tabx.Crea();
        EXPECT_FALSE(tabx.ScritturaHandleDiApertura(5, 1234));
        EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
    }
}

TEST(ScritturaHandle, WorksAgainAfterAFailure) {
    InstallazioneDiProva inst;
    ScriviDueLanci(inst);
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    tabx.QueryNorvane.SQL.Clear();
    tabx.QueryNorvane.SQL.Add("UPDATE TABELLA_CHE_NON_ESISTE SET X=1");
    EXPECT_THROW(tabx.QueryNorvane.ExecSQL(), std::exception);
    EXPECT_TRUE(tabx.ScritturaHandleDiApertura(5, 42));
    EXPECT_EQ(Handle(inst, 5), "42");
}

TEST(DataModuleCorrente, IsTheLiveModuleAndNothingOnceItGoes) {
    EXPECT_EQ(DataModuleCorrente(), nullptr);
    {
        TTabXForm primo(nullptr, TTabXForm::SorgenteNessuna);
        EXPECT_EQ(DataModuleCorrente(), &primo);
        {
            // A second module (another workstation in a test) takes the place while it lives.
            TTabXForm secondo(nullptr, TTabXForm::SorgenteNessuna);
            EXPECT_EQ(DataModuleCorrente(), &secondo);
        }
        EXPECT_EQ(DataModuleCorrente(), nullptr);
    }
    EXPECT_EQ(DataModuleCorrente(), nullptr);

    auto* primo = new TTabXForm(nullptr, TTabXForm::SorgenteNessuna);
    TTabXForm secondo(nullptr, TTabXForm::SorgenteNessuna);
    delete primo; // the older one going leaves the newer in place
    EXPECT_EQ(DataModuleCorrente(), &secondo);
}

class AvviaFunzX : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(libreria.Caricata());
        libreria.Svuota();
    }

    prova::LibreriaProva libreria;
    TTabXForm tabx{nullptr, TTabXForm::SorgenteNessuna};
};

TEST_F(AvviaFunzX, CallsTheExportWithTheOneIntegerEachTime) {
    tabx.AvviaFunzXDll(prova::PercorsoProvaFunzioni(), "Apri1", 31);
    tabx.AvviaFunzXDll(prova::PercorsoProvaFunzioni(), "Apri1", -4);
    EXPECT_EQ(libreria.Chiamate(),
              (std::vector<ChiamataRicevuta>{{.Voce = "Apri1", .Utente = 31}, {.Voce = "Apri1", .Utente = -4}}));
}

TEST_F(AvviaFunzX, MissingLibraryOrExportIsSilent) {
    MessaggiInstallati msg;
    tabx.AvviaFunzXDll(prova::PercorsoProvaFunzioni() + ".manca", "Apri1", 1);
    tabx.AvviaFunzXDll(prova::PercorsoProvaFunzioni(), "NonEsiste", 1);
    tabx.AvviaFunzXDll("", "", 1);
    EXPECT_EQ(libreria.NumeroChiamate(), 0);
    EXPECT_TRUE(msg->Testi().isEmpty());
}

} // namespace
