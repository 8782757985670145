#include "app/BarraProgrammi.h"
#include "app/BaseMain.h"
#include "app/ListaImmagini.h"
#include "datamodule/TabX.h"
#include "fb/Database.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

using prova::InstallazioneDiProva;

namespace {

const QString Ditta = QStringLiteral("Alfa S.r.l.");

struct RigaMenu {
    int programma;
    int menu;
    int livello;
    std::optional<int> prec;
    const char* visibile;
    QString descrizione;
    const char* rapida = "0";
    const char* livello2 = "0";
};

QString Testo(const char* valore) {
    return valore == nullptr ? QStringLiteral("NULL") : fb::Quota(QString::fromUtf8(valore));
}

QString Inserimento(const RigaMenu& r) {
    return QStringLiteral("INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, "
                          "DESCRIZIONE, VOCERAPIDA, LIVELLO2VERSIONE) VALUES (%1, %2, %3, %4, %5, %6, %7, %8)")
        .arg(r.programma)
        .arg(r.menu)
        .arg(r.livello)
        .arg(r.prec ? QString::number(*r.prec) : QStringLiteral("NULL"), Testo(r.visibile),
             fb::Quota(r.descrizione), Testo(r.rapida), Testo(r.livello2));
}

QString Programma(int codice, const QString& descrizione, const QString& icona = {}) {
    return QStringLiteral("INSERT INTO PROGRAMMI (CODICE, DESCRIZIONE, ICONA) VALUES (%1, %2, %3)")
        .arg(codice)
        .arg(fb::Quota(descrizione), icona.isEmpty() ? QStringLiteral("NULL") : fb::Quota(icona));
}

QString NelProgetto(int progetto, int programma) {
    return QStringLiteral("INSERT INTO DETTPROGETTI (PROGETTO, PROGRAMMA) VALUES (%1, %2)").arg(progetto).arg(programma);
}

QString Pulsantone(int id, int progetto, const char* visibile, QRect posto, const QString& nome,
                   const QString& immagine) {
    return QStringLiteral("INSERT INTO PULSANTONI (ID, PROGETTO, VISIBILE, POS_X, POS_Y, LARGHEZZA, ALTEZZA, "
                          "NOME, NOMEIMMAGINE) VALUES (%1, %2, %3, %4, %5, %6, %7, %8, %9)")
        .arg(id)
        .arg(progetto)
        .arg(Testo(visibile))
        .arg(posto.x())
        .arg(posto.y())
        .arg(posto.width())
        .arg(posto.height())
        .arg(fb::Quota(nome), immagine.isEmpty() ? QStringLiteral("NULL") : fb::Quota(immagine));
}

QString Parametro(const QString& nome, const QString& valore, int progressivo) {
    return QStringLiteral("INSERT INTO TABNORVANE (UTENTE, INTESTAZIONE, PARAMETRO, VALORE, PROGRESSIVO) "
                          "VALUES (1, %1, %2, %3, %4)")
        .arg(fb::Quota(Ditta), fb::Quota(nome), fb::Quota(valore))
        .arg(progressivo);
}

QString Grafica(const InstallazioneDiProva& installazione, const QString& nome) {
    return installazione.Directory() + QStringLiteral("Grafica/") + nome;
}

// A picture of one colour, in a file of the given format.
void SalvaImmagine(const QString& percorso, QSize dimensione, QColor colore, const char* formato) {
    QDir().mkpath(QFileInfo(percorso).path());
    QImage immagine(dimensione, QImage::Format_RGB32);
    immagine.fill(colore);
    ASSERT_TRUE(immagine.save(percorso, formato)) << percorso.toStdString();
}

void Svuota() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// An installation with user ROSSI of Ditta, project 1; the window is made once the test's
// rows are in, because its transaction sees the database as it was when it started.
class MenuDiProva : public ::testing::Test {
protected:
    void Esegui(const QStringList& istruzioni) { InstallazioneDiProva::Esegui(installazione.FileUtenti(), istruzioni); }

    void ApriFinestra(int progetto = 1) {
        Esegui({QStringLiteral("INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA) VALUES (1, 'ROSSI', %1)").arg(fb::Quota(Ditta))});
        finestra = std::make_unique<TBaseMainForm>();
        finestra->TabXForm->SetUserPerNome(QStringLiteral("ROSSI"));
        finestra->CodiceProgetto = progetto;
        // No profile check: every launch here stops at the entry's missing library, whose
        // message names the program and the entry.
        finestra->MantieniStdMin = true;
    }

    QAction* VoceConTag(int tag) const {
        const auto trovata = std::find_if(finestra->Voci.begin(), finestra->Voci.end(),
                                          [tag](QAction* v) { return v->data().toInt() == tag; });
        return trovata == finestra->Voci.end() ? nullptr : *trovata;
    }

