#pragma once
// Page headers and footers of printed pages. The control writes them in its
// header codes; StampHeaderFooter adds them, as text, to every page of a PDF
// that the page engine printed (the engine prints without them), so that the
// page's own text stays text.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// What the header codes stand for on one page.
struct PageFacts {
    QString Title; // &w
    QString Url; // &u
    int Page = 1; // &p
    int PageCount = 1; // &P
    QDateTime Printed; // &d short date, &D long date, &t time, &T 24-hour time
};

// A header or footer in codes made into its parts: "&b" separates the left,
// centred and right parts ("a&bb" puts b on the right, "a&bb&bc" centres b
// and puts c on the right; further "&b" stay in the right part). "&&" is a
// single "&"; an unknown code stays as written.
QStringList ExpandHeaderCodes(const QString& codes, const PageFacts& facts);

// Page margins in points (1/72 inch), where the header and footer are set.
struct HeaderFooterMargins {
    double Top = 0;
    double Bottom = 0;
    double Left = 0;
    double Right = 0;
};

// Adds the header at the top and the footer at the bottom of every page of
// the PDF, expanded per page (facts.Page and facts.PageCount are filled in
// here), written as an incremental update of the file. The PDF must have a
// classic cross-reference table, as the engine writes. False, with pdf
// unchanged, when the file cannot be read that way.
bool StampHeaderFooter(
    QByteArray& pdf, const QString& header, const QString& footer, PageFacts facts, const HeaderFooterMargins& margins);
