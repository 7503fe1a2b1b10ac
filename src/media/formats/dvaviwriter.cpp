#include "media/formats/dvaviwriter.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "media/formats/dvcodes.h"
#include "media/formats/riff.h"

namespace {

constexpr std::uint32_t kHasIndex = 0x10, kIsInterleaved = 0x100, kTrustChunkType = 0x800;
constexpr std::uint32_t kKeyFrame = 0x10;
constexpr std::size_t kSuperIndexBytes = 24 + 16 * TDvAviWriter::kMaxParts;
constexpr std::size_t kMainHeaderBytes = 56, kStreamHeaderBytes = 56, kDvInfoBytes = 32, kOdmlHeaderBytes = 248;
// Where the pieces of the header lie: they have fixed sizes.
constexpr std::uint64_t kHdrlList = 12;
constexpr std::uint64_t kAvih = kHdrlList + 12;
constexpr std::uint64_t kStrlList = kAvih + 8 + kMainHeaderBytes;
constexpr std::uint64_t kStrh = kStrlList + 12;
constexpr std::uint64_t kStrf = kStrh + 8 + kStreamHeaderBytes;
constexpr std::uint64_t kIndx = kStrf + 8 + kDvInfoBytes;
constexpr std::uint64_t kOdmlList = kIndx + 8 + kSuperIndexBytes;
constexpr std::uint64_t kFirstMovi = kOdmlList + 12 + 8 + kOdmlHeaderBytes;
static_assert(kFirstMovi == TDvAviWriter::kFirstMoviOffset);

// Four bytes of a pack's payload, or zeros when the frame is too short.
void CopyPayload(std::uint8_t* to, const std::uint8_t* frame, std::size_t size, std::size_t packOffset) {
  if (packOffset + dv::kPackBytes <= size) std::memcpy(to, frame + packOffset + 1, 4);
}

}  // namespace

TDvAviWriter::~TDvAviWriter() { Close(); }

bool TDvAviWriter::Fail(const char* what) {
  if (!failed_) error_ = std::string(what) + ": " + std::strerror(errno);
  failed_ = true;
  return false;
}

bool TDvAviWriter::Put(const void* data, std::size_t size) {
  if (failed_) return false;
  return std::fwrite(data, 1, size, file_) == size || Fail("write");
}

bool TDvAviWriter::Put32(std::uint32_t value) {
  const auto bytes = riff::Bytes32(value);
  return Put(bytes.data(), bytes.size());
}

bool TDvAviWriter::Put16(std::uint16_t value) {
  const auto bytes = riff::Bytes16(value);
  return Put(bytes.data(), bytes.size());
}

bool TDvAviWriter::Seek(std::uint64_t offset) {
  return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 || Fail("seek");
}

std::uint64_t TDvAviWriter::Tell() const { return static_cast<std::uint64_t>(ftello(file_)); }

bool TDvAviWriter::Open(const std::string& path, std::uint64_t partLimit) {
  Close();
  path_ = path;
  partLimit_ = partLimit;
  failed_ = false;
  error_.clear();
  parts_.clear();
  totalFrames_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return Fail("open");
  // Room for the headers, written for real at the end.
  const std::vector<std::uint8_t> room(kFirstMovi, 0);
  return Put(room.data(), room.size()) && StartPart();
}

bool TDvAviWriter::StartPart() {
  if (static_cast<int>(parts_.size()) >= kMaxParts) {
    errno = EFBIG;
    return Fail("too many parts");
  }
  Part part;
  if (parts_.empty()) {
    part.riffStart = 0;
  } else {
    part.riffStart = Tell();
    if (!PutId("RIFF") || !Put32(0) || !PutId("AVIX")) return false;
  }
  part.moviStart = Tell();
  parts_.push_back(part);
  return PutId("LIST") && Put32(0) && PutId("movi");
}

bool TDvAviWriter::EndPart() {
  Part& part = parts_.back();
  const bool first = parts_.size() == 1;
  // The part's standard index, inside its "movi".
  part.indexOffset = Tell();
  const auto entries = static_cast<std::uint32_t>(part.frames.size());
  part.indexSize = 8 + 24 + 8 * entries;
  bool ok = PutId("ix00") && Put32(24 + 8 * entries) && Put16(2) && Put(std::array<std::uint8_t, 2>{0, 1}.data(), 2) &&
            Put32(entries) && PutId("00dc") && Put32(static_cast<std::uint32_t>(part.moviStart)) &&
            Put32(static_cast<std::uint32_t>(part.moviStart >> 32)) && Put32(0);
  for (const auto& [offset, size] : part.frames)
    ok = ok && Put32(static_cast<std::uint32_t>(offset - part.moviStart)) && Put32(size);
  const std::uint64_t moviEnd = Tell();
  if (first) {
    // The legacy index of the first part, offsets from the "movi" word.
    ok = ok && PutId("idx1") && Put32(16 * entries);
    for (const auto& [offset, size] : part.frames)
      ok = ok && PutId("00dc") && Put32(kKeyFrame) &&
           Put32(static_cast<std::uint32_t>(offset - 8 - (part.moviStart + 8))) && Put32(size);
  }
  const std::uint64_t end = Tell();
  ok = ok && Seek(part.moviStart + 4) && Put32(static_cast<std::uint32_t>(moviEnd - part.moviStart - 8)) &&
       Seek(part.riffStart + 4) && Put32(static_cast<std::uint32_t>(end - part.riffStart - 8)) && Seek(end);
  return ok;
}

