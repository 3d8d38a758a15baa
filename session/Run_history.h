// Every run that ends with results is kept, so that no mis-click loses one:
// it is written (atomically, as any .DTA save) into the history folder under
// a name from its end time, never one used before, and the runs written
// longest ago go once the program's runs there are more than a number of runs
// or of bytes. The folder's record (History_record) says which files the
// program wrote and in what order; no other file is ever removed.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "datafile/File_fault.h"

namespace velqoris {

class HistoryRecord;
class RunData;

class RunHistory {
 public:
  static constexpr int kMaxRuns = 200;
  static constexpr std::uintmax_t kMaxBytes = 200u * 1024u * 1024u;

  explicit RunHistory(std::string folder, int maxRuns = kMaxRuns,
                      std::uintmax_t maxBytes = kMaxBytes);

  // <user data folder>/history; empty when there is no user data folder.
  static std::string DefaultFolder();

  // Writes the data on display as "YYYY-MM-DD_HH-MM-SS.DTA" (local time of
  // `endedAt`; "_2", "_3" … above every number that second already has) and prunes. Returns the
  // path written, or "" when there was nothing to keep or it failed (`fault`
  // then says why).
  std::string Keep(RunData& data, std::chrono::system_clock::time_point endedAt);

  const std::string& Folder() const { return folder_; }
  const FileFault& LastFault() const { return fault_; }

  // The file name for a moment, without the folder.
  static std::string NameFor(std::chrono::system_clock::time_point at);

 private:
  void Prune(HistoryRecord& record);

  std::string folder_;
  int maxRuns_;
  std::uintmax_t maxBytes_;
  FileFault fault_;
};

}  // namespace velqoris
