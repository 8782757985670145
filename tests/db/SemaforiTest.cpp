#include "db/ZavDB.h"
#include "fb/Database.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using piattaforma::TipoMessaggio;
using prova::InstallazioneDiProva;

namespace {

const QString Rifiuto = QStringLiteral(
    "Errore: ci sono altre finestre critiche aperte da questo utente o da altri utenti che "
    "bloccano l'apertura di questa finestra.\r\n"
    "Chiudere prima le altre finestre e riprovare.\r\n"
    "Vedere Gestione semafori per maggiori dettagli.");

// What the row readers give for a table that is not in the archive.
const QString TabellaMancante = QStringLiteral("<no table>");

// The windows of the cases: a principal one, a window it is linked to, one nobody lists.
const char* const Mag = "Mag.dll";
const char* const MagForm = "ShowMagFormX";
const char* const Cassa = "Cassa.dll";
const char* const CassaForm = "ShowCassaFormX";

QString Critica(const QString& dll, const QString& form, int osservata) {
    return QStringLiteral("INSERT INTO SEMAFORIFCRITICHE VALUES ('%1','%2',%3)")
        .arg(dll, form)
        .arg(osservata);
}

QString Collegamento(const QString& dll, const QString& form, const QString& dllCollegata,
                     const QString& formCollegata) {
    return QStringLiteral("INSERT INTO SEMAFORIFCRITICHECOLL VALUES ('%1','%2','%3','%4')")
        .arg(dll, form, dllCollegata, formCollegata);
}

// Mag is specially observed and linked to Cassa, which is not critical itself.
const QStringList MagOsservataCollegata = {Critica(Mag, MagForm, 1),
                                           Collegamento(Mag, MagForm, Cassa, CassaForm)};
// Mag may not open while Cassa is taken; both are critical, neither specially observed.
const QStringList MagBloccataDaCassa = {Critica(Mag, MagForm, 0), Critica(Cassa, CassaForm, 0),
                                        Collegamento(Mag, MagForm, Cassa, CassaForm)};

struct Apertura {
    QString dll;
    QString form;
    qint32 utente;
    qint32 idFinestra;
    bool consentita; // the expected answer of the check
};

struct Caso {
    const char* nome;
    QStringList preparazione; // run on the archive, each committed, before anything else
    std::vector<Apertura> aperture;
    QStringList occupati; // SEMAFORIF afterwards: "ID|DLL|FORM|user|OCCUPATO"
    QStringList anomalie; // SEMAFORIFANOMALIE afterwards: "UTENTE|DLL|FORM|DESCRIZIONE"
    int rifiutiMostrati;  // refusal boxes shown
};

void PrintTo(const Caso& caso, std::ostream* os) {
    *os << caso.nome;
}

// The rows of a table as another workstation sees them committed, columns joined by "|";
// a row whose time column is NULL says so, since 'NOW' must always fill it.
QStringList RigheCommesse(const QString& archivio, const QString& tabella, const QString& colonne,
                          const QString& colonnaOra) {
    fb::TDatabase database;
    prova::ImpostaParametriApertura(database, archivio);
    database.Open();
    fb::TTransazione transazione(&database);
    fb::TQuery query(&database, &transazione);
    query.SQL.Add("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='" + tabella + "'");
    query.Open();
    if (query.Fields(0).AsInteger() == 0)
        return {TabellaMancante};
    query.Close();
    query.SQL.Clear();
    query.SQL.Add("SELECT " + colonne + ", " + colonnaOra + " FROM " + tabella + " ORDER BY " +
                  colonne);
    query.Open();
    QStringList righe;
    for (; !query.Eof(); query.Next()) {
        QStringList valori;
        for (int i = 0; i + 1 < query.FieldCount(); ++i)
            valori << query.Fields(i).AsString();
        if (query.Fields(query.FieldCount() - 1).IsNull())
            valori << "without time";
        righe << valori.join('|');
    }
    return righe;
}

QStringList Occupati(const QString& archivio) {
    return RigheCommesse(archivio, "SEMAFORIF", "ID, DLL, FORM, UTENTE, OCCUPATO",
                         "DATAORAOCCUPAZIONE");
}

// In the order of the generator.
QStringList Anomalie(const QString& archivio) {
    QStringList righe;
    for (const QString& riga :
         RigheCommesse(archivio, "SEMAFORIFANOMALIE", "ID, UTENTE, DLL, FORM, DESCRIZIONE",
                       "DATAORAANOMALIA"))
        righe << (riga == TabellaMancante ? riga : riga.section('|', 1));
    return righe;
}

// A launch as the loaders make it: check, then refuse or take the semaphore.
bool Apri(const Apertura& apertura, fb::TDatabase& database) {
    if (!VerificaSemaforiCritici(apertura.dll, apertura.form, database)) {
        SegnalaSemaforoOccupato(apertura.utente, apertura.dll, apertura.form, database);
        return false;
    }
    if (OccupaSemaforo(apertura.dll, apertura.form, apertura.utente, apertura.idFinestra, database))
        return true;
    SegnalaSemaforoOccupato(apertura.utente, apertura.dll, apertura.form, database);
    return false;
}

class AperturaFinestre : public ::testing::TestWithParam<Caso> {
protected:
    InstallazioneDiProva installazione{{.DatabaseUtenti = false, .Archivio = true}};
};

TEST_P(AperturaFinestre, ChecksTakesAndRefusesAsTheTablesSay) {
    const Caso& caso = GetParam();
    if (!caso.preparazione.isEmpty())
        InstallazioneDiProva::Esegui(installazione.FileArchivio(), caso.preparazione);
    MessaggiInstallati msg;
    fb::TDatabase archivio;
    prova::ImpostaParametriApertura(archivio, installazione.FileArchivio());
    archivio.Open();

    for (size_t i = 0; i < caso.aperture.size(); ++i) {
        const Apertura& apertura = caso.aperture[i];
        EXPECT_EQ(Apri(apertura, archivio), apertura.consentita)
            << "opening " << i + 1 << ": " << apertura.dll.toStdString() << " "
            << apertura.form.toStdString();
    }
    archivio.Close();

    EXPECT_EQ(Occupati(installazione.FileArchivio()), caso.occupati);
    EXPECT_EQ(Anomalie(installazione.FileArchivio()), caso.anomalie);
    EXPECT_EQ(msg->Testi(), QStringList(caso.rifiutiMostrati, Rifiuto));
    for (const MessaggioMostrato& mostrato : msg->Mostrati)
        EXPECT_EQ(mostrato.tipo, TipoMessaggio::Errore);
}

const QString Apostrofi = QStringLiteral("Dell'Orto.dll");
const QString ApostrofiForm = QStringLiteral("ShowL'Agenda'FormX");

INSTANTIATE_TEST_SUITE_P(
    , AperturaFinestre,
    ::testing::Values(
        Caso{"NotCriticalOpensAndTakesNothing",
             {Collegamento("Libera.dll", "ShowLiberaFormX", Cassa, CassaForm),
              "INSERT INTO SEMAFORIF VALUES ('9','Cassa.dll','ShowCassaFormX',8,1,'NOW')"},
             {{"Libera.dll", "ShowLiberaFormX", 7, 101, true},
              {"Libera.dll", "ShowLiberaFormX", 7, 102, true}},
             {"9|Cassa.dll|ShowCassaFormX|8|1"},
             {},
             0},
        Caso{"CriticalWithoutLinksOpensEveryTimeAndTakesARowEachTime",
             {Critica(Mag, MagForm, 0)},
             {{Mag, MagForm, 7, 101, true},
              {Mag, MagForm, 7, 102, true},
              {Mag, MagForm, 8, 103, true}},
             {"101|Mag.dll|ShowMagFormX|7|1", "102|Mag.dll|ShowMagFormX|7|1",
              "103|Mag.dll|ShowMagFormX|8|1"},
             {},
             0},
        Caso{"SpeciallyObservedWithoutLinkRowsIsNeverRefusedForItself",
             {Critica(Mag, MagForm, 1)},
             {{Mag, MagForm, 7, 101, true}, {Mag, MagForm, 8, 102, true}},
             {"101|Mag.dll|ShowMagFormX|7|1", "102|Mag.dll|ShowMagFormX|8|1"},
             {},
             0},
        Caso{"SpeciallyObservedWithALinkRowIsRefusedOnceTaken",
             MagOsservataCollegata,
             {{Mag, MagForm, 7, 101, true},
              {Mag, MagForm, 8, 102, false},
              {Mag, MagForm, 7, 103, false}},
             {"101|Mag.dll|ShowMagFormX|7|1"},
             {"8|Mag.dll|ShowMagFormX|Semaforo occupato",
              "7|Mag.dll|ShowMagFormX|Semaforo occupato"},
             2},
        Caso{"SpeciallyObservedFreedRowsDoNotCount",
             MagOsservataCollegata +
                 QStringList{
                     "INSERT INTO SEMAFORIF VALUES ('5','Mag.dll','ShowMagFormX',8,0,'NOW')"},
             {{Mag, MagForm, 7, 101, true}},
             {"5|Mag.dll|ShowMagFormX|8|0", "101|Mag.dll|ShowMagFormX|7|1"},
             {},
             0},
        Caso{"NotObservedWithLinksOpensAgainWhileTaken",
             MagBloccataDaCassa,
             {{Mag, MagForm, 7, 101, true}, {Mag, MagForm, 8, 102, true}},
             {"101|Mag.dll|ShowMagFormX|7|1", "102|Mag.dll|ShowMagFormX|8|1"},
             {},
             0},
        Caso{"LinkedWindowTakenBySameUserRefusesOnlyThePrincipal",
             MagBloccataDaCassa,
             {{Cassa, CassaForm, 7, 101, true},
              {Mag, MagForm, 7, 102, false},
              {Cassa, CassaForm, 7, 103, true}},
             {"101|Cassa.dll|ShowCassaFormX|7|1", "103|Cassa.dll|ShowCassaFormX|7|1"},
             {"7|Mag.dll|ShowMagFormX|Semaforo occupato"},
             1},
        Caso{"LinkedWindowTakenByAnotherUserRefusesToo",
             MagBloccataDaCassa,
             {{Cassa, CassaForm, 8, 101, true}, {Mag, MagForm, 7, 102, false}},
             {"101|Cassa.dll|ShowCassaFormX|8|1"},
             {"7|Mag.dll|ShowMagFormX|Semaforo occupato"},
             1},
        Caso{"PrincipalTakenDoesNotBlockTheLinkedWindow",
             MagBloccataDaCassa,
             {{Mag, MagForm, 7, 101, true},
              {Cassa, CassaForm, 7, 102, true},
              {Mag, MagForm, 8, 103, false}},
             {"101|Mag.dll|ShowMagFormX|7|1", "102|Cassa.dll|ShowCassaFormX|7|1"},
             {"8|Mag.dll|ShowMagFormX|Semaforo occupato"},
             1},
        Caso{"LinkedWindowFreedNoLongerBlocks",
             MagBloccataDaCassa +
                 QStringList{
                     "INSERT INTO SEMAFORIF VALUES ('5','Cassa.dll','ShowCassaFormX',8,0,'NOW')"},
             {{Mag, MagForm, 7, 101, true}},
             {"5|Cassa.dll|ShowCassaFormX|8|0", "101|Mag.dll|ShowMagFormX|7|1"},
             {},
             0},
        Caso{"WithoutSemaphoreTableEveryWindowOpensSilently",
             MagOsservataCollegata + QStringList{"DROP TABLE SEMAFORIF"},
             {{Mag, MagForm, 7, 101, true}, {Mag, MagForm, 7, 102, true}},
             {TabellaMancante},
             {},
             0},
        Caso{"WithoutAnomalyTableTheRefusalIsStillShown",
             MagOsservataCollegata + QStringList{"DROP TABLE SEMAFORIFANOMALIE"},
             {{Mag, MagForm, 7, 101, true}, {Mag, MagForm, 7, 102, false}},
             {"101|Mag.dll|ShowMagFormX|7|1"},
             {TabellaMancante},
             1},
        Caso{"WindowIdentifierZeroTwiceWithoutKeyTakesTwoRows",
             {Critica(Mag, MagForm, 0)},
             {{Mag, MagForm, 7, 0, true}, {Mag, MagForm, 8, 0, true}},
             {"0|Mag.dll|ShowMagFormX|7|1", "0|Mag.dll|ShowMagFormX|8|1"},
             {},
             0},
        Caso{"WindowIdentifierZeroTwiceWithUniqueKeyLosesTheSecondSilently",
             {Critica(Mag, MagForm, 0),
              "ALTER TABLE SEMAFORIF ADD CONSTRAINT UQ_SEMAFORIF_ID UNIQUE (ID)"},
             {{Mag, MagForm, 7, 0, true}, {Mag, MagForm, 8, 0, true}},
             {"0|Mag.dll|ShowMagFormX|7|1"},
             {},
             0},
        Caso{"NamesWithApostrophesAreStoredAndComparedWhole",
             {"INSERT INTO SEMAFORIFCRITICHE VALUES ('Dell''Orto.dll','ShowL''Agenda''FormX',1)",
              "INSERT INTO SEMAFORIFCRITICHECOLL VALUES ('Dell''Orto.dll','ShowL''Agenda''FormX',"
              "'Cassa.dll','ShowCassaFormX')"},
             {{Apostrofi, ApostrofiForm, 7, 101, true}, {Apostrofi, ApostrofiForm, 7, 102, false}},
             {"101|Dell'Orto.dll|ShowL'Agenda'FormX|7|1"},
             {"7|Dell'Orto.dll|ShowL'Agenda'FormX|Semaforo occupato"},
             1}),
    [](const auto& info) { return std::string(info.param.nome); });

// A connection lost or never opened must not stop a launch, nor throw at the loader.
TEST(Semafori, OnAClosedDatabaseTheWindowOpensAndOnlyTheMessageIsShown) {
    InstallazioneDiProva installazione{{.DatabaseUtenti = false, .Archivio = true}};
    InstallazioneDiProva::Esegui(
        installazione.FileArchivio(),
        MagOsservataCollegata +
            QStringList{"INSERT INTO SEMAFORIF VALUES ('5','Mag.dll','ShowMagFormX',8,1,'NOW')"});
    MessaggiInstallati msg;
    fb::TDatabase chiuso;
    prova::ImpostaParametriApertura(chiuso, installazione.FileArchivio());

    EXPECT_TRUE(VerificaSemaforiCritici(Mag, MagForm, chiuso));
    EXPECT_NO_THROW(OccupaSemaforo(Mag, MagForm, 7, 101, chiuso));
    EXPECT_NO_THROW(RegistraAnomaliaSemaforo(7, Mag, MagForm, chiuso));
    EXPECT_NO_THROW(SegnalaSemaforoOccupato(7, Mag, MagForm, chiuso));

    EXPECT_EQ(Occupati(installazione.FileArchivio()), QStringList{"5|Mag.dll|ShowMagFormX|8|1"});
    EXPECT_TRUE(Anomalie(installazione.FileArchivio()).isEmpty());
    EXPECT_EQ(msg->Testi(), QStringList{Rifiuto});
}

// Two workstations on one archive: embedded (two attachments in this process) and, when the
// test command started it, with the first one going through the loopback server.
class DuePostazioni : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !prova::ServerDisponibile())
            GTEST_SKIP() << "no Firebird server: set QUENDRA_SERVER=localhost";
    }
};

