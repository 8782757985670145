#include "piattaforma/Percorsi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace piattaforma;

namespace {

// A throw-away installation: the executable in <tmp>/drive_c/Gestionale/ and a
// dosdevices folder beside it whose links are chosen by each test.
class Installazione : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(radice_.isValid());
        ASSERT_TRUE(QDir(radice_.path()).mkpath(QStringLiteral("drive_c/Gestionale/dosdevices")));
        ASSERT_TRUE(QDir(radice_.path()).mkpath(QStringLiteral("drive_d")));
        ImpostaDirectoryEseguibile(Percorso(QStringLiteral("drive_c/Gestionale")));
    }

    void TearDown() override { ImpostaDirectoryEseguibile({}); }

    QString Percorso(const QString& relativo) const { return radice_.filePath(relativo); }

    void Collega(const QString& unita, const QString& destinazione) {
        const QString collegamento =
            Percorso(QStringLiteral("drive_c/Gestionale/dosdevices/") + unita);
        ASSERT_TRUE(QFile::link(destinazione, collegamento)) << collegamento.toStdString();
    }

    QTemporaryDir radice_;
};

struct CasoPercorso {
    const char* scritto;
    const char* atteso; // "@" stands for the temporary directory
};

class PercorsoNativoTest : public Installazione,
                           public testing::WithParamInterface<CasoPercorso> {};

TEST_P(PercorsoNativoTest, RisolveLeUnitaDeiCollegamenti) {
    Collega(QStringLiteral("c:"), Percorso(QStringLiteral("drive_c")));
    // A relative link, as Wine makes them, is relative to the dosdevices folder.
    Collega(QStringLiteral("d:"), QStringLiteral("../../../drive_d"));
    const QString atteso = QString::fromUtf8(GetParam().atteso).replace(u'@', radice_.path());
    EXPECT_EQ(PercorsoNativo(QString::fromUtf8(GetParam().scritto)), atteso);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, PercorsoNativoTest,
    testing::Values(CasoPercorso{"C:\\Gestionale\\user\\", "@/drive_c/Gestionale/user/"},
                    CasoPercorso{"c:/Gestionale/x.ini", "@/drive_c/Gestionale/x.ini"},
                    CasoPercorso{"C:", "@/drive_c"}, CasoPercorso{"C:\\", "@/drive_c/"},
                    CasoPercorso{"d:\\dati", "@/drive_d/dati"},
                    CasoPercorso{"Z:\\opt\\quendra", "/opt/quendra"}, CasoPercorso{"z:", "/"},
                    CasoPercorso{"z:\\", "/"}, CasoPercorso{"E:\\dati\\", "E:/dati/"},
                    CasoPercorso{"\\\\SRV\\share\\c:\\x", "//SRV/share/c:/x"},
                    CasoPercorso{"/opt/quendra/user/", "/opt/quendra/user/"},
                    CasoPercorso{"C:relativo", "C:relativo"}, CasoPercorso{"CD:\\x", "CD:/x"},
                    CasoPercorso{"1:\\x", "1:/x"}, CasoPercorso{"user\\a.ini", "user/a.ini"},
                    CasoPercorso{"", ""}));

class PercorsoConUnitaTest : public Installazione,
                             public testing::WithParamInterface<CasoPercorso> {};

