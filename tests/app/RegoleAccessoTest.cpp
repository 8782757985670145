#include "app/RegoleAccesso.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(RegoleAccesso, WhoIsListedInWhichMode) {
    struct Riga {
        const char* info1;
        bool standard;
        bool small;
    };
    const Riga righe[] = {
        {"", true, true}, {"PC", true, false}, {"TERM", false, true},
        {"pc", false, false}, {"term", false, false}, {"PC ", false, false},
    };
    for (const Riga& r : righe) {
        EXPECT_EQ(UtenteElencabile(ModalitaStandard, r.info1), r.standard) << r.info1;
        EXPECT_EQ(UtenteElencabile(ModalitaSmall, r.info1), r.small) << r.info1;
        EXPECT_FALSE(UtenteElencabile("standard", r.info1)) << "any other mode lists nobody";
    }
}

TEST(RegoleAccesso, CompactScalingFollowsTheSmallerRatioAndRoundsHalvesToEven) {
    struct Riga {
        int w, h;
        int centesimi;
        int fontVoci;
    };
    const Riga righe[] = {
        {1024, 768, 256, 20}, // 768 / 300 = 2.56 is the smaller
        {230, 300, 100, 12},
        {575, 900, 250, 16},  // 2.5: round to even gives 2
        {805, 1200, 350, 24}, // 3.5: round to even gives 4
        {240, 320, 104, 12},
    };
    for (const Riga& r : righe) {
        const ScalaCompatta scala = CalcolaScalaCompatta(r.w, r.h);
        EXPECT_EQ(scala.Centesimi, r.centesimi) << r.w << "x" << r.h;
        EXPECT_EQ(scala.FontVoci, r.fontVoci) << r.w << "x" << r.h;
    }
    EXPECT_EQ(ArrotondaPari(0.125 * 100), 12);
    EXPECT_EQ(ArrotondaPari(-2.5), -2);
}

TEST(RegoleAccesso, MenuCaptionShowsTheParameterNamedBetweenTheTags) {
    struct Riga {
        const char* descrizione;
        const char* nomeChiesto; // nullptr: no parameter is read
        const char* atteso;
    };
    const Riga righe[] = {
        {"Archivi", nullptr, "Archivi"},
        {"<LINEA>Anno</LINEA>", "Anno", "2024"},
        {"Esercizio <LINEA>Anno</LINEA> in corso", "Anno", "Esercizio 2024"},
        {"Senza chiusura <LINEA>Anno", "", "Senza chiusura vuoto"},
        {"</LINEA>Prima <LINEA>Anno</LINEA>", "", "</LINEA>Prima vuoto"},
        {"Nome vuoto <LINEA></LINEA> dopo", "", "Nome vuoto vuoto"},
        {"Due <LINEA>A<LINEA>Anno</LINEA>", "A<LINEA>Anno", "Due "},
        {"Tre <LINEA>Anno</LINEA></LINEA>", "Anno", "Tre 2024"},
        {"<linea>Anno</linea>", nullptr, "<linea>Anno</linea>"},
        {"", nullptr, ""},
    };
    for (const Riga& r : righe) {
        std::optional<QString> chiesto;
        const auto valore = [&chiesto](const QString& nome) {
            EXPECT_FALSE(chiesto.has_value()) << "one parameter per caption";
            chiesto = nome;
            if (nome == QStringLiteral("Anno"))
                return QStringLiteral("2024");
            return nome.isEmpty() ? QStringLiteral("vuoto") : QString();
        };
        const QString descrizione = QString::fromUtf8(r.descrizione);
        EXPECT_EQ(TestoVoceMenu(descrizione, valore), QString::fromUtf8(r.atteso)) << r.descrizione;
        if (r.nomeChiesto)
            EXPECT_EQ(chiesto, QString::fromUtf8(r.nomeChiesto)) << r.descrizione;
        else
            EXPECT_FALSE(chiesto.has_value()) << r.descrizione;
    }
}

} // namespace
