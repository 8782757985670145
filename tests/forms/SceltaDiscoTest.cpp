#include "forms/SceltaDisco.h"

#include "fixture/DatabaseDiProva.h"
#include "fixture/Dialoghi.h"
#include "fixture/MessaggiRegistrati.h"
#include "piattaforma/Percorsi.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using piattaforma::TipoMessaggio;

namespace {

const QString DiscoNonValido = QStringLiteral("Attenzione: il disco impostato non è valido");

// The executable in <tmp>/drive_c/Quendra with two drives and a link that points nowhere.
class SceltaDisco : public ::testing::Test {
protected:
    SceltaDisco() {
        QDir radice(cartella.Percorso());
        radice.mkpath(QStringLiteral("drive_c/Quendra/dosdevices"));
        radice.mkpath(QStringLiteral("drive_d"));
        piattaforma::ImpostaDirectoryEseguibile(cartella.File(QStringLiteral("drive_c/Quendra")));
        Collega("c:", cartella.File("drive_c"));
        Collega("d:", cartella.File("drive_d"));
        Collega("q:", cartella.File("manca"));
    }
    ~SceltaDisco() override { piattaforma::ImpostaDirectoryEseguibile({}); }

    void Collega(const QString& unita, const QString& destinazione) {
        EXPECT_TRUE(
            QFile::link(destinazione, cartella.File("drive_c/Quendra/dosdevices/" + unita)));
    }

    QStringList Voci(const TSceltaDiscoForm& dialogo) const {
        QStringList voci;
        for (int i = 0; i < dialogo.ComboDisco->count(); ++i)
            voci << dialogo.ComboDisco->itemData(i).toString();
        return voci;
    }

    prova::CartellaProva cartella;
    MessaggiInstallati msg;
};

TEST_F(SceltaDisco, OffersEveryDriveInLowerCaseAndTakesAProposedLetterInAnyCase) {
    TSceltaDiscoForm dialogo(nullptr);
    EXPECT_EQ(Voci(dialogo), (QStringList{"c", "d", "q", "z"})) << "a dangling link is a drive too";
    EXPECT_TRUE(dialogo.ImpostaDisco("D"));
    EXPECT_EQ(dialogo.DiscoScelto(), "d");
    EXPECT_FALSE(dialogo.ImpostaDisco("x")) << "no such drive";
    EXPECT_FALSE(dialogo.ImpostaDisco(""));
    EXPECT_EQ(dialogo.DiscoScelto(), "d") << "an unknown letter leaves the choice alone";
}

struct CasoOk {
    const char* lettera;
    bool accettato;
};

class OkDelDialogo : public SceltaDisco, public ::testing::WithParamInterface<CasoOk> {};

// OK closes only on a drive whose root is there; otherwise it warns and the dialog stays.
TEST_P(OkDelDialogo, AcceptsOnlyADriveWhoseRootExists) {
    TSceltaDiscoForm dialogo(nullptr);
    bool apertoDopoOk = false;
    prova::QuandoSiApre<TSceltaDiscoForm>([&](TSceltaDiscoForm& d) {
        ASSERT_TRUE(d.ImpostaDisco(GetParam().lettera));
        QTest::mouseClick(d.ButtonOk, Qt::LeftButton);
        apertoDopoOk = d.isVisible();
        if (apertoDopoOk)
            QTest::mouseClick(d.ButtonCancel, Qt::LeftButton);
    });
    const int esito = dialogo.exec();
    if (GetParam().accettato) {
        EXPECT_EQ(esito, TSceltaDiscoForm::RisultatoOk);
        EXPECT_FALSE(apertoDopoOk);
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
        EXPECT_EQ(dialogo.DiscoScelto(), GetParam().lettera);
    } else {
        EXPECT_TRUE(apertoDopoOk);
        EXPECT_EQ(esito, TSceltaDiscoForm::RisultatoCancel);
        ASSERT_EQ(msg->Mostrati.size(), 1u);
        EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Avviso);
        EXPECT_EQ(msg->Mostrati[0].testo, DiscoNonValido);
    }
}

INSTANTIATE_TEST_SUITE_P(Casi, OkDelDialogo,
                         ::testing::Values(CasoOk{"c", true}, CasoOk{"d", true}, CasoOk{"z", true},
                                           CasoOk{"q", false}));

TEST_F(SceltaDisco, OkWithTheRootRemovedMeanwhileWarns) {
    TSceltaDiscoForm dialogo(nullptr);
    ASSERT_TRUE(dialogo.ImpostaDisco("d"));
    ASSERT_TRUE(QDir(cartella.File("drive_d")).removeRecursively());
    bool aperto = false;
    prova::QuandoSiApre<TSceltaDiscoForm>([&](TSceltaDiscoForm& d) {
        QTest::keyClick(d.ComboDisco, Qt::Key_Return); // the default button
        aperto = d.isVisible();
        d.ButtonCancel->click();
    });
    dialogo.exec();
    EXPECT_TRUE(aperto);
    EXPECT_EQ(msg->Testi(), QStringList{DiscoNonValido});
}

// Cancel, Escape and the window's close all end with Cancel (2), silently.
TEST_F(SceltaDisco, EveryWayOutButOkIsCancel) {
    const std::function<void(TSceltaDiscoForm&)> uscite[] = {
        [](TSceltaDiscoForm& d) { QTest::mouseClick(d.ButtonCancel, Qt::LeftButton); },
        [](TSceltaDiscoForm& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TSceltaDiscoForm& d) { d.close(); },
    };
    for (const auto& uscita : uscite) {
        TSceltaDiscoForm dialogo(nullptr);
        prova::QuandoSiApre<TSceltaDiscoForm>(uscita);
        EXPECT_EQ(dialogo.exec(), TSceltaDiscoForm::RisultatoCancel);
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

struct CasoLettera {
    const char* valore;
    const char* atteso;
};

class LetteraDisco : public ::testing::TestWithParam<CasoLettera> {};

TEST_P(LetteraDisco, OnlyTheLetterOfTheFirstPathChanges) {
    EXPECT_EQ(CambiaLetteraDisco(QString::fromUtf8(GetParam().valore), u'x'),
              QString::fromUtf8(GetParam().atteso));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, LetteraDisco,
    ::testing::Values(CasoLettera{"C:\\Dati\\archivio.fdb", "x:\\Dati\\archivio.fdb"},
                      CasoLettera{"c:\\uno;D:\\due", "x:\\uno;D:\\due"},
                      CasoLettera{":\\senza lettera", ":\\senza lettera"},
                      CasoLettera{"\\\\server\\C:\\dati", "\\\\server\\x:\\dati"},
                      CasoLettera{"Archivio su E:\\", "Archivio su x:\\"},
                      CasoLettera{"C:/avanti", "C:/avanti"}, CasoLettera{"C:dati", "C:dati"},
                      CasoLettera{"é:\\Società", "x:\\Società"}, CasoLettera{"", ""}));

} // namespace
