#include "piattaforma/Codifica.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <vector>

using namespace piattaforma;

namespace {

struct CasoCodifica {
    const char16_t* testo;
    const char* byte;
};

class CodificaAndataRitorno : public testing::TestWithParam<CasoCodifica> {};

TEST_P(CodificaAndataRitorno, ConverteNeiDueSensi) {
    const QString testo = QString::fromUtf16(GetParam().testo);
    const QByteArray byte(GetParam().byte);
    EXPECT_EQ(ACp1252(testo), byte);
    EXPECT_EQ(DaCp1252(byte), testo);
    EXPECT_TRUE(FuoriCp1252(testo).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Caratteri, CodificaAndataRitorno,
    testing::Values(CasoCodifica{u"è", "\xE8"}, CasoCodifica{u"€", "\x80"},
                    CasoCodifica{u"´", "\xB4"}, CasoCodifica{u"Œ", "\x8C"},
                    CasoCodifica{u"ÿŸ", "\xFF\x9F"}, CasoCodifica{u"D'Angelo", "D'Angelo"},
                    CasoCodifica{u"Perché costa 5€ – “sì”",
                                 "Perch\xE9 costa 5\x80 \x96 \x93s\xEC\x94"},
                    CasoCodifica{u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},
                    CasoCodifica{u"Chi? ¿Quién?", "Chi? \xBFQui\xE9n?"},
                    CasoCodifica{u"", ""}));

struct CasoFuoriCodifica {
    const char16_t* testo;
    const char* atteso;
    // What FuoriCp1252 names: each character once, in order.
    std::vector<char32_t> fuori;
};

class CodificaFuoriPagina : public testing::TestWithParam<CasoFuoriCodifica> {};

TEST_P(CodificaFuoriPagina, DiventaPuntoInterrogativoENeEIlNome) {
    // The code units as they are: a lone surrogate stays (fromUtf16 would replace it).
    const QString testo = QStringView(GetParam().testo).toString();
    EXPECT_EQ(ACp1252(testo), QByteArray(GetParam().atteso));
    const QList<char32_t> fuori = FuoriCp1252(testo);
    EXPECT_EQ(std::vector<char32_t>(fuori.begin(), fuori.end()), GetParam().fuori);
}

INSTANTIATE_TEST_SUITE_P(
    Caratteri, CodificaFuoriPagina,
    testing::Values(CasoFuoriCodifica{u"Жa", "?a", {U'Ж'}},
                    // A C1 control Windows does give a byte to is not in the page.
                    CasoFuoriCodifica{u"\u0080\u0082", "??", {0x80, 0x82}},
                    // One character outside the BMP is one '?', not two.
                    CasoFuoriCodifica{u"x😀y", "x?y", {U'😀'}},
                    // A '?' of the text is not one of them; a repeated one is named once.
                    CasoFuoriCodifica{u"Łódź 北京? Łó", "?\xF3" "d? ??? ?\xF3", {U'Ł', U'ź', U'北', U'京'}},
                    // Half a pair is not a character of any page.
                    CasoFuoriCodifica{u"a\xD800" u"b\xDC00", "a?b?", {0xD800, 0xDC00}}));

TEST(Codifica, ByteNulliRestanoNelTesto) {
    const QByteArray byte("a\0b", 3);
    EXPECT_EQ(DaCp1252(byte).size(), 3);
    EXPECT_EQ(ACp1252(DaCp1252(byte)), byte);
}

// The byte-to-character table agrees with the system's iconv on every defined byte.
TEST(Codifica, TuttiIByteComeIconv) {
    iconv_t conversione = iconv_open("UTF-16LE", "WINDOWS-1252");
    ASSERT_NE(conversione, reinterpret_cast<iconv_t>(-1));
    std::vector<int> indefiniti;
    for (int valore = 0; valore < 256; ++valore) {
        char ingresso = static_cast<char>(valore);
        char16_t uscita = 0;
        char* da = &ingresso;
        char* a = reinterpret_cast<char*>(&uscita);
        size_t restoDa = 1;
        size_t restoA = sizeof uscita;
        const char byte[1] = {ingresso};
        const QString convertito = DaCp1252(QByteArrayView(byte, 1));
        ASSERT_EQ(convertito.size(), 1);
        if (iconv(conversione, &da, &restoDa, &a, &restoA) == static_cast<size_t>(-1)) {
            // Undefined for iconv: Windows keeps the byte's value.
            indefiniti.push_back(valore);
            EXPECT_EQ(convertito[0].unicode(), valore) << "byte " << valore;
        } else {
            EXPECT_EQ(convertito[0].unicode(), uscita) << "byte " << valore;
        }
        EXPECT_EQ(ACp1252(convertito), QByteArray(byte, 1)) << "byte " << valore;
    }
    iconv_close(conversione);
    EXPECT_EQ(indefiniti, (std::vector<int>{0x81, 0x8D, 0x8F, 0x90, 0x9D}));
}

} // namespace
