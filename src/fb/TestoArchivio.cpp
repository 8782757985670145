#include "fb/TestoArchivio.h"

#include "fb/Errore.h"
#include "piattaforma/Codifica.h"

#include <QStringList>

namespace fb {

namespace {

// Enough to see what is wrong; a whole paragraph of another alphabet need not be listed.
constexpr qsizetype CaratteriNominati = 10;

QString NomeCarattere(char32_t carattere) {
    // An invisible or half character would show as nothing between the quotes.
    if (QChar::isPrint(carattere) && !QChar::isSurrogate(carattere))
        return QChar(u'«') + QString::fromUcs4(&carattere, 1) + QChar(u'»');
    return QStringLiteral("U+%1")
        .arg(static_cast<uint>(carattere), 4, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

QString TestoNonMemorizzabile(const QString& testo, const QString& campo) {
    const QList<char32_t> fuori = piattaforma::FuoriCp1252(testo);
    if (fuori.isEmpty())
        return {};
    QStringList nomi;
    for (qsizetype i = 0; i < fuori.size() && i < CaratteriNominati; ++i)
        nomi.append(NomeCarattere(fuori[i]));
    if (fuori.size() > CaratteriNominati)
        nomi.append(QStringLiteral("…"));
    const QString chi =
        campo.isEmpty() ? QStringLiteral("L'istruzione") : QStringLiteral("Il campo ") + campo;
    return chi + QStringLiteral(" contiene caratteri che l'archivio non può memorizzare: ") +
           nomi.join(QStringLiteral(", "));
}

QByteArray CodificaPerArchivio(const QString& testo, const QString& campo) {
    QByteArray byte = piattaforma::ACp1252(testo);
    // Only a '?' can hide a character that did not convert.
    if (byte.contains('?')) {
        const QString errore = TestoNonMemorizzabile(testo, campo);
        if (!errore.isEmpty())
            throw EErroreDB(errore);
    }
    return byte;
}

} // namespace fb
