// Prints how long the demo's editing window takes on an archive table of 10,000 customers:
// opening it and scrolling the grid to the end, and saving one edited row (the lock as editing
// starts, the post, the commit and the re-read). Against the bare Firebird client running the
// statements that each sent. Embedded, and through the loopback server when QUENDRA_SERVER is
// set.

#include "BenchComune.h"
#include "CollegamentoLento.h"

#include "app/Applicazione.h"
#include "datamodule/TabX.h"
#include "fb/Errore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTableView>

#include <dlfcn.h>

#include <cstdio>
#include <stdexcept>

namespace {

using bench::Orologio;

constexpr int Righe = 10000;

QStringList IstruzioniClienti() {
    return {QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN "
                           "WHILE (I <= %1) DO BEGIN "
                           "INSERT INTO CLIFOR (CODICE, RAGIONESOCIALE, CITTA, PARTITAIVA, FIDO, CLIENTEDAL) "
                           "VALUES (:I, 'Cliente numero ' || :I, 'Città ' || MOD(:I, 97), LPAD(:I, 11, '0'), "
                           ":I * 1.5, DATEADD(:I DAY TO DATE '1990-01-01')); I = I + 1; END END")
                .arg(Righe),
            QStringLiteral("SET GENERATOR GEN_CLIFOR TO %1").arg(Righe)};
}

using Apertura = int32_t (*)(int32_t, int32_t);

// The window of the demo library, opened by its export as a menu launch would.
QWidget* ApriFinestra(Apertura apri) {
    apri(1, 0);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("ClientiForm") && w->isVisible())
            return w;
    throw std::runtime_error("the customers' window did not open (see the boxes on stderr)");
}

void ScorriAllaFine(QWidget* finestra) {
    auto* griglia = finestra->findChild<QTableView*>(QStringLiteral("Griglia"));
    griglia->scrollToBottom();
    griglia->setCurrentIndex(griglia->model()->index(griglia->model()->rowCount() - 1, 1));
    QApplication::processEvents(); // painted where it stands
}

// Edits the name of the row in view and saves it with the window's own button.
void SalvaUnaRiga(QWidget* finestra, int giro) {
    auto* griglia = finestra->findChild<QTableView*>(QStringLiteral("Griglia"));
    const QModelIndex cella = griglia->model()->index(griglia->model()->rowCount() - 1, 1);
    if (!griglia->model()->setData(cella, QStringLiteral("Modificato %1").arg(giro)))
        throw std::runtime_error("the edit was refused (see the boxes on stderr)");
    finestra->findChild<QAbstractButton*>(QStringLiteral("ButtonSalva"))->click();
    QApplication::processEvents();
}

std::set<bench::ChiaveTransazione> Attive(const TTabXForm& tabx) {
    std::set<bench::ChiaveTransazione> attive;
    bench::AggiungiSeAttiva(attive, tabx.IBTransaction1);
    return attive;
}

template <typename Operazione> bench::Registrazione Registra(const TTabXForm& tabx, Operazione operazione) {
    bench::Registrazione r;
    r.AttivePrima = Attive(tabx);
    {
        bench::Registratore registratore;
        operazione();
        r.Istruzioni = std::move(registratore.Istruzioni);
    }
    r.AttiveDopo = Attive(tabx);
    return r;
}

struct Misure {
    std::size_t Istruzioni = 0;
    std::vector<double> Nostro, Nudo;
};

struct Risultato {
    QString Modo;
    Misure Apertura, Salvataggio;
    int Messaggi = 0;
};

