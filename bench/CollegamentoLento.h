#pragma once

// A network link with latency for the benchmarks: a forwarding proxy on the loopback that
// holds every chunk for a fixed delay in each direction, so that a round trip to the server
// costs what it costs in an office network or over a VPN. Nothing leaves the machine.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace bench {

class TCollegamentoLento {
public:
    // Listens on an ephemeral port of 127.0.0.1 and forwards each connection to
    // destinazione:porta, holding data rttMs / 2 in each direction.
    TCollegamentoLento(const std::string& destinazione, int porta, double rttMs);
    ~TCollegamentoLento();
    TCollegamentoLento(const TCollegamentoLento&) = delete;
    TCollegamentoLento& operator=(const TCollegamentoLento&) = delete;

    int Porta() const { return porta_; }
    double RttMs() const { return rttMs_; }
    // Round trips so far over every connection: each time the client speaks after the server
    // has answered (or first), one exchange begins. Attaching counts its own handshakes.
    long Viaggi() const { return viaggi_; }

private:
    struct Connessione;
    void Accetta();

    std::string destinazione_;
    int portaDestinazione_;
    double rttMs_;
    std::chrono::microseconds ritardo_;
    int ascolto_ = -1;
    int porta_ = 0;
    std::atomic<bool> fine_{false};
    std::atomic<long> viaggi_{0};
    std::thread accettazione_;
    std::vector<std::unique_ptr<Connessione>> connessioni_;
};

} // namespace bench
