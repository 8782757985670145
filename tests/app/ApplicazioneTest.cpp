#include "app/Applicazione.h"
#include "fb/Errore.h"
#include "fixture/MessaggiRegistrati.h"

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

} // namespace
