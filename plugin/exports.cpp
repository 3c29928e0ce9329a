// The seven exports the host calls. Nothing thrown inside may cross them.
#include <cstring>
#include <exception>
#include <string>

#include "platform/env.hpp"
#include "platform/ui.hpp"
#include "plugin/export_api.hpp"
#include "plugin/export_run.hpp"
#include "plugin/messages.hpp"
#include "plugin/module_state.hpp"

namespace {

using korvun::Module;

// The run that ExportXML forwards to; installed when the library loads.
using ExportHandlerFn = int32_t (*)(const korvun::ExportArgs&);
ExportHandlerFn ExportHandler = nullptr;

int32_t ZuvExportRun(const korvun::ExportArgs& args) {
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

}  // namespace

extern "C" {

KORVUN_EXPORT int32_t KORVUN_CALL VersionInfo() { return korvun::kInterfaceVersion; }

KORVUN_EXPORT void KORVUN_CALL ImportVersionInfo(unsigned char* version) {
  if (!version) return;
  const size_t n = std::strlen(korvun::kImportVersion);
  version[0] = static_cast<unsigned char>(n);
  std::memcpy(version + 1, korvun::kImportVersion, n);
}

KORVUN_EXPORT int32_t KORVUN_CALL ExportXML(const char* xmlDir, const char* beraterRef,
                                            int32_t reserved, double* lastImportDate,
                                            const char* accessText) {
  try {
    return ExportHandler(korvun::ExportArgs{xmlDir, beraterRef, reserved, lastImportDate, accessText});
  } catch (...) {
    return korvun::kUnexpectedFailure;
  }
}

KORVUN_EXPORT int32_t KORVUN_CALL RegProgrCallback(ProgressCallback callback) {
  Module().reporter.SetCallback(callback);
  return 0;
}

KORVUN_EXPORT int32_t KORVUN_CALL GetExportErrorMsg(int32_t code, char* buffer) {
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

KORVUN_EXPORT int32_t KORVUN_CALL ApiDataDialog(char* login, char* pin, char* extra) {
  if (!login || !pin || !extra) return 2;
  try {
    std::string l = login, p = pin, e = extra;
    // The dialog shows at most 255 characters of login and PIN.
    if (l.size() > 255) l.resize(255);
    if (p.size() > 255) p.resize(255);
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

KORVUN_EXPORT int32_t KORVUN_CALL AppVersionCheck(int32_t hostVersion) {
  return hostVersion >= korvun::kMinimumHostVersion ? 0 : -1;
}

}  // extern "C"
