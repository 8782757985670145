// The demo installation as people run it: every menu entry, quick entry and big button that
// runs the sample library reaches its export in the form the export was written for, and
// its window opens with the arguments of that form.

#include "app/BarraProgrammi.h"
#include "app/BaseMain.h"
#include "app/ModalitaPerProva.h"
#include "datamodule/TabX.h"
#include "fb/Database.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "fixture/InstallazioneDemo.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "forms/Semafori.h"
#include "forms/Sessioni.h"
#include "librerie/EsportazioniDemo.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const QString LibreriaDemo = QStringLiteral("DemoFunzioni.so");

// The form a launch calls the export in: the name's last character, upper case only, and the
// launch's mode.
QString FormaRaggiunta(const QString& funzione, int modo) {
    if (funzione.endsWith(QLatin1Char('Y')))
        return QStringLiteral("3Y");
    if (funzione.endsWith(QLatin1Char('X')))
        return modo == 2 ? QStringLiteral("2X") : QStringLiteral("X");
    return modo == 2 ? QStringLiteral("2") : QStringLiteral("1");
}

// The form the library declares for the export; empty when it has no such export.
QString FormaScritta(const QString& funzione) {
    for (const EsportazioneDemo& esportazione : EsportazioniDemo)
        if (funzione == QLatin1String(esportazione.Nome))
            return QString::fromLatin1(esportazione.Forma);
    return {};
}

// One way the demo runs an export of the sample library.
struct Lancio {
    enum Tipo { VoceMenu, VoceRapida, Pulsantone } tipo;
    int programma; // the project, for a big button
    int codice;    // MENU, or the big button's ID
    QString descrizione;
    QString funzione;
    QString parametri;
    int modo;

    QString Dove() const {
        static const char* const nomi[] = {"menu entry", "quick entry", "big button"};
        return QStringLiteral("%1 %2/%3 \"%4\" (%5, mode %6)")
            .arg(QLatin1String(nomi[tipo]))
            .arg(programma)
            .arg(codice)
            .arg(descrizione, funzione)
            .arg(modo);
    }
};

using Righe = std::vector<QStringList>;

Righe Leggi(const QString& percorsoDatabase, const QString& istruzione) {
    fb::TDatabase database;
    prova::ImpostaParametriApertura(database, percorsoDatabase);
    database.Open();
    fb::TTransazione transazione(&database);
    fb::TQuery query(&database, &transazione);
    query.SQL.Add(istruzione);
    query.Open();
    Righe righe;
    for (; !query.Eof(); query.Next()) {
        QStringList campi;
        for (int i = 0; i < query.FieldCount(); ++i)
            campi << query.Fields(i).AsString();
        righe.push_back(campi);
    }
    return righe;
}

// Every launch of the sample library that the demo's rows allow, with the mode it runs in:
// a visible menu entry without visible sub-entries runs in mode 1 on the bar itself and
// below it unless its LIVELLO2VERSIONE is '1'; a quick entry, shown or not, always in mode 1;
// a visible big button in mode 2 when its LIVELLO2VERSIONE is '1'.
std::vector<Lancio> LanciDellaDemo(const QString& fileUtenti) {
    std::vector<Lancio> lanci;
    const Righe voci = Leggi(
        fileUtenti,
        QStringLiteral("SELECT M.PROGRAMMA, M.MENU, M.LIVELLOMENU, M.VISIBILE, M.VOCERAPIDA, M.LIVELLO2VERSIONE, "
                       "M.DESCRIZIONE, M.FUNZIONE, M.PARAMETRIBLOB, (SELECT COUNT(*) FROM DETTMENU F WHERE "
                       "F.PROGRAMMA=M.PROGRAMMA AND F.LIVELLOMENU=M.LIVELLOMENU+1 AND F.MENUPREC=M.MENU AND "
                       "F.VISIBILE='1') FROM DETTMENU M WHERE M.DLL=%1 ORDER BY M.PROGRAMMA, M.MENU")
            .arg(fb::Quota(LibreriaDemo)));
    for (const QStringList& v : voci) {
        const Lancio base{Lancio::VoceMenu, v[0].toInt(), v[1].toInt(), v[6], v[7], v[8], 1};
        if (v[3] == QStringLiteral("1") && v[9] == QStringLiteral("0")) {
            Lancio voce = base;
            voce.modo = v[2] != QStringLiteral("0") && v[5] == QStringLiteral("1") ? 2 : 1;
            lanci.push_back(voce);
        }
        if (v[4] == QStringLiteral("1")) {
            Lancio rapida = base;
            rapida.tipo = Lancio::VoceRapida;
            lanci.push_back(rapida);
        }
    }
    const Righe pulsantoni = Leggi(
        fileUtenti, QStringLiteral("SELECT PROGETTO, ID, NOME, FUNZIONE, PARAMETRIBLOB, LIVELLO2VERSIONE FROM "
                                   "PULSANTONI WHERE VISIBILE='1' AND DLL=%1 ORDER BY ID")
                        .arg(fb::Quota(LibreriaDemo)));
    for (const QStringList& p : pulsantoni)
        lanci.push_back({Lancio::Pulsantone, p[0].toInt(), p[1].toInt(), p[2], p[3], p[4],
                         p[5] == QStringLiteral("1") ? 2 : 1});
    return lanci;
}

