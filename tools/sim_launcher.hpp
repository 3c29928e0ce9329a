// Starts korvun-zuv-sim for a test and stops it again. Usable from any test
// folder: link korvun_sim_launcher.
//
//   korvun::sim::SimulatorProcess sim({.script = "status 503\n"});
//   setenv("SSL_CERT_FILE", sim.CaFile().c_str(), 1);
//   ... request sim.Url() + "?params=" + encoded ...
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace korvun::sim {

struct SimulatorOptions {
  std::string dataDir;   // empty: a temporary folder with two small CSV files
  std::string certDir;   // empty: a certificate folder shared by this process
  std::string login = "ZUVTEST";
  std::string pin = "geheim";
  std::string script;    // script text (see korvun-zuv-sim --help); empty: none
  int todayOffset = 0;
  std::vector<std::string> extraArgs;
};

class SimulatorProcess {
 public:
  // Starts the simulator on a free port and waits for its PORT and CA lines.
  // Throws std::runtime_error when it does not come up.
  explicit SimulatorProcess(SimulatorOptions options = {});
  // SIGTERM, then waits (SIGKILL after 10 seconds); removes its temp folder.
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  int Port() const { return port_; }
  const std::string& CaFile() const { return caFile_; }
  // https://127.0.0.1:<port>/actionus/aes/onlinedatatransfer
  std::string Url() const;
  const std::string& DataDir() const { return dataDir_; }
  const std::string& LogFile() const { return logFile_; }
  // The JSON lines logged so far, one per request.
  std::vector<std::string> LogLines() const;

  // Path of the simulator executable.
  static std::string ExecutablePath();
  // Writes small "bestaende.csv" and "transaktionen.csv" files into dir.
  static void WriteSampleData(const std::string& dir);

 private:
  void Stop();

  std::string workDir_;
  std::string dataDir_;
  std::string logFile_;
  std::string caFile_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace korvun::sim
