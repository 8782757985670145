// The real program, as a process of its own, ended by what ends programs in an office: a
// stop signal, the display going away.

#include "app/FinestraDiProva.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <iostream>

namespace {

class FineDelProgramma : public FinestraDiProva {
protected:
    void SetUp() override {
        // A library window with its handle in the call log: closing by hand would be refused.
        Voce(2, "MostraArgomentiX", {}, {}, QCoreApplication::applicationDirPath() + "/DemoFunzioni.so");
    }

    enum class Dopo { Niente, Finestra, Dialogo };

    // Starts the program logged in as ROSSI, then with entry 2's library window open, or the
    // company dialog waiting; the session code.
    QString Avvia(QProcess& programma, Dopo dopo, const QProcessEnvironment& ambiente) {
        programma.setProcessEnvironment(ambiente);
        QStringList argomenti{installazione.Directory(), "ROSSI"};
        if (dopo == Dopo::Finestra)
            argomenti << "10" << "2";
        if (dopo == Dopo::Dialogo)
            argomenti << "F9";
        programma.start(QCoreApplication::applicationDirPath() + "/ProgrammaDiProva", argomenti);
        QElapsedTimer orologio;
        orologio.start();
        QByteArray uscita;
        while (!uscita.contains('\n') && orologio.elapsed() < 30000 && programma.state() != QProcess::NotRunning)
            if (programma.waitForReadyRead(1000))
                uscita += programma.readAllStandardOutput();
        if (!uscita.startsWith("entrato ")) {
            ADD_FAILURE() << "the program did not log in: " << uscita.toStdString()
                          << programma.readAllStandardError().toStdString();
            return {};
        }
        return QString::fromLatin1(uscita.mid(8).trimmed());
    }

    static QProcessEnvironment Offscreen() {
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert("QT_QPA_PLATFORM", "offscreen");
        return ambiente;
    }

    QString Chiusura(const QString& sessione) {
        return ValoreUtenti("SELECT DATACHIUSURA FROM KESTOLOG WHERE CODICESESSIONE=" + sessione);
    }
};

TEST_F(FineDelProgramma, AStopSignalEndsItAsACloseDoesWithinSeconds) {
    struct Caso {
        int segnale;
        const char* nome;
        Dopo dopo;
    };
    for (const Caso& caso : {Caso{SIGTERM, "SIGTERM, a library window open", Dopo::Finestra},
                             Caso{SIGTERM, "SIGTERM, a modal dialog open", Dopo::Dialogo},
                             Caso{SIGINT, "SIGINT", Dopo::Niente}, Caso{SIGHUP, "SIGHUP", Dopo::Niente}}) {
        SCOPED_TRACE(caso.nome);
        QProcess programma;
        const QString sessione = Avvia(programma, caso.dopo, Offscreen());
        ASSERT_FALSE(sessione.isEmpty());
        EXPECT_EQ(Chiusura(sessione), "");
        if (caso.dopo == Dopo::Dialogo)
            QThread::msleep(300); // the dialog opens after the login
        if (caso.dopo == Dopo::Finestra) {
            EXPECT_NE(ValoreUtenti("SELECT HANDLEFINESTRA FROM KESTOLOGFUNZ WHERE CODICESESSIONE=" + sessione), "");
        }
        QElapsedTimer orologio;
        orologio.start();
        ::kill(static_cast<pid_t>(programma.processId()), caso.segnale);
        if (!programma.waitForFinished(5000)) {
            programma.kill();
            programma.waitForFinished(5000);
            FAIL() << "still running 5 s after the signal: " << programma.readAllStandardError().toStdString();
        }
        std::cout << caso.nome << " ended the program in " << orologio.elapsed() << " ms\n";
        EXPECT_EQ(programma.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(programma.exitCode(), 0);
        EXPECT_NE(Chiusura(sessione), "") << "the work session is closed";
        EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM STOPOS1 WHERE CODICEUTENTE=1"), "1")
            << "the position is stored";
        EXPECT_EQ(programma.readAllStandardError().count("box:"), 0) << "no box on the way out";
    }
}

TEST_F(FineDelProgramma, WhenTheDisplayGoesTheSessionIsClosedAndTheProgramEnds) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty())
        GTEST_SKIP() << "no Xvfb";
    int numero = 90;
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(numero)) ||
           QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(numero)))
        ++numero;
    QProcess schermo;
    schermo.start(xvfb, {QStringLiteral(":%1").arg(numero), "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    ASSERT_TRUE(schermo.waitForStarted(5000));
    QElapsedTimer attesa;
    attesa.start();
    while (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(numero)) && attesa.elapsed() < 10000)
        QThread::msleep(50);

    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert("QT_QPA_PLATFORM", "xcb");
    ambiente.insert("DISPLAY", QStringLiteral(":%1").arg(numero));
    QProcess programma;
    const QString sessione = Avvia(programma, Dopo::Finestra, ambiente);
    ASSERT_FALSE(sessione.isEmpty());
    schermo.kill();
    schermo.waitForFinished(5000);
    if (!programma.waitForFinished(5000)) {
        programma.kill();
        programma.waitForFinished(5000);
        FAIL() << "still running 5 s after the display went";
    }
    std::cout << "without its display the program ended with " << programma.exitCode() << ": "
              << programma.readAllStandardError().toStdString() << "\n";
    EXPECT_NE(Chiusura(sessione), "") << "the work session is closed";
}