Risultato MisuraModo(const QString& modo, const QString& server, const bench::Opzioni& o) {
    bench::Installazione installazione(server);
    installazione.Archivio(IstruzioniClienti());
    const QString copia = installazione.Directory() + QStringLiteral("Anagrafiche.so");
    if (!QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/Anagrafiche.so"), copia))
        throw std::runtime_error("cannot copy Anagrafiche.so beside the installation");
    void* libreria = dlopen(QFile::encodeName(copia).constData(), RTLD_NOW | RTLD_LOCAL);
    const auto apri = libreria ? reinterpret_cast<Apertura>(dlsym(libreria, "ApriClientiX")) : nullptr;
    if (apri == nullptr)
        throw std::runtime_error("Anagrafiche.so cannot be loaded or lacks ApriClientiX");

    bench::MessaggiBench messaggi;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    tabx.Inserisci(QStringLiteral("QVR"), QStringLiteral("Archivio"), QString(), installazione.NomeArchivio(),
                   QString(), QString(), QString(), QString(), QStringLiteral("0"));
    tabx.ConnettiDatabase1(QStringLiteral("Archivio"));

    // Once unrecorded, so that every later run meets warm caches alike.
    delete ApriFinestra(apri);
    bench::Registrazione apertura, salvataggio;
    QWidget* finestra = nullptr;
    apertura = Registra(tabx, [&] {
        finestra = ApriFinestra(apri);
        ScorriAllaFine(finestra);
    });
    salvataggio = Registra(tabx, [&] { SalvaUnaRiga(finestra, 0); });
    delete finestra;
    bench::VerificaRiproducibile(apertura.Istruzioni);
    bench::VerificaRiproducibile(salvataggio.Istruzioni);
    if (o.Elenco) {
        bench::StampaIstruzioni(modo + QStringLiteral(" open"), apertura.Istruzioni);
        bench::StampaIstruzioni(modo + QStringLiteral(" save"), salvataggio.Istruzioni);
    }
    bench::ClientNudo nudo;
    nudo.Attacca(installazione.NomeArchivio());

    Risultato r;
    r.Modo = modo;
    r.Apertura.Istruzioni = apertura.Istruzioni.size();
    r.Salvataggio.Istruzioni = salvataggio.Istruzioni.size();
    const int messaggiPrima = messaggi.Mostrati;
    for (int giro = 0; giro < o.Giri; ++giro) {
        if (o.Nostro) {
            const auto inizio = Orologio::now();
            finestra = ApriFinestra(apri);
            ScorriAllaFine(finestra);
            const auto aperta = Orologio::now();
            SalvaUnaRiga(finestra, giro + 1);
            const auto fine = Orologio::now();
            r.Apertura.Nostro.push_back(bench::Ms(aperta - inizio));
            r.Salvataggio.Nostro.push_back(bench::Ms(fine - aperta));
            delete finestra;
        }
        if (o.Nudo) {
            r.Apertura.Nudo.push_back(nudo.Riproduci(apertura));
            r.Salvataggio.Nudo.push_back(nudo.Riproduci(salvataggio));
        }
    }
    r.Messaggi = messaggi.Mostrati - messaggiPrima;
    return r;
}

void StampaRiga(const QString& modo, const char* cosa, const Misure& m) {
    const double nostro = bench::Mediana(m.Nostro);
    const double nudo = bench::Mediana(m.Nudo);
    std::printf("%-14s %-22s %11zu %10.1f %9.1f %7.2f\n", qPrintable(modo), cosa, m.Istruzioni, nostro, nudo,
                nostro / nudo);
}

void Stampa(const Risultato& r) {
    StampaRiga(r.Modo, "open + scroll to end", r.Apertura);
    StampaRiga(r.Modo, "save one edited row", r.Salvataggio);
    if (r.Messaggi)
        std::printf("%-14s note: %d message boxes appeared during the timed runs (see stderr)\n",
                    qPrintable(r.Modo), r.Messaggi);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplicazione app(argc, argv);
    bench::TaciAvvisiOffscreen();
    bench::Opzioni o;
    if (!bench::LeggiOpzioni(app, QStringLiteral("The demo's editing window on 10,000 customers, against the bare client."),
                             7, o))
        return 2;
    const QString server = bench::ServerDiProva();
    std::printf("bench_modifica: the customers' editing window on %d rows; median of %d rounds\n\n", Righe, o.Giri);
    std::printf("%-14s %-22s %11s %10s %9s %7s\n", "mode", "operation", "statements", "ours ms", "bare ms", "ratio");
    const int esito = bench::MisuraNeiModi(server, o, [&o](const bench::Modo& modo) {
        Stampa(MisuraModo(modo.Nome, modo.Server, o));
    });
    std::printf("\nbare ms: the same statement texts, in order, through the client interface (prepare, execute, "
                "fetch every row, read blobs), each recorded transaction started and committed around its "
                "statements. ours ms: the window as a user meets it, grid painted.\n");
    return esito;
}
