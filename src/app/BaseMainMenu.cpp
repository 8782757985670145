// The menu window's programs, menus, quick entries and big buttons, built from the users
// database within the window's own transaction.

#include "app/BaseMain.h"

#include "app/AlberoMenu.h"
#include "app/BarraProgrammi.h"
#include "app/ListaImmagini.h"
#include "app/RegoleAccesso.h"
#include "datamodule/TabX.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"
#include "piattaforma/Protezione.h"

#include <QAction>
#include <QBitmap>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <optional>
#include <utility>
#include <vector>

namespace {

const QString Separatore = QStringLiteral("-");

QString Campo(const fb::TQuery& query, const char* nome) {
    return query.FieldByName(QString::fromLatin1(nome)).AsString();
}

int Intero(const fb::TQuery& query, const char* nome) {
    return query.FieldByName(QString::fromLatin1(nome)).AsInteger();
}

// The directory of the executable followed by "Grafica\", in the stored paths' form.
QString DirectoryGrafica() {
    QString directory = piattaforma::DirectoryEseguibile();
    if (!directory.endsWith(u'\\') && !directory.endsWith(u'/'))
        directory += u'\\';
    return directory + QStringLiteral("Grafica\\");
}

// Reads in exactly this format, whatever the file's name or content says.
void ApriLettore(QImageReader& lettore, const QString& percorso, const char* formato) {
    lettore.setFileName(piattaforma::PercorsoNativo(percorso));
    lettore.setFormat(formato);
    lettore.setAutoDetectImageFormat(false);
}

// Every picture of the icon file, so each list takes the size that suits it; null when
// none can be read.
QIcon LeggiIcona(const QString& percorso) {
    QImageReader lettore;
    ApriLettore(lettore, percorso, "ico");
    QIcon icona;
    do {
        const QImage immagine = lettore.read();
        if (!immagine.isNull())
            icona.addPixmap(QPixmap::fromImage(immagine));
    } while (lettore.jumpToNextImage());
    return icona;
}

// The bottom-left pixel's colour is transparent, as glyphs are drawn; null when the file
// is missing or not a bitmap.
QPixmap LeggiGlifo(const QString& percorso) {
    if (!piattaforma::FileEsiste(percorso))
        return {};
    QImageReader lettore;
    ApriLettore(lettore, percorso, "bmp");
    const QImage immagine = lettore.read();
    if (immagine.isNull())
        return {};
    QPixmap glifo = QPixmap::fromImage(immagine);
    const QRgb trasparente = immagine.pixel(0, immagine.height() - 1);
    glifo.setMask(QBitmap::fromImage(immagine.createMaskFromColor(trasparente, Qt::MaskInColor)));
    return glifo;
}

// The pictures of "Grafica" for one load of programs and big buttons. A picture that
// cannot be read costs only itself: its program or button goes without, and one warning
// at the end names the first such file, so a bad file never takes the menus with it.
// Each file is read once, however many buttons share it.
class ImmaginiGrafica {
public:
    explicit ImmaginiGrafica(QString grafica) : grafica_(std::move(grafica)) {}

    QIcon Icona(const QString& nome) {
        return Leggi(icone_, nome, LeggiIcona, [](const QIcon& i) { return i.isNull(); });
    }
    QPixmap Glifo(const QString& nome) {
        return Leggi(glifi_, nome, LeggiGlifo, [](const QPixmap& p) { return p.isNull(); });
    }

    void SegnalaErrori() const {
        if (primoErrore_.isEmpty())
            return;
        piattaforma::MostraAvviso(QStringLiteral("Impossibile caricare l'immagine \"%1\": i programmi e i "
                                                 "pulsantoni interessati restano senza immagine")
                                      .arg(piattaforma::PercorsoNativo(primoErrore_)));
    }

private:
    template <typename T, typename Lettura, typename Vuota>
    T Leggi(QHash<QString, T>& lette, const QString& nome, Lettura lettura, Vuota vuota) {
        const QString percorso = grafica_ + nome;
        const auto trovata = lette.constFind(percorso);
        if (trovata != lette.constEnd())
            return *trovata;
        const T immagine = lettura(percorso);
        if (vuota(immagine) && primoErrore_.isEmpty())
            primoErrore_ = percorso;
        lette.insert(percorso, immagine);
        return immagine;
    }

