// Where line-protocol summaries go: standard output ("-", for a collector that
// reads a program's output), a file (whole lines, written out at once), or a
// UDP listener ("udp://HOST:PORT", one datagram per batch of lines).
// Thread-safe: several boards may send through one output.
#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace velqoris {

class LineOutput {
 public:
  virtual ~LineOutput() = default;
  // Opens a target; null with the Japanese reason in `error` when it cannot.
  static std::unique_ptr<LineOutput> Open(const std::string& target, std::string* error);

  // False once a send has failed.
  bool Send(const std::string& lines);
  bool Failed() const;

 protected:
  virtual bool Write(const std::string& lines) = 0;

 private:
  mutable std::mutex mutex_;
  bool failed_ = false;
};

// "udp://HOST:PORT" split; false when the text is not of that form.
bool ParseUdpTarget(const std::string& target, std::string* host, std::string* port);

}  // namespace velqoris
