#include "datamodule/TabX.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fixture/IniInMemoria.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using prova::InstallazioneDiProva;

namespace {

// The current user and company without going through the user directory.
class TabXConUtente : public TTabXForm {
public:
    TabXConUtente(quint8 modo, qint32 numero, const QString& nome, const QString& ditta)
        : TTabXForm(nullptr, modo) {
        NumUser = numero;
        NomeUser = nome;
        Ditta = ditta;
    }
    void CambiaDitta(const QString& ditta) { Ditta = ditta; }
};

struct IniFinto {
    ProfiliIniInMemoria profili;
    IniFinto() { piattaforma::ImpostaIni(&profili); }
    ~IniFinto() { piattaforma::ImpostaIni(nullptr); }
};

const QString InsertAlfa = "INSERT INTO UTENTI (CODICE,NOMEUTENTE,DITTA) VALUES (7,'ALFA','A')";

QString Norvane(const InstallazioneDiProva& inst) {
    return InstallazioneDiProva::Valore(inst.FileUtenti(), "SELECT NORVANE FROM UTENTI WHERE CODICE=7");
}

bool NorvaneNull(const InstallazioneDiProva& inst) {
    return InstallazioneDiProva::Valore(
               inst.FileUtenti(), "SELECT COUNT(*) FROM UTENTI WHERE CODICE=7 AND NORVANE IS NULL") == "1";
}

// One column of user 7's row for a heading and name, as text ("<NULL>" for NULL).
QString Colonna(const InstallazioneDiProva& inst, const QString& colonna, const QString& ditta,
                const QString& nome) {
    return InstallazioneDiProva::Valore(
        inst.FileUtenti(), "SELECT COALESCE(CAST(" + colonna + " AS VARCHAR(1000)),'<NULL>') FROM TABNORVANE "
                           "WHERE UTENTE=7 AND INTESTAZIONE='" + ditta + "' AND PARAMETRO='" + nome + "'");
}

QString Carica(TTabXForm& tabx, const QString& nome) {
    QString valore = "non letto";
    tabx.CaricaParametro(nome, valore);
    return valore;
}

TEST(Norvane, ImageHasSectionsInHeadingOrderAndParametersInProgressivoOrder) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "B");
    tabx.Crea();

    tabx.SettaParametro("Q", "x");
    EXPECT_EQ(Norvane(inst), "[B]\nQ=x\n");

    // A second company written later still comes first: sections follow the headings.
    tabx.CambiaDitta("A");
    tabx.SettaParametro("P1", "1");
    tabx.SettaParametro("P2", "");
    EXPECT_EQ(Norvane(inst), "[A]\nP1=1\nP2=\n[B]\nQ=x\n");
    EXPECT_EQ(Colonna(inst, "VALORE", "A", "P2"), "<NULL>");
    EXPECT_EQ(Colonna(inst, "PROGRESSIVO", "B", "Q"), "1");
    EXPECT_EQ(Colonna(inst, "PROGRESSIVO", "A", "P1"), "2");
    EXPECT_EQ(Colonna(inst, "PROGRESSIVO", "A", "P2"), "3");

    // Within a section the order is PROGRESSIVO, not the name; an update keeps its place.
    tabx.SettaParametro("Alfa", "z");
    tabx.SettaParametro("P1", "9");
    EXPECT_EQ(Norvane(inst), "[A]\nP1=9\nP2=\nAlfa=z\n[B]\nQ=x\n");
    EXPECT_EQ(Colonna(inst, "PROGRESSIVO", "A", "P1"), "2");

    EXPECT_EQ(Carica(tabx, "P1"), "9");
    EXPECT_EQ(Carica(tabx, "P2"), "");   // NULL value
    EXPECT_EQ(Carica(tabx, "Q"), "");    // belongs to the other company
    EXPECT_EQ(Carica(tabx, "Manca"), "");
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(Norvane, NewParameterTakesOneAboveTheUsersHighestProgressivo) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "A");
    tabx.Crea();

    const struct {
        const char* caso;
        QStringList righe; // rows already there: UTENTE, INTESTAZIONE, PARAMETRO, VALORE, PROGRESSIVO
        QString atteso;
    } casi[] = {
        {"first parameter of the user", {}, "1"},
        {"other users do not count", {"8,'A','X','v',50"}, "1"},
        {"own rows all without PROGRESSIVO", {"7,'A','X','v',NULL", "7,'B','Y',NULL,NULL"}, "1"},
        {"highest of any company", {"7,'B','X','v',4", "7,'A','Y','v',2", "8,'A','Z','v',9"}, "5"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        QStringList istruzioni{"DELETE FROM TABNORVANE"};
        for (const QString& r : c.righe)
            istruzioni << "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE,PROGRESSIVO) "
                          "VALUES (" + r + ")";
        InstallazioneDiProva::Esegui(inst.FileUtenti(), istruzioni);
        tabx.SettaParametro("Nuovo", "v");
        EXPECT_EQ(Colonna(inst, "PROGRESSIVO", "A", "Nuovo"), c.atteso);
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(Norvane, SingleQuotesInValueNameAndCompanyAreStoredAndReadBackIntact) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "D'Angelo & C.");
    tabx.Crea();

    tabx.SettaParametro("Nota dell'utente", "l'ultima");
    EXPECT_EQ(Carica(tabx, "Nota dell'utente"), "l'ultima");
    EXPECT_EQ(Norvane(inst), "[D'Angelo & C.]\nNota dell'utente=l'ultima\n");

    // Second write of the same parameter goes through the update.
    tabx.SettaParametro("Nota dell'utente", "''x'");
    EXPECT_EQ(Carica(tabx, "Nota dell'utente"), "''x'");
    EXPECT_EQ(Norvane(inst), "[D'Angelo & C.]\nNota dell'utente=''x'\n");
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(Norvane, FailedWritesShowTheirBoxAndTheImageIsStillRebuilt) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "A");
    tabx.Crea();
    tabx.SettaParametro("Ok", "1");
    const QString troppoLungo(1001, QLatin1Char('v')); // VALORE holds 1000

    InstallazioneDiProva::Esegui(inst.FileUtenti(), {"UPDATE UTENTI SET NORVANE='vecchio'"});
    tabx.SettaParametro("Nuovo", troppoLungo);
    EXPECT_EQ(msg->Testi(),
              QStringList{"Errore interno di INSERT: impossibile aggiornare la tabella dei parametri"});
    EXPECT_EQ(msg->Mostrati.back().tipo, piattaforma::TipoMessaggio::Errore);
    EXPECT_EQ(Colonna(inst, "VALORE", "A", "Nuovo"), "");
    EXPECT_EQ(Norvane(inst), "[A]\nOk=1\n");

    msg->Svuota();
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {"UPDATE UTENTI SET NORVANE='vecchio'"});
    tabx.SettaParametro("Ok", troppoLungo);
    EXPECT_EQ(msg->Testi(),
              QStringList{"Errore interno di UPDATE: impossibile aggiornare la tabella dei parametri"});
    EXPECT_EQ(Colonna(inst, "VALORE", "A", "Ok"), "1");
    EXPECT_EQ(Norvane(inst), "[A]\nOk=1\n");

    // The rebuild itself refused: the parameter is kept, the image keeps its old text.
    msg->Svuota();
    InstallazioneDiProva::Esegui(
        inst.FileUtenti(),
        {"CREATE EXCEPTION NORVANE_BLOCCATO 'bloccato'",
         "CREATE TRIGGER UTENTI_BLOCCATI FOR UTENTI BEFORE UPDATE AS BEGIN EXCEPTION NORVANE_BLOCCATO; END"});
    tabx.ScriviParametroNorvane("A", "Altro", "2");
    EXPECT_EQ(msg->Testi(),
              QStringList{"Errore interno di UPDATE: impossibile aggiornare i parametri norvane dell'utente"});
    EXPECT_EQ(msg->Mostrati.back().tipo, piattaforma::TipoMessaggio::Errore);
    EXPECT_EQ(Colonna(inst, "VALORE", "A", "Altro"), "2");
    EXPECT_EQ(Norvane(inst), "[A]\nOk=1\n");
}

