// The history folder's own record of the runs the program wrote there, in
// the order they were written: the oldest is the first line. Rotation goes by
// it alone, so a clock stepped back never makes the newest run look old, and
// a file the program did not write (a user's own .DTA) is never removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velqoris {

class HistoryRecord {
 public:
  // The record's file in the folder (a hidden file beside the runs).
  static constexpr const char* kFileName = ".velqoris-history";

  explicit HistoryRecord(std::string folder);

  // Reads the record; names whose file is gone are dropped. A folder without
  // one (kept by an earlier version) adopts the files named as the program
  // names its runs, oldest written first.
  void Load();
  // Replaces the record's file whole; errno of a failure, 0 when written.
  int Save() const;

  const std::vector<std::string>& Names() const { return names_; }
  void Add(const std::string& name) { names_.push_back(name); }
  void RemoveFirst() { names_.erase(names_.begin()); }

  // A name for a run that ended in `stem`'s second that no run in the folder
  // or in the record ever had: the stem, else "_N" above every number used.
  std::string NewName(const std::string& stem, const std::string& extension) const;

  // "YYYY-MM-DD_HH-MM-SS" with an optional "_N", and the extension.
  static bool RunName(const std::string& name, const std::string& extension);

 private:
  std::string folder_;
  std::vector<std::string> names_;
};

}  // namespace velqoris
