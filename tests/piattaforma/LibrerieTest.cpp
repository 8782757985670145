#include "fixture/DatabaseDiProva.h"
#include "piattaforma/Librerie.h"
#include "piattaforma/Percorsi.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString ProvaFunzioni() {
    return QCoreApplication::applicationDirPath() + "/ProvaFunzioni.so";
}

// The system C maths library: already in the process and known to the system loader by
// this bare name.
const QString NomeDiSistema = "libm.so.6";

class Librerie : public ::testing::Test {
protected:
    void SetUp() override { piattaforma::ImpostaDirectoryEseguibile(cartella.Percorso()); }
    void TearDown() override { piattaforma::ImpostaDirectoryEseguibile({}); }

    prova::CartellaProva cartella;
};

TEST_F(Librerie, BareNameBesideTheExecutableWinsOverTheSystemSearch) {
    // A test library under the system library's name: only the executable's directory
    // can give it.
    ASSERT_TRUE(QFile::copy(ProvaFunzioni(), cartella.File(NomeDiSistema)));
    void* libreria = piattaforma::CaricaLibreria(NomeDiSistema);
    ASSERT_NE(libreria, nullptr);
    EXPECT_NE(piattaforma::CercaFunzione(libreria, "Apri1"), nullptr);
}

TEST_F(Librerie, BareNameNotBesideTheExecutableGoesToTheSystemSearch) {
    void* libreria = piattaforma::CaricaLibreria(NomeDiSistema);
    ASSERT_NE(libreria, nullptr);
    EXPECT_NE(piattaforma::CercaFunzione(libreria, "cos"), nullptr);
    EXPECT_EQ(piattaforma::CercaFunzione(libreria, "Apri1"), nullptr);
}

TEST_F(Librerie, NothingToLoadOrFindGivesNull) {
    // A directory of that name beside the executable is not a library.
    ASSERT_TRUE(piattaforma::CreaDirectory(cartella.File("Cartella.so")));
    QFile nonLibreria(cartella.File("Testo.so"));
    ASSERT_TRUE(nonLibreria.open(QIODevice::WriteOnly));
    nonLibreria.write("not a shared object");
    nonLibreria.close();
    for (const QString& nome : {QString(), QString("Manca.so"), QString("Cartella.so"), QString("Testo.so")}) {
        SCOPED_TRACE(nome.toStdString());
        EXPECT_EQ(piattaforma::CaricaLibreria(nome), nullptr);
        EXPECT_EQ(piattaforma::CaricaEsportazione(nome, "Apri1"), nullptr);
    }
    EXPECT_EQ(piattaforma::CercaFunzione(nullptr, "Apri1"), nullptr);
    EXPECT_EQ(piattaforma::CaricaEsportazione(ProvaFunzioni(), "NonEsiste"), nullptr);
    EXPECT_NE(piattaforma::CaricaEsportazione(ProvaFunzioni(), "Apri1"), nullptr);
}

} // namespace

namespace {

TEST_F(Librerie, WindowsLibraryNamesFindTheirSharedObject) {
    ASSERT_TRUE(QFile::copy(ProvaFunzioni(), cartella.File("Contab.so")));
    for (const QString& nome : {QString("Contab.dll"), QString("Contab.DLL"), QString("Contab.so")}) {
        SCOPED_TRACE(nome.toStdString());
        EXPECT_NE(piattaforma::CaricaEsportazione(nome, "Apri1"), nullptr);
    }
    EXPECT_EQ(piattaforma::CaricaLibreria("Manca.dll"), nullptr);
}

} // namespace