// The launches that would hand the export arguments of another form.
QStringList FormeSbagliate(const std::vector<Lancio>& lanci) {
    QStringList sbagliate;
    for (const Lancio& lancio : lanci) {
        const QString raggiunta = FormaRaggiunta(lancio.funzione, lancio.modo);
        const QString scritta = FormaScritta(lancio.funzione);
        if (raggiunta != scritta)
            sbagliate << QStringLiteral("%1: called in form %2, written for %3")
                             .arg(lancio.Dove(), raggiunta, scritta.isEmpty() ? QStringLiteral("nothing") : scritta);
    }
    return sbagliate;
}

class Demo : public ::testing::Test {
protected:
    prova::InstallazioneDemo installazione;
    MessaggiInstallati msg;
};

TEST_F(Demo, EveryEntryAndButtonReachesItsExportInTheFormItWasWrittenFor) {
    const std::vector<Lancio> lanci = LanciDellaDemo(installazione.FileUtenti());
    const QStringList sbagliate = FormeSbagliate(lanci);
    EXPECT_TRUE(sbagliate.isEmpty()) << sbagliate.join(QLatin1Char('\n')).toStdString();

    // The demo shows every export of the library, each reached some way.
    QSet<QString> usate;
    for (const Lancio& lancio : lanci)
        usate.insert(lancio.funzione);
    for (const EsportazioneDemo& esportazione : EsportazioniDemo)
        EXPECT_TRUE(usate.contains(QLatin1String(esportazione.Nome))) << esportazione.Nome;
}

// Library windows still open, the menu window's excepted.
std::vector<QWidget*> FinestreAperte(const QWidget& finestra) {
    std::vector<QWidget*> aperte;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &finestra && w->isVisible() && !w->windowTitle().isEmpty())
            aperte.push_back(w);
    return aperte;
}

void ChiudiFinestre(const QWidget& finestra) {
    for (QWidget* w : FinestreAperte(finestra))
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The user chooses himself on the default page and clicks OK.
void Entra(TBaseMainForm& finestra, const QString& nome) {
    finestra.NotebookMain->setCurrentWidget(finestra.ModalitaDefault);
    finestra.ComboUtenti1->setCurrentIndex(finestra.ComboUtenti1->findText(nome));
    finestra.EditPassword1->clear();
    QTest::mouseClick(finestra.ButtonOk, Qt::LeftButton);
}

QString Testo(const QWidget& finestra, const char* etichetta) {
    const auto* label = finestra.findChild<QLabel*>(QString::fromLatin1(etichetta));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(etichetta));
}

// What the library's window shows of the arguments of its form.
QString FinestraMostrata(const QString& forma, const QString& idFinestra) {
    return forma == QStringLiteral("1") || forma == QStringLiteral("2") ? QStringLiteral("(nessuna)") : idFinestra;
}

QString ParametriMostrati(const QString& forma, const QString& parametri) {
    if (forma == QStringLiteral("1") || forma == QStringLiteral("X"))
        return QStringLiteral("(nessuno)");
    // Forms 2 and 2X pass an empty text as a null pointer, form 3Y as "".
    if (parametri.isEmpty() && forma != QStringLiteral("3Y"))
        return QStringLiteral("(null)");
    return QLatin1Char('"') + parametri + QLatin1Char('"');
}

