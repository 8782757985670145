// Two workstations as two real processes of the program, sharing the archive through the
// server: hundreds of launches of linked critical windows, each answer checked against what
// the semaphores allow, and the rows checked at the end.

#include "app/FinestraDiProva.h"
#include "fixture/DatabaseDiProva.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "piattaforma/Ini.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <iostream>
#include <random>
#include <set>

#include <csignal>

#include <sys/prctl.h>

namespace {

// One workstation: the program in a process of its own, driven line by line.
class Postazione {
public:
    Postazione(const QString& installazione, const QString& utente, const QString& password) {
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert("QT_QPA_PLATFORM", "offscreen");
        processo_.setProcessEnvironment(ambiente);
        processo_.start(QCoreApplication::applicationDirPath() + "/PostazioneDiProva",
                        {installazione, utente, password});
        const QString prima = Riga();
        if (prima.startsWith("entrato "))
            Sessione = prima.mid(8);
    }
    ~Postazione() {
        if (processo_.state() != QProcess::NotRunning) {
            processo_.kill();
            processo_.waitForFinished(5000);
        }
    }

    // What the program wrote to stderr so far: its boxes, one "box: ..." line each.
    QString Errori() { return errori_ += QString::fromUtf8(processo_.readAllStandardError()); }

    QString Comando(const QString& riga) {
        processo_.write((riga + "\n").toUtf8());
        return Riga();
    }
    bool Fine() {
        processo_.write("fine\n");
        processo_.closeWriteChannel();
        return processo_.waitForFinished(10000) && processo_.exitCode() == 0;
    }

    QString Sessione;

private:
    QString Riga() {
        QElapsedTimer orologio;
        orologio.start();
        while (!processo_.canReadLine() && orologio.elapsed() < 20000 && processo_.state() != QProcess::NotRunning)
            processo_.waitForReadyRead(1000);
        return QString::fromUtf8(processo_.readLine()).trimmed();
    }

