#include "session/Line_output.h"

#include <cstdio>

#include "datafile/Utf8_path.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace velqoris {

namespace {

class StreamOutput final : public LineOutput {
 public:
  StreamOutput(std::FILE* file, bool owned) : file_(file), owned_(owned) {}
  ~StreamOutput() override {
    if (owned_) std::fclose(file_);
  }

 protected:
  bool Write(const std::string& lines) override {
    return std::fwrite(lines.data(), 1, lines.size(), file_) == lines.size() &&
           std::fflush(file_) == 0;
  }

 private:
  std::FILE* file_;
  bool owned_;
};

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
#endif

class UdpOutput final : public LineOutput {
 public:
  explicit UdpOutput(Socket s) : socket_(s) {}
  ~UdpOutput() override { CloseSocket(socket_); }

 protected:
  bool Write(const std::string& lines) override {
    // A datagram the listener drops would fail silently anyway; a local refusal is reported.
    return send(socket_, lines.data(), static_cast<int>(lines.size()), 0) ==
           static_cast<int>(lines.size());
  }

 private:
  Socket socket_;
};

std::unique_ptr<LineOutput> OpenUdp(const std::string& host, const std::string& port,
                                    std::string* error) {
#ifdef _WIN32
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) {
    *error = "ネットワークを使えません";
    return nullptr;
  }
#endif
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
    *error = "送り先が見つかりません: " + host + ":" + port;
    return nullptr;
  }
  Socket s = kNoSocket;
  for (addrinfo* a = found; a != nullptr && s == kNoSocket; a = a->ai_next) {
    s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s != kNoSocket && connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
      CloseSocket(s);
      s = kNoSocket;
    }
  }
  freeaddrinfo(found);
  if (s == kNoSocket) {
    *error = "UDP で送れません: " + host + ":" + port;
    return nullptr;
  }
  return std::make_unique<UdpOutput>(s);
}

}  // namespace

bool ParseUdpTarget(const std::string& target, std::string* host, std::string* port) {
  constexpr std::string_view kScheme = "udp://";
  if (!target.starts_with(kScheme)) return false;
  const std::string rest = target.substr(kScheme.size());
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return false;
  *host = rest.substr(0, colon);
  *port = rest.substr(colon + 1);
  // An IPv6 address comes in brackets.
  if (host->size() > 2 && host->front() == '[' && host->back() == ']')
    *host = host->substr(1, host->size() - 2);
  for (const char c : *port) {
    if (c < '0' || c > '9') return false;
  }
  return port->size() <= 5 && std::stoi(*port) > 0 && std::stoi(*port) < 65536;
}

std::unique_ptr<LineOutput> LineOutput::Open(const std::string& target, std::string* error) {
  if (target == "-") return std::make_unique<StreamOutput>(stdout, false);
  std::string host;
  std::string port;
  if (target.starts_with("udp://")) {
    if (!ParseUdpTarget(target, &host, &port)) {
      *error = "UDP の送り先は udp://HOST:PORT の形で指定します: " + target;
      return nullptr;
    }
    return OpenUdp(host, port, error);
  }
  std::FILE* file = OpenUtf8(target, "wb");
  if (file == nullptr) {
    *error = "ファイルに書き込めませんでした: " + target;
    return nullptr;
  }
  return std::make_unique<StreamOutput>(file, true);
}

bool LineOutput::Send(const std::string& lines) {
  const std::lock_guard lock(mutex_);
  if (failed_) return false;
  if (!Write(lines)) failed_ = true;
  return !failed_;
}

bool LineOutput::Failed() const {
  const std::lock_guard lock(mutex_);
  return failed_;
}

}  // namespace velqoris
