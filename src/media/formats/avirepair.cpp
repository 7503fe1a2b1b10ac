#include "media/formats/avirepair.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cctype>
#include <optional>
#include <vector>

#include "media/formats/dvaviwriter.h"
#include "media/formats/riff.h"

namespace {

constexpr std::uint32_t kKeyFrame = 0x10;
constexpr qint64 kTotalFramesInAvih = 16;
constexpr qint64 kLengthInStrh = 32;
constexpr qint64 kBlockAlignInStrf = 12;

struct DataChunk {
  QByteArray id;
  qint64 data = 0;  // offset of its data
  std::uint32_t size = 0;
};

// A stream's chunk: two digits, then dc, db, wb or pc.
bool IsStreamChunk(const QByteArray& id) {
  return id.size() == 4 && std::isdigit(static_cast<unsigned char>(id[0])) &&
         std::isdigit(static_cast<unsigned char>(id[1])) &&
         (id.endsWith("dc") || id.endsWith("db") || id.endsWith("wb") || id.endsWith("pc"));
}

int StreamOf(const QByteArray& id) { return (id[0] - '0') * 10 + (id[1] - '0'); }

struct Scan {
  std::optional<riff::Chunk> hdrl;
  std::vector<DataChunk> chunks;
  qint64 end = 0;  // after the last whole chunk
};

// Walks the file as far as its chunks are whole, whatever the sizes of the
// lists around them say: they are the ones a crash leaves wrong.
Scan Walk(QFile& file, qint64 from) {
  Scan scan;
  const qint64 size = file.size();
  qint64 at = from;
  scan.end = at;
  while (const std::optional<riff::Chunk> chunk = riff::ReadChunk(file, at, size)) {
    if (chunk->id == "LIST" || chunk->id == "RIFF") {
      if (!file.seek(chunk->data())) break;
      const QByteArray form = file.read(4);
      if (form == "movi" || form == "AVIX") {
        at = chunk->data() + 4;  // into it: its size may be wrong
      } else if (form == "hdrl" && !chunk->truncated) {
        scan.hdrl = chunk;
        at = chunk->position + chunk->total;
      } else if (!chunk->truncated) {
        at = chunk->position + chunk->total;
      } else {
        break;
      }
    } else if (chunk->truncated) {
      break;
    } else {
      if (IsStreamChunk(chunk->id))
        scan.chunks.push_back({chunk->id, chunk->data(), static_cast<std::uint32_t>(chunk->dataSize)});
      at = chunk->position + chunk->total;
    }
    scan.end = at;
  }
  return scan;
}

// Writes the new file whole to `to`; the original is replaced afterwards.
bool WriteTypeOne(QFile& file, const Scan& scan, const QString& to, TAviRepair& result) {
  TDvAviWriter writer;
  if (!writer.Open(to.toStdString())) {
    result.error = QString::fromStdString(writer.error());
    return false;
  }
  for (const DataChunk& chunk : scan.chunks) {
    if (!file.seek(chunk.data)) break;
    const QByteArray frame = file.read(chunk.size);
    if (frame.size() != static_cast<qsizetype>(chunk.size)) break;
    if (!writer.WriteFrame(reinterpret_cast<const std::uint8_t*>(frame.constData()), chunk.size)) break;
    ++result.videoFrames;
  }
  if (writer.Close() && result.videoFrames > 0) return true;
  result.error =
      writer.error().empty() ? QStringLiteral("aucune image entière") : QString::fromStdString(writer.error());
  return false;
}

// The header list as it was, with the frame counts of the kept chunks.
QByteArray PatchedHeaders(QFile& file, const riff::Chunk& hdrl, const std::vector<std::uint64_t>& chunksPerStream,
                          const std::vector<std::uint64_t>& bytesPerStream) {
  file.seek(hdrl.position);
  QByteArray bytes = file.read(hdrl.total);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadWrite);
  const auto put32 = [&bytes](qint64 at, std::uint32_t value) {
    const auto field = riff::Bytes32(value);
    if (at >= 0 && at + 4 <= bytes.size()) bytes.replace(at, 4, reinterpret_cast<const char*>(field.data()), 4);
  };
  const qint64 end = bytes.size();
  int stream = 0;
  for (std::optional<riff::Chunk> chunk = riff::ReadChunk(buffer, riff::kFormHeaderBytes, end); chunk;
       chunk = riff::ReadChunk(buffer, chunk->position + chunk->total, end)) {
    if (chunk->id == "avih") {
      put32(chunk->data() + kTotalFramesInAvih,
            static_cast<std::uint32_t>(chunksPerStream.empty() ? 0 : chunksPerStream[0]));
    } else if (chunk->id == "LIST" && bytes.mid(chunk->data(), 4) == "strl") {
      const qint64 listEnd = chunk->position + chunk->total;
      std::optional<riff::Chunk> strh, strf;
      for (std::optional<riff::Chunk> sub = riff::ReadChunk(buffer, chunk->data() + 4, listEnd); sub;
           sub = riff::ReadChunk(buffer, sub->position + sub->total, listEnd)) {
        if (sub->id == "strh") strh = sub;
        if (sub->id == "strf") strf = sub;
      }
      const std::uint64_t chunks = stream < static_cast<int>(chunksPerStream.size()) ? chunksPerStream[stream] : 0;
      const std::uint64_t total = stream < static_cast<int>(bytesPerStream.size()) ? bytesPerStream[stream] : 0;
      if (strh) {
        const QByteArray type = bytes.mid(strh->data(), 4);
        std::uint64_t length = chunks;
        if (type == "auds" && strf && strf->dataSize >= kBlockAlignInStrf + 2) {
          const std::uint16_t align = riff::Read16(bytes.constData() + strf->data() + kBlockAlignInStrf);
          length = align > 0 ? total / align : total;
        }
        put32(strh->data() + kLengthInStrh, static_cast<std::uint32_t>(length));
      }
      ++stream;
    } else if (chunk->id == "LIST" && bytes.mid(chunk->data(), 4) == "odml") {
      // "dmlh": the total of frames of every part.
      put32(chunk->data() + 4 + riff::kChunkHeaderBytes,
            static_cast<std::uint32_t>(chunksPerStream.empty() ? 0 : chunksPerStream[0]));
    }
  }
  return bytes;
}

