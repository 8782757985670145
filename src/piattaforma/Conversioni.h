#pragma once

#include <QString>

namespace piattaforma {

// A text as a 32-bit integer: leading blanks, a sign and decimal digits; anything else,
// the empty text included, raises ErroreConversione.
qint32 TestoInIntero(const QString& testo);

} // namespace piattaforma
