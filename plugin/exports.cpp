// The seven exports the host calls. Nothing thrown inside may cross them.
#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

#include "base/product.hpp"
#include "include/korvun_zuv.h"
#include "platform/env.hpp"
#include "platform/ui.hpp"
#include "plugin/export_run.hpp"
#include "plugin/host_progress.hpp"
#include "plugin/messages.hpp"
#include "plugin/module_state.hpp"

// The pointer types a host loads the exports with match the definitions.
static_assert(std::is_same_v<decltype(&VersionInfo), VersionInfoFn>);
static_assert(std::is_same_v<decltype(&ImportVersionInfo), ImportVersionInfoFn>);
static_assert(std::is_same_v<decltype(&ExportXML), ExportXMLFn>);
static_assert(std::is_same_v<decltype(&RegProgrCallback), RegProgrCallbackFn>);
static_assert(std::is_same_v<decltype(&GetExportErrorMsg), GetExportErrorMsgFn>);
static_assert(std::is_same_v<decltype(&ApiDataDialog), ApiDataDialogFn>);
static_assert(std::is_same_v<decltype(&AppVersionCheck), AppVersionCheckFn>);

namespace {

using korvun::Module;

// The run that ExportXML forwards to; installed when the library loads.
using ExportHandlerFn = korvun::ExportErrorCode (*)(const korvun::ExportArgs&);
ExportHandlerFn ExportHandler = nullptr;

korvun::ExportErrorCode ZuvExportRun(const korvun::ExportArgs& args) {
  return korvun::RunExportGuarded(korvun::Env::Default(), korvun::ProcessUi(), Module(),
                                  korvun::ProductionStages(), args);
}

struct LoadTimeSetup {
  LoadTimeSetup() {
    Module();  // the module state exists before any call
    ExportHandler = ZuvExportRun;
  }
} loadTimeSetup;

void CopyCut(char* target, const std::string& text, size_t maxChars) {
  const size_t n = text.size() < maxChars ? text.size() : maxChars;
  std::memcpy(target, text.data(), n);
  target[n] = '\0';
}

// The dialog shows at most this many characters of login and PIN.
constexpr size_t kDialogFieldChars = 255;

}  // namespace

extern "C" {

int32_t KORVUN_ZUV_CALL VersionInfo(void) { return korvun::kInterfaceVersion; }

void KORVUN_ZUV_CALL ImportVersionInfo(unsigned char* version) {
  if (!version) return;
  const size_t n = std::strlen(korvun::kImportVersion);
  version[0] = static_cast<unsigned char>(n);
  std::memcpy(version + 1, korvun::kImportVersion, n);
}

int32_t KORVUN_ZUV_CALL ExportXML(const char* xmlDir, const char* beraterRef, int32_t reserved,
                                  double* lastImportDate, const char* accessText) {
  try {
    return korvun::CodeValue(
        ExportHandler(korvun::ExportArgs{xmlDir, beraterRef, reserved, lastImportDate, accessText}));
  } catch (...) {
    return korvun::CodeValue(korvun::ExportErrorCode::kUnexpectedFailure);
  }
}

int32_t KORVUN_ZUV_CALL RegProgrCallback(KorvunProgressCallback callback) {
  if (callback)
    Module().reporter.SetCallback(korvun::HostProgressSink(callback, &Module().hostLeftRun));
  else
    Module().reporter.SetCallback(nullptr);
  return 0;
}

int32_t KORVUN_ZUV_CALL GetExportErrorMsg(int32_t code, char* buffer) {
  if (!buffer) return -1;
  try {
    const korvun::LocalTime now = korvun::Env::Default().Now();
    const auto message =
        korvun::ErrorMessage(code, Module().errors, korvun::CivilDate{now.year, now.month, now.day});
    if (!message) return -1;
    CopyCut(buffer, *message, korvun::kMaxMessageBytes - 1);
    return 0;
  } catch (...) {
    return -1;
  }
}

int32_t KORVUN_ZUV_CALL ApiDataDialog(char* login, char* pin, char* extra) {
  if (!login || !pin || !extra) return 2;
  try {
    std::string l = login, p = pin, e = extra;
    if (l.size() > kDialogFieldChars) l.resize(kDialogFieldChars);
    if (p.size() > kDialogFieldChars) p.resize(kDialogFieldChars);
    const int result = korvun::ProcessUi().EditAccessData(korvun::kImportVersion, &l, &p, &e);
    if (result != 1) return 2;
    CopyCut(login, l, 127);
    CopyCut(pin, p, 127);
    CopyCut(extra, e, 4095);
    return 1;
  } catch (...) {
    return 2;
  }
}

int32_t KORVUN_ZUV_CALL AppVersionCheck(int32_t hostVersion) {
  return hostVersion >= korvun::kMinimumHostVersion ? 0 : -1;
}

}  // extern "C"
