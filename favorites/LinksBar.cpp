#include "favorites/LinksBar.h"

#include "browserhost/Sextant.h"
#include "favorites/ItemCaptions.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QStatusBar>
#include <QToolButton>

namespace {

QString linksKey() { return QStringLiteral("\\SOFTWARE\\") + ApplicationTitle() + QStringLiteral("\\Links"); }
QString programKey() { return QStringLiteral("\\SOFTWARE\\") + ApplicationTitle(); }

void errorBox(const QString& text) { MessageDlg(text, mtError, mbOK); }
void informationBox(const QString& text) { MessageDlg(text, mtInformation, mbOK); }

// The stored links, or a missing key (false in exists).
bool readStored(std::vector<TLink>& links, bool& exists)
{
    links.clear();
    exists = false;
    try {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKeyReadOnly(linksKey()))
            return true;
        exists = true;
        for (const QString& name : registry.GetValueNames()) {
            if (registry.GetDataType(name) != REG_SZ && registry.GetDataType(name) != REG_EXPAND_SZ)
                continue;
            links.push_back(TLink{name, registry.ReadString(name)});
        }
        return true;
    } catch (const ERegistryException&) {
        links.clear();
        return false;
    }
}

} // namespace

TLinksBar::TLinksBar(QWidget* parent) : QToolBar(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setMovable(false);
    setFloatable(false);
    setMinimumHeight(26);
    RebuildButtons(0);
}

TLinksBar::~TLinksBar() = default;

QString TLinksBar::About() const { return QStringLiteral("TLinksBar - a tool bar of the stored links"); }

bool TLinksBar::ReadLinks(std::vector<TLink>& links)
{
    bool exists = false;
    return readStored(links, exists);
}

void TLinksBar::GetLinks(QStringList& list)
{
    std::vector<TLink> links;
    bool exists = false;
    if (!readStored(links, exists)) {
        errorBox(QStringLiteral("Error while reading the links from the registry!"));
        return;
    }
    if (!exists)
        return;
    list.clear();
    for (const TLink& link : links)
        list.append(link.Name + QLatin1Char('=') + link.Address);
    if (list.isEmpty())
        setVisible(false);
}

void TLinksBar::GetLinkUrls(QStringList& list)
{
    std::vector<TLink> links;
    bool exists = false;
    if (!readStored(links, exists)) {
        errorBox(QStringLiteral("Error while reading the links from the registry!"));
        return;
    }
    for (const TLink& link : links)
        list.append(link.Address);
}

void TLinksBar::AddLink(const QString& name, const QString& address)
{
    bool added = false;
    try {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        if (registry.OpenKey(linksKey(), true)) {
            registry.WriteString(name, address);
            added = true;
        }
    } catch (const ERegistryException&) {}
    if (added)
        informationBox(
            QStringLiteral("The site : ") + name + QStringLiteral("\n\r has been added to your links list."));
    else
        errorBox(QStringLiteral("Error while adding the site to the registry!"));
    setVisible(true);
    RebuildButtons(0);
    repaint();
}

void TLinksBar::RemoveLink(const QString& name)
{
    try {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        if (registry.OpenKey(linksKey(), false) && registry.DeleteValue(name))
            informationBox(
                QStringLiteral("The site : ") + name + QStringLiteral("\n\rWas removed from your links list."));
        else
            errorBox(QStringLiteral("The site could not be found in the list."));
    } catch (const ERegistryException&) {
        errorBox(QStringLiteral("Error while removing the site from the registry!"));
    }
    RebuildButtons(0);
}

void TLinksBar::ClearLinks()
{
    if (MessageDlg(QStringLiteral("You are about to delete all your links. Are you sure?"), mtWarning, mbOK | mbCancel)
        != mrOk)
        return;
    try {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        if (registry.OpenKey(programKey(), false) && registry.DeleteKey(QStringLiteral("Links")))
            informationBox(QStringLiteral("The link list has been removed from the registry."));
        else
            errorBox(QStringLiteral("The list could not be located."));
    } catch (const ERegistryException&) {
        errorBox(QStringLiteral("Error while removing the list from the registry!"));
    }
    RebuildButtons(-1);
}

void TLinksBar::NavigateToLink(const QString& name)
{
    std::vector<TLink> links;
    bool exists = false;
    if (!readStored(links, exists) || !exists)
        return;
    for (const TLink& link : links) {
        if (link.Name.compare(name, Qt::CaseInsensitive) == 0 && !link.Address.isEmpty()) {
            if (WebBrowser)
                WebBrowser->Go(link.Address);
            return;
        }
    }
    errorBox(QStringLiteral("Your links list is empty."));
}

void TLinksBar::RebuildButtons(int imageIndex)
{
    // Each button stands in the bar as a widget action that owns it;
    // deleting the action deletes the button.
    for (QAction* action : actions())
        delete action;
    buttons_.clear();

    std::vector<TLink> links;
    bool exists = false;
    if (!readStored(links, exists)) {
        errorBox(QStringLiteral("Error while reading the links from the registry!"));
        return;
    }
    if (exists && links.empty())
        setVisible(false);
    for (const TLink& link : links) {
        shown_ = true;
        auto* button = new QToolButton(this);
        button->setText(LiteralCaption(CutCaption(link.Name, MaxCaptionLength)));
        button->setToolTip(link.Address);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setAutoRaise(true);
        button->setProperty("linkAddress", link.Address);
        if (ShowImages && imageIndex >= 0 && imageIndex < Images.size()) {
            button->setIcon(Images[imageIndex]);
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        connect(button, &QToolButton::clicked, this, [this, button] { LinkButtonClick(button); });
        addWidget(button);
        buttons_.append(button);
    }
}

void TLinksBar::LinkButtonClick(QToolButton* button)
{
    const QString address = button->property("linkAddress").toString();
    if (AutoNavigate && WebBrowser)
        WebBrowser->Go(address);
    if (StatusBar)
        StatusBar->showMessage(address);
}

void TLinksBar::SetShown(bool value)
{
    setVisible(true);
    if (value != shown_) {
        setVisible(value);
        shown_ = value;
    }
}

void TLinksBar::setVisible(bool visible)
{
    const bool wasHidden = isHidden();
    QToolBar::setVisible(visible);
    if (wasHidden != isHidden())
        emit VisibilityFollowed(!isHidden());
}
