#include "board/Board_selection.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

namespace velqoris {

namespace {
constexpr std::string_view kQuery = "U?\r";
constexpr std::string_view kNameLine = "VELQORIS\r";
// Each read waits at most the transport's read time-out (15 ms on libftdi),
// so a silent chip is given up after about a third of a second.
constexpr int kProbeReads = 20;
constexpr std::size_t kProbeBytes = 512;
}  // namespace

bool AnswersAsBoard(UsbTransport& transport) {
  if (transport.Purge(true, true) != 0) return false;
  const auto* query = reinterpret_cast<const std::uint8_t*>(kQuery.data());
  if (transport.Write(query, static_cast<int>(kQuery.size())) != static_cast<int>(kQuery.size()))
    return false;
  // A board still streaming an earlier run mixes its frames in: look for the line.
  std::string heard;
  std::uint8_t buffer[64];
  for (int i = 0; i < kProbeReads && heard.size() < kProbeBytes; ++i) {
    const int n = transport.Read(buffer, sizeof buffer);
    if (n < 0 && n != UsbTransport::kTimedOut) return false;
    if (n > 0) heard.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    const auto at = heard.find(kNameLine);
    if (at != std::string::npos && (at == 0 || heard[at - 1] == '\r')) {
      transport.Purge(true, true);
      return true;
    }
  }
  return false;
}

std::unique_ptr<UsbTransport> OpenBoard(
    const std::vector<std::string>& serials,
    const std::function<std::unique_ptr<UsbTransport>(int index)>& open, const BoardChoice& choice,
    std::string* opened, const std::function<bool(UsbTransport&)>& identify) {
  std::vector<std::pair<std::string, std::unique_ptr<UsbTransport>>> boards;
  for (std::size_t i = 0; i < serials.size(); ++i) {
    if (!choice.serial.empty() && serials[i] != choice.serial) continue;
    auto transport = open(static_cast<int>(i));
    if (!transport || !identify(*transport)) continue;  // closed here: its driver comes back
    boards.emplace_back(serials[i], std::move(transport));
    // Without a way to choose, the first board is enough.
    if (!choice.choose) break;
  }
  if (boards.empty()) return nullptr;
  std::string chosen = boards.front().first;
  if (boards.size() > 1) {
    std::vector<std::string> found;
    for (const auto& board : boards) found.push_back(board.first);
    chosen = choice.choose(found);
  }
  for (auto& board : boards) {
    if (chosen.empty() || board.first != chosen) continue;
    if (opened != nullptr) *opened = chosen;
    return std::move(board.second);
  }
  return nullptr;
}

}  // namespace velqoris
