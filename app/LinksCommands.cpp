// The links list commands of the Tools menu and the links bar's pop-up menu,
// the View menu's links bar item, and the Links Checker tab.
#include "app/unitZarnWeb.h"

#include "app/LinksDownload.h"
#include "browserhost/Sextant.h"
#include "download/LinkCheck.h"
#include "download/ProgramInfo.h"
#include "editor/DodiViveDE.h"
#include "favorites/LinksBar.h"
#include "platform/registry/Profile.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

namespace {

// The fixed link "Navigate To Link Item" opens: the title of the start page
// every profile ships.
const QString StartPageLinkName = QStringLiteral("ZarnWeb - Start Page");

// While a synchronous check runs, the window takes no user input: keys,
// clicks and the wheel are dropped (paint and timer events go on, so the
// grid still fills). The one exception is the Stop button.
class InputBlocker : public QObject {
public:
    InputBlocker(QObject* parent, QWidget* stop) : QObject(parent), stop_(stop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return watched != stop_;
        default:
            return false;
        }
    }

private:
    QWidget* stop_;
};

QString fromStd(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

} // namespace

QString TfrmMain::LinksDownloadFolder()
{
    const QString beside = QString::fromStdString(ProgramFolder());
    const QFileInfo folder(beside);
    const QFileInfo downloads(beside + QStringLiteral("Downloads"));
    if (downloads.exists() ? downloads.isDir() && downloads.isWritable() : folder.isWritable())
        return beside + QStringLiteral("Downloads/");
    return ProfileFolder() + QStringLiteral("/Downloads/");
}

void TfrmMain::bindLinksCommands()
{
    LinksBar1->WebBrowser = Sextant1;
    LinksBar1->setContextMenuPolicy(Qt::CustomContextMenu);

    // An answer always stands in its row (the component may report an error
    // status before it hands the answer over); otherwise the first failure
    // names the cause. A failure after the answer (saving the page) leaves
    // the answer standing.
    IEDownload1 = NewLinksDownload(
        [this](int status) {
            if (checkingRow_ > 0 && !rowDone_) {
                rowDone_ = true;
                writeRow(checkingRow_, fromStd(LinkStatusText(status)), fromStd(LinkResultText(status)));
            }
        },
        [this](const std::string& text) {
            if (checkingRow_ > 0 && !rowDone_ && !rowFailed_) {
                rowFailed_ = true;
                writeRow(checkingRow_, fromStd(LinkErrorText(text)), QString());
            }
        });
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { SetLinksBindSynchronous(*IEDownload1, true); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { SetLinksBindSynchronous(*IEDownload1, false); });
    connect(Button1, &QPushButton::clicked, this, &TfrmMain::Button1Click);

    const auto pageTitle = [this] {
        const QString title = QString::fromStdU16String(Sextant1->LocationName()).trimmed();
        return title.isEmpty() ? QString::fromStdU16String(Sextant1->LocationURL()) : title;
    };
    const auto addSite = [this, pageTitle] {
        const QString address = QString::fromStdU16String(Sextant1->LocationURL());
        if (address.isEmpty()) {
            MessageDlg(QStringLiteral("There is no page to add to the links list."), mtError, mbOK);
            return;
        }
        LinksBar1->AddLink(pageTitle(), address);
    };
    const auto removeSite = [this, pageTitle] { LinksBar1->RemoveLink(pageTitle()); };
    const auto navigate = [this] { LinksBar1->NavigateToLink(StartPageLinkName); };
    const auto showList = [this] {
        ShowEditorTab();
        QStringList links;
        LinksBar1->GetLinks(links);
        QStringList lines = DodiViveDE1->Text().isEmpty() ? QStringList() : editorLines();
        lines << links;
        lines << QStringLiteral("**** You have a total of ") + QString::number(links.size())
                + QStringLiteral(" links in your list****");
        setEditorLines(lines);
    };
    const auto clear = [this] { LinksBar1->ClearLinks(); };
    const auto showHide = [this] { MenuItem(TMenuCommand::ShowHideLinksBar)->trigger(); };

    OnMenuCommand(TMenuCommand::LinksAddSite, addSite);
    OnMenuCommand(TMenuCommand::LinksBarAddSite, addSite);
    OnMenuCommand(TMenuCommand::LinksRemoveSite, removeSite);
    OnMenuCommand(TMenuCommand::LinksBarRemoveSite, removeSite);
    OnMenuCommand(TMenuCommand::LinksNavigate, navigate);
    OnMenuCommand(TMenuCommand::LinksBarNavigate, navigate);
    OnMenuCommand(TMenuCommand::LinksShowList, showList);
    OnMenuCommand(TMenuCommand::LinksBarShowList, showList);
    OnMenuCommand(TMenuCommand::LinksClear, clear);
    OnMenuCommand(TMenuCommand::LinksBarClear, clear);
    OnMenuCommand(TMenuCommand::LinksShowHideToolbar, showHide);
    OnMenuCommand(TMenuCommand::LinksBarShowHide, showHide);

    // The View item is a check mark that follows the bar, so that every
    // click turns the bar the other way.
    QAction* viewHide = MenuItem(TMenuCommand::ShowHideLinksBar);
    viewHide->setChecked(!LinksBar1->isHidden());
    connect(LinksBar1, &TLinksBar::VisibilityFollowed, viewHide, &QAction::setChecked);
    OnMenuCommand(TMenuCommand::ShowHideLinksBar, [this, viewHide] {
        LinksBar1->SetShown(LinksBar1->isHidden());
        viewHide->setChecked(!LinksBar1->isHidden());
    });

    OnMenuCommand(TMenuCommand::CheckLinks, [this] { CheckTheLinksClick(); });
    OnMenuCommand(TMenuCommand::CheckUrlsFromList, [this] { ShowLinksTab(); });
}

