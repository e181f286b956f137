// zarn-capture: loads a page and writes a picture of it (JPEG, BMP or PNG).
// Exit status: 0 written, 1 the page or the file failed, 2 bad usage.
#include "tools/DocumentTools.h"
#include "tools/pagetool/HeadlessPage.h"

#include <QFileInfo>

#include <cstdio>
#include <string>

namespace {

constexpr const char* Usage
    = "usage: zarn-capture URL -o FILE.jpg|.bmp|.png [--size WxH] [--thumbnail WxH] [--quality N] [--timeout MS]\n";

constexpr const char* Help
    = "Loads URL in ZarnWeb's page engine, without a window on the screen, and writes a\n"
      "picture of the page to FILE; its extension picks the format (.jpg or .jpeg, .bmp, .png).\n"
      "\n"
      "  -o FILE          where the picture goes (written complete or not at all)\n"
      "  --size WxH       the page is laid out and drawn at this size (default 1024x768);\n"
      "                   a height beyond the page's end shows the page's background\n"
      "  --thumbnail WxH  the drawing is scaled to this size before it is written\n"
      "  --quality N      JPEG quality 1..100 (default 75)\n"
      "  --timeout MS     how long the page may take to load (default 30000)\n"
      "  -h, --help       show this help\n"
      "\n"
      "Exit status: 0 the picture was written, 1 the page did not load or the picture could\n"
      "not be drawn or written, 2 bad usage.\n";

struct Options {
    QString url;
    QString output;
    QSize size{1024, 768};
    std::optional<QSize> thumbnail;
    int quality = DefaultJpegQuality;
    unsigned timeoutMs = 30000;
};

// The picture format the file name asks for; nullptr for an unknown one.
const char* formatOf(const QString& fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return "JPG";
    if (extension == QLatin1String("bmp"))
        return "BMP";
    if (extension == QLatin1String("png"))
        return "PNG";
    return nullptr;
}

Parsed parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return Parsed::Help;
        const bool takesValue
            = arg == "-o" || arg == "--size" || arg == "--thumbnail" || arg == "--quality" || arg == "--timeout";
        if (takesValue && i + 1 >= argc)
            return Parsed::BadUsage;
        if (arg == "-o") {
            options.output = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--size") {
            const auto size = ParseSize(argv[++i]);
            if (!size)
                return Parsed::BadUsage;
            options.size = *size;
        } else if (arg == "--thumbnail") {
            options.thumbnail = ParseSize(argv[++i]);
            if (!options.thumbnail)
                return Parsed::BadUsage;
        } else if (arg == "--quality") {
            const auto quality = ParseNumber(argv[++i], 1, 100);
            if (!quality)
                return Parsed::BadUsage;
            options.quality = *quality;
        } else if (arg == "--timeout") {
            const auto timeout = ParseNumber(argv[++i], 1, 3600000);
            if (!timeout)
                return Parsed::BadUsage;
            options.timeoutMs = unsigned(*timeout);
        } else if ((arg.size() > 1 && arg[0] == '-') || !options.url.isEmpty()) {
            return Parsed::BadUsage;
        } else {
            options.url = QString::fromLocal8Bit(arg.c_str());
        }
    }
    return options.url.isEmpty() || options.output.isEmpty() || !formatOf(options.output) ? Parsed::BadUsage
                                                                                          : Parsed::Run;
}

} // namespace

int main(int argc, char** argv)
{
    const PageTool tool{{"zarn-capture", Usage, Help}};
    Options options;
    const Parsed parsed = parseArguments(argc, argv, options);
    return tool.Run(parsed, argc, argv, options.url, options.size, options.timeoutMs, [&](HeadlessPage& page) {
        QImage picture = DrawPage(page.Browser().Document(), options.size.width(), options.size.height());
        if (picture.isNull())
            return tool.Fail(QStringLiteral("the page could not be drawn"));
        if (options.thumbnail)
            picture = picture.scaled(*options.thumbnail, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!SavePicture(picture, options.output, formatOf(options.output), options.quality))
            return tool.Fail(QStringLiteral("%1 could not be written").arg(options.output));
        return 0;
    });
}
