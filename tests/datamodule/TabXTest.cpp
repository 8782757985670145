#include "datamodule/TabX.h"
#include "fb/Errore.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Percorsi.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

using prova::InstallazioneDiProva;

namespace {

const InstallazioneDiProva::Opzioni Vuota{false, false};

QString ValoreUtenti(TTabXForm& tabx, const QString& istruzione) {
    fb::TQuery q(&tabx.IBDatabaseUser, &tabx.TransazioneUser);
    q.SQL.Add(istruzione);
    q.Open();
    return q.Eof() ? QString() : q.Fields(0).AsString();
}

int ColonneTabScript(TTabXForm& tabx) {
    return ValoreUtenti(tabx, "SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='TABSCRIPT'")
        .toInt();
}

TEST(TabX, FirstStartCreatesUserDirectoryDatabaseAndTabScriptSecondChangesNothing) {
    InstallazioneDiProva installazione(Vuota);
    {
        MessaggiInstallati msg;
        TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
        tabx.Crea();
        EXPECT_EQ(msg->Testi(), QStringList{"Effettuata creazione data base"});
        ASSERT_TRUE(tabx.IBDatabaseUser.Connected());
        EXPECT_EQ(tabx.IBDatabaseUser.DatabaseName, installazione.FileUtenti());
        EXPECT_EQ(ValoreUtenti(tabx, "SELECT MON$PAGE_SIZE FROM MON$DATABASE"), "4096");
        EXPECT_EQ(ValoreUtenti(tabx, "SELECT MON$SQL_DIALECT FROM MON$DATABASE"), "3");
        EXPECT_EQ(ColonneTabScript(tabx), 9);
        EXPECT_EQ(tabx.GetVerde(), installazione.Directory() + "Grafica\\Verde.bmp");
        EXPECT_TRUE(tabx.MemTabX.Active());
    }
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    EXPECT_TRUE(msg->Testi().isEmpty());
    EXPECT_EQ(ColonneTabScript(tabx), 9);
    EXPECT_EQ(ValoreUtenti(tabx, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG=0"), "1");
}

TEST(TabX, ExistingTabScriptIsLeftAsItIs) {
    InstallazioneDiProva installazione;
    InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                 {"CREATE TABLE TABSCRIPT (PROGETTO VARCHAR(15), ALTRO INTEGER)"});
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    EXPECT_TRUE(msg->Testi().isEmpty());
    EXPECT_EQ(ColonneTabScript(tabx), 2);
}

TEST(TabX, UsersDatabaseThatCannotOpenIsReportedAndTheProbeRaises) {
    InstallazioneDiProva installazione(Vuota);
    // A file where the "user" directory should be: nothing can be opened or created there.
    QFile ostacolo(installazione.Directory() + "user");
    ASSERT_TRUE(ostacolo.open(QIODevice::WriteOnly));
    ostacolo.close();
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    EXPECT_THROW(tabx.Crea(), fb::EErroreDB);
    // The engine's reason first; no location dialog for a place that exists.
    ASSERT_EQ(msg->Testi().size(), 2);
    EXPECT_TRUE(msg->Testi()[0].startsWith("Impossibile aprire il database " + installazione.Directory() +
                                           "user/user.fdb\n\n"))
        << msg->Testi()[0].toStdString();
    EXPECT_TRUE(msg->Testi()[0].contains("Not a directory")) << msg->Testi()[0].toStdString();
    EXPECT_EQ(msg->Testi()[1], "Errore inizializzazione database utenti");
    EXPECT_EQ(msg->Mostrati.back().tipo, piattaforma::TipoMessaggio::Errore);
    EXPECT_FALSE(tabx.IBDatabaseUser.Connected());
}

TEST(TabX, UsersDatabaseThroughServerNameAndAlias) {
    const QString alias = qEnvironmentVariable("QUENDRA_ALIAS_PROVA");
    const QString fileAlias = qEnvironmentVariable("QUENDRA_ALIAS_FILE");
    if (!prova::ServerDisponibile() || alias.isEmpty() || fileAlias.isEmpty())
        GTEST_SKIP() << "needs the server and its test alias (QUENDRA_ALIAS_PROVA, QUENDRA_ALIAS_FILE)";
    QDir().mkpath(QFileInfo(fileAlias).path());
    QFile::remove(fileAlias);

    InstallazioneDiProva installazione(Vuota);
    QDir(installazione.Directory()).mkpath("user");
    QFile dati(installazione.Directory() + "user/dati.ini");
    ASSERT_TRUE(dati.open(QIODevice::WriteOnly));
    dati.write("[CONFIG]\r\nNome Server=" + prova::ServerDiProva().toUtf8() + "\r\nAlias=" +
               alias.toUtf8() + "\r\n");
    dati.close();
    {
        MessaggiInstallati msg;
        TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
        tabx.Crea();
        EXPECT_EQ(tabx.IBDatabaseUser.DatabaseName, prova::ServerDiProva() + ":" + alias);
        EXPECT_TRUE(tabx.IBDatabaseUser.Connected());
        EXPECT_EQ(ColonneTabScript(tabx), 9);
        EXPECT_EQ(msg->Testi(), QStringList{"Effettuata creazione data base"});
    }
    EXPECT_TRUE(QFile::exists(fileAlias));
    EXPECT_FALSE(QFile::exists(installazione.FileUtenti()));
    QFile::remove(fileAlias);
}

TEST(TabX, ArchiveOpensByTheNamedEntryWhicheverSeparators) {
    InstallazioneDiProva installazione;
    QString windows = installazione.FileArchivio();
    windows.replace('/', '\\');
    for (const QString& percorso : {installazione.FileArchivio(), "Z:" + windows}) {
        MessaggiInstallati msg;
        TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
        tabx.Crea();
        tabx.Inserisci("QVR", "Archivio", "", percorso, "", "", "", "", "0");
        tabx.ConnettiDatabase1("Archivio");
        EXPECT_TRUE(tabx.IBDatabase1.Connected()) << qPrintable(percorso);
        EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
    }
}

// The whole path reaches the engine: a cut one named a file nobody had, and got it created.
TEST(TabX, AnArchivePathOfAnyLengthOpensThatVeryFile) {
    InstallazioneDiProva installazione;
    const QString archivio = installazione.Directory() + QString(150, u'c') + ".fdb";
    {
        fb::TDatabase db;
        prova::CreaDatabaseVuoto(db, archivio);
    }
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    tabx.Inserisci("QVR", "Archivio", "", archivio, "", "", "", "", "0");
    tabx.ConnettiDatabase1("Archivio");
    EXPECT_TRUE(tabx.IBDatabase1.Connected());
    EXPECT_EQ(tabx.IBDatabase1.DatabaseName, archivio);
    EXPECT_EQ(QDir(installazione.Directory()).entryList({"*.fdb"}).size(), 1);
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(TabX, ArchiveThatCannotOpenSaysSoAndStaysClosed) {
    InstallazioneDiProva installazione;
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    tabx.Inserisci("QVR", "Altro", "", installazione.Directory() + "manca/dentro/x.fdb", "", "", "",
                   "", "0");
    tabx.ConnettiDatabase3("Altro");
    EXPECT_FALSE(tabx.IBDatabase3.Connected());
    // The engine's reason, then the data module's own box; no location dialog.
    ASSERT_EQ(msg->Testi().size(), 2) << msg->Testi().join('|').toStdString();
    EXPECT_TRUE(msg->Testi()[0].startsWith("Impossibile aprire il database " + installazione.Directory() +
                                           "manca/dentro/x.fdb\n\n"))
        << msg->Testi()[0].toStdString();
    EXPECT_EQ(msg->Testi()[1], "Errore apertura archivio");
    EXPECT_FALSE(QFile::exists(installazione.Directory() + "manca"));
}

// An empty or partial path would name a database in the working directory: the archive
// open before is closed, nothing is opened or created, and the box says why.
TEST(TabX, AnArchiveWithoutACompletePathIsNeitherOpenedNorCreated) {
    InstallazioneDiProva installazione;
    const QString corrente = QDir::currentPath();
    const QStringList prima = QDir(corrente).entryList({"*.fdb"});
    for (const QString& percorso : {QString(), QStringLiteral("archivio.fdb"), QStringLiteral("dati\\archivio.fdb"),
                                    QStringLiteral("C:archivio.fdb")}) {
        SCOPED_TRACE(percorso.toStdString());
        MessaggiInstallati msg;
        TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
        tabx.Crea();
        tabx.Inserisci("QVR", "Archivio", "", installazione.FileArchivio(), "", "", "", "", "0");
        tabx.ConnettiDatabase1("Archivio");
        ASSERT_TRUE(tabx.IBDatabase1.Connected());
        tabx.SetV("Archivio", percorso);
        tabx.ConnettiDatabase1("Archivio");
        EXPECT_FALSE(tabx.IBDatabase1.Connected());
        ASSERT_EQ(msg->Testi().size(), 1) << msg->Testi().join('|').toStdString();
        EXPECT_TRUE(msg->Testi()[0].startsWith("Errore apertura archivio\n\nIl percorso dell'archivio "))
            << msg->Testi()[0].toStdString();
        EXPECT_EQ(QDir(corrente).entryList({"*.fdb"}), prima);
    }
}

TEST(TabX, SettaFileIniBeforeAnyUserWritesTheFileOfUserZero) {
    InstallazioneDiProva installazione(Vuota);
    QDir(installazione.Directory()).mkpath("NOMIDIT/USERCFG");
    TTabXForm tabx(nullptr, TTabXForm::SorgenteNessuna);
    tabx.Crea();
    tabx.SettaFileIni("STATUS MACCHINA", "UltimaDitta", "ALFA SRL");
    QFile file(installazione.Directory() + "NOMIDIT/USERCFG/0 .INI");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("UltimaDitta=ALFA SRL"));
}

TEST(TabX, WithoutUsersSourceNoDatabaseIsTouched) {
    InstallazioneDiProva installazione(Vuota);
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteNessuna);
    tabx.Crea();
    EXPECT_FALSE(tabx.IBDatabaseUser.Connected());
    EXPECT_FALSE(QDir(installazione.Directory() + "user").exists());
    EXPECT_TRUE(tabx.GetVerde().isEmpty());
    EXPECT_TRUE(tabx.MemTabX.Active());
    EXPECT_EQ(tabx.GetNumUser(), 0);
    EXPECT_TRUE(msg->Testi().isEmpty());
}

} // namespace