void TfrmMain::writeRow(int row, const QString& status, const QString& result)
{
    if (row < 1 || row >= StringGrid1->rowCount())
        return;
    StringGrid1->setItem(row, 1, new QTableWidgetItem(status));
    StringGrid1->setItem(row, 2, new QTableWidgetItem(result));
    StringGrid1->viewport()->update();
}

void TfrmMain::Button1Click()
{
    if (checking_) {
        stopChecking_ = true;
        CancelLink(*IEDownload1);
        return;
    }
    checkLinks();
}

void TfrmMain::CheckTheLinksClick()
{
    if (checking_)
        return;
    ShowLinksTab();
    for (int row = 1; row < StringGrid1->rowCount(); ++row) {
        for (int column = 0; column < 3; ++column)
            delete StringGrid1->takeItem(row, column);
    }
    LinksList.clear();
    LinksBar1->GetLinkUrls(LinksList);
    fillLinksGrid();
    checkLinks();
}

void TfrmMain::setCheckingState(bool checking)
{
    checking_ = checking;
    Button1->setText(checking ? QStringLiteral("Stop") : QStringLiteral("Check Links"));
    for (TMenuCommand command : {TMenuCommand::CheckLinks, TMenuCommand::CheckUrlsFromList})
        MenuItem(command)->setEnabled(!checking);
    RadioButton1->setEnabled(!checking);
    RadioButton2->setEnabled(!checking);
    if (checking && RadioButton1->isChecked()) {
        inputBlocker_ = new InputBlocker(this, Button1);
        qApp->installEventFilter(inputBlocker_);
    } else if (!checking && inputBlocker_) {
        qApp->removeEventFilter(inputBlocker_);
        delete std::exchange(inputBlocker_, nullptr);
    }
}

void TfrmMain::checkLinks()
{
    // The entries are copied: the list may not change under the loop, and
    // each answer goes to the row being checked, whatever address the
    // download component ends up fetching.
    const QStringList entries = LinksList;
    for (int row = 1; row <= entries.size() && row < StringGrid1->rowCount(); ++row) {
        delete StringGrid1->takeItem(row, 1);
        delete StringGrid1->takeItem(row, 2);
    }
    stopChecking_ = false;
    setCheckingState(true);
    const std::string folder = LinksDownloadFolder().toStdString();
    for (int i = 0; i < entries.size() && !stopChecking_; ++i) {
        const std::string entry = entries[i].trimmed().toStdString();
        const int row = i + 1;
        switch (LinkEntryKind(entry)) {
        case TLinkEntry::Empty:
            continue;
        case TLinkEntry::OtherScheme:
            writeRow(row, fromStd(NotCheckedStatusText()), fromStd(NotCheckedResultText()));
            continue;
        case TLinkEntry::Fetched:
            break;
        }
        checkingRow_ = row;
        rowDone_ = false;
        rowFailed_ = false;
        FetchLink(*IEDownload1, entry, folder);
        if (!rowDone_ && !rowFailed_ && !stopChecking_)
            writeRow(row, fromStd(LinkErrorText("no answer")), QString());
        checkingRow_ = 0;
    }
    checkingRow_ = 0;
    setCheckingState(false);
    if (closeAfterCheck_) {
        closeAfterCheck_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}
