#include "fb/Valori.h"

namespace fb {

QString RaddoppiaApici(const QString& valore) {
    QString risultato = valore;
    risultato.replace(QLatin1Char('\''), QStringLiteral("''"));
    return risultato;
}

QString Quota(const QString& valore) {
    return QLatin1Char('\'') + RaddoppiaApici(valore) + QLatin1Char('\'');
}

QString Quota(qint64 valore) { return Quota(QString::number(valore)); }

// Formatted by hand: these texts are also written while the process exits (the session
// closed when the display went away), when the toolkit's calendars may be gone.
QString TestoData(const QDate& data) {
    if (!data.isValid())
        return {};
    return QString::asprintf("%02d/%02d/%04d", data.month(), data.day(), data.year());
}

QString TestoOra(const QTime& ora) {
    if (!ora.isValid())
        return {};
    return QString::asprintf("%02d:%02d:%02d", ora.hour(), ora.minute(), ora.second());
}

} // namespace fb
