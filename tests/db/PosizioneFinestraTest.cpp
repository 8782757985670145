#include "db/ZavDB.h"
#include "fb/Aggiornamento.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/Installazione.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <optional>
#include <vector>

using prova::InstallazioneDiProva;

namespace {

constexpr qint32 Utente = 7;
constexpr qint32 Situazione = 1;
constexpr qint32 Progetto = 1;

struct Codici {
    qint32 utente;
    qint32 situazione;
    qint32 progetto;
};

constexpr Codici Proprie{Utente, Situazione, Progetto};

// Rows of other users, situations and projects on either side of the window's codes: a
// statement that picks rows by fewer than all three codes meets some of them.
constexpr Codici Vicini[] = {
    {Utente - 1, Situazione, Progetto}, {Utente + 1, Situazione, Progetto},
    {Utente, Situazione - 1, Progetto}, {Utente, Situazione + 1, Progetto},
    {Utente, Situazione, Progetto - 1}, {Utente, Situazione, Progetto + 1},
};
constexpr int NumeroVicini = static_cast<int>(std::size(Vicini));

struct RigaPosizione {
    QRect geometria;
    QString versione; // RDB$RECORD_VERSION: changes with every write of the row
};

QRect Geometria(const QWidget& finestra) {
    return QRect(finestra.frameGeometry().topLeft(), finestra.size());
}

class PosizioneFinestra : public ::testing::Test {
protected:
    void SetUp() override {
        prova::ImpostaParametriApertura(database, installazione.FileUtenti());
        database.Open();
        database.SetDefaultTransaction(&predefinita);
        finestra.move(40, 30);
        finestra.resize(320, 240);
    }

    void Memorizza(const Codici& c, const QRect& g) {
        InstallazioneDiProva::Esegui(
            installazione.FileUtenti(),
            {QStringLiteral("INSERT INTO \"STOPOS1\" (CodiceSituazione, CodiceUtente, CodiceProgetto, "
                            "PosX, PosY, DimX, DimY) VALUES (%1, %2, %3, %4, %5, %6, %7)")
                 .arg(c.situazione)
                 .arg(c.utente)
                 .arg(c.progetto)
                 .arg(g.x())
                 .arg(g.y())
                 .arg(g.width())
                 .arg(g.height())});
    }

    // Stored before the window's own row, so that a scan in storage order meets them first; each
    // with a place of its own.
    void MemorizzaVicini() {
        for (int i = 0; i < NumeroVicini; ++i)
            Memorizza(Vicini[i], QRect(1 + i, 2 + i, 101 + i, 102 + i));
        viciniPrima_ = LeggiVicini();
    }

    // Nothing wrote the other rows: same place, same record version as when stored.
    void VerificaViciniIntatti() {
        ASSERT_EQ(viciniPrima_.size(), static_cast<size_t>(NumeroVicini)) << "MemorizzaVicini first";
        const std::vector<std::optional<RigaPosizione>> ora = LeggiVicini();
        for (int i = 0; i < NumeroVicini; ++i) {
            SCOPED_TRACE(testing::Message() << "user " << Vicini[i].utente << ", situation "
                                            << Vicini[i].situazione << ", project " << Vicini[i].progetto);
            ASSERT_TRUE(ora[i]) << "the row is gone";
            EXPECT_EQ(ora[i]->geometria, QRect(1 + i, 2 + i, 101 + i, 102 + i));
            EXPECT_EQ(ora[i]->versione, viciniPrima_[i]->versione) << "the row was written";
        }
    }

    // What another connection sees committed.
    std::optional<RigaPosizione> Riga(const Codici& c = Proprie) {
        fb::TDatabase altro;
        prova::ImpostaParametriApertura(altro, installazione.FileUtenti());
        altro.Open();
        fb::TTransazione lettura(&altro);
        fb::TQuery q(&altro, &lettura);
        q.SQL.Add("SELECT PosX, PosY, DimX, DimY, RDB$RECORD_VERSION AS VERSIONE FROM \"STOPOS1\"");
        q.SQL.Add(QStringLiteral("WHERE CodiceSituazione=%1 AND CodiceUtente=%2 AND CodiceProgetto=%3")
                      .arg(c.situazione)
                      .arg(c.utente)
                      .arg(c.progetto));
        q.Open();
        if (q.Eof())
            return std::nullopt;
        return RigaPosizione{QRect(q.Fields(0).AsInteger(), q.Fields(1).AsInteger(),
                                   q.Fields(2).AsInteger(), q.Fields(3).AsInteger()),
                             q.FieldByName("VERSIONE").AsString()};
    }

    int Righe() {
        return InstallazioneDiProva::Valore(installazione.FileUtenti(), "SELECT COUNT(*) FROM \"STOPOS1\"")
            .toInt();
    }

    void Salva() { SalvaPosizioneFinestra(&finestra, Utente, Situazione, Progetto, database); }
    void Carica() { CaricaPosizioneFinestra(&finestra, Utente, Situazione, Progetto, database); }