// The way back, for a server that knows drive letters: "@" stands for the temporary directory
// in the path given.
TEST_P(PercorsoConUnitaTest, DaiCollegamentiAllaLettera) {
    Collega(QStringLiteral("c:"), Percorso(QStringLiteral("drive_c")));
    Collega(QStringLiteral("d:"), QStringLiteral("../../../drive_d"));
    Collega(QStringLiteral("g:"), Percorso(QStringLiteral("drive_c/Gestionale")));
    const QString scritto = QString::fromUtf8(GetParam().scritto).replace(u'@', radice_.path());
    EXPECT_EQ(PercorsoConUnita(scritto), QString::fromUtf8(GetParam().atteso));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, PercorsoConUnitaTest,
    testing::Values(CasoPercorso{"@/drive_d/dati/archivio.fdb", "D:\\dati\\archivio.fdb"},
                    // The longest root holding the path gives the drive.
                    CasoPercorso{"@/drive_c/Gestionale/user\\user.fdb", "G:\\user\\user.fdb"},
                    CasoPercorso{"@/drive_c/Altro/", "C:\\Altro\\"},
                    CasoPercorso{"@/drive_c", "C:\\"},
                    // A file still to be made: its directory is resolved, its name kept.
                    CasoPercorso{"@/drive_d/nuovo.fdb", "D:\\nuovo.fdb"},
                    // No drive holds it: "Z:" is the root.
                    CasoPercorso{"/opt/q/user/user.fdb", "Z:\\opt\\q\\user\\user.fdb"},
                    // Already in drive form, or relative: only the separators change.
                    CasoPercorso{"C:/Gestionale/user/", "C:\\Gestionale\\user\\"},
                    CasoPercorso{"user/user.fdb", "user\\user.fdb"}));

TEST_F(Installazione, UnCollegamentoZAltroveLasciaIlPercorsoSenzaLettera) {
    Collega(QStringLiteral("z:"), Percorso(QStringLiteral("drive_d")));
    EXPECT_EQ(PercorsoConUnita(QStringLiteral("/opt/q/user.fdb")), QStringLiteral("\\opt\\q\\user.fdb"));
}

TEST_F(Installazione, SenzaDosdevicesSoloZeTradotta) {
    ASSERT_TRUE(
        QDir(Percorso(QStringLiteral("drive_c/Gestionale/dosdevices"))).removeRecursively());
    EXPECT_EQ(PercorsoNativo(QStringLiteral("C:\\Gestionale\\")), QStringLiteral("C:/Gestionale/"));
    EXPECT_EQ(PercorsoNativo(QStringLiteral("Z:\\opt\\")), QStringLiteral("/opt/"));
}

TEST_F(Installazione, UnCollegamentoZPrevaleSullaRadice) {
    Collega(QStringLiteral("z:"), Percorso(QStringLiteral("drive_d")));
    EXPECT_EQ(PercorsoNativo(QStringLiteral("Z:\\x")), Percorso(QStringLiteral("drive_d/x")));
}

struct CasoLettera {
    std::vector<std::pair<const char*, const char*>> collegamenti; // unit, target ("@" = tmp)
    const char* lettera;
};

class LetteraUnitaTest : public Installazione, public testing::WithParamInterface<CasoLettera> {};

TEST_P(LetteraUnitaTest, SceglieLaRadicePiuLunga) {
    for (const auto& [unita, destinazione] : GetParam().collegamenti)
        Collega(QString::fromUtf8(unita),
                QString::fromUtf8(destinazione).replace(u'@', radice_.path()));
    EXPECT_EQ(LetteraUnitaProgramma(), QString::fromUtf8(GetParam().lettera));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, LetteraUnitaTest,
    testing::Values(CasoLettera{{}, "Z"}, CasoLettera{{{"c:", "@/drive_c"}, {"z:", "/"}}, "C"},
                    CasoLettera{{{"z:", "/"}, {"c:", "@/drive_d"}}, "Z"},
                    CasoLettera{{{"c:", "@/drive_c"}, {"e:", "@/drive_c/Gestionale"}}, "E"},
                    // "drive_c/Gest" is a prefix of the text but not a parent folder.
                    CasoLettera{{{"f:", "@/drive_c/Gest"}}, "Z"},
                    CasoLettera{{{"d:", "@/drive_d"}}, "Z"}));

