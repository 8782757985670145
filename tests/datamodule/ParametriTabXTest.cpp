#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "db/ZavDB.h"
#include "fb/Errore.h"
#include "fb/Valori.h"
#include "piattaforma/Errori.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using prova::InstallazioneDiProva;

namespace {

// The data module on the test archive, logged in as whichever user the case needs.
struct Modulo : TTabXForm {
    explicit Modulo(const QString& archivio) : TTabXForm(nullptr, SorgenteDatabase) {
        Crea();
        Inserisci("QVR", "Archivio", "", archivio, "", "", "", "", "0");
        ConnettiDatabase1("Archivio");
    }
    void Utente(int numero) { NumUser = numero; }
};

class ParametriTabX : public ::testing::Test {
protected:
    // NUMERO|TESTO|DATA|MEMO|LIVELLO1|LIVELLO2 of the rows of that name and user, as stored.
    QString Riga(const QString& nome, int utente) {
        return InstallazioneDiProva::Valore(
            inst.FileArchivio(),
            QStringLiteral("SELECT COALESCE(LIST(COALESCE(TRIM(TRAILING '.' FROM TRIM(TRAILING '0' FROM CAST(NUMERO AS VARCHAR(30)))),'-') || '|' || COALESCE(TESTO,'-') "
                           "|| '|' || COALESCE(CAST(DATA AS VARCHAR(10)),'-') || '|' || COALESCE(MEMO,'-') || '|' || "
                           "COALESCE(LIVELLO1,'-') || '|' || COALESCE(LIVELLO2,'-'), ';'), '<none>') FROM TABX "
                           "WHERE NOME=%1 AND UTENTE IS NOT DISTINCT FROM %2")
                .arg(fb::Quota(nome), utente < 0 ? QStringLiteral("NULL") : QString::number(utente)));
    }
    QString Conta(const QString& dove) {
        return InstallazioneDiProva::Valore(inst.FileArchivio(), "SELECT COUNT(*) FROM TABX WHERE " + dove);
    }

