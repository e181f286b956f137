#include "tools/JpegFile.h"

#include "platform/files/SafeFile.h"

#include <QBuffer>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jumpOnError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

} // namespace

QByteArray EncodeJpeg(const QImage& picture, int quality)
{
    if (picture.isNull())
        return {};
    // libjpeg-turbo reads Qt's 32-bit pixels (blue, green, red, unused in
    // memory on little-endian machines) as they are, without a copy.
    const bool direct = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    const QImage rgb
        = direct ? picture.convertToFormat(QImage::Format_RGB32) : picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpOnError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = direct ? 4 : 3;
    info.in_color_space = direct ? JCS_EXT_BGRX : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    constexpr int RowsPerCall = 16;
    JSAMPROW rows[RowsPerCall];
    while (info.next_scanline < info.image_height) {
        const int count = std::min<int>(RowsPerCall, int(info.image_height - info.next_scanline));
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline) + i));
        jpeg_write_scanlines(&info, rows, JDIMENSION(count));
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray encoded(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return encoded;
}

bool WriteFileSafely(const QString& fileName, const QByteArray& data)
{
    SafeFileWriter writer(fileName.toStdString());
    return writer.Open() && writer.Write(data.constData(), std::size_t(data.size())) && writer.Commit();
}

bool SavePicture(const QImage& picture, const QString& fileName, const char* format, int quality)
{
    QByteArray data;
    if (qstrcmp(format, "JPG") == 0 || qstrcmp(format, "JPEG") == 0) {
        data = EncodeJpeg(picture, quality);
    } else {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, format))
            return false;
    }
    return !data.isEmpty() && WriteFileSafely(fileName, data);
}
