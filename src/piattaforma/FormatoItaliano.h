#pragma once

// Numbers, dates and times as Italian users read and type them: 7.500,50 and 31/12/2026.
//
// Numbers typed: the comma is the decimal separator and dots group thousands ("7.500,50").
// Without a comma a dot that groups thousands correctly ("7.500", "1.234.567") is read as
// grouping, as an Italian reads it; any other single dot can only be a decimal point and is
// read as one ("7500.50", "3.14", "0.500"). Anything else (blanks inside, a dot in the wrong
// place after a comma, letters) is not a number.
//
// Dates typed: day, month and year separated by "/", "-" or "."; the year may be left out
// (this year), written in four digits or in one or two. A short year lands in the hundred
// years around this one: up to 49 years ahead it is in the future, otherwise in the past
// (in 2026 "75" is 2075 and "76" is 1976). Only digits also work: "0102", "010226",
// "01022026".

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace piattaforma {

// An exact number by its digits, so that 18 digits and their decimals never pass through a
// double. Kept normalised: no leading zeros in Interi ("0" for none), no trailing zeros in
// Decimali, zero never negative.
struct TNumeroTesto {
    bool Negativo = false;
    QString Interi = QStringLiteral("0");
    QString Decimali;

    bool operator==(const TNumeroTesto&) const = default;
    // Digits before the point that count: 0 for a number below one.
    int CifreIntere() const { return Interi == QLatin1String("0") ? 0 : static_cast<int>(Interi.size()); }
};

// A number as an Italian types it (see above); nothing for a text that is not one.
std::optional<TNumeroTesto> LeggiNumeroItaliano(const QString& testo);
// A number as programs write it: an optional sign, digits, "." and digits ("-7500.5").
std::optional<TNumeroTesto> LeggiNumeroPunto(const QString& testo);
// The nearest number of up to that many decimals (half away from zero), for values that
// arrive as doubles.
TNumeroTesto NumeroDaDouble(double valore, int decimali);

// "-7500.5": no grouping, "." before the decimals, none when there are none.
QString FormattaNumeroPunto(const TNumeroTesto& numero);
// "7.500,50": exactly that many decimals (rounded half away from zero, padded with zeros), or
// as many as the number has when decimali is negative; dots between thousands on request.
QString FormattaNumeroItaliano(const TNumeroTesto& numero, int decimali, bool migliaia);
// A double the same way, with up to 15 significant digits and no zeros after the last one.
QString FormattaDoubleItaliano(double valore, bool migliaia);

// The year a one- or two-digit year stands for, this year being annoCorrente.
int CompletaAnno(int anno, int annoCorrente);
// A date as an Italian types it (see above); nothing for a text that is not a real date.
std::optional<QDate> LeggiDataItaliana(const QString& testo, int annoCorrente);
// "14:30", "14:30:15", "9.05": hours, minutes and optional seconds.
std::optional<QTime> LeggiOraItaliana(const QString& testo);
// A date, then after a blank an optional time; midnight when the time is left out.
std::optional<QDateTime> LeggiDataOraItaliana(const QString& testo, int annoCorrente);

QString FormattaDataItaliana(const QDate& data); // "01/02/2026"
QString FormattaOraItaliana(const QTime& ora);   // "14:30:00"
// "01/02/2026 14:30:00"; the date alone at midnight.
QString FormattaDataOraItaliana(const QDateTime& momento);

} // namespace piattaforma
