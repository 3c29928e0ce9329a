// korvun-zuv-sim: plays the data provider's online data transfer over HTTPS
// on 127.0.0.1 for tests, demos and benchmarks.
#include <httplib.h>

#include <pthread.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <unistd.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "base/program_version.hpp"
#include "tools/sim/sim_archive.hpp"
#include "tools/sim/sim_certs.hpp"
#include "tools/sim/sim_request.hpp"
#include "tools/sim/sim_script.hpp"

namespace fs = std::filesystem;
using namespace korvun::sim;

namespace {

constexpr const char* kEndpoint = "/actionus/aes/onlinedatatransfer";

const char* kHelp =
    "korvun-zuv-sim - simulates the fund bank's online data transfer over HTTPS\n"
    "\n"
    "Usage: korvun-zuv-sim --data DIR [options]\n"
    "\n"
    "Serves GET " "/actionus/aes/onlinedatatransfer?params=... on 127.0.0.1. Each request is\n"
    "decoded and checked; a good one gets a ZIP archive of DIR/bestaende.csv or\n"
    "DIR/transaktionen.csv, made on the fly.\n"
    "\n"
    "Options:\n"
    "  --port N          port to listen on; 0 (default) picks a free one\n"
    "  --data DIR        folder with bestaende.csv and transaktionen.csv (required)\n"
    "  --login ID        accepted login ID (default ZUVTEST)\n"
    "  --pin PIN         accepted PIN (default geheim)\n"
    "  --cert-dir DIR    CA and server certificate; created when missing\n"
    "                    (default ./korvun-zuv-sim-certs)\n"
    "  --script FILE     scripted answers, one line per request (see below)\n"
    "  --log FILE        one JSON line per request (PIN masked)\n"
    "  --today-offset N  the simulator's today is the local date plus N days\n"
    "  --exit-with-parent  stop when the starting process ends (Linux; for tests)\n"
    "  --help            this text\n"
    "  --version         program and version\n"
    "\n"
    "On start it prints \"PORT <n>\" and \"CA <file>\" on stdout; clients trust the\n"
    "CA file (e.g. SSL_CERT_FILE=<file>). SIGTERM or SIGINT stop it.\n"
    "\n"
    "Script lines (one per request, in order; afterwards normal answers):\n"
    "  ok | status N | answer TEXT | today +N | empty | short | nolength |\n"
    "  stall N | drip N | delay N | notzip | nocsv | subfolder | pad N | body FILE |\n"
    "  redirect\n"
    "  several on one line separated by \" | \"; \"#\" starts a comment line.\n"
    "  status: HTTP status N; answer: TEXT as the body (\"Fehler 30 - ...\");\n"
    "  today: judge the timestamp against today shifted by N days; empty: empty\n"
    "  body; short: body shorter than its Content-Length; nolength: no\n"
    "  Content-Length; stall: half the body, N seconds nothing, the rest; drip:\n"
    "  the first N bytes one a second, then the rest; delay:\n"
    "  N seconds before the answer; notzip: a body that is no archive; nocsv: an\n"
    "  archive without CSV entries; subfolder: CSV entries inside a folder;\n"
    "  pad: an extra stored entry of N random bytes; body: FILE's bytes;\n"
    "  redirect: 302 back to the same address.\n";

struct Options {
  int port = 0;
  std::string dataDir;
  std::string login = "ZUVTEST";
  std::string pin = "geheim";
  std::string certDir = "korvun-zuv-sim-certs";
  std::string scriptFile;
  std::string logFile;
  int todayOffset = 0;
  bool exitWithParent = false;
};

std::mutex gStopMutex;
std::condition_variable gStopCv;
bool gStopping = false;

// Sleeps, but ends early when the server stops.
void InterruptibleWait(int seconds) {
  std::unique_lock<std::mutex> lock(gStopMutex);
  gStopCv.wait_for(lock, std::chrono::seconds(seconds), [] { return gStopping; });
}

std::string Ymd(int shiftDays) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_mday += shiftDays;
  local.tm_hour = 12;  // away from daylight-saving edges
  std::mktime(&local);
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      // Bytes as Latin-1 code points: the request texts are Windows-1252.
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

class RequestLog {
 public:
  explicit RequestLog(const std::string& path) {
    if (!path.empty()) out_.open(path, std::ios::app | std::ios::binary);
  }
  void Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!out_.is_open()) return;
    out_ << line << '\n';
    out_.flush();
  }

 private:
  std::mutex mutex_;
  std::ofstream out_;
};

