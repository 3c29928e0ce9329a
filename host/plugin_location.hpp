// What differs between the hosts when they load the plug-in: where it lies
// and how their texts meet Env's Windows-1252.
#pragma once

#include <string>
#include <vector>

namespace korvun::host {

// The plug-in's paths when none is given, in the order to try them, as Env
// takes paths.
std::vector<std::string> DefaultPluginPaths();

// A path as the user gave it, as Env takes paths.
std::string PathForEnv(const std::string& path);

// A text of Env, as the host prints it.
std::string EnvTextForHost(const std::string& text);

}  // namespace korvun::host
