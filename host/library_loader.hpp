// Loads the plug-in as a host application does: by path, with dlopen, and
// only through its exports.
#pragma once

#include <string>

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
