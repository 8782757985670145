#include "datamodule/MemTabX.h"

#include "piattaforma/Errori.h"

#include <gtest/gtest.h>

using piattaforma::ErroreConversione;

namespace {

// The values of one Inserisci; unset fields are passed empty.
struct Valori {
    QString tipo = QStringLiteral("PAR");
    QString nome = QStringLiteral("Ditta");
    QString numero{};
    QString testo{};
    QString data{};
    QString memo{};
    QString livello1{};
    QString livello2{};
    QString utente{};
};

void Inserisci(TMemTabX& tab, const Valori& v) {
    tab.Inserisci(v.tipo, v.nome, v.numero, v.testo, v.data, v.memo, v.livello1, v.livello2,
                  v.utente);
}

class MemTabXTest : public testing::Test {
protected:
    TMemTabX tab;
};

TEST_F(MemTabXTest, NomeMaiInseritoNonTrovatoENonAggiunto) {
    tab.Open();
    EXPECT_EQ(tab.GetV(QStringLiteral("Manca")), QString());
    EXPECT_EQ(tab.GetM(QStringLiteral("Manca")), QString());
    EXPECT_FALSE(tab.SetV(QStringLiteral("Manca"), QStringLiteral("x")));
    EXPECT_FALSE(tab.SetM(QStringLiteral("Manca"), QStringLiteral("x")));
    EXPECT_EQ(tab.GetV(QStringLiteral("Manca")), QString());
    EXPECT_EQ(tab.RecordCount(), 0);
}

TEST_F(MemTabXTest, InserisciApreLaTabella) {
    ASSERT_FALSE(tab.Active());
    Inserisci(tab, {.testo = QStringLiteral("Rossi")});
    EXPECT_TRUE(tab.Active());
    EXPECT_EQ(tab.GetV(QStringLiteral("Ditta")), QStringLiteral("Rossi"));
}

TEST_F(MemTabXTest, StessaChiaveSovrascriveLaRiga) {
    Inserisci(tab, {.numero = QStringLiteral("7"),
                    .testo = QStringLiteral("primo"),
                    .data = QStringLiteral("01/02/2024"),
                    .memo = QStringLiteral("nota"),
                    .livello1 = QStringLiteral("1"),
                    .livello2 = QStringLiteral("2"),
                    .utente = QStringLiteral("5")});
    Inserisci(tab, {.numero = QStringLiteral("-9000000000"),
                    .testo = QStringLiteral("secondo"),
                    .livello2 = QStringLiteral("-3"),
                    .utente = QStringLiteral("5")});
    ASSERT_EQ(tab.RecordCount(), 1);
    const RigaMemTabX& riga = tab.Riga(0);
    EXPECT_EQ(riga.Tipo, QStringLiteral("PAR"));
    EXPECT_EQ(riga.Nome, QStringLiteral("Ditta"));
    EXPECT_EQ(riga.Utente, std::optional<qint16>(5));
    EXPECT_EQ(riga.Numero, std::optional<qint64>(-9000000000));
    EXPECT_EQ(riga.Testo, QStringLiteral("secondo"));
    EXPECT_EQ(riga.Livello2, std::optional<qint16>(-3));
    // Given empty, so emptied.
    EXPECT_EQ(riga.Data, std::nullopt);
    EXPECT_EQ(riga.Memo, QString());
    EXPECT_EQ(riga.Livello1, std::nullopt);
    EXPECT_EQ(tab.RigaCorrente(), 0);
}

// The user is part of the key: another user, or none, is another row.
TEST_F(MemTabXTest, UtenteDiversoERigaDiversa) {
    Inserisci(tab, {.testo = QStringLiteral("di 5"), .utente = QStringLiteral("5")});
    Inserisci(tab, {.testo = QStringLiteral("di nessuno")});
    Inserisci(tab, {.testo = QStringLiteral("di 6"), .utente = QStringLiteral("06")});
    Inserisci(tab, {.testo = QStringLiteral("ancora di 5"), .utente = QStringLiteral("+5")});
    ASSERT_EQ(tab.RecordCount(), 3);
    EXPECT_EQ(tab.Riga(0).Testo, QStringLiteral("ancora di 5"));
    EXPECT_EQ(tab.Riga(1).Utente, std::nullopt);
    EXPECT_EQ(tab.Riga(2).Utente, std::optional<qint16>(6));
    EXPECT_EQ(tab.RigaCorrente(), 0);
}

TEST_F(MemTabXTest, StessoNomeTipiDiversiConLaRigaCorrente) {
    Inserisci(tab, {.tipo = QStringLiteral("A"), .testo = QStringLiteral("primo")});
    Inserisci(tab, {.tipo = QStringLiteral("B"), .testo = QStringLiteral("secondo")});
    ASSERT_EQ(tab.RecordCount(), 2);
    EXPECT_EQ(tab.Riga(0).Codice, 1);
    EXPECT_EQ(tab.Riga(1).Codice, 2);
    // The last inserted row is current, so it is found first.
    EXPECT_EQ(tab.GetV(QStringLiteral("Ditta")), QStringLiteral("secondo"));

    Inserisci(tab, {.nome = QStringLiteral("Altro")});
    EXPECT_EQ(tab.RigaCorrente(), 2);
    EXPECT_EQ(tab.GetV(QStringLiteral("Ditta")), QStringLiteral("primo"));
    EXPECT_EQ(tab.RigaCorrente(), 0);

    // A failed lookup leaves the current row where it was.
    EXPECT_FALSE(tab.SetV(QStringLiteral("Manca"), QStringLiteral("x")));
    EXPECT_EQ(tab.RigaCorrente(), 0);
}

TEST_F(MemTabXTest, SetVESetMCambianoLaRigaTrovata) {
    Inserisci(tab, {.testo = QStringLiteral("vecchio"), .memo = QStringLiteral("vecchia")});
    const QString lungo(200, u'm');
    // A text value is kept whole: an archive path cut short names another file.
    const QString percorso = QStringLiteral("/srv/") + QString(300, u'x') + QStringLiteral("/archivio.fdb");
    EXPECT_TRUE(tab.SetV(QStringLiteral("Ditta"), percorso));
    EXPECT_TRUE(tab.SetM(QStringLiteral("Ditta"), lungo));
    EXPECT_EQ(tab.GetV(QStringLiteral("Ditta")), percorso);
    EXPECT_EQ(tab.GetM(QStringLiteral("Ditta")), lungo);
    EXPECT_EQ(tab.RecordCount(), 1);
}

QString Sequenza(int lunghezza) {
    QString testo;
    for (int i = 0; i < lunghezza; ++i)
        testo += QChar(u'a' + i % 26);
    return testo;
}

struct CasoLarghezza {
    const char* campo;
    QString Valori::*dato;
    QString RigaMemTabX::*salvato;
    int lunghezza;
    int larghezza;
};

class LarghezzaCampi : public MemTabXTest, public testing::WithParamInterface<CasoLarghezza> {};

TEST_P(LarghezzaCampi, TestoOltreLaLarghezzaTagliato) {
    const QString testo = Sequenza(GetParam().lunghezza);
    Valori valori;
    valori.*GetParam().dato = testo;
    Inserisci(tab, valori);
    ASSERT_EQ(tab.RecordCount(), 1);
    EXPECT_EQ(tab.Riga(0).*GetParam().salvato, testo.left(GetParam().larghezza));
}

INSTANTIATE_TEST_SUITE_P(
    Campi, LarghezzaCampi,
    testing::Values(CasoLarghezza{"Tipo", &Valori::tipo, &RigaMemTabX::Tipo, 11, 10},
                    CasoLarghezza{"Nome", &Valori::nome, &RigaMemTabX::Nome, 70, 64},
                    CasoLarghezza{"TestoIntero", &Valori::testo, &RigaMemTabX::Testo, 400, 400},
                    CasoLarghezza{"Memo", &Valori::memo, &RigaMemTabX::Memo, 5000, 5000}),
    [](const testing::TestParamInfo<CasoLarghezza>& info) { return info.param.campo; });

TEST_F(MemTabXTest, NomeTagliatoNonSiTrovaColNomeIntero) {
    const QString nome = Sequenza(70);
    Inserisci(tab, {.nome = nome, .testo = QStringLiteral("valore")});
    EXPECT_EQ(tab.GetV(nome), QString());
    EXPECT_FALSE(tab.SetV(nome, QStringLiteral("altro")));
    EXPECT_EQ(tab.GetV(nome.left(64)), QStringLiteral("valore"));
    // Nor does Inserisci: the full name makes a second row.
    Inserisci(tab, {.nome = nome, .testo = QStringLiteral("valore")});
    EXPECT_EQ(tab.RecordCount(), 2);
}

TEST_F(MemTabXTest, NomiConfrontatiConLeMaiuscole) {
    Inserisci(tab, {.testo = QStringLiteral("valore")});
    EXPECT_EQ(tab.GetV(QStringLiteral("DITTA")), QString());
    Inserisci(tab, {.nome = QStringLiteral("DITTA")});
    EXPECT_EQ(tab.RecordCount(), 2);
}

TEST_F(MemTabXTest, DataNelFormatoGiornoMeseAnno) {
    Inserisci(tab, {.data = QStringLiteral("31/12/2024")});
    EXPECT_EQ(tab.Riga(0).Data, std::optional<QDate>(QDate(2024, 12, 31)));
}

struct CasoErrato {
    const char* nome;
    Valori valori;
    const char* messaggio;
};

class ValoriErrati : public MemTabXTest, public testing::WithParamInterface<CasoErrato> {};

TEST_P(ValoriErrati, SollevanoErroreSenzaCambiareLaTabella) {
    Inserisci(tab, {.numero = QStringLiteral("1"), .testo = QStringLiteral("prima")});
    Inserisci(tab, {.nome = QStringLiteral("Altro")});
    try {
        Inserisci(tab, GetParam().valori);
        ADD_FAILURE() << "no error raised";
    } catch (const ErroreConversione& errore) {
        EXPECT_EQ(errore.Messaggio(), QString::fromUtf8(GetParam().messaggio));
        EXPECT_STREQ(errore.what(), GetParam().messaggio);
    }
    ASSERT_EQ(tab.RecordCount(), 2);
    EXPECT_EQ(tab.Riga(0).Numero, std::optional<qint64>(1));
    EXPECT_EQ(tab.Riga(0).Testo, QStringLiteral("prima"));
    EXPECT_EQ(tab.RigaCorrente(), 1);
}

// Each row would otherwise overwrite the first row (same Tipo, Nome and no user).
INSTANTIATE_TEST_SUITE_P(
    Casi, ValoriErrati,
    testing::Values(CasoErrato{"DataAllAmericana",
                               {.data = QStringLiteral("12/31/2024")},
                               "'12/31/2024' is not a valid date"},
                    CasoErrato{"DataInesistente",
                               {.data = QStringLiteral("30/02/2024")},
                               "'30/02/2024' is not a valid date"},
                    CasoErrato{"NumeroNonNumerico",
                               {.numero = QStringLiteral("abc")},
                               "'abc' is not a valid integer value"},
                    CasoErrato{"NumeroConSpazi",
                               {.numero = QStringLiteral(" 12")},
                               "' 12' is not a valid integer value"},
                    CasoErrato{"NumeroOltre64Bit",
                               {.numero = QStringLiteral("9223372036854775808")},
                               "'9223372036854775808' is not a valid integer value"},
                    CasoErrato{"LivelloDecimale",
                               {.livello1 = QStringLiteral("1.5")},
                               "'1.5' is not a valid integer value"},
                    CasoErrato{"LivelloOltre16Bit",
                               {.livello2 = QStringLiteral("32768")},
                               "32768 is not a valid value for field 'Livello2'. The allowed range "
                               "is -32768 to 32767"},
                    CasoErrato{"UtenteNonNumerico",
                               {.utente = QStringLiteral("Mario")},
                               "'Mario' is not a valid integer value"},
                    CasoErrato{"SoloSegno",
                               {.livello1 = QStringLiteral("-")},
                               "'-' is not a valid integer value"}),
    [](const testing::TestParamInfo<CasoErrato>& info) { return info.param.nome; });

TEST_F(MemTabXTest, ChiusuraSvuotaLaTabella) {
    Inserisci(tab, {.testo = QStringLiteral("valore")});
    tab.Close();
    EXPECT_FALSE(tab.Active());
    EXPECT_EQ(tab.RecordCount(), 0);
    EXPECT_EQ(tab.GetV(QStringLiteral("Ditta")), QString());
    Inserisci(tab, {.testo = QStringLiteral("nuovo")});
    EXPECT_EQ(tab.Riga(0).Codice, 1);
}

} // namespace
