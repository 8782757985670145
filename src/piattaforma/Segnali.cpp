#include "piattaforma/Segnali.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <thread>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace piattaforma {

namespace {

sigset_t InsiemeFine() {
    sigset_t insieme;
    sigemptyset(&insieme);
    for (int segnale : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&insieme, segnale);
    return insieme;
}

// A program started from here must not inherit the blocked signals.
void SbloccaNelFiglio() {
    const sigset_t insieme = InsiemeFine();
    pthread_sigmask(SIG_UNBLOCK, &insieme, nullptr);
}

} // namespace

void BloccaSegnaliDiFine() {
    const sigset_t insieme = InsiemeFine();
    pthread_sigmask(SIG_BLOCK, &insieme, nullptr);
    static const bool registrato = pthread_atfork(nullptr, nullptr, SbloccaNelFiglio) == 0;
    Q_UNUSED(registrato);
}

TSegnaliDiFine::TSegnaliDiFine(QObject* parent) : QObject(parent) {
    const sigset_t insieme = InsiemeFine();
    descrittore_ = ::signalfd(-1, &insieme, SFD_CLOEXEC | SFD_NONBLOCK);
    if (descrittore_ < 0)
        return;
    notificatore_ = new QSocketNotifier(descrittore_, QSocketNotifier::Read, this);
    connect(notificatore_, &QSocketNotifier::activated, this, &TSegnaliDiFine::Leggi);
}

TSegnaliDiFine::~TSegnaliDiFine() {
    delete notificatore_;
    if (descrittore_ >= 0)
        ::close(descrittore_);
}

void TSegnaliDiFine::Leggi() {
    signalfd_siginfo informazioni;
    while (::read(descrittore_, &informazioni, sizeof informazioni) == static_cast<ssize_t>(sizeof informazioni))
        emit Ricevuto(static_cast<int>(informazioni.ssi_signo));
}

void FineImmediataSuSegnale() {
    BloccaSegnaliDiFine();
    std::thread([] {
        const sigset_t insieme = InsiemeFine();
        int segnale = 0;
        sigwait(&insieme, &segnale);
        std::_Exit(128 + segnale);
    }).detach();
}

} // namespace piattaforma
