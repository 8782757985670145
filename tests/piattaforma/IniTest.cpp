#include "piattaforma/Ini.h"
#include "piattaforma/Percorsi.h"

#include "fixture/IniInMemoria.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace piattaforma;

namespace {

class FileIni : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(cartella_.isValid()); }

    QString Percorso(const QString& nome = QStringLiteral("Quendra.ini")) const {
        return cartella_.filePath(nome);
    }

    void Prepara(const QByteArray& contenuto) {
        QFile file(Percorso());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contenuto), contenuto.size());
    }

    QByteArray Contenuto() const {
        QFile file(Percorso());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir cartella_;
};

struct CasoLettura {
    const char* contenuto;
    const char* sezione;
    const char* chiave;
    const char* atteso;
};

class LetturaIni : public FileIni, public testing::WithParamInterface<CasoLettura> {};

TEST_P(LetturaIni, SegueLeRegoleDiWindows) {
    Prepara(GetParam().contenuto);
    ProfiliIniSuDisco disco;
    EXPECT_EQ(disco.Leggi(Percorso(), QString::fromUtf8(GetParam().sezione),
                          QString::fromUtf8(GetParam().chiave)),
              QString::fromUtf8(GetParam().atteso));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, LetturaIni,
    testing::Values(
        CasoLettura{"[Server]\r\nNome=srv01\r\n", "Server", "Nome", "srv01"},
        CasoLettura{"[Server]\r\nNome=srv01\r\n", "sERVER", "NOME", "srv01"},
        CasoLettura{"[Server]\nNome Server = srv 01 \n", "Server", "Nome Server", "srv 01"},
        CasoLettura{"[S]\n\tLettera Disco Server\t=\tQ\t\n", "s", "lettera disco server", "Q"},
        CasoLettura{"[ Server ]\nA=1\n", "Server", "A", "1"},
        CasoLettura{"[Server]\nA=1\n", "Client", "A", ""},
        CasoLettura{"[Server]\nA=1\n", "Server", "B", ""},
        CasoLettura{"[Uno]\nA=1\n[Due]\nB=2\n", "Uno", "B", ""},
        CasoLettura{"A=1\n[S]\nB=2\n", "S", "A", ""},
        CasoLettura{"[S]\n;A=1\n  ; B=2\n", "S", "A", ""},
        CasoLettura{"[S]\n  ; B=2\n", "S", "; B", ""},
        CasoLettura{"[S]\nA=1\nA=2\n[S]\nA=3\n", "S", "A", "1"},
        CasoLettura{"[S]\nNome=Andr\xE8 \x80\n", "S", "Nome", "Andrè €"},
        CasoLettura{"[S]\nA=\"  tra virgolette \"\nB='x'\nC=\"x'\n", "S", "A", "  tra virgolette "},
        CasoLettura{"[S]\nA=\"  tra virgolette \"\nB='x'\nC=\"x'\n", "S", "B", "x"},
        CasoLettura{"[S]\nA=\"  tra virgolette \"\nB='x'\nC=\"x'\n", "S", "C", "\"x'"},
        CasoLettura{"[S]\nA=x=y\n", "S", "A", "x=y"},
        CasoLettura{"[S]\nA=senza fine riga", "S", "A", "senza fine riga"},
        CasoLettura{"[S]\r\nA=1\r\n\r\n[T]\r\nA=2\r\n", "T", "A", "2"}));

TEST_F(FileIni, FileMancanteLeggeVuoto) {
    ProfiliIniSuDisco disco;
    EXPECT_EQ(disco.Leggi(Percorso(QStringLiteral("Manca.ini")), QStringLiteral("S"),
                          QStringLiteral("A")),
              QString());
    EXPECT_FALSE(QFileInfo::exists(Percorso(QStringLiteral("Manca.ini"))));
}

// Comments and keys are not sections, a nameless section is left out, and a repeated one
// is listed each time it appears.
TEST_F(FileIni, SezioniDalDisco) {
    Prepara("A=0\r\n; [Commento]\r\n[01ALFA]\r\nX=1\r\n[]\r\n  [ 11BETA ]\r\n[Andr\xE8]\r\n"
            "[01ALFA]");
    ProfiliIniSuDisco disco;
    EXPECT_EQ(disco.Sezioni(Percorso()),
              QStringList({"01ALFA", "11BETA", QStringLiteral("Andrè"), "01ALFA"}));
}

