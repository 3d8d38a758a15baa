#include "datafile/Myfile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "datafile/Data_reader.h"
#include "datafile/Line_writer.h"
#include "datafile/Regular_file.h"
#include "datafile/Replacing_file.h"
#include "datafile/Utf8_path.h"

namespace velqoris {
namespace {

bool BufferReadable(const SampleBuffer* buffer) {
  if (buffer == nullptr) return false;
  if (buffer->Count > kSampleCapacity) return false;
  return buffer->Count <= 0 || buffer->Codes != nullptr;
}

}  // namespace

TmyFile::TmyFile(ConfirmOverwrite confirm)
    : TmyFile(std::move(confirm), LineWriter::kNoLineLimit) {}

TmyFile::TmyFile(ConfirmOverwrite confirm, int failAfterLines)
    : confirm_(std::move(confirm)), failAfterLines_(failAfterLines) {}

std::string TmyFile::OverwriteQuestion(const std::string& path) {
  return "ファイル：" + path + "があります。" + "\n" + "上書きしますか";
}

bool TmyFile::Fail(FileFault::Kind kind, int error) {
  fault_ = FileFault{kind, error};
  return false;
}

bool TmyFile::SaveData(const std::string& path, const MeasureSettings* settings,
                       const SampleBuffer* buffer) {
  fault_ = {};
  if (!BufferReadable(buffer)) return Fail(FileFault::Kind::NotWritten, 0);
  return Save(path, settings, buffer, nullptr);
}

bool TmyFile::SaveData2(const std::string& path, const MeasureSettings* settings,
                        const SampleBuffer* ch0, const SampleBuffer* ch1) {
  fault_ = {};
  if (!BufferReadable(ch0) || !BufferReadable(ch1)) return Fail(FileFault::Kind::NotWritten, 0);
  // Lines beyond CH1's count would carry codes of some earlier run.
  if (ch0->Count != ch1->Count) return Fail(FileFault::Kind::NotWritten, 0);
  return Save(path, settings, ch0, ch1);
}

bool TmyFile::MayReplace(const std::string& path, bool& replace) {
  replace = true;
  std::error_code ec;
  const auto existing = std::filesystem::status(PathFromUtf8(path), ec);
  if (ec || !std::filesystem::exists(existing)) return true;
  // A folder is never replaced, and nobody is asked about it.
  if (std::filesystem::is_directory(existing)) return Fail(FileFault::Kind::NotWritten, EISDIR);
  replace = confirm_ && confirm_(OverwriteQuestion(path));
  // A file we may not write stays, although the folder would let us replace it.
  if (replace && !Utf8FileWritable(path)) return Fail(FileFault::Kind::NotWritten, errno);
  return true;
}

bool TmyFile::Save(const std::string& path, const MeasureSettings* settings,
                   const SampleBuffer* ch0, const SampleBuffer* ch1) {
  declined_ = false;
  if (path.empty() || settings == nullptr) return Fail(FileFault::Kind::NotWritten, 0);
  bool replace = true;
  if (!MayReplace(path, replace)) return false;
  if (!replace) {
    declined_ = true;
    return true;
  }

  ReplacingFile file(path);
  if (!file.Open()) return Fail(FileFault::Kind::NotWritten, file.Error());
  LineWriter out(file, failAfterLines_);
  const bool written = out.Line("VELQORIS_DataFile:") && WriteSettings(out, *settings) &&
                       (ch1 == nullptr ? WriteData(out, *ch0) : WriteData2(out, *ch0, *ch1));
  if (written && out.Finish() && file.Commit()) return true;
  // The line limit of the tests stands for a disk that is full.
  return Fail(FileFault::Kind::NotWritten, file.Error() != 0 ? file.Error() : ENOSPC);
}

bool TmyFile::WriteSettings(LineWriter& out, const MeasureSettings& s) {
  return out.Line("M:") && out.Line("spsSel:", s.spsSel) &&
         out.Line("DataCountSel:", s.DataCountSel) && out.Line("CHSel:", s.CHSel) &&
         out.Line("GainSel:", s.GainSel) && out.Line("fSinc4:", s.fSinc4 ? 1 : 0) &&
         out.Line("fBUF_ON:", s.fBUF_ON ? 1 : 0) && out.Line("fCHOP_ON:", s.fCHOP_ON ? 1 : 0) &&
         out.Line("MEND:");
}

bool TmyFile::WriteData(LineWriter& out, const SampleBuffer& buffer) {
  if (!out.Line("D:")) return false;
  for (std::int32_t i = 0; i < buffer.Count; ++i) {
    if (!out.Line(buffer.Codes[i])) return false;
  }
  return out.Line("DEND:");
}

bool TmyFile::WriteData2(LineWriter& out, const SampleBuffer& ch0, const SampleBuffer& ch1) {
  if (!out.Line("D:")) return false;
  for (std::int32_t i = 0; i < ch0.Count; ++i) {
    if (!out.Line(ch0.Codes[i], ',', ch1.Codes[i])) return false;
  }
  return out.Line("DEND:");
}

bool TmyFile::LoadData(const std::string& path, MeasureSettings* settings, SampleBuffer* ch0,
                       SampleBuffer* ch1) {
  fault_ = {};
  if (path.empty() || settings == nullptr || ch0 == nullptr || ch1 == nullptr)
    return Fail(FileFault::Kind::NotFound, ENOENT);
  const OpenedFile opened = OpenRegularFile(path);
  if (opened.stream == nullptr) {
    fault_ = opened.fault;
    return false;
  }
  // Far beyond any data file: refused before a byte is read, so that the
  // window never waits on a huge file.
  if (opened.size > kMaxLoadBytes) {
    std::fclose(opened.stream);
    fault_ = {FileFault::Kind::BadContents, EFBIG, 0};
    return false;
  }
  DataFileReader reader(opened.stream);
  const bool ok = reader.Read(*settings, *ch0, *ch1);
  std::fclose(opened.stream);
  if (!ok) fault_ = {FileFault::Kind::BadContents, 0, reader.FailedLine()};
  return ok;
}

}  // namespace velqoris
