// Prints how long the access window takes from the click on OK to the menu window of a large
// project (50 programs, a menu of 256 entries on four levels, 100 big buttons), against the
// bare Firebird client running the statements that login sent. Embedded, and through the
// loopback server when QUENDRA_SERVER is set.

#include "BenchComune.h"
#include "CollegamentoLento.h"
#include "SequenzaDiRiferimento.h"

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "datamodule/TabX.h"
#include "fb/Errore.h"
#include "fb/Valori.h"
#include "forms/SelezDitta.h"

#include <QAction>
#include <QListWidget>
#include <QPointer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
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

// ---- the login and the change of company ------------------------------------------------

// The other company of the user: the same archive and captions, so F9 rebuilds everything.
const QString AltraDitta = QStringLiteral("BETA");

QStringList IstruzioniAltraDitta(const bench::Installazione& installazione) {
    const auto parametro = [](const QString& nome, const QString& valore, int progressivo) {
        return bench::IstruzioneParametro(nome, valore, progressivo)
            .replace(Quota(bench::DittaBench), Quota(AltraDitta));
    };
    QStringList istruzioni{parametro(QStringLiteral("Archivio"), installazione.FileArchivio(), 20)};
    for (int e = 0; e < EtichetteConValore; ++e)
        istruzioni.append(parametro(QStringLiteral("Etichetta%1").arg(e), QStringLiteral("valore %1").arg(e), 21 + e));
    return istruzioni;
}

// What the project describes, as either path must build it.
bench::MenuCostruito MenuAtteso() {
    bench::MenuCostruito atteso;
    atteso.Programmi = Programmi;
    atteso.Pulsantoni = Pulsantoni;
    for (const Voce& v : Menu()) {
        atteso.Voci += v.Programma == 1;
        atteso.Rapide += v.Rapida;
    }
    return atteso;
}

void VerificaCostruito(const char* chi, const bench::MenuCostruito& c) {
    const bench::MenuCostruito a = MenuAtteso();
    if (c.Programmi != a.Programmi || c.Rapide != a.Rapide || c.Voci != a.Voci || c.Pulsantoni != a.Pulsantoni)
        throw std::runtime_error(QStringLiteral("%1 did not build the project: %2 programs, %3 quick entries, "
                                                "%4 menu entries, %5 big buttons")
                                     .arg(QLatin1String(chi))
                                     .arg(c.Programmi)
                                     .arg(c.Rapide)
                                     .arg(c.Voci)
                                     .arg(c.Pulsantoni)
                                     .toStdString());
}

// A login or F9 that did not reach the menu the project describes is no figure at all.
void VerificaMenu(const TBaseMainForm& finestra, const QString& ditta) {
    bench::MenuCostruito c;
    for (const QAction* voce : finestra.Voci)
        c.Voci += voce != nullptr;
    c.Programmi = static_cast<int>(finestra.Gruppi.size());
    c.Rapide = static_cast<int>(finestra.VociRapide.size());
    c.Pulsantoni = static_cast<int>(finestra.Pulsantoni.size());
    VerificaCostruito("the window", c);
    if (!finestra.SessioneAperta || finestra.TagMenuPrincipale != 1 || finestra.TabXForm->GetDitta() != ditta)
        throw std::runtime_error("the window is not logged in on the expected company");
}