    InstallazioneDiProva installazione{{.DatabaseUtenti = true, .Archivio = false}};
    fb::TDatabase database;
    fb::TTransazione predefinita; // the connection's default, as TransazioneUser
    QWidget finestra;

private:
    std::vector<std::optional<RigaPosizione>> LeggiVicini() {
        std::vector<std::optional<RigaPosizione>> righe;
        for (const Codici& c : Vicini)
            righe.push_back(Riga(c));
        return righe;
    }

    std::vector<std::optional<RigaPosizione>> viciniPrima_;
};

TEST_F(PosizioneFinestra, WithoutAStoredRowTheWindowKeepsItsPlaceAndTheSaveInsertsOne) {
    MemorizzaVicini();
    Carica();
    EXPECT_EQ(Geometria(finestra), QRect(40, 30, 320, 240));

    Salva();
    const auto riga = Riga();
    ASSERT_TRUE(riga) << "no row with the three codes";
    EXPECT_EQ(riga->geometria, QRect(40, 30, 320, 240));
    EXPECT_EQ(Righe(), NumeroVicini + 1);
    VerificaViciniIntatti();
    // The columns were read in the connection's default transaction, which the save leaves open.
    EXPECT_TRUE(predefinita.InTransaction());
}

TEST_F(PosizioneFinestra, LoadAppliesOnlyTheRowOfThatUserSituationAndProject) {
    MemorizzaVicini();
    Memorizza(Proprie, QRect(100, 120, 500, 400));
    Carica();
    EXPECT_EQ(Geometria(finestra), QRect(100, 120, 500, 400));
    VerificaViciniIntatti();
}

TEST_F(PosizioneFinestra, APositionOffTheScreenIsAppliedUnchanged) {
    Memorizza(Proprie, QRect(-3000, 5000, 700, 500));
    finestra.show();
    Carica();
    EXPECT_EQ(Geometria(finestra), QRect(-3000, 5000, 700, 500));
}

TEST_F(PosizioneFinestra, ASavedShownWindowComesBackWhereItWas) {
    MemorizzaVicini();
    finestra.show();
    finestra.move(210, 140);
    finestra.resize(640, 360);
    Salva();

    QWidget nuova;
    nuova.show();
    CaricaPosizioneFinestra(&nuova, Utente, Situazione, Progetto, database);
    EXPECT_EQ(Geometria(nuova), QRect(210, 140, 640, 360));
    VerificaViciniIntatti();
}

struct Spostamento {
    const char* caso;
    std::function<void(QWidget&)> cambia;
    bool riscritta;
};

void PrintTo(const Spostamento& s, std::ostream* os) { *os << s.caso; }

class SalvataggioDopoSpostamento : public PosizioneFinestra,
                                   public ::testing::WithParamInterface<Spostamento> {};

TEST_P(SalvataggioDopoSpostamento, RewritesTheRowOnlyWhenSomethingChanged) {
    const QRect memorizzata(100, 120, 500, 400);
    MemorizzaVicini();
    Memorizza(Proprie, memorizzata);
    Carica();
    GetParam().cambia(finestra);
    const QRect attesa = Geometria(finestra);
    const QString versionePrima = Riga()->versione;

    Salva();
    const auto riga = Riga();
    ASSERT_TRUE(riga);
    EXPECT_EQ(riga->geometria, attesa);
    EXPECT_EQ(riga->versione != versionePrima, GetParam().riscritta)
        << "record version " << versionePrima.toStdString() << " -> " << riga->versione.toStdString();
    EXPECT_EQ(Righe(), NumeroVicini + 1);
    VerificaViciniIntatti();
}

INSTANTIATE_TEST_SUITE_P(
    , SalvataggioDopoSpostamento,
    ::testing::Values(Spostamento{"nothing moved", [](QWidget&) {}, false},
                      Spostamento{"moved and put back", [](QWidget& f) { f.move(0, 0); f.move(100, 120); }, false},
                      Spostamento{"height only", [](QWidget& f) { f.resize(500, 401); }, true},
                      Spostamento{"width only", [](QWidget& f) { f.resize(499, 400); }, true},
                      Spostamento{"left only", [](QWidget& f) { f.move(101, 120); }, true},
                      Spostamento{"top only", [](QWidget& f) { f.move(100, 0); }, true},
                      Spostamento{"everything", [](QWidget& f) { f.setGeometry(5, 6, 300, 200); }, true}),
    [](const auto& info) { return "Caso" + std::to_string(info.index); });

TEST_F(PosizioneFinestra, FurtherColumnsOfTheTableAreCarriedAlong) {
    InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                 {"ALTER TABLE \"STOPOS1\" ADD NOTA VARCHAR(20)"});
    Memorizza(Proprie, QRect(100, 120, 500, 400));
    InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                 {QString::fromUtf8("UPDATE \"STOPOS1\" SET NOTA = 'D''Angelo à €'")});
    Carica();
    finestra.resize(500, 450);
    Salva();
    EXPECT_EQ(Riga()->geometria, QRect(100, 120, 500, 450));
    EXPECT_EQ(InstallazioneDiProva::Valore(installazione.FileUtenti(), "SELECT NOTA FROM \"STOPOS1\""),
              QString::fromUtf8("D'Angelo à €"));
}

