// Measures the rich editor's RTF reader and its colouring of a page.
//   editor-bench read FILE      seconds to parse FILE (RTF) alone, then to
//                               parse it into a QTextDocument
//   editor-bench colour FILE    seconds from HighlightAsHTML on FILE's text to
//                               the coloured document laid out and painted,
//                               then of one typed character and of a scroll
//                               to the end (each printed as "name seconds")
//   editor-bench objects OUT    seconds to read 20,000 numbered paragraphs
//                               with 500 pictures from RTF and to save them
//                               again (written to OUT), then of a 1920 x 1080
//                               snapshot
#include "editor/DodiViveDE.h"
#include "platform/richedit/RtfDocument.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <cstdio>

namespace {

class CountingSink final : public IRtfSink {
public:
    std::size_t characters = 0;
    void Text(std::u16string_view text, const TRtfCharFormat&, const TRtfTables&) override
    {
        characters += text.size();
    }
    void ParagraphBreak(TRtfAlignment) override { ++characters; }
    void End(TRtfAlignment) override {}
};

QByteArray ReadAll(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "editor-bench: cannot read %s\n", path);
        std::exit(1);
    }
    return file.readAll();
}

void Report(const char* name, const QElapsedTimer& timer)
{
    std::printf("%s %.4f\n", name, timer.nsecsElapsed() / 1e9);
    std::fflush(stdout);
}

int Read(const QByteArray& rtf)
{
    const std::string_view bytes(rtf.constData(), static_cast<std::size_t>(rtf.size()));
    QElapsedTimer timer;
    timer.start();
    CountingSink sink;
    ReadRtf(bytes, sink);
    Report("parse", timer);
    timer.start();
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    InsertRtf(cursor, bytes);
    Report("document", timer);
    return sink.characters > 0 ? 0 : 1;
}

int Colour(const QByteArray& page)
{
    TDodiViveDE editor;
    editor.resize(1000, 700);
    editor.Loaded();
    editor.SetPlainText(true);
    editor.LoadFromBytes(page);
    editor.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    editor.HighlightAsHTML();
    editor.repaint();
    QApplication::processEvents();
    Report("colour", timer);
    timer.start();
    QTest::keyClick(&editor, Qt::Key_X);
    editor.repaint();
    Report("type", timer);
    timer.start();
    editor.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    editor.repaint();
    Report("scroll", timer);
    return 0;
}

// 20,000 numbered paragraphs with a 32 x 32 picture in every 40th, as the
// editor writes them.
QByteArray NumberedDocumentWithPictures()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    picture.save(&buffer, "PNG");
    const QByteArray pict = "{\\pict\\pngblip\\picw32\\pich32 " + png.toHex() + "}";
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl}\r\n";
    for (int line = 1; line <= 20000; ++line) {
        rtf += "\\pard\\fi-360\\li360{\\pntext " + QByteArray::number(line)
            + ".\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta .}}";
        if (line % 40 == 1)
            rtf += pict;
        rtf += "Paragraph " + QByteArray::number(line) + " of the numbered list\\par\r\n";
    }
    return rtf + "}";
}

int Objects(const char* out)
{
    TDodiViveDE editor;
    editor.Loaded();
    editor.SetPlainText(false);
    QElapsedTimer timer;
    timer.start();
    editor.LoadFromBytes(NumberedDocumentWithPictures());
    Report("read", timer);
    timer.start();
    const QByteArray rtf = editor.SaveToBytes();
    Report("save", timer);
    QFile file(QString::fromLocal8Bit(out));
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size())
        return 1;

    QLabel image;
    editor.SetImage(&image);
    editor.resize(1920, 1080);
    editor.show();
    QApplication::processEvents();
    QImage snapshot;
    timer.start();
    editor.CreateSnapshot(snapshot);
    Report("snapshot", timer);
    return snapshot.size() == QSize(1920, 1080) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string_view mode = argc == 3 ? argv[1] : "";
    if (mode != "read" && mode != "colour" && mode != "objects") {
        std::fprintf(stderr, "usage: editor-bench read|colour FILE | objects OUT\n");
        return 2;
    }
    QApplication app(argc, argv);
    if (mode == "objects")
        return Objects(argv[2]);
    const QByteArray bytes = ReadAll(argv[2]);
    return mode == "read" ? Read(bytes) : Colour(bytes);
}
