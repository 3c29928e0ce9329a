// The Firebird client library's C functions, resolved at run time so that the
// plug-in loads (and answers its versions) also where no client is installed.
#pragma once

#include <ibase.h>

#include <string>

#include "platform/env.hpp"

namespace korvun {

// InterBase's message function: the next message into a buffer whose size
// it is not told. Declared here, as Firebird's header marks it deprecated.
using InterpreteFunction = ISC_LONG(ISC_EXPORT*)(ISC_SCHAR* buffer, ISC_STATUS** status);

struct FirebirdApi {
  decltype(&isc_attach_database) attach_database = nullptr;
  decltype(&isc_detach_database) detach_database = nullptr;
  decltype(&isc_start_multiple) start_multiple = nullptr;
  decltype(&isc_commit_transaction) commit_transaction = nullptr;
  decltype(&isc_commit_retaining) commit_retaining = nullptr;
  decltype(&isc_rollback_transaction) rollback_transaction = nullptr;
  decltype(&isc_dsql_execute_immediate) dsql_execute_immediate = nullptr;
  decltype(&isc_dsql_allocate_statement) dsql_allocate_statement = nullptr;
  decltype(&isc_dsql_prepare) dsql_prepare = nullptr;
  decltype(&isc_dsql_describe) dsql_describe = nullptr;
  decltype(&isc_dsql_describe_bind) dsql_describe_bind = nullptr;
  decltype(&isc_dsql_execute) dsql_execute = nullptr;
  decltype(&isc_dsql_fetch) dsql_fetch = nullptr;
  decltype(&isc_dsql_free_statement) dsql_free_statement = nullptr;
  // Firebird's client has fb_interpret; InterBase's only isc_interprete.
  decltype(&fb_interpret) interpret = nullptr;
  InterpreteFunction interprete = nullptr;
};

// Loads the client library through env and looks up its functions. A
// library that lacks one is released and the next name tried. Throws DbError
// naming what each name lacked when none will do.
FirebirdApi ResolveFirebirdApi(Env& env);

// The process-wide client, loaded on first use and kept loaded (the client
// library does not support being unloaded while its engine threads run).
// Throws DbError when the library or one of its functions is missing.
const FirebirdApi& LoadFirebirdApi(Env& env);

// The message texts of a failed call's status vector, one line each.
std::string FirebirdStatusText(const FirebirdApi& api, const ISC_STATUS* status);

}  // namespace korvun
