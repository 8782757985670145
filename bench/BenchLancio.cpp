// Prints how long a click on a menu entry takes to reach the function library's export: a
// form X entry of a critical window, so the launch checks and takes a semaphore in the
// company archive. Against the bare Firebird client running the statements that launch
// sent. Embedded, and through the loopback server when QUENDRA_SERVER is set.

#include "BenchComune.h"
#include "CollegamentoLento.h"
#include "SequenzaDiRiferimento.h"

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "fb/Errore.h"
#include "fb/Valori.h"

#include <QAction>
#include <QFile>
#include <QPushButton>

#include <dlfcn.h>

#include <cstdio>
#include <stdexcept>

namespace {

using bench::Libreria;
using bench::Orologio;
using fb::Quota;

const QString Funzione = QStringLiteral("ApriX");
constexpr int MenuLancio = 3;

// The library as the program loaded it: the same file, so the same instance.
class LibreriaBench {
public:
    explicit LibreriaBench(const QString& percorso)
        : libreria_(dlopen(QFile::encodeName(percorso).constData(), RTLD_NOW | RTLD_LOCAL)) {
        if (libreria_ == nullptr)
            throw std::runtime_error("cannot load " + percorso.toStdString());
        ultima_ = reinterpret_cast<int64_t (*)()>(dlsym(libreria_, "LibreriaBenchUltimaChiamata"));
        chiamate_ = reinterpret_cast<int32_t (*)()>(dlsym(libreria_, "LibreriaBenchChiamate"));
        if (!ultima_ || !chiamate_)
            throw std::runtime_error("LibreriaBench.so lacks its reading exports");
    }
    LibreriaBench(const LibreriaBench&) = delete;
    LibreriaBench& operator=(const LibreriaBench&) = delete;

    Orologio::time_point UltimaChiamata() const {
        return Orologio::time_point(std::chrono::nanoseconds(ultima_()));
    }
    int Chiamate() const { return chiamate_(); }

private:
    void* libreria_;
    int64_t (*ultima_)() = nullptr;
    int32_t (*chiamate_)() = nullptr;
};

// One program, "Funzioni" on the menu bar with a few entries under it; entry 3 runs ApriX in
// mode 1. The window is critical and linked to another one whose semaphore is free, so both
// semaphore counts have rows to join.
QString IstruzioneVoce(int menu, const QString& descrizione, const QString& funzione) {
    return QStringLiteral("INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, "
                          "DESCRIZIONE, DLL, FUNZIONE) VALUES (1, %1, %2, %3, '1', %4, %5, %6)")
        .arg(menu)
        .arg(menu == 1 ? 0 : 1)
        .arg(menu == 1 ? QStringLiteral("NULL") : QStringLiteral("1"))
        .arg(Quota(descrizione), funzione.isEmpty() ? QStringLiteral("NULL") : Quota(Libreria),
             funzione.isEmpty() ? QStringLiteral("NULL") : Quota(funzione));
}

QStringList IstruzioniUtenti(const bench::Installazione& installazione) {
    QStringList istruzioni = bench::IstruzioniUtente(installazione);
    istruzioni.append(QStringLiteral("INSERT INTO PROGRAMMI (CODICE, DESCRIZIONE) VALUES (1, %1)")
                          .arg(Quota(QStringLiteral("Programma"))));
    istruzioni.append(
        QStringLiteral("INSERT INTO DETTPROGETTI (PROGETTO, PROGRAMMA) VALUES (1, 1)"));
    istruzioni.append(IstruzioneVoce(1, QStringLiteral("Funzioni"), {}));
    for (int menu = 2; menu <= 6; ++menu)
        istruzioni.append(
            IstruzioneVoce(menu, QStringLiteral("Voce %1").arg(menu),
                           menu == MenuLancio ? Funzione : QStringLiteral("Altra%1X").arg(menu)));
    return istruzioni;
}

QStringList IstruzioniArchivio() {
    const QString collegataDll = Quota(QStringLiteral("Altra.so"));
    const QString collegataForm = Quota(QStringLiteral("AltraX"));
    return {QStringLiteral("INSERT INTO SEMAFORIFCRITICHE (DLL, FORM, OSSERVATASPECIALE) "
                           "VALUES (%1, %2, 0)")
                .arg(Quota(Libreria), Quota(Funzione)),
            QStringLiteral("INSERT INTO SEMAFORIFCRITICHECOLL (DLLPRIN, FORMPRIN, DLLCOLLEGATA, "
                           "FORMCOLLEGATA) VALUES (%1, %2, %3, %4)")
                .arg(Quota(Libreria), Quota(Funzione), collegataDll, collegataForm),
            QStringLiteral("INSERT INTO SEMAFORIF VALUES (7, %1, %2, 1, 0, 'NOW')")
                .arg(collegataDll, collegataForm)};
}

QAction* VoceLancio(const TBaseMainForm& finestra) {
    for (QAction* voce : finestra.Voci)
        if (voce && voce->data().toInt() == MenuLancio)
            return voce;
    throw std::runtime_error("the login did not build the entry to launch");
}

// The click, timed until the export notes its call; or recorded when asked.
double EseguiLancio(TBaseMainForm& finestra, const LibreriaBench& libreria,
                    bench::Registrazione* registrazione = nullptr) {
    QAction* voce = VoceLancio(finestra);
    const int prima = libreria.Chiamate();
    const auto inizio = Orologio::now();
    if (registrazione)
        *registrazione = bench::Registra(finestra, [voce] { voce->trigger(); });
    else
        voce->trigger();
    if (libreria.Chiamate() != prima + 1)
        throw std::runtime_error("the click did not reach the export (see the boxes on stderr)");
    return bench::Ms(libreria.UltimaChiamata() - inizio);
}

struct Risultato {
    bench::Misure Nostro, Riferimento;
    int Messaggi = 0;
};

Risultato MisuraModo(const bench::Modo& modo, const bench::Opzioni& o) {
    bench::Installazione installazione(modo.Server);
    installazione.Utenti(IstruzioniUtenti(installazione));
    installazione.Archivio(IstruzioniArchivio());
    // Beside the executable, where the loader looks for a bare file name.
    const QString copia = installazione.Directory() + Libreria;
    if (!QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + Libreria, copia))
        throw std::runtime_error("cannot copy LibreriaBench.so beside the installation");
    const LibreriaBench libreria(copia);
    // The rows every launch adds, so each one meets the tables alike.
    const auto ripulisci = [&] {
        installazione.Utenti({QStringLiteral("DELETE FROM KESTOLOGFUNZ")});
        installazione.Archivio(
            {QStringLiteral("DELETE FROM SEMAFORIF WHERE DLL=") + Quota(Libreria)});
    };

