#include "db/ZavDB.h"
#include "db/Zavin2.h"
#include "fb/Database.h"
#include "fixture/ConnettoreRegistrato.h"
#include "fixture/DatabaseDiProva.h"
#include "fixture/Dialoghi.h"
#include "fixture/IniInMemoria.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Ini.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using prova::ConnettoreRegistrato;

namespace {

const QString NonTrovato = QStringLiteral("Non trovato dati.ini");
const QString NonRiuscita = QStringLiteral("Apertura / creazione del database non riuscita!");
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
};

void PrintTo(const Caso& caso, std::ostream* os) { *os << caso.nome; }

QStringList Coppia(const QString& nome) {
    return {QStringLiteral("attacca ") + nome, QStringLiteral("crea ") + nome};
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
    if (caso.dialogo) {
        prova::QuandoSiApre<TZavIn2Form>([risposta = *caso.dialogo](TZavIn2Form& dialogo) {
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
    for (auto [chiave, valore] : caso.scritti.asKeyValueRange())
        EXPECT_EQ(ini.Leggi(fileDati, QStringLiteral("config"), chiave), valore) << qPrintable(chiave);
}

INSTANTIATE_TEST_SUITE_P(
    , FormeNomeDatabase,
    ::testing::Values(
        Caso{"AliasFirstThenCreationOnTheAliasThenLocal", Z, "user.fdb",
             {{"Nome Server", "SRV"}, {"Alias", "ARCHIVIO"}}, {},
             Coppia("SRV:ARCHIVIO") + Coppia(ZLocale) + Coppia("SRV:Z:\\Gestionale\\user\\user.fdb"),
             {}, {}},
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
             {"Attenzione: il disco con gli archivi è stato condiviso in rete con un nome - Dati - e "
              "non con la lettera che lo identifica. Si consiglia di correggere la condivisione "
              "oppure di correggere manualmente la sezione Percorso Nel Server nel file Dati.ini "
              "accanto al database"},
             {}},
        Caso{"MappedDriveWithServerAndLetterAsksNothing", Z, "user.fdb",
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}}, {},
             Coppia(ZLocale) + Coppia("SRV:C:\\Gestionale\\user\\user.fdb"), {}, {}},
        Caso{"DialogAnswerWithLetterWritesBothKeys", Z, "user.fdb", {}, Risposta{"SRV", "C"},
             Coppia(ZLocale) + Coppia("SRV:C:\\Gestionale\\user\\user.fdb"), {NonTrovato},
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}}},
        Caso{"DialogAnswerWithoutLetterKeepsTheDrive", Z, "user.fdb", {}, Risposta{"SRV", ""},
             Coppia(ZLocale) + Coppia("SRV:Z:\\Gestionale\\user\\user.fdb"), {NonTrovato},
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", ""}}},
        Caso{"DialogCancelled", Z, "user.fdb", {}, Risposta{"SRV", "C", false}, Coppia(ZLocale),
             {NonTrovato, NonRiuscita}, {{"Nome Server", ""}}},
        Caso{"DirectoryWithoutFinalSeparator", "Z:\\Gestionale\\user", "user.fdb",
             {{"Nome Server", "SRV"}, {"Lettera Disco Server", "C"}}, {},
             Coppia(ZLocale) + Coppia("SRV:C:\\Gestionale\\user\\user.fdb"), {}, {}},
        Caso{"SlashSeparatedDirectoryAndEmptyFileName", "/srv/gest/user/", "",
             {{"Nome Server", "SRV"}}, {},
             Coppia("/srv/gest/user/archivio.fdb") + Coppia("SRV:/srv/gest/user/archivio.fdb"), {},
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

TEST(ApriCreaDatabase, UnreachableServerNameFailsWithoutHanging) {
    MessaggiInstallati msg;
    fb::TDatabase db;
    EXPECT_FALSE(ConnettiOCreaDatabase(db, "/tmp/x.fdb", "server-che-non-esiste.invalid", "", "", ""));
    EXPECT_TRUE(msg->Testi().isEmpty());
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