    QProcess processo_;
    QString errori_;
};

class DuePostazioniInProcessi : public FinestraDiProva {};

TEST_F(DuePostazioniInProcessi, HundredsOfLaunchesOfLinkedCriticalWindowsKeepEveryRowRight) {
    if (!prova::ServerDisponibile())
        GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
    const QString dll = prova::PercorsoProvaFunzioni();
    Voce(2, "ApriX");
    Voce(3, "ApriY");
    // ApriY may not open while an ApriX or another ApriY is open, on either workstation.
    prova::InstallazioneDiProva::Esegui(
        installazione.FileArchivio(),
        {QStringLiteral("INSERT INTO SEMAFORIFCRITICHE (DLL, FORM, OSSERVATASPECIALE) VALUES ('%1', 'ApriX', 0)").arg(dll),
         QStringLiteral("INSERT INTO SEMAFORIFCRITICHE (DLL, FORM, OSSERVATASPECIALE) VALUES ('%1', 'ApriY', 1)").arg(dll),
         QStringLiteral("INSERT INTO SEMAFORIFCRITICHECOLL (DLLPRIN, FORMPRIN, DLLCOLLEGATA, FORMCOLLEGATA) "
                        "VALUES ('%1', 'ApriY', '%1', 'ApriX')")
             .arg(dll)});
    const QString archivio = prova::ServerDiProva() + ":" + installazione.FileArchivio();
    Utenti({"UPDATE TABNORVANE SET VALORE='" + archivio + "' WHERE PARAMETRO='Archivio'"});

    Postazione uno(installazione.Directory(), "ROSSI", "");
    Postazione due(installazione.Directory(), "D'ANGELO", "Perù");
    ASSERT_FALSE(uno.Sessione.isEmpty());
    ASSERT_FALSE(due.Sessione.isEmpty());
    EXPECT_NE(uno.Sessione, due.Sessione);

    std::mt19937 caso(20261210);
    std::set<QString> apertiX, apertiY;
    int lanci = 0, rifiuti = 0;
    QElapsedTimer orologio;
    orologio.start();
    const auto libera = [&](std::set<QString>& aperti, Postazione& p) {
        auto quale = aperti.begin();
        std::advance(quale, caso() % aperti.size());
        ASSERT_EQ(p.Comando("libera " + *quale), "ok");
        aperti.erase(quale);
    };
    for (int passo = 0; passo < 500; ++passo) {
        Postazione& p = caso() % 2 ? uno : due;
        const unsigned azione = caso() % 4;
        if (azione == 0 || (azione == 1 && apertiX.size() < 2)) {
            const QStringList esito = p.Comando("lancia 2").split(' ');
            ++lanci;
            ASSERT_EQ(esito.value(0), "aperta") << "passo " << passo << ": ApriX is never refused";
            EXPECT_TRUE(apertiX.insert(esito.value(1)).second) << "window identifier given twice";
        } else if (azione == 2) {
            const bool libera_ = apertiX.empty() && apertiY.empty();
            const QStringList esito = p.Comando("lancia 3").split(' ');
            ++lanci;
            ASSERT_EQ(esito.value(0), libera_ ? "aperta" : "rifiutata") << "passo " << passo;
            if (libera_)
                apertiY.insert(esito.value(1));
            else
                ++rifiuti;
        } else if (!apertiY.empty() && caso() % 2) {
            libera(apertiY, p);
        } else if (!apertiX.empty()) {
            libera(apertiX, p);
        }
    }
    const qint64 ms = orologio.elapsed();
    std::cout << "two workstations: " << lanci << " launches (" << rifiuti << " refused) in " << ms << " ms\n";
    EXPECT_GT(rifiuti, 10);
    EXPECT_GT(lanci - rifiuti, 100);

    ASSERT_TRUE(uno.Fine());
    ASSERT_TRUE(due.Fine());
    const auto archivioValore = [&](const QString& istruzione) {
        return prova::InstallazioneDiProva::Valore(installazione.FileArchivio(), istruzione);
    };
    // Every launch logged once, each with its own window identifier.
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), QString::number(lanci));
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(DISTINCT IDFINESTRA) FROM KESTOLOGFUNZ"), QString::number(lanci));
    // A semaphore for every window that opened, none for a refused one; a refusal each.
    EXPECT_EQ(archivioValore("SELECT COUNT(*) FROM SEMAFORIF"), QString::number(lanci - rifiuti));
    EXPECT_EQ(archivioValore("SELECT COUNT(DISTINCT ID) FROM SEMAFORIF"), QString::number(lanci - rifiuti));
    EXPECT_EQ(archivioValore("SELECT COUNT(*) FROM SEMAFORIFANOMALIE WHERE FORM='ApriY'"), QString::number(rifiuti));
    EXPECT_EQ(archivioValore("SELECT COUNT(*) FROM SEMAFORIF WHERE OCCUPATO=1"),
              QString::number(apertiX.size() + apertiY.size()));
    // Both sessions closed at the end, and only those two exist.
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA IS NOT NULL"), "2");
}

// A Firebird server of the test's own, on a port of its own, that the test may stop and
// start again without touching the server other tests use. It runs with a configuration
// root made beside the test's files: the client's own root linked, its security database
// copied.
class ServerPrivato {
public:
    explicit ServerPrivato(const QString& cartella) : cartella_(cartella) {}
    ~ServerPrivato() { Ferma(); }

    static constexpr int Porta = 3097;
    QString Nome() const { return QStringLiteral("127.0.0.1/%1").arg(Porta); }

    // False, with the reason, when this machine cannot run one.
    bool Prepara(QString& perche) {
        const QString sistema = qEnvironmentVariable("FIREBIRD");
        const QString sicurezza = "/var/lib/firebird/3.0/system/security3.fdb";
        if (!QFile::exists("/usr/sbin/firebird") || sistema.isEmpty() || !QFileInfo(sicurezza).isReadable()) {
            perche = "no Firebird server program or security database here";
            return false;
        }
        const QString radice = cartella_ + "radice/";
        QDir().mkpath(radice);
        QDir().mkpath(cartella_ + "lock");
        for (const QString& voce : QDir(sistema).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            if (voce != "firebird.conf")
                QFile::link(QDir(sistema).filePath(voce), radice + voce);
        QFile::copy(sicurezza, cartella_ + "security3.fdb");
        QFile conf(radice + "firebird.conf");
        if (!conf.open(QIODevice::WriteOnly)) {
            perche = "cannot write the server's configuration";
            return false;
        }
        conf.write(QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\nServerMode = Super\n"
                                  "SecurityDatabase = %2security3.fdb\n")
                       .arg(Porta)
                       .arg(cartella_)
                       .toUtf8());
        return true;
    }

