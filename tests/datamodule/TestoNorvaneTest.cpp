#include "datamodule/Norvane.h"

#include "piattaforma/Codifica.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

void PrintTo(const TNorvane& voce, std::ostream* os) {
    *os << "{[" << voce.Intestazione.toStdString() << "] " << voce.Parametro.toStdString() << '='
        << voce.Valore.toStdString() << '}';
}

namespace {

struct CasoTesto {
    const char* come;
    const char16_t* testo;
    std::vector<TNorvane> attese;
};

void PrintTo(const CasoTesto& caso, std::ostream* os) {
    *os << caso.come;
}

class ScomposizioneNorvane : public testing::TestWithParam<CasoTesto> {};

TEST_P(ScomposizioneNorvane, PrendeLeRigheCheHannoIntestazioneENome) {
    EXPECT_EQ(ScomponiNorvane(QString::fromUtf16(GetParam().testo)), GetParam().attese);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, ScomposizioneNorvane,
    testing::Values(
        CasoTesto{"empty text", u"", {}},
        CasoTesto{"last line without line feed",
                  u"[A]\nP1=1\nP2=2",
                  {{"A", "P1", "1"}, {"A", "P2", "2"}}},
        CasoTesto{"value and then an empty value",
                  u"[A]\nP1=1\nP2=\n",
                  {{"A", "P1", "1"}, {"A", "P2", ""}}},
        CasoTesto{"further equals signs belong to the value",
                  u"[A]\nSQL=a=b==c\n",
                  {{"A", "SQL", "a=b==c"}}},
        CasoTesto{"lines before any heading", u"X=1\nY=2\n[A]\nZ=3\n", {{"A", "Z", "3"}}},
        CasoTesto{"an empty line ends the section",
                  u"[A]\nP=1\n\nQ=2\nR=3\n[B]\nS=4\n",
                  {{"A", "P", "1"}, {"B", "S", "4"}}},
        CasoTesto{
            "lines without = keep the heading", u"[A]\ncommento\n; nota\nP=1\n", {{"A", "P", "1"}}},
        CasoTesto{"CR LF ends lines like LF",
                  u"[A]\r\nP=1\r\n\r\nQ=2\r\n[B]\r\nR=\r\n",
                  {{"A", "P", "1"}, {"B", "R", ""}}},
        CasoTesto{
            "a lone CR counts for nothing", u"[A\r]\nP\r=1\r2\n\r\nQ=fuori\n", {{"A", "P", "12"}}},
        CasoTesto{"brackets inside a heading",
                  u"[[A]]\nP=1\n[B]C]\nQ=2\n[D\nR=3\n",
                  {{"[A]", "P", "1"}, {"B]C", "Q", "2"}}},
        CasoTesto{"a heading of one or two characters is empty",
                  u"[\nP=1\n[]\nQ=2\n[X]\nR=3",
                  {{"X", "R", "3"}}},
        CasoTesto{"nothing is trimmed",
                  u"[ A ]\n P = 1 \n\t=x\n",
                  {{" A ", " P ", " 1 "}, {" A ", "\t", "x"}}},
        CasoTesto{"an empty name is not taken", u"[A]\n=1\n==\nP=1\n", {{"A", "P", "1"}}},
        CasoTesto{
            "a parameter line cannot start with [", u"[A]\n[P=1]\nQ=2\n", {{"P=1", "Q", "2"}}},
        CasoTesto{"the same name twice is taken twice",
                  u"[A]\nP=1\nP=2\n",
                  {{"A", "P", "1"}, {"A", "P", "2"}}},
        CasoTesto{"disabled heading keeps its mark",
                  u"[Beta <INATTIVA>]\nP=1\n",
                  {{"Beta <INATTIVA>", "P", "1"}}},
        CasoTesto{"quotes, semicolons and accents in values",
                  u"[Società]\nNota=D'Angelo \"sì\"; 5€ ´x´\n",
                  {{"Società", "Nota", "D'Angelo \"sì\"; 5€ ´x´"}}}));

// Every character of the code page but the two line ends stays in names and values, as
// stored: the text comes from the database in Windows-1252.
TEST(ScomposizioneNorvaneCodifica, OgniCarattereDellaCodificaRestaNelValore) {
    QByteArray tutti;
    for (int b = 1; b < 256; ++b) {
        if (b != '\n' && b != '\r')
            tutti += char(b);
    }
    const QString caratteri = piattaforma::DaCp1252(tutti);
    QString nome = caratteri;
    nome.remove(u'=');
    nome.remove(u'[');
    nome.prepend(u'N');
    const QString testo =
        QStringLiteral("[Ditta \u00b4\u20ac]\n") + nome + u'=' + caratteri + u'\n';
    const std::vector<TNorvane> voci = ScomponiNorvane(testo);
    ASSERT_EQ(voci.size(), 1u);
    EXPECT_EQ(voci[0].Intestazione, QStringLiteral("Ditta \u00b4\u20ac"));
    EXPECT_EQ(voci[0].Parametro, nome);
    EXPECT_EQ(voci[0].Valore, caratteri);
    EXPECT_EQ(piattaforma::ACp1252(voci[0].Valore), tutti);
}

// No bound on the entries: the table of the first design stopped at 4096.
TEST(ScomposizioneNorvaneGrande, PiuDi4096VociSonoTutteLette) {
    QString testo;
    for (int ditta = 0; ditta < 3; ++ditta) {
        testo += QStringLiteral("[Ditta %1]\n").arg(ditta);
        for (int i = 0; i < 2000; ++i)
            testo += QStringLiteral("P%1=%2\n").arg(i).arg(ditta * 2000 + i);
    }
    const std::vector<TNorvane> voci = ScomponiNorvane(testo);
    ASSERT_EQ(voci.size(), 6000u);
    EXPECT_EQ(voci[4096], (TNorvane{"Ditta 2", "P96", "4096"}));
    EXPECT_EQ(voci.back(), (TNorvane{"Ditta 2", "P1999", "5999"}));
}

TEST(ScomposizioneNorvaneGrande, UnTestoDiUnMegaEDiecimilaRigheConRigheLunghe) {
    const QString lungo(5000, u'x');
    QString testo = QStringLiteral("[A]\r\n");
    for (int i = 0; i < 10000; ++i) {
        // Every tenth line is 5,000 characters long, every hundredth ends the section.
        if (i % 100 == 99)
            testo += QStringLiteral("\r\n[A]\r\n");
        else if (i % 10 == 0)
            testo += QStringLiteral("L%1=").arg(i) + lungo + QStringLiteral("\r\n");
        else
            testo += QStringLiteral("P%1=%2\r\n").arg(i).arg(QString(90, u'v'));
    }
    ASSERT_GT(testo.size(), 1000 * 1000);
    const std::vector<TNorvane> voci = ScomponiNorvane(testo);
    ASSERT_EQ(voci.size(), 9900u);
    EXPECT_EQ(voci[0], (TNorvane{"A", "L0", lungo}));
    EXPECT_EQ(voci.back().Parametro, QStringLiteral("P9998"));
    EXPECT_EQ(voci.back().Valore.size(), 90);
}

struct CasoMarca {
    const char* come;
    const char16_t* testo;
    QStringList disattive;
    const char16_t* atteso;
};

void PrintTo(const CasoMarca& caso, std::ostream* os) {
    *os << caso.come;
}

class MarcaturaDitte : public testing::TestWithParam<CasoMarca> {};

TEST_P(MarcaturaDitte, TogliePoiRimetteLeMarche) {
    const QString testo = QString::fromUtf16(GetParam().testo);
    const QString atteso = QString::fromUtf16(GetParam().atteso);
    EXPECT_EQ(MarcaDitteInattive(testo, GetParam().disattive), atteso);
    // Marking again with the same list changes nothing.
    EXPECT_EQ(MarcaDitteInattive(atteso, GetParam().disattive), atteso);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, MarcaturaDitte,
    testing::Values(
        CasoMarca{
            "disable one", u"[A]\nP=1\n[B]\nQ=2\n", {"B"}, u"[A]\nP=1\n[B <INATTIVA>]\nQ=2\n"},
        CasoMarca{"enable all removes every mark, also outside headings",
                  u"[A <INATTIVA>]\nP=x <INATTIVA>\n[B <INATTIVA>]\n",
                  {},
                  u"[A]\nP=x\n[B]\n"},
        CasoMarca{"swap", u"[A <INATTIVA>]\n[B]\n", {"B"}, u"[A]\n[B <INATTIVA>]\n"},
        CasoMarca{"a heading that does not match exactly is left alone",
                  u"[ B]\n[b]\n[B ]\n[B]x\n",
                  {"B"},
                  u"[ B]\n[b]\n[B ]\n[B <INATTIVA>]x\n"},
        CasoMarca{"every occurrence, values too",
                  u"[B]\nP=[B]\n[B]\n",
                  {"B"},
                  u"[B <INATTIVA>]\nP=[B <INATTIVA>]\n[B <INATTIVA>]\n"},
        CasoMarca{
            "the mark in another case is not a mark", u"[A <inattiva>]\n", {}, u"[A <inattiva>]\n"},
        CasoMarca{"a name twice in the list", u"[A]\n", {"A", "A"}, u"[A <INATTIVA>]\n"},
        CasoMarca{"nested brackets",
                  u"[[A]]\n[A]\n",
                  {"[A]", "A"},
                  u"[[A <INATTIVA>] <INATTIVA>]\n[A <INATTIVA>]\n"},
        CasoMarca{"a mark made by removing another is removed too",
                  u"[A] < <INATTIVA>INATTIVA>\n",
                  {},
                  u"[A]\n"}));

TEST(DivisioneIntestazioni, LeDisattiveSenzaMarcaLeAltreComeSono) {
    QStringList attive{"gia"};
    QStringList disattive;
    DividiIntestazioni({"Alfa", "Beta <INATTIVA>", "Gamma <inattiva>",
                        "Delta <INATTIVA> <INATTIVA>", "Eps<INATTIVA>", "Zeta <INATTIVA> 2020"},
                       attive, disattive);
    EXPECT_EQ(attive, (QStringList{"gia", "Alfa", "Gamma <inattiva>", "Eps<INATTIVA>"}));
    EXPECT_EQ(disattive, (QStringList{"Beta", "Delta", "Zeta 2020"}));
}

} // namespace
