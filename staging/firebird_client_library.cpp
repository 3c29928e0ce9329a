#include "staging/firebird_client_library.hpp"

#include <initializer_list>

#include "base/strings.hpp"
#include "staging/database_server.hpp"

namespace korvun {
namespace {

constexpr char kFirebirdKey[] = "SOFTWARE\\Firebird Project\\Firebird Server\\Instances";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

}  // namespace

std::vector<std::string> FirebirdClientLibraries(Env::System system) {
  // On Windows the InterBase client first, then Firebird's own.
  if (system == Env::System::kWindows) return {"gds32.dll", "fbclient.dll"};
  return {"libfbclient.so.2", "libfbclient.so"};
}

std::vector<std::string> DatabaseClientFolders(Env& env) {
  std::vector<std::string> folders;
  const auto add = [&folders](const std::string& folder) {
    if (folder.empty()) return;
    const std::string entry = WithBackslash(folder);
    for (const auto& known : folders)
      if (EqualsIgnoreCase(known, entry)) return;
    folders.push_back(entry);
  };
  const auto read = [&env](const char* key, const char* value) {
    std::string text;
    if (env.ReadRegistryString(key, value, &text) != RegistryRead::kString) text.clear();
    return text;
  };
  add(read(kServerRegistryKey, "ServerDirectory"));
  // An installation's root, then its bin: Firebird keeps its client in the
  // root from version 3 on, in bin before.
  for (const std::string& root :
       {read(kServerRegistryKey, "RootDirectory"), read(kFirebirdKey, "DefaultInstance")}) {
    if (root.empty()) continue;
    add(root);
    add(WithBackslash(root) + "bin");
  }
  return folders;
}

void* LoadFirebirdClientLibrary(Env& env, const std::string& name, std::string* error) {
  void* library = env.LoadSharedLibrary(name, error);
  // Only Windows installers record their folders.
  if (library || env.Kind() != Env::System::kWindows) return library;
  for (const auto& folder : DatabaseClientFolders(env)) {
    std::string ignored;
    if ((library = env.LoadSharedLibrary(folder + name, &ignored))) break;
  }
  return library;
}

}  // namespace korvun