    QString grafica_;
    QHash<QString, QIcon> icone_;
    QHash<QString, QPixmap> glifi_;
    QString primoErrore_;
};

// Stores an entry at its running number (from 1).
void Registra(std::vector<QAction*>& voci, int numero, QAction* voce) {
    if (voci.size() < static_cast<size_t>(numero))
        voci.resize(static_cast<size_t>(numero));
    voci[static_cast<size_t>(numero) - 1] = voce;
}

} // namespace

// ---- Programs and big buttons ----

namespace {

// The program's icon into both lists; false when it has none (no name, no such file, or
// a file that is not an icon).
bool CaricaIconaProgramma(TBarraProgrammi& barra, ImmaginiGrafica& immagini, const QString& grafica,
                          const QString& icona) {
    if (icona.isEmpty() || !piattaforma::FileEsiste(grafica + icona))
        return false;
    const QIcon immagine = immagini.Icona(icona);
    if (immagine.isNull())
        return false;
    barra.IconeProgrammi->Aggiungi(immagine);
    barra.Icone2Programmi->Aggiungi(immagine);
    return true;
}

// The glyph of a big button; a name that is not a bitmap's is only warned about.
void ImpostaGlifo(QPushButton& pulsante, ImmaginiGrafica& immagini, const QString& immagine) {
    if (immagine.isEmpty())
        return;
    if (!immagine.toUpper().contains(QStringLiteral(".BMP"))) {
        piattaforma::MostraAvviso(
            QStringLiteral("I pulsantoni possono caricare solo immagini bitmap: controllare "
                           "l'impostazione del pulsantone"));
        return;
    }
    const QPixmap glifo = immagini.Glifo(immagine);
    if (glifo.isNull())
        return;
    pulsante.setIcon(glifo);
    pulsante.setIconSize(glifo.size());
}

struct VoceRapida {
    qint32 Menu;
    QString Descrizione;
};

// The quick entries of every program of the project, at any depth, whether visible or not,
// in one select; each program's in ascending MENU order.
QHash<qint32, std::vector<VoceRapida>> LeggiVociRapide(fb::TQuery& query, qint32 progetto) {
    query.ApriSQL({QStringLiteral("SELECT PROGRAMMA,MENU,DESCRIZIONE FROM DETTMENU WHERE"),
                   QStringLiteral("(PROGRAMMA IN (SELECT PROGRAMMA FROM DETTPROGETTI WHERE PROGETTO=%1))AND")
                       .arg(fb::Quota(progetto)),
                   QStringLiteral("(VOCERAPIDA='1')"),
                   QStringLiteral("ORDER BY PROGRAMMA,MENU")});
    QHash<qint32, std::vector<VoceRapida>> voci;
    for (; !query.Eof(); query.Next())
        voci[Intero(query, "PROGRAMMA")].push_back({Intero(query, "MENU"), Campo(query, "DESCRIZIONE")});
    query.Close();
    return voci;
}

// Linked into the program's group.
void CaricaVociRapide(TBaseMainForm& finestra, TGruppoProgramma* gruppo, const std::vector<VoceRapida>& voci) {
    for (const VoceRapida& rapida : voci) {
        auto* voce = new TVoceRapida(&finestra);
        finestra.VociRapide.push_back(voce);
        voce->ImpostaTesto(rapida.Descrizione);
        QObject::connect(voce, &TVoceRapida::Click, &finestra,
                         piattaforma::Protetto([&finestra, voce] { finestra.VoceRapidaClick(voce); }));
        gruppo->Collega(voce);
        voce->ImpostaTag(rapida.Menu);
    }
}

// The project's visible big buttons replace the previous ones, in the order the database
// gives them, at the stored places on Panel1.
void CaricaPulsantoni(TBaseMainForm& finestra, ImmaginiGrafica& immagini) {
    fb::TQuery& query = *finestra.QueryAux;
    query.ApriSQL({QStringLiteral("SELECT ID,POS_X,POS_Y,LARGHEZZA,ALTEZZA,NOME,NOMEIMMAGINE"),
                   QStringLiteral("FROM PULSANTONI"),
                   QStringLiteral("WHERE (PROGETTO=%1)").arg(fb::Quota(finestra.CodiceProgetto)),
                   QStringLiteral("AND(VISIBILE='1')")});
    finestra.RimuoviPulsantoni();
    for (; !query.Eof(); query.Next()) {
        const qint32 id = Intero(query, "ID");
        auto* pulsante = new QPushButton(finestra.Panel1);
        finestra.Pulsantoni.emplace_back(pulsante);
        pulsante->setFocusPolicy(Qt::NoFocus);
        QObject::connect(pulsante, &QPushButton::clicked, &finestra,
                         piattaforma::Protetto([&finestra, pulsante] { finestra.PulsantoneClick(pulsante); }));
        pulsante->setObjectName(QStringLiteral("Pulsantone_") + QString::number(id));
        pulsante->setProperty("Tag", id);
        pulsante->setGeometry(Intero(query, "POS_X"), Intero(query, "POS_Y"),
                              Intero(query, "LARGHEZZA"), Intero(query, "ALTEZZA"));
        pulsante->setText(Campo(query, "NOME"));
        pulsante->show();
        ImpostaGlifo(*pulsante, immagini, Campo(query, "NOMEIMMAGINE"));
    }
    query.Close();
}

} // namespace