    bench::MessaggiBench messaggi;
    TBaseMainForm finestra;
    finestra.show();
    bench::ScegliUtente(finestra);
    finestra.ButtonOk->click();
    // The first launch loads the library.
    EseguiLancio(finestra, libreria);
    ripulisci();
    bench::Registrazione registrato;
    EseguiLancio(finestra, libreria, &registrato);
    if (o.Elenco)
        bench::StampaIstruzioni(modo.Nome, registrato.Istruzioni);

    bench::SequenzaDiRiferimento sequenza(installazione.NomeUtenti(), installazione.NomeArchivio());
    sequenza.Login(bench::UtenteBench, QString());

    Risultato r;
    r.Nostro.Istruzioni = static_cast<int>(registrato.Istruzioni.size());
    const int messaggiPrima = messaggi.Mostrati;
    const auto nostro = [&] {
        if (!o.Nostro)
            return;
        ripulisci();
        // Until the export notes its call.
        bench::Misura(modo, r.Nostro, [&] { return EseguiLancio(finestra, libreria); });
    };
    const auto riferimento = [&] {
        if (!o.Nudo)
            return;
        ripulisci();
        const int istruzioni = sequenza.Istruzioni();
        bench::Misura(modo, r.Riferimento, [&] { sequenza.Lancio(1, MenuLancio); });
        r.Riferimento.Istruzioni = sequenza.Istruzioni() - istruzioni;
    };
    for (int giro = 0; giro < o.Giri; ++giro) {
        if (giro % 2 == 0) {
            nostro();
            riferimento();
        } else {
            riferimento();
            nostro();
        }
    }
    r.Messaggi = messaggi.Mostrati - messaggiPrima;
    return r;
}

void Stampa(const bench::Modo& modo, const Risultato& r) {
    bench::StampaRiga(modo, "launch", r.Nostro, r.Riferimento, bench::Obiettivo(modo, "<= 0.5", "-"));
    if (r.Messaggi)
        std::printf("%-12s note: %d message boxes appeared during the timed launches (see stderr)\n",
                    qPrintable(modo.Nome), r.Messaggi);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplicazione app(argc, argv);
    bench::TaciAvvisiOffscreen();
    bench::Opzioni o;
    if (!bench::LeggiOpzioni(app,
                             QStringLiteral("Time from a menu click to the library's export, against the "
                                            "reference sequence."),
                             31, o, QStringLiteral("0,5")))
        return 2;

    const QString server = bench::ServerDiProva();
    std::printf("bench_lancio: menu click on a form X entry of a critical window until its export "
                "runs; median of %d launches\n\n",
                o.Giri);
    bench::StampaIntestazione();
    const int esito = bench::MisuraNeiModi(server, o, [&o](const bench::Modo& modo) {
        Stampa(modo, MisuraModo(modo, o));
    });
    std::printf("\nref: the reference sequence of a launch (profile, entry, session, call log, company, the two "
                "semaphore counts each in a fresh transaction, the semaphore taken) through the bare client, "
                "each statement prepared, executed and fetched; it loads no library.\n");
    return esito;
}
