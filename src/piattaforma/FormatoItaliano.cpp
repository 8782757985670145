#include "piattaforma/FormatoItaliano.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace piattaforma {

namespace {

// Only the ASCII digits: QChar::isDigit would take other scripts' digits too.
bool SoloCifre(QStringView testo, bool ancheVuoto = false) {
    if (testo.isEmpty())
        return ancheVuoto;
    for (QChar c : testo)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// "7.500" or "1.234.567": a first group of one to three digits that does not begin with
// zero (nobody writes "0.500" for five hundred), then groups of exactly three.
bool RaggruppamentoCorretto(const QStringList& gruppi) {
    if (gruppi.size() < 2)
        return false;
    const QString& primo = gruppi.first();
    if (primo.size() > 3 || !SoloCifre(primo) || primo.front() == QLatin1Char('0'))
        return false;
    for (qsizetype i = 1; i < gruppi.size(); ++i)
        if (gruppi[i].size() != 3 || !SoloCifre(gruppi[i]))
            return false;
    return true;
}

TNumeroTesto Normalizza(bool negativo, QString interi, QString decimali) {
    qsizetype zeri = 0;
    while (zeri < interi.size() && interi.at(zeri) == QLatin1Char('0'))
        ++zeri;
    interi.remove(0, zeri);
    if (interi.isEmpty())
        interi = QStringLiteral("0");
    while (decimali.endsWith(QLatin1Char('0')))
        decimali.chop(1);
    TNumeroTesto numero;
    numero.Interi = interi;
    numero.Decimali = decimali;
    numero.Negativo = negativo && !(interi == QLatin1String("0") && decimali.isEmpty());
    return numero;
}

// Cuts the decimals to that many, half away from zero.
TNumeroTesto Arrotonda(const TNumeroTesto& numero, int decimali) {
    if (numero.Decimali.size() <= decimali)
        return numero;
    QString cifre = numero.Interi + numero.Decimali.left(decimali);
    if (numero.Decimali.at(decimali) >= QLatin1Char('5')) {
        qsizetype i = cifre.size() - 1;
        while (i >= 0 && cifre.at(i) == QLatin1Char('9'))
            cifre[i--] = QLatin1Char('0');
        if (i < 0)
            cifre.prepend(QLatin1Char('1'));
        else
            cifre[i] = QChar(cifre.at(i).unicode() + 1);
    }
    return Normalizza(numero.Negativo, cifre.left(cifre.size() - decimali), cifre.right(decimali));
}

QString RaggruppaMigliaia(const QString& interi) {
    QString testo = interi;
    for (qsizetype i = testo.size() - 3; i > 0; i -= 3)
        testo.insert(i, QLatin1Char('.'));
    return testo;
}

// Splits at the one separator the text uses ("/", "-" or "."); empty when it uses another
// or mixes them.
QStringList PartiData(const QString& testo) {
    QChar separatore;
    for (QChar c : testo)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            separatore = c;
            break;
        }
    if (separatore != QLatin1Char('/') && separatore != QLatin1Char('-') && separatore != QLatin1Char('.'))
        return {};
    const QStringList parti = testo.split(separatore);
    for (const QString& parte : parti)
        if (!SoloCifre(parte))
            return {};
    return parti;
}

} // namespace

std::optional<TNumeroTesto> LeggiNumeroItaliano(const QString& testo) {
    QString t = testo.trimmed();
    bool negativo = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negativo = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    QString interi;
    QString decimali;
    const qsizetype virgola = t.indexOf(QLatin1Char(','));
    if (virgola >= 0) {
        interi = t.left(virgola);
        decimali = t.mid(virgola + 1);
        if (!SoloCifre(decimali, true))
            return std::nullopt;
        if (interi.contains(QLatin1Char('.'))) {
            const QStringList gruppi = interi.split(QLatin1Char('.'));
            if (!RaggruppamentoCorretto(gruppi))
                return std::nullopt;
            interi = gruppi.join(QString());
        } else if (!SoloCifre(interi, true)) {
            return std::nullopt;
        }
    } else if (t.contains(QLatin1Char('.'))) {
        const QStringList gruppi = t.split(QLatin1Char('.'));
        if (RaggruppamentoCorretto(gruppi)) {
            interi = gruppi.join(QString());
        } else if (gruppi.size() == 2 && SoloCifre(gruppi[0], true) && SoloCifre(gruppi[1], true)) {
            // Cannot be grouping: the one dot is the decimal point.
            interi = gruppi[0];
            decimali = gruppi[1];
        } else {
            return std::nullopt;
        }
    } else {
        if (!SoloCifre(t))
            return std::nullopt;
        interi = t;
    }
    if (interi.isEmpty() && decimali.isEmpty())
        return std::nullopt;
    return Normalizza(negativo, interi, decimali);
}

std::optional<TNumeroTesto> LeggiNumeroPunto(const QString& testo) {
    QString t = testo.trimmed();
    bool negativo = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negativo = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    const qsizetype punto = t.indexOf(QLatin1Char('.'));
    const QString interi = punto < 0 ? t : t.left(punto);
    const QString decimali = punto < 0 ? QString() : t.mid(punto + 1);
    if (!SoloCifre(interi, true) || !SoloCifre(decimali, true) || (interi.isEmpty() && decimali.isEmpty()))
        return std::nullopt;
    return Normalizza(negativo, interi, decimali);
}

