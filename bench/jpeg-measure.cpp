// JPEG encoding of a 1920 x 10,000 picture: writes the picture as a PPM file
// (for cjpeg to encode the same pixels) and prints the median time of our
// encoder at the given quality in milliseconds.
// Usage: jpeg-measure PPM-FILE [QUALITY]
#include "tools/JpegFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// A page-like picture: bands of colour, text and a gradient, so that the
// encoder meets both flat areas and detail.
QImage pagePicture()
{
    QImage picture(1920, 10000, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 1920, 0);
    gradient.setColorAt(0, QColor(30, 90, 200));
    gradient.setColorAt(1, QColor(230, 120, 40));
    for (int y = 0; y < 10000; y += 400) {
        painter.fillRect(0, y, 1920, 120, gradient);
        painter.setPen(Qt::black);
        for (int line = 0; line < 12; ++line)
            painter.drawText(40, y + 150 + line * 20,
                QStringLiteral(
                    "Line %1 of a page drawn for the encoder: some words, numbers 0123456789 and more words.")
                    .arg(y / 20 + line));
    }
    return picture;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: jpeg-measure PPM-FILE [QUALITY]\n");
        return 2;
    }
    const int quality = argc > 2 ? std::atoi(argv[2]) : DefaultJpegQuality;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv); // the text needs fonts
    const QImage picture = pagePicture();
    if (!picture.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[1]), "PPM")) {
        std::fprintf(stderr, "jpeg-measure: %s could not be written\n", argv[1]);
        return 1;
    }
    constexpr int Runs = 5;
    std::vector<double> times;
    qsizetype bytes = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        bytes = EncodeJpeg(picture, quality).size();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f %lld\n", times[Runs / 2], static_cast<long long>(bytes));
    return bytes > 0 ? 0 : 1;
}
