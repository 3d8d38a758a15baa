#include "cli/No_data.h"

#include "cli/Exit_codes.h"
#include "message/Message_text.h"

namespace velqoris::cli {

int NoData(const std::string& path, std::ostream& err) {
  err << kNoDataMessage << ": " << path << '\n';
  return kExitBadFile;
}

}  // namespace velqoris::cli