TEST_P(DuePostazioni, AWindowTakenOnOneIsRefusedOnTheOther) {
    InstallazioneDiProva installazione{{.DatabaseUtenti = false, .Archivio = true}};
    InstallazioneDiProva::Esegui(installazione.FileArchivio(), MagOsservataCollegata);
    MessaggiInstallati msg;
    fb::TDatabase prima;
    prova::ImpostaParametriApertura(prima,
                                    prova::NomeDatabase(installazione.FileArchivio(), GetParam()));
    prima.Open();
    fb::TDatabase seconda;
    prova::ImpostaParametriApertura(seconda, installazione.FileArchivio());
    seconda.Open();

    ASSERT_TRUE(VerificaSemaforiCritici(Mag, MagForm, seconda));
    ASSERT_TRUE(VerificaSemaforiCritici(Mag, MagForm, prima));
    EXPECT_TRUE(OccupaSemaforo(Mag, MagForm, 7, 101, prima));
    // Both passed the check before either took the window: the second take is refused.
    EXPECT_FALSE(OccupaSemaforo(Mag, MagForm, 8, 102, seconda));
    EXPECT_EQ(Occupati(installazione.FileArchivio()), QStringList{"101|Mag.dll|ShowMagFormX|7|1"});

    EXPECT_FALSE(VerificaSemaforiCritici(Mag, MagForm, seconda));
    SegnalaSemaforoOccupato(8, Mag, MagForm, seconda);
    EXPECT_EQ(msg->Testi(), QStringList{Rifiuto});
    // The first workstation sees the refusal the second one recorded, and stays refused too.
    fb::TTransazione lettura(&prima);
    fb::TQuery query(&prima, &lettura);
    query.SQL.Add("SELECT UTENTE, DESCRIZIONE FROM SEMAFORIFANOMALIE");
    query.Open();
    ASSERT_FALSE(query.Eof());
    EXPECT_EQ(query.Fields(0).AsInteger(), 8);
    EXPECT_EQ(query.Fields(1).AsString(), "Semaforo occupato");
    query.Close();
    lettura.Commit();
    EXPECT_FALSE(VerificaSemaforiCritici(Mag, MagForm, prima));
}