// The statements built for STOPOS1, whatever the case of the kind; other kinds build nothing.
struct Tipo {
    const char* tipo;
    bool modifica;
    bool inserimento;
};

void PrintTo(const Tipo& t, std::ostream* os) { *os << '"' << t.tipo << '"'; }

class SQLAggiornamento : public PosizioneFinestra, public ::testing::WithParamInterface<Tipo> {};

const QStringList Modifica = {
    "UPDATE \"STOPOS1\"",
    "SET",
    "CODICESITUAZIONE=:CODICESITUAZIONE,",
    "CODICEUTENTE=:CODICEUTENTE,",
    "CODICEPROGETTO=:CODICEPROGETTO,",
    "POSX=:POSX,",
    "POSY=:POSY,",
    "DIMX=:DIMX,",
    "DIMY=:DIMY",
};

const QStringList Inserimento = {
    "INSERT INTO \"STOPOS1\"",
    "(",
    "CODICESITUAZIONE,",
    "CODICEUTENTE,",
    "CODICEPROGETTO,",
    "POSX,",
    "POSY,",
    "DIMX,",
    "DIMY",
    ")",
    "VALUES",
    "(",
    ":CODICESITUAZIONE,",
    ":CODICEUTENTE,",
    ":CODICEPROGETTO,",
    ":POSX,",
    ":POSY,",
    ":DIMX,",
    ":DIMY",
    ")",
};

TEST_P(SQLAggiornamento, BuildsTheStatementOfItsKind) {
    const QStringList prima = {"-- written before"};
    fb::TAggiornamento aggiornamento;
    aggiornamento.ModifySQL.Add(prima.first());
    aggiornamento.InsertSQL.Add(prima.first());
    fb::TTransazione propria(&database);
    fb::TQuery query(&database, &propria);
    query.SQL.Add("SELECT * FROM \"STOPOS1\"");
    query.SQL.Add("WHERE (CodiceSituazione=1)");
    ASSERT_FALSE(predefinita.InTransaction());

    CreaSQLAggiornamento(query, "STOPOS1", GetParam().tipo, aggiornamento);
    EXPECT_EQ(aggiornamento.ModifySQL.Righe(), GetParam().modifica ? Modifica : prima);
    EXPECT_EQ(aggiornamento.InsertSQL.Righe(), GetParam().inserimento ? Inserimento : prima);
    EXPECT_TRUE(predefinita.InTransaction()) << "the default transaction was not used or was ended";
    EXPECT_FALSE(propria.InTransaction()) << "the query's own transaction is not for reading columns";
}

INSTANTIATE_TEST_SUITE_P(, SQLAggiornamento,
                         ::testing::Values(Tipo{"UPDATE", true, false}, Tipo{"update", true, false},
                                           Tipo{"Update", true, false}, Tipo{"INSERT", false, true},
                                           Tipo{"insert", false, true}, Tipo{"DELETE", false, false},
                                           Tipo{"", false, false}, Tipo{"UPDATE ", false, false}),
                         [](const auto& info) { return "Caso" + std::to_string(info.index); });

struct Guasto {
    const char* caso;
    std::function<void(fb::TDatabase&, const QString&)> prepara;
};

void PrintTo(const Guasto& g, std::ostream* os) { *os << g.caso; }

class PosizioneSenzaTabella : public ::testing::TestWithParam<Guasto> {};

TEST_P(PosizioneSenzaTabella, LoadAndSaveLetTheErrorThrough) {
    prova::CartellaProva cartella;
    fb::TDatabase database;
    fb::TTransazione predefinita;
    GetParam().prepara(database, cartella.File("vuoto.fdb"));
    database.SetDefaultTransaction(&predefinita);
    QWidget finestra;
    finestra.setGeometry(40, 30, 320, 240);
    EXPECT_THROW(CaricaPosizioneFinestra(&finestra, Utente, Situazione, Progetto, database), fb::EErroreDB);
    EXPECT_THROW(SalvaPosizioneFinestra(&finestra, Utente, Situazione, Progetto, database), fb::EErroreDB);
    EXPECT_EQ(Geometria(finestra), QRect(40, 30, 320, 240));
}

INSTANTIATE_TEST_SUITE_P(
    , PosizioneSenzaTabella,
    ::testing::Values(Guasto{"no table", [](fb::TDatabase& db, const QString& file) { prova::CreaDatabaseVuoto(db, file); }},
                      Guasto{"not connected", [](fb::TDatabase& db, const QString& file) {
                                 prova::ImpostaParametriApertura(db, file);
                             }}),
    [](const auto& info) { return info.index == 0 ? "TabellaMancante" : "NonConnesso"; });

} // namespace
