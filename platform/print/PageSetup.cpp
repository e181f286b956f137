#include "platform/print/PageSetup.h"

#include "platform/registry/Registry.h"
#include "platform/webcontrol/WindowClass.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr double MillimetresPerInch = 25.4;
const char* const MarginNames[4] = {"margin_left", "margin_top", "margin_right", "margin_bottom"};
constexpr int MarginIds[4] = {IDC_MARGIN_LEFT, IDC_MARGIN_TOP, IDC_MARGIN_RIGHT, IDC_MARGIN_BOTTOM};

double marginAt(const QMarginsF& m, int i)
{
    const double values[4] = {m.left(), m.top(), m.right(), m.bottom()};
    return values[i];
}

QMarginsF withMargin(QMarginsF m, int i, double value)
{
    switch (i) {
    case 0:
        m.setLeft(value);
        break;
    case 1:
        m.setTop(value);
        break;
    case 2:
        m.setRight(value);
        break;
    default:
        m.setBottom(value);
        break;
    }
    return m;
}

QString controlName(int id) { return QString::number(id); }

} // namespace

PageSetupValues ReadPageSetup()
{
    PageSetupValues values;
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKeyReadOnly(QString::fromLatin1(PageSetupKey)))
            return values;
        values.Header
            = reg.ValueExists(QStringLiteral("header")) ? reg.ReadString(QStringLiteral("header")) : QString();
        values.Footer
            = reg.ValueExists(QStringLiteral("footer")) ? reg.ReadString(QStringLiteral("footer")) : QString();
        for (int i = 0; i < 4; ++i) {
            const QString name = QString::fromLatin1(MarginNames[i]);
            bool ok = false;
            const double inches
                = reg.ValueExists(name) ? reg.ReadString(name).remove(QLatin1Char(' ')).toDouble(&ok) : 0;
            if (ok && inches >= 0)
                values.MarginsInches = withMargin(values.MarginsInches, i, inches);
        }
    } catch (const ERegistryException&) {}
    return values;
}

void WritePageSetup(const PageSetupValues& values)
{
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(QString::fromLatin1(PageSetupKey), true))
            return;
        reg.WriteString(QStringLiteral("header"), values.Header);
        reg.WriteString(QStringLiteral("footer"), values.Footer);
        for (int i = 0; i < 4; ++i)
            reg.WriteString(
                QString::fromLatin1(MarginNames[i]), QString::number(marginAt(values.MarginsInches, i), 'f', 6));
    } catch (const ERegistryException&) {}
}

// British users measure pages in millimetres, as their system settings say.
bool LocaleMeasuresInInches() { return QLocale().measurementSystem() == QLocale::ImperialUSSystem; }

QString ShortestDecimal(double value)
{
    // Six decimals, as the registry keeps margins: 19.05 mm / 25.4 shows as
    // 0.75, not as the binary fraction's 0.7500000000000001.
    const double rounded = std::round(value * 1e6) / 1e6;
    return QLocale().toString(rounded, 'g', QLocale::FloatingPointShortest);
}

PageSetupDialog::PageSetupDialog(QPrinter& printer, QWidget* parent) : QDialog(parent), printer_(printer)
{
    SetWindowClassName(this, QStringLiteral("#32770"));
    setWindowTitle(QStringLiteral("Page Setup"));
    const PageSetupValues values = ReadPageSetup();
    const bool inches = LocaleMeasuresInInches();

    // The OK button is the dialog's first button child.
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName(controlName(IDC_OK));
    cancel->setObjectName(controlName(IDC_CANCEL));
    SetWindowClassName(ok, QStringLiteral("Button"));
    SetWindowClassName(cancel, QStringLiteral("Button"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* orientation = new QGroupBox(QStringLiteral("Orientation"), this);
    portrait_ = new QRadioButton(QStringLiteral("P&ortrait"), orientation);
    landscape_ = new QRadioButton(QStringLiteral("L&andscape"), orientation);
    portrait_->setObjectName(controlName(IDC_PORTRAIT));
    landscape_->setObjectName(controlName(IDC_LANDSCAPE));
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape_ : portrait_)->setChecked(true);
    auto* orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);

    auto* fields = new QFormLayout;
    header_ = new QLineEdit(values.Header, this);
    footer_ = new QLineEdit(values.Footer, this);
    header_->setObjectName(controlName(IDC_HEADER));
    footer_->setObjectName(controlName(IDC_FOOTER));
    fields->addRow(QStringLiteral("&Header:"), header_);
    fields->addRow(QStringLiteral("&Footer:"), footer_);
    const QString unit = inches ? QStringLiteral(" (inches)") : QStringLiteral(" (millimeters)");
    const char* const labels[4] = {"&Left:", "&Top:", "&Right:", "&Bottom:"};
    for (int i = 0; i < 4; ++i) {
        const double inch = marginAt(values.MarginsInches, i);
        margins_[i] = new QLineEdit(ShortestDecimal(inches ? inch : inch * MillimetresPerInch), this);
        margins_[i]->setObjectName(controlName(MarginIds[i]));
        fields->addRow(QString::fromLatin1(labels[i]) + unit, margins_[i]);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(orientation);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

void PageSetupDialog::accept()
{
    const bool inches = LocaleMeasuresInInches();
    PageSetupValues values = ReadPageSetup();
    values.Header = header_->text();
    values.Footer = footer_->text();
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const double shown = QLocale().toDouble(margins_[i]->text().trimmed(), &ok);
        if (ok && shown >= 0)
            values.MarginsInches = withMargin(values.MarginsInches, i, inches ? shown : shown / MillimetresPerInch);
    }
    WritePageSetup(values);
    printer_.setPageOrientation(landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QDialog::accept();
}