TEST(Norvane, NullColumnsAndAnEmptyTableGiveTheirImage) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(
        inst.FileUtenti(),
        {InsertAlfa,
         "INSERT INTO TABNORVANE VALUES (7,'A',NULL,NULL,1)",
         "INSERT INTO TABNORVANE VALUES (7,'A','P',NULL,NULL)",
         "INSERT INTO TABNORVANE VALUES (7,NULL,'X','y',2)",
         "INSERT INTO TABNORVANE VALUES (7,'B','Q','x',NULL)"});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "A");
    tabx.Crea();

    tabx.ScriviNorvane(7);
    // NULL PROGRESSIVO sorts first; a row without a name leaves an empty line; a row
    // without a heading is left out.
    EXPECT_EQ(Norvane(inst), "[A]\nP=\n\n[B]\nQ=x\n");
    EXPECT_EQ(Carica(tabx, "P"), "");

    // Rows removed elsewhere: the caller restarts the users transaction to see that, as
    // the disk choice does before its rebuild.
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {"DELETE FROM TABNORVANE WHERE INTESTAZIONE IS NOT NULL"});
    tabx.TransazioneUser.Rollback();
    tabx.ScriviNorvane(7);
    EXPECT_TRUE(NorvaneNull(inst));

    tabx.ScriviNorvane(99); // no such user: nothing to update, nothing to say
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(Norvane, AccentedAndLongValuesRoundTripInBothSources) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    QDir(inst.Directory()).mkpath("NOMIDIT/USERCFG");
    const QString lungo = QString("àè´€x").repeated(40);
    ASSERT_EQ(lungo.size(), 200);
    const QString valori[] = {"àèé´€", lungo, "Città dell'€"};

    for (quint8 modo : {TTabXForm::SorgenteDatabase, TTabXForm::SorgenteIni}) {
        MessaggiInstallati msg;
        TabXConUtente tabx(modo, 7, "ALFA", "Società più");
        tabx.Crea();
        int i = 0;
        for (const QString& valore : valori) {
            SCOPED_TRACE(QString("mode %1, value %2").arg(modo).arg(i).toStdString());
            const QString nome = "Però" + QString::number(modo) + QString::number(i++);
            tabx.SettaParametro(nome, valore);
            EXPECT_EQ(Carica(tabx, nome), valore);
        }
        EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
    }
    EXPECT_EQ(Norvane(inst), "[Società più]\nPerò00=àèé´€\nPerò01=" + lungo + "\nPerò02=Città dell'€\n");
}

