#pragma once

#include <QString>

namespace fb::client {

// The engine opens a database embedded for one process only in its default mode; several
// processes of one installation (two copies of the program, the demo builder) must share
// the files. The mode is a setting of the client's firebird.conf, so before the client
// starts the program points it (FIREBIRD) at a configuration root of its own: the
// system root's files linked, firebird.conf copied with ServerMode SuperClassic.
// Returns the root in use, empty when it could not be prepared (the system's mode stays).
// It also chooses the engine's lock directory (see CartellaBlocchi).
QString PreparaConfigurazione();

// The lock directory every process sharing a database embedded must meet the others in:
// FIREBIRD_LOCK when the environment names one (a server on this machine holding the same
// files, say), otherwise "firebird-lock" beside the program, made on first use, writable by
// the installation's group. The engine's default (/tmp/firebird) belongs to the server's
// group, which ordinary users are not in. Exported, so the processes this one starts agree.
// Empty when neither can be used: the engine then tries its default and reports why not.
QString ScegliCartellaBlocchi();

} // namespace fb::client
