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

QString TestoData(const QDate& data) { return data.toString(QStringLiteral("MM/dd/yyyy")); }

QString TestoOra(const QTime& ora) { return ora.toString(QStringLiteral("hh:mm:ss")); }

} // namespace fb