TEST(Norvane, IniSourceUsesTheUsersFileWithOneSectionPerCompany) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    QDir(inst.Directory()).mkpath("NOMIDIT/USERCFG");
    QFile file(inst.Directory() + "NOMIDIT/USERCFG/7 ALFA.INI");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[ALFA SRL]\r\nPROGETTO=12\r\n[BETA SPA]\r\nArchivio=D:\\beta.fdb\r\n");
    file.close();

    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteIni, 7, "ALFA", "alfa srl");
    tabx.Crea();
    EXPECT_EQ(Carica(tabx, "progetto"), "12");
    EXPECT_EQ(Carica(tabx, "Archivio"), ""); // only under the other company

    tabx.SettaParametro("Archivio", "C:\\Dati\\archivio.fdb");
    EXPECT_EQ(Carica(tabx, "Archivio"), "C:\\Dati\\archivio.fdb");
    tabx.CambiaDitta("BETA SPA");
    EXPECT_EQ(Carica(tabx, "Archivio"), "D:\\beta.fdb");

    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Archivio=C:\\Dati\\archivio.fdb"));
    EXPECT_EQ(InstallazioneDiProva::Valore(inst.FileUtenti(), "SELECT COUNT(*) FROM TABNORVANE"), "0");
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(Norvane, WithoutSourceNothingIsReadOrWritten) {
    InstallazioneDiProva inst(InstallazioneDiProva::Opzioni{false, false});
    IniFinto ini;
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteNessuna, 7, "ALFA", "A");
    tabx.Crea();

    QString valore = "prima";
    tabx.CaricaParametro("Archivio", valore);
    EXPECT_EQ(valore, "prima");

    // Nothing is stored; the closing rebuild meets the unopened users database.
    EXPECT_THROW(tabx.SettaParametro("Archivio", "x"), fb::EErroreDB);
    EXPECT_EQ(ini.profili.Scritture(), 0);
    EXPECT_TRUE(msg->Testi().isEmpty());
}

