#include "piattaforma/Segnali.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <csignal>
#include <cstring>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

struct SegnaleDiFine {
    int numero;
    const char* nome;
};

const SegnaleDiFine SegnaliDiFine[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};

bool Bloccato(int segnale) {
    sigset_t attuale;
    pthread_sigmask(SIG_BLOCK, nullptr, &attuale);
    return sigismember(&attuale, segnale) == 1;
}

// Each stop signal is kept from its default action and from every handler, and comes to
// the program through the event loop. The signal is sent to this thread only, so that a
// thread of the test process that does not block it cannot take it.
TEST(Segnali, EachStopSignalIsBlockedAndReadOnTheEventLoop) {
    sigset_t iniziale;
    pthread_sigmask(SIG_BLOCK, nullptr, &iniziale);
    piattaforma::BloccaSegnaliDiFine();
    {
        piattaforma::TSegnaliDiFine segnali;
        QList<int> ricevuti;
        QObject::connect(&segnali, &piattaforma::TSegnaliDiFine::Ricevuto, [&](int s) { ricevuti << s; });
        for (const SegnaleDiFine& segnale : SegnaliDiFine) {
            SCOPED_TRACE(segnale.nome);
            // Sent while not blocked, it would end the test program.
            if (!Bloccato(segnale.numero)) {
                ADD_FAILURE() << segnale.nome << " is not blocked";
                continue;
            }
            ricevuti.clear();
            ASSERT_EQ(pthread_kill(pthread_self(), segnale.numero), 0);
            QElapsedTimer attesa;
            attesa.start();
            while (ricevuti.isEmpty() && attesa.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            EXPECT_EQ(ricevuti, QList<int>{segnale.numero});
        }
    }
    pthread_sigmask(SIG_SETMASK, &iniziale, nullptr);
}

// Programs with nothing to close end at once on a stop signal, with the shell's status for
// it (128 + the signal), not killed by it. Run in a child that does nothing else.
TEST(Segnali, EachStopSignalEndsAProgramWithNothingToCloseAtOnce) {
    for (const SegnaleDiFine& segnale : SegnaliDiFine) {
        SCOPED_TRACE(segnale.nome);
        int pronto[2];
        ASSERT_EQ(::pipe(pronto), 0);
        const pid_t figlio = ::fork();
        ASSERT_GE(figlio, 0) << std::strerror(errno);
        if (figlio == 0) {
            ::close(pronto[0]);
            piattaforma::FineImmediataSuSegnale();
            const char fatto = 1;
            if (::write(pronto[1], &fatto, 1) != 1)
                ::_exit(100);
            for (;;)
                ::pause();
        }
        ::close(pronto[1]);
        char fatto = 0;
        const bool avviato = ::read(pronto[0], &fatto, 1) == 1;
        ::close(pronto[0]);
        if (avviato)
            ::kill(figlio, segnale.numero);
        int stato = 0;
        pid_t finito = 0;
        QElapsedTimer attesa;
        attesa.start();
        while ((finito = ::waitpid(figlio, &stato, WNOHANG)) == 0 && attesa.elapsed() < 5000)
            ::usleep(10000);
        if (finito == 0) {
            ::kill(figlio, SIGKILL);
            ::waitpid(figlio, &stato, 0);
            ADD_FAILURE() << "still running 5 s after the signal";
            continue;
        }
        ASSERT_TRUE(avviato) << "the child did not get ready";
        EXPECT_TRUE(WIFEXITED(stato)) << "killed by signal " << (WIFSIGNALED(stato) ? WTERMSIG(stato) : 0);
        if (WIFEXITED(stato)) {
            EXPECT_EQ(WEXITSTATUS(stato), 128 + segnale.numero);
        }
    }
}

} // namespace