void TBaseMainForm::CaricaProgrammi() {
    const TBarraProgrammi::Blocco blocco(MenuProgrammi);
    MenuProgrammi->RimuoviGruppi();
    MenuProgrammi->IconeProgrammi->Svuota();
    MenuProgrammi->Icone2Programmi->Svuota();
    Gruppi.clear();
    VociRapide.clear();
    int immagini = 0;
    const QString grafica = DirectoryGrafica();
    ImmaginiGrafica immaginiGrafica(grafica);

    const QHash<qint32, std::vector<VoceRapida>> vociRapide = LeggiVociRapide(*QueryAux2, CodiceProgetto);
    QueryAux->ApriSQL({QStringLiteral("SELECT CODICE,DESCRIZIONE,ICONA FROM PROGRAMMI WHERE CODICE IN("),
                       QStringLiteral("SELECT PROGRAMMA FROM DETTPROGETTI"),
                       QStringLiteral("WHERE PROGETTO=%1)").arg(fb::Quota(CodiceProgetto)),
                       QStringLiteral("ORDER BY CODICE")});
    QueryAux->FetchAll();
    for (; !QueryAux->Eof(); QueryAux->Next()) {
        const bool conIcona =
            CaricaIconaProgramma(*MenuProgrammi, immaginiGrafica, grafica, Campo(*QueryAux, "ICONA"));
        TGruppoProgramma* gruppo = MenuProgrammi->AggiungiGruppo();
        Gruppi.push_back(gruppo);
        gruppo->ImpostaTesto(Campo(*QueryAux, "DESCRIZIONE"));
        gruppo->ImpostaTag(Intero(*QueryAux, "CODICE"));
        connect(gruppo, &TGruppoProgramma::Click, this, piattaforma::Protetto([this, gruppo] { ProgrammaOnClick(gruppo); }));
        if (conIcona) {
            gruppo->ImpostaIndiceImmagineGrande(immagini);
            gruppo->ImpostaIndiceImmaginePiccola(immagini);
            ++immagini;
        }
        CaricaVociRapide(*this, gruppo, vociRapide.value(Intero(*QueryAux, "CODICE")));
    }
    QueryAux->Close();
    CaricaPulsantoni(*this, immaginiGrafica);
    immaginiGrafica.SegnalaErrori();
}

// ---- The menu bar ----

namespace {

// The caption of an entry below the menu bar, with its parameter read from the data module.
QString TestoVoce(TTabXForm& tabX, const QString& descrizione) {
    return TestoVoceMenu(descrizione, [&tabX](const QString& nome) {
        QString valore;
        tabX.CaricaParametro(nome, valore);
        return valore;
    });
}

} // namespace

