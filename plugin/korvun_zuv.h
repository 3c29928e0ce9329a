/* The plug-in's exports, as a host application declares them.
   Texts are null-terminated Windows-1252; dates are day counts from
   1899-12-30 with the time of day as fraction. */
#ifndef KORVUN_ZUV_H
#define KORVUN_ZUV_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define KORVUN_ZUV_CALL __stdcall
#else
#define KORVUN_ZUV_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void(KORVUN_ZUV_CALL* KorvunProgressCallback)(int32_t kind, int32_t value, const char* text);

typedef int32_t(KORVUN_ZUV_CALL* VersionInfoFn)(void);
typedef void(KORVUN_ZUV_CALL* ImportVersionInfoFn)(unsigned char* version /* 256 bytes */);
typedef int32_t(KORVUN_ZUV_CALL* ExportXMLFn)(const char* xmlDir, const char* beraterRef,
                                              int32_t reserved, double* lastImportDate,
                                              const char* accessText);
typedef int32_t(KORVUN_ZUV_CALL* RegProgrCallbackFn)(KorvunProgressCallback callback);
typedef int32_t(KORVUN_ZUV_CALL* GetExportErrorMsgFn)(int32_t code, char* buffer /* 1024 bytes */);
typedef int32_t(KORVUN_ZUV_CALL* ApiDataDialogFn)(char* login /* 128 */, char* pin /* 128 */,
                                                  char* extra /* 4096 */);
typedef int32_t(KORVUN_ZUV_CALL* AppVersionCheckFn)(int32_t hostVersion);

#ifdef __cplusplus
}
#endif

#endif
