#include "db/ZavDB.h"
#include "db/Zavin2.h"
#include "fb/Database.h"
#include "fixture/ConnettoreRegistrato.h"
#include "fixture/DatabaseDiProva.h"
#include "fixture/Dialoghi.h"
#include "fixture/IniInMemoria.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Ini.h"
#include "piattaforma/Percorsi.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

using prova::ConnettoreRegistrato;

namespace {

const QString NonTrovato = QStringLiteral("Non trovato dati.ini");
const QString NonRiuscita = QStringLiteral("Apertura / creazione del database non riuscita!");

QString CondivisaConNome(const QString& nome) {
    return QStringLiteral("Attenzione: il disco con gli archivi è stato condiviso in rete con un nome - %1 - e non "
                          "con la lettera che lo identifica. Si consiglia di correggere la condivisione oppure di "
                          "correggere manualmente la sezione Percorso Nel Server nel file Dati.ini accanto al "
                          "database")
        .arg(nome);
}

const QString Nonostante = QStringLiteral(
    "Errore: nonostante le configurazioni, il particolare percorso di rete sta rendendo "
    "impossibile l'attivazione del database");

struct Risposta {
    QString Server;
    QString Disco;
    bool Conferma = true;
};

struct Caso {
    const char* nome;
    QString directory;
    QString file;
    QMap<QString, QString> dati; // keys of [CONFIG] in the directory's dati.ini
    std::optional<Risposta> dialogo;
    QStringList tentativi;
    QStringList messaggi;
    QMap<QString, QString> scritti; // keys expected in dati.ini afterwards
    ConnettoreRegistrato::Guasto guasto = ConnettoreRegistrato::Guasto::FileInesistente;
};

void PrintTo(const Caso& caso, std::ostream* os) { *os << caso.nome; }

QStringList Coppia(const QString& nome) {
    return {QStringLiteral("attacca ") + nome, QStringLiteral("crea ") + nome};
}

QStringList Attacca(const QString& nome) { return {QStringLiteral("attacca ") + nome}; }

// The box that gives the engine's reason, as ConnettoreRegistrato words it.
QString Causa(ConnettoreRegistrato::Guasto guasto, const QString& nome) {
    const QString intestazione = guasto == ConnettoreRegistrato::Guasto::ServerIrraggiungibile
                                     ? QStringLiteral("Il server del database non risponde: ")
                                     : QStringLiteral("Impossibile aprire il database ");
    return intestazione + nome + QStringLiteral("\n\n") + ConnettoreRegistrato::Errore(guasto, nome).Messaggio();
}

const QString Z = QStringLiteral("Z:\\Gestionale\\user\\");
const QString ZLocale = QStringLiteral("/Gestionale/user/user.fdb");

class FormeNomeDatabase : public ::testing::TestWithParam<Caso> {};

TEST_P(FormeNomeDatabase, TriesTheNamesInOrder) {
    const Caso& caso = GetParam();
    ProfiliIniInMemoria ini;
    piattaforma::ImpostaIni(&ini);
    // dati.ini lies in the directory, whether or not the caller gave its final separator.
    QString directory = caso.directory;
    if (!directory.endsWith('\\') && !directory.endsWith('/'))
        directory += '\\';
    const QString fileDati = directory + QStringLiteral("dati.ini");
    for (auto [chiave, valore] : caso.dati.asKeyValueRange())
        ini.Imposta(fileDati, QStringLiteral("CONFIG"), chiave, valore);
    MessaggiInstallati msg;
    ConnettoreRegistrato connettore;
    connettore.GuastoAttacco = caso.guasto;
    QString titolo, etichetta;
    if (caso.dialogo) {
        prova::QuandoSiApre<TZavIn2Form>([&titolo, &etichetta, risposta = *caso.dialogo](TZavIn2Form& dialogo) {
            titolo = dialogo.windowTitle();
            etichetta = dialogo.Label1->text();
            dialogo.Edit1->setText(risposta.Server);
            dialogo.Edit2->setText(risposta.Disco);
            (risposta.Conferma ? dialogo.ButtonOK : dialogo.ButtonCancel)->click();
        });
    }

    fb::TDatabase db;
    const bool ok = ApriCreaDatabase(db, caso.directory, caso.file, {}, {}, nullptr);
    piattaforma::ImpostaIni(nullptr);

    EXPECT_FALSE(ok);
    EXPECT_FALSE(db.Connected());
    EXPECT_EQ(connettore.Tentativi, caso.tentativi);
    EXPECT_EQ(msg->Testi(), caso.messaggi);
    if (caso.dialogo) {
        EXPECT_EQ(titolo, NonTrovato);
        EXPECT_EQ(etichetta, "Inserire il nome del computer e la lettera della sua\n"
                             "unità disco dove risulta ospitato (o sarà ospitato) il database");
    }
    for (auto [chiave, valore] : caso.scritti.asKeyValueRange())
        EXPECT_EQ(ini.Leggi(fileDati, QStringLiteral("config"), chiave), valore) << qPrintable(chiave);
}

INSTANTIATE_TEST_SUITE_P(
    , FormeNomeDatabase,
    ::testing::Values(
        // A server named in dati.ini holds the database: the local path is only opened.
        Caso{"AliasFirstThenCreationOnTheAliasThenLocal", Z, "user.fdb",
             {{"Nome Server", "SRV"}, {"Alias", "ARCHIVIO"}}, {},
             Coppia("SRV:ARCHIVIO") + Attacca(ZLocale) + Coppia("SRV:Z:\\Gestionale\\user\\user.fdb"),
             {}, {}},
        Caso{"UnreachableServerOfTheAliasStopsEverything", Z, "user.fdb",
             {{"Nome Server", "SRV"}, {"Alias", "ARCHIVIO"}}, {}, Attacca("SRV:ARCHIVIO"),
             {Causa(ConnettoreRegistrato::Guasto::ServerIrraggiungibile, "SRV:ARCHIVIO")}, {},
             ConnettoreRegistrato::Guasto::ServerIrraggiungibile},
        Caso{"AFileThatCannotBeOpenedStopsBeforeTheDialog", Z, "user.fdb", {}, {}, Attacca(ZLocale),
             {Causa(ConnettoreRegistrato::Guasto::FileNonValido, ZLocale)}, {{"Nome Server", ""}},
             ConnettoreRegistrato::Guasto::FileNonValido},
        Caso{"ServerPathIsTheOnlyAttemptAndSilent", Z, "",
             {{"Nome Server", "SRV"}, {"PercorsoDatabase", "C:\\Archivi"}}, {},
             Coppia("\\\\SRV\\C:\\Archivi\\archivio.fdb"), {}, {}},
        Caso{"DriveSharedUnderItsLetter", "\\\\SRV\\C\\Gestionale\\user\\", "user.fdb", {},
             Risposta{"", "", false}, Coppia("SRV:C:\\Gestionale\\user\\user.fdb"),
             {NonTrovato, NonRiuscita}, {}},
        Caso{"NamedShareWithPathOnTheServer", "\\\\SRV\\Dati\\user\\", "user.fdb",
             {{"Percorso Nel Server", "D:\\Gestionale\\user\\"}}, {},
             Coppia("SRV:D:\\Gestionale\\user\\user.fdb"), {Nonostante}, {}},
        Caso{"NamedShareWithoutPathOpensNothing", "\\\\SRV\\Dati\\user\\", "user.fdb", {}, {}, {},
             {CondivisaConNome("Dati")}, {}},
        Caso{"MappedDriveWithServerAndLetterAsksNothing", Z, "user.fdb",
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}}, {},
             Attacca(ZLocale) + Coppia("SRV:C:\\Gestionale\\user\\user.fdb"), {}, {}},
        Caso{"DialogAnswerWithLetterWritesBothKeys", Z, "user.fdb", {}, Risposta{"SRV", "C"},
             Coppia(ZLocale) + Coppia("SRV:C:\\Gestionale\\user\\user.fdb"), {NonTrovato},
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}}},
        Caso{"DialogAnswerWithoutLetterKeepsTheDrive", Z, "user.fdb", {}, Risposta{"SRV", ""},
             Coppia(ZLocale) + Coppia("SRV:Z:\\Gestionale\\user\\user.fdb"), {NonTrovato},
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", ""}}},
        Caso{"DialogCancelled", Z, "user.fdb", {}, Risposta{"SRV", "C", false}, Coppia(ZLocale),
             {NonTrovato, NonRiuscita}, {{"Nome Server", ""}}},
        // Confirming without a server chooses no place: dati.ini stays as it was.
        Caso{"DialogConfirmedEmpty", Z, "user.fdb", {}, Risposta{"", "C"}, Coppia(ZLocale),
             {NonTrovato, NonRiuscita}, {{"Nome Server", ""}, {"Lettera Disco Server", ""}}},
        Caso{"DirectoryWithoutFinalSeparator", "Z:\\Gestionale\\user", "user.fdb",
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}}, {},
             Attacca(ZLocale) + Coppia("SRV:C:\\Gestionale\\user\\user.fdb"), {}, {}},
        Caso{"SlashSeparatedDirectoryAndEmptyFileName", "/srv/gest/user/", "",
             {{"Nome Server", "SRV"}}, {},
             Attacca("/srv/gest/user/archivio.fdb") + Coppia("SRV:/srv/gest/user/archivio.fdb"), {},
             {}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(ApriCreaDatabase, ReadsARealDatiIniWithOtherCaseCrlfAndBlanks) {
    prova::CartellaProva dir;
    QFile dati(dir.File("dati.ini"));
    ASSERT_TRUE(dati.open(QIODevice::WriteOnly));
    dati.write("; written by hand\r\n[config]\r\nnome server = SRV \r\nALIAS=Archivio Principale\r\n");
    dati.close();
    MessaggiInstallati msg;
    ConnettoreRegistrato connettore;
    fb::TDatabase db;
    EXPECT_FALSE(ApriCreaDatabase(db, dir.Percorso(), "x.fdb", {}, {}, nullptr));
    ASSERT_GE(connettore.Tentativi.size(), 2);
    EXPECT_EQ(connettore.Tentativi.mid(0, 2), Coppia("SRV:Archivio Principale"));
    ASSERT_FALSE(connettore.Istruzioni.isEmpty());
    EXPECT_EQ(connettore.Istruzioni.first(), "CREATE DATABASE 'SRV:Archivio Principale' "
                                             "USER \"SYSDBA\"\nPASSWORD \"quillpond\"\nPAGE_SIZE 4096\n");
}

TEST(ApriCreaDatabase, GivenUserAndPasswordReplaceTheDefaults) {
    MessaggiInstallati msg;
    ConnettoreRegistrato connettore;
    fb::TDatabase db;
    EXPECT_FALSE(ConnettiOCreaDatabase(db, "C:\\x.fdb", "SRV", "", "ALFA", "segreta"));
    EXPECT_EQ(db.Params, QStringList({"USER \"ALFA\"", "PASSWORD \"segreta\"", "PAGE_SIZE 4096"}));
}

TEST(ApriCreaDatabase, LocalDirectoryWithoutDatiIniCreatesThenOpens) {
    prova::CartellaProva dir;
    MessaggiInstallati msg;
    fb::TDatabase db;
    ASSERT_TRUE(ApriCreaDatabase(db, dir.Percorso(), "", {}, {}, nullptr));
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(QFile::exists(dir.File("archivio.fdb")));
    EXPECT_EQ(msg->Testi(), QStringList{"Effettuata creazione data base"});
    db.Close();
    msg->Svuota();
    ASSERT_TRUE(ApriCreaDatabase(db, dir.Percorso(), "archivio.fdb", {}, {}, nullptr));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST(ApriCreaDatabase, ThroughTheLoopbackServer) {
    if (!prova::ServerDisponibile())
        GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
    prova::CartellaProva dir;
    MessaggiInstallati msg;
    fb::TDatabase db;
    ASSERT_TRUE(ConnettiOCreaDatabase(db, dir.File("server.fdb"), prova::ServerDiProva(), "", "", ""));
    EXPECT_EQ(db.DatabaseName, prova::ServerDiProva() + ":" + dir.File("server.fdb"));
    EXPECT_EQ(msg->Testi(), QStringList{"Effettuata creazione data base"});
    db.Close();
    msg->Svuota();
    ASSERT_TRUE(ConnettiOCreaDatabase(db, dir.File("server.fdb"), prova::ServerDiProva(), "", "", ""));
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(msg->Testi().isEmpty());
}

void ScriviDati(const QString& directory, const QMap<QString, QString>& dati) {
    for (auto [chiave, valore] : dati.asKeyValueRange())
        piattaforma::ScriviIni(directory + QStringLiteral("dati.ini"), QStringLiteral("CONFIG"), chiave, valore);
}

// A database already open on the connection, to see that a failed open does not leave it.
void ApriUnAltro(fb::TDatabase& db, const prova::CartellaProva& dir) {
    prova::CreaDatabaseVuoto(db, dir.File("altro.fdb"));
    ASSERT_TRUE(db.Connected());
}

// Cancels the location dialog should it open while the guard lives, and says so.
class DialogoVietato {
public:
    DialogoVietato() {
        timer_.callOnTimeout([this] {
            for (QWidget* finestra : QApplication::topLevelWidgets()) {
                if (auto* dialogo = qobject_cast<TZavIn2Form*>(finestra); dialogo && dialogo->isVisible()) {
                    Aperto = true;
                    dialogo->ButtonCancel->click();
                }
            }
        });
        timer_.start(5);
    }
    bool Aperto = false;

private:
    QTimer timer_;
};

// Nobody listens on port 1 of the loopback: the engine's own "network request" error.
TEST(ApriCreaDatabase, AServerThatDoesNotAnswerIsReportedAndNothingIsOpenedOrCreatedInItsStead) {
    struct Configurazione {
        QMap<QString, QString> dati;
        std::function<QString(const prova::CartellaProva&)> nome; // the database the box names
    };
    const Configurazione configurazioni[] = {
        {{{"Nome Server", "127.0.0.1/1"}, {"Alias", "ARCHIVIO"}},
         [](const prova::CartellaProva&) { return QStringLiteral("ARCHIVIO"); }},
        {{{"Nome Server", "127.0.0.1/1"}, {"Lettera Disco Server", "C"}},
         [](const prova::CartellaProva& dir) { return "C:" + QString(dir.File("user.fdb")).replace('/', '\\'); }},
    };
    for (const auto& [dati, nome] : configurazioni) {
        prova::CartellaProva dir;
        ScriviDati(dir.Percorso(), dati);
        MessaggiInstallati msg;
        fb::TDatabase db;
        ApriUnAltro(db, dir);
        EXPECT_FALSE(ApriCreaDatabase(db, dir.Percorso(), "user.fdb", {}, {}, nullptr));
        EXPECT_FALSE(db.Connected());
        EXPECT_FALSE(QFile::exists(dir.File("user.fdb")));
        ASSERT_EQ(msg->Testi().size(), 1) << msg->Testi().join('|').toStdString();
        EXPECT_TRUE(msg->Testi()[0].startsWith("Il server del database non risponde: 127.0.0.1/1:" + nome(dir) + "\n\n"))
            << msg->Testi()[0].toStdString();
        EXPECT_TRUE(msg->Testi()[0].contains("Unable to complete network request")) << msg->Testi()[0].toStdString();
    }
}

// A file that is there but is no database the engine can open is never replaced: its reason
// is shown, no dialog asks for a server, dati.ini is not written.
TEST(ApriCreaDatabase, AFileInTheWayIsReportedWithTheEngineReasonAndLeftAlone) {
    struct Ostacolo {
        const char* nome;
        std::function<void(const QString&)> prepara;
    };
    const Ostacolo ostacoli[] = {
        {"not a database", [](const QString& p) { QFile f(p); f.open(QIODevice::WriteOnly); f.write(QByteArray(9000, 'x')); }},
        {"empty file", [](const QString& p) { QFile f(p); f.open(QIODevice::WriteOnly); }},
        {"a directory", [](const QString& p) { QDir().mkdir(p); }},
    };
    for (const Ostacolo& ostacolo : ostacoli) {
        prova::CartellaProva dir;
        ostacolo.prepara(dir.File("user.fdb"));
        const QFileInfo prima(dir.File("user.fdb"));
        MessaggiInstallati msg;
        DialogoVietato dialogo;
        fb::TDatabase db;
        ApriUnAltro(db, dir);
        EXPECT_FALSE(ApriCreaDatabase(db, dir.Percorso(), "user.fdb", {}, {}, nullptr)) << ostacolo.nome;
        EXPECT_FALSE(db.Connected()) << ostacolo.nome;
        ASSERT_EQ(msg->Testi().size(), 1) << ostacolo.nome << ": " << msg->Testi().join('|').toStdString();
        EXPECT_TRUE(msg->Testi()[0].startsWith("Impossibile aprire il database " + dir.File("user.fdb") + "\n\n"))
            << msg->Testi()[0].toStdString();
        EXPECT_GT(msg->Testi()[0].size(), 40 + dir.File("user.fdb").size()) << "the engine's text is missing";
        EXPECT_FALSE(QFile::exists(dir.File("dati.ini"))) << ostacolo.nome;
        const QFileInfo dopo(dir.File("user.fdb"));
        EXPECT_EQ(dopo.size(), prima.size()) << ostacolo.nome;
        EXPECT_EQ(dopo.isDir(), prima.isDir()) << ostacolo.nome;
        EXPECT_FALSE(dialogo.Aperto) << ostacolo.nome;
    }
}

TEST(ApriCreaDatabase, TheStopOfANamedShareLeavesThePreviousDatabaseClosed) {
    prova::CartellaProva dir;
    MessaggiInstallati msg;
    fb::TDatabase db;
    ApriUnAltro(db, dir);
    EXPECT_FALSE(ApriCreaDatabase(db, "\\\\SRV\\Dati\\user\\", "user.fdb", {}, {}, nullptr));
    EXPECT_FALSE(db.Connected());
    EXPECT_EQ(msg->Testi(), QStringList{CondivisaConNome("Dati")});
}

// File names reach the system in its own encoding (UTF-8), not in the databases' code page.
TEST(ApriCreaDatabase, AnAccentedFolderIsCreatedAndOpenedByItsName) {
    prova::CartellaProva dir;
    const QString cartella = dir.File(QStringLiteral("Società Alfa/"));
    ASSERT_TRUE(QDir().mkdir(cartella));
    ScriviDati(cartella, {{"Alias", "non usato senza server"}});
    MessaggiInstallati msg;
    fb::TDatabase db;
    ASSERT_TRUE(ApriCreaDatabase(db, cartella, "archivio.fdb", {}, {}, nullptr)) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(msg->Testi(), QStringList{"Effettuata creazione data base"});
    EXPECT_TRUE(QFileInfo(cartella + "archivio.fdb").isFile());
    EXPECT_EQ(QDir(dir.Percorso()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"Società Alfa"});
    db.Close();
    msg->Svuota();
    ASSERT_TRUE(ApriCreaDatabase(db, cartella, "archivio.fdb", {}, {}, nullptr));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

// A second process of the same installation holds the database open the whole time.
TEST(ApriCreaDatabase, TwoProcessesOfOneInstallationShareTheEmbeddedDatabase) {
    prova::CartellaProva dir;
    {
        MessaggiInstallati msg;
        fb::TDatabase db;
        ASSERT_TRUE(ApriCreaDatabase(db, dir.Percorso(), "user.fdb", {}, {}, nullptr));
    }
    QProcess altro;
    altro.start(QCoreApplication::applicationDirPath() + "/TieniAperto", {dir.File("user.fdb")});
    ASSERT_TRUE(altro.waitForReadyRead(20000)) << altro.readAllStandardError().toStdString();
    ASSERT_EQ(altro.readLine().trimmed(), "aperto") << altro.readAllStandardError().toStdString();

    MessaggiInstallati msg;
    fb::TDatabase db;
    EXPECT_TRUE(ApriCreaDatabase(db, dir.Percorso(), "user.fdb", {}, {}, nullptr));
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_TRUE(db.Connected());
    db.Close();

    altro.closeWriteChannel();
    ASSERT_TRUE(altro.waitForFinished(20000));
    EXPECT_EQ(altro.exitCode(), 0) << altro.readAllStandardError().toStdString();
}

// With a drive letter for the server, a path of this system takes its drive-letter form
// from the "dosdevices" links first.
TEST(ApriCreaDatabase, TheServerLetterReplacesTheDriveOfTheMappedPath) {
    prova::CartellaProva installazione;
    const QString radice = installazione.File("dati/");
    ASSERT_TRUE(QDir().mkpath(radice + "user"));
    ASSERT_TRUE(QDir().mkdir(installazione.File("dosdevices")));
    ASSERT_TRUE(QFile::link(radice, installazione.File("dosdevices/d:")));
    piattaforma::ImpostaDirectoryEseguibile(installazione.Percorso());
    ScriviDati(radice + "user/", {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}});
    MessaggiInstallati msg;
    ConnettoreRegistrato connettore;
    fb::TDatabase db;
    EXPECT_FALSE(ApriCreaDatabase(db, radice + "user\\", "user.fdb", {}, {}, nullptr));
    piattaforma::ImpostaDirectoryEseguibile({});
    EXPECT_EQ(connettore.Tentativi, Attacca(radice + "user/user.fdb") + Coppia("SRV:C:\\user\\user.fdb"));
}

TEST(ApriCreaDatabase, AMissingDatabaseOnTheServerIsCreatedThere) {
    if (!prova::ServerDisponibile())
        GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
    prova::CartellaProva dir;
    MessaggiInstallati msg;
    fb::TDatabase db;
    ASSERT_TRUE(ConnettiOCreaDatabase(db, dir.File("nuovo.fdb"), prova::ServerDiProva(), "", "", ""));
    EXPECT_EQ(msg->Testi(), QStringList{"Effettuata creazione data base"});
    // A file on the server that is not a database stays as it is.
    db.Close();
    msg->Svuota();
    {
        QFile f(dir.File("rotto.fdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(9000, 'x'));
    }
    EXPECT_FALSE(ConnettiOCreaDatabase(db, dir.File("rotto.fdb"), prova::ServerDiProva(), "", "", ""));
    ASSERT_EQ(msg->Testi().size(), 1);
    EXPECT_TRUE(msg->Testi()[0].startsWith("Impossibile aprire il database " + prova::ServerDiProva() + ":" +
                                           dir.File("rotto.fdb") + "\n\n"))
        << msg->Testi()[0].toStdString();
    EXPECT_EQ(QFileInfo(dir.File("rotto.fdb")).size(), 9000);
}

// The input dialog's endings.
TEST(ZavIn2Form, EnterConfirmsEscapeCancelsClosingLeavesZero) {
    struct Fine {
        const char* come;
        std::function<void(TZavIn2Form&)> azione;
        int risultato;
    };
    const Fine fini[] = {
        {"Enter in the second field", [](TZavIn2Form& d) { QTest::keyClick(d.Edit2, Qt::Key_Return); }, 1},
        {"Escape", [](TZavIn2Form& d) { QTest::keyClick(d.Edit1, Qt::Key_Escape); }, 2},
        {"Cancel", [](TZavIn2Form& d) { d.ButtonCancel->click(); }, 2},
        {"window closed", [](TZavIn2Form& d) { d.close(); }, 0},
    };
    for (const Fine& fine : fini) {
        TZavIn2Form dialogo;
        bool fuocoSulPrimo = false;
        prova::QuandoSiApre<TZavIn2Form>([&](TZavIn2Form& d) {
            fuocoSulPrimo = d.focusWidget() == d.Edit1;
            fine.azione(d);
        });
        EXPECT_EQ(dialogo.exec(), fine.risultato) << fine.come;
        EXPECT_TRUE(fuocoSulPrimo) << fine.come;
    }
}

} // namespace