struct CasoScrittura {
    const char* prima; // nullptr: no file yet
    const char* sezione;
    const char* chiave;
    const char* valore;
    const char* dopo;
};

class ScritturaIni : public FileIni, public testing::WithParamInterface<CasoScrittura> {};

TEST_P(ScritturaIni, CambiaSoloCioCheServe) {
    if (GetParam().prima)
        Prepara(GetParam().prima);
    ProfiliIniSuDisco disco;
    EXPECT_TRUE(disco.Scrivi(Percorso(), QString::fromUtf8(GetParam().sezione),
                             QString::fromUtf8(GetParam().chiave),
                             QString::fromUtf8(GetParam().valore)));
    EXPECT_EQ(Contenuto(), QByteArray(GetParam().dopo));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, ScritturaIni,
    testing::Values(
        CasoScrittura{nullptr, "Server", "Nome Server", "srv01",
                      "[Server]\r\nNome Server=srv01\r\n"},
        // The key keeps its spelling; comments, other sections and LF line ends stay.
        CasoScrittura{"; nota\n[Server]\n  Nome Server = vecchio\n; dopo\nAltro=1\n[Altro]\nX=1\n",
                      "SERVER", "nome server", "nuovo",
                      "; nota\n[Server]\nNome Server=nuovo\n; dopo\nAltro=1\n[Altro]\nX=1\n"},
        CasoScrittura{"[Uno]\r\nA=1\r\n\r\n[Due]\r\nB=2\r\n", "uno", "C", "3",
                      "[Uno]\r\nA=1\r\nC=3\r\n\r\n[Due]\r\nB=2\r\n"},
        CasoScrittura{"[Uno]\n[Due]\nB=2\n", "Uno", "C", "3", "[Uno]\nC=3\r\n[Due]\nB=2\n"},
        CasoScrittura{"[Uno]\nA=1", "Due", "B", "2", "[Uno]\nA=1\r\n[Due]\r\nB=2\r\n"},
        CasoScrittura{"[Uno]\nA=1", "Uno", "B", "2", "[Uno]\nA=1\r\nB=2\r\n"},
        CasoScrittura{"[S]\nA=1\n", "S", "A", "", "[S]\nA=\n"},
        CasoScrittura{nullptr, "S", "Prezzo", "5€ è", "[S]\r\nPrezzo=5\x80 \xE8\r\n"},
        // Bytes the code page leaves undefined survive a rewrite of the file.
        CasoScrittura{"[S]\nA=\x81\x9D\xFF\nB=1\n", "S", "B", "2", "[S]\nA=\x81\x9D\xFF\nB=2\n"}));

TEST_F(FileIni, DirectoryMancanteNonVieneCreata) {
    ProfiliIniSuDisco disco;
    const QString manca = Percorso(QStringLiteral("manca"));
    EXPECT_FALSE(disco.Scrivi(manca + QStringLiteral("/Quendra.ini"), QStringLiteral("S"),
                              QStringLiteral("A"), QStringLiteral("1")));
    EXPECT_FALSE(QFileInfo::exists(manca));
}

// The program writes Windows paths; the file lands where the drive's link points.
TEST_F(FileIni, PercorsoWindowsScrittoERilettoSubito) {
    ASSERT_TRUE(QDir(cartella_.path()).mkpath(QStringLiteral("dosdevices")));
    ASSERT_TRUE(QFile::link(cartella_.path(), Percorso(QStringLiteral("dosdevices/c:"))));
    ImpostaDirectoryEseguibile(cartella_.path());
    const QString file = QStringLiteral("C:\\Quendra.ini");
    for (const QString& valore : {QStringLiteral("uno"), QStringLiteral("due")}) {
        EXPECT_TRUE(ScriviIni(file, QStringLiteral("Server"), QStringLiteral("Nome"), valore));
        EXPECT_EQ(LeggiIni(file, QStringLiteral("Server"), QStringLiteral("Nome")), valore);
    }
    ImpostaDirectoryEseguibile({});
    EXPECT_EQ(Contenuto(), QByteArray("[Server]\r\nNome=due\r\n"));
}

// The fake must keep the disk's rules, or tests using it would pass on wrong code.
struct Implementazione {
    const char* nome;
    std::function<std::unique_ptr<ProfiliIni>()> crea;
};

class RegoleComuni : public FileIni, public testing::WithParamInterface<Implementazione> {};

