// The database client on Firebird: the InterBase-compatible C API of the
// Firebird client library, loaded at run time. A plain path opens the file
// with the in-process engine; "host:path" goes through a server.
#pragma once

#include <memory>
#include <string>

#include "platform/env.hpp"
#include "staging/db_client.hpp"

namespace korvun {

// Attaches as SYSDBA with the given password, character set ISO8859_1 and
// dialect 3. Throws DbError with the server's message.
std::unique_ptr<DbConnection> AttachFirebird(Env& env, const std::string& path,
                                             const std::string& password);

// Creates an empty database file whose SYSDBA has the given password: page
// size 8192, character set ISO8859_1, forced writes off. Throws DbError with
// the server's message, also when the file exists.
void CreateFirebirdDatabase(Env& env, const std::string& path, const std::string& password);

}  // namespace korvun
