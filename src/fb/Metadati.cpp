#include "fb/Metadati.h"

#include "fb/Database.h"
#include "fb/Query.h"

namespace fb {

int LeggiPrecisioneDichiarata(TDatabase& database, const QString& tabella, const QString& colonna) {
    TQuery query(&database, &database.TransazioneLettura());
    query.SQL.Add(QStringLiteral("SELECT F.RDB$FIELD_PRECISION"));
    query.SQL.Add(QStringLiteral("FROM RDB$RELATION_FIELDS R"));
    query.SQL.Add(QStringLiteral("JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE"));
    query.SQL.Add(QStringLiteral("WHERE R.RDB$RELATION_NAME = :TABELLA AND R.RDB$FIELD_NAME = :COLONNA"));
    query.ParamByName(QStringLiteral("TABELLA")).AsString(tabella);
    query.ParamByName(QStringLiteral("COLONNA")).AsString(colonna);
    query.Open();
    const int precisione = query.Eof() ? 0 : query.Fields(0).AsInteger();
    query.Close();
    return precisione;
}

} // namespace fb