bool ReadFile(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

std::time_t FileTime(const fs::path& path) {
  std::error_code ec;
  const auto t = fs::last_write_time(path, ec);
  if (ec) return 0;
  return std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(t));
}

struct Answer {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain; charset=ISO-8859-1";
  std::string what;  // for the log
};

Answer FehlerAnswer(const std::string& text) {
  Answer a;
  a.body = text;
  a.what = text;
  return a;
}

class Simulator {
 public:
  Simulator(Options options, Script* script, RequestLog* log)
      : options_(std::move(options)), script_(script), log_(log) {}

  void Handle(const httplib::Request& req, httplib::Response& res) {
    const Directive d = script_->Next();
    const int seq = ++sequence_;
    if (d.delaySeconds > 0) InterruptibleWait(d.delaySeconds);

    std::ostringstream entry;
    entry << "{\"seq\":" << seq << ",\"script\":" << Json(d.source);
    std::string decodeError;
    std::optional<DecodedRequest> request;
    if (const auto raw = RawParamsValue(req.target)) request = DecodeParams(*raw, &decodeError);
    else decodeError = "no params parameter";
    const std::string today = Ymd(options_.todayOffset + d.todayShift);
    if (request) {
      entry << ",\"decoded\":true,\"file\":" << Json(request->file)
            << ",\"loginid\":" << Json(request->loginId) << ",\"pin\":\"****\""
            << ",\"pinOk\":" << (request->pin == options_.pin ? "true" : "false")
            << ",\"version\":" << Json(request->version)
            << ",\"startdate\":" << (request->startDate ? Json(*request->startDate) : "null")
            << ",\"timestamp\":" << Json(request->timestamp) << ",\"salt\":" << Json(request->salt)
            << ",\"iv\":" << Json(request->iv);
    } else {
      entry << ",\"decoded\":false,\"error\":" << Json(decodeError);
    }
    entry << ",\"today\":" << Json(today);

    if (d.redirect) {
      entry << ",\"status\":302,\"answer\":\"redirect\"}";
      log_->Write(entry.str());
      res.status = 302;
      res.set_header("Location", req.target);
      res.set_content("Verschoben\r\n", "text/plain");
      return;
    }
    Answer answer = Decide(d, request, today);
    entry << ",\"status\":" << answer.status << ",\"answer\":" << Json(answer.what)
          << ",\"bytes\":" << answer.body.size() << "}";
    log_->Write(entry.str());
    Deliver(d, std::move(answer), res);
  }

 private:
  Answer Decide(const Directive& d, const std::optional<DecodedRequest>& request,
                const std::string& today) {
    Answer a;
    if (d.status) {
      a.status = *d.status;
      a.body = "Simulierter HTTP-Status " + std::to_string(*d.status) + "\r\n";
      a.what = "status";
      return a;
    }
    if (d.answer) return FehlerAnswer(*d.answer);
    if (d.empty) {
      a.what = "empty";
      return a;
    }
    if (d.notZip) {
      a.contentType = "application/zip";
      for (int i = 0; i < 64; ++i) a.body += "Dies ist keine ZIP-Datei.\r\n";
      a.what = "notzip";
      return a;
    }
    if (!d.bodyFile.empty()) {
      a.contentType = "application/zip";
      if (!ReadFile(d.bodyFile, &a.body)) {
        a.status = 500;
        a.body = "cannot read " + d.bodyFile;
      }
      a.what = "body " + d.bodyFile;
      return a;
    }
    if (!request) return FehlerAnswer("Fehler 99 - Anfrage nicht lesbar");
    if (request->version != "2.2")
      return FehlerAnswer("Fehler 40 - Schnittstellenversion " + request->version + " veraltet");
    if (request->file != "bestaende" && request->file != "transaktionen")
      return FehlerAnswer("Fehler 50 - Unbekannte Datei " + request->file);
    if (request->loginId != options_.login || request->pin != options_.pin)
      return FehlerAnswer("Fehler 10 - Login-ID oder PIN ung\xFCltig");
    if (request->timestamp != today)
      return FehlerAnswer("Fehler 20 - Zeitstempel " + request->timestamp + " ung\xFCltig");
    return ArchiveAnswer(d, request->file);
  }

