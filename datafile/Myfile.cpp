#include "datafile/Myfile.h"

#include <cstdio>
#include <utility>

#include "datafile/Data_reader.h"
#include "datafile/Line_writer.h"
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

bool TmyFile::SaveData(const std::string& path, const MeasureSettings* settings,
                       const SampleBuffer* buffer) {
  if (!BufferReadable(buffer)) return false;
  return Save(path, settings, buffer, nullptr);
}

bool TmyFile::SaveData2(const std::string& path, const MeasureSettings* settings,
                        const SampleBuffer* ch0, const SampleBuffer* ch1) {
  if (!BufferReadable(ch0) || !BufferReadable(ch1)) return false;
  // Lines beyond CH1's count would carry codes of some earlier run.
  if (ch0->Count != ch1->Count) return false;
  return Save(path, settings, ch0, ch1);
}

bool TmyFile::MayReplace(const std::string& path, bool& replace) {
  replace = true;
  if (!Utf8PathExists(path)) return true;
  replace = confirm_ && confirm_(OverwriteQuestion(path));
  // A file we may not write stays, although the folder would let us replace it.
  return !replace || Utf8FileWritable(path);
}

bool TmyFile::Save(const std::string& path, const MeasureSettings* settings,
                   const SampleBuffer* ch0, const SampleBuffer* ch1) {
  if (path.empty() || settings == nullptr) return false;
  bool replace = true;
  if (!MayReplace(path, replace)) return false;
  if (!replace) return true;

  ReplacingFile file(path);
  if (!file.Open()) return false;
  LineWriter out(file, failAfterLines_);
  const bool written = out.Line("VELQORIS_DataFile:") && WriteSettings(out, *settings) &&
                       (ch1 == nullptr ? WriteData(out, *ch0) : WriteData2(out, *ch0, *ch1));
  return written && out.Finish() && file.Commit();
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
  if (path.empty() || settings == nullptr || ch0 == nullptr || ch1 == nullptr) return false;
  std::FILE* stream = OpenUtf8(path, "rb");
  if (stream == nullptr) return false;
  const bool ok = DataFileReader(stream).Read(*settings, *ch0, *ch1);
  std::fclose(stream);
  return ok;
}

}  // namespace velqoris
