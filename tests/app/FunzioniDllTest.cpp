#include "app/FunzioniDll.h"
#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "librerie/LetturaProva.h"
#include "piattaforma/Librerie.h"
#include "piattaforma/Percorsi.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

using prova::ChiamataRicevuta;
using prova::InstallazioneDiProva;
using prova::LibreriaProva;

namespace {

QString Prova() {
    return prova::PercorsoProvaFunzioni();
}

// Events compared as lines of text, so a failure reads as the events themselves.
std::string InRighe(const QStringList& eventi) {
    return eventi.join('\n').toStdString();
}

// Every loader, so a case can be run through all five.
using Lancio = std::function<void(TFunzioniDll&, const QString& dll)>;

struct CasoLancio {
    const char* nome;
    Lancio lancia;
};

const std::vector<CasoLancio> CinqueForme = {
    {"form 1", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL(dll, "Apri1", 7); }},
    {"form 2", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL2(dll, "Apri2", "p", 7); }},
    {"form X", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLLX(dll, "ApriX", 42, 7); }},
    {"form 2X", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL2X(dll, "Apri2X", "p", 42, 7); }},
    {"form 3Y", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL3Y(dll, "ApriY", "p", 42, 7); }},
};

// The system loader, with every request written into the test's list of events.
class LibrerieOsservate : public piattaforma::LibrerieDiSistema {
public:
    explicit LibrerieOsservate(QStringList& eventi) : eventi_(eventi) { piattaforma::ImpostaLibrerie(this); }
    ~LibrerieOsservate() override { piattaforma::ImpostaLibrerie(nullptr); }

    void* Carica(const QString& nomeFile) override {
        eventi_.append("Carica " + QFileInfo(nomeFile).fileName());
        return LibrerieDiSistema::Carica(nomeFile);
    }
    void* Cerca(void* libreria, const QString& nome) override {
        eventi_.append("Cerca " + nome);
        return LibrerieDiSistema::Cerca(libreria, nome);
    }

private:
    QStringList& eventi_;
};

// Points the executable directory somewhere else for one test.
struct DirectoryEseguibileSpostata {
    explicit DirectoryEseguibileSpostata(const QString& directory) {
        piattaforma::ImpostaDirectoryEseguibile(directory);
    }
    ~DirectoryEseguibileSpostata() { piattaforma::ImpostaDirectoryEseguibile({}); }
};

class FunzioniDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(libreria.Caricata()) << qPrintable(Prova());
        libreria.Svuota();
    }

    // The semaphore hooks and the loader write into eventi; the library's calls follow.
    QStringList EventiDelLancio(const Lancio& lancia, bool puoAprire = true) {
        QStringList eventi;
        LibrerieOsservate osservate(eventi);
        TFunzioniDll osservato;
        osservato.Semafori.PuoAprire = [&](const QString& dll, const QString& funzione) {
            eventi.append("PuoAprire " + QFileInfo(dll).fileName() + " " + funzione);
            return puoAprire;
        };
        osservato.Semafori.Occupa = [&](const QString& dll, const QString& funzione, qint32 id) {
            eventi.append(QString("Occupa %1 %2 %3 dopo %4 chiamate")
                              .arg(QFileInfo(dll).fileName(), funzione)
                              .arg(id)
                              .arg(libreria.NumeroChiamate()));
            return true;
        };
        lancia(osservato, Prova());
        for (const ChiamataRicevuta& c : libreria.Chiamate())
            eventi.append("chiamata " + c.Voce);
        return eventi;
    }

    LibreriaProva libreria;
    TFunzioniDll funzioni;
};

struct CasoArgomenti {
    const char* nome;
    Lancio lancia;
    ChiamataRicevuta attesa;
};

