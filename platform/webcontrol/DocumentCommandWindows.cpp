#include "platform/webcontrol/HtmlDocument.h"

namespace {

IDocumentCommandWindows*& installed()
{
    static IDocumentCommandWindows* windows = nullptr;
    return windows;
}

} // namespace

IDocumentCommandWindows* DocumentCommandWindows() { return installed(); }

void SetDocumentCommandWindows(IDocumentCommandWindows* windows) { installed() = windows; }
