#include "fb/Errore.h"

namespace fb {

EErroreDB::EErroreDB(const QString& messaggio, QVector<long> codici, int sqlCode, QString sqlState)
    : std::runtime_error(messaggio.toStdString()), messaggio_(messaggio), codici_(std::move(codici)),
      sqlCode_(sqlCode), sqlState_(std::move(sqlState)) {}

} // namespace fb
