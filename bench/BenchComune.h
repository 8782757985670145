#pragma once

// Shared by the benchmarks of the access window: a throw-away installation, the recording of
// the statements our Firebird layer sends, and their replay through the bare client.

#include "fb/Query.h"
#include "piattaforma/Messaggi.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <type_traits>
#include <utility>
#include <vector>

class TBaseMainForm;

namespace fb {
class TTransazione;
}

namespace bench {

using Orologio = std::chrono::steady_clock;

double Ms(Orologio::duration durata);
double Mediana(std::vector<double> valori);

// The offscreen platform warns at every window shown that it cannot pass size hints on;
// those lines are dropped so the figures stand out. Other messages pass as before.
void TaciAvvisiOffscreen();

// The loopback server from QUENDRA_SERVER; empty runs embedded only.
QString ServerDiProva();

class TCollegamentoLento;
// The server as the benchmark reaches it: through a latency link started here with the given
// round trip ("127.0.0.1/<port>"), kept running by the link handed back. A link of 0 ms still
// runs, so that its round trips can be counted.
QString ServerConRitardo(const QString& server, double rttMs, std::unique_ptr<TCollegamentoLento>& collegamento);
// "server 0ms", "server 5ms", for the mode column.
QString NomeModoServer(double rttMs);

// Where one row of a benchmark runs: embedded (no link), or through the server behind a link.
struct Modo {
    QString Nome;
    QString Server; // the server name to attach through; empty embedded
    const TCollegamentoLento* Collegamento = nullptr;
    // Round trips so far over the link; 0 embedded.
    long Viaggi() const;
};

struct Opzioni;
// Measures embedded, then through the server once for each round trip the options ask for;
// an error is printed and ends the run. 0, or 1 after an error.
int MisuraNeiModi(const QString& server, const Opzioni& opzioni, const std::function<void(const Modo&)>& misura);

struct Opzioni {
    int Giri = 1;
    // Round trips of the latency link to the server, one row each.
    std::vector<double> Ritardi{0};
    bool Nostro = true; // our program's path is timed
    bool Nudo = true;   // the bare client's path is timed
    bool Elenco = false;
};
// One operation timed over the rounds, with the round trips it made over the link (-1 when
// there is none) and the statements it sent.
struct Misure {
    std::vector<double> Ms;
    long Viaggi = -1;
    int Istruzioni = 0;
};

// Runs the operation once, timed, and counts its round trips over the mode's link. An
// operation that times itself returns its milliseconds.
template <typename Operazione> void Misura(const Modo& modo, Misure& misure, Operazione operazione) {
    const long viaggi = modo.Viaggi();
    const auto inizio = std::chrono::steady_clock::now();
    if constexpr (std::is_same_v<decltype(operazione()), double>) {
        misure.Ms.push_back(operazione());
    } else {
        operazione();
        misure.Ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - inizio).count());
    }
    if (modo.Collegamento)
        misure.Viaggi = modo.Viaggi() - viaggi;
}

// The table of the access window's benchmarks: our path against the reference sequence.
void StampaIntestazione();
void StampaRiga(const Modo& modo, const char* operazione, const Misure& nostro, const Misure& riferimento,
                const char* obiettivo);
// The target of a row: the one through a link with delay, or the one without.
const char* Obiettivo(const Modo& modo, const char* conRitardo, const char* senza);

// "ours", "bare" or empty for both; false for anything else.
bool LeggiSolo(const QString& valore, Opzioni& opzioni);
// The options every benchmark takes: --rounds, --only, --list. False, with a line on
// stderr, when they make no sense.
bool LeggiOpzioni(const QCoreApplication& app, const QString& descrizione, int giriPredefiniti,
                  Opzioni& opzioni, const QString& ritardiPredefiniti = QStringLiteral("0"));

// Answers every box with OK (a confirmation therefore reads as "no") and prints it on
// stderr; a timed run that met a box says so, since its figure is not a clean one.
class MessaggiBench : public piattaforma::Messaggi {
public:
    MessaggiBench();
    ~MessaggiBench() override;
    MessaggiBench(const MessaggiBench&) = delete;
    MessaggiBench& operator=(const MessaggiBench&) = delete;

    piattaforma::Risposta Mostra(piattaforma::TipoMessaggio tipo, const QString& testo,
                                 const QString& titolo) override;
    int Mostrati = 0;
};

// A statement as our layer sent it: the database as named when attached, the engine's number
// of the transaction it ran in, and the text.
struct Istruzione {
    QString Database;
    qint64 Transazione = 0;
    QString Testo;
};

// A transaction of a recording: a database and the engine's number there.
using ChiaveTransazione = std::pair<QString, qint64>;

// The engine's number of an active transaction; -1 when the engine does not answer.
qint64 NumeroTransazione(const fb::TTransazione& transazione);
// The key of a transaction of ours when it is active.
void AggiungiSeAttiva(std::set<ChiaveTransazione>& chiavi, const fb::TTransazione& transazione);

// Records every statement of our layer while it lives. Asking the transaction's number costs
// a call to the engine per statement, so a recorded run is never a timed one.
class Registratore : public fb::RegistroIstruzioni {
public:
    Registratore();
    ~Registratore() override;
    Registratore(const Registratore&) = delete;
    Registratore& operator=(const Registratore&) = delete;