    InstallazioneDiProva installazione;
    MessaggiInstallati msg;
    std::unique_ptr<TBaseMainForm> finestra;
};

QString MancaDll(int programma, int menu) {
    return QStringLiteral("Impossibile caricare la finestra relativa alla voce di menu selezionata. Controllare le "
                          "impostazioni di menu del programma %1: manca la DLL di riferimento per caricare la "
                          "finestra nel menu %2")
        .arg(programma)
        .arg(menu);
}

// A big button whose row names no library.
QString PulsantoneSenzaDll(int id) {
    return QStringLiteral("Impossibile caricare la finestra relativa al pulsantone premuto. Controllare le impostazioni "
                          "del pulsantone %1: manca la DLL di riferimento per caricare la finestra")
        .arg(id);
}

// The menu bar after "Sistema", one line per entry, sub-entries indented.
void Descrivi(const QList<QAction*>& voci, int livello, QStringList& righe) {
    for (QAction* voce : voci) {
        QString riga = QString(livello * 2, u' ');
        if (voce->isSeparator())
            riga += QStringLiteral("---- ") + voce->objectName();
        else
            riga += voce->text() + (voce->menu() ? QStringLiteral(" >") : QString());
        righe << riga + QStringLiteral(" [%1]").arg(voce->data().toInt());
        if (voce->menu())
            Descrivi(voce->menu()->actions(), livello + 1, righe);
    }
}

QStringList AlberoMenu(const TBaseMainForm& finestra) {
    QList<QAction*> voci = finestra.MenuPrincipale->actions();
    EXPECT_EQ(voci.value(0), finestra.Sistema1->menuAction());
    voci.removeFirst();
    QStringList righe;
    Descrivi(voci, 0, righe);
    return righe;
}

// ---- The menu tree ----

class AlberoDelMenu : public MenuDiProva {
protected:
    void SetUp() override {
        const std::vector<RigaMenu> righe = {
            // Depth 0: captions as stored, every leaf in mode 1.
            {20, 1, 0, {}, "1", "Archivi"},
            {20, 20, 0, {}, "1", "Foglia L2V uno", "0", "1"},
            {20, 21, 0, {}, "1", "Foglia L2V zero", "0", "0"},
            {20, 22, 0, {}, "1", "<LINEA>Anno</LINEA>"},
            {20, 23, 0, {}, "1", "-"},
            {20, 24, 0, {}, "0", "Nascosta"},
            {20, 25, 0, 1, "1", "Livello zero con padre"},
            // Under "Archivi".
            {20, 2, 1, 1, "1", "Piano dei conti d'esercizio", "1", "0"},
            {20, 3, 1, 1, "1", "-"},
            {20, 4, 2, 3, "1", "Figlio del separatore"},
            {20, 5, 1, 1, "1", "Esercizio <LINEA>Anno</LINEA> in corso", "1", "1"},
            {20, 6, 1, 1, "1", "Senza chiusura <LINEA>Anno", "0", "0"},
            {20, 7, 1, 1, "0", "Nascosto"},
            {20, 8, 2, 7, "1", "Figlio visibile di un nascosto", "1"},
            {20, 9, 1, 1, "1", "Più livelli"},
            {20, 10, 2, 9, "1", "Città", "0", "1"},
            {20, 11, 2, 9, "1", "-"},
            {20, 12, 2, 9, "1", "Perù", "0", nullptr},
            {20, 13, 1, 1, "0", "Rapida non visibile", "1"},
            {20, 30, 1, 99, "1", "Orfana"},
            // The other program, first in the bar and so its active group.
            {10, 1, 0, {}, "1", "Uno", "1"},
        };
        QStringList istruzioni = {Programma(10, QStringLiteral("Primo")),
                                  Programma(20, QStringLiteral("L'altro")), NelProgetto(1, 10),
                                  NelProgetto(1, 20), Parametro(QStringLiteral("Anno"), QStringLiteral("2024"), 1),
                                  Parametro(QString(), QStringLiteral("vuoto"), 2)};
        // Inserted backwards: the order shown is the codes'.
        for (auto r = righe.rbegin(); r != righe.rend(); ++r)
            istruzioni << Inserimento(*r);
        Esegui(istruzioni);
        ApriFinestra();
        finestra->CaricaProgrammi();
    }

