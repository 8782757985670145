#pragma once

// The databases keep text in Windows-1252. A character it has no byte for would reach the
// database as '?', so such a text is refused before anything is sent.

#include <QByteArray>
#include <QString>

namespace fb {

// The message that refuses the text, naming the field (the statement when no field is given)
// and the characters; empty when the text can be stored.
QString TestoNonMemorizzabile(const QString& testo, const QString& campo = {});

// The text as the databases store it; raises EErroreDB with the message above when it
// cannot be stored.
QByteArray CodificaPerArchivio(const QString& testo, const QString& campo = {});

} // namespace fb