 public:
  // A provider prepares its export files ahead of the requests: the plain
  // archive of a data file is built once and served again while the file
  // stays the same.
  void PrepareArchives() {
    for (const char* file : {"bestaende", "transaktionen"}) {
      if (fs::exists(fs::path(options_.dataDir) / (std::string(file) + ".csv")))
        ArchiveAnswer(Directive{}, file);
    }
  }

 private:
  Answer ArchiveAnswer(const Directive& d, const std::string& file) {
    const bool plain = !d.subfolder && !d.noCsv && d.padBytes == 0;
    const fs::path csv = fs::path(options_.dataDir) / (file + ".csv");
    std::error_code ec;
    const auto size = fs::file_size(csv, ec);
    const auto mtime = fs::last_write_time(csv, ec);
    if (plain && !ec) {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      const auto it = cache_.find(file);
      if (it != cache_.end() && it->second.size == size && it->second.mtime == mtime) {
        Answer a;
        a.body = it->second.zip;
        a.contentType = "application/zip";
        a.what = "zip";
        return a;
      }
    }
    Answer a = BuildArchiveAnswer(d, file);
    if (plain && !ec && a.what == "zip") {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      cache_[file] = CachedArchive{size, mtime, a.body};
    }
    return a;
  }

  Answer BuildArchiveAnswer(const Directive& d, const std::string& file) {
    Answer a;
    std::vector<ArchiveEntry> entries;
    const std::string folder = d.subfolder ? "export/daten/" : "";
    if (d.noCsv) {
      entries.push_back({folder + "liesmich.txt", "Keine Daten.\r\n", 0, false});
    } else {
      const fs::path csv = fs::path(options_.dataDir) / (file + ".csv");
      ArchiveEntry entry;
      entry.name = folder + file + ".csv";
      entry.mtime = FileTime(csv);
      if (!ReadFile(csv, &entry.data)) {
        a.status = 500;
        a.body = "missing " + csv.string() + "\r\n";
        a.what = "missing data file";
        return a;
      }
      entries.push_back(std::move(entry));
    }
    if (d.padBytes > 0) {
      ArchiveEntry pad;
      pad.name = "fuellung.bin";
      pad.store = true;
      pad.data.resize(d.padBytes);
      std::mt19937 random(static_cast<unsigned>(d.padBytes));
      for (char& c : pad.data) c = static_cast<char>(random());
      entries.push_back(std::move(pad));
    }
    std::string error;
    auto zip = BuildZip(entries, &error);
    if (!zip) {
      a.status = 500;
      a.body = error;
      a.what = "zip failed";
      return a;
    }
    a.body = std::move(*zip);
    a.contentType = "application/zip";
    a.what = "zip";
    return a;
  }

  static void Deliver(const Directive& d, Answer answer, httplib::Response& res) {
    res.status = answer.status;
    auto body = std::make_shared<std::string>(std::move(answer.body));
    if (d.noLength) {
      res.set_chunked_content_provider(
          answer.contentType, [body, d](size_t offset, httplib::DataSink& sink) {
            if (offset == 0 && d.stallSeconds > 0 && !body->empty()) {
              const size_t half = body->size() / 2;
              if (!sink.write(body->data(), half)) return false;
              InterruptibleWait(d.stallSeconds);
              offset = half;
            }
            if (offset < body->size() && !sink.write(body->data() + offset, body->size() - offset))
              return false;
            sink.done();
            return true;
          });
      return;
    }
    if (!d.shortBody && d.stallSeconds <= 0 && d.dripBytes <= 0) {
      res.set_content(*body, answer.contentType.c_str());
      return;
    }
    res.set_content_provider(
        body->size(), answer.contentType,
        [body, d](size_t offset, size_t, httplib::DataSink& sink) {
          if (offset < static_cast<size_t>(d.dripBytes)) {
            if (!sink.write(body->data() + offset, 1)) return false;
            InterruptibleWait(1);
            return true;
          }
          const size_t half = body->size() / 2;
          if (offset == 0 && (d.shortBody || d.stallSeconds > 0)) {
            if (!sink.write(body->data(), half)) return false;
            if (d.shortBody) return false;  // the connection ends early
            InterruptibleWait(d.stallSeconds);
            return true;
          }
          return sink.write(body->data() + offset, body->size() - offset);
        });
  }