TEST_F(FunzioniDll, EachFormReceivesItsArgumentsInItsOrder) {
    const std::vector<CasoArgomenti> casi = {
        {"form 1", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL(dll, "Apri1", 7); },
         {.Voce = "Apri1", .Utente = 7}},
        {"form 2", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL2(dll, "Apri2", "ANNO=2024", 7); },
         {.Voce = "Apri2", .Utente = 7, .Parametri = "ANNO=2024"}},
        {"form X", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLLX(dll, "ApriX", 42, 7); },
         {.Voce = "ApriX", .Utente = 7, .IdFinestra = 42}},
        {"form 2X", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL2X(dll, "Apri2X", "D'Angelo", 42, 7); },
         {.Voce = "Apri2X", .Utente = 7, .IdFinestra = 42, .Parametri = "D'Angelo"}},
        {"form 3Y", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL3Y(dll, "ApriY", "a;b", 42, 7); },
         {.Voce = "ApriY", .Utente = 7, .IdFinestra = 42, .Parametri = "a;b"}},
        // 32-bit signed values at their ends must arrive whole and in their own places.
        {"form 3Y, extreme values",
         [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL3Y(dll, "ApriY", "z", INT32_MIN, INT32_MAX); },
         {.Voce = "ApriY", .Utente = INT32_MAX, .IdFinestra = INT32_MIN, .Parametri = "z"}},
        {"form 2X, negative user",
         [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL2X(dll, "Apri2X", "z", 0, -1); },
         {.Voce = "Apri2X", .Utente = -1, .IdFinestra = 0, .Parametri = "z"}},
        // A lower-case ending is form 1 or 2 for the caller; the loader calls what it is told.
        {"form 1, name ending in x", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL(dll, "Apri1x", 3); },
         {.Voce = "Apri1x", .Utente = 3}},
        {"form 2, name ending in y", [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLL2(dll, "Apri2y", "q", 3); },
         {.Voce = "Apri2y", .Utente = 3, .Parametri = "q"}},
    };
    for (const CasoArgomenti& caso : casi) {
        SCOPED_TRACE(caso.nome);
        libreria.Svuota();
        caso.lancia(funzioni, Prova());
        EXPECT_EQ(libreria.Chiamate(), std::vector<ChiamataRicevuta>{caso.attesa});
    }
}

TEST_F(FunzioniDll, EmptyTextIsNullInForms2And2XButAnEmptyStringIn3Y) {
    const ChiamataRicevuta nullo2{.Voce = "Apri2", .Utente = 7, .Parametri = QByteArray(), .ParametriNulli = true};
    const ChiamataRicevuta nullo2X{
        .Voce = "Apri2X", .Utente = 7, .IdFinestra = 42, .Parametri = QByteArray(), .ParametriNulli = true};
    const ChiamataRicevuta vuoto3Y{.Voce = "ApriY", .Utente = 7, .IdFinestra = 42, .Parametri = QByteArray("")};
    for (const QString& vuoto : {QString(), QString("")}) {
        SCOPED_TRACE(vuoto.isNull() ? "null text" : "empty text");
        libreria.Svuota();
        funzioni.CaricaFunzioneDLL2(Prova(), "Apri2", vuoto, 7);
        funzioni.CaricaFunzioneDLL2X(Prova(), "Apri2X", vuoto, 42, 7);
        funzioni.CaricaFunzioneDLL3Y(Prova(), "ApriY", vuoto, 42, 7);
        EXPECT_EQ(libreria.Chiamate(), (std::vector<ChiamataRicevuta>{nullo2, nullo2X, vuoto3Y}));
    }
}