    InstallazioneDiProva inst;
    MessaggiInstallati msg;
    Modulo tabx{inst.FileArchivio()};
};

TEST_F(ParametriTabX, AddOnlyWhenMissingWriteOnlyWhenPresentWithTheStoredConversions) {
    tabx.Utente(3);
    EXPECT_FALSE(tabx.ScriviParametroInTabX("P", "S", "Colonne", "1", "", "", ""));
    EXPECT_EQ(Conta("NOME='Colonne'"), "0");

    EXPECT_TRUE(tabx.AggiungiParametroInTabX("P", "S", "Colonne", "12,5", "dell'anno", "31/12/1850", "memo d'oggi",
                                             "1", "2"));
    EXPECT_EQ(Riga("Colonne", 3), QString::fromUtf8("12.5|dell´anno|1850-12-31|memo d´oggi|1|2"));
    EXPECT_TRUE(tabx.AggiungiParametroInTabX("P", "S", "Colonne", "99", "altro", "", "", "", ""));
    EXPECT_EQ(Riga("Colonne", 3), QString::fromUtf8("12.5|dell´anno|1850-12-31|memo d´oggi|1|2")) << "unchanged";
    EXPECT_TRUE(tabx.VerificaEsistenzaInTabX("P", "S", "Colonne"));

    EXPECT_TRUE(tabx.ScriviParametroInTabX("P", "S", "Colonne", "7", "", "01/01/2150", "x"));
    EXPECT_EQ(Riga("Colonne", 3), "7|-|2150-01-01|x|1|2") << "levels never change here";

    // Another user's parameter of the same name is another parameter.
    tabx.Utente(7);
    EXPECT_FALSE(tabx.VerificaEsistenzaInTabX("P", "S", "Colonne"));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

// A write changes the current user's parameter of that project, window and name, and no
// column of any other row: not another user's parameter of the same keys, not the user's own
// parameters that differ in one key.
TEST_F(ParametriTabX, WritingAParameterLeavesEveryOtherRowAsItWas) {
    struct Riga {
        const char* caso;
        int codice;
        const char* progetto;
        const char* situazione;
        const char* nome;
        int utente;
    };
    const Riga altre[] = {
        {"another user, same keys", 11, "P", "S", "Colonne", 7},
        {"another project", 12, "Q", "S", "Colonne", 3},
        {"another window", 13, "P", "T", "Colonne", 3},
        {"another name", 14, "P", "S", "Righe", 3},
        {"no user, same keys", 15, "P", "S", "Colonne", -1},
    };
    const auto inserisci = [](int codice, const char* progetto, const char* situazione, const char* nome,
                              int utente) {
        return QStringLiteral("INSERT INTO TABX VALUES (%1, '%2', '%3', 'TBX', '%4', 4.5, 'testo %1', '2001-02-03', "
                              "'memo %1', 1, 2, %5)")
            .arg(codice)
            .arg(progetto, situazione, nome, utente < 0 ? QStringLiteral("NULL") : QString::number(utente));
    };
    QStringList righe = {inserisci(10, "P", "S", "Colonne", 3)};
    for (const Riga& riga : altre)
        righe << inserisci(riga.codice, riga.progetto, riga.situazione, riga.nome, riga.utente);
    InstallazioneDiProva::Esegui(inst.FileArchivio(), righe);
    // Every column of a row, as stored.
    const auto intera = [this](int codice) {
        return InstallazioneDiProva::Valore(
            inst.FileArchivio(),
            QStringLiteral("SELECT COALESCE(MAX(CODICE || '|' || COALESCE(CODPROGETTO,'-') || '|' || "
                           "COALESCE(CODSITUAZIONE,'-') || '|' || COALESCE(TIPO,'-') || '|' || COALESCE(NOME,'-') "
                           "|| '|' || COALESCE(CAST(NUMERO AS VARCHAR(30)),'-') || '|' || COALESCE(TESTO,'-') || "
                           "'|' || COALESCE(CAST(DATA AS VARCHAR(10)),'-') || '|' || COALESCE(CAST(MEMO AS "
                           "VARCHAR(100)),'-') || '|' || COALESCE(LIVELLO1,'-') || '|' || COALESCE(LIVELLO2,'-') "
                           "|| '|' || COALESCE(UTENTE,'-')), '<none>') FROM TABX WHERE CODICE=%1")
                .arg(codice));
    };
    std::vector<QString> prima;
    for (const Riga& riga : altre)
        prima.push_back(intera(riga.codice));

    tabx.Utente(3);
    EXPECT_TRUE(tabx.ScriviParametroInTabX("P", "S", "Colonne", "8", "nuovo", "", ""));

    EXPECT_EQ(intera(10), "10|P|S|TBX|Colonne|8.000000000000000|nuovo|-|-|1|2|3");
    for (std::size_t i = 0; i < std::size(altre); ++i)
        EXPECT_EQ(intera(altre[i].codice), prima[i]) << altre[i].caso;
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST_F(ParametriTabX, EmptyKeysAndBadDatesTouchNothing) {
    tabx.Utente(3);
    for (const auto& [progetto, situazione, nome] :
         {std::tuple{"", "S", "N"}, std::tuple{"P", "", "N"}, std::tuple{"P", "S", ""}}) {
        EXPECT_FALSE(tabx.VerificaEsistenzaInTabX(progetto, situazione, nome));
        EXPECT_FALSE(tabx.AggiungiParametroInTabX(progetto, situazione, nome, "1", "", "", "", "", ""));
        EXPECT_FALSE(tabx.ScriviParametroInTabX(progetto, situazione, nome, "1", "", "", ""));
    }
    EXPECT_THROW(tabx.AggiungiParametroInTabX("P", "S", "N", "", "", "12/31/2024", "", "", ""),
                 piattaforma::ErroreConversione);
    EXPECT_EQ(Conta("1=1"), "0");
}

TEST_F(ParametriTabX, NamesWithQuotesAreTheirOwnParametersAndAFailedWriteSaysSo) {
    tabx.Utente(3);
    EXPECT_TRUE(tabx.AggiungiParametroInTabX("P'1", "S", "D'Angelo", "", "x", "", "", "", ""));
    EXPECT_TRUE(tabx.VerificaEsistenzaInTabX("P'1", "S", "D'Angelo"));
    EXPECT_FALSE(tabx.VerificaEsistenzaInTabX("P'1", "S", "D"));
    // NUMERO that is not a number: the engine refuses it.
    EXPECT_FALSE(tabx.AggiungiParametroInTabX("P", "S", "Rotto", "abc", "", "", "", "", ""));
    EXPECT_EQ(msg->Testi(), QStringList{"Errore interno di INSERT: impossibile aggiungere il parametro Rotto"});
    EXPECT_EQ(Conta("NOME='Rotto'"), "0");
}

TEST_F(ParametriTabX, SimpleValuesAreUpsertedForAUserOrForAnyone) {
    InstallazioneDiProva::Esegui(inst.FileArchivio(),
                                 {"INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (101, 'Tema', 'a', 3)",
                                  "INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (102, 'Tema', 'b', 7)"});
    tabx.Utente(3);
    EXPECT_TRUE(tabx.SettaValoreTabX("Tema", "solo 3", true));
    EXPECT_EQ(Riga("Tema", 3), "-|solo 3|-|-|-|-");
    EXPECT_EQ(Riga("Tema", 7), "-|b|-|-|-|-");
    EXPECT_TRUE(tabx.SettaValoreTabX("Tema", "tutti", false));
    EXPECT_EQ(Riga("Tema", 3), "-|tutti|-|-|-|-");
    EXPECT_EQ(Riga("Tema", 7), "-|tutti|-|-|-|-");
    tabx.Utente(5);
    EXPECT_TRUE(tabx.SettaValoreTabX("Tema", "nuovo di 5", true));
    EXPECT_EQ(Riga("Tema", 5), "-|nuovo di 5|-|-|-|-");
    EXPECT_EQ(tabx.ValoreTabX("Tema", true), "nuovo di 5");

    // Empty: NULL in a new row, the empty text in an existing one.
    EXPECT_TRUE(tabx.SettaValoreTabX("Vuoto", "", false));
    EXPECT_EQ(Riga("Vuoto", -1), "-|-|-|-|-|-");
    EXPECT_TRUE(tabx.SettaValoreTabX("Tema", "", true));
    EXPECT_EQ(Riga("Tema", 5), "-||-|-|-|-");

    EXPECT_TRUE(tabx.SettaValoreMTabX("Nota", "l'altra riga\nseconda", true));
    EXPECT_EQ(tabx.ValoreMTabX("Nota", true), QString::fromUtf8("l´altra riga\nseconda"));
    EXPECT_EQ(tabx.ValoreMTabX("Nota", false), QString::fromUtf8("l´altra riga\nseconda"));
    EXPECT_EQ(tabx.ValoreTabX("Assente", false), "");
    EXPECT_FALSE(tabx.IBTransaction1.InTransaction()) << "the writes ran in a transaction of their own";
}

// A read that fails is no refused write: the simple-value writes let it reach the caller as
// the reads do, and write nothing.
TEST_F(ParametriTabX, ReadFailuresOfTheSimpleValuesReachTheCaller) {
    struct Chiamata {
        const char* caso;
        std::function<void(Modulo&)> chiama;
    };
    const Chiamata chiamate[] = {
        {"SettaValoreTabX for the user", [](Modulo& m) { m.SettaValoreTabX("Tema", "x", true); }},
        {"SettaValoreTabX for anyone", [](Modulo& m) { m.SettaValoreTabX("Tema", "", false); }},
        {"SettaValoreMTabX for the user", [](Modulo& m) { m.SettaValoreMTabX("Nota", "x", true); }},
        {"SettaValoreMTabX for anyone", [](Modulo& m) { m.SettaValoreMTabX("Nota", "x", false); }},
        {"ValoreTabX", [](Modulo& m) { m.ValoreTabX("Tema", true); }},
        {"ValoreMTabX", [](Modulo& m) { m.ValoreMTabX("Nota", false); }},
    };
    tabx.Utente(3);
    tabx.IBDatabase1.Close();
    for (const Chiamata& chiamata : chiamate) {
        SCOPED_TRACE(std::string("archive closed, ") + chiamata.caso);
        EXPECT_THROW(chiamata.chiama(tabx), fb::EErroreDB);
    }
    EXPECT_EQ(Conta("1=1"), "0");

    InstallazioneDiProva::Esegui(inst.FileArchivio(), {"DROP TABLE TABX"});
    tabx.ConnettiDatabase1("Archivio");
    ASSERT_TRUE(tabx.IBDatabase1.Connected());
    for (const Chiamata& chiamata : chiamate) {
        SCOPED_TRACE(std::string("no TABX, ") + chiamata.caso);
        EXPECT_THROW(chiamata.chiama(tabx), fb::EErroreDB);
    }
    EXPECT_TRUE(msg->Testi().isEmpty());
}

// Every character of the code page, repeated to a megabyte: longer than a statement may
// carry. The write fails as a whole and says so, and nothing of it is stored.
TEST_F(ParametriTabX, AMegabyteMemoFailsWholeWithoutAMessage) {
    QByteArray tutti;
    for (int c = 1; c < 256; ++c)
        if (c != '\'')
            tutti.append(static_cast<char>(c));
    QString memo;
    while (memo.size() < 1024 * 1024)
        memo += QString::fromLatin1(tutti); // Latin-1 reads each byte as one character
    tabx.Utente(3);
    EXPECT_FALSE(tabx.SettaValoreMTabX("Grande", memo, true));
    EXPECT_EQ(Conta("NOME='Grande'"), "0");
    EXPECT_TRUE(msg->Testi().isEmpty());
    // Within the limit, every character of the code page comes back as written.
    const QString breve = QString::fromUtf8("àèìòù €‰ŠŒŽšœžŸ¡¿ÆÐÞßæðþÿ´ ~\\");
    EXPECT_TRUE(tabx.SettaValoreMTabX("Breve", breve, true));
    EXPECT_EQ(tabx.ValoreMTabX("Breve", true), breve);
}

TEST_F(ParametriTabX, TheUsersParametersReachTheInMemoryTable) {
    InstallazioneDiProva::Esegui(
        inst.FileArchivio(),
        {"INSERT INTO TABX VALUES (101, 'P', 'S', 'TBX', 'SoloNumero', 4, NULL, NULL, NULL, NULL, NULL, 3)",
         "INSERT INTO TABX VALUES (102, 'P', 'S', 'TBX', 'Vuoto', NULL, NULL, NULL, NULL, NULL, NULL, 3)",
         "INSERT INTO TABX VALUES (103, 'P', 'S', 'TBX', 'Nuovo', 9, 't', '2024-12-31', 'm', 1, 2, 3)",
         "INSERT INTO TABX VALUES (104, 'P', 'S', 'TBX', 'Altrui', 1, 'x', NULL, NULL, NULL, NULL, 7)"});
    tabx.Utente(3);
    tabx.Inserisci("TBX", "SoloNumero", "1", "testo", "01/01/2020", "memo", "5", "6", "3");
    tabx.Inserisci("TBX", "Vuoto", "1", "testo", "01/01/2020", "memo", "5", "6", "3");
    tabx.AggiornaParametriTabX();

    const auto riga = [&](const QString& nome) -> const RigaMemTabX* {
        for (int i = 0; i < tabx.MemTabX.RecordCount(); ++i)
            if (tabx.MemTabX.Riga(i).Nome == nome)
                return &tabx.MemTabX.Riga(i);
        return nullptr;
    };
    ASSERT_TRUE(riga("SoloNumero") && riga("Vuoto") && riga("Nuovo"));
    EXPECT_EQ(riga("SoloNumero")->Numero, 4);
    EXPECT_EQ(riga("SoloNumero")->Testo, "testo");
    EXPECT_EQ(riga("SoloNumero")->Livello1, 5);
    EXPECT_FALSE(riga("Vuoto")->Numero.has_value());
    EXPECT_EQ(riga("Vuoto")->Testo, "");
    EXPECT_FALSE(riga("Vuoto")->Data.has_value());
    EXPECT_EQ(riga("Vuoto")->Livello2, 6);
    EXPECT_EQ(riga("Nuovo")->Data, QDate(2024, 12, 31));
    EXPECT_EQ(riga("Nuovo")->Utente, 3);
    EXPECT_EQ(riga("Altrui"), nullptr);

    // Refreshing one row needs that row in memory.
    EXPECT_FALSE(tabx.CaricaParametroDaTabX("P", "S", "Altrui", "", "", "", "", "", ""));
    tabx.Utente(7);
    EXPECT_FALSE(tabx.CaricaParametroDaTabX("P", "S", "Altrui", "", "", "", "", "", ""));
    tabx.Inserisci("", "Altrui", "", "", "", "", "", "", "");
    EXPECT_TRUE(tabx.CaricaParametroDaTabX("P", "S", "Altrui", "", "", "", "", "", ""));
    EXPECT_EQ(tabx.GetV("Altrui"), "x");
}

// ---- scripts ----

class Script : public ParametriTabX {
protected:
    // SCRIPT|DATAULTIMAMODIFICA|the three columns written NULL, of one row.
    QString Riga(const QString& finestra, const QString& utente) {
        return InstallazioneDiProva::Valore(
            inst.FileUtenti(),
            QStringLiteral("SELECT COALESCE(MAX(CAST(SCRIPT AS VARCHAR(200)) || '|' || COALESCE(CAST(DATAULTIMAMODIFICA "
                           "AS VARCHAR(10)),'-') || '|' || COALESCE(CAST(DESCRIZIONESITUAZIONE AS VARCHAR(5)),'-') || "
                           "COALESCE(MODIFICATODAUTENTE,'-') || COALESCE(STATUS,'-')), '<none>') FROM TABSCRIPT WHERE "
                           "PROGETTO='P' AND SCRIPTFORM=%1 AND CONTESTO=1 AND UTENTE=%2")
                .arg(fb::Quota(finestra), fb::Quota(utente)));
    }
    const QString oggi = QDate::currentDate().toString("yyyy-MM-dd");
};

TEST_F(Script, RegisteredOnceThenReplacedOnlyWhenEmptyOrForcedWithOne) {
    tabx.IniScriptForm("P", "Clienti", "1", "ROSSI", "primo 'script'", "");
    EXPECT_EQ(Riga("Clienti", "ROSSI"), "primo 'script'|" + oggi + "|---");
    tabx.IniScriptForm("P", "Ordini", "1", "ROSSI", "degli ordini", "");
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {"UPDATE TABSCRIPT SET DATAULTIMAMODIFICA='2001-01-01'"});

    for (const char* forza : {"", "S", "1 ", "0"}) {
        tabx.IniScriptForm("P", "Clienti", "1", "ROSSI", "secondo", QString::fromLatin1(forza));
        EXPECT_EQ(Riga("Clienti", "ROSSI"), "primo 'script'|2001-01-01|---") << "force '" << forza << "'";
    }
    tabx.IniScriptForm("P", "Clienti", "1", "ROSSI", "forzato", "1");
    EXPECT_EQ(Riga("Clienti", "ROSSI"), "forzato|" + oggi + "|---");
    EXPECT_EQ(Riga("Ordini", "ROSSI"), "degli ordini|2001-01-01|---");

    InstallazioneDiProva::Esegui(inst.FileUtenti(), {"UPDATE TABSCRIPT SET SCRIPT='' WHERE SCRIPTFORM='Ordini'"});
    tabx.IniScriptForm("P", "Ordini", "1", "ROSSI", "riempito", "");
    EXPECT_EQ(Riga("Ordini", "ROSSI"), "riempito|" + oggi + "|---");
}

TEST_F(Script, ABadKeyReachesTheCallerWithNothingCommitted) {
    EXPECT_THROW(tabx.IniScriptForm("P", "Clienti", "uno", "ROSSI", "x", ""), fb::EErroreDB);
    EXPECT_THROW(tabx.IniScriptForm("P", QString(16, 'F'), "1", "ROSSI", "x", ""), fb::EErroreDB);
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileUtenti(), "SELECT COUNT(*) FROM TABSCRIPT"), "0");
    EXPECT_EQ(FormattaDataSQL(QDate(1899, 3, 7)), "'03/07/1899'");
}

} // namespace