// Answers the company dialog as soon as it shows: the given company, then OK. Queued, so the
// dialog's own loop runs it at once, with no polling in the timed path.
class SceltaDitta : public QObject {
public:
    explicit SceltaDitta(QString ditta) : ditta_(std::move(ditta)) { qApp->installEventFilter(this); }
    ~SceltaDitta() override { qApp->removeEventFilter(this); }
    SceltaDitta(const SceltaDitta&) = delete;
    SceltaDitta& operator=(const SceltaDitta&) = delete;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        auto* dialogo = qobject_cast<TSelezDittaForm*>(oggetto);
        if (dialogo && evento->type() == QEvent::Show) {
            QPointer<TSelezDittaForm> guardia(dialogo);
            const QString ditta = ditta_;
            QMetaObject::invokeMethod(
                dialogo,
                [guardia, ditta] {
                    if (!guardia)
                        return;
                    const auto righe = guardia->ListBoxSelDitta->findItems(ditta, Qt::MatchExactly);
                    if (!righe.isEmpty())
                        guardia->ListBoxSelDitta->setCurrentItem(righe.first());
                    guardia->ButtonOk->click();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QString ditta_;
};

struct Percorso {
    bench::Misure Login, Ditta;
};

struct Risultato {
    Percorso Nostro, Riferimento;
    int Messaggi = 0;
};

// A fresh window with the user chosen and made visible.
std::unique_ptr<TBaseMainForm> NuovaFinestra() {
    auto finestra = std::make_unique<TBaseMainForm>();
    finestra->show();
    QApplication::processEvents();
    bench::ScegliUtente(*finestra);
    return finestra;
}

// The click on OK, then F9 to the other company.
void GiroNostro(const bench::Modo& modo, Percorso& p) {
    const auto finestra = NuovaFinestra();
    bench::Misura(modo, p.Login, [&] { finestra->ButtonOk->click(); });
    VerificaMenu(*finestra, bench::DittaBench);
    SceltaDitta scelta(AltraDitta);
    bench::Misura(modo, p.Ditta, [&] { finestra->CambioDitta(); });
    VerificaMenu(*finestra, AltraDitta);
}

void GiroRiferimento(const bench::Modo& modo, const bench::Installazione& installazione, Percorso& p) {
    bench::SequenzaDiRiferimento sequenza(installazione.NomeUtenti(), installazione.NomeArchivio());
    bench::Misura(modo, p.Login, [&] { sequenza.Login(bench::UtenteBench, QString()); });
    VerificaCostruito("the reference login", sequenza.Menu());
    p.Login.Istruzioni = sequenza.Istruzioni();
    bench::Misura(modo, p.Ditta, [&] { sequenza.CambioDitta(AltraDitta); });
    VerificaCostruito("the reference F9", sequenza.Menu());
    p.Ditta.Istruzioni = sequenza.Istruzioni() - p.Login.Istruzioni;
}

// Statements our path sends, from a recorded round (never a timed one).
void ContaIstruzioni(Percorso& p, bool elenca, const QString& nomeModo) {
    const auto finestra = NuovaFinestra();
    const bench::Registrazione login = bench::Registra(*finestra, [&] { finestra->ButtonOk->click(); });
    SceltaDitta scelta(AltraDitta);
    const bench::Registrazione ditta = bench::Registra(*finestra, [&] { finestra->CambioDitta(); });
    p.Login.Istruzioni = static_cast<int>(login.Istruzioni.size());
    p.Ditta.Istruzioni = static_cast<int>(ditta.Istruzioni.size());
    if (elenca) {
        bench::StampaIstruzioni(nomeModo + QStringLiteral(" login"), login.Istruzioni);
        bench::StampaIstruzioni(nomeModo + QStringLiteral(" F9"), ditta.Istruzioni);
    }
}

Risultato MisuraModo(const bench::Modo& modo, const bench::Opzioni& o) {
    bench::Installazione installazione(modo.Server);
    CreaGrafica(installazione);
    installazione.Utenti(IstruzioniProgetto(installazione) + IstruzioniAltraDitta(installazione));
    // Each login opens a session and F9 moves the user; every round starts alike.
    const auto ripulisci = [&] {
        installazione.Utenti({QStringLiteral("DELETE FROM KESTOLOG"),
                              QStringLiteral("UPDATE UTENTI SET DITTA=") + Quota(bench::DittaBench)});
    };

    bench::MessaggiBench messaggi;
    Risultato r;
    // The first window creates TABSCRIPT and loads the image plug-ins.
    ripulisci();
    ContaIstruzioni(r.Nostro, o.Elenco, modo.Nome);
    const int messaggiPrima = messaggi.Mostrati;
    const auto nostro = [&] {
        if (o.Nostro) {
            ripulisci();
            GiroNostro(modo, r.Nostro);
        }
    };
    const auto riferimento = [&] {
        if (o.Nudo) {
            ripulisci();
            GiroRiferimento(modo, installazione, r.Riferimento);
        }
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
    bench::StampaRiga(modo, "login", r.Nostro.Login, r.Riferimento.Login, bench::Obiettivo(modo, "<= 0.2", "<= 1.0"));
    bench::StampaRiga(modo, "F9", r.Nostro.Ditta, r.Riferimento.Ditta, bench::Obiettivo(modo, "<= 0.5", "-"));
    if (r.Messaggi)
        std::printf("%-12s note: %d message boxes appeared during the timed runs (see stderr)\n",
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
                             QStringLiteral("Time from OK to the menu window of a large project, and of F9 to "
                                            "the other company, against the reference sequence."),
                             9, o, QStringLiteral("0,5")))
        return 2;

    const QString server = bench::ServerDiProva();
    std::printf("bench_login: %d programs (%d with icons), a menu of 256 entries on four levels, "
                "%d big buttons with glyphs; median of %d rounds, a fresh window each\n\n",
                Programmi, Programmi / 2, Pulsantoni, o.Giri);
    bench::StampaIntestazione();
    const int esito = bench::MisuraNeiModi(server, o, [&o](const bench::Modo& modo) {
        Stampa(modo, MisuraModo(modo, o));
    });
    std::printf("\nref: the reference sequence (one statement per question: a count per menu entry, a select per "
                "program's quick entries, a parameter read per caption) through the bare client, in the same "
                "transactions; it builds no widget. trips: round trips over the link (client speaks after an "
                "answer), attaching the archive included. F9 starts at the key and includes the company "
                "dialog, answered as soon as it shows.\n");
    return esito;
}
