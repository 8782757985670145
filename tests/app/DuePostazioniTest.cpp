// Two workstations as two real processes of the program, sharing the archive through the
// server: hundreds of launches of linked critical windows, each answer checked against what
// the semaphores allow, and the rows checked at the end.

#include "app/FinestraDiProva.h"
#include "fixture/DatabaseDiProva.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <iostream>
#include <random>
#include <set>

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

} // namespace
