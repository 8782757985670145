#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Librerie.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

using prova::InstallazioneDiProva;

namespace {

// The printing library of the installation is the test's stand-in, which writes what it
// received into the in-memory row "StampaRicevuta".
class Stampa : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/ProvaStampa.so",
                                inst.Directory() + "Vrot.so"));
        tabx.Crea();
        tabx.Inserisci("QVR", "Archivio", "", inst.FileArchivio(), "", "", "", "", "0");
        tabx.ConnettiDatabase1("Archivio");
    }
    QString Ricevuta() { return tabx.GetV("StampaRicevuta"); }

    InstallazioneDiProva inst;
    MessaggiInstallati msg;
    TTabXForm tabx{nullptr, TTabXForm::SorgenteDatabase};
};

TEST_F(Stampa, AQueryGoesToTheQueryEntryAnyOtherDataSetToTheMemoryOne) {
    fb::TIBQuery query(&tabx.IBDatabase1);
    query.SQL.Add("SELECT * FROM TABX");
    query.Open();
    fb::TIBTable tabella(&tabx.IBDatabase1);
    tabella.TableName = "SEMAFORIF";
    tabella.Open();
    fb::TDataSetMemoria memoria({{"A", fb::TGenere::Testo, 10}});
    memoria.Open();
    memoria.Append();
    memoria.Post();

    // No rows named TitoloStampa and NomeReport yet: the library finds them empty.
    tabx.LanciaStampaConDll("Clienti", "clienti.rep", query);
    EXPECT_EQ(Ricevuta(), "ShowVrot11FormD|TIBQuery|0||");
    tabx.Inserisci("", "TitoloStampa", "", "", "", "", "", "", "");
    tabx.Inserisci("", "NomeReport", "", "", "", "", "", "", "");
    tabx.LanciaStampaConDll("Elenco d'Italia", "elenco.rep", tabella);
    EXPECT_EQ(Ricevuta(), "ShowVrot11MemFormD|TIBTable|0|Elenco d'Italia|elenco.rep");
    tabx.LanciaStampaConDll("Memoria", "m.rep", memoria);
    EXPECT_EQ(Ricevuta(), "ShowVrot11MemFormD|TDataSetMemoria|1|Memoria|m.rep");
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST_F(Stampa, ALibraryThatThrowsIsReportedAndAMissingOneIsSilent) {
    tabx.Inserisci("", "TitoloStampa", "", "", "", "", "", "", "");
    fb::TDataSetMemoria memoria({{"A", fb::TGenere::Testo, 10}});
    memoria.Open();
    tabx.LanciaStampaConDll("lancia", "", memoria);
    EXPECT_EQ(msg->Testi(), QStringList{"Errore nell'accesso alla DLL Vrot delle stampe"});

    msg->Svuota();
    ASSERT_TRUE(QFile::remove(inst.Directory() + "Vrot.so"));
    // Nowhere else either: the loader finds nothing by that name.
    struct NessunaStampa : piattaforma::LibrerieDiSistema {
        void* Carica(const QString& nome) override {
            return nome == "Vrot" ? nullptr : LibrerieDiSistema::Carica(nome);
        }
    } librerie;
    piattaforma::ImpostaLibrerie(&librerie);
    tabx.LanciaStampaConDll("Senza", "x", memoria);
    piattaforma::ImpostaLibrerie(nullptr);
    EXPECT_TRUE(msg->Testi().isEmpty());
    EXPECT_EQ(tabx.GetV("TitoloStampa"), "Senza");
}

} // namespace