namespace {

// The archive refuses to commit while a parameter named "Rifiuta" is pending.
void RifiutaIlCommit(const QString& archivio) {
    InstallazioneDiProva::Esegui(archivio, {"CREATE EXCEPTION E_RIFIUTA 'commit refused'"});
    InstallazioneDiProva::Esegui(archivio, {"CREATE TRIGGER T_RIFIUTA ON TRANSACTION COMMIT AS BEGIN "
                                            "IF (EXISTS(SELECT 1 FROM TABX WHERE NOME='Rifiuta')) THEN "
                                            "EXCEPTION E_RIFIUTA; END"});
}

// A refused commit must not leave its write pending for the next commit to save.
TEST_F(ParametriTabX, AWriteWhoseCommitIsRefusedIsNotSavedByTheNextOne) {
    RifiutaIlCommit(inst.FileArchivio());
    // A connection learns of database triggers when it attaches.
    tabx.IBDatabase1.Close();
    tabx.ConnettiDatabase1("Archivio");
    tabx.Utente(3);
    EXPECT_FALSE(tabx.AggiungiParametroInTabX("P", "S", "Rifiuta", "1", "", "", "", "", ""));
    EXPECT_EQ(msg->Testi(), QStringList{"Errore interno di INSERT: impossibile aggiungere il parametro Rifiuta"});
    EXPECT_FALSE(tabx.SettaValoreTabX("Rifiuta", "x", true));
    EXPECT_TRUE(tabx.AggiungiParametroInTabX("P", "S", "Buono", "2", "", "", "", "", ""));
    EXPECT_TRUE(tabx.SettaValoreTabX("Altro", "y", true));
    EXPECT_EQ(Conta("NOME='Rifiuta'"), "0");
    EXPECT_EQ(Conta("NOME IN ('Buono', 'Altro')"), "2");
}

} // namespace
