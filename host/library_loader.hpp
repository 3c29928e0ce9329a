// Loads the plug-in as a host application does: by path, through the
// platform's library loading, and only through its exports. Both hosts, the
// Linux and the Windows one, bind it here.
#pragma once

#include <string>
#include <type_traits>

#include "include/korvun_zuv.h"

namespace korvun::host {

struct PluginExports {
  VersionInfoFn VersionInfo = nullptr;
  ImportVersionInfoFn ImportVersionInfo = nullptr;
  ExportXMLFn ExportXML = nullptr;
  RegProgrCallbackFn RegProgrCallback = nullptr;
  GetExportErrorMsgFn GetExportErrorMsg = nullptr;
  ApiDataDialogFn ApiDataDialog = nullptr;
  AppVersionCheckFn AppVersionCheck = nullptr;
};

// Looks up every export with the platform's symbol lookup; false and the
// missing name in *error when one is absent.
template <typename Lookup>
bool BindExports(Lookup lookup, PluginExports* x, std::string* error) {
  const auto bind = [&](const char* name, auto* target) {
    *target = reinterpret_cast<std::remove_pointer_t<decltype(target)>>(lookup(name));
    if (!*target) *error = std::string("Export fehlt: ") + name;
    return *target != nullptr;
  };
  return bind("VersionInfo", &x->VersionInfo) && bind("ImportVersionInfo", &x->ImportVersionInfo) &&
         bind("ExportXML", &x->ExportXML) && bind("RegProgrCallback", &x->RegProgrCallback) &&
         bind("GetExportErrorMsg", &x->GetExportErrorMsg) &&
         bind("ApiDataDialog", &x->ApiDataDialog) && bind("AppVersionCheck", &x->AppVersionCheck);
}

class PluginLibrary {
 public:
  // explicitPath empty: beside the program, in ../lib, then in the
  // installed library folder.
  bool Load(const std::string& explicitPath, std::string* error);
  ~PluginLibrary();
  const PluginExports& exports() const { return exports_; }

 private:
  void* handle_ = nullptr;
  PluginExports exports_;
};

}  // namespace korvun::host
