#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Percorsi.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using prova::InstallazioneDiProva;

namespace {

// The stored password is protected; the tests read it through this.
class TabXUtenti : public TTabXForm {
public:
    using TTabXForm::TTabXForm;
    QString Password() const { return PasswordUser; }
};

// Names with a quote and with the Windows-1252 letters a user may type.
const QString Apostrofo = QStringLiteral("D'Angelo");
const QString Accenti = QStringLiteral("Società è´€");

void InserisciUtenti(const InstallazioneDiProva& installazione) {
    InstallazioneDiProva::Esegui(
        installazione.FileUtenti(),
        {"INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, DITTA, PROFILOSICUREZZA) "
         "VALUES (6, 'Società è´€', 'Caffè€', 'Ditta è´€', 2)",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, DITTA, PROFILOSICUREZZA) "
         "VALUES (1, 'ALFA', 'Segreto', 'PRIMA SRL', 3)",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE) VALUES (2, 'BETA', NULL)",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE) VALUES (3, 'GAMMA', '')",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, DITTA) "
         "VALUES (4, 'D''Angelo', 'Pass''word', 'L''Officina')",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE) VALUES (5, '', NULL)",
         // Every column NULL but the key.
         "INSERT INTO UTENTI (CODICE) VALUES (7)"});
}

struct CasoPassword {
    QString nome;
    QString digitata;
    bool accettata;
};

TEST(Utenti, PasswordCheckedExactlyAndOnlyForKnownNames) {
    InstallazioneDiProva installazione;
    InserisciUtenti(installazione);
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    const CasoPassword casi[] = {
        {"ALFA", "Segreto", true},
        {"ALFA", "segreto", false},
        {"ALFA", "SEGRETO", false},
        {"ALFA", "Segreto ", false},
        {"ALFA", "", false},
        {"alfa", "Segreto", false}, // names are matched with their case too
        {"BETA", "", true},         // NULL password
        {"BETA", "qualunque", true},
        {"GAMMA", "x", true}, // empty password
        {"NESSUNO", "", false},
        {"", "", false}, // no user chosen, even though a row has an empty name
        {Apostrofo, "Pass'word", true},
        {Apostrofo, "Password", false},
        {Accenti, QStringLiteral("Caffè€"), true},
        {Accenti, QStringLiteral("Caffe€"), false},
    };
    for (const CasoPassword& caso : casi)
        EXPECT_EQ(tabx.VerificaPasswordUser(caso.nome, caso.digitata), caso.accettata)
            << qPrintable(caso.nome) << " / " << qPrintable(caso.digitata);
}

struct CasoUtente {
    QString nome;
    qint32 numero;
    QString password;
    QString ditta;
    qint32 profilo;
};

TEST(Utenti, SetUserPerNomeMakesUserAndCompanyCurrentAndAMissingNameEmptiesThem) {
    InstallazioneDiProva installazione;
    InserisciUtenti(installazione);
    TabXUtenti tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    const CasoUtente casi[] = {
        {"ALFA", 1, "Segreto", "PRIMA SRL", 3},
        {Apostrofo, 4, "Pass'word", "L'Officina", 0},
        {Accenti, 6, QStringLiteral("Caffè€"), QStringLiteral("Ditta è´€"), 2},
        // After a known user, so that every field has something to clear.
        {"NESSUNO", 0, "", "", 0},
    };
    for (const CasoUtente& caso : casi) {
        tabx.SetUserPerNome(caso.nome);
        SCOPED_TRACE(qPrintable(caso.nome));
        EXPECT_EQ(tabx.GetNumUser(), caso.numero);
        EXPECT_EQ(tabx.GetNomeUser(), caso.numero ? caso.nome : QString());
        EXPECT_EQ(tabx.Password(), caso.password);
        EXPECT_EQ(tabx.GetDitta(), caso.ditta);
        EXPECT_EQ(tabx.ProfiloSicurezzaUtente(), caso.profilo);
        EXPECT_EQ(tabx.DecodificaNomeUser(caso.numero), tabx.GetNomeUser());
    }
}

TEST(Utenti, NullColumnsReadAsEmptyAndTheListKeepsItsContent) {
    InstallazioneDiProva installazione;
    InserisciUtenti(installazione);
    TabXUtenti tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();

    QStringList lista{"già presente"};
    tabx.CaricaUser(lista);
    EXPECT_EQ(lista, QStringList({"già presente", "ALFA", "BETA", "GAMMA", Apostrofo, "", Accenti, ""}));

    tabx.SetUserPerNum(7);
    EXPECT_EQ(tabx.GetNumUser(), 7);
    EXPECT_EQ(tabx.GetNomeUser(), QString());
    EXPECT_EQ(tabx.Password(), QString());
    EXPECT_EQ(tabx.GetDitta(), QString());
    EXPECT_EQ(tabx.ProfiloSicurezzaUtente(), 0);
    EXPECT_EQ(tabx.DecodificaNomeUser(7), QString());
    EXPECT_EQ(tabx.DecodificaNomeUser(99), QString());
}

// What another workstation does: change the users table and commit.
void ScriviECommit(TTabXForm& tabx, const QStringList& istruzioni) {
    for (const QString& istruzione : istruzioni) {
        tabx.QueryNorvane.Close();
        tabx.QueryNorvane.SQL.Clear();
        tabx.QueryNorvane.SQL.Add(istruzione);
        tabx.QueryNorvane.ExecSQL();
    }
    tabx.TransazioneUser.Commit();
}