namespace {

std::optional<qint32> InteroOpzionale(const fb::TQuery& query, const char* nome) {
    const fb::TCampo& campo = query.FieldByName(QLatin1String(nome));
    if (campo.IsNull())
        return std::nullopt;
    return campo.AsInteger();
}

// The program's visible rows in one select; the tree is arranged in memory.
TAlberoMenu LeggiAlberoMenu(fb::TQuery& query, qint32 programma) {
    query.ApriSQL({QStringLiteral("SELECT MENU,LIVELLOMENU,MENUPREC,DESCRIZIONE,LIVELLO2VERSIONE FROM DETTMENU WHERE"),
                   QStringLiteral("(PROGRAMMA=%1)AND(VISIBILE='1')").arg(fb::Quota(programma)),
                   QStringLiteral("ORDER BY MENU")});
    query.FetchAll();
    std::vector<TRigaMenu> righe;
    righe.reserve(static_cast<size_t>(query.RecordCount()));
    for (; !query.Eof(); query.Next())
        righe.push_back({Intero(query, "MENU"), InteroOpzionale(query, "LIVELLOMENU"),
                         InteroOpzionale(query, "MENUPREC"), Campo(query, "DESCRIZIONE"),
                         Campo(query, "LIVELLO2VERSIONE")});
    query.Close();
    return TAlberoMenu(std::move(righe));
}

} // namespace

void TBaseMainForm::CaricaMenu(qint32 programma) {
    // The captions' parameters from one read.
    const TTabXForm::TParametriInBlocco parametri(*TabXForm);
    SvuotaMenuPrincipale();
    Voci.clear();
    NumeroVoci = 1;
    TagMenuPrincipale = programma;

    const TAlberoMenu albero = LeggiAlberoMenu(*QueryAux, programma);
    for (const TRigaMenu* riga : albero.Barra()) {
        const qint32 menu = riga->Menu;
        // The caption as stored: no parameter and no separator on the bar itself.
        const QString& testo = riga->Descrizione;
        if (albero.HaFigli(0, menu)) {
            auto* sottoMenu = new QMenu(testo, this);
            sottoMenu->menuAction()->setData(menu);
            MenuPrincipale->addMenu(sottoMenu);
            Registra(Voci, NumeroVoci, sottoMenu->menuAction());
            CreaVoci(albero, menu, 0, sottoMenu);
        } else {
            // Mode 1 whatever LIVELLO2VERSIONE says.
            auto* voce = new QAction(testo, this);
            voce->setData(menu);
            MenuPrincipale->addAction(voce);
            Registra(Voci, NumeroVoci, voce);
            connect(voce, &QAction::triggered, this, piattaforma::Protetto([this, voce] { EventoVoceOnClick(voce); }));
        }
        ++NumeroVoci;
    }
}

// Sub-entries belong to the menu they sit in, so that removing a menu bar entry takes its
// whole tree with it.
void TBaseMainForm::CreaVoci(const TAlberoMenu& albero, qint32 menu, qint32 livello, QMenu* padre) {
    for (const TRigaMenu* riga : albero.Figli(livello, menu)) {
        ++NumeroVoci;
        const qint32 figlio = riga->Menu;
        const qint32 livelloFiglio = livello + 1;
        const QString& descrizione = riga->Descrizione;
        const QString testo = TestoVoce(*TabXForm, descrizione);

        if (descrizione == Separatore) {
            // A line only: styles that draw a separator's text would show the "-".
            QAction* separatore = padre->addSeparator();
            separatore->setData(figlio);
            separatore->setObjectName(QStringLiteral("N") + QString::number(figlio));
            Registra(Voci, NumeroVoci, separatore);
        } else if (albero.HaFigli(livelloFiglio, figlio)) {
            auto* sottoMenu = new QMenu(testo, padre);
            sottoMenu->menuAction()->setData(figlio);
            padre->addMenu(sottoMenu);
            Registra(Voci, NumeroVoci, sottoMenu->menuAction());
            CreaVoci(albero, figlio, livelloFiglio, sottoMenu);
        } else {
            auto* voce = new QAction(testo, padre);
            voce->setData(figlio);
            padre->addAction(voce);
            Registra(Voci, NumeroVoci, voce);
            if (fb::FlagAttivo(riga->Livello2Versione))
                connect(voce, &QAction::triggered, this,
                        piattaforma::Protetto([this, voce] { EventoVoce2OnClick(voce); }));
            else
                connect(voce, &QAction::triggered, this, piattaforma::Protetto([this, voce] { EventoVoceOnClick(voce); }));
        }
    }
}

// ---- Clicks on the navigation bar ----

void TBaseMainForm::ProgrammaOnClick(TGruppoProgramma* gruppo) { CaricaMenu(gruppo->Tag()); }

void TBaseMainForm::VoceRapidaClick(TVoceRapida* voce) {
    if (voce->Gruppo() == nullptr)
        return;
    EseguiFunzioneVoce(voce->Gruppo()->Tag(), voce->Tag(), 1);
}
