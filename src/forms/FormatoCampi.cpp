#include "forms/FormatoCampi.h"

#include "piattaforma/FormatoItaliano.h"

#include <cfloat>
#include <cmath>
#include <limits>

using piattaforma::TNumeroTesto;

namespace {

QString NonValido(const fb::TDefinizioneCampo& campo, const QString& testo, const QString& atteso) {
    return QStringLiteral("Valore non valido per il campo %1: %2 (%3)").arg(campo.Nome, testo.trimmed(), atteso);
}

QString FuoriLimiti(const fb::TDefinizioneCampo& campo, const QString& testo, const QString& limiti) {
    return QStringLiteral("Valore fuori dai limiti del campo %1: %2 (%3)").arg(campo.Nome, testo.trimmed(), limiti);
}

// The smallest and largest integer the storage holds: SMALLINT, INTEGER, BIGINT.
std::pair<qint64, qint64> LimitiStoraggio(int byte) {
    switch (byte) {
    case 2:
        return {std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()};
    case 4:
        return {std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    default:
        return {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
    }
}

// The stored integer with its last scala digits as decimals: 750050 with 2 is 7500.50.
TNumeroTesto NumeroScalato(qint64 intero, int scala) {
    QString cifre = QString::number(intero);
    const bool negativo = cifre.startsWith(QLatin1Char('-'));
    if (negativo)
        cifre.remove(0, 1);
    cifre = cifre.rightJustified(scala + 1, QLatin1Char('0'));
    const QString testo = (negativo ? QStringLiteral("-") : QString()) + cifre.left(cifre.size() - scala) +
                          QLatin1Char('.') + cifre.right(scala);
    return piattaforma::LeggiNumeroPunto(testo).value_or(TNumeroTesto());
}

// The number as the storage keeps it, decimals moved into the integer; nothing when it does
// not fit 64 bits.
std::optional<qint64> InteroScalato(const TNumeroTesto& numero, int scala) {
    const QString testo = (numero.Negativo ? QStringLiteral("-") : QString()) + numero.Interi +
                          numero.Decimali.leftJustified(scala, QLatin1Char('0'));
    bool ok = false;
    const qint64 valore = testo.toLongLong(&ok);
    return ok ? std::optional<qint64>(valore) : std::nullopt;
}

// An exact number as the dataset keeps it: its decimal text, or a double from elsewhere.
std::optional<TNumeroTesto> NumeroDecimale(const QVariant& valore, int scala) {
    if (valore.typeId() == QMetaType::QString)
        if (auto numero = piattaforma::LeggiNumeroPunto(valore.toString()))
            return numero;
    bool ok = false;
    const double doppio = valore.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return piattaforma::NumeroDaDouble(doppio, scala > 0 ? scala : 15);
}

TValoreLetto LeggiIntero(const fb::TDefinizioneCampo& campo, const QString& testo) {
    const auto numero = piattaforma::LeggiNumeroItaliano(testo);
    if (!numero)
        return {{}, NonValido(campo, testo, QStringLiteral("è atteso un numero intero"))};
    if (!numero->Decimali.isEmpty())
        return {{}, QStringLiteral("Il campo %1 non ammette decimali: %2").arg(campo.Nome, testo.trimmed())};
    const auto [minimo, massimo] = LimitiStoraggio(campo.Byte);
    const auto valore = InteroScalato(*numero, 0);
    if (!valore || *valore < minimo || *valore > massimo)
        return {{},
                FuoriLimiti(campo, testo,
                            QStringLiteral("ammessi da %1 a %2")
                                .arg(piattaforma::FormattaNumeroItaliano(NumeroScalato(minimo, 0), 0, true),
                                     piattaforma::FormattaNumeroItaliano(NumeroScalato(massimo, 0), 0, true)))};
    return {QVariant::fromValue(*valore), {}};
}

TValoreLetto LeggiDecimale(const fb::TDefinizioneCampo& campo, const QString& testo) {
    const auto numero = piattaforma::LeggiNumeroItaliano(testo);
    if (!numero)
        return {{}, NonValido(campo, testo, QStringLiteral("è atteso un numero, come 7.500,50"))};
    const int scala = std::max(0, campo.Scala);
    if (campo.Scala > 0 && numero->Decimali.size() > scala)
        return {{}, QStringLiteral("Il campo %1 ammette al massimo %2 decimali: %3")
                        .arg(campo.Nome)
                        .arg(scala)
                        .arg(testo.trimmed())};
    if (campo.Precisione > 0 && numero->CifreIntere() > campo.Precisione - scala)
        return {{}, FuoriLimiti(campo, testo,
                                QStringLiteral("al massimo %1 cifre prima della virgola").arg(campo.Precisione - scala))};
    const auto [minimo, massimo] = LimitiStoraggio(campo.Byte);
    const auto scalato = InteroScalato(*numero, scala);
    if (!scalato || *scalato < minimo || *scalato > massimo)
        return {{},
                FuoriLimiti(campo, testo,
                            QStringLiteral("ammessi da %1 a %2")
                                .arg(piattaforma::FormattaNumeroItaliano(NumeroScalato(minimo, scala), scala, true),
                                     piattaforma::FormattaNumeroItaliano(NumeroScalato(massimo, scala), scala, true)))};
    return {piattaforma::FormattaNumeroPunto(*numero), {}};
}

TValoreLetto LeggiVirgola(const fb::TDefinizioneCampo& campo, const QString& testo) {
    const auto numero = piattaforma::LeggiNumeroItaliano(testo);
    if (!numero)
        return {{}, NonValido(campo, testo, QStringLiteral("è atteso un numero, come 7.500,50"))};
    const double valore = piattaforma::FormattaNumeroPunto(*numero).toDouble();
    const double massimo = campo.Byte == 4 ? static_cast<double>(FLT_MAX) : DBL_MAX;
    if (!std::isfinite(valore) || std::fabs(valore) > massimo)
        return {{}, FuoriLimiti(campo, testo, QStringLiteral("numero troppo grande"))};
    return {valore, {}};
}

std::optional<bool> LeggiLogico(const QString& testo) {
    const QString t = testo.trimmed().toLower();
    for (const char* si : {"sì", "si", "s", "vero", "true", "1"})
        if (t == QString::fromUtf8(si))
            return true;
    for (const char* no : {"no", "n", "falso", "false", "0"})
        if (t == QString::fromUtf8(no))
            return false;
    return std::nullopt;
}

} // namespace

QString FormattaCampo(const fb::TDefinizioneCampo& campo, const QVariant& valore, bool perModifica) {
    if (!valore.isValid() || valore.isNull())
        return {};
    switch (campo.Genere) {
    case fb::TGenere::Testo:
    case fb::TGenere::Memo:
        return valore.toString();
    case fb::TGenere::Binario:
        return QStringLiteral("(dati binari)");
    case fb::TGenere::Intero: {
        bool ok = false;
        const qint64 intero = valore.toLongLong(&ok);
        return ok ? QString::number(intero) : valore.toString();
    }
    case fb::TGenere::Decimale: {
        const auto numero = NumeroDecimale(valore, campo.Scala);
        if (!numero)
            return valore.toString();
        return piattaforma::FormattaNumeroItaliano(*numero, campo.Scala > 0 ? campo.Scala : -1, !perModifica);
    }
    case fb::TGenere::Virgola:
        return piattaforma::FormattaDoubleItaliano(valore.toDouble(), !perModifica);
    case fb::TGenere::Data:
        return piattaforma::FormattaDataItaliana(valore.toDate());
    case fb::TGenere::Ora:
        return piattaforma::FormattaOraItaliana(valore.toTime());
    case fb::TGenere::DataOra:
        return piattaforma::FormattaDataOraItaliana(valore.toDateTime());
    case fb::TGenere::Logico:
        return valore.toBool() ? QStringLiteral("Sì") : QStringLiteral("No");
    }
    return valore.toString();
}

TValoreLetto LeggiTestoCampo(const fb::TDefinizioneCampo& campo, const QString& testo, int annoCorrente) {
    const bool testuale = campo.Genere == fb::TGenere::Testo || campo.Genere == fb::TGenere::Memo;
    // The empty text is NULL, as the dataset takes it; blanks alone are nothing in a number.
    if (testo.isEmpty() || (!testuale && testo.trimmed().isEmpty()))
        return {};
    switch (campo.Genere) {
    case fb::TGenere::Testo:
        if (campo.Dimensione > 0 && testo.size() > campo.Dimensione)
            return {{}, QStringLiteral("Il testo supera la lunghezza massima del campo %1 (%2 caratteri)")
                            .arg(campo.Nome)
                            .arg(campo.Dimensione)};
        return {testo, {}};
    case fb::TGenere::Memo:
        return {testo, {}};
    case fb::TGenere::Binario:
        return {{}, QStringLiteral("Il campo %1 contiene dati binari: non si scrive come testo").arg(campo.Nome)};
    case fb::TGenere::Intero:
        return LeggiIntero(campo, testo);
    case fb::TGenere::Decimale:
        return LeggiDecimale(campo, testo);
    case fb::TGenere::Virgola:
        return LeggiVirgola(campo, testo);
    case fb::TGenere::Data:
        if (const auto data = piattaforma::LeggiDataItaliana(testo, annoCorrente))
            return {*data, {}};
        return {{}, NonValido(campo, testo, QStringLiteral("è attesa una data, come 31/12/2026"))};
    case fb::TGenere::Ora:
        if (const auto ora = piattaforma::LeggiOraItaliana(testo))
            return {*ora, {}};
        return {{}, NonValido(campo, testo, QStringLiteral("è attesa un'ora, come 14:30"))};
    case fb::TGenere::DataOra:
        if (const auto momento = piattaforma::LeggiDataOraItaliana(testo, annoCorrente))
            return {*momento, {}};
        return {{}, NonValido(campo, testo, QStringLiteral("è attesa una data con l'ora se serve, come 31/12/2026 14:30"))};
    case fb::TGenere::Logico:
        if (const auto logico = LeggiLogico(testo))
            return {*logico, {}};
        return {{}, NonValido(campo, testo, QStringLiteral("è atteso Sì o No"))};
    }
    return {{}, NonValido(campo, testo, QStringLiteral("tipo di campo sconosciuto"))};
}

bool ConfrontaValoriCampo(const fb::TDefinizioneCampo& campo, const QVariant& uno, const QVariant& altro) {
    if (uno.isValid() != altro.isValid())
        return false;
    if (!uno.isValid())
        return true;
    if (campo.Genere == fb::TGenere::Decimale)
        return NumeroDecimale(uno, campo.Scala) == NumeroDecimale(altro, campo.Scala);
    return uno == altro;
}

Qt::Alignment ScegliAllineamento(const fb::TDefinizioneCampo& campo) {
    switch (campo.Genere) {
    case fb::TGenere::Intero:
    case fb::TGenere::Decimale:
    case fb::TGenere::Virgola:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}
