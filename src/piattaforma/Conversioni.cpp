#include "piattaforma/Conversioni.h"

#include "piattaforma/Errori.h"

namespace piattaforma {

qint32 TestoInIntero(const QString& testo) {
    qsizetype inizio = 0;
    while (inizio < testo.size() && testo.at(inizio) == QLatin1Char(' '))
        ++inizio;
    bool ok = false;
    const QStringView cifre = QStringView(testo).mid(inizio);
    const int valore = cifre.toInt(&ok, 10);
    // toInt would take blanks at the end too; the conversion does not.
    if (!ok || cifre.isEmpty() || cifre.back().isSpace())
        throw ErroreConversione(QLatin1Char('\'') + testo + QStringLiteral("' is not a valid integer value"));
    return valore;
}

} // namespace piattaforma
