#include "media/formats/ecrire_scnunit.h"

#include <QtEndian>

namespace {

const QByteArray kHead("\x63\x26\x01\x00\x04\x00\x00\x00\xFF\xFF\x03\x00\x0A\x00SourceTape", 24);
const QByteArray kReserved(8, '\0');
const QByteArray kClasses(
    "\xFF\xFF\x01\x00\x04\x00"
    "Clip"
    "\x50\x00\x00\x00\xFF\xFF\x01\x00\x05\x00"
    "Scene"
    "\x00\x00\x00\x00\x00",
    30);
const QByteArray kFirstSceneMarker("\x00\x00\x00\x00\x01\x80", 6);
const QByteArray kFurtherScenePrefix("\x03\x80\xF0\x00\x00\x00\x05\x80\x00", 9);
const QByteArray kFurtherSceneMiddle("\x00\x00\x00\x00\x07\x00", 6);

QByteArray U32(std::uint32_t value) {
  QByteArray bytes(4, Qt::Uninitialized);
  qToLittleEndian(value, bytes.data());
  return bytes;
}

QByteArray ShortString(const QByteArray& text) { return char(static_cast<unsigned char>(text.size())) + text; }

}  // namespace

TSceneFileWriter::~TSceneFileWriter() { CloseSceneFile(); }

TSceneFileWriter::OpenResult TSceneFileWriter::OpenSceneFile(const QString& path) {
  std::lock_guard lock(mutex_);
  const QByteArray encoded = path.toUtf8();
  if (encoded.size() > kMaximumPathBytes) return OpenResult::PathTooLong;
  file_.setFileName(path);
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return OpenResult::CannotCreate;
  path_ = encoded;
  QByteArray head = kHead + ShortString(path_) + kReserved;
  countOffset_ = head.size();
  head += QByteArray(2, '\0') + kClasses;
  if (file_.write(head) != head.size()) {
    file_.close();
    return OpenResult::CannotCreate;
  }
  sceneCount_ = 0;
  open_ = true;
  return OpenResult::Opened;
}

void TSceneFileWriter::WriteScene(const DvFrameInfo& sceneStart, const DvFrameInfo& current) {
  std::lock_guard lock(mutex_);
  if (!open_ || sceneCount_ >= kMaximumScenes) return;
  ++sceneCount_;
  const std::uint32_t end = current.frameCount + 1;
  QByteArray record;
  if (sceneCount_ == 1) {
    record = U32(end) + kFirstSceneMarker + ShortString(path_) + kReserved + U32(end);
  } else {
    const std::uint32_t start = sceneStart.frameCount + 1;
    const std::uint32_t length = end - start + 1;
    record =
        kFurtherScenePrefix + U32(start) + U32(length) + kFurtherSceneMiddle + U32(start) + U32(length) + U32(start);
  }
  file_.write(record);  // a failed write loses this scene only
}

void TSceneFileWriter::CloseSceneFile() {
  std::lock_guard lock(mutex_);
  if (!open_) return;
  QByteArray count(2, Qt::Uninitialized);
  qToLittleEndian(static_cast<std::uint16_t>(sceneCount_ & 0xFFFF), count.data());
  if (file_.seek(countOffset_)) file_.write(count);
  file_.close();
  open_ = false;
}