TEST_P(RegoleComuni, ScritturaELetturaConcordano) {
    const std::unique_ptr<ProfiliIni> ini = GetParam().crea();
    const QString file = Percorso();
    const QString altro = Percorso(QStringLiteral("Altro.ini"));
    const auto leggi = [&](const QString& f, const char* sezione, const char* chiave) {
        return ini->Leggi(f, QString::fromUtf8(sezione), QString::fromUtf8(chiave));
    };
    EXPECT_EQ(leggi(file, "Server", "Nome Server"), QString());
    ASSERT_TRUE(ini->Scrivi(file, QStringLiteral("Server"), QStringLiteral("Nome Server"),
                            QStringLiteral("a")));
    ASSERT_TRUE(ini->Scrivi(file, QStringLiteral("SERVER"), QStringLiteral("nome server"),
                            QStringLiteral("b")));
    ASSERT_TRUE(ini->Scrivi(file, QStringLiteral("Server"), QStringLiteral("Percorso"),
                            QStringLiteral("  C:\\Programmi\\Quendra  ")));
    ASSERT_TRUE(ini->Scrivi(file, QStringLiteral("Altra"), QStringLiteral("Nome Server"),
                            QStringLiteral("c")));
    EXPECT_EQ(leggi(file, "server", "NOME SERVER"), QStringLiteral("b"));
    EXPECT_EQ(leggi(file, "Server", "Percorso"), QStringLiteral("C:\\Programmi\\Quendra"));
    EXPECT_EQ(leggi(file, "Altra", "Nome Server"), QStringLiteral("c"));
    EXPECT_EQ(leggi(file, "Server", "Manca"), QString());
    EXPECT_EQ(leggi(file, "Manca", "Nome Server"), QString());
    EXPECT_EQ(leggi(altro, "Server", "Nome Server"), QString());
}

TEST_P(RegoleComuni, SezioniInOrdineDiScrittura) {
    const std::unique_ptr<ProfiliIni> ini = GetParam().crea();
    const QString file = Percorso();
    for (const char* sezione : {"01ALFA", "11BETA", "01alfa"})
        ASSERT_TRUE(ini->Scrivi(file, QString::fromUtf8(sezione), QStringLiteral("A"),
                                QStringLiteral("1")));
    EXPECT_EQ(ini->Sezioni(file), QStringList({"01ALFA", "11BETA"}));
    EXPECT_EQ(ini->Sezioni(Percorso(QStringLiteral("Manca.ini"))), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Entrambe, RegoleComuni,
    testing::Values(Implementazione{"Disco", [] { return std::make_unique<ProfiliIniSuDisco>(); }},
                    Implementazione{"Memoria",
                                    [] { return std::make_unique<ProfiliIniInMemoria>(); }}),
    [](const testing::TestParamInfo<Implementazione>& info) { return info.param.nome; });

TEST(IniInMemoria, NomiDiFileWindowsELinuxSonoLoStessoFile) {
    ProfiliIniInMemoria ini;
    ini.Imposta(QStringLiteral("C:\\Gestionale\\Quendra.ini"), QStringLiteral("S"),
                QStringLiteral("A"), QStringLiteral("1"));
    EXPECT_EQ(ini.Leggi(QStringLiteral("c:/gestionale/QUENDRA.INI"), QStringLiteral("s"),
                        QStringLiteral("a")),
              QStringLiteral("1"));
    EXPECT_EQ(ini.Leggi(QStringLiteral("c:/gestionale/Altro.ini"), QStringLiteral("S"),
                        QStringLiteral("A")),
              QString());
    EXPECT_EQ(ini.Scritture(), 0);
}

TEST(IniInMemoria, InstallatoRiceveLeChiamateEContaLeScritture) {
    ProfiliIniInMemoria finto;
    ImpostaIni(&finto);
    const QString file = QStringLiteral("/non/esiste/Quendra.ini");
    EXPECT_TRUE(ScriviIni(file, QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("1")));
    EXPECT_TRUE(ScriviIni(file, QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("2")));
    EXPECT_EQ(LeggiIni(file, QStringLiteral("S"), QStringLiteral("A")), QStringLiteral("2"));
    EXPECT_EQ(finto.Scritture(), 2);
    ImpostaIni(nullptr);
    EXPECT_NE(dynamic_cast<ProfiliIniSuDisco*>(&Ini()), nullptr);
    EXPECT_EQ(LeggiIni(file, QStringLiteral("S"), QStringLiteral("A")), QString());
}

} // namespace