// What the drive lists of the windows offer: every link, a dangling one too, in letter
// order; "z" is always there, as "/" or as its link.
TEST_F(Installazione, LeUnitaSonoICollegamentiPiuZeta) {
    EXPECT_EQ(UnitaDisponibili(), QStringList{"z"});
    Collega(QStringLiteral("d:"), Percorso(QStringLiteral("drive_d")));
    Collega(QStringLiteral("c:"), Percorso(QStringLiteral("drive_c")));
    Collega(QStringLiteral("q:"), Percorso(QStringLiteral("manca")));
    QFile file(Percorso(QStringLiteral("drive_c/Gestionale/dosdevices/leggimi")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(UnitaDisponibili(), (QStringList{"c", "d", "q", "z"}));
    // A link named in upper case is offered and resolved alike.
    Collega(QStringLiteral("E:"), Percorso(QStringLiteral("drive_d")));
    EXPECT_EQ(UnitaDisponibili(), (QStringList{"c", "d", "e", "q", "z"}));
    EXPECT_TRUE(DirectoryEsiste(QStringLiteral("e:\\")));
    EXPECT_FALSE(DirectoryEsiste(QStringLiteral("q:\\")));
}

TEST_F(Installazione, CreaDirectoryUnLivelloSoltanto) {
    Collega(QStringLiteral("c:"), Percorso(QStringLiteral("drive_c")));
    EXPECT_FALSE(CreaDirectory(QStringLiteral("C:\\manca\\nuova")));
    EXPECT_FALSE(DirectoryEsiste(QStringLiteral("C:\\manca")));

    EXPECT_TRUE(CreaDirectory(QStringLiteral("C:\\Gestionale\\user\\")));
    EXPECT_TRUE(QFileInfo(Percorso(QStringLiteral("drive_c/Gestionale/user"))).isDir());
    EXPECT_TRUE(DirectoryEsiste(QStringLiteral("C:\\Gestionale\\user")));
    // Like Windows, an existing directory is a failure.
    EXPECT_FALSE(CreaDirectory(QStringLiteral("C:\\Gestionale\\user")));
}

TEST_F(Installazione, FileEsisteSoloPerIFile) {
    Collega(QStringLiteral("c:"), Percorso(QStringLiteral("drive_c")));
    QFile file(Percorso(QStringLiteral("drive_c/Gestionale/Quendra.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(FileEsiste(QStringLiteral("C:\\Gestionale\\Quendra.ini")));
    EXPECT_FALSE(FileEsiste(QStringLiteral("C:\\Gestionale")));
    EXPECT_FALSE(FileEsiste(QStringLiteral("C:\\Gestionale\\Manca.ini")));
    EXPECT_FALSE(DirectoryEsiste(QStringLiteral("C:\\Gestionale\\Quendra.ini")));
}

TEST(DirectoryEseguibile, ImpostataEPoiRipristinata) {
    ImpostaDirectoryEseguibile(QStringLiteral("/opt/quendra"));
    EXPECT_EQ(DirectoryEseguibile(), QStringLiteral("/opt/quendra/"));
    ImpostaDirectoryEseguibile({});
    const QString reale = DirectoryEseguibile();
    EXPECT_TRUE(reale.endsWith(u'/'));
    EXPECT_NE(reale, QStringLiteral("/opt/quendra/"));
    // The test program was started from there.
    EXPECT_EQ(QFileInfo(QString::fromLocal8Bit(program_invocation_name)).canonicalPath() + u'/',
              reale);
}

} // namespace

namespace {

// Only a path that says where it is may name a database: anything else lands in whatever
// directory the program runs in.
TEST(PercorsoCompleto, SoloChiDiceDoveSta) {
    const std::pair<const char*, bool> casi[] = {
        {"/srv/dati/archivio.fdb", true},    {"C:\\Dati\\archivio.fdb", true}, {"c:/dati/a.fdb", true},
        {"\\\\SRV\\Dati\\a.fdb", true},       {"SRV:C:\\Dati\\a.fdb", true},     {"localhost:alias", true},
        {"", false},                         {"archivio.fdb", false},          {"dati\\archivio.fdb", false},
        {"C:archivio.fdb", false},           {"SRV:", false},
    };
    for (const auto& [percorso, completo] : casi)
        EXPECT_EQ(piattaforma::PercorsoCompleto(QString::fromUtf8(percorso)), completo) << percorso;
}

} // namespace
