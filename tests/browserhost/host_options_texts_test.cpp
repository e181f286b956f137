// The texts the dialog interception writes: captions with "Microsoft " and
// "Internet Explorer" replaced once, and page-setup margins in the locale's
// unit.
#include "browserhost/DialogInterception.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(DialogCaption, FirstOccurrencesAreReplaced)
{
    const struct {
        const char* caption;
        const char* expected;
    } cases[] = {
        {"Microsoft Internet Explorer", "T"},
        {"Internet Explorer Internet Explorer", "T Internet Explorer"},
        {"Microsoft Microsoft Word", "Microsoft Word"},
        {"Script Error", "Script Error"},
        {"internet explorer", "internet explorer"},
        {"Windows Internet Explorer - page", "Windows T - page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(
            ReplaceDialogCaption(QString::fromLatin1(c.caption), QStringLiteral("T")), QString::fromLatin1(c.expected));
    }
}

TEST(PageSetupMargins, ShownInTheLocalesUnit)
{
    const struct {
        QLocale locale;
        double millimetres;
        const char* expected;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), 19.05, "0.75"},
        {QLocale(QLocale::English, QLocale::UnitedStates), 25.4, "1"},
        {QLocale(QLocale::German, QLocale::Germany), 19.05, "19,05"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), 10, "10"},
    };
    const QLocale saved;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        EXPECT_EQ(PageSetupMarginText(c.millimetres), QString::fromLatin1(c.expected));
    }
    QLocale::setDefault(saved);
}

} // namespace
