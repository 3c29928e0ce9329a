/* A Windows fbclient.dll for the tests under Wine: each call goes on to the
   Linux client library (libfbclient.so.2) with its embedded engine. Windows
   file names become the Linux names the engine opens. Not shipped. Built
   with KORVUN_BRIDGE_INTERBASE it is a gds32.dll with InterBase's set of
   functions instead (gds32.spec). */
#include <dlfcn.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <windef.h>
#include <winbase.h>
#include <winnls.h>

typedef intptr_t STATUS;
typedef unsigned int HANDLE32;

static void* client;

static void* Symbol(const char* name) {
  if (!client) client = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_GLOBAL);
  return client ? dlsym(client, name) : NULL;
}

/* "C:\dir\file" or "Z:\..." as the Linux path; anything else unchanged. */
static char* UnixName(const char* name, int length) {
  char windows[MAX_PATH * 2];
  WCHAR wide[MAX_PATH * 2];
  char* unixName;
  char* real;
  if (length <= 0) length = (int)strlen(name);
  if (length >= (int)sizeof windows) length = sizeof windows - 1;
  memcpy(windows, name, length);
  windows[length] = 0;
  if (length < 3 || windows[1] != ':' || (windows[2] != '\\' && windows[2] != '/'))
    return strdup(windows);
  MultiByteToWideChar(CP_ACP, 0, windows, -1, wide, MAX_PATH * 2);
  unixName = wine_get_unix_file_name(wide);
  if (!unixName) return strdup(windows);
  /* The engine reads ".../dosdevices/c:/..." as a remote host name. */
  real = realpath(unixName, NULL);
  if (!real) {
    /* A file yet to be created: its folder is real. */
    char* slash = strrchr(unixName, '/');
    char folder[PATH_MAX];
    if (slash && realpath(strndup(unixName, slash - unixName), folder)) {
      real = malloc(strlen(folder) + strlen(slash) + 1);
      strcpy(real, folder);
      strcat(real, slash);
    }
  }
  HeapFree(GetProcessHeap(), 0, unixName);
  return real ? real : strdup(windows);
}

#define FORWARD(name, params, args)            \
  STATUS WINAPI name params {                  \
    typedef STATUS (*Fn) params;               \
    Fn fn = (Fn)Symbol(#name);                 \
    return fn ? fn args : 1;                   \
  }

STATUS WINAPI isc_attach_database(STATUS* st, short length, const char* name, HANDLE32* db,
                                  short dpbLength, const char* dpb) {
  typedef STATUS (*Fn)(STATUS*, short, const char*, HANDLE32*, short, const char*);
  Fn fn = (Fn)Symbol("isc_attach_database");
  char* path = UnixName(name, length);
  STATUS rc = fn ? fn(st, 0, path, db, dpbLength, dpb) : 1;
  free(path);
  return rc;
}

/* CREATE DATABASE 'C:\...': the quoted name becomes the Linux one. */
STATUS WINAPI isc_dsql_execute_immediate(STATUS* st, HANDLE32* db, HANDLE32* tr,
                                         unsigned short length, const char* sql,
                                         unsigned short dialect, void* sqlda) {
  typedef STATUS (*Fn)(STATUS*, HANDLE32*, HANDLE32*, unsigned short, const char*,
                       unsigned short, void*);
  Fn fn = (Fn)Symbol("isc_dsql_execute_immediate");
  const char* open = strchr(sql, '\'');
  const char* close = open ? strchr(open + 1, '\'') : NULL;
  STATUS rc;
  if (strncasecmp(sql, "CREATE DATABASE", 15) == 0 && open && close) {
    char* path = UnixName(open + 1, (int)(close - open - 1));
    char* rewritten = malloc(strlen(sql) + strlen(path) + 1);
    memcpy(rewritten, sql, open + 1 - sql);
    strcpy(rewritten + (open + 1 - sql), path);
    strcat(rewritten, close);
    rc = fn ? fn(st, db, tr, 0, rewritten, dialect, sqlda) : 1;
    free(rewritten);
    free(path);
    return rc;
  }
  return fn ? fn(st, db, tr, length, sql, dialect, sqlda) : 1;
}

FORWARD(isc_detach_database, (STATUS* st, HANDLE32* db), (st, db))
FORWARD(isc_start_multiple, (STATUS* st, HANDLE32* tr, short count, void* teb), (st, tr, count, teb))
FORWARD(isc_commit_transaction, (STATUS* st, HANDLE32* tr), (st, tr))
FORWARD(isc_commit_retaining, (STATUS* st, HANDLE32* tr), (st, tr))
FORWARD(isc_rollback_transaction, (STATUS* st, HANDLE32* tr), (st, tr))
FORWARD(isc_dsql_allocate_statement, (STATUS* st, HANDLE32* db, HANDLE32* stmt), (st, db, stmt))
FORWARD(isc_dsql_prepare,
        (STATUS* st, HANDLE32* tr, HANDLE32* stmt, unsigned short length, const char* sql,
         unsigned short dialect, void* sqlda),
        (st, tr, stmt, length, sql, dialect, sqlda))
FORWARD(isc_dsql_describe, (STATUS* st, HANDLE32* stmt, unsigned short dialect, void* sqlda),
        (st, stmt, dialect, sqlda))
FORWARD(isc_dsql_describe_bind, (STATUS* st, HANDLE32* stmt, unsigned short dialect, void* sqlda),
        (st, stmt, dialect, sqlda))
FORWARD(isc_dsql_execute,
        (STATUS* st, HANDLE32* tr, HANDLE32* stmt, unsigned short dialect, void* sqlda),
        (st, tr, stmt, dialect, sqlda))
FORWARD(isc_dsql_fetch, (STATUS* st, HANDLE32* stmt, unsigned short dialect, void* sqlda),
        (st, stmt, dialect, sqlda))
FORWARD(isc_dsql_free_statement, (STATUS* st, HANDLE32* stmt, unsigned short option),
        (st, stmt, option))
#ifdef KORVUN_BRIDGE_INTERBASE
/* InterBase's client (gds32.dll) has no fb_interpret, only the older call
   without a buffer size. */
STATUS WINAPI isc_interprete(char* buffer, const STATUS** vector) {
  typedef STATUS (*Fn)(char*, const STATUS**);
  Fn fn = (Fn)Symbol("isc_interprete");
  return fn ? fn(buffer, vector) : 0;
}
#else
int WINAPI fb_interpret(char* buffer, unsigned int size, const STATUS** vector) {
  typedef int (*Fn)(char*, unsigned int, const STATUS**);
  Fn fn = (Fn)Symbol("fb_interpret");
  return fn ? fn(buffer, size, vector) : 0;
}
#endif