TNumeroTesto NumeroDaDouble(double valore, int decimali) {
    if (!std::isfinite(valore))
        return {};
    return LeggiNumeroPunto(QString::number(valore, 'f', decimali)).value_or(TNumeroTesto());
}

QString FormattaNumeroPunto(const TNumeroTesto& numero) {
    QString testo = numero.Negativo ? QStringLiteral("-") : QString();
    testo += numero.Interi;
    if (!numero.Decimali.isEmpty())
        testo += QLatin1Char('.') + numero.Decimali;
    return testo;
}

QString FormattaNumeroItaliano(const TNumeroTesto& numero, int decimali, bool migliaia) {
    const TNumeroTesto arrotondato = decimali >= 0 ? Arrotonda(numero, decimali) : numero;
    QString cifreDecimali = arrotondato.Decimali;
    if (decimali >= 0)
        cifreDecimali = cifreDecimali.leftJustified(decimali, QLatin1Char('0'));
    QString testo = arrotondato.Negativo ? QStringLiteral("-") : QString();
    testo += migliaia ? RaggruppaMigliaia(arrotondato.Interi) : arrotondato.Interi;
    if (!cifreDecimali.isEmpty())
        testo += QLatin1Char(',') + cifreDecimali;
    return testo;
}

QString FormattaDoubleItaliano(double valore, bool migliaia) {
    const QString breve = QString::number(valore, 'g', 15);
    const auto numero = LeggiNumeroPunto(breve);
    if (!numero) // an exponent: too large or too small to write out
        return QLocale(QLocale::Italian, QLocale::Italy).toString(valore, 'g', 15);
    return FormattaNumeroItaliano(*numero, -1, migliaia);
}

int CompletaAnno(int anno, int annoCorrente) {
    // The hundred years from 50 before this one: as Delphi's TwoDigitYearCenturyWindow = 50.
    const int inizio = annoCorrente - 50;
    anno += inizio / 100 * 100;
    if (anno < inizio)
        anno += 100;
    return anno;
}

std::optional<QDate> LeggiDataItaliana(const QString& testo, int annoCorrente) {
    const QString t = testo.trimmed();
    QString giorno, mese, anno;
    if (SoloCifre(t)) {
        if (t.size() != 4 && t.size() != 6 && t.size() != 8)
            return std::nullopt;
        giorno = t.left(2);
        mese = t.mid(2, 2);
        anno = t.mid(4);
    } else {
        const QStringList parti = PartiData(t);
        if (parti.size() == 3 && parti[0].size() == 4) { // 2026-02-01, as programs write it
            anno = parti[0];
            mese = parti[1];
            giorno = parti[2];
        } else if (parti.size() == 2 || parti.size() == 3) {
            giorno = parti[0];
            mese = parti[1];
            anno = parti.value(2);
        } else {
            return std::nullopt;
        }
    }
    if (giorno.size() > 2 || mese.size() > 2 || anno.size() == 3 || anno.size() > 4)
        return std::nullopt;
    int a = anno.isEmpty() ? annoCorrente : anno.toInt();
    if (!anno.isEmpty() && anno.size() <= 2)
        a = CompletaAnno(a, annoCorrente);
    const QDate data(a, mese.toInt(), giorno.toInt());
    if (!data.isValid() || a < 1)
        return std::nullopt;
    return data;
}

std::optional<QTime> LeggiOraItaliana(const QString& testo) {
    const QString t = testo.trimmed();
    const QChar separatore = t.contains(QLatin1Char(':')) ? QLatin1Char(':') : QLatin1Char('.');
    const QStringList parti = t.split(separatore);
    if (parti.size() < 2 || parti.size() > 3 || parti[0].size() > 2)
        return std::nullopt;
    for (qsizetype i = 0; i < parti.size(); ++i)
        if (!SoloCifre(parti[i]) || (i > 0 && parti[i].size() != 2))
            return std::nullopt;
    const QTime ora(parti[0].toInt(), parti[1].toInt(), parti.value(2, QStringLiteral("0")).toInt());
    if (!ora.isValid())
        return std::nullopt;
    return ora;
}

std::optional<QDateTime> LeggiDataOraItaliana(const QString& testo, int annoCorrente) {
    const QStringList parti = testo.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parti.isEmpty() || parti.size() > 2)
        return std::nullopt;
    const auto data = LeggiDataItaliana(parti[0], annoCorrente);
    const auto ora = parti.size() == 2 ? LeggiOraItaliana(parti[1]) : std::optional<QTime>(QTime(0, 0));
    if (!data || !ora)
        return std::nullopt;
    return QDateTime(*data, *ora);
}

QString FormattaDataItaliana(const QDate& data) { return data.toString(QStringLiteral("dd/MM/yyyy")); }

QString FormattaOraItaliana(const QTime& ora) { return ora.toString(QStringLiteral("hh:mm:ss")); }

QString FormattaDataOraItaliana(const QDateTime& momento) {
    if (momento.time() == QTime(0, 0))
        return FormattaDataItaliana(momento.date());
    return FormattaDataItaliana(momento.date()) + QLatin1Char(' ') + FormattaOraItaliana(momento.time());
}

} // namespace piattaforma
