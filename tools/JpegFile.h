#pragma once
// JPEG encoding through libjpeg, and writing pictures and other bytes to
// files through a temporary name.
#include <QByteArray>
#include <QImage>
#include <QString>

// libjpeg's own default quality.
constexpr int DefaultJpegQuality = 75;

// The picture as a baseline JPEG of the given quality (1..100, clamped);
// empty when libjpeg failed.
QByteArray EncodeJpeg(const QImage& picture, int quality = DefaultJpegQuality);
// Writes data to fileName through a temporary name; False (no file
// changed) when that failed.
bool WriteFileSafely(const QString& fileName, const QByteArray& data);
// The picture in the given format ("BMP", "PNG"; "JPG" goes through
// EncodeJpeg with quality), written safely.
bool SavePicture(const QImage& picture, const QString& fileName, const char* format, int quality = DefaultJpegQuality);
