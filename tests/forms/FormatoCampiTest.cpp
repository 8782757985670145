#include "forms/FormatoCampi.h"

#include <gtest/gtest.h>

using fb::TDefinizioneCampo;
using fb::TGenere;

namespace {

// Columns as a Firebird select describes them: name, kind, characters, bytes, scale, precision.
const TDefinizioneCampo Citta{"CITTA", TGenere::Testo, 30};
const TDefinizioneCampo Piccolo{"N", TGenere::Intero, 0, 2};
const TDefinizioneCampo Intero{"CODICE", TGenere::Intero, 0, 4};
const TDefinizioneCampo Grande{"CONTA", TGenere::Intero, 0, 8};
const TDefinizioneCampo Fido{"FIDO", TGenere::Decimale, 0, 8, 2, 15};             // NUMERIC(15,2)
const TDefinizioneCampo Sconto{"SCONTO", TGenere::Decimale, 0, 2, 2, 4};          // NUMERIC(4,2)
const TDefinizioneCampo SenzaPrecisione{"IMPORTO", TGenere::Decimale, 0, 4, 2, 0}; // only the storage known
const TDefinizioneCampo Peso{"PESO", TGenere::Virgola, 0, 4};
const TDefinizioneCampo Dal{"CLIENTEDAL", TGenere::Data};
const TDefinizioneCampo Momento{"ORA", TGenere::DataOra};
const TDefinizioneCampo Attivo{"ATTIVO", TGenere::Logico};

struct Caso {
    const TDefinizioneCampo& campo;
    const char* testo;
    QVariant atteso;      // the value stored, when accepted
    const char* errore;   // the warning, when refused
};

TEST(FormatoCampi, ATypedValueIsStoredOrRefusedWithItsReasonInItalian) {
    const Caso casi[] = {
        {Citta, "Roma", QString("Roma"), ""},
        {Citta, "", QVariant(), ""},
        {Citta, "Sant'Ambrogio di Valpolicella 1", {},
         "Il testo supera la lunghezza massima del campo CITTA (30 caratteri)"},
        {Piccolo, "32767", qint64(32767), ""},
        {Piccolo, "-32.768", qint64(-32768), ""},
        {Piccolo, "32768", {}, "Valore fuori dai limiti del campo N: 32768 (ammessi da -32.768 a 32.767)"},
        {Piccolo, "1,5", {}, "Il campo N non ammette decimali: 1,5"},
        {Piccolo, "1,00", qint64(1), ""},
        {Piccolo, "dodici", {}, "Valore non valido per il campo N: dodici (è atteso un numero intero)"},
        {Piccolo, "  ", QVariant(), ""},
        {Intero, "2.147.483.647", qint64(2147483647), ""},
        {Intero, "2147483648", {},
         "Valore fuori dai limiti del campo CODICE: 2147483648 (ammessi da -2.147.483.648 a 2.147.483.647)"},
        {Grande, "9223372036854775807", qint64(9223372036854775807), ""},
        {Grande, "9223372036854775808", {},
         "Valore fuori dai limiti del campo CONTA: 9223372036854775808 (ammessi da -9.223.372.036.854.775.808 a "
         "9.223.372.036.854.775.807)"},
        {Fido, "7.500,50", QString("7500.5"), ""},
        {Fido, "7500,5", QString("7500.5"), ""},
        {Fido, "7500.50", QString("7500.5"), ""},
        {Fido, "7,550", QString("7.55"), ""},
        {Fido, "-0,01", QString("-0.01"), ""},
        {Fido, "9.999.999.999.999,99", QString("9999999999999.99"), ""},
        {Fido, "7,555", {}, "Il campo FIDO ammette al massimo 2 decimali: 7,555"},
        {Fido, "10.000.000.000.000", {},
         "Valore fuori dai limiti del campo FIDO: 10.000.000.000.000 (al massimo 13 cifre prima della virgola)"},
        {Fido, "abc", {}, "Valore non valido per il campo FIDO: abc (è atteso un numero, come 7.500,50)"},
        {Fido, "7.50,0", {}, "Valore non valido per il campo FIDO: 7.50,0 (è atteso un numero, come 7.500,50)"},
        {Sconto, "99,99", QString("99.99"), ""},
        {Sconto, "100", {}, "Valore fuori dai limiti del campo SCONTO: 100 (al massimo 2 cifre prima della virgola)"},
        {SenzaPrecisione, "21.474.836,47", QString("21474836.47"), ""},
        {SenzaPrecisione, "-21474836,49", {},
         "Valore fuori dai limiti del campo IMPORTO: -21474836,49 (ammessi da -21.474.836,48 a 21.474.836,47)"},
        {Peso, "7.500,5", 7500.5, ""},
        {Peso, "1000000000000000000000000000000000000000", {},
         "Valore fuori dai limiti del campo PESO: 1000000000000000000000000000000000000000 (numero troppo grande)"},
        {Dal, "01/02/26", QDate(2026, 2, 1), ""},
        {Dal, "1/2/2026", QDate(2026, 2, 1), ""},
        {Dal, "31/02/2026", {},
         "Valore non valido per il campo CLIENTEDAL: 31/02/2026 (è attesa una data, come 31/12/2026)"},
        {Momento, "01/02/2026 14:30", QDateTime(QDate(2026, 2, 1), QTime(14, 30)), ""},
        {Attivo, "sì", true, ""},
        {Attivo, "No", false, ""},
        {Attivo, "forse", {}, "Valore non valido per il campo ATTIVO: forse (è atteso Sì o No)"},
    };
    for (const Caso& caso : casi) {
        const TValoreLetto letto = LeggiTestoCampo(caso.campo, QString::fromUtf8(caso.testo), 2026);
        EXPECT_EQ(letto.Errore, QString::fromUtf8(caso.errore)) << qPrintable(caso.campo.Nome) << " " << caso.testo;
        if (letto.Valido()) {
            EXPECT_EQ(letto.Valore, caso.atteso) << qPrintable(caso.campo.Nome) << " " << caso.testo;
            EXPECT_EQ(letto.Valore.typeId(), caso.atteso.typeId()) << qPrintable(caso.campo.Nome) << " " << caso.testo;
        }
    }
}

TEST(FormatoCampi, StoredValuesAreShownTheItalianWay) {
    struct Mostrato {
        const TDefinizioneCampo& campo;
        QVariant valore;
        const char* mostrato;
        const char* inModifica;
    } const casi[] = {
        {Fido, QString("7500.5"), "7.500,50", "7500,50"},
        {Fido, QString("-1234567"), "-1.234.567,00", "-1234567,00"},
        {Fido, 7500.5, "7.500,50", "7500,50"}, // as a program may set it
        {Fido, QVariant(), "", ""},
        {Intero, qint64(1234567), "1234567", "1234567"},
        {Peso, 1234.5, "1.234,5", "1234,5"},
        {Dal, QDate(2026, 2, 1), "01/02/2026", "01/02/2026"},
        {Momento, QDateTime(QDate(2026, 2, 1), QTime(0, 0)), "01/02/2026", "01/02/2026"},
        {Attivo, true, "Sì", "Sì"},
        {Citta, QString("Roma"), "Roma", "Roma"},
    };
    for (const Mostrato& caso : casi) {
        EXPECT_EQ(FormattaCampo(caso.campo, caso.valore), QString::fromUtf8(caso.mostrato)) << qPrintable(caso.campo.Nome);
        EXPECT_EQ(FormattaCampo(caso.campo, caso.valore, true), QString::fromUtf8(caso.inModifica))
            << qPrintable(caso.campo.Nome);
        // What the editor starts with reads back as the same value.
        if (caso.valore.isValid()) {
            EXPECT_TRUE(ConfrontaValoriCampo(
                caso.campo, caso.valore, LeggiTestoCampo(caso.campo, FormattaCampo(caso.campo, caso.valore, true)).Valore))
                << qPrintable(caso.campo.Nome);
        }
    }
}

TEST(FormatoCampi, ExactNumbersCompareByValue) {
    EXPECT_TRUE(ConfrontaValoriCampo(Fido, QString("7500.5"), QString("7500.50")));
    EXPECT_FALSE(ConfrontaValoriCampo(Fido, QString("7500.5"), QString("7500.51")));
    EXPECT_FALSE(ConfrontaValoriCampo(Fido, QVariant(), QString("0")));
    EXPECT_TRUE(ConfrontaValoriCampo(Citta, QVariant(), QVariant()));
    EXPECT_FALSE(ConfrontaValoriCampo(Citta, QString("Roma"), QString("roma")));
}

} // namespace
