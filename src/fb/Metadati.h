#pragma once

#include <QString>

namespace fb {

class TDatabase;

// The precision a NUMERIC or DECIMAL column was declared with (the 15 of NUMERIC(15,2)),
// from the system tables, read in the connection's reading transaction; 0 when the column
// is not there or declares none. A statement's description gives only what the storage
// holds (18 digits for both NUMERIC(15,2) and NUMERIC(18,2)), and the engine itself accepts
// any value that fits the storage.
int LeggiPrecisioneDichiarata(TDatabase& database, const QString& tabella, const QString& colonna);

} // namespace fb
