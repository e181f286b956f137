#include "platform/webengine/PagePrinter.h"

#include "platform/files/SafeFile.h"
#include "platform/print/PageHeaderFooter.h"
#include "platform/print/PageSetup.h"

#include <QDateTime>
#include <QDir>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryFile>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

constexpr double PointsPerInch = 72;

bool writeFile(const QString& path, const QByteArray& pdf)
{
    SafeFileWriter writer(QFile::encodeName(path).toStdString());
    return writer.Open() && writer.Write(pdf.constData(), static_cast<std::size_t>(pdf.size())) && writer.Commit();
}

// Hands the PDF to the print system; the temporary file goes when "lp" is done.
bool sendToPrinter(const QByteArray& pdf, const QString& printerName)
{
    auto* file = new QTemporaryFile(QDir::tempPath() + QStringLiteral("/zarnweb-print-XXXXXX.pdf"));
    if (!file->open() || file->write(pdf) != pdf.size() || !file->flush()) {
        delete file;
        return false;
    }
    auto* lp = new QProcess;
    QStringList arguments;
    if (!printerName.isEmpty())
        arguments << QStringLiteral("-d") << printerName;
    arguments << QStringLiteral("--") << file->fileName();
    file->setParent(lp);
    QObject::connect(lp, &QProcess::finished, lp, &QObject::deleteLater);
    QObject::connect(lp, &QProcess::errorOccurred, lp, [lp](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            lp->deleteLater();
    });
    lp->start(QStringLiteral("lp"), arguments);
    return lp->waitForStarted();
}

} // namespace

void PrintPage(QWebEngineView* view, QPrinter& printer, const QString& header, const QString& footer,
    std::function<void(bool)> done)
{
    const PageSetupValues setup = ReadPageSetup();
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Inch);
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(setup.MarginsInches);
    const QMarginsF m = layout.margins();
    const HeaderFooterMargins margins{
        m.top() * PointsPerInch, m.bottom() * PointsPerInch, m.left() * PointsPerInch, m.right() * PointsPerInch};
    const PageFacts facts{view->page()->title(), view->page()->url().toString(), 1, 1, QDateTime::currentDateTime()};
    const QString file = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    const QString printerName = printer.printerName();
    QPrinter* target = &printer;
    view->page()->printToPdf(
        [=](const QByteArray& printed) {
            if (printed.isEmpty()) {
                done(false);
                return;
            }
            QByteArray pdf = printed;
            StampHeaderFooter(pdf, header, footer, facts, margins);
            if (!file.isEmpty())
                done(writeFile(file, pdf));
            else if (sendToPrinter(pdf, printerName))
                done(true);
            else {
                QObject::connect(
                    view, &QWebEngineView::printFinished, view, [done](bool ok) { done(ok); },
                    Qt::SingleShotConnection);
                view->print(target);
            }
        },
        layout);
}
