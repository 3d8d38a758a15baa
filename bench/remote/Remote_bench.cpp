// The remote control end to end on loopback: velqoris-cli serve on the
// virtual board as a child process, a plain socket client. *IDN? round trip
// (median), FETCh:CODE? of 2 × 10000 int32 blocks, READ? of 10000 × 2 at
// 4800 sps against the 2.083 s the data take, and the server's CPU while idle.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

class Server {
 public:
  Server() {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      execl(VELQORIS_CLI, VELQORIS_CLI, "serve", "--virtual", "--port", "0", nullptr);
      _exit(127);
    }
    close(out[1]);
    FILE* f = fdopen(out[0], "r");
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr) {
      const std::string s = line;
      if (s.rfind("TCPIP::", 0) == 0) {
        port_ = std::stoi(s.substr(s.find("::", 7) + 2));
        break;
      }
    }
    if (port_ == 0) throw std::runtime_error("no port");
  }
  ~Server() {
    kill(pid_, SIGINT);
    waitpid(pid_, nullptr, 0);
  }
  int Port() const { return port_; }
  // The child's CPU time (user + system) in seconds.
  double CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string f;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
      if (i == 14 || i == 15) ticks += std::stod(f);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
  }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
};

Server& TheServer() {
  static Server server;
  return server;
}

class Client {
 public:
  explicit Client(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
      throw std::runtime_error("connect");
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~Client() { close(fd_); }
  void Send(const std::string& s) {
    if (write(fd_, s.data(), s.size()) != static_cast<ssize_t>(s.size()))
      throw std::runtime_error("write");
  }
  std::string Line() {
    while (true) {
      const auto end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      Fill();
    }
  }
  // One definite-length block and its line end; its byte count.
  std::size_t Block() {
    while (buffer_.size() < 2) Fill();
    const std::size_t digits = static_cast<std::size_t>(buffer_[1] - '0');
    while (buffer_.size() < 2 + digits) Fill();
    const std::size_t length = std::stoul(buffer_.substr(2, digits));
    while (buffer_.size() < 2 + digits + length + 1) Fill();
    buffer_.erase(0, 2 + digits + length + 1);
    return length;
  }
  std::string Ask(const std::string& q) {
    Send(q + "\n");
    return Line();
  }

 private:
  void Fill() {
    char chunk[65536];
    const ssize_t n = read(fd_, chunk, sizeof chunk);
    if (n <= 0) throw std::runtime_error("closed");
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
  int fd_ = -1;
  std::string buffer_;
};

void BM_IdnRoundTrip(benchmark::State& state) {
  Client c(TheServer().Port());
  std::vector<double> times;
  for (auto _ : state) {
    const auto t = Clock::now();
    benchmark::DoNotOptimize(c.Ask("*IDN?"));
    times.push_back(Ms(Clock::now() - t));
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  state.counters["median_ms"] = times[times.size() / 2];
}
BENCHMARK(BM_IdnRoundTrip)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_FetchCodes2x10000(benchmark::State& state) {
  Client c(TheServer().Port());
  c.Ask("SAMP:RATE 4800;COUN 10000;:ROUT:CHAN 2;:FORM INT,32;:INIT;*OPC?");
  for (auto _ : state) {
    c.Send("FETC:CODE? CH0\nFETC:CODE? CH1\n");
    if (c.Block() + c.Block() != 80000) state.SkipWithError("short block");
  }
}
BENCHMARK(BM_FetchCodes2x10000)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_Read10000x2At4800(benchmark::State& state) {
  Client c(TheServer().Port());
  c.Ask("SAMP:RATE 4800;COUN 10000;:ROUT:CHAN 2;*OPC?");
  double ratio = 0;
  for (auto _ : state) {
    const auto t = Clock::now();
    const std::string values = c.Ask("READ?");
    ratio = Ms(Clock::now() - t) / (10000.0 / 4800 * 1000);
    if (std::count(values.begin(), values.end(), ',') != 19999) state.SkipWithError("short answer");
  }
  state.counters["of_data_time"] = ratio;
}
BENCHMARK(BM_Read10000x2At4800)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ServerIdleCpu(benchmark::State& state) {
  Client c(TheServer().Port());
  c.Ask("*OPC?");
  double percent = 0;
  for (auto _ : state) {
    const double before = TheServer().CpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    percent = (TheServer().CpuSeconds() - before) / 5 * 100;
  }
  state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_ServerIdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
