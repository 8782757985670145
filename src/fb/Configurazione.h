#pragma once

#include <QString>

namespace fb::client {

// The engine opens a database embedded for one process only in its default mode; several
// processes of one installation (two copies of the program, the demo builder) must share
// the files. The mode is a setting of the client's firebird.conf, so before the client
// starts the program points it (FIREBIRD) at a configuration root of its own: the
// system root's files linked, firebird.conf copied with ServerMode SuperClassic.
// Returns the root in use, empty when it could not be prepared (the system's mode stays).
QString PreparaConfigurazione();

} // namespace fb::client