// A stop signal with an unsaved edit in a library's editing window: no question waits for an
// answer, the edit is rolled back and its row free, the session closed.
TEST_F(FineDelProgramma, AStopSignalRollsBackAnUnsavedEditWithoutAsking) {
    Voce(3, "ApriClientiX", {}, {}, QCoreApplication::applicationDirPath() + "/Anagrafiche.so");
    prova::InstallazioneDiProva::Esegui(installazione.FileArchivio(),
                                        {"INSERT INTO CLIFOR (CODICE, RAGIONESOCIALE) VALUES (1, 'Rossi')"});
    QProcess programma;
    programma.setProcessEnvironment(Offscreen());
    programma.start(QCoreApplication::applicationDirPath() + "/ProgrammaDiProva",
                    {installazione.Directory(), "ROSSI", "10", "3", "modifica"});
    ASSERT_TRUE(programma.waitForReadyRead(30000)) << programma.readAllStandardError().toStdString();
    const QString sessione = QString::fromLatin1(programma.readAllStandardOutput().mid(8).trimmed());
    ASSERT_FALSE(sessione.isEmpty());
    ::kill(static_cast<pid_t>(programma.processId()), SIGTERM);
    if (!programma.waitForFinished(5000)) {
        programma.kill();
        programma.waitForFinished(5000);
        FAIL() << "still running 5 s after the signal";
    }
    const QString errori = QString::fromLocal8Bit(programma.readAllStandardError());
    EXPECT_FALSE(errori.contains("edit refused")) << errori.toStdString();
    EXPECT_EQ(programma.exitCode(), 0);
    EXPECT_EQ(errori.count("box:"), 0) << errori.toStdString();
    EXPECT_NE(Chiusura(sessione), "") << "the work session is closed";
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(installazione.FileArchivio(),
                                                  "SELECT RAGIONESOCIALE FROM CLIFOR WHERE CODICE=1"),
              "Rossi");
}

// A signal while a start-up box waits for its answer ends the program there: no login.
TEST_F(FineDelProgramma, AStopSignalDuringAStartUpBoxEndsTheProgram) {
    QFile rotto(installazione.FileUtenti());
    ASSERT_TRUE(rotto.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rotto.write("not a database");
    rotto.close();
    QProcess programma;
    programma.setProcessEnvironment(Offscreen());
    programma.start(QCoreApplication::applicationDirPath() + "/ProgrammaDiProva", {installazione.Directory(), "ROSSI"});
    ASSERT_TRUE(programma.waitForStarted(5000));
    QThread::msleep(1500); // the error box is up, waiting
    ::kill(static_cast<pid_t>(programma.processId()), SIGTERM);
    if (!programma.waitForFinished(5000)) {
        programma.kill();
        programma.waitForFinished(5000);
        FAIL() << "still running 5 s after the signal";
    }
    EXPECT_EQ(programma.exitCode(), 0);
    EXPECT_FALSE(programma.readAllStandardOutput().contains("entrato")) << "it never went on to the login";
}

} // namespace
