// Prints how long the access window takes from the click on OK to the menu window of a large
// project (50 programs, a menu of 256 entries on four levels, 100 big buttons), against the
// bare Firebird client running the statements that login sent. Embedded, and through the
// loopback server when QUENDRA_SERVER is set.

#include "BenchComune.h"
#include "CollegamentoLento.h"

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "fb/Errore.h"
#include "fb/Valori.h"

#include <QAction>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <stdexcept>

namespace {

using bench::Libreria;
using bench::Orologio;
using fb::Quota;

constexpr int Programmi = 50;
constexpr int Pulsantoni = 100;
// Entries of the menu bar, then the children of each entry one level down.
constexpr int FigliPerLivello[] = {4, 3, 4, 4};
// Parameters named by the "<LINEA>" captions; the last ones have no value stored.
constexpr int Etichette = 8;
constexpr int EtichetteConValore = 5;

// ---- the project -------------------------------------------------------------------------

QColor Colore(int i) {
    return QColor::fromHsv((i * 47) % 360, 160, 200);
}

void SalvaIcona(const QString& percorso, int i) {
    QImage immagine(32, 32, QImage::Format_ARGB32);
    immagine.fill(Qt::transparent);
    QPainter pittore(&immagine);
    pittore.setBrush(Colore(i));
    pittore.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    pittore.end();
    if (!immagine.save(percorso, "ICO"))
        throw std::runtime_error("cannot write " + percorso.toStdString());
}

void SalvaGlifo(const QString& percorso, int i) {
    QImage immagine(32, 32, QImage::Format_RGB32);
    immagine.fill(Qt::white);
    QPainter pittore(&immagine);
    pittore.fillRect(QRect(6 + i % 8, 6, 16, 20), Colore(i));
    pittore.end();
    if (!immagine.save(percorso, "BMP"))
        throw std::runtime_error("cannot write " + percorso.toStdString());
}

bool ConIcona(int programma) {
    return programma % 2 == 1;
}

void CreaGrafica(const bench::Installazione& installazione) {
    const QString grafica = installazione.Directory() + QStringLiteral("Grafica/");
    for (int p = 1; p <= Programmi; ++p)
        if (ConIcona(p))
            SalvaIcona(grafica + QStringLiteral("Programma%1.ico").arg(p), p);
    for (int b = 1; b <= Pulsantoni; ++b)
        SalvaGlifo(grafica + QStringLiteral("Pulsante%1.bmp").arg(b), b);
}

struct Voce {
    int Programma = 0;
    int Menu = 0;
    int Livello = 0;
    int Padre = 0; // 0 for the menu bar
    QString Descrizione;
    bool Foglia = false;
    bool Rapida = false;
    bool Modo2 = false;
};

QString DescrizioneVoce(int menu, int livello, int indice, int indicePadre) {
    if (livello == 3 && indice == 2 && indicePadre % 2 == 0)
        return QStringLiteral("-");
    if (livello > 0 && menu % 7 == 0)
        return QStringLiteral("Voce %1 <LINEA>Etichetta%2</LINEA>").arg(menu).arg(menu % Etichette);
    return QStringLiteral("Voce %1").arg(menu);
}

// Depth first, so every entry's children follow it.
void AggiungiFigli(std::vector<Voce>& voci, int livello, int padre, int indicePadre) {
    constexpr int Livelli = static_cast<int>(std::size(FigliPerLivello));
    for (int i = 0; i < FigliPerLivello[livello]; ++i) {
        Voce voce;
        voce.Programma = 1;
        voce.Menu = static_cast<int>(voci.size()) + 1;
        voce.Livello = livello;
        voce.Padre = padre;
        voce.Descrizione = DescrizioneVoce(voce.Menu, livello, i, indicePadre);
        voce.Foglia = livello + 1 == Livelli;
        voce.Rapida = voce.Foglia && voce.Menu % 16 == 0;
        voce.Modo2 = voce.Foglia && voce.Menu % 5 == 0;
        voci.push_back(voce);
        if (!voce.Foglia)
            AggiungiFigli(voci, livello + 1, voce.Menu, i);
    }
}

// Program 1's menu, then the small menus of the others: a bar entry with two entries under
// it, the first one quick.
std::vector<Voce> Menu() {
    std::vector<Voce> voci;
    AggiungiFigli(voci, 0, 0, 0);
    for (int p = 2; p <= Programmi; ++p) {
        voci.push_back({p, 1, 0, 0, QStringLiteral("Archivi"), false, false, false});
        voci.push_back({p, 2, 1, 1, QStringLiteral("Elenco"), true, true, false});
        voci.push_back({p, 3, 1, 1, QStringLiteral("Stampa"), true, false, true});
    }
    return voci;
}

// A text value, or NULL when there is none.
QString QuotaONull(bool presente, const QString& valore) {
    return presente ? Quota(valore) : QStringLiteral("NULL");
}

QString IstruzioneVoce(const Voce& v) {
    const QString funzione = v.Modo2 ? QStringLiteral("Apri2X") : QStringLiteral("ApriX");
    return QStringLiteral("INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, "
                          "DESCRIZIONE, VOCERAPIDA, LIVELLO2VERSIONE, DLL, FUNZIONE) "
                          "VALUES (%1, %2, %3, %4, '1', %5, %6, %7, %8, %9)")
        .arg(v.Programma)
        .arg(v.Menu)
        .arg(v.Livello)
        .arg(v.Padre ? QString::number(v.Padre) : QStringLiteral("NULL"))
        .arg(Quota(v.Descrizione), QuotaONull(v.Rapida, fb::FlagImpostato),
             QuotaONull(v.Modo2, fb::FlagImpostato), QuotaONull(v.Foglia, Libreria),
             QuotaONull(v.Foglia, funzione));
}

QString IstruzioneProgramma(int p) {
    return QStringLiteral("INSERT INTO PROGRAMMI (CODICE, DESCRIZIONE, ICONA) VALUES (%1, %2, %3)")
        .arg(p)
        .arg(Quota(QStringLiteral("Programma %1").arg(p)),
             QuotaONull(ConIcona(p), QStringLiteral("Programma%1.ico").arg(p)));
}

// Ten in a row, right of the program bar.
QString IstruzionePulsantone(int b) {
    return QStringLiteral(
               "INSERT INTO PULSANTONI (ID, PROGETTO, VISIBILE, POS_X, POS_Y, LARGHEZZA, "
               "ALTEZZA, NOME, NOMEIMMAGINE, DLL, FUNZIONE) "
               "VALUES (%1, 1, '1', %2, %3, 40, 40, %4, %5, %6, %7)")
        .arg(b)
        .arg(200 + (b - 1) % 10 * 44)
        .arg(10 + (b - 1) / 10 * 44)
        .arg(Quota(QStringLiteral("P%1").arg(b)), Quota(QStringLiteral("Pulsante%1.bmp").arg(b)),
             Quota(Libreria), Quota(QStringLiteral("ApriX")));
}

QStringList IstruzioniProgetto(const bench::Installazione& installazione) {
    QStringList istruzioni = bench::IstruzioniUtente(installazione);
    for (int p = 1; p <= Programmi; ++p) {
        istruzioni.append(IstruzioneProgramma(p));
        istruzioni.append(
            QStringLiteral("INSERT INTO DETTPROGETTI (PROGETTO, PROGRAMMA) VALUES (1, %1)").arg(p));
    }
    for (const Voce& voce : Menu())
        istruzioni.append(IstruzioneVoce(voce));
    for (int b = 1; b <= Pulsantoni; ++b)
        istruzioni.append(IstruzionePulsantone(b));
    for (int e = 0; e < EtichetteConValore; ++e)
        istruzioni.append(bench::IstruzioneParametro(QStringLiteral("Etichetta%1").arg(e),
                                                     QStringLiteral("valore %1").arg(e), e + 2));
    // The window opens where this user left it.
    istruzioni.append(QStringLiteral("INSERT INTO STOPOS1 (CODICESITUAZIONE, CODICEUTENTE, "
                                     "CODICEPROGETTO, POSX, POSY, DIMX, DIMY) "
                                     "VALUES (1, 1, 1, 40, 30, 800, 600)"));
    return istruzioni;
}

// ---- the login ---------------------------------------------------------------------------

// A login that did not reach the menu the project describes is no figure at all.
void VerificaMenu(const TBaseMainForm& finestra) {
    int voci = 0;
    for (const QAction* voce : finestra.Voci)
        voci += voce != nullptr;
    const std::vector<Voce> menu = Menu();
    const int attese = static_cast<int>(
        std::count_if(menu.begin(), menu.end(), [](const Voce& v) { return v.Programma == 1; }));
    if (!finestra.SessioneAperta || finestra.TagMenuPrincipale != 1 || voci != attese ||
        static_cast<int>(finestra.Gruppi.size()) != Programmi ||
        static_cast<int>(finestra.Pulsantoni.size()) != Pulsantoni)
        throw std::runtime_error(QStringLiteral("the login did not build the project: %1 menu "
                                                "entries of %2, %3 programs, %4 big buttons")
                                     .arg(voci)
                                     .arg(attese)
                                     .arg(finestra.Gruppi.size())
                                     .arg(finestra.Pulsantoni.size())
                                     .toStdString());
}

// A fresh window with the user chosen, then the click on OK: timed, or recorded when asked.
double EseguiLogin(bench::Registrazione* registrazione = nullptr) {
    TBaseMainForm finestra;
    finestra.show();
    QApplication::processEvents();
    bench::ScegliUtente(finestra);
    const auto ok = [&] { finestra.ButtonOk->click(); };
    double ms = 0;
    if (registrazione) {
        *registrazione = bench::Registra(finestra, ok);
    } else {
        const auto inizio = Orologio::now();
        ok();
        ms = bench::Ms(Orologio::now() - inizio);
    }
    VerificaMenu(finestra);
    return ms;
}

struct Risultato {
    QString Modo;
    std::size_t Istruzioni = 0;
    std::size_t Transazioni = 0;
    std::vector<double> Login, Nudo, Attacco;
    int Messaggi = 0;
};

Risultato MisuraModo(const QString& modo, const QString& server, const bench::Opzioni& o) {
    bench::Installazione installazione(server);
    CreaGrafica(installazione);
    installazione.Utenti(IstruzioniProgetto(installazione));
    // Each login opens a session; the replay writes the recorded one again.
    const auto ripulisci = [&] { installazione.Utenti({QStringLiteral("DELETE FROM KESTOLOG")}); };

    bench::MessaggiBench messaggi;
    // The first window creates TABSCRIPT and loads the image plug-ins.
    EseguiLogin();
    ripulisci();
    bench::Registrazione registrato;
    EseguiLogin(&registrato);
    bench::VerificaRiproducibile(registrato.Istruzioni);

    bench::ClientNudo nudo;
    for (const bench::Istruzione& i : registrato.Istruzioni)
        nudo.Attacca(i.Database);
    // The bare client's attachments stay for the whole run, so the engine keeps both
    // databases open for either path alike.
    nudo.Attacca(installazione.NomeUtenti());
    nudo.Attacca(installazione.NomeArchivio());

    Risultato r;
    r.Modo = modo;
    r.Istruzioni = registrato.Istruzioni.size();
    r.Transazioni = bench::ContaTransazioni(registrato.Istruzioni);
    const int messaggiPrima = messaggi.Mostrati;
    const auto nostro = [&] {
        if (!o.Nostro)
            return;
        ripulisci();
        r.Login.push_back(EseguiLogin());
    };
    const auto bare = [&] {
        if (!o.Nudo)
            return;
        ripulisci();
        r.Nudo.push_back(nudo.Riproduci(registrato));
        r.Attacco.push_back(nudo.TempoAttacco(installazione.NomeArchivio()));
    };
    if (o.Elenco)
        bench::StampaIstruzioni(modo, registrato.Istruzioni);
    for (int giro = 0; giro < o.Giri; ++giro) {
        if (giro % 2 == 0) {
            nostro();
            bare();
        } else {
            bare();
            nostro();
        }
    }
    r.Messaggi = messaggi.Mostrati - messaggiPrima;
    return r;
}

void Stampa(const Risultato& r) {
    const double login = bench::Mediana(r.Login);
    const double nudo = bench::Mediana(r.Nudo);
    std::printf("%-12s %10.2f %11zu %13zu %9.2f %11.3f %15.2f\n", qPrintable(r.Modo), login,
                r.Istruzioni, r.Transazioni, nudo, login / nudo, bench::Mediana(r.Attacco));
    if (r.Messaggi)
        std::printf("%-9s note: %d message boxes appeared during the timed logins (see stderr)\n",
                    qPrintable(r.Modo), r.Messaggi);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplicazione app(argc, argv);
    bench::TaciAvvisiOffscreen();
    bench::Opzioni o;
    if (!bench::LeggiOpzioni(app, QStringLiteral("Time from OK to the menu window of a large project, against the bare client."), 9, o))
        return 2;
    const int giri = o.Giri;

    const QString server = bench::ServerDiProva();
    std::printf("bench_login: %d programs (%d with icons), a menu of 256 entries on four levels, "
                "%d big buttons with glyphs; median of %d rounds, a fresh window each\n\n",
                Programmi, Programmi / 2, Pulsantoni, giri);
    std::printf("%-12s %10s %11s %13s %9s %11s %15s\n", "mode", "login ms", "statements",
                "transactions", "bare ms", "login/bare", "bare attach ms");
    const int esito = bench::MisuraNeiModi(server, o, [&o](const QString& modo, const QString& raggiunto) {
        Stampa(MisuraModo(modo, raggiunto, o));
    });
    std::printf("\nbare ms: the same statement texts, in order, through the client interface "
                "(prepare, execute, fetch every row, read blobs), each recorded transaction "
                "started and committed around its statements.\n"
                "bare attach ms: attaching the archive and detaching again, which the login also "
                "does and the replay does not.\n");
    return esito;
}
