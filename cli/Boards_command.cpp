// boards: every board that answers, by serial number with its name line.
#include <string>
#include <vector>

#include "board/Usb_backend.h"
#include "cli/Board_connection.h"
#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "status/Status_text.h"

namespace velqoris::cli {

int RunBoards(const Options& options, std::ostream& out, std::ostream& err) {
  const int count = options.virtualBoard ? BoardCount(options) : 0;
  std::vector<std::string> serials;
  for (int i = 0; i < count; ++i) serials.push_back(BoardSerial(options, i));
  if (!options.virtualBoard) serials = CandidateBoardSerials();
  int answered = 0;
  for (std::size_t i = 0; i < serials.size(); ++i) {
    Options one = options;
    if (!one.virtualBoard) one.devices = {serials[i]};
    BoardSession session(one, one.virtualBoard ? static_cast<int>(i) : 0);
    if (session.run.Connect()) continue;
    out << serials[i] << "  " << PairText(session.run.BoardName(), session.run.BoardVersion())
        << '\n';
    session.run.Release();
    ++answered;
  }
  out << std::flush;
  if (answered > 0) return kExitOk;
  err << "応答したボードはありません\n";
  return kExitBoard;
}

}  // namespace velqoris::cli
