#include "piattaforma/Messaggi.h"

#include "fixture/MessaggiRegistrati.h"

#include <gtest/gtest.h>

#include <functional>

using namespace piattaforma;

namespace {

struct CasoMessaggio {
    const char* nome;
    std::function<void(const QString&, const QString&)> mostra;
    TipoMessaggio tipo;
};

class FunzioniMessaggio : public testing::TestWithParam<CasoMessaggio> {};

TEST_P(FunzioniMessaggio, PassanoTipoTestoETitolo) {
    MessaggiInstallati msg;
    GetParam().mostra(QStringLiteral("Archivio non trovato"), QStringLiteral("Quendra"));
    ASSERT_EQ(msg->Mostrati.size(), 1u);
    EXPECT_EQ(msg->Mostrati[0].tipo, GetParam().tipo);
    EXPECT_EQ(msg->Mostrati[0].testo, QStringLiteral("Archivio non trovato"));
    EXPECT_EQ(msg->Mostrati[0].titolo, QStringLiteral("Quendra"));
}

INSTANTIATE_TEST_SUITE_P(
    Tutte, FunzioniMessaggio,
    testing::Values(CasoMessaggio{"Errore", [](auto& t, auto& ti) { MostraErrore(t, ti); },
                                  TipoMessaggio::Errore},
                    CasoMessaggio{"Avviso", [](auto& t, auto& ti) { MostraAvviso(t, ti); },
                                  TipoMessaggio::Avviso},
                    CasoMessaggio{"Informazione",
                                  [](auto& t, auto& ti) { MostraInformazione(t, ti); },
                                  TipoMessaggio::Informazione},
                    CasoMessaggio{"Semplice", [](auto& t, auto& ti) { MostraMessaggio(t, ti); },
                                  TipoMessaggio::Semplice}),
    [](const testing::TestParamInfo<CasoMessaggio>& info) { return info.param.nome; });

TEST(ChiediConferma, VeroSoloSuSi) {
    MessaggiInstallati msg;
    msg->Rispondi(Risposta::Si);
    msg->Rispondi(Risposta::No);
    EXPECT_TRUE(ChiediConferma(QStringLiteral("Uscire?")));
    EXPECT_FALSE(ChiediConferma(QStringLiteral("Salvare?")));
    EXPECT_EQ(msg->Testi(), QStringList({QStringLiteral("Uscire?"), QStringLiteral("Salvare?")}));
    EXPECT_EQ(msg->Mostrati[1].tipo, TipoMessaggio::Conferma);
    EXPECT_FALSE(msg->ConfermaSenzaRisposta());
}

TEST(ChiediConferma, SenzaRispostaInCodaDiceNoESegnala) {
    MessaggiInstallati msg;
    EXPECT_FALSE(ChiediConferma(QStringLiteral("Cancellare?")));
    EXPECT_TRUE(msg->ConfermaSenzaRisposta());
    // Expected here: clear it so the guard does not fail the test.
    msg->Svuota();
    EXPECT_FALSE(msg->ConfermaSenzaRisposta());
    EXPECT_TRUE(msg->Mostrati.empty());
}

TEST(MessaggiPredefiniti, ScrivonoSuStderrERispondonoNo) {
    ImpostaMessaggi(nullptr);
    testing::internal::CaptureStderr();
    MostraErrore(QStringLiteral("Disco pieno"), QStringLiteral("Titolo"));
    const bool conferma = ChiediConferma(QStringLiteral("Procedere?"));
    const std::string scritto = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(conferma);
    EXPECT_EQ(scritto, "Errore: Disco pieno\nConferma: Procedere?\n");
}

TEST(MessaggiInstallati, AllaFineTornanoIPredefiniti) {
    {
        MessaggiInstallati msg;
        EXPECT_EQ(&MessaggiCorrenti(), static_cast<Messaggi*>(msg.operator->()));
    }
    testing::internal::CaptureStderr();
    MostraAvviso(QStringLiteral("dopo"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Avviso: dopo\n");
}

} // namespace
