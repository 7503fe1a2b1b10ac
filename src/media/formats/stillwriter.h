// Writes a still picture as BMP (24 bits) or JPEG. The file appears whole or
// not at all: the picture goes to a temporary file beside it, which takes
// the name only once everything was written.
#pragma once

#include <QByteArray>
#include <QString>

class QImage;

enum class TStillType { Bmp = 0, Jpeg = 1 };

// JPEG quality 1 to 100; out-of-range values come to the nearest end.
int ClampJpegQuality(int quality);

// The encoded bytes; empty when the picture cannot be encoded.
QByteArray EncodeBmp(const QImage& picture);
QByteArray EncodeJpeg(const QImage& picture, int quality);

// Writes the file; the reason when it could not, empty on success.
QString WriteStill(const QImage& picture, TStillType type, int quality, const QString& path);
