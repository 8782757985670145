#include "app/Applicazione.h"
#include "app/MessaggiQt.h"
#include "fb/Errore.h"
#include "fixture/Dialoghi.h"
#include "fixture/MessaggiRegistrati.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(GeneralErrorHandler, ADatabaseErrorInAnEventIsShownAndTheProgramGoesOn) {
    MessaggiInstallati msg;
    bool dopo = false;
    QTimer::singleShot(0, [] { throw fb::EErroreDB("lock conflict on no wait transaction"); });
    QTimer::singleShot(10, [&] { dopo = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return dopo; }, 5000));
    ASSERT_EQ(msg->Testi(), QStringList{"lock conflict on no wait transaction"});
    EXPECT_EQ(msg->Mostrati[0].tipo, piattaforma::TipoMessaggio::Errore);
}

// The test program builds its application object as the program does (tests/main.cpp).
TEST(Applicazione, QtsOwnButtonsAndDialogsSpeakItalian) {
    ASSERT_TRUE(QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_it.qm"))
        << "Qt's Italian texts are missing: scripts/dipendenze.sh installs qt6-translations-l10n";

    // A confirmation as the program shows it: the user reads Sì and No.
    QStringList pulsanti;
    prova::QuandoSiApre<QMessageBox>([&](QMessageBox& box) {
        for (QAbstractButton* pulsante : box.buttons())
            pulsanti.append(pulsante->text().remove(QLatin1Char('&')));
        box.button(QMessageBox::No)->click();
    });
    MessaggiQt messaggi;
    EXPECT_EQ(messaggi.Mostra(piattaforma::TipoMessaggio::Conferma, "Salvare le modifiche?", {}),
              piattaforma::Risposta::No);
    pulsanti.sort();
    EXPECT_EQ(pulsanti, (QStringList{"No", "Sì"}));

    // The buttons of Qt's file and print dialogs come from the same texts.
    QDialogButtonBox scelta(QDialogButtonBox::Open | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(scelta.button(QDialogButtonBox::Open)->text(), "Apri");
    EXPECT_EQ(scelta.button(QDialogButtonBox::Save)->text(), "Salva");
    EXPECT_EQ(scelta.button(QDialogButtonBox::Cancel)->text(), "Annulla");

    EXPECT_EQ(QLocale().decimalPoint(), ",");
    EXPECT_EQ(QLocale().toString(7500.5, 'f', 2), "7.500,50");
}

} // namespace