// Counts the statements sent while it lives.
struct ContaIstruzioni : fb::RegistroIstruzioni {
    int Conta = 0;
    ContaIstruzioni() { fb::ImpostaRegistroIstruzioni(this); }
    ~ContaIstruzioni() override { fb::ImpostaRegistroIstruzioni(nullptr); }
    void Istruzione(const fb::TDatabase&, const fb::TTransazione&, const QString&) override { ++Conta; }
};

TEST(Norvane, ABlockAnswersEveryQuestionAsOneReadPerNameWouldFromOneStatement) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(
        inst.FileUtenti(),
        {InsertAlfa,
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B','Semplice','uno')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B','Blanchi  ','due')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B','D''Angelo','tre')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B','Nullo',NULL)",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B','','vuoto')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B',NULL,'senza nome')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B','caso','minuscolo')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'B ','Intestazione','con blanco')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (7,'A','Semplice','altra ditta')",
         "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE) VALUES (8,'B','Semplice','altro utente')"});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "B");
    tabx.Crea();
    const QStringList domande{"Semplice", "Blanchi", "Blanchi  ", "Blanchi     ", "D'Angelo", "Nullo", "",
                              "   ",      "caso",    "CASO",      "Intestazione", "Manca",    " Semplice"};

    QStringList unaAllaVolta;
    for (const QString& nome : domande)
        unaAllaVolta.append(Carica(tabx, nome));
    EXPECT_EQ(unaAllaVolta, QStringList({"uno", "due", "due", "due", "tre", "", "vuoto", "vuoto", "minuscolo", "",
                                         "con blanco", "", ""}));

    QStringList inBlocco;
    ContaIstruzioni istruzioni;
    {
        const TTabXForm::TParametriInBlocco blocco(tabx);
        for (const QString& nome : domande)
            inBlocco.append(Carica(tabx, nome));
    }
    EXPECT_EQ(inBlocco, unaAllaVolta);
    EXPECT_EQ(istruzioni.Conta, 1);
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(Norvane, ABlockReadsAgainAfterAWriteOrAnotherCompany) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {InsertAlfa});
    MessaggiInstallati msg;
    TabXConUtente tabx(TTabXForm::SorgenteDatabase, 7, "ALFA", "B");
    tabx.Crea();
    tabx.SettaParametro("P", "prima");

    const TTabXForm::TParametriInBlocco blocco(tabx);
    EXPECT_EQ(Carica(tabx, "P"), "prima");
    // The write restarts the users transaction: the next answer is read again.
    tabx.SettaParametro("P", "dopo");
    EXPECT_EQ(Carica(tabx, "P"), "dopo");
    tabx.CambiaDitta("C");
    EXPECT_EQ(Carica(tabx, "P"), "");
    tabx.SettaParametro("P", "di C");
    tabx.CambiaDitta("B");
    EXPECT_EQ(Carica(tabx, "P"), "dopo");
    // A company changed by another workstation is not seen inside the transaction, as one
    // read per name would not see it either.
    InstallazioneDiProva::Esegui(inst.FileUtenti(), {"UPDATE TABNORVANE SET VALORE='altrove' WHERE PARAMETRO='P' "
                                                     "AND INTESTAZIONE='B'"});
    EXPECT_EQ(Carica(tabx, "P"), "dopo");
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

} // namespace