// Does what the user does to run the launch; false when the window offers no such thing.
bool Esegui(TBaseMainForm& finestra, const Lancio& lancio) {
    switch (lancio.tipo) {
    case Lancio::VoceMenu: {
        finestra.CaricaMenu(lancio.programma);
        for (QAction* voce : finestra.Voci)
            if (voce->data().toInt() == lancio.codice && !voce->menu() && !voce->isSeparator()) {
                voce->trigger();
                return true;
            }
        return false;
    }
    case Lancio::VoceRapida:
        for (TVoceRapida* voce : finestra.VociRapide)
            if (voce->Gruppo() && voce->Gruppo()->Tag() == lancio.programma && voce->Tag() == lancio.codice) {
                voce->Clicca();
                return true;
            }
        return false;
    case Lancio::Pulsantone:
        for (const QPointer<QPushButton>& pulsante : finestra.Pulsantoni)
            if (pulsante && pulsante->property("Tag").toInt() == lancio.codice) {
                pulsante->click();
                return true;
            }
        return false;
    }
    return false;
}

bool DelProgetto(const TBaseMainForm& finestra, const Lancio& lancio) {
    if (lancio.tipo == Lancio::Pulsantone)
        return lancio.programma == finestra.CodiceProgetto;
    return std::any_of(finestra.Gruppi.begin(), finestra.Gruppi.end(),
                       [&](const TGruppoProgramma* g) { return g->Tag() == lancio.programma; });
}

// Through the real window and the real library: each launch opens one window, which shows
// the arguments of the form the export was written for. The semaphores the critical windows
// take are freed before each launch, as "Gestione semafori" would.
TEST_F(Demo, EveryEntryAndButtonOpensItsWindowWithTheArgumentsOfItsForm) {
    const std::vector<Lancio> lanci = LanciDellaDemo(installazione.FileUtenti());
    // A launch in the wrong form would take the test program down with it.
    ASSERT_TRUE(FormeSbagliate(lanci).isEmpty());

    struct Utente {
        const char* nome;
        const char* modalita;
        int codice;
    };
    // Between them, every project of the demo.
    const Utente utenti[] = {{"ROSSI", "STANDARD", 1}, {"MAGAZZINO", "SMALL", 3}};
    std::vector<bool> eseguiti(lanci.size(), false);
    for (const Utente& utente : utenti) {
        SCOPED_TRACE(utente.nome);
        ModalitaPerProva modalita(QString::fromLatin1(utente.modalita), QSize(1024, 768));
        TBaseMainForm finestra;
        finestra.show();
        Entra(finestra, QString::fromLatin1(utente.nome));
        ASSERT_TRUE(finestra.SessioneAperta) << msg->Testi().join('|').toStdString();
        ChiudiFinestre(finestra); // ROSSI's agenda
        ASSERT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();

        for (size_t i = 0; i < lanci.size(); ++i) {
            const Lancio& lancio = lanci[i];
            if (!DelProgetto(finestra, lancio))
                continue;
            SCOPED_TRACE(lancio.Dove().toStdString());
            prova::InstallazioneDiProva::Esegui(installazione.FileArchivio(), {"UPDATE SEMAFORIF SET OCCUPATO=0"});
            ASSERT_TRUE(Esegui(finestra, lancio)) << "not offered by the window";
            eseguiti[i] = true;
            EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
            msg->Svuota();

            const std::vector<QWidget*> aperte = FinestreAperte(finestra);
            ASSERT_EQ(aperte.size(), 1u);
            const QWidget& aperta = *aperte[0];
            EXPECT_EQ(aperta.objectName(), QStringLiteral("ArgomentiForm"));
            EXPECT_EQ(Testo(aperta, "LabelFunzione"), lancio.funzione);
            EXPECT_EQ(Testo(aperta, "LabelUtente"), QString::number(utente.codice));
            const QString forma = FormaScritta(lancio.funzione);
            const QString idFinestra = prova::InstallazioneDiProva::Valore(
                installazione.FileUtenti(), QStringLiteral("SELECT MAX(IDFINESTRA) FROM KESTOLOGFUNZ"));
            EXPECT_EQ(Testo(aperta, "LabelFinestra"), FinestraMostrata(forma, idFinestra));
            EXPECT_EQ(Testo(aperta, "LabelParametri"), ParametriMostrati(forma, lancio.parametri));
            ChiudiFinestre(finestra);
        }
    }
    for (size_t i = 0; i < lanci.size(); ++i)
        EXPECT_TRUE(eseguiti[i]) << lanci[i].Dove().toStdString() << " is in no project of the users above";
}

