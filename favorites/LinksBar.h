#pragma once
// TLinksBar: a tool bar with one button per stored link. The links are kept
// in the registry, in HKEY_LOCAL_MACHINE under "SOFTWARE\<application
// title>\Links" (ApplicationTitle, platform/ui/Application.h): one string
// value per link, its name the link's name (a page title), its data the
// link's address, listed in the order they were first written.
//
// Links are (name, address) pairs throughout; "name=address" lines are made
// only for showing the list (GetLinks), so a name holding "=" ("E=mc²")
// keeps its name and address.
//
// Outcomes a user should see go to message boxes (platform/ui/Dialogs.h)
// with the fixed texts below; names are shown as plain text.
//
// Used on the user-interface thread only.
#include <QString>
#include <QStringList>
#include <QToolBar>

#include <vector>

class QStatusBar;
class QToolButton;
class TSextant;

// One stored link.
struct TLink {
    QString Name;
    QString Address;
};

class TLinksBar : public QToolBar {
    Q_OBJECT

public:
    // Visible, captions and hints shown, flat, at least 26 pixels high, with
    // the buttons of the stored links (RebuildButtons(0)).
    explicit TLinksBar(QWidget* parent = nullptr);
    ~TLinksBar() override;

    // A button opens its link in WebBrowser (when set). true by default.
    bool AutoNavigate = true;
    // Longest button caption in characters before it is cut and "..."
    // added (whole characters, ItemCaptions.h). 15 by default.
    int MaxCaptionLength = 15;
    // Buttons carry the image index given to RebuildButtons. true by default.
    bool ShowImages = true;
    // The browser that opens links; none by default.
    TSextant* WebBrowser = nullptr;
    // Shows a clicked button's address; none by default.
    QStatusBar* StatusBar = nullptr;
    // Images for the buttons, by index; empty by default.
    QList<QIcon> Images;

    // Always 0, as the component publishes it.
    int Count() const { return 0; }
    QString About() const;

    // The stored links in stored order into links. A missing key is an
    // empty list (true). false, with links empty, when the registry cannot
    // be read; no box.
    static bool ReadLinks(std::vector<TLink>& links);

    // list := one "name=address" line per stored link. A missing key leaves
    // list as it is. An empty result hides the bar. A registry failure shows
    // the error box "Error while reading the links from the registry!".
    void GetLinks(QStringList& list);
    // Appends the stored addresses to list (not cleared); a missing key adds
    // nothing and shows nothing. A registry failure shows the same error box.
    void GetLinkUrls(QStringList& list);
    // Stores the link (creating the key; an existing name gets the new
    // address and keeps its place) and says so ("The site : <name>\n\r has
    // been added to your links list."), or shows "Error while adding the site
    // to the registry!" (a read-only hive, say). Then the bar is shown and
    // its buttons rebuilt.
    void AddLink(const QString& name, const QString& address);
    // Removes the link of that name: "The site : <name>\n\rWas removed from
    // your links list.", or "The site could not be found in the list." when
    // no such link (or no list) exists, or "Error while removing the site
    // from the registry!" when the hive refuses. Then the buttons are
    // rebuilt.
    void RemoveLink(const QString& name);
    // Asks "You are about to delete all your links. Are you sure?" (OK,
    // Cancel); on OK only deletes the stored list: "The link list has been
    // removed from the registry.", or "The list could not be located." when
    // there is none, or "Error while removing the list from the registry!"
    // when the hive refuses. After OK the buttons are rebuilt.
    void ClearLinks();
    // Opens the address of the link of that name in WebBrowser (when set).
    // No such link, or an empty address: the error box "Your links list is
    // empty." (also when other links exist). A missing list: nothing.
    void NavigateToLink(const QString& name);
    // Deletes every button and makes one per stored link, in stored order:
    // the name as caption (cut, "&" kept literal), the address as tooltip,
    // checkable and exclusive among the bar's buttons, with the image at
    // imageIndex when ShowImages.
    void RebuildButtons(int imageIndex);

    // The bar is first made visible; when value differs from Shown, the
    // bar's visibility becomes value and Shown takes it. So setting Shown to
    // its present value leaves the bar visible.
    void SetShown(bool value);
    bool Shown() const { return shown_; }

    // The buttons now on the bar, in order.
    QList<QToolButton*> Buttons() const { return buttons_; }

    void setVisible(bool visible) override;

signals:
    // The bar was shown or hidden (by any of its operations or directly);
    // visible tells which. A check item that follows the bar listens here.
    void VisibilityFollowed(bool visible);

private:
    void LinkButtonClick(QToolButton* button);

    QList<QToolButton*> buttons_;
    bool shown_ = true;
};
