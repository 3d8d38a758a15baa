// A correct file whose data block holds no sample: there is nothing to show,
// so the command says so and writes nothing. The exit code is the bad file's,
// as the input cannot be worked on either.
#pragma once

#include <ostream>
#include <string>

namespace velqoris::cli {

int NoData(const std::string& path, std::ostream& err);

}  // namespace velqoris::cli