// The terminal user's big buttons are not scaled with the compact window: they must lie
// within it on every screen, clear of the navigation bar's headers and items, and be what a
// click at their centre reaches.
TEST_F(Demo, TheTerminalUsersBigButtonsAreSeenAndReachedOnEveryCompactScreen) {
    const QSize schermi[] = {{1024, 768}, {800, 600}, {480, 640}, {230, 300}};
    for (const QSize& schermo : schermi) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(schermo.width()).arg(schermo.height()).toStdString());
        ModalitaPerProva modalita(QStringLiteral("SMALL"), schermo);
        TBaseMainForm finestra;
        finestra.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&finestra));
        Entra(finestra, QStringLiteral("MAGAZZINO"));
        ASSERT_TRUE(finestra.SessioneAperta) << msg->Testi().join('|').toStdString();
        QApplication::processEvents();
        ASSERT_FALSE(finestra.Pulsantoni.empty());

        std::vector<QRect> barra;
        for (QAbstractButton* b : finestra.MenuProgrammi->findChildren<QAbstractButton*>())
            if (b->isVisibleTo(&finestra))
                barra.emplace_back(b->mapTo(&finestra, QPoint(0, 0)), b->size());
        ASSERT_FALSE(barra.empty());
        for (const QPointer<QPushButton>& pulsante : finestra.Pulsantoni) {
            SCOPED_TRACE(pulsante->text().toStdString());
            const QRect posto(pulsante->mapTo(&finestra, QPoint(0, 0)), pulsante->size());
            EXPECT_TRUE(finestra.rect().contains(posto));
            for (const QRect& voce : barra)
                EXPECT_FALSE(posto.intersects(voce));
            EXPECT_EQ(finestra.childAt(posto.center()), pulsante.data());
        }
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    }
}

// What the "Sistema" windows show on the demo: ROSSI's sessions left open beside the current
// one, the semaphores two users' windows still hold; D'ANGELO, whose paths go through the
// demo's drive letters, logs in on them.
TEST_F(Demo, TheSystemWindowsHaveSomethingToShow) {
    TBaseMainForm finestra;
    Entra(finestra, QStringLiteral("ROSSI"));
    ASSERT_TRUE(finestra.SessioneAperta) << msg->Testi().join('|').toStdString();
    ChiudiFinestre(finestra);
    {
        TSessioniForm sessioni(&finestra, finestra.TabXForm);
        QStringList codici;
        for (int r = 0; r < sessioni.GridSessioni->model()->rowCount(); ++r)
            codici << sessioni.Righe().Chiave(r);
        codici.sort();
        EXPECT_EQ(codici, (QStringList{QString::number(finestra.CodiceSessione), "2", "4"}));
    }
    {
        TSemaforiForm semafori(&finestra, finestra.TabXForm);
        const QAbstractItemModel* righe = semafori.GridSemafori->model();
        ASSERT_EQ(righe->rowCount(), 2);
        EXPECT_EQ(righe->index(0, 3).data().toString(), "2");
        EXPECT_EQ(righe->index(1, 3).data().toString(), "1");
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_TRUE(finestra.close());

    TBaseMainForm altra;
    altra.ComboUtenti1->setCurrentIndex(altra.ComboUtenti1->findText("D'ANGELO"));
    altra.EditPassword1->setText("Perù");
    QTest::mouseClick(altra.ButtonOk, Qt::LeftButton);
    ASSERT_TRUE(altra.SessioneAperta) << msg->Testi().join('|').toStdString();
    const fb::TDatabase& archivio = altra.TabXForm->IBDatabase1;
    EXPECT_TRUE(archivio.Connected());
    EXPECT_EQ(QFileInfo(archivio.DatabaseName).canonicalFilePath(),
              QFileInfo(installazione.Directory() + "archivi/demo/archivio.fdb").canonicalFilePath());
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

} // namespace
