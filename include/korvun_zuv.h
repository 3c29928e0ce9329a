/* The plug-in's seven exports. The library's definitions and every host
   include this one declaration, so the compiler checks that they agree.
   Texts are null-terminated Windows-1252; dates are day counts from
   1899-12-30 with the time of day as fraction. */
#ifndef KORVUN_ZUV_H
#define KORVUN_ZUV_H

#include <stdint.h>

/* The 32-bit Windows host calls with __stdcall; elsewhere the platform's
   default convention holds. */
#if defined(_WIN32) && !defined(_WIN64)
#define KORVUN_ZUV_CALL __stdcall
#else
#define KORVUN_ZUV_CALL
#endif

/* Only the exports leave the shared library; on Windows a .def file names
   them, so no attribute is needed there. */
#if defined(KORVUN_ZUV_BUILDING) && !defined(_WIN32)
#define KORVUN_ZUV_API __attribute__((visibility("default")))
#else
#define KORVUN_ZUV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* kind 1 phase text with a position in percent, 2 position, 3 log text,
   4 status text. */
typedef void(KORVUN_ZUV_CALL* KorvunProgressCallback)(int32_t kind, int32_t value, const char* text);

KORVUN_ZUV_API int32_t KORVUN_ZUV_CALL VersionInfo(void);
KORVUN_ZUV_API void KORVUN_ZUV_CALL ImportVersionInfo(unsigned char* version /* 256 bytes */);
KORVUN_ZUV_API int32_t KORVUN_ZUV_CALL ExportXML(const char* xmlDir, const char* beraterRef,
                                                 int32_t reserved, double* lastImportDate,
                                                 const char* accessText);
KORVUN_ZUV_API int32_t KORVUN_ZUV_CALL RegProgrCallback(KorvunProgressCallback callback);
KORVUN_ZUV_API int32_t KORVUN_ZUV_CALL GetExportErrorMsg(int32_t code, char* buffer /* 1024 bytes */);
KORVUN_ZUV_API int32_t KORVUN_ZUV_CALL ApiDataDialog(char* login /* 128 */, char* pin /* 128 */,
                                                     char* extra /* 4096 */);
KORVUN_ZUV_API int32_t KORVUN_ZUV_CALL AppVersionCheck(int32_t hostVersion);

/* The same functions as a host that loads the library at run time sees them. */
typedef int32_t(KORVUN_ZUV_CALL* VersionInfoFn)(void);
typedef void(KORVUN_ZUV_CALL* ImportVersionInfoFn)(unsigned char* version);
typedef int32_t(KORVUN_ZUV_CALL* ExportXMLFn)(const char* xmlDir, const char* beraterRef,
                                              int32_t reserved, double* lastImportDate,
                                              const char* accessText);
typedef int32_t(KORVUN_ZUV_CALL* RegProgrCallbackFn)(KorvunProgressCallback callback);
typedef int32_t(KORVUN_ZUV_CALL* GetExportErrorMsgFn)(int32_t code, char* buffer);
typedef int32_t(KORVUN_ZUV_CALL* ApiDataDialogFn)(char* login, char* pin, char* extra);
typedef int32_t(KORVUN_ZUV_CALL* AppVersionCheckFn)(int32_t hostVersion);

#ifdef __cplusplus
}
#endif

#endif
