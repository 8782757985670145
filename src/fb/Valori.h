#pragma once

// How values are written into statements: every value between single quotes, numbers
// included, with any single quote inside it doubled so that a name like D'Angelo works;
// dates as mm/dd/yyyy and times as hh:nn:ss (24 hours); flags set as "1".

#include <QDate>
#include <QString>
#include <QTime>

namespace fb {

// "'" + value with its quotes doubled + "'".
QString Quota(const QString& valore);
QString Quota(qint64 valore);
// The value alone with its quotes doubled, for callers that place the quotes themselves.
QString RaddoppiaApici(const QString& valore);

QString TestoData(const QDate& data); // "mm/dd/yyyy"
QString TestoOra(const QTime& ora);   // "hh:nn:ss"

inline const QString FlagImpostato = QStringLiteral("1");
inline bool FlagAttivo(const QString& valore) { return valore == FlagImpostato; }

} // namespace fb
