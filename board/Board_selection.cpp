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
    const std::vector<ChipEntry>& chips,
    const std::function<std::unique_ptr<UsbTransport>(int index)>& open, const BoardChoice& choice,
    std::string* opened, const std::function<bool(UsbTransport&)>& identify) {
  BoardProbe probe;
  probe.done = true;
  probe.asked = choice.serial;
  std::vector<std::pair<std::string, std::unique_ptr<UsbTransport>>> boards;
  for (std::size_t i = 0; i < chips.size(); ++i) {
    const std::string& serial = chips[i].serial;
    probe.chips.push_back(serial);
    if (!choice.serial.empty() && serial != choice.serial) continue;
    // Taking it from its driver would hang up the other program's session.
    if (chips[i].inUse) {
      probe.inUse.push_back(serial);
      continue;
    }
    // Without a way to choose, the first board is enough; the rest are still listed.
    if (!boards.empty() && !choice.choose) continue;
    auto transport = open(static_cast<int>(i));
    if (!transport || !identify(*transport)) {  // closed here: its driver comes back
      probe.silent.push_back(serial);
      continue;
    }
    probe.boards.push_back(serial);
    boards.emplace_back(serial, std::move(transport));
  }
  std::string chosen = boards.empty() ? std::string() : boards.front().first;
  if (boards.size() > 1) chosen = choice.choose(probe.boards);
  std::unique_ptr<UsbTransport> kept;
  for (auto& board : boards) {
    if (chosen.empty() || board.first != chosen) continue;
    kept = std::move(board.second);
    probe.chosen = chosen;
    if (opened != nullptr) *opened = chosen;
    break;
  }
  if (choice.report) choice.report(probe);
  return kept;
}

}  // namespace velqoris
