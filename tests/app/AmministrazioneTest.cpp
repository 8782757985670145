// The "Sistema" windows reached from the menu of a logged-in user, and what their work does
// to the launches that follow.

#include "app/FinestraDiProva.h"
#include "datamodule/TabX.h"
#include "fixture/Dialoghi.h"
#include "forms/Semafori.h"
#include "forms/Sessioni.h"

#include <QAction>
#include <QCoreApplication>
#include <QHash>
#include <QTableView>

namespace {

using piattaforma::Risposta;

class Amministrazione : public FinestraDiProva {
protected:
    void TearDown() override { prova::ChiudiAttese(); }

    // Marks every row, answers Yes to the action, and closes the window.
    template <typename Finestra> static void TuttoEChiudi(Finestra& f, QPushButton* azione) {
        f.ButtonSel->click();
        azione->click();
        f.ButtonChiudi->click();
    }
};

TEST_F(Amministrazione, ClosingTheCurrentSessionByHandRefusesTheNextLaunch) {
    Voce(2, "Apri1");
    Entra("ROSSI");
    Utenti({"INSERT INTO KESTOLOG (CODICESESSIONE, CODICEUTENTE) VALUES (900, 1)",
            "INSERT INTO KESTOLOG (CODICESESSIONE, CODICEUTENTE) VALUES (901, 2)"});
    QStringList elencate;
    prova::QuandoSiApre<TSessioniForm>([&](TSessioniForm& f) {
        for (int r = 0; r < f.GridSessioni->model()->rowCount(); ++r)
            elencate << f.Righe().Chiave(r);
        TuttoEChiudi(f, f.ButtonChiudiSel);
    });
    msg->Rispondi(Risposta::Si);
    Finestra().Sessioni1->trigger();
    QStringList attese{QString::number(Finestra().CodiceSessione), "900"};
    attese.sort();
    elencate.sort();
    EXPECT_EQ(elencate, attese);
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA IS NULL"), "1") << "only D'ANGELO's";

    msg->Svuota();
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    EXPECT_EQ(msg->Testi(),
              QStringList{"Attenzione: la sessione corrente risulta chiusa. Si prega di uscire e rientrare"});
    EXPECT_TRUE(libreria.Chiamate().empty());
}

// Beside each open session, whether a connection still works in it: this window's own, another
// workstation's (here a second window of this process), one left by a crashed run, and one
// whose user left with F8.
TEST_F(Amministrazione, TheSessionsWindowTellsWhichSessionsAreStillInUse) {
    Entra("ROSSI");
    Utenti({"INSERT INTO KESTOLOG (CODICESESSIONE, CODICEUTENTE) VALUES (900, 1)"});
    const auto entra = [](TBaseMainForm& f) {
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText("ROSSI"));
        QTest::mouseClick(f.ButtonOk, Qt::LeftButton);
        return QString::number(f.CodiceSessione);
    };
    TBaseMainForm altra;
    const QString sua = entra(altra);
    TBaseMainForm uscita;
    const QString lasciata = entra(uscita);
    uscita.CambioUtente();

    TSessioniForm sessioni(&Finestra(), Finestra().TabXForm);
    const QAbstractItemModel* righe = sessioni.GridSessioni->model();
    ASSERT_EQ(righe->headerData(3, Qt::Horizontal).toString(), "In uso");
    QHash<QString, QString> inUso;
    for (int r = 0; r < righe->rowCount(); ++r)
        inUso.insert(sessioni.Righe().Chiave(r), righe->index(r, 3).data().toString());
    ASSERT_EQ(inUso.size(), 4);
    EXPECT_EQ(inUso.value(QString::number(Finestra().CodiceSessione)), "sì, questa postazione");
    EXPECT_EQ(inUso.value(sua), QStringLiteral("sì, processo %1").arg(QCoreApplication::applicationPid()));
    EXPECT_EQ(inUso.value("900"), "no");
    EXPECT_EQ(inUso.value(lasciata), "no");
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

// A connection attached again (after the server came back) has lost the mark: the next
// launch puts it back.
TEST_F(Amministrazione, TheInUseMarkComesBackAfterTheConnectionIsAttachedAgain) {
    Voce(2, "Apri1");
    Entra("ROSSI");
    const QString mia = QString::number(Finestra().CodiceSessione);
    const auto inUso = [&] {
        TSessioniForm sessioni(&Finestra(), Finestra().TabXForm);
        const QAbstractItemModel* righe = sessioni.GridSessioni->model();
        for (int r = 0; r < righe->rowCount(); ++r)
            if (sessioni.Righe().Chiave(r) == mia)
                return righe->index(r, 3).data().toString();
        return QStringLiteral("<not listed>");
    };
    fb::TDatabase& utenti = Finestra().TabXForm->IBDatabaseUser;
    utenti.Close();
    utenti.Open();
    EXPECT_EQ(inUso(), "no");
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    EXPECT_EQ(inUso(), "sì, questa postazione");
    EXPECT_EQ(libreria.Chiamate().size(), 1u);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

// A critical window left taken blocks its linked window until the semaphore is freed by hand.
TEST_F(Amministrazione, FreeingASemaphoreLetsTheWindowItBlockedOpen) {
    Voce(2, "ApriX");
    Voce(3, "ApriY");
    CollegaFinestreCritiche("ApriY", "ApriX");
    Entra("ROSSI");
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    Finestra().EseguiFunzioneVoce(10, 3, 1);
    ASSERT_EQ(libreria.Chiamate().size(), 1u);
    ASSERT_EQ(msg->Testi().size(), 1) << "the linked window is refused";

    prova::QuandoSiApre<TSemaforiForm>([&](TSemaforiForm& f) { TuttoEChiudi(f, f.ButtonLiberaSemafori); });
    msg->Rispondi(Risposta::Si);
    Finestra().GestioneSemafori1->trigger();
    msg->Svuota();
    Finestra().EseguiFunzioneVoce(10, 3, 1);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    ASSERT_EQ(libreria.Chiamate().size(), 2u);
    EXPECT_EQ(libreria.Chiamate()[1].Voce, "ApriY");
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(installazione.FileArchivio(),
                                                  "SELECT LIST(DESCRIZIONE, ',') FROM SEMAFORIFANOMALIE"),
              "Semaforo occupato,Libera semafori");
}

} // namespace