TEST_F(FunzioniDll, TextArrivesInWindows1252WhateverTheForm) {
    const QString testo = QString::fromUtf8("città 5€ łódź");
    // à is E0, € is 80; characters outside the code page become '?'.
    const QByteArray attesi("citt\xE0 5\x80 ?\xF3" "d?");
    funzioni.CaricaFunzioneDLL2(Prova(), "Apri2", testo, 1);
    funzioni.CaricaFunzioneDLL2X(Prova(), "Apri2X", testo, 2, 1);
    funzioni.CaricaFunzioneDLL3Y(Prova(), "ApriY", testo, 2, 1);
    const std::vector<ChiamataRicevuta> chiamate = libreria.Chiamate();
    ASSERT_EQ(chiamate.size(), 3u);
    for (const ChiamataRicevuta& c : chiamate) {
        SCOPED_TRACE(c.Voce.toStdString());
        EXPECT_FALSE(c.ParametriNulli);
        EXPECT_EQ(c.Parametri, attesi);
    }
}

TEST_F(FunzioniDll, MissingLibraryOrExportEndsTheLaunchWithoutAWord) {
    const QString manca = QFileInfo(Prova()).absolutePath() + "/NonEsiste.so";
    struct Caso {
        const char* nome;
        QString dll;
        QString funzione;
    };
    const std::vector<Caso> casi = {
        {"library file missing", manca, "Apri1"},
        {"bare name found nowhere", "NonEsiste.so", "Apri1"},
        {"empty library name", "", "Apri1"},
        {"export missing", Prova(), "ApriNonEsiste"},
        {"export name with another case", Prova(), "apri1"},
        {"empty export name", Prova(), ""},
    };
    MessaggiInstallati msg;
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        int occupati = 0;
        funzioni.Semafori.Occupa = [&](const QString&, const QString&, qint32) {
            ++occupati;
            return true;
        };
        funzioni.CaricaFunzioneDLL(caso.dll, caso.funzione, 7);
        funzioni.CaricaFunzioneDLL2(caso.dll, caso.funzione, "p", 7);
        funzioni.CaricaFunzioneDLLX(caso.dll, caso.funzione, 42, 7);
        funzioni.CaricaFunzioneDLL2X(caso.dll, caso.funzione, "p", 42, 7);
        funzioni.CaricaFunzioneDLL3Y(caso.dll, caso.funzione, "p", 42, 7);
        EXPECT_EQ(libreria.NumeroChiamate(), 0);
        EXPECT_EQ(occupati, 0) << "no semaphore is taken for a window that cannot open";
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST_F(FunzioniDll, BareNameIsFoundBesideTheExecutable) {
    prova::CartellaProva cartella;
    // A name that only the executable's directory can explain.
    ASSERT_TRUE(QFile::copy(Prova(), cartella.File("ProvaVicina.so")));
    {
        DirectoryEseguibileSpostata spostata(cartella.Percorso());
        funzioni.CaricaFunzioneDLLX("ProvaVicina.so", "ApriX", 42, 7);
    }
    // The copy is a library of its own, with its own record.
    LibreriaProva vicina(cartella.File("ProvaVicina.so"));
    ASSERT_TRUE(vicina.Caricata());
    EXPECT_EQ(vicina.Chiamate(), std::vector<ChiamataRicevuta>({{.Voce = "ApriX", .Utente = 7, .IdFinestra = 42}}));
    EXPECT_EQ(libreria.NumeroChiamate(), 0);
}

TEST_F(FunzioniDll, WindowsFormPathReachesTheLibrary) {
    prova::CartellaProva senzaUnita; // no "dosdevices" there: Z: is the root
    DirectoryEseguibileSpostata spostata(senzaUnita.Percorso());
    QString windows = "Z:" + Prova();
    windows.replace('/', '\\');
    funzioni.CaricaFunzioneDLL(windows, "Apri1", 5);
    EXPECT_EQ(libreria.Chiamate(), std::vector<ChiamataRicevuta>({{.Voce = "Apri1", .Utente = 5}}));
}

TEST_F(FunzioniDll, TwoLaunchesLoadTwiceAndCallTwice) {
    const QStringList eventi = EventiDelLancio([](TFunzioniDll& f, const QString& dll) {
        f.CaricaFunzioneDLL(dll, "Apri1", 7);
        f.CaricaFunzioneDLL(dll, "Apri1", 7);
    });
    EXPECT_EQ(InRighe(eventi), InRighe({"PuoAprire ProvaFunzioni.so Apri1", "Carica ProvaFunzioni.so", "Cerca Apri1",
                                        "PuoAprire ProvaFunzioni.so Apri1", "Carica ProvaFunzioni.so", "Cerca Apri1",
                                        "chiamata Apri1", "chiamata Apri1"}));
}

TEST_F(FunzioniDll, SemaphoreIsCheckedBeforeLoadingAndTakenJustBeforeTheCallOnlyWithAWindow) {
    const QStringList senzaFinestra = {"PuoAprire ProvaFunzioni.so %1", "Carica ProvaFunzioni.so", "Cerca %1",
                                       "chiamata %1"};
    const QStringList conFinestra = {"PuoAprire ProvaFunzioni.so %1", "Carica ProvaFunzioni.so", "Cerca %1",
                                     "Occupa ProvaFunzioni.so %1 42 dopo 0 chiamate", "chiamata %1"};
    const char* voci[] = {"Apri1", "Apri2", "ApriX", "Apri2X", "ApriY"};
    for (size_t i = 0; i < CinqueForme.size(); ++i) {
        SCOPED_TRACE(CinqueForme[i].nome);
        libreria.Svuota();
        QStringList attesi = i < 2 ? senzaFinestra : conFinestra;
        attesi.replaceInStrings("%1", voci[i]);
        EXPECT_EQ(InRighe(EventiDelLancio(CinqueForme[i].lancia)), InRighe(attesi));
    }
}

TEST_F(FunzioniDll, RefusedWindowIsNotEvenLoaded) {
    for (const CasoLancio& caso : CinqueForme) {
        SCOPED_TRACE(caso.nome);
        libreria.Svuota();
        const QStringList eventi = EventiDelLancio(caso.lancia, false);
        ASSERT_EQ(eventi.size(), 1) << qPrintable(eventi.join('|'));
        EXPECT_TRUE(eventi[0].startsWith("PuoAprire ProvaFunzioni.so Apri")) << qPrintable(eventi[0]);
    }
}

TEST_F(FunzioniDll, MissingExportTakesNoSemaphore) {
    const QStringList eventi = EventiDelLancio(
        [](TFunzioniDll& f, const QString& dll) { f.CaricaFunzioneDLLX(dll, "ApriNonEsiste", 42, 7); });
    EXPECT_EQ(InRighe(eventi), InRighe({"PuoAprire ProvaFunzioni.so ApriNonEsiste", "Carica ProvaFunzioni.so",
                                        "Cerca ApriNonEsiste"}));
}

// ---- Sample libraries ----

QString NellaCartellaDeiTest(const QString& nome) {
    return QCoreApplication::applicationDirPath() + "/" + nome;
}

QWidget* FinestraAperta(const QString& nome) {
    QWidget* trovata = nullptr;
    for (QWidget* finestra : QApplication::topLevelWidgets())
        if (finestra->objectName() == nome && finestra->isVisible())
            trovata = finestra;
    return trovata;
}

// Closes a library window and lets its deferred deletion run.
bool ChiudiEVerificaCancellata(QWidget* finestra) {
    QPointer<QWidget> guardia(finestra);
    finestra->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return guardia.isNull();
}

QString HandleRegistrato(const InstallazioneDiProva& inst, int idFinestra) {
    return InstallazioneDiProva::Valore(
        inst.FileUtenti(),
        QString("SELECT COALESCE(CAST(HANDLEFINESTRA AS VARCHAR(30)),'<NULL>') FROM KESTOLOGFUNZ WHERE IDFINESTRA=%1")
            .arg(idFinestra));
}

TEST(LibrerieDimostrative, AgendaOpensItsWindowAndRecordsItsHandleForTheLaunch) {
    InstallazioneDiProva inst;
    InstallazioneDiProva::Esegui(inst.FileUtenti(),
                                 {"INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,FUNZIONECHIAMATA,IDFINESTRA) "
                                  "VALUES (1,'ShowContattAgendaFormX',5)",
                                  "INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,FUNZIONECHIAMATA,IDFINESTRA) "
                                  "VALUES (1,'ShowContattAgendaFormD',6)"});
    MessaggiInstallati msg;
    TTabXForm tabx(nullptr, TTabXForm::SorgenteDatabase);
    tabx.Crea();
    TFunzioniDll funzioni;

    funzioni.CaricaFunzioneDLLX(NellaCartellaDeiTest("Pelmar.so"), "ShowContattAgendaFormX", 5, 7);
    QWidget* agenda = FinestraAperta("ContattAgendaForm");
    ASSERT_NE(agenda, nullptr);
    EXPECT_EQ(agenda->windowTitle(), "Agenda contatti");
    EXPECT_FALSE(agenda->isModal());
    EXPECT_GT(agenda->findChild<QListWidget*>("ListaContatti")->count(), 0);
    EXPECT_EQ(HandleRegistrato(inst, 5), QString::number(agenda->winId()));
    EXPECT_TRUE(ChiudiEVerificaCancellata(agenda));

    // The form without a window identifier opens the same agenda and writes nothing.
    funzioni.CaricaFunzioneDLL(NellaCartellaDeiTest("Pelmar.so"), "ShowContattAgendaFormD", 7);
    agenda = FinestraAperta("ContattAgendaForm");
    ASSERT_NE(agenda, nullptr);
    EXPECT_EQ(HandleRegistrato(inst, 6), "<NULL>");
    EXPECT_TRUE(ChiudiEVerificaCancellata(agenda));
    EXPECT_TRUE(msg->Testi().isEmpty()) << qPrintable(msg->Testi().join('|'));
}

TEST(LibrerieDimostrative, ArgumentsWindowShowsWhatEachFormReceived) {
    struct Caso {
        const char* nome;
        Lancio lancia;
        const char* finestra;
        QString parametri;
    };
    const QString citta = QString::fromUtf8("città €");
    const std::vector<Caso> casi = {
        {"form 1", [](TFunzioniDll& f, const QString& d) { f.CaricaFunzioneDLL(d, "MostraArgomenti", 7); },
         "(nessuna)", "(nessuno)"},
        {"form 2", [&](TFunzioniDll& f, const QString& d) { f.CaricaFunzioneDLL2(d, "MostraArgomenti2", citta, 7); },
         "(nessuna)", "\"" + citta + "\""},
        {"form X", [](TFunzioniDll& f, const QString& d) { f.CaricaFunzioneDLLX(d, "MostraArgomentiX", 0, 7); },
         "0", "(nessuno)"},
        {"form 2X", [](TFunzioniDll& f, const QString& d) { f.CaricaFunzioneDLL2X(d, "MostraArgomenti2X", "", 0, 7); },
         "0", "(null)"},
        {"form 3Y", [](TFunzioniDll& f, const QString& d) { f.CaricaFunzioneDLL3Y(d, "MostraArgomentiY", "", 0, 7); },
         "0", "\"\""},
    };
    TFunzioniDll funzioni;
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        caso.lancia(funzioni, NellaCartellaDeiTest("DemoFunzioni.so"));
        QWidget* finestra = FinestraAperta("ArgomentiForm");
        ASSERT_NE(finestra, nullptr);
        EXPECT_EQ(finestra->findChild<QLabel*>("LabelUtente")->text(), "7");
        EXPECT_EQ(finestra->findChild<QLabel*>("LabelFinestra")->text(), caso.finestra);
        EXPECT_EQ(finestra->findChild<QLabel*>("LabelParametri")->text(), caso.parametri);
        EXPECT_TRUE(ChiudiEVerificaCancellata(finestra));
    }
}

} // namespace
