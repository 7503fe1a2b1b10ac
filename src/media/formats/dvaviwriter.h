// Writes a type-1 DV AVI: one "iavs" stream of whole interleaved DV frames
// (picture and sound together), in the OpenDML layout so that files past
// 1 GiB stay valid: the first RIFF "AVI " part carries the headers, a legacy
// "idx1" index of its own frames and an "ix00" index; each further gigabyte
// goes into a RIFF "AVIX" part with its "ix00"; the "indx" super index in
// the header points at every "ix00".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TDvAviWriter {
 public:
  // Parts end before this size (a little under 1 GiB).
  static constexpr std::uint64_t kDefaultPartLimit = 1000ull * 1000 * 1000;
  static constexpr int kMaxParts = 256;
  // The headers and sizes on disk are brought up to date this often (two
  // seconds of PAL): a crash loses no more than that of what readers see.
  static constexpr std::uint64_t kRefreshFrames = 50;
  // Where the frames of the first part begin: the headers before them are
  // written when the file is closed (zeros until then).
  static constexpr std::uint64_t kFirstMoviOffset =
      12 + 12 + 8 + 56 + 12 + 8 + 56 + 8 + 32 + 8 + (24 + 16 * 256) + 12 + 8 + 248;

  TDvAviWriter() = default;
  ~TDvAviWriter();
  TDvAviWriter(const TDvAviWriter&) = delete;
  TDvAviWriter& operator=(const TDvAviWriter&) = delete;

  // Creates the file; false (with errno's text in error()) when it cannot.
  bool Open(const std::string& path, std::uint64_t partLimit = kDefaultPartLimit);
  // Writes one frame (144000 bytes for PAL, 120000 for NTSC); the first
  // frame decides the video system and the stream format.
  bool WriteFrame(const std::uint8_t* frame, std::size_t size);
  // Closes the last part and writes the headers and indexes: the file is
  // complete. Called by the destructor when not called before.
  bool Close();

  bool isOpen() const { return file_ != nullptr; }
  std::uint64_t frames() const { return totalFrames_; }
  int parts() const { return static_cast<int>(parts_.size()); }
  const std::string& error() const { return error_; }

 private:
  struct Part {
    std::uint64_t riffStart = 0;                                  // offset of "RIFF"
    std::uint64_t moviStart = 0;                                  // offset of "LIST" of "movi"
    std::vector<std::pair<std::uint64_t, std::uint32_t>> frames;  // data offset, size
    std::uint64_t indexOffset = 0;                                // offset of its "ix00"
    std::uint32_t indexSize = 0;
  };
  bool StartPart();
  bool EndPart();
  // `final`: with the index flag, once the indexes are written.
  bool WriteHeaders(bool final);
  bool Refresh();
  bool Put(const void* data, std::size_t size);
  bool Put32(std::uint32_t value);
  bool Put16(std::uint16_t value);
  bool PutId(const char* id) { return Put(id, 4); }
  bool Seek(std::uint64_t offset);
  std::uint64_t Tell() const;
  bool Fail(const char* what);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string error_;
  std::uint64_t partLimit_ = kDefaultPartLimit;
  std::vector<Part> parts_;
  std::uint64_t totalFrames_ = 0;
  bool pal_ = true;
  std::uint8_t packs_[32] = {};  // the stream format block, from the first frame
  bool failed_ = false;
};
