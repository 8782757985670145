#include "CollegamentoLento.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>

namespace bench {

namespace {

using Orologio = std::chrono::steady_clock;

void SenzaNagle(int presa) {
    const int si = 1;
    ::setsockopt(presa, IPPROTO_TCP, TCP_NODELAY, &si, sizeof si);
}

int Connetti(const std::string& destinazione, int porta) {
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_INET;
    suggerimenti.ai_socktype = SOCK_STREAM;
    addrinfo* indirizzi = nullptr;
    if (::getaddrinfo(destinazione.c_str(), std::to_string(porta).c_str(), &suggerimenti, &indirizzi) != 0)
        return -1;
    int presa = -1;
    for (addrinfo* a = indirizzi; a && presa < 0; a = a->ai_next) {
        presa = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (presa >= 0 && ::connect(presa, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(presa);
            presa = -1;
        }
    }
    ::freeaddrinfo(indirizzi);
    if (presa >= 0)
        SenzaNagle(presa);
    return presa;
}

// One direction of a connection: a reader stamps each chunk with the moment it may leave,
// a writer sends it then. Two threads, so a chunk that arrives while another waits is held
// for the delay from its own arrival, as on a real link. Every chunk read is told to the
// connection, which counts the exchanges.
class Direzione {
public:
    Direzione(int da, int a, std::chrono::microseconds ritardo, std::function<void()> arrivo)
        : da_(da), a_(a), ritardo_(ritardo), arrivo_(std::move(arrivo)) {
        lettore_ = std::thread([this] { Leggi(); });
        scrittore_ = std::thread([this] { Scrivi(); });
    }
    ~Direzione() {
        lettore_.join();
        scrittore_.join();
    }

private:
    void Leggi() {
        std::vector<char> buffer(65536);
        for (;;) {
            const ssize_t letti = ::recv(da_, buffer.data(), buffer.size(), 0);
            if (letti > 0)
                arrivo_();
            std::lock_guard<std::mutex> blocco(mutex_);
            if (letti <= 0) {
                chiusa_ = true;
                segnale_.notify_all();
                return;
            }
            coda_.push_back({Orologio::now() + ritardo_, std::string(buffer.data(), static_cast<size_t>(letti))});
            segnale_.notify_all();
        }
    }

    void Scrivi() {
        std::unique_lock<std::mutex> blocco(mutex_);
        for (;;) {
            segnale_.wait(blocco, [this] { return !coda_.empty() || chiusa_; });
            if (coda_.empty()) {
                // The other side learns that this one is done.
                ::shutdown(a_, SHUT_WR);
                return;
            }
            const auto quando = coda_.front().quando;
            if (Orologio::now() < quando) {
                segnale_.wait_until(blocco, quando);
                continue;
            }
            const std::string dati = std::move(coda_.front().dati);
            coda_.pop_front();
            blocco.unlock();
            size_t inviati = 0;
            while (inviati < dati.size()) {
                const ssize_t n = ::send(a_, dati.data() + inviati, dati.size() - inviati, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                inviati += static_cast<size_t>(n);
            }
            blocco.lock();
        }
    }

    struct Pezzo {
        Orologio::time_point quando;
        std::string dati;
    };
    int da_;
    int a_;
    std::chrono::microseconds ritardo_;
    std::function<void()> arrivo_;
    std::mutex mutex_;
    std::condition_variable segnale_;
    std::deque<Pezzo> coda_;
    bool chiusa_ = false;
    std::thread lettore_;
    std::thread scrittore_;
};

} // namespace

// Closed last, after both directions have joined their threads.
struct Presa {
    explicit Presa(int fd) : fd(fd) {}
    ~Presa() { ::close(fd); }
    Presa(const Presa&) = delete;
    Presa& operator=(const Presa&) = delete;
    int fd;
};

struct TCollegamentoLento::Connessione {
    Connessione(int cliente, int server, std::chrono::microseconds ritardo, std::atomic<long>& viaggi)
        : cliente_(cliente), server_(server),
          andata_(cliente, server, ritardo,
                  [this, &viaggi] {
                      if (rispostaVista_.exchange(false))
                          ++viaggi;
                  }),
          ritorno_(server, cliente, ritardo, [this] { rispostaVista_ = true; }) {}
    ~Connessione() {
        // Ends both readers; the directions then join their threads.
        ::shutdown(cliente_.fd, SHUT_RDWR);
        ::shutdown(server_.fd, SHUT_RDWR);
    }
    Presa cliente_;
    Presa server_;
    std::atomic<bool> rispostaVista_{true};
    Direzione andata_;
    Direzione ritorno_;
};

TCollegamentoLento::TCollegamentoLento(const std::string& destinazione, int porta, double rttMs)
    : destinazione_(destinazione), portaDestinazione_(porta), rttMs_(rttMs),
      ritardo_(static_cast<long>(rttMs * 1000.0 / 2.0)) {
    ascolto_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int si = 1;
    ::setsockopt(ascolto_, SOL_SOCKET, SO_REUSEADDR, &si, sizeof si);
    sockaddr_in indirizzo{};
    indirizzo.sin_family = AF_INET;
    indirizzo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    indirizzo.sin_port = 0;
    if (::bind(ascolto_, reinterpret_cast<sockaddr*>(&indirizzo), sizeof indirizzo) != 0 ||
        ::listen(ascolto_, 16) != 0)
        throw std::runtime_error(std::string("latency link: cannot listen: ") + std::strerror(errno));
    socklen_t lunghezza = sizeof indirizzo;
    ::getsockname(ascolto_, reinterpret_cast<sockaddr*>(&indirizzo), &lunghezza);
    porta_ = ntohs(indirizzo.sin_port);
    accettazione_ = std::thread([this] { Accetta(); });
}

TCollegamentoLento::~TCollegamentoLento() {
    fine_ = true;
    accettazione_.join();
    ::close(ascolto_);
    connessioni_.clear();
}

void TCollegamentoLento::Accetta() {
    while (!fine_) {
        pollfd attesa{ascolto_, POLLIN, 0};
        if (::poll(&attesa, 1, 50) <= 0)
            continue;
        const int cliente = ::accept(ascolto_, nullptr, nullptr);
        if (cliente < 0)
            continue;
        SenzaNagle(cliente);
        const int server = Connetti(destinazione_, portaDestinazione_);
        if (server < 0) {
            ::close(cliente);
            continue;
        }
        connessioni_.push_back(std::make_unique<Connessione>(cliente, server, ritardo_, viaggi_));
    }
}

} // namespace bench
