// Cases that fuzzing of the profile files and of the drive paths turned up.

#include "piattaforma/Ini.h"
#include "piattaforma/Percorsi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace piattaforma;

namespace {

struct CasoScritturaRipetuta {
    const char* prima; // nullptr: no file yet
    const char* sezione;
    const char* chiave;
    const char* dopo;
};

class ScritturaRipetutaIni : public testing::TestWithParam<CasoScritturaRipetuta> {};

// A new key or section goes in without the blanks around its name, as a rewrite of the line
// leaves it, so the same write done twice leaves the file as the first one did. An empty
// file is written as a missing one.
TEST_P(ScritturaRipetutaIni, LasciaIlFileComeLaPrima) {
    QTemporaryDir cartella;
    ASSERT_TRUE(cartella.isValid());
    const QString file = cartella.filePath(QStringLiteral("Quendra.ini"));
    if (GetParam().prima) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GetParam().prima);
    }
    const auto contenuto = [&file] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    const QString sezione = QString::fromUtf8(GetParam().sezione);
    const QString chiave = QString::fromUtf8(GetParam().chiave);
    ProfiliIniSuDisco disco;
    ASSERT_TRUE(disco.Scrivi(file, sezione, chiave, QStringLiteral("1")));
    EXPECT_EQ(contenuto(), QByteArray(GetParam().dopo));
    ASSERT_TRUE(disco.Scrivi(file, sezione, chiave, QStringLiteral("1")));
    EXPECT_EQ(contenuto(), QByteArray(GetParam().dopo));
    EXPECT_EQ(disco.Leggi(file, sezione, chiave), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, ScritturaRipetutaIni,
    testing::Values(CasoScritturaRipetuta{"", "S", "A", "[S]\r\nA=1\r\n"},
                    CasoScritturaRipetuta{nullptr, " S\t", "\tA ", "[S]\r\nA=1\r\n"},
                    CasoScritturaRipetuta{"[S]\r\nB=2\r\n", "s", " A", "[S]\r\nB=2\r\nA=1\r\n"},
                    CasoScritturaRipetuta{"[S]\nB=2", "T ", "A\t", "[S]\nB=2\r\n[T]\r\nA=1\r\n"}));

// A drive whose root is reached through a further link, as when the folder of the drive
// was moved and a link left in its place.
class UnitaDietroUnCollegamento : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(radice_.isValid());
        const QDir radice(radice_.path());
        ASSERT_TRUE(radice.mkpath(QStringLiteral("Gestionale/dosdevices")));
        ASSERT_TRUE(radice.mkpath(QStringLiteral("drive_e/esiste")));
        ASSERT_TRUE(QFile::link(radice_.filePath(QStringLiteral("drive_e")),
                                radice_.filePath(QStringLiteral("spostato"))));
        ASSERT_TRUE(QFile::link(radice_.filePath(QStringLiteral("spostato")),
                                radice_.filePath(QStringLiteral("Gestionale/dosdevices/e:"))));
        ImpostaDirectoryEseguibile(radice_.filePath(QStringLiteral("Gestionale")));
    }

    void TearDown() override { ImpostaDirectoryEseguibile({}); }

    QTemporaryDir radice_;
};

// The folders still to be made are under the drive too, however deep.
TEST_P(UnitaDietroUnCollegamento, IlPercorsoTornaConLaSuaLettera) {
    const QString percorso = QString::fromUtf8(GetParam());
    EXPECT_EQ(PercorsoConUnita(PercorsoNativo(percorso)), percorso);
}

INSTANTIATE_TEST_SUITE_P(Casi, UnitaDietroUnCollegamento,
                         testing::Values("E:\\", "E:\\esiste\\", "E:\\nuovo.fdb",
                                         "E:\\esiste\\nuovo.fdb", "E:\\nuova\\",
                                         "E:\\nuova\\user.fdb", "E:\\esiste\\a\\b\\c.ini"));

} // namespace
