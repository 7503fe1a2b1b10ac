#include "media/formats/stillwriter.h"

#include <QImage>
#include <QSaveFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

int ClampJpegQuality(int quality) { return std::clamp(quality, 1, 100); }

namespace {

// A 24-bit BMP: the file header, the BITMAPINFOHEADER, then the rows from
// the bottom up, blue, green, red, each padded to 4 bytes.
constexpr int kFileHeaderBytes = 14, kInfoHeaderBytes = 40;
constexpr int kPixelDataOffset = kFileHeaderBytes + kInfoHeaderBytes;
constexpr int kPixelsPerMetre = 2835;  // 72 dots per inch

void Put16(char* at, std::uint16_t value) {
  at[0] = char(value & 0xff);
  at[1] = char(value >> 8);
}

void Put32(char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = char((value >> (8 * i)) & 0xff);
}

}  // namespace

QByteArray EncodeBmp(const QImage& picture) {
  if (picture.isNull()) return {};
  const QImage bgr = picture.format() == QImage::Format_BGR888 ? picture : picture.convertToFormat(QImage::Format_BGR888);
  const int width = bgr.width(), height = bgr.height();
  const int rowBytes = (width * 3 + 3) & ~3;
  const qint64 imageBytes = qint64(rowBytes) * height;
  QByteArray bytes(kPixelDataOffset + imageBytes, '\0');
  char* head = bytes.data();
  head[0] = 'B', head[1] = 'M';
  Put32(head + 2, static_cast<std::uint32_t>(bytes.size()));
  Put32(head + 10, kPixelDataOffset);
  char* info = head + kFileHeaderBytes;
  Put32(info, kInfoHeaderBytes);
  Put32(info + 4, static_cast<std::uint32_t>(width));
  Put32(info + 8, static_cast<std::uint32_t>(height));  // positive: bottom-up
  Put16(info + 12, 1);                                  // planes
  Put16(info + 14, 24);                                 // bits per pixel
  Put32(info + 20, static_cast<std::uint32_t>(imageBytes));
  Put32(info + 24, kPixelsPerMetre);
  Put32(info + 28, kPixelsPerMetre);
  for (int y = 0; y < height; ++y)
    std::memcpy(head + kPixelDataOffset + qint64(height - 1 - y) * rowBytes, bgr.constScanLine(y), std::size_t(width) * 3);
  return bytes;
}

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf failed;
};

// libjpeg's own error handler ends the process; a failing still must only
// fail its save. Only plain data lives in this frame, so jumping out of it
// is safe.
bool CompressRows(const QImage& bgr, int quality, unsigned char** memory, unsigned long* size) {
  jpeg_compress_struct encoder{};
  JpegErrors errors{};
  encoder.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = [](j_common_ptr common) {
    std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->failed, 1);
  };
  errors.manager.output_message = [](j_common_ptr) {};
  if (setjmp(errors.failed)) {
    jpeg_destroy_compress(&encoder);
    return false;
  }
  jpeg_create_compress(&encoder);
  jpeg_mem_dest(&encoder, memory, size);
  encoder.image_width = static_cast<JDIMENSION>(bgr.width());
  encoder.image_height = static_cast<JDIMENSION>(bgr.height());
  encoder.input_components = 3;
  encoder.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, ClampJpegQuality(quality), TRUE);
  jpeg_start_compress(&encoder, TRUE);
  while (encoder.next_scanline < encoder.image_height) {
    // The encoder reads blue, green, red rows, each at its own stride.
    JSAMPROW row = const_cast<JSAMPROW>(bgr.constScanLine(static_cast<int>(encoder.next_scanline)));
    jpeg_write_scanlines(&encoder, &row, 1);
  }
  jpeg_finish_compress(&encoder);
  jpeg_destroy_compress(&encoder);
  return true;
}

}  // namespace

QByteArray EncodeJpeg(const QImage& picture, int quality) {
  if (picture.isNull()) return {};
  const QImage bgr = picture.format() == QImage::Format_BGR888 ? picture : picture.convertToFormat(QImage::Format_BGR888);
  unsigned char* memory = nullptr;
  unsigned long size = 0;
  QByteArray bytes;
  if (CompressRows(bgr, quality, &memory, &size))
    bytes = QByteArray(reinterpret_cast<const char*>(memory), static_cast<qsizetype>(size));
  std::free(memory);
  return bytes;
}

QString WriteStill(const QImage& picture, TStillType type, int quality, const QString& path) {
  const QByteArray bytes = type == TStillType::Jpeg ? EncodeJpeg(picture, quality) : EncodeBmp(picture);
  if (bytes.isEmpty()) return QStringLiteral("the picture could not be encoded");
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return file.errorString();
  }
  if (!file.commit()) return file.errorString();
  return {};
}
