#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace piattaforma {

// Windows-1252 is the single-byte code page of the whole suite: database texts and
// profile files are stored in it.

// Characters outside the code page become '?', one per character.
QByteArray ACp1252(const QString& testo);

// The characters ACp1252 would turn into '?', each once, in the order they first appear;
// empty when the text converts whole. A lone surrogate counts as a character.
QList<char32_t> FuoriCp1252(const QString& testo);

// Never fails: the five bytes Windows leaves undefined map to the C1 control with the
// same value, so every byte sequence converts back unchanged.
QString DaCp1252(QByteArrayView byte);

} // namespace piattaforma