    void Istruzione(const fb::TDatabase& database, const fb::TTransazione& transazione,
                    const QString& testo) override;

    std::vector<bench::Istruzione> Istruzioni;
};

// What one timed operation of our program sent, and which of its transactions were active
// before and after it.
struct Registrazione {
    std::vector<Istruzione> Istruzioni;
    std::set<ChiaveTransazione> AttivePrima;
    std::set<ChiaveTransazione> AttiveDopo;
};

// How many transactions a recording used.
std::size_t ContaTransazioni(const std::vector<Istruzione>& istruzioni);
// On stderr, one statement a line with its transaction.
void StampaIstruzioni(const QString& modo, const std::vector<Istruzione>& istruzioni);

// A throw-away installation: "user/user.fdb" and "archivio/archivio.fdb" from the schema
// file, and "Grafica" with the two status bitmaps; the executable directory points at it
// while it lives. Through a server, each database directory has a dati.ini naming the server
// and the database's path as its alias, so the program attaches "server:path".
class Installazione {
public:
    explicit Installazione(const QString& server);
    ~Installazione();
    Installazione(const Installazione&) = delete;
    Installazione& operator=(const Installazione&) = delete;

    // Always with a trailing "/".
    QString Directory() const { return dir_.path() + QLatin1Char('/'); }
    QString FileArchivio() const { return Directory() + QStringLiteral("archivio/archivio.fdb"); }
    // The names the program attaches.
    QString NomeUtenti() const;
    QString NomeArchivio() const;

    // Statements run one by one, each committed.
    void Utenti(const QStringList& istruzioni) const;
    void Archivio(const QStringList& istruzioni) const;

private:
    QString NomeDatabase(const QString& relativo) const;
    void CreaDatabase(const QString& relativo, const QString& sezione) const;

    QTemporaryDir dir_;
    QString server_;
};

// ---- the access window ----

// The user every benchmark logs in as: profile 1, project 1, a company whose archive is the
// installation's.
inline const QString UtenteBench = QStringLiteral("ROSSI");
inline const QString DittaBench = QStringLiteral("ALFA");
// The benchmarks' function library, as the menu rows name it.
inline const QString Libreria = QStringLiteral("LibreriaBench.so");
QStringList IstruzioniUtente(const Installazione& installazione);
// A maker parameter of that user and company.
QString IstruzioneParametro(const QString& nome, const QString& valore, int progressivo);

// Chooses the benchmark's user on the default page, as a user does before clicking OK.
void ScegliUtente(TBaseMainForm& finestra);
// The window's transactions that are active, as the replay needs to know them.
std::set<ChiaveTransazione> TransazioniAttive(const TBaseMainForm& finestra);

// Runs an operation of the window with the recorder on.
template <typename Operazione>
Registrazione Registra(const TBaseMainForm& finestra, Operazione operazione) {
    Registrazione registrazione;
    registrazione.AttivePrima = TransazioniAttive(finestra);
    {
        Registratore registratore;
        operazione();
        registrazione.Istruzioni = std::move(registratore.Istruzioni);
    }
    registrazione.AttiveDopo = TransazioniAttive(finestra);
    return registrazione;
}

// The bare client's shared steps: a failed call raises std::runtime_error with the engine's
// text; an attach as SYSDBA, the file name in the file system's encoding.
void VerificaStato(Firebird::IUtil* util, Firebird::CheckStatusWrapper& stato);
Firebird::IAttachment* AttaccaNudo(Firebird::IProvider* provider, Firebird::IUtil* util,
                                   Firebird::CheckStatusWrapper& stato, const QString& nomeDatabase);

// The same statements through the Firebird client's own interface: prepared, executed, every
// row fetched and every blob read, each transaction of the recording a transaction of its
// own, started before its first statement and committed after its last.
class ClientNudo {
public:
    ClientNudo();
    ~ClientNudo();
    ClientNudo(const ClientNudo&) = delete;
    ClientNudo& operator=(const ClientNudo&) = delete;

    // Attached once, before any timing, and kept to the end.
    void Attacca(const QString& nomeDatabase);

    // Milliseconds for the whole sequence. Transactions that our program had active before
    // the first statement are started before the clock starts, and those it left active
    // after the last are committed after the clock stops: the program did neither within
    // what was timed.
    double Riproduci(const Registrazione& registrazione);

    // Milliseconds to attach to a database and detach again.
    double TempoAttacco(const QString& nomeDatabase);

private:
    void Verifica();
    Firebird::IAttachment* AttaccaNuovo(const QString& nomeDatabase);
    void Stacca(Firebird::IAttachment* attacco);
    void Esegui(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                const QByteArray& testo);
    void LeggiRighe(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                    Firebird::IStatement* istruzione);
    void LeggiBlob(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                   const unsigned char* id);

    Firebird::IMaster* master_;
    Firebird::IUtil* util_;
    Firebird::IProvider* provider_;
    Firebird::IStatus* status_;
    Firebird::CheckStatusWrapper st_;
    std::map<QString, Firebird::IAttachment*> attacchi_;
    std::vector<unsigned char> buffer_;
};

// Refuses a recording that the bare client could not replay as it stands.
void VerificaRiproducibile(const std::vector<Istruzione>& istruzioni);

} // namespace bench