    // Which handler a click on the entry runs, seen from outside: each launch stops with one
    // error box, and only the mode 2 handler then loads the active group's menu (program 10).
    QString Gestore(int tag) {
        finestra->CaricaMenu(20);
        QAction* voce = VoceConTag(tag);
        if (voce == nullptr)
            return QStringLiteral("not in the menu");
        msg->Svuota();
        voce->trigger();
        Svuota();
        if (msg->Mostrati.empty())
            return QStringLiteral("none");
        EXPECT_EQ(msg->Testi(), QStringList{MancaDll(20, tag)});
        return finestra->TagMenuPrincipale == 20 ? QStringLiteral("EventoVoceOnClick")
                                                 : QStringLiteral("EventoVoce2OnClick");
    }
};

TEST_F(AlberoDelMenu, BuildsTheVisibleTreeWithParametersAndSeparators) {
    finestra->CaricaMenu(20);
    EXPECT_EQ(finestra->TagMenuPrincipale, 20);
    const QStringList atteso = {
        "Archivi > [1]",
        "  Piano dei conti d'esercizio [2]",
        "  ---- N3 [3]",
        "  Esercizio 2024 [5]",
        "  Senza chiusura vuoto [6]",
        "  Più livelli > [9]",
        "    Città [10]",
        "    ---- N11 [11]",
        "    Perù [12]",
        "Foglia L2V uno [20]",
        "Foglia L2V zero [21]",
        "<LINEA>Anno</LINEA> [22]",
        "- [23]",
    };
    EXPECT_EQ(AlberoMenu(*finestra), atteso);

    // Depth first: a subtree is numbered before the next sibling.
    QList<int> tag;
    for (QAction* voce : finestra->Voci)
        tag << voce->data().toInt();
    EXPECT_EQ(tag, (QList<int>{1, 2, 3, 5, 6, 9, 10, 11, 12, 20, 21, 22, 23}));
    EXPECT_EQ(finestra->NumeroVoci, 14);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(AlberoDelMenu, LeavesRunInTheModeOfTheirDepthAndFlag) {
    struct Caso {
        int tag;
        const char* gestore;
    };
    const Caso casi[] = {
        {2, "EventoVoceOnClick"},   {5, "EventoVoce2OnClick"},  {6, "EventoVoceOnClick"},
        {10, "EventoVoce2OnClick"}, {12, "EventoVoceOnClick"},  {20, "EventoVoceOnClick"},
        {21, "EventoVoceOnClick"},  {22, "EventoVoceOnClick"},  {23, "EventoVoceOnClick"},
        // Entries that open a menu, and separators, run nothing.
        {1, "none"}, {9, "none"}, {3, "none"}, {11, "none"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.tag);
        EXPECT_EQ(Gestore(caso.tag), QString::fromLatin1(caso.gestore));
    }
}

TEST_F(AlberoDelMenu, ReloadReplacesTheProgramPartAndKeepsSistema) {
    finestra->CaricaMenu(20);
    QList<QPointer<QAction>> vecchie;
    for (QAction* voce : finestra->Voci)
        vecchie << voce;
    finestra->CaricaMenu(10);
    Svuota();
    EXPECT_EQ(AlberoMenu(*finestra), QStringList{"Uno [1]"});
    EXPECT_EQ(finestra->Voci.size(), 1u);
    EXPECT_EQ(finestra->NumeroVoci, 2);
    EXPECT_TRUE(std::all_of(vecchie.begin(), vecchie.end(), [](const QPointer<QAction>& v) { return v.isNull(); }))
        << "the previous entries are destroyed";

    // A program without visible entries at depth 0 leaves "Sistema" alone.
    finestra->CaricaMenu(99);
    EXPECT_TRUE(AlberoMenu(*finestra).isEmpty());
    EXPECT_TRUE(finestra->Voci.empty());
    EXPECT_EQ(finestra->TagMenuPrincipale, 99);
}

TEST_F(AlberoDelMenu, QuickEntriesListEveryFlaggedRowWithItsStoredCaption) {
    ASSERT_EQ(finestra->Gruppi.size(), 2u);
    EXPECT_EQ(finestra->Gruppi[0]->Testo(), QStringLiteral("Primo"));
    EXPECT_EQ(finestra->Gruppi[1]->Testo(), QStringLiteral("L'altro"));
    QStringList rapide;
    for (TVoceRapida* voce : finestra->VociRapide)
        rapide << QStringLiteral("%1/%2 %3").arg(voce->Gruppo()->Tag()).arg(voce->Tag()).arg(voce->Testo());
    const QStringList attese = {
        "10/1 Uno",
        "20/2 Piano dei conti d'esercizio",
        "20/5 Esercizio <LINEA>Anno</LINEA> in corso",
        "20/8 Figlio visibile di un nascosto",
        "20/13 Rapida non visibile",
    };
    EXPECT_EQ(rapide, attese);
    EXPECT_EQ(finestra->Gruppi[1]->Voci(),
              std::vector<TVoceRapida*>(finestra->VociRapide.begin() + 1, finestra->VociRapide.end()));
}

// The bar's own widgets, found by their text as the user sees it.
QAbstractButton* Pulsante(TBarraProgrammi* barra, const QString& testo) {
    for (QAbstractButton* pulsante : barra->findChildren<QAbstractButton*>())
        if (pulsante->text() == testo)
            return pulsante;
    return nullptr;
}

TEST_F(AlberoDelMenu, ClicksOnTheBarLoadMenusAndRunQuickEntries) {
    TBarraProgrammi* barra = finestra->MenuProgrammi;
    EXPECT_EQ(barra->GruppoAttivo(), finestra->Gruppi[0]);

    QAbstractButton* altro = Pulsante(barra, QStringLiteral("L'altro"));
    ASSERT_NE(altro, nullptr);
    altro->click();
    EXPECT_EQ(barra->GruppoAttivo(), finestra->Gruppi[1]);
    EXPECT_EQ(finestra->TagMenuPrincipale, 20);
    EXPECT_EQ(AlberoMenu(*finestra).value(0), QStringLiteral("Archivi > [1]"));

    // The open group's items are shown, the others' are not.
    QAbstractButton* nascosto = Pulsante(barra, QStringLiteral("Figlio visibile di un nascosto"));
    QAbstractButton* uno = Pulsante(barra, QStringLiteral("Uno"));
    ASSERT_NE(nascosto, nullptr);
    ASSERT_NE(uno, nullptr);
    EXPECT_TRUE(nascosto->isVisibleTo(barra));
    EXPECT_FALSE(uno->isVisibleTo(barra));

    // Clicking the open group again loads its menu again.
    finestra->CaricaMenu(10);
    altro->click();
    EXPECT_EQ(finestra->TagMenuPrincipale, 20);

    // A quick entry runs with its group's program, even below a hidden parent.
    nascosto->click();
    EXPECT_EQ(msg->Testi(), QStringList{MancaDll(20, 8)});
    msg->Svuota();
    finestra->VociRapide[0]->Clicca();
    EXPECT_EQ(msg->Testi(), QStringList{MancaDll(10, 1)});

    barra->ImpostaFontVoci(14);
    EXPECT_EQ(nascosto->font().pointSize(), 14);
    EXPECT_NE(altro->font().pointSize(), 14) << "the headers keep their own font";
}

TEST_F(AlberoDelMenu, ActiveGroupIsTheOpenVisibleOneElseTheFirstVisible) {
    TBarraProgrammi* barra = finestra->MenuProgrammi;
    TGruppoProgramma* primo = finestra->Gruppi[0];
    TGruppoProgramma* secondo = finestra->Gruppi[1];
    TGruppoProgramma* terzo = barra->AggiungiGruppo();
    terzo->ImpostaTesto(QStringLiteral("Terzo"));

    barra->ApriGruppo(terzo);
    EXPECT_EQ(barra->GruppoAttivo(), terzo);
    terzo->ImpostaVisibile(false);
    EXPECT_EQ(barra->GruppoAttivo(), primo);
    primo->ImpostaVisibile(false);
    EXPECT_EQ(barra->GruppoAttivo(), secondo);
    secondo->ImpostaVisibile(false);
    EXPECT_EQ(barra->GruppoAttivo(), nullptr);
    terzo->ImpostaVisibile(true);
    EXPECT_EQ(barra->GruppoAttivo(), terzo) << "the open group again, once visible";
}

TEST_F(AlberoDelMenu, GroupsBeyondTheLimitMoveToARowOfSmallPictures) {
    TBarraProgrammi* barra = finestra->MenuProgrammi;
    barra->ImpostaLimiteGruppi(1);
    QAbstractButton* primo = Pulsante(barra, QStringLiteral("Primo"));
    QAbstractButton* altro = Pulsante(barra, QStringLiteral("L'altro"));
    ASSERT_NE(primo, nullptr);
    ASSERT_NE(altro, nullptr);
    EXPECT_TRUE(primo->isVisibleTo(barra));
    EXPECT_FALSE(altro->isVisibleTo(barra));

    // Without a picture the small button shows the caption's first letter.
    QAbstractButton* ridotto = Pulsante(barra, QStringLiteral("L"));
    ASSERT_NE(ridotto, nullptr);
    EXPECT_EQ(ridotto->toolTip(), QStringLiteral("L'altro"));
    ridotto->click();
    Svuota();
    EXPECT_EQ(barra->GruppoAttivo(), finestra->Gruppi[1]);
    EXPECT_EQ(finestra->TagMenuPrincipale, 20);
    // Its items are listed even though its header is not.
    EXPECT_TRUE(Pulsante(barra, QStringLiteral("Figlio visibile di un nascosto"))->isVisibleTo(barra));

    barra->ImpostaLimiteGruppi(0);
    EXPECT_TRUE(altro->isVisibleTo(barra));
}

// ---- Programs and icons ----

TEST_F(MenuDiProva, IconsAreNumberedInProgramOrderSkippingMissingOnes) {
    SalvaImmagine(Grafica(installazione, "a.ico"), {32, 32}, Qt::red, "ICO");
    SalvaImmagine(Grafica(installazione, "Icone/d.ico"), {32, 32}, Qt::green, "ICO");
    SalvaImmagine(Grafica(installazione, "e.ico"), {16, 16}, Qt::blue, "ICO");
    Esegui({Programma(10, "Con icona", "a.ico"), Programma(20, "Icona mancante", "manca.ico"),
            Programma(30, "Senza icona"), Programma(40, "Icona in una cartella", "Icone\\d.ico"),
            Programma(50, "Icona piccola", "e.ico"), Programma(60, "Di un altro progetto", "a.ico"),
            NelProgetto(1, 10), NelProgetto(1, 20), NelProgetto(1, 30), NelProgetto(1, 40),
            NelProgetto(1, 50), NelProgetto(2, 60)});
    ApriFinestra();
    finestra->CaricaProgrammi();

    QStringList gruppi;
    for (TGruppoProgramma* g : finestra->Gruppi)
        gruppi << QStringLiteral("%1 %2/%3").arg(g->Tag()).arg(g->IndiceImmagineGrande()).arg(g->IndiceImmaginePiccola());
    EXPECT_EQ(gruppi, (QStringList{"10 0/0", "20 -1/-1", "30 -1/-1", "40 1/1", "50 2/2"}));

    TBarraProgrammi* barra = finestra->MenuProgrammi;
    ASSERT_EQ(barra->IconeProgrammi->Conta(), 3);
    ASSERT_EQ(barra->Icone2Programmi->Conta(), 3);
    const QColor colori[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QImage grande = barra->IconeProgrammi->Immagine(i).toImage();
        const QImage piccola = barra->Icone2Programmi->Immagine(i).toImage();
        EXPECT_EQ(grande.size(), QSize(32, 32));
        EXPECT_EQ(piccola.size(), QSize(16, 16));
        EXPECT_EQ(grande.pixelColor(16, 16), colori[i]);
        EXPECT_EQ(piccola.pixelColor(8, 8), colori[i]);
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(MenuDiProva, AProjectWithoutProgramsEmptiesTheBar) {
    Esegui({Programma(10, "Primo"), NelProgetto(1, 10),
            Inserimento({10, 1, 1, {}, "1", "Rapida", "1"})});
    ApriFinestra();
    finestra->CaricaProgrammi();
    ASSERT_EQ(finestra->Gruppi.size(), 1u);
    QPointer<TVoceRapida> rapida = finestra->VociRapide.at(0);

    finestra->CodiceProgetto = 2;
    finestra->CaricaProgrammi();
    Svuota();
    EXPECT_TRUE(finestra->Gruppi.empty());
    EXPECT_TRUE(finestra->VociRapide.empty());
    EXPECT_TRUE(finestra->MenuProgrammi->ElencoGruppi().empty());
    EXPECT_EQ(finestra->MenuProgrammi->GruppoAttivo(), nullptr);
    EXPECT_TRUE(rapida.isNull()) << "the previous quick entries go with their groups";
}

// ---- Big buttons ----

QStringList Descrivi(const std::vector<QPointer<QPushButton>>& pulsanti) {
    QStringList righe;
    for (const QPointer<QPushButton>& p : pulsanti) {
        if (p.isNull()) {
            righe << QStringLiteral("(destroyed)");
            continue;
        }
        const QRect g = p->geometry();
        righe << QStringLiteral("%1 tag %2 '%3' %4,%5 %6x%7 glyph %8x%9")
                     .arg(p->objectName())
                     .arg(p->property("Tag").toInt())
                     .arg(p->text())
                     .arg(g.x())
                     .arg(g.y())
                     .arg(g.width())
                     .arg(g.height())
                     .arg(p->icon().isNull() ? 0 : p->iconSize().width())
                     .arg(p->icon().isNull() ? 0 : p->iconSize().height());
    }
    righe.sort();
    return righe;
}

TEST_F(MenuDiProva, BigButtonsArePlacedAsStoredWithTheirBitmaps) {
    QImage glifo(24, 20, QImage::Format_RGB32);
    glifo.fill(Qt::red);
    for (int y = 5; y < 15; ++y)
        for (int x = 6; x < 18; ++x)
            glifo.setPixelColor(x, y, Qt::blue);
    glifo.setPixelColor(0, 0, Qt::green);
    ASSERT_TRUE(glifo.save(Grafica(installazione, "uno.bmp"), "BMP"));
    SalvaImmagine(Grafica(installazione, "due.BMP.old"), {40, 30}, Qt::green, "BMP");
    SalvaImmagine(Grafica(installazione, "tre.png"), {16, 16}, Qt::green, "PNG");
    Esegui({Pulsantone(1, 1, "1", {200, 10, 120, 60}, "Uno", "uno.bmp"),
            Pulsantone(2, 1, "1", {330, 10, 120, 60}, "D'ue", "due.BMP.old"),
            Pulsantone(3, 1, "1", {200, 80, 120, 60}, "Tre", "tre.png"),
            Pulsantone(4, 1, "1", {330, 80, 120, 60}, "Quattro", {}),
            Pulsantone(5, 1, "0", {200, 150, 120, 60}, "Nascosto", "uno.bmp"),
            Pulsantone(6, 2, "1", {200, 150, 120, 60}, "Altro progetto", "uno.bmp")});
    ApriFinestra();
    finestra->CaricaProgrammi();

    EXPECT_EQ(Descrivi(finestra->Pulsantoni),
              (QStringList{"Pulsantone_1 tag 1 'Uno' 200,10 120x60 glyph 24x20",
                           "Pulsantone_2 tag 2 'D'ue' 330,10 120x60 glyph 40x30",
                           "Pulsantone_3 tag 3 'Tre' 200,80 120x60 glyph 0x0",
                           "Pulsantone_4 tag 4 'Quattro' 330,80 120x60 glyph 0x0"}));
    ASSERT_EQ(msg->Mostrati.size(), 1u) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(msg->Mostrati[0].tipo, piattaforma::TipoMessaggio::Avviso);
    EXPECT_EQ(msg->Mostrati[0].testo,
              QStringLiteral("I pulsantoni possono caricare solo immagini bitmap: controllare l'impostazione del pulsantone"));

    QPushButton* uno = finestra->Panel1->findChild<QPushButton*>(QStringLiteral("Pulsantone_1"));
    ASSERT_NE(uno, nullptr);
    EXPECT_EQ(uno->parentWidget(), finestra->Panel1);
    EXPECT_EQ(uno->focusPolicy(), Qt::NoFocus);
    // The glyph's bottom-left colour is see-through.
    const QImage mostrato = uno->icon().pixmap(QSize(24, 20)).toImage();
    EXPECT_EQ(qAlpha(mostrato.pixel(0, 19)), 0);
    EXPECT_EQ(mostrato.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(mostrato.pixelColor(10, 10), QColor(Qt::blue));

    // A click runs the button's own row.
    msg->Svuota();
    finestra->Panel1->findChild<QPushButton*>(QStringLiteral("Pulsantone_2"))->click();
    EXPECT_EQ(msg->Testi(), QStringList{PulsantoneSenzaDll(2)});
}

TEST_F(MenuDiProva, AReloadWithFewerButtonsDestroysTheOldOnes) {
    Esegui({Pulsantone(1, 1, "1", {200, 10, 100, 40}, "Uno", {}),
            Pulsantone(2, 1, "1", {200, 60, 100, 40}, "Due", {}),
            Pulsantone(3, 1, "1", {200, 110, 100, 40}, "Tre", {}),
            Pulsantone(4, 2, "1", {300, 10, 100, 40}, "Solo", {})});
    ApriFinestra();
    finestra->CaricaProgrammi();
    const std::vector<QPointer<QPushButton>> vecchi = finestra->Pulsantoni;
    ASSERT_EQ(vecchi.size(), 3u);

    finestra->CodiceProgetto = 2;
    finestra->CaricaProgrammi();
    for (const QPointer<QPushButton>& vecchio : vecchi)
        EXPECT_TRUE(vecchio->isHidden());
    // Gone once the event that reloaded them is over.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Descrivi(vecchi), (QStringList{"(destroyed)", "(destroyed)", "(destroyed)"}));
    EXPECT_EQ(Descrivi(finestra->Pulsantoni), QStringList{"Pulsantone_4 tag 4 'Solo' 300,10 100x40 glyph 0x0"});
    EXPECT_EQ(finestra->Panel1->findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^Pulsantone_"))).size(), 1);
}

QString ImmagineIllegibile(const InstallazioneDiProva& installazione, const QString& nome) {
    return QStringLiteral("Impossibile caricare l'immagine \"%1\": i programmi e i pulsantoni interessati restano "
                          "senza immagine")
        .arg(Grafica(installazione, nome));
}

const QString SoloBitmap =
    QStringLiteral("I pulsantoni possono caricare solo immagini bitmap: controllare l'impostazione del pulsantone");

// One project per case: the programs' icon indexes, the buttons and the boxes of its load.
TEST_F(MenuDiProva, APictureThatCannotBeReadLeavesOnlyItsProgramOrButtonWithout) {
    SalvaImmagine(Grafica(installazione, "a.ico"), {32, 32}, Qt::red, "ICO");
    SalvaImmagine(Grafica(installazione, "b.ico"), {32, 32}, Qt::blue, "ICO");
    // A good picture, but not an icon: the name does not make it one.
    SalvaImmagine(Grafica(installazione, "png.ico"), {32, 32}, Qt::red, "PNG");
    SalvaImmagine(Grafica(installazione, "uno.bmp"), {24, 20}, Qt::green, "BMP");
    for (const char* nome : {"testo.ico", "testo.bmp"}) {
        QFile testo(Grafica(installazione, nome));
        ASSERT_TRUE(testo.open(QIODevice::WriteOnly));
        testo.write("not a picture");
    }

    struct Caso {
        int progetto;
        QStringList gruppi;     // code and big/small picture index
        QList<QColor> icone;    // the loaded icons, in index order
        QStringList pulsantoni; // as Descrivi shows them
        QStringList avvisi;
    };
    const Caso casi[] = {
        {1,
         {"10 0/0", "20 -1/-1", "30 1/1"},
         {Qt::red, Qt::blue},
         {"Pulsantone_1 tag 1 'Dopo le icone' 200,10 100x40 glyph 24x20"},
         {ImmagineIllegibile(installazione, "png.ico")}},
        // The first file that failed is named, and only once.
        {2,
         {"10 0/0", "40 -1/-1", "50 -1/-1"},
         {Qt::red},
         {"Pulsantone_2 tag 2 'Manca' 200,10 100x40 glyph 0x0", "Pulsantone_3 tag 3 'Uno' 200,60 100x40 glyph 24x20"},
         {ImmagineIllegibile(installazione, "testo.ico")}},
        // A missing icon file is no news; a missing or unreadable bitmap is.
        {3,
         {"50 -1/-1", "60 0/0"},
         {Qt::blue},
         {"Pulsantone_4 tag 4 'Testo' 200,10 100x40 glyph 0x0", "Pulsantone_5 tag 5 'Png' 200,60 100x40 glyph 0x0",
          "Pulsantone_6 tag 6 'Di nuovo testo' 200,110 100x40 glyph 0x0",
          "Pulsantone_7 tag 7 'Manca' 200,160 100x40 glyph 0x0"},
         {SoloBitmap, ImmagineIllegibile(installazione, "testo.bmp")}},
        {4, {"50 -1/-1"}, {}, {"Pulsantone_8 tag 8 'Manca' 200,10 100x40 glyph 0x0"},
         {ImmagineIllegibile(installazione, "manca.bmp")}},
    };
    Esegui({Programma(10, "Buono", "a.ico"), Programma(20, "Non icona", "png.ico"), Programma(30, "Dopo", "b.ico"),
            Programma(40, "Testo", "testo.ico"), Programma(50, "Icona mancante", "manca.ico"),
            Programma(60, "Altro", "b.ico"), NelProgetto(1, 10), NelProgetto(1, 20), NelProgetto(1, 30),
            NelProgetto(2, 10), NelProgetto(2, 40), NelProgetto(2, 50), NelProgetto(3, 50), NelProgetto(3, 60),
            NelProgetto(4, 50), Pulsantone(1, 1, "1", {200, 10, 100, 40}, "Dopo le icone", "uno.bmp"),
            Pulsantone(2, 2, "1", {200, 10, 100, 40}, "Manca", "manca.bmp"),
            Pulsantone(3, 2, "1", {200, 60, 100, 40}, "Uno", "uno.bmp"),
            Pulsantone(4, 3, "1", {200, 10, 100, 40}, "Testo", "testo.bmp"),
            Pulsantone(5, 3, "1", {200, 60, 100, 40}, "Png", "tre.png"),
            Pulsantone(6, 3, "1", {200, 110, 100, 40}, "Di nuovo testo", "testo.bmp"),
            Pulsantone(7, 3, "1", {200, 160, 100, 40}, "Manca", "manca.bmp"),
            Pulsantone(8, 4, "1", {200, 10, 100, 40}, "Manca", "manca.bmp")});
    ApriFinestra();
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.progetto);
        msg->Svuota();
        finestra->CodiceProgetto = caso.progetto;
        finestra->CaricaProgrammi();

        QStringList gruppi;
        for (TGruppoProgramma* g : finestra->Gruppi)
            gruppi << QStringLiteral("%1 %2/%3").arg(g->Tag()).arg(g->IndiceImmagineGrande()).arg(g->IndiceImmaginePiccola());
        EXPECT_EQ(gruppi, caso.gruppi);
        TBarraProgrammi* barra = finestra->MenuProgrammi;
        ASSERT_EQ(barra->IconeProgrammi->Conta(), caso.icone.size());
        ASSERT_EQ(barra->Icone2Programmi->Conta(), caso.icone.size());
        for (int i = 0; i < caso.icone.size(); ++i)
            EXPECT_EQ(barra->IconeProgrammi->Immagine(i).toImage().pixelColor(16, 16), caso.icone[i]) << i;
        EXPECT_EQ(Descrivi(finestra->Pulsantoni), caso.pulsantoni);
        EXPECT_EQ(msg->Testi(), caso.avvisi);
        for (const MessaggioMostrato& m : msg->Mostrati)
            EXPECT_EQ(m.tipo, piattaforma::TipoMessaggio::Avviso);

        // A button without its glyph still runs its own row.
        msg->Svuota();
        QPushButton* primo = finestra->Pulsantoni.at(0);
        primo->click();
        EXPECT_EQ(msg->Testi(), QStringList{PulsantoneSenzaDll(primo->property("Tag").toInt())});
    }
}

// ---- Beyond the original tables' 256 entries ----

TEST_F(MenuDiProva, MoreThan256EntriesAndQuickEntriesAllLoad) {
    Esegui({Programma(70, "Grande"), NelProgetto(1, 70),
            Inserimento({70, 1, 0, {}, "1", "Tante"}),
            Inserimento({70, 9999, 0, {}, "1", "Ultima"}),
            QStringLiteral("INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, DESCRIZIONE, "
                           "VOCERAPIDA, LIVELLO2VERSIONE) "
                           "WITH RECURSIVE N AS (SELECT 1 AS I FROM RDB$DATABASE UNION ALL "
                           "SELECT I + 1 FROM N WHERE I < 300) "
                           "SELECT 70, 1 + I, 1, 1, '1', 'Voce ' || I, '1', '0' FROM N")});
    ApriFinestra();
    finestra->CaricaProgrammi();
    EXPECT_EQ(finestra->VociRapide.size(), 300u);
    EXPECT_EQ(finestra->VociRapide.back()->Testo(), QStringLiteral("Voce 300"));

    finestra->CaricaMenu(70);
    ASSERT_EQ(finestra->Voci.size(), 302u);
    EXPECT_EQ(finestra->NumeroVoci, 303);
    EXPECT_EQ(finestra->Voci[300]->text(), QStringLiteral("Voce 300"));
    EXPECT_EQ(finestra->Voci[301]->text(), QStringLiteral("Ultima"));
    EXPECT_EQ(finestra->Voci[0]->menu()->actions().size(), 300);
}

// ---- The menu read at once is the menu the per-level selects build ----

// The reference: one select per level and one count per entry, as the menu was first built,
// with a parameter read for each "<LINEA>" caption below the bar, described as Descrivi
// describes the window's menu. Also the programs with one select of quick entries each and
// the big buttons, as first loaded.
class MenuDiRiferimento {
public:
    MenuDiRiferimento(fb::TDatabase& database, int programma)
        : transazione_(&database), query_(&database, &transazione_), programma_(programma) {}
    ~MenuDiRiferimento() {
        if (transazione_.InTransaction())
            transazione_.Commit();
    }

    QStringList Descrivi() {
        QStringList righe;
        for (const Voce& voce : Leggi({"(LIVELLOMENU=0)AND(MENUPREC IS NULL)AND(VISIBILE='1')"})) {
            const bool figli = HaFigli(voce.menu, voce.livello);
            righe << voce.descrizione + (figli ? " >" : "") + QStringLiteral(" [%1]").arg(voce.menu);
            if (figli)
                Figli(voce.menu, voce.livello, 1, righe);
        }
        return righe;
    }

    // "caption [tag]: quick caption [tag], ..." for each program of the project, in order.
    QStringList Programmi(int progetto) {
        query_.ApriSQL({"SELECT CODICE, DESCRIZIONE FROM PROGRAMMI WHERE CODICE IN(", "SELECT PROGRAMMA FROM DETTPROGETTI",
                        QStringLiteral("WHERE PROGETTO=%1)").arg(fb::Quota(progetto)), "ORDER BY CODICE"});
        query_.FetchAll();
        std::vector<std::pair<int, QString>> programmi;
        for (; !query_.Eof(); query_.Next())
            programmi.emplace_back(query_.Fields(0).AsInteger(), query_.Fields(1).AsString());
        query_.Close();
        QStringList righe;
        for (const auto& [codice, descrizione] : programmi) {
            query_.ApriSQL({"SELECT MENU, DESCRIZIONE FROM DETTMENU WHERE", QStringLiteral("(PROGRAMMA=%1)AND").arg(fb::Quota(codice)),
                            "(VOCERAPIDA='1')", "ORDER BY MENU"});
            QStringList rapide;
            for (; !query_.Eof(); query_.Next())
                rapide << query_.Fields(1).AsString() + QStringLiteral(" [%1]").arg(query_.Fields(0).AsInteger());
            query_.Close();
            righe << descrizione + QStringLiteral(" [%1]: ").arg(codice) + rapide.join(", ");
        }
        return righe;
    }

    // "Pulsantone_ID caption x,y wxh" for each visible button of the project, sorted: the
    // statement has no order.
    QStringList Pulsantoni(int progetto) {
        query_.ApriSQL({"SELECT ID, NOME, POS_X, POS_Y, LARGHEZZA, ALTEZZA FROM PULSANTONI",
                        QStringLiteral("WHERE (PROGETTO=%1)").arg(fb::Quota(progetto)), "AND(VISIBILE='1')"});
        QStringList righe;
        for (; !query_.Eof(); query_.Next())
            righe << QStringLiteral("Pulsantone_%1 %2 %3,%4 %5x%6")
                         .arg(query_.Fields(0).AsInteger())
                         .arg(query_.Fields(1).AsString())
                         .arg(query_.Fields(2).AsInteger())
                         .arg(query_.Fields(3).AsInteger())
                         .arg(query_.Fields(4).AsInteger())
                         .arg(query_.Fields(5).AsInteger());
        query_.Close();
        righe.sort();
        return righe;
    }

private:
    struct Voce {
        int menu;
        int livello;
        QString descrizione;
    };

    std::vector<Voce> Leggi(const QString& condizione) {
        query_.ApriSQL({"SELECT MENU, LIVELLOMENU, DESCRIZIONE FROM DETTMENU WHERE",
                        QStringLiteral("(PROGRAMMA=%1)AND").arg(fb::Quota(programma_)), condizione,
                        "ORDER BY MENU"});
        query_.FetchAll();
        std::vector<Voce> voci;
        for (; !query_.Eof(); query_.Next())
            voci.push_back({query_.FieldByName("MENU").AsInteger(), query_.FieldByName("LIVELLOMENU").AsInteger(),
                            query_.FieldByName("DESCRIZIONE").AsString()});
        query_.Close();
        return voci;
    }

    QString Sotto(int menu, int livello) const {
        return QStringLiteral("(LIVELLOMENU=%1)AND(MENUPREC=%2)AND(VISIBILE='1')")
            .arg(fb::Quota(livello + 1), fb::Quota(menu));
    }

    bool HaFigli(int menu, int livello) {
        query_.ApriSQL({"SELECT COUNT(*) FROM DETTMENU WHERE",
                        QStringLiteral("(PROGRAMMA=%1)AND").arg(fb::Quota(programma_)), Sotto(menu, livello)});
        const bool figli = query_.Fields(0).AsInteger() > 0;
        query_.Close();
        return figli;
    }

    // The text before "<LINEA>", then the value of the parameter named up to "</LINEA>".
    QString Didascalia(const QString& descrizione) {
        const int inizio = static_cast<int>(descrizione.indexOf("<LINEA>"));
        if (inizio < 0)
            return descrizione;
        const int fine = static_cast<int>(descrizione.indexOf("</LINEA>"));
        const QString nome = descrizione.mid(inizio + 7, std::max(0, fine - inizio - 7));
        query_.ApriSQL({"SELECT VALORE FROM TABNORVANE WHERE", "(UTENTE='1')AND",
                        QStringLiteral("(INTESTAZIONE=%1)AND").arg(fb::Quota(Ditta)),
                        QStringLiteral("(PARAMETRO=%1)").arg(fb::Quota(nome))});
        const QString valore = query_.Eof() ? QString() : query_.Fields(0).AsString();
        query_.Close();
        return descrizione.left(inizio) + valore;
    }

    void Figli(int menu, int livello, int rientro, QStringList& righe) {
        for (const Voce& voce : Leggi(Sotto(menu, livello))) {
            const QString riga = QString(rientro * 2, u' ');
            if (voce.descrizione == "-") {
                righe << riga + QStringLiteral("---- N%1 [%1]").arg(voce.menu);
                continue;
            }
            const bool figli = HaFigli(voce.menu, voce.livello);
            righe << riga + Didascalia(voce.descrizione) + (figli ? " >" : "") + QStringLiteral(" [%1]").arg(voce.menu);
            if (figli)
                Figli(voce.menu, voce.livello, rientro + 1, righe);
        }
    }

    fb::TTransazione transazione_;
    fb::TQuery query_;
    int programma_;
};

// 300 entries on six levels: parents picked across the level above, some hidden, some
// separators (a few with children), some whose parent is missing.
std::vector<RigaMenu> MenuGrande(int programma) {
    std::vector<RigaMenu> righe;
    std::vector<std::vector<int>> perLivello(6);
    for (int i = 1; i <= 300; ++i) {
        const int livello = i <= 5 ? 0 : (i * 7) % 6;
        std::optional<int> padre;
        if (livello > 0) {
            const std::vector<int>& sopra = perLivello[static_cast<size_t>(livello - 1)];
            padre = sopra.empty() || i % 23 == 0 ? 9999 : sopra[static_cast<size_t>(i * 13) % sopra.size()];
        }
        perLivello[static_cast<size_t>(livello)].push_back(i);
        const char* visibile = i % 11 == 0 ? "0" : (i % 29 == 0 ? nullptr : "1");
        righe.push_back({programma, i, livello, padre, visibile,
                         i % 17 == 0 ? QStringLiteral("-") : QStringLiteral("Voce %1").arg(i)});
    }
    return righe;
}

TEST_F(MenuDiProva, TheMenuIsTheOneThePerLevelSelectsBuild) {
    const struct {
        const char* caso;
        int programma;
        std::vector<RigaMenu> righe;
    } casi[] = {
        {"an empty program", 29, {}},
        {"hidden parents hide their subtree; separators, also with children; orphans",
         30,
         {{30, 1, 0, {}, "1", "Archivi"},
          {30, 2, 1, 1, "0", "Nascosta"},
          {30, 3, 2, 2, "1", "Sotto una nascosta"},
          {30, 4, 1, 1, "1", "-"},
          {30, 5, 2, 4, "1", "Sotto un separatore"},
          {30, 6, 1, 1, "1", "Padre"},
          {30, 7, 2, 6, "2", "Visibile diverso da 1"},
          {30, 8, 2, 6, nullptr, "Visibile nullo"},
          {30, 9, 1, 77, "1", "Orfana"},
          {30, 10, 0, 1, "1", "Livello zero con padre"},
          {30, 11, 2, 1, "1", "Salta un livello"},
          {30, 12, 0, {}, "1", "-"},
          {30, 13, 0, {}, "0", "Barra nascosta"},
          {30, 14, 1, 13, "1", "Sotto la barra nascosta"}}},
        {"parameter captions below the bar, none on it",
         33,
         {{33, 1, 0, {}, "1", "Bar <LINEA>Anno</LINEA>"},
          {33, 2, 1, 1, "1", "Esercizio <LINEA>Anno</LINEA> in corso"},
          {33, 3, 1, 1, "1", "Blanchi <LINEA>Anno  </LINEA>"},
          {33, 4, 1, 1, "1", "Senza chiusura <LINEA>Anno"},
          {33, 5, 1, 1, "1", "Apice <LINEA>D'Angelo</LINEA>"},
          {33, 6, 1, 1, "1", "Manca <LINEA>Nessuno</LINEA>"},
          {33, 7, 1, 1, "1", "Vuoto <LINEA></LINEA>"},
          {33, 8, 2, 2, "1", "Caso <LINEA>anno</LINEA>"}}},
        {"the same code under two parents at different depths",
         31,
         {{31, 1, 0, {}, "1", "A"}, {31, 2, 1, 1, "1", "B"}, {31, 3, 2, 2, "1", "C"}, {31, 4, 1, 3, "1", "D"},
          {31, 5, 3, 3, "1", "E"}}},
        {"300 entries on six levels", 32, MenuGrande(32)},
    };
    // Inserted backwards: the order shown must be the codes'.
    QStringList istruzioni;
    for (const auto& caso : casi)
        for (auto riga = caso.righe.rbegin(); riga != caso.righe.rend(); ++riga)
            istruzioni << Inserimento(*riga);
    for (const auto& caso : casi)
        istruzioni << Programma(caso.programma, QStringLiteral("P%1").arg(caso.programma))
                   << NelProgetto(1, caso.programma);
    istruzioni << Parametro("Anno", "2024", 1) << Parametro("D'Angelo", "apice", 2) << Parametro("", "vuoto", 3);
    Esegui(istruzioni);
    ApriFinestra();
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        finestra->CaricaMenu(caso.programma);
        MenuDiRiferimento riferimento(finestra->TabXForm->IBDatabaseUser, caso.programma);
        const QStringList atteso = riferimento.Descrivi();
        EXPECT_EQ(AlberoMenu(*finestra), atteso);
        EXPECT_EQ(finestra->NumeroVoci, atteso.size() + 1);
        if (caso.programma == 32) {
            EXPECT_GT(atteso.size(), 150) << "the large menu must keep most of its entries";
        }
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(MenuDiProva, TheProgramsQuickEntriesAndButtonsAreTheOnesThePerProgramSelectsBuild) {
    Esegui({Programma(10, "Primo"), Programma(20, "Senza rapide"), Programma(30, "L'altro", "manca.ico"),
            Programma(40, "Di un altro progetto"), NelProgetto(1, 30), NelProgetto(1, 10), NelProgetto(1, 20),
            NelProgetto(2, 40),
            Inserimento({10, 5, 0, {}, "1", "Barra rapida", "1"}),
            Inserimento({10, 1, 0, {}, "0", "Nascosta", "0"}),
            Inserimento({10, 2, 1, 1, "1", "Sotto una nascosta, rapida", "1"}),
            Inserimento({10, 3, 1, 1, "0", "Rapida nascosta <LINEA>Anno</LINEA>", "1"}),
            Inserimento({10, 4, 2, 9, "1", "Orfana rapida", "1"}),
            Inserimento({10, 6, 1, 5, "1", "-", "1"}),
            Inserimento({10, 7, 1, 5, "1", "Non rapida", "0"}),
            Inserimento({20, 1, 0, {}, "1", "Niente", "0"}),
            Inserimento({30, 2, 0, {}, "1", "Seconda", "1"}),
            Inserimento({30, 1, 0, {}, "1", "Prima", "1"}),
            Inserimento({40, 1, 0, {}, "1", "Fuori progetto", "1"}),
            Parametro("Anno", "2024", 1),
            Pulsantone(3, 1, "1", {10, 20, 30, 40}, "Tre", {}),
            Pulsantone(1, 1, "1", {0, 0, 50, 50}, "Uno", {}),
            Pulsantone(2, 1, "0", {5, 5, 5, 5}, "Nascosto", {}),
            Pulsantone(4, 2, "1", {5, 5, 5, 5}, "Altro progetto", {}),
            Pulsantone(5, 1, nullptr, {5, 5, 5, 5}, "Visibile nullo", {})});
    ApriFinestra();
    finestra->CaricaProgrammi();

    QStringList programmi;
    for (const TGruppoProgramma* gruppo : finestra->Gruppi) {
        QStringList rapide;
        for (const TVoceRapida* voce : finestra->VociRapide)
            if (voce->Gruppo() == gruppo)
                rapide << voce->Testo() + QStringLiteral(" [%1]").arg(voce->Tag());
        programmi << gruppo->Testo() + QStringLiteral(" [%1]: ").arg(gruppo->Tag()) + rapide.join(", ");
    }
    QStringList pulsantoni;
    for (const QPointer<QPushButton>& pulsante : finestra->Pulsantoni)
        pulsantoni << QStringLiteral("%1 %2 %3,%4 %5x%6")
                          .arg(pulsante->objectName(), pulsante->text())
                          .arg(pulsante->x())
                          .arg(pulsante->y())
                          .arg(pulsante->width())
                          .arg(pulsante->height());
    pulsantoni.sort();

    MenuDiRiferimento riferimento(finestra->TabXForm->IBDatabaseUser, 0);
    EXPECT_EQ(programmi, riferimento.Programmi(1));
    EXPECT_EQ(programmi.value(0), "Primo [10]: Sotto una nascosta, rapida [2], Rapida nascosta <LINEA>Anno</LINEA> [3], "
                                  "Orfana rapida [4], Barra rapida [5], - [6]");
    EXPECT_EQ(pulsantoni, riferimento.Pulsantoni(1));
    EXPECT_EQ(pulsantoni.size(), 2);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

} // namespace
