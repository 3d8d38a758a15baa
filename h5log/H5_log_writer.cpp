#include "h5log/H5_log_writer.h"

#include <algorithm>

namespace velqoris::h5log {

void SilenceHdf5Errors() { H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr); }

namespace {

bool WriteAttribute(hid_t owner, const char* name, hid_t fileType, hid_t memType,
                    const void* value) {
  H5Handle space(H5Screate(H5S_SCALAR), H5Sclose);
  H5Handle attr(H5Acreate2(owner, name, fileType, space.get(), H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
  return attr.Valid() && H5Awrite(attr.get(), memType, value) >= 0;
}

bool WriteText(hid_t owner, const char* name, const std::string& text) {
  H5Handle type(H5Tcopy(H5T_C_S1), H5Tclose);
  H5Tset_size(type.get(), H5T_VARIABLE);
  H5Tset_cset(type.get(), H5T_CSET_UTF8);
  const char* value = text.c_str();
  return WriteAttribute(owner, name, type.get(), type.get(), &value);
}

bool WriteInt(hid_t owner, const char* name, std::int64_t value) {
  return WriteAttribute(owner, name, H5T_STD_I64LE, H5T_NATIVE_INT64, &value);
}

bool WriteDouble(hid_t owner, const char* name, double value) {
  return WriteAttribute(owner, name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &value);
}

// An empty one-dimensional dataset that grows without limit.
H5Handle CreateGrowing(hid_t group, const char* name, hid_t type, hsize_t chunk, bool compress) {
  const hsize_t dims[1] = {0};
  const hsize_t maxDims[1] = {H5S_UNLIMITED};
  H5Handle space(H5Screate_simple(1, dims, maxDims), H5Sclose);
  H5Handle plist(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
  H5Pset_chunk(plist.get(), 1, &chunk);
  if (compress) {
    // Each chunk packed into the bits its own range needs (noise of a few
    // hundred codes takes 10 bits of 32), then deflated.
    H5Pset_scaleoffset(plist.get(), H5Z_SO_INT, H5Z_SO_INT_MINBITS_DEFAULT);
    H5Pset_deflate(plist.get(), 4);
  }
  return H5Handle(H5Dcreate2(group, name, type, space.get(), H5P_DEFAULT, plist.get(), H5P_DEFAULT),
                  H5Dclose);
}

// Appends rows to a one-dimensional dataset that holds `rows` so far.
bool AppendRows(hid_t dataset, hid_t memType, std::int64_t rows, const void* data,
                std::size_t count) {
  const hsize_t size[1] = {static_cast<hsize_t>(rows) + count};
  if (H5Dset_extent(dataset, size) < 0) return false;
  H5Handle fileSpace(H5Dget_space(dataset), H5Sclose);
  const hsize_t start[1] = {static_cast<hsize_t>(rows)};
  const hsize_t n[1] = {count};
  if (H5Sselect_hyperslab(fileSpace.get(), H5S_SELECT_SET, start, nullptr, n, nullptr) < 0)
    return false;
  H5Handle memSpace(H5Screate_simple(1, n, nullptr), H5Sclose);
  return H5Dwrite(dataset, memType, memSpace.get(), fileSpace.get(), H5P_DEFAULT, data) >= 0;
}

}  // namespace

H5Handle GapRowType() {
  H5Handle type(H5Tcreate(H5T_COMPOUND, sizeof(H5Gap)), H5Tclose);
  H5Tinsert(type.get(), "first_sample", HOFFSET(H5Gap, firstSample), H5T_NATIVE_INT64);
  H5Tinsert(type.get(), "start_command", HOFFSET(H5Gap, startCommand), H5T_NATIVE_INT32);
  H5Tinsert(type.get(), "seconds_lost", HOFFSET(H5Gap, secondsLost), H5T_NATIVE_DOUBLE);
  H5Tinsert(type.get(), "start_s", HOFFSET(H5Gap, startSeconds), H5T_NATIVE_DOUBLE);
  return type;
}

H5LogWriter::~H5LogWriter() { Close(); }

bool H5LogWriter::Create(const std::string& path, const std::string& softwareVersion,
                         const std::vector<H5BoardHeader>& boards) {
  Close();
  const std::lock_guard lock(mutex_);
  SilenceHdf5Errors();
  failed_ = true;
  boards_.clear();
  // Single-writer/multiple-reader mode needs the newest file format.
  H5Handle fapl(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
  H5Pset_libver_bounds(fapl.get(), H5F_LIBVER_LATEST, H5F_LIBVER_LATEST);
  file_ = H5Handle(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, fapl.get()), H5Fclose);
  if (!file_.Valid()) return false;
  gapType_ = GapRowType();
  const hid_t root = file_.get();
  if (!WriteText(root, kFormatAttr, kFormatName) ||
      !WriteInt(root, kFormatVersionAttr, kFormatVersion) ||
      !WriteText(root, kSoftwareAttr, softwareVersion) ||
      !WriteInt(root, kBoardsAttr, static_cast<std::int64_t>(boards.size())))
    return false;
  boards_.resize(boards.size());
  for (std::size_t i = 0; i < boards.size(); ++i) {
    if (!CreateBoard(static_cast<int>(i), boards[i])) return false;
  }
  // Every object exists now: from here on the file only grows in order.
  if (H5Fstart_swmr_write(root) < 0) return false;
  // No attribute may be open when that mode starts.
  for (Board& b : boards_) {
    b.committed = H5Handle(H5Aopen(b.group.get(), kCommittedAttr, H5P_DEFAULT), H5Aclose);
    if (!b.committed.Valid()) return false;
  }
  failed_ = false;
  return true;
}

bool H5LogWriter::CreateBoard(int index, const H5BoardHeader& h) {
  Board& b = boards_[static_cast<std::size_t>(index)];
  b.group = H5Handle(
      H5Gcreate2(file_.get(), BoardGroupName(index).c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
      H5Gclose);
  if (!b.group.Valid()) return false;
  const hid_t g = b.group.get();
  const auto onOff = [](bool on) { return std::string(on ? "on" : "off"); };
  if (!WriteText(g, kSerialAttr, h.serial) || !WriteText(g, kBoardLineAttr, h.boardLine) ||
      !WriteText(g, kStartAttr, h.start) || !WriteInt(g, kStartNsAttr, h.startUnixNs) ||
      !WriteDouble(g, kRateAttr, h.rateSps) || !WriteInt(g, kGainAttr, h.gain) ||
      !WriteText(g, kFilterAttr, h.sinc4 ? "sinc4" : "sinc3") ||
      !WriteText(g, kChopAttr, onOff(h.chop)) || !WriteText(g, kBufferAttr, onOff(h.buffer)) ||
      !WriteDouble(g, kMicrovoltsAttr, h.microvoltsPerCode) || !WriteInt(g, kCommittedAttr, 0))
    return false;
  const auto chunk = static_cast<hsize_t>(ChunkRows(h.rateSps));
  for (int ch = 0; ch < 2; ++ch) {
    b.channel[ch] = h.channel[ch];
    if (!h.channel[ch]) continue;
    b.codes[ch] = CreateGrowing(g, kCodeDataset[ch], H5T_STD_I32LE, chunk, true);
    if (!b.codes[ch].Valid()) return false;
  }
  b.gaps = CreateGrowing(g, kGapsDataset, gapType_.get(), 64, false);
  return b.gaps.Valid();
}

void H5LogWriter::Append(int board, const std::int32_t* codes0, const std::int32_t* codes1,
                         int count) {
  const std::lock_guard lock(mutex_);
  if (board < 0 || static_cast<std::size_t>(board) >= boards_.size() || count <= 0) return;
  Board& b = boards_[static_cast<std::size_t>(board)];
  const std::int32_t* codes[2] = {codes0, codes1};
  for (int ch = 0; ch < 2; ++ch) {
    if (b.channel[ch] && codes[ch] != nullptr)
      b.pending[ch].insert(b.pending[ch].end(), codes[ch], codes[ch] + count);
  }
}

void H5LogWriter::Gap(int board, const H5Gap& gap) {
  const std::lock_guard lock(mutex_);
  if (board < 0 || static_cast<std::size_t>(board) >= boards_.size()) return;
  boards_[static_cast<std::size_t>(board)].pendingGaps.push_back(gap);
}

bool H5LogWriter::WritePending(Board& b) {
  // Only rows every logged channel has are written: the rows stay whole.
  std::size_t rows = SIZE_MAX;
  for (int ch = 0; ch < 2; ++ch) {
    if (b.channel[ch]) rows = std::min(rows, b.pending[ch].size());
  }
  if (rows == SIZE_MAX) rows = 0;
  bool ok = true;
  if (rows > 0) {
    for (int ch = 0; ch < 2; ++ch) {
      if (!b.channel[ch]) continue;
      ok =
          ok && AppendRows(b.codes[ch].get(), H5T_NATIVE_INT32, b.rows, b.pending[ch].data(), rows);
      b.pending[ch].erase(b.pending[ch].begin(), b.pending[ch].begin() + static_cast<long>(rows));
    }
    b.rows += static_cast<std::int64_t>(rows);
  }
  if (!b.pendingGaps.empty()) {
    ok = ok && AppendRows(b.gaps.get(), gapType_.get(), b.gapRows, b.pendingGaps.data(),
                          b.pendingGaps.size());
    b.gapRows += static_cast<std::int64_t>(b.pendingGaps.size());
    b.pendingGaps.clear();
  }
  return ok;
}

bool H5LogWriter::FlushLocked() {
  if (!file_.Valid() || failed_) return false;
  bool ok = true;
  for (Board& b : boards_) ok = ok && WritePending(b);
  // The rows first, then the count that vouches for them.
  ok = ok && H5Fflush(file_.get(), H5F_SCOPE_LOCAL) >= 0;
  for (Board& b : boards_) {
    const std::int64_t rows = b.rows;
    ok = ok && H5Awrite(b.committed.get(), H5T_NATIVE_INT64, &rows) >= 0;
  }
  ok = ok && H5Fflush(file_.get(), H5F_SCOPE_LOCAL) >= 0;
  if (!ok) failed_ = true;
  return ok;
}

bool H5LogWriter::Flush() {
  const std::lock_guard lock(mutex_);
  return FlushLocked();
}

void H5LogWriter::FlushIfDue(std::chrono::nanoseconds now) {
  const std::lock_guard lock(mutex_);
  if (now - lastFlush_ < kFlushInterval) return;
  lastFlush_ = now;
  FlushLocked();
}

bool H5LogWriter::Close() {
  const std::lock_guard lock(mutex_);
  if (!file_.Valid()) return !failed_;
  FlushLocked();
  boards_.clear();
  gapType_.Reset();
  if (!file_.Reset()) failed_ = true;
  return !failed_;
}

bool H5LogWriter::Failed() const {
  const std::lock_guard lock(mutex_);
  return failed_;
}

std::int64_t H5LogWriter::Rows(int board) const {
  const std::lock_guard lock(mutex_);
  if (board < 0 || static_cast<std::size_t>(board) >= boards_.size()) return 0;
  return boards_[static_cast<std::size_t>(board)].rows;
}

}  // namespace velqoris::h5log
