// Measures the rich editor's RTF reader and its colouring of a page.
//   editor-bench read FILE      seconds to parse FILE (RTF) alone, then to
//                               parse it into a QTextDocument
//   editor-bench colour FILE    seconds from HighlightAsHTML on FILE's text to
//                               the coloured document laid out and painted,
//                               then of one typed character and of a scroll
//                               to the end (each printed as "name seconds")
#include "editor/DodiViveDE.h"
#include "platform/richedit/RtfDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string_view(argv[1]) != "read" && std::string_view(argv[1]) != "colour")) {
        std::fprintf(stderr, "usage: editor-bench read|colour FILE\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QByteArray bytes = ReadAll(argv[2]);
    return std::string_view(argv[1]) == "read" ? Read(bytes) : Colour(bytes);
}