TEST(Utenti, CompanyAndProfileSeeOtherWorkstationsWhileNameLookupsKeepTheSnapshot) {
    InstallazioneDiProva installazione;
    InserisciUtenti(installazione);
    TTabXForm questa(nullptr, TTabXForm::SorgenteDatabase);
    questa.Crea();
    questa.SetUserPerNome("ALFA");
    ASSERT_EQ(questa.GetDitta(), "PRIMA SRL");

    TTabXForm altra(nullptr, TTabXForm::SorgenteDatabase);
    altra.Crea();
    altra.SetUserPerNome("ALFA");
    ScriviECommit(altra, {"UPDATE UTENTI SET DITTA='SECONDA SRL' WHERE CODICE='1'",
                          "INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA) VALUES (9, 'OMEGA', 'TERZA SRL')"});

    // Number and name lookups read the snapshot taken before that commit.
    EXPECT_EQ(questa.DecodificaNomeUser(9), QString());
    questa.SetUserPerNome("OMEGA");
    EXPECT_EQ(questa.GetNumUser(), 0);

    // Reading the company restarted the transaction, so now both are seen.
    questa.SetUserPerNome("OMEGA");
    EXPECT_EQ(questa.GetNumUser(), 9);
    EXPECT_EQ(questa.GetDitta(), "TERZA SRL");
    questa.SetUserPerNome("ALFA");
    EXPECT_EQ(questa.GetDitta(), "SECONDA SRL");

    ScriviECommit(altra, {"UPDATE UTENTI SET PROFILOSICUREZZA='8' WHERE CODICE='1'"});
    EXPECT_EQ(questa.ProfiloSicurezzaUtente(), 8);
    // Right after its own commit there is no transaction to roll back.
    ASSERT_FALSE(altra.TransazioneUser.InTransaction());
    EXPECT_EQ(altra.ProfiloSicurezzaUtente(), 8);
}

void ScriviFile(const QString& percorso, const QByteArray& contenuto) {
    QFile file(percorso);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(contenuto), contenuto.size());
}

// No database is opened: any lookup that reached it would raise.
TEST(Utenti, IniSourceTakesUsersFromSectionNamesAndCompanyFromTheUserFile) {
    InstallazioneDiProva installazione(InstallazioneDiProva::Opzioni{false, false});
    const QString nomidit = installazione.Directory() + "NOMIDIT/";
    ASSERT_TRUE(QDir().mkpath(nomidit + "USERCFG"));
    ScriviFile(nomidit + "UTENTI.INI",
               "; utenti\r\n[01ALFA]\r\nX=1\r\n[]\r\n[11BETA]\r\n[02Andr\xE8]\r\n");
    ScriviFile(nomidit + "USERCFG/1 BETA.INI", "[STATUS MACCHINA]\r\nUltimaDitta=BETA SRL\r\n");
    ScriviFile(nomidit + "USERCFG/2 Andr\xC3\xA8.INI",
               "[Status Macchina]\r\nULTIMADITTA=L'Officina di Andr\xE8\r\n");

    TabXUtenti tabx(nullptr, TTabXForm::SorgenteIni);
    QStringList lista{"vecchio"};
    tabx.CaricaUser(lista);
    EXPECT_EQ(lista, QStringList({"01ALFA", "11BETA", QStringLiteral("02Andrè")}));

    // 1 is in both 01ALFA and 11BETA; the later section wins.
    tabx.SetUserPerNum(1);
    EXPECT_EQ(tabx.GetNomeUser(), "BETA");
    EXPECT_EQ(tabx.GetDitta(), "BETA SRL");
    EXPECT_EQ(tabx.Password(), QString());

    tabx.SetUserPerNum(2);
    EXPECT_EQ(tabx.GetNomeUser(), QStringLiteral("Andrè"));
    EXPECT_EQ(tabx.GetDitta(), QStringLiteral("L'Officina di Andrè"));

    tabx.SetUserPerNum(5);
    EXPECT_EQ(tabx.GetNomeUser(), QString());
    EXPECT_EQ(tabx.GetDitta(), QString());

    EXPECT_TRUE(tabx.VerificaPasswordUser("01ALFA", "qualunque"));
    // There are no numbers by name in this source.
    tabx.SetUserPerNome("11BETA");
    EXPECT_EQ(tabx.GetNumUser(), 0);
}

TEST(Utenti, WithoutUsersSourceNothingIsLookedUp) {
    InstallazioneDiProva installazione(InstallazioneDiProva::Opzioni{false, false});
    TTabXForm tabx(nullptr, TTabXForm::SorgenteNessuna);
    tabx.Crea();
    QStringList lista{"vecchio"};
    tabx.CaricaUser(lista);
    EXPECT_EQ(lista, QStringList{"vecchio"});
    EXPECT_TRUE(tabx.VerificaPasswordUser("chiunque", "x"));
    tabx.SetUserPerNum(5);
    EXPECT_EQ(tabx.GetNumUser(), 5);
    EXPECT_EQ(tabx.GetNomeUser(), QString());
    EXPECT_EQ(tabx.GetDitta(), QString());
}

} // namespace
