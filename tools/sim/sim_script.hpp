// Scripted faults: one line per request, in order; when the lines are used
// up every further request is answered normally.
//
//   ok                 normal answer
//   status N           HTTP status N with a short text body
//   answer TEXT        200 with TEXT as the body, e.g. "answer Fehler 30 - Wartung"
//   today +N / -N      judge the timestamp against today shifted by N days
//   empty              200 with an empty body
//   short              announces the full length, sends half and closes
//   nolength           no Content-Length (chunked transfer)
//   stall N            sends half the body, waits N seconds, sends the rest
//   drip N             sends the first N bytes one a second, then the rest
//   delay N            waits N seconds before answering at all
//   notzip             a body that is no ZIP archive
//   nocsv              a ZIP archive without CSV entries
//   subfolder          the CSV entries inside a folder of the archive
//   pad N              adds a stored entry of N random bytes to the archive
//   body FILE          the bytes of FILE as the body
//   redirect           302 to the same address (the next line answers it)
//
// Several directives on one line are separated by " | ". "#" starts a comment.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korvun::sim {

struct Directive {
  std::optional<int> status;
  std::optional<std::string> answer;
  int todayShift = 0;
  bool empty = false;
  bool shortBody = false;
  bool noLength = false;
  int stallSeconds = 0;
  int dripBytes = 0;
  int delaySeconds = 0;
  bool notZip = false;
  bool noCsv = false;
  bool subfolder = false;
  std::size_t padBytes = 0;
  std::string bodyFile;
  bool redirect = false;
  std::string source;  // the script line, for the request log
};

// Parses one line; false and *error for an unknown directive.
bool ParseDirective(const std::string& line, Directive* directive, std::string* error);

class Script {
 public:
  // Reads FILE; false and *error when it cannot be read or parsed.
  bool Load(const std::string& path, std::string* error);
  // The directive for the next request.
  Directive Next();

 private:
  std::mutex mutex_;
  std::vector<Directive> lines_;
  std::size_t next_ = 0;
};

}  // namespace korvun::sim
