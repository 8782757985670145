#include "piattaforma/FormatoItaliano.h"

#include <gtest/gtest.h>

using namespace piattaforma;

namespace {

// What was typed, and the number it stands for as programs write it; empty when it is not a
// number.
struct NumeroDigitato {
    const char* testo;
    const char* atteso;
};

TEST(FormatoItaliano, NumbersAreReadAsItaliansTypeThem) {
    const NumeroDigitato casi[] = {
        {"7.500,50", "7500.5"},
        {"7500,5", "7500.5"},
        {"7500.50", "7500.5"},      // the dot cannot be grouping: a decimal point
        {"7.500", "7500"},          // it can: seven thousand five hundred
        {"1.234.567,891", "1234567.891"},
        {"1.234.567", "1234567"},
        {"1234.567", "1234.567"},   // four digits before the dot: no grouping
        {"0.500", "0.5"},           // nobody groups with a leading zero
        {"3.14", "3.14"},
        {"-1.000,25", "-1000.25"},
        {"+5", "5"},
        {",5", "0.5"},
        {"5,", "5"},
        {"-0,00", "0"},
        {" 0012 ", "12"},
        {"", ""},
        {"-", ""},
        {",", ""},
        {".", ""},
        {"abc", ""},
        {"12a", ""},
        {"7 500", ""},
        {"7,500,50", ""},
        {"75.00,5", ""},            // with a comma every dot must group thousands
        {"0.500,5", ""},
        {"1.5,3", ""},
        {"1.2.3", ""},
        {"1e5", ""},
    };
    for (const NumeroDigitato& caso : casi) {
        const auto numero = LeggiNumeroItaliano(QString::fromUtf8(caso.testo));
        EXPECT_EQ(numero ? FormattaNumeroPunto(*numero) : QString(), QString::fromUtf8(caso.atteso)) << caso.testo;
    }
}

TEST(FormatoItaliano, NumbersAreWrittenWithThousandsDotsAndRoundedDecimals) {
    struct Caso {
        const char* numero;
        int decimali;
        bool migliaia;
        const char* atteso;
    } const casi[] = {
        {"7500.5", 2, true, "7.500,50"},   {"7500.5", 2, false, "7500,50"},
        {"1234567.891", -1, true, "1.234.567,891"},
        {"123", 2, true, "123,00"},        {"100", -1, true, "100"},
        {"0.005", 2, true, "0,01"},        {"999.995", 2, true, "1.000,00"},
        {"-0.004", 2, true, "0,00"},       {"-1234.5", 0, true, "-1.235"},
        {"-1234", 0, false, "-1234"},      {"9223372036854775.807", 3, true, "9.223.372.036.854.775,807"},
    };
    for (const Caso& caso : casi) {
        const auto numero = LeggiNumeroPunto(QString::fromLatin1(caso.numero));
        ASSERT_TRUE(numero) << caso.numero;
        EXPECT_EQ(FormattaNumeroItaliano(*numero, caso.decimali, caso.migliaia), QString::fromUtf8(caso.atteso))
            << caso.numero;
    }
    EXPECT_EQ(FormattaDoubleItaliano(7500.5, true), "7.500,5");
    EXPECT_EQ(FormattaDoubleItaliano(0.1 + 0.2, true), "0,3");
    EXPECT_EQ(FormattaDoubleItaliano(-1234567.0, false), "-1234567");
}

TEST(FormatoItaliano, TwoDigitYearsLandWithinFiftyYearsOfThisOne) {
    struct Caso {
        int anno, corrente, atteso;
    } const casi[] = {
        {26, 2026, 2026}, {75, 2026, 2075}, {76, 2026, 1976}, {0, 2026, 2000}, {99, 2026, 1999},
        {48, 1999, 2048}, {49, 1999, 1949}, {1, 2051, 2001},  {0, 2050, 2000}, {99, 2050, 2099},
    };
    for (const Caso& caso : casi)
        EXPECT_EQ(CompletaAnno(caso.anno, caso.corrente), caso.atteso) << caso.anno << " in " << caso.corrente;
}

TEST(FormatoItaliano, DatesAreReadAsItaliansTypeThem) {
    struct Caso {
        const char* testo;
        QDate attesa; // invalid: not a date
    } const casi[] = {
        {"01/02/2026", {2026, 2, 1}}, {"1/2/2026", {2026, 2, 1}},  {"01/02/26", {2026, 2, 1}},
        {"1/2/75", {2075, 2, 1}},     {"1/2/76", {1976, 2, 1}},    {"31/12/00", {2000, 12, 31}},
        {"01-02-2026", {2026, 2, 1}}, {"01.02.2026", {2026, 2, 1}}, {"1/2", {2026, 2, 1}},
        {"0102", {2026, 2, 1}},       {"010226", {2026, 2, 1}},    {"01022026", {2026, 2, 1}},
        {"2026-02-01", {2026, 2, 1}}, {" 29/02/2028 ", {2028, 2, 29}},
        {"29/02/2026", {}},           {"31/04/2026", {}},          {"01/13/2026", {}},
        {"00/01/2026", {}},           {"1/2/026", {}},             {"01/02-2026", {}},
        {"1/2/", {}},                 {"12345", {}},               {"abc", {}},
        {"", {}},                     {"1/2/3/4", {}},             {"01/02/2026 10:00", {}},
    };
    for (const Caso& caso : casi)
        EXPECT_EQ(LeggiDataItaliana(QString::fromLatin1(caso.testo), 2026).value_or(QDate()), caso.attesa)
            << caso.testo;
}

TEST(FormatoItaliano, TimesAndMomentsAreRead) {
    EXPECT_EQ(LeggiOraItaliana("14:30"), QTime(14, 30));
    EXPECT_EQ(LeggiOraItaliana("9.05"), QTime(9, 5));
    EXPECT_EQ(LeggiOraItaliana("14:30:15"), QTime(14, 30, 15));
    for (const char* sbagliata : {"25:00", "14:3", "14", "14:30:1", "a:b", "14:60"})
        EXPECT_FALSE(LeggiOraItaliana(QString::fromLatin1(sbagliata))) << sbagliata;
    EXPECT_EQ(LeggiDataOraItaliana("01/02/26 14:30", 2026), QDateTime(QDate(2026, 2, 1), QTime(14, 30)));
    EXPECT_EQ(LeggiDataOraItaliana("01/02/2026", 2026), QDateTime(QDate(2026, 2, 1), QTime(0, 0)));
    EXPECT_FALSE(LeggiDataOraItaliana("01/02/2026 ore 14", 2026));
    EXPECT_EQ(FormattaDataOraItaliana(QDateTime(QDate(2026, 2, 1), QTime(14, 30))), "01/02/2026 14:30:00");
    EXPECT_EQ(FormattaDataOraItaliana(QDateTime(QDate(2026, 2, 1), QTime(0, 0))), "01/02/2026");
}

} // namespace
