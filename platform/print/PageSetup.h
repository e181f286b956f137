#pragma once
// The control's page setup: header, footer and margins kept in the current
// user's registry ("Software\Microsoft\Internet Explorer\PageSetup", margins
// in inches as text with "." as decimal separator), the orientation kept by
// the control's printer, and the page-setup dialog that edits them. The
// dialog's controls carry their control ids as object names and its buttons
// the window class "Button", so that a host can fill and confirm it.
#include <QDialog>
#include <QMarginsF>
#include <QString>

class QLineEdit;
class QPrinter;
class QRadioButton;

// Control ids of the page-setup dialog.
inline constexpr int IDC_PORTRAIT = 1056;
inline constexpr int IDC_LANDSCAPE = 1057;
inline constexpr int IDC_HEADER = 8147;
inline constexpr int IDC_FOOTER = 8149;
inline constexpr int IDC_MARGIN_LEFT = 1155;
inline constexpr int IDC_MARGIN_TOP = 1156;
inline constexpr int IDC_MARGIN_RIGHT = 1157;
inline constexpr int IDC_MARGIN_BOTTOM = 1158;
inline constexpr int IDC_OK = 1;
inline constexpr int IDC_CANCEL = 2;

inline constexpr const char* PageSetupKey = "Software\\Microsoft\\Internet Explorer\\PageSetup";

struct PageSetupValues {
    QString Header;
    QString Footer;
    QMarginsF MarginsInches{0.75, 0.75, 0.75, 0.75}; // left, top, right, bottom
};

// The stored values; a missing or unreadable margin counts as 0.75 inch.
PageSetupValues ReadPageSetup();
// Registry failures are swallowed.
void WritePageSetup(const PageSetupValues& values);

// Whether the user's locale measures in inches (the United States' system;
// else millimetres).
bool LocaleMeasuresInInches();
// The shortest decimal text of a number, rounded to six decimals, in the
// locale's format ("0.75", "19,05", "1").
QString ShortestDecimal(double value);

// The control's page-setup dialog, window class "#32770", titled "Page
// Setup". Margins are shown in the locale's unit. Accepting stores header,
// footer and margins (WritePageSetup) and the orientation in the printer.
class PageSetupDialog : public QDialog {
    Q_OBJECT
public:
    PageSetupDialog(QPrinter& printer, QWidget* parent);
    void accept() override;

private:
    QPrinter& printer_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
    QLineEdit* header_;
    QLineEdit* footer_;
    QLineEdit* margins_[4]; // left, top, right, bottom
};