// Workstations that launch the same window at the same moment, round after round, each as
// the loaders do (check, library load, take): in every round exactly one opens it, and the
// window ends with one taken semaphore. The check and the take used to be apart, and most
// rounds opened it several times.
TEST_P(DuePostazioni, OfManySimultaneousLaunchesOfACriticalWindowExactlyOneOpens) {
    InstallazioneDiProva installazione{{.DatabaseUtenti = false, .Archivio = true}};
    InstallazioneDiProva::Esegui(installazione.FileArchivio(), MagOsservataCollegata);
    constexpr int Postazioni = 8;
    constexpr int Giri = 25;
    std::vector<std::unique_ptr<fb::TDatabase>> postazioni;
    for (int i = 0; i < Postazioni; ++i) {
        postazioni.push_back(std::make_unique<fb::TDatabase>());
        prova::ImpostaParametriApertura(*postazioni.back(),
                                        prova::NomeDatabase(installazione.FileArchivio(), GetParam()));
        postazioni.back()->Open();
    }
    std::atomic<int> aperte{0};
    std::vector<int> apertePerGiro;
    std::barrier fineGiro(Postazioni, [&]() noexcept {
        apertePerGiro.push_back(aperte.exchange(0));
        InstallazioneDiProva::Esegui(installazione.FileArchivio(), {"UPDATE SEMAFORIF SET OCCUPATO=0"});
    });
    std::barrier partenza(Postazioni);
    std::vector<std::thread> fili;
    for (int i = 0; i < Postazioni; ++i)
        fili.emplace_back([&, i] {
            for (int giro = 0; giro < Giri; ++giro) {
                partenza.arrive_and_wait();
                fb::TDatabase& db = *postazioni[i];
                if (VerificaSemaforiCritici(Mag, MagForm, db)) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2)); // the library loads
                    if (OccupaSemaforo(Mag, MagForm, i, giro * 100 + i, db))
                        ++aperte;
                }
                fineGiro.arrive_and_wait();
            }
        });
    for (std::thread& filo : fili)
        filo.join();
    EXPECT_EQ(apertePerGiro, std::vector<int>(Giri, 1));
    const QStringList righe = Occupati(installazione.FileArchivio());
    EXPECT_EQ(righe.size(), Giri);
}

INSTANTIATE_TEST_SUITE_P(, DuePostazioni, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

} // namespace