    // Starts it and waits until it opens the database given.
    bool Avvia(const QString& database) {
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert("FIREBIRD", cartella_ + "radice");
        ambiente.insert("FIREBIRD_LOCK", cartella_ + "lock");
        processo_.setProcessEnvironment(ambiente);
        // Should the test process die on the way, the server goes with it rather than keep
        // the port for the next run.
        processo_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        processo_.start("/usr/sbin/firebird", {});
        if (!processo_.waitForStarted(5000))
            return false;
        QElapsedTimer orologio;
        orologio.start();
        while (orologio.elapsed() < 20000) {
            try {
                fb::TDatabase prova;
                prova::ImpostaParametriApertura(prova, Nome() + ":" + database);
                prova.Open();
                return true;
            } catch (const fb::EErroreDB&) {
                QThread::msleep(100);
            }
        }
        return false;
    }

    // As a crash or a power cut: no goodbye to the clients.
    void Ferma() {
        if (processo_.state() == QProcess::NotRunning)
            return;
        processo_.kill();
        processo_.waitForFinished(10000);
    }

private:
    QString cartella_;
    QProcess processo_;
};

class ServerCheRiparte : public FinestraDiProva {};

// The users database and the archive through a server that stops during the session and
// comes back: the program says so in its own words and goes on, without a restart.
TEST_F(ServerCheRiparte, ALostConnectionIsReportedOnceAndTheNextActionAfterTheRestartWorks) {
    prova::CartellaProva cartella;
    ServerPrivato server(cartella.Percorso());
    QString perche;
    if (!server.Prepara(perche))
        GTEST_SKIP() << perche.toStdString();
    Voce(4, "Apri1");
    const QString archivio = server.Nome() + ":" + installazione.FileArchivio();
    Utenti({"UPDATE TABNORVANE SET VALORE='" + archivio + "' WHERE PARAMETRO='Archivio'"});
    const QString utenti = server.Nome() + ":" + installazione.FileUtenti();
    ASSERT_TRUE(server.Avvia(installazione.FileUtenti()));
    piattaforma::ScriviIni(installazione.Directory() + "user/dati.ini", "CONFIG", "Nome Server", server.Nome());
    piattaforma::ScriviIni(installazione.Directory() + "user/dati.ini", "CONFIG", "Alias", installazione.FileUtenti());

    Postazione postazione(installazione.Directory(), "ROSSI", "");
    ASSERT_FALSE(postazione.Sessione.isEmpty()) << postazione.Errori().toStdString();
    ASSERT_TRUE(postazione.Comando("lancia 4").startsWith("aperta ")) << postazione.Errori().toStdString();

    server.Ferma();
    QElapsedTimer orologio;
    orologio.start();
    EXPECT_EQ(postazione.Comando("lancia 4"), "rifiutata");
    std::cout << "a launch with the server stopped failed in " << orologio.elapsed() << " ms\n";
    const QStringList boxes = postazione.Errori().split('\n').filter("box:");
    ASSERT_EQ(boxes.size(), 1) << boxes.join('|').toStdString();
    EXPECT_TRUE(boxes[0].startsWith(
        "box: Il collegamento con il database si è interrotto: il server non risponde o la rete non è disponibile. "
        "L'operazione non è stata completata; il programma si ricollegherà al prossimo comando."))
        << boxes[0].toStdString();

    ASSERT_TRUE(server.Avvia(installazione.FileUtenti()));
    EXPECT_TRUE(postazione.Comando("lancia 4").startsWith("aperta ")) << postazione.Errori().toStdString();
    EXPECT_EQ(postazione.Errori().count("box:"), 1) << "nothing more after the restart";
    // The same session, still open, and the same company.
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(utenti, "SELECT LIST(CODICESESSIONE) FROM KESTOLOG WHERE "
                                                          "DATACHIUSURA IS NULL"),
              postazione.Sessione);
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(utenti, "SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA");
    ASSERT_TRUE(postazione.Fine());
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(utenti, "SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA IS NULL"),
              "0");
}

} // namespace