  struct CachedArchive {
    std::uintmax_t size = 0;
    fs::file_time_type mtime;
    std::string zip;
  };

  Options options_;
  Script* script_;
  RequestLog* log_;
  std::atomic<int> sequence_{0};
  std::mutex cacheMutex_;
  std::map<std::string, CachedArchive> cache_;
};

bool ParseArgs(int argc, char** argv, Options* options, bool* help) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      *help = true;
    } else if (arg == "--version") {
      korvun::PrintProgramVersion("korvun-zuv-sim");
      std::exit(0);
    } else if (arg == "--port" && value(&v)) {
      options->port = std::stoi(v);
    } else if (arg == "--today-offset" && value(&v)) {
      options->todayOffset = std::stoi(v);
    } else if (arg == "--exit-with-parent") {
      options->exitWithParent = true;
    } else if (arg == "--data" && value(&options->dataDir)) {
    } else if (arg == "--login" && value(&options->login)) {
    } else if (arg == "--pin" && value(&options->pin)) {
    } else if (arg == "--cert-dir" && value(&options->certDir)) {
    } else if (arg == "--script" && value(&options->scriptFile)) {
    } else if (arg == "--log" && value(&options->logFile)) {
    } else {
      std::cerr << "korvun-zuv-sim: unknown or incomplete option " << arg << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  try {
    if (!ParseArgs(argc, argv, &options, &help)) return 2;
  } catch (const std::exception&) {
    std::cerr << "korvun-zuv-sim: bad number in options\n";
    return 2;
  }
  if (help) {
    std::cout << kHelp;
    return 0;
  }
  if (options.dataDir.empty()) {
    std::cerr << "korvun-zuv-sim: --data DIR is required (see --help)\n";
    return 2;
  }

  Script script;
  std::string error;
  if (!options.scriptFile.empty() && !script.Load(options.scriptFile, &error)) {
    std::cerr << "korvun-zuv-sim: " << error << "\n";
    return 2;
  }
  CertificateFiles certs;
  if (!EnsureCertificates(options.certDir, &certs, &error)) {
    std::cerr << "korvun-zuv-sim: " << error << "\n";
    return 1;
  }

  // Stop signals are taken by one thread only, so none lands in a worker.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
#ifdef __linux__
  // A test that crashes must not leave its simulator behind.
  if (options.exitWithParent) {
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) return 1;
  }
#endif
  signal(SIGPIPE, SIG_IGN);

  httplib::SSLServer server(certs.serverCert.c_str(), certs.serverKey.c_str());
  if (!server.is_valid()) {
    std::cerr << "korvun-zuv-sim: cannot set up TLS with " << certs.serverCert << "\n";
    return 1;
  }
  RequestLog log(options.logFile);
  Simulator simulator(options, &script, &log);
  simulator.PrepareArchives();
  server.Get(kEndpoint, [&](const httplib::Request& req, httplib::Response& res) {
    simulator.Handle(req, res);
  });

  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "korvun-zuv-sim: cannot listen on 127.0.0.1:" << options.port << "\n";
    return 1;
  }
  std::cout << "PORT " << port << "\n" << "CA " << certs.caCert << "\n" << std::flush;

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    {
      std::lock_guard<std::mutex> lock(gStopMutex);
      gStopping = true;
    }
    gStopCv.notify_all();
    server.stop();
  });
  server.listen_after_bind();
  // listen ended without a signal (should not happen): let the stopper go.
  {
    std::lock_guard<std::mutex> lock(gStopMutex);
    if (!gStopping) pthread_kill(stopper.native_handle(), SIGTERM);
  }
  stopper.join();
  return 0;
}
