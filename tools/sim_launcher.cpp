#include "tools/sim_launcher.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace korvun::sim {

namespace fs = std::filesystem;

namespace {

std::string MakeTempDir(const char* prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

// One certificate folder per test process: creating keys for every test
// would only cost time.
const std::string& SharedCertDir() {
  static const std::string dir = MakeTempDir("korvun-sim-certs-");
  static const struct Cleanup {
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  } cleanup;
  return dir;
}

bool WaitForExit(pid_t pid, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace

std::string SimulatorProcess::ExecutablePath() {
  if (const char* path = std::getenv("KORVUN_SIM_PATH"); path && *path) return path;
  return KORVUN_SIM_BUILD_PATH;
}

void SimulatorProcess::WriteSampleData(const std::string& dir) {
  fs::create_directories(dir);
  std::ofstream(fs::path(dir) / "bestaende.csv", std::ios::binary)
      << "VERBERNR;VERVOE1;DEPSTNR;INHNACHNAME1;FONISIN;BESTSTK\r\n"
         "12345;678;4711;M\xFCller;DE0008474503;12,5\r\n";
  std::ofstream(fs::path(dir) / "transaktionen.csv", std::ios::binary)
      << "TRAID;VERBERNR;VERVOE1;DEPSTNR;AUFTRAGTYP;TRADAT;TRASTK\r\n"
         "1;12345;678;4711;K;20240102;1,5\r\n";
}

SimulatorProcess::SimulatorProcess(SimulatorOptions options) {
  workDir_ = MakeTempDir("korvun-sim-");
  dataDir_ = options.dataDir;
  if (dataDir_.empty()) {
    dataDir_ = workDir_ + "/data";
    WriteSampleData(dataDir_);
  }
  logFile_ = workDir_ + "/requests.jsonl";
  std::vector<std::string> args = {ExecutablePath(), "--port", "0", "--data", dataDir_,
                                   "--login", options.login, "--pin", options.pin,
                                   "--cert-dir", options.certDir.empty() ? SharedCertDir() : options.certDir,
                                   "--log", logFile_, "--exit-with-parent", "--today-offset",
                                   std::to_string(options.todayOffset)};
  if (!options.script.empty()) {
    const std::string scriptFile = workDir_ + "/script.txt";
    std::ofstream(scriptFile, std::ios::binary) << options.script;
    args.push_back("--script");
    args.push_back(scriptFile);
  }
  args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    close(out[0]);
    pid_ = -1;
    Stop();
    throw std::runtime_error("cannot start " + args[0]);
  }

  // Read "PORT n" and "CA file" within 180 seconds: the simulator builds its
  // archives first, which takes a minute for 100,000 generated customers.
  std::string buffer;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(180);
  while ((port_ == 0 || caFile_.empty()) && std::chrono::steady_clock::now() < end) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    char chunk[512];
    const ssize_t n = read(out[0], chunk, sizeof chunk);
    if (n <= 0) break;
    buffer.append(chunk, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = buffer.find('\n')) != std::string::npos) {
      const std::string line = buffer.substr(0, nl);
      buffer.erase(0, nl + 1);
      if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
      if (line.rfind("CA ", 0) == 0) caFile_ = line.substr(3);
    }
  }
  close(out[0]);
  if (port_ <= 0 || caFile_.empty()) {
    Stop();
    throw std::runtime_error("the simulator did not come up");
  }
}

SimulatorProcess::~SimulatorProcess() { Stop(); }

void SimulatorProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (!WaitForExit(pid_, 10000)) {
      kill(pid_, SIGKILL);
      WaitForExit(pid_, 5000);
    }
    pid_ = -1;
  }
  if (!workDir_.empty()) {
    std::error_code ec;
    fs::remove_all(workDir_, ec);
    workDir_.clear();
  }
}

std::string SimulatorProcess::Url() const {
  return "https://127.0.0.1:" + std::to_string(port_) + "/actionus/aes/onlinedatatransfer";
}

std::vector<std::string> SimulatorProcess::LogLines() const {
  std::vector<std::string> lines;
  std::ifstream in(logFile_, std::ios::binary);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace korvun::sim