bool TDvAviWriter::WriteFrame(const std::uint8_t* frame, std::size_t size) {
  if (!file_ || failed_) return false;
  if (size != dv::kFrameBytes625 && size != dv::kFrameBytes525) {
    error_ = "not a whole DV frame";
    return false;
  }
  if (totalFrames_ == 0) {
    pal_ = size == dv::kFrameBytes625;
    const std::size_t secondHalf = (pal_ ? 6 : 5) * dv::kDifSequenceBytes;
    CopyPayload(packs_ + 0, frame, size, dv::kAudioSourcePack);
    CopyPayload(packs_ + 4, frame, size, dv::kAudioSourcePack + 1280);
    CopyPayload(packs_ + 8, frame, size, secondHalf + dv::kAudioSourcePack);
    CopyPayload(packs_ + 12, frame, size, secondHalf + dv::kAudioSourcePack + 1280);
    CopyPayload(packs_ + 16, frame, size, dv::kSourceControlPack - dv::kPackBytes);
    CopyPayload(packs_ + 20, frame, size, dv::kSourceControlPack);
  }
  // A part ends before it would pass the limit with its indexes.
  Part* part = &parts_.back();
  const std::uint64_t entries = part->frames.size() + 1;
  const std::uint64_t indexes = 32 + 8 * entries + (parts_.size() == 1 ? 8 + 16 * entries : 0);
  if (!part->frames.empty() && Tell() + 8 + size + indexes - part->riffStart > partLimit_) {
    if (!EndPart() || !StartPart()) return false;
    part = &parts_.back();
  }
  const std::uint64_t data = Tell() + 8;
  if (!PutId("00dc") || !Put32(static_cast<std::uint32_t>(size)) || !Put(frame, size)) return false;
  part->frames.emplace_back(data, static_cast<std::uint32_t>(size));
  ++totalFrames_;
  return totalFrames_ % kRefreshFrames != 0 || Refresh();
}

bool TDvAviWriter::Refresh() {
  // Headers with the frames so far, and the sizes of the part being written:
  // a crash leaves a file that readers which scan its chunks can play.
  const std::uint64_t end = Tell();
  const Part& part = parts_.back();
  bool ok = WriteHeaders(false) && Seek(part.moviStart + 4) &&
            Put32(static_cast<std::uint32_t>(end - part.moviStart - 8)) && Seek(part.riffStart + 4) &&
            Put32(static_cast<std::uint32_t>(end - part.riffStart - 8)) && Seek(end);
  return ok && (std::fflush(file_) == 0 || Fail("flush"));
}

bool TDvAviWriter::WriteHeaders(bool final) {
  const std::uint32_t frameSize = pal_ ? dv::kFrameBytes625 : dv::kFrameBytes525;
  const std::uint32_t height = pal_ ? 576 : 480;
  const auto firstFrames = static_cast<std::uint32_t>(parts_.front().frames.size());
  const auto total = static_cast<std::uint32_t>(totalFrames_);
  bool ok = Seek(0) && PutId("RIFF") && Seek(8) && PutId("AVI ");
  ok = ok && PutId("LIST") && Put32(static_cast<std::uint32_t>(kFirstMovi - kHdrlList - 8)) && PutId("hdrl");
  ok = ok && PutId("avih") && Put32(kMainHeaderBytes) && Put32(pal_ ? 40000 : 33367) &&
       Put32(frameSize * (pal_ ? 25 : 30)) && Put32(0) &&
       Put32((final ? kHasIndex : 0) | kIsInterleaved | kTrustChunkType) && Put32(firstFrames) && Put32(0) &&
       Put32(1) && Put32(frameSize) && Put32(720) && Put32(height) && Put32(0) && Put32(0) && Put32(0) && Put32(0);
  ok = ok && PutId("LIST") && Put32(static_cast<std::uint32_t>(kOdmlList - kStrlList - 8)) && PutId("strl");
  ok = ok && PutId("strh") && Put32(kStreamHeaderBytes) && PutId("iavs") && PutId("dvsd") && Put32(0) && Put16(0) &&
       Put16(0) && Put32(0) && Put32(pal_ ? 1 : 1001) && Put32(pal_ ? 25 : 30000) && Put32(0) && Put32(total) &&
       Put32(frameSize) && Put32(0xFFFFFFFF) && Put32(0) && Put16(0) && Put16(0) && Put16(720) &&
       Put16(static_cast<std::uint16_t>(height));
  ok = ok && PutId("strf") && Put32(kDvInfoBytes) && Put(packs_, kDvInfoBytes);
  ok = ok && PutId("indx") && Put32(kSuperIndexBytes) && Put16(4) && Put(std::array<std::uint8_t, 2>{0, 0}.data(), 2) &&
       Put32(static_cast<std::uint32_t>(parts_.size())) && PutId("00dc") && Put32(0) && Put32(0) && Put32(0);
  for (int i = 0; i < kMaxParts; ++i) {
    const Part* part = i < static_cast<int>(parts_.size()) ? &parts_[i] : nullptr;
    const std::uint64_t offset = part ? part->indexOffset : 0;
    ok = ok && Put32(static_cast<std::uint32_t>(offset)) && Put32(static_cast<std::uint32_t>(offset >> 32)) &&
         Put32(part ? part->indexSize : 0) && Put32(part ? static_cast<std::uint32_t>(part->frames.size()) : 0);
  }
  ok = ok && PutId("LIST") && Put32(4 + 8 + kOdmlHeaderBytes) && PutId("odml") && PutId("dmlh") &&
       Put32(kOdmlHeaderBytes) && Put32(total);
  const std::vector<std::uint8_t> zeros(kOdmlHeaderBytes - 4, 0);
  return ok && Put(zeros.data(), zeros.size());
}

bool TDvAviWriter::Close() {
  if (!file_) return !failed_;
  bool ok = !failed_ && EndPart() && WriteHeaders(true);
  ok = std::fflush(file_) == 0 && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok && error_.empty()) error_ = "the file could not be finished";
  return ok;
}