bool WriteOther(QFile& file, const Scan& scan, const QString& to, TAviRepair& result) {
  std::vector<std::uint64_t> chunks, bytes;
  for (const DataChunk& chunk : scan.chunks) {
    const auto stream = static_cast<std::size_t>(StreamOf(chunk.id));
    if (chunks.size() <= stream) {
      chunks.resize(stream + 1, 0);
      bytes.resize(stream + 1, 0);
    }
    ++chunks[stream];
    bytes[stream] += chunk.size;
  }
  const QByteArray headers = PatchedHeaders(file, *scan.hdrl, chunks, bytes);
  QFile out(to);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    result.error = out.errorString();
    return false;
  }
  std::vector<std::uint8_t> index;
  qint64 moviSize = 4;
  const auto write = [&out](const QByteArray& data) { return out.write(data) == data.size(); };
  const auto field = [](std::uint32_t value) {
    const auto bytes = riff::Bytes32(value);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), 4);
  };
  bool ok = write("RIFF") && write(field(0)) && write("AVI ") && write(headers);
  const qint64 movi = out.pos();
  ok = ok && write("LIST") && write(field(0)) && write("movi");
  for (const DataChunk& chunk : scan.chunks) {
    if (!ok || !file.seek(chunk.data)) break;
    QByteArray data = file.read(chunk.size);
    if (data.size() != static_cast<qsizetype>(chunk.size)) break;
    const auto offset = static_cast<std::uint32_t>(out.pos() - (movi + 8));  // from the "movi" code
    if (chunk.size & 1) data.append('\0');
    ok = write(chunk.id) && write(field(chunk.size)) && write(data);
    moviSize += 8 + data.size();
    index.insert(index.end(), chunk.id.begin(), chunk.id.end());
    riff::Append32(index, kKeyFrame);
    riff::Append32(index, offset);
    riff::Append32(index, chunk.size);
    if (StreamOf(chunk.id) == 0)
      ++result.videoFrames;
    else
      ++result.otherChunks;
  }
  ok = ok && write("idx1") && write(field(static_cast<std::uint32_t>(index.size()))) &&
       write(QByteArray(reinterpret_cast<const char*>(index.data()), static_cast<qsizetype>(index.size())));
  const qint64 total = out.pos();
  ok = ok && out.seek(4) && write(field(static_cast<std::uint32_t>(total - 8))) && out.seek(movi + 4) &&
       write(field(static_cast<std::uint32_t>(moviSize)));
  ok = ok && out.flush();
  if (!ok)
    result.error = out.errorString();
  else if (result.videoFrames == 0)
    result.error = QStringLiteral("aucune image entière");
  return ok && result.videoFrames > 0;
}

}  // namespace

TAviRepair RepairAvi(const QString& path) {
  TAviRepair result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = file.errorString();
    return result;
  }
  const QByteArray head = file.read(riff::kFormHeaderBytes);
  // Our type-1 writer leaves zeros where its headers go until it closes.
  const bool zeros = head.size() == riff::kFormHeaderBytes && head.count('\0') == head.size();
  if (!zeros && (!head.startsWith("RIFF") || head.mid(8, 4) != "AVI ")) {
    result.error = QStringLiteral("ce n'est pas un fichier AVI");
    return result;
  }
  const Scan scan = Walk(file, zeros ? static_cast<qint64>(TDvAviWriter::kFirstMoviOffset) : riff::kFormHeaderBytes);
  result.bytesDropped = static_cast<std::uint64_t>(file.size() - scan.end);
  if (scan.chunks.empty()) {
    result.error = QStringLiteral("aucune image entière");
    return result;
  }
  bool interleavedDv = zeros;
  if (scan.hdrl) {
    file.seek(scan.hdrl->position);
    interleavedDv = file.read(scan.hdrl->total).contains("iavs");
  } else if (!zeros) {
    result.error = QStringLiteral("les en-têtes manquent");
    return result;
  }
  result.typeOne = interleavedDv;
  const QString repaired = path + QStringLiteral(".reparation");
  const bool written =
      interleavedDv ? WriteTypeOne(file, scan, repaired, result) : WriteOther(file, scan, repaired, result);
  file.close();
  if (!written) {
    QFile::remove(repaired);
    return result;
  }
  // The original goes only now that the copy is whole.
  if (!QFile::remove(path) || !QFile::rename(repaired, path)) {
    result.error = QStringLiteral("le fichier réparé est resté sous « %1 »").arg(repaired);
    return result;
  }
  result.repaired = true;
  return result;
}
