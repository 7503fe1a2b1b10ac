// Puts an AVI file cut short by a crash back into a readable state: the
// frames and sound chunks that were written whole are kept, in order, and
// the headers' sizes and the index are rebuilt. Type-1 DV files (one
// interleaved stream, whose headers are only written at the end) are written
// again through the type-1 writer; other AVI files keep their headers with
// their counts corrected and get a new index. The file is replaced only once
// the repaired copy is complete.
#pragma once

#include <QString>
#include <cstdint>

struct TAviRepair {
  bool repaired = false;
  bool typeOne = false;
  std::uint64_t videoFrames = 0;  // chunks of the first stream kept
  std::uint64_t otherChunks = 0;
  std::uint64_t bytesDropped = 0;  // what followed the last whole chunk
  QString error;                   // why it could not be repaired
};

TAviRepair RepairAvi(const QString& path);
