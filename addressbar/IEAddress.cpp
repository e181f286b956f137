#include "addressbar/IEAddress.h"

#include "addressbar/AddressText.h"
#include "addressbar/SiteIcons.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Registry.h"
#include "platform/shell/AutoComplete.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"
#include "platform/urlmon/DownloadToFile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <utility>

namespace {

const QString kTypedUrlsKey = QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
const QString kMainKey = QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\Main");
constexpr int kIconSize = 16;
constexpr int kEditLeft = 23;
constexpr int kEditTop = 5;
constexpr int kDialogFrameWidth = 3;

// Control characters never enter the list or the registry: a line break in
// an item would split the list when it is read back.
QString withoutControlCharacters(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            clean.append(c);
    return clean;
}

// A value that is not text counts as empty.
QString readTypedUrl(TRegistry& reg, const QString& name)
{
    try {
        return reg.ReadString(name).trimmed();
    } catch (const ERegistryException&) {
        return {};
    }
}

struct ThemeColors {
    TColor border, arrow, button, buttonPressed;
};

ThemeColors themeColors(TCustomIEAddress::TThemes theme)
{
    using C = TCustomIEAddress;
    switch (theme) {
    case TCustomIEAddress::tmXP:
        return {0xB99D7F, 0x85614D, 0xFCD5C2, 0xF1A680};
    case TCustomIEAddress::tmSilver:
        return {C::clGray, C::cl3DDkShadow, C::clSilver, C::clActiveBorder};
    case TCustomIEAddress::tmSoil:
        return {C::clMaroon, 0x000080, C::clInfoBk, C::cl3DLight};
    case TCustomIEAddress::tmNone:
        break;
    }
    return {C::clBlack, C::clBlack, C::clBtnFace, C::clBtnShadow};
}

DWORD autoComplete2Bits(const TAutoComplete2Options& options)
{
    DWORD bits = 0;
    for (const TAutoComplete2Option option : options)
        if (option != acoNone)
            bits |= 1u << (option - 1);
    return bits;
}

} // namespace

// Items of the open list: the item's icon at the left, its text beside it.
class TIEAddressItemDelegate : public QStyledItemDelegate {
public:
    explicit TIEAddressItemDelegate(TCustomIEAddress* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        const int icon = box_->GetIconIndex(index.data().toString());
        int textLeft = option.rect.left() + 16;
        const QPixmap image = SystemImageList::instance().pixmap(icon, SystemImageList::ImageSize::Small);
        if (!image.isNull()) {
            const int top = option.rect.top() + (option.rect.height() - image.height()) / 2;
            painter->drawPixmap(option.rect.left() + 4, top, image);
            textLeft = option.rect.left() + image.width() + 6;
        }
        painter->setPen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        const QRect textRect(textLeft, option.rect.top(), option.rect.right() - textLeft, option.rect.height());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textRect.width()));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), TCustomIEAddress::ListItemHeight};
    }

private:
    TCustomIEAddress* box_;
};

QColor TCustomIEAddress::ToQColor(TColor color)
{
    if (color == clNone)
        return {};
    if ((color & clSystemColor) == 0)
        return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    const QPalette palette = QApplication::palette();
    switch (color) {
    case clActiveBorder:
        return palette.color(QPalette::Window);
    case clBtnFace:
        return palette.color(QPalette::Button);
    case clBtnShadow:
        return palette.color(QPalette::Dark);
    case cl3DDkShadow:
        return palette.color(QPalette::Shadow);
    case cl3DLight:
        return palette.color(QPalette::Midlight);
    case clInfoBk:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Base);
    }
}

TCustomIEAddress::TCustomIEAddress(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setCompleter(nullptr); // the box completes addresses itself (SetupAutoComplete)
    setInsertPolicy(QComboBox::NoInsert);
    setItemDelegate(new TIEAddressItemDelegate(this));
    resize(145, 22);
    lineEdit()->installEventFilter(this);
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TCustomIEAddress::textEdited);
    // The icon and the secure colour follow every text, also one the program
    // sets (the browser's location after a link was followed): a secure
    // colour left over from an https page must not stay on a plain one.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (loaded_)
            ApplySecureSiteColor();
        refreshIcon();
    });
    // The combo box also activates the item that matches the text when the
    // edit loses the focus (to the page, once it has loaded): only a click
    // in the open list chooses an address.
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (std::exchange(clickInList_, false))
            itemClicked(index);
    });
    connect(&TSiteIcons::Instance(), &TSiteIcons::Fetched, this, &TCustomIEAddress::faviconFetched);
}

TCustomIEAddress::~TCustomIEAddress()
{
    if (!loaded_)
        return;
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, savedHintColor_);
    QToolTip::setPalette(hints);
}

QString TCustomIEAddress::About() const
{
    return QStringLiteral("TIEAddress: the address box with typed addresses, site icons, themes and completion");
}

TSextant* TCustomIEAddress::Sextant() const { return sextant_; }

void TCustomIEAddress::SetSextant(TSextant* browser) { sextant_ = browser; }

void TCustomIEAddress::SetFlat(bool value)
{
    flat_ = value;
    setFrame(!value);
    if (value)
        SetHasBorder(false);
}

void TCustomIEAddress::SetGUI(TGUI value)
{
    gui_ = value;
    if (loaded_ && gui_ == gsThemes)
        ApplyTheme();
    PositionEdit();
    update();
}

void TCustomIEAddress::SetHasBorder(bool value)
{
    hasBorder_ = value;
    update();
}

void TCustomIEAddress::SetHasDropDown(bool value)
{
    hasDropDown_ = value;
    UpdateRegion();
}

void TCustomIEAddress::SetThemes(TThemes value)
{
    themes_ = value;
    if (loaded_ && gui_ == gsThemes)
        ApplyTheme();
}

void TCustomIEAddress::SetAutoCompleteVersion(TAComp value)
{
    autoCompleteVersion_ = value;
    if (loaded_)
        value == AutoComplete1 ? SetupAutoComplete() : SetupAutoComplete2();
}

void TCustomIEAddress::SetAutoCompleteOptions(const TAutoCompleteOptions& value)
{
    autoCompleteOptions_ = value;
    if (loaded_ && autoCompleteVersion_ == AutoComplete1)
        SetupAutoComplete();
}

void TCustomIEAddress::SetAutoComplete2Options(const TAutoComplete2Options& value)
{
    autoComplete2Options_ = value;
    if (loaded_ && autoCompleteVersion_ == AutoComplete2)
        SetupAutoComplete2();
}

void TCustomIEAddress::SetAutoComplete2Source(const TACSources& value)
{
    autoComplete2Source_ = value;
    if (loaded_ && autoCompleteVersion_ == AutoComplete2)
        SetupAutoComplete2();
}

void TCustomIEAddress::Loaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    savedColor_ = palette().color(QPalette::Base);
    savedHintColor_ = QToolTip::palette().color(QPalette::ToolTipBase);
    lineEdit()->setModified(false);
    if (gui_ == gsThemes) {
        setFrame(false);
        setLayoutDirection(Qt::LeftToRight);
        ApplyTheme();
    }
    UpdateRegion();
    LoadTypedUrls();
    applyTextOnLoad();
    setEditText(NormalizeAddress(currentText()));
    ApplySecureSiteColor();
    UpdateTextFromBrowser();
    UpdateSiteToolTip();
    autoCompleteVersion_ == AutoComplete1 ? SetupAutoComplete() : SetupAutoComplete2();
    refreshIcon();
}

void TCustomIEAddress::applyTextOnLoad()
{
    switch (TextOnLoad) {
    case tlIEHomePage: {
        TRegistry reg(HKEY_CURRENT_USER);
        try {
            if (reg.OpenKeyReadOnly(kMainKey) && reg.ValueExists(QStringLiteral("Start Page")))
                setEditText(reg.ReadString(QStringLiteral("Start Page")));
        } catch (const ERegistryException&) {
            // No home page text.
        }
        break;
    }
    case tlBlank:
        if (sextant_)
            sextant_->Navigate(u"about:blank");
        else
            setEditText(QString());
        break;
    case tlUserDefine:
        setEditText(QString::fromStdU16String(TextOnShow));
        break;
    case tlIELastVisited:
        break;
    }
    if (sextant_ && AutoNavigateOnLoad)
        navigate();
}

void TCustomIEAddress::DeleteSelected()
{
    if (currentIndex() >= 0)
        removeItem(currentIndex());
}

void TCustomIEAddress::setTextKeepingList(const QString& text)
{
    const bool modified = lineEdit()->isModified();
    setEditText(text);
    lineEdit()->setModified(modified);
}

void TCustomIEAddress::LoadTypedUrls()
{
    const QString text = currentText();
    clear();
    QStringList items;
    TRegistry reg(HKEY_CURRENT_USER);
    try {
        if (reg.OpenKeyReadOnly(kTypedUrlsKey)) {
            const QStringList names = reg.GetValueNames();
            for (int n = 1; n <= TypedUrlsRead; ++n) {
                const QString name = QStringLiteral("Url%1").arg(n);
                if (!names.contains(name, Qt::CaseInsensitive))
                    continue;
                const QString url = readTypedUrl(reg, name);
                if (!url.isEmpty() && !items.join(u'\n').contains(url))
                    items << url;
            }
        }
    } catch (const ERegistryException&) {
        // An unreadable key loads no list.
    }
    addItems(items);
    setTextKeepingList(TextOnLoad == tlUserDefine ? text : items.value(0));
}

void TCustomIEAddress::SaveTypedUrls()
{
    const QString text = currentText();
    if (text.trimmed().isEmpty())
        return;
    bool cancel = false;
    if (OnUpdateRegistry)
        OnUpdateRegistry(this, text.toStdU16String(), cancel);
    if (cancel)
        return;
    TRegistry reg(HKEY_CURRENT_USER);
    try {
        if (!reg.OpenKey(kTypedUrlsKey, true))
            return;
        const int written = std::min(count(), TypedUrlsWritten);
        for (int n = 1; n <= written; ++n)
            if (const QString item = itemText(n - 1); !item.isEmpty())
                reg.WriteString(QStringLiteral("Url%1").arg(n), item);
    } catch (const ERegistryException&) {
        // A hive that refuses writes keeps the list it had.
    }
}

void TCustomIEAddress::AddTextToList()
{
    const QString text = currentText();
    if (text.isEmpty() || findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    insertItem(0, text);
    setTextKeepingList(text);
}

QString TCustomIEAddress::NormalizeAddress(const QString& text) const
{
    return currentText().isEmpty() ? text : NormalizeAddressText(text);
}

void TCustomIEAddress::ApplySecureSiteColor()
{
    const QString text = currentText();
    if (!UseSecureSiteBGColor || text.isEmpty())
        return;
    setBackground(text.startsWith(QStringLiteral("https")) ? ToQColor(SecureSiteBG) : savedColor_);
}

void TCustomIEAddress::setBackground(const QColor& color)
{
    if (!color.isValid())
        return;
    QPalette colors = palette();
    colors.setColor(QPalette::Base, color);
    setPalette(colors);
    lineEdit()->setPalette(colors);
    // The open list keeps the desktop's colours.
    view()->setPalette(QApplication::palette(view()));
}

void TCustomIEAddress::UpdateTextFromBrowser()
{
    if (!sextant_ || !UpdateTextAfterNav || currentText().isEmpty())
        return;
    sextant_->WaitWhileBusy();
    if (!sextant_)
        return;
    const WideString location = TextAfterNav == anLocationUrl ? sextant_->LocationURL() : sextant_->LocationName();
    if (location.empty())
        return;
    bool cancel = false;
    if (OnUpdateText)
        OnUpdateText(this, currentText().toStdU16String(), location, cancel);
    if (!cancel)
        setTextKeepingList(QString::fromStdU16String(location));
}

void TCustomIEAddress::UpdateSiteToolTip()
{
    if (!sextant_ || !ShowSiteToolTip)
        return;
    if (sextant_->Busy())
        sextant_->Wait();
    if (!sextant_)
        return;
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, ToQColor(HintColor));
    QToolTip::setPalette(hints);
    if (sextant_->LocationURL() == currentText().toStdU16String())
        setToolTip(QString::fromStdU16String(sextant_->LocationName()));
}

void TCustomIEAddress::UpdateAfterSelect()
{
    if (currentText().isEmpty())
        return;
    lineEdit()->setModified(false); // the text is chosen now, no longer being typed
    setTextKeepingList(withoutControlCharacters(NormalizeAddress(currentText())));
    SaveTypedUrls();
    ApplySecureSiteColor();
    UpdateTextFromBrowser();
    AddTextToList();
    UpdateSiteToolTip();
    refreshIcon();
}

bool TCustomIEAddress::listOpen() const { return view()->isVisible(); }

void TCustomIEAddress::navigate()
{
    if (!sextant_)
        return;
    try {
        sextant_->Go(currentText());
    } catch (const EOleException&) {
        // The browser reports a failed navigation through its own events.
    }
}

bool TCustomIEAddress::urlSelected()
{
    bool cancel = false;
    if (OnUrlSelected)
        OnUrlSelected(this, currentText().toStdU16String(), cancel);
    return !cancel;
}

int TCustomIEAddress::GetIconIndex(const QString& text)
{
    if (text.isEmpty())
        return -1;
    SystemImageList& icons = SystemImageList::instance();
    if (const int csidl = SpecialFolderCsidl(text); csidl != NoSpecialFolder && SpecialFolderExists(csidl))
        return icons.indexOfSpecialFolder(csidl);
    const QString path = text.trimmed();
    const bool fileAddress = path.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive);
    const QFileInfo item(fileAddress ? QUrl(path).toLocalFile() : path);
    if (fileAddress || item.isFile())
        return icons.indexOfFileType(item.fileName());
    if (item.isDir())
        return icons.indexOfFolder();
    if (const QString key = ExtensionIconKey(text); key != QLatin1String("*.htm"))
        return icons.indexOfFileType(key);
    if (!listOpen() && ShowFavicon)
        if (const int favicon = LoadFavicon(); favicon >= 0)
            return favicon;
    return UseAppIcon ? appIconIndex() : webPageIconIndex();
}

int TCustomIEAddress::appIconIndex()
{
    if (appIcon_ >= 0)
        return appIcon_;
    bool cancel = false;
    QIcon icon = QApplication::windowIcon();
    if (OnGetAppIcon)
        OnGetAppIcon(this, cancel, icon);
    if (cancel)
        return -1;
    appIcon_ = SystemImageList::instance().addIcon(icon);
    return appIcon_;
}

int TCustomIEAddress::webPageIconIndex()
{
    SystemImageList& icons = SystemImageList::instance();
    const int index = icons.indexOfFileType(QStringLiteral("*.htm"));
    if (OnGetIcon)
        OnGetIcon(this, QStringLiteral("htm"), icons.icon(index));
    return index;
}

int TCustomIEAddress::LoadFavicon()
{
    const QString text = currentText();
    if (text.isEmpty() || !ShowFavicon || listOpen() || IsValidURL(nullptr, text.toStdU16String(), 0) != S_OK)
        return -1;
    const QString host = FaviconHost(text);
    if (host.isEmpty())
        return -1;
    TSiteIcons& sites = TSiteIcons::Instance();
    const int known = sites.IndexOf(host);
    if (known >= 0)
        return known;
    // The page the browser shows may name an icon of its own, also when the
    // host has none at its root.
    const bool shown = sextant_ && sextant_->LocationURL() == text.toStdU16String();
    const bool pageLeft = shown && !sites.PageTried(host);
    if (known != TSiteIcons::Unknown && !pageLeft)
        return -1;
    const QString file = TSiteIcons::FileFor(GetCacheFolder(), host);
    if (known == TSiteIcons::Unknown && QFileInfo(file).isFile())
        return faviconFromFile(host, file);
    // A text still being typed names a new host at every key: only a chosen
    // text, or one the program set, is worth a fetch.
    if (!sites.Fetching(host) && lineEdit()->isModified())
        return -1;
    if (!sites.Fetching(host)) {
        bool cancel = false;
        if (OnGetFavicon)
            OnGetFavicon(this, file.toStdU16String(), text.toStdU16String(), cancel, nullptr);
        if (cancel)
            return -1;
        const QString rootIcon = known == TSiteIcons::Unknown ? FaviconAddress(text) : QString();
        sites.Fetch(host, rootIcon, file, pageLeft ? text : QString());
    }
    awaitedHosts_.insert(host);
    return -1;
}

int TCustomIEAddress::faviconFromFile(const QString& host, const QString& file)
{
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        // Not an image: a later start fetches it again.
        QFile::remove(file);
        TSiteIcons::Instance().MarkFailed(host);
        return -1;
    }
    QIcon icon(QPixmap::fromImage(image.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    bool cancel = false;
    if (OnGetFavicon)
        OnGetFavicon(this, file.toStdU16String(), currentText().toStdU16String(), cancel, &icon);
    if (cancel)
        return -1;
    const int index = SystemImageList::instance().addIcon(icon);
    TSiteIcons::Instance().Remember(host, index);
    return index;
}

void TCustomIEAddress::faviconFetched(const QString& host, const QString& file, bool ok)
{
    if (!awaitedHosts_.remove(host))
        return;
    if (ok)
        faviconFromFile(host, file);
    else
        TSiteIcons::Instance().MarkFailed(host);
    // Also after a failure: the page shown now may name an icon.
    if (FaviconHost(currentText()) == host)
        refreshIcon();
}

void TCustomIEAddress::showIcon(int index)
{
    currentIcon_ = index;
    if (gui_ == gsThemes) {
        update();
        return;
    }
    const QList<QAction*> actions = lineEdit()->actions();
    QAction* action = actions.isEmpty() ? lineEdit()->addAction(QIcon(), QLineEdit::LeadingPosition) : actions.first();
    action->setIcon(index > 0 ? SystemImageList::instance().icon(index) : QIcon());
}

void TCustomIEAddress::refreshIcon() { showIcon(GetIconIndex(currentText())); }

void TCustomIEAddress::textEdited(const QString&)
{
    if (listOpen())
        hidePopup();
}

void TCustomIEAddress::selectAllLater()
{
    QTimer::singleShot(0, this, [this] {
        lineEdit()->setReadOnly(false);
        lineEdit()->selectAll();
    });
}

bool TCustomIEAddress::eventFilter(QObject* watched, QEvent* event)
{
    const bool fromEdit = watched == lineEdit();
    const bool fromList = watched == view();
    if (watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease)
        clickInList_ = true;
    if (fromList && event->type() == QEvent::ShortcutOverride) {
        // The list would act on Enter here, before the key press: the key
        // press is wanted instead, where the box's own choice handles it.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    if ((fromEdit || fromList) && event->type() == QEvent::KeyPress) {
        if (handleKey(static_cast<QKeyEvent*>(event), fromList))
            return true;
    } else if (fromEdit && event->type() == QEvent::MouseButtonDblClick) {
        doubleClicked();
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

bool TCustomIEAddress::handleKey(QKeyEvent* event, bool fromList)
{
    int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers();
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
        if (key == 0)
            return true;
    }
    const bool alt = shift & Qt::AltModifier;
    const bool open = fromList || listOpen();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (open)
            enterInOpenList();
        else if (!currentText().trimmed().isEmpty())
            enterInClosedList();
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (open && alt) {
            hidePopup();
            selectAllLater();
        } else if (open) {
            moveInOpenList(key == Qt::Key_Down ? 1 : -1);
        } else if (key == Qt::Key_Down && alt) {
            showPopup();
        } else if (key == Qt::Key_Down) {
            const int row = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (row + 1 < count()) {
                setCurrentIndex(row + 1);
                lineEdit()->deselect();
                showPopup();
                view()->setCurrentIndex(model()->index(row + 1, 0));
                showIcon(GetIconIndex(currentText()));
                if (AutoNavigateOnSelected)
                    navigate();
            }
        }
        return true;
    case Qt::Key_Escape:
        if (!open)
            return false;
        hidePopup();
        selectAllLater();
        return true;
    default:
        return false;
    }
}

void TCustomIEAddress::enterInOpenList()
{
    const int row = view()->currentIndex().row();
    // The handler is asked about the highlighted item; a cancel leaves the
    // text as it was.
    const QString before = currentText();
    const int cursor = lineEdit()->cursorPosition();
    if (row >= 0)
        setTextKeepingList(itemText(row));
    if (!urlSelected()) {
        setTextKeepingList(before);
        lineEdit()->setCursorPosition(cursor);
        return;
    }
    if (row > 0) {
        const QString item = itemText(row);
        removeItem(row);
        insertItem(0, item);
    }
    hidePopup();
    setCurrentIndex(count() > 0 ? 0 : -1);
    setTextKeepingList(itemText(0));
    selectAllLater();
    if (AutoNavigateOnEnterKey)
        navigate();
    if (AutoNavigateOnSelected)
        navigate();
    UpdateAfterSelect();
}

void TCustomIEAddress::enterInClosedList()
{
    setTextKeepingList(withoutControlCharacters(currentText().trimmed()));
    if (urlSelected() && AutoNavigateOnEnterKey)
        navigate();
    UpdateAfterSelect();
}

void TCustomIEAddress::moveInOpenList(int step)
{
    const int row = view()->currentIndex().row();
    const int next = row + step;
    const bool allowed = step > 0 ? row < TypedUrlsRead - 1 && next < count() : row > 0;
    if (!allowed)
        return;
    view()->setCurrentIndex(model()->index(next, 0));
    setTextKeepingList(itemText(next));
    lineEdit()->deselect();
    showIcon(GetIconIndex(itemText(next)));
    if (AutoNavigateOnSelected)
        navigate();
}

void TCustomIEAddress::itemClicked(int index)
{
    if (index < 0)
        return;
    setTextKeepingList(itemText(index));
    if (urlSelected()) {
        showIcon(GetIconIndex(currentText()));
        if (AutoNavigateOnSelected)
            navigate();
    }
    UpdateAfterSelect();
}

void TCustomIEAddress::doubleClicked()
{
    showIcon(GetIconIndex(currentText()));
    if (AutoNavigateOnDblClk)
        navigate();
    UpdateAfterSelect();
    selectAllLater();
}

void TCustomIEAddress::ApplyTheme()
{
    const ThemeColors colors = themeColors(themes_);
    BorderColor = colors.border;
    ArrowColor = colors.arrow;
    ButtonColor = colors.button;
    ButtonPressedColor = colors.buttonPressed;
    update();
}

void TCustomIEAddress::PositionEdit()
{
    if (gui_ == gsThemes && lineEdit())
        lineEdit()->setGeometry(kEditLeft, kEditTop, width() - 2 * kEditLeft, height() - 7);
}

void TCustomIEAddress::UpdateRegion()
{
    if (hasDropDown_) {
        clearMask();
        return;
    }
    const int strip = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + kDialogFrameWidth;
    setMask(QRegion(rect()).subtracted(QRegion(width() - strip, 0, strip, height())));
}

QRect TCustomIEAddress::buttonRect() const
{
    const int thumb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return QRect(QPoint(width() - thumb - 3, 1), QPoint(width() - 2, height() - 2));
}

void TCustomIEAddress::paintButton(QPainter& painter)
{
    const int right = width();
    if (hasBorder_) {
        painter.setPen(BorderColor == clNone ? QColor(Qt::white) : ToQColor(BorderColor));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const QRect button = buttonRect();
    const bool open = listOpen();
    painter.fillRect(button, ToQColor(open ? ButtonPressedColor : ButtonColor));
    const QRect strip(button.left(), button.top(), 6, button.height());
    painter.fillRect(strip, palette().color(QPalette::Base));
    if (BorderColor != clNone) {
        painter.setPen(ToQColor(BorderColor));
        painter.drawLine(strip.right(), strip.top(), strip.right(), strip.bottom());
    }
    painter.setPen(ToQColor(ArrowColor));
    for (int line = 0; line < 3; ++line) {
        // Closed: a downward triangle of 5, 3 and 1 pixels; open: upward.
        const int y = 10 + line;
        if (open)
            painter.drawLine(right - 7 - line, y, right - 7 + line, y);
        else
            painter.drawLine(right - 10 + line, y, right - 6 - line, y);
    }
}

void TCustomIEAddress::paintEvent(QPaintEvent* event)
{
    if (gui_ != gsThemes) {
        QComboBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    paintButton(painter);
    if (currentIcon_ > 0)
        painter.drawPixmap(
            IconLeft, IconTop, SystemImageList::instance().pixmap(currentIcon_, SystemImageList::ImageSize::Small));
}

void TCustomIEAddress::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    PositionEdit();
    UpdateRegion();
}

void TCustomIEAddress::showEvent(QShowEvent* event)
{
    Loaded();
    QComboBox::showEvent(event);
    PositionEdit();
}

void TCustomIEAddress::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    PositionEdit();
}

// The combo box is the focus proxy of its edit: a user's keys arrive here,
// and the combo box hands them to the edit past its event filters.
void TCustomIEAddress::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event, false))
        QComboBox::keyPressEvent(event);
}

void TCustomIEAddress::mousePressEvent(QMouseEvent* event)
{
    if (gui_ == gsThemes && buttonRect().contains(event->position().toPoint())) {
        listOpen() ? hidePopup() : showPopup();
        return;
    }
    QComboBox::mousePressEvent(event);
}

void TCustomIEAddress::showPopup()
{
    clickInList_ = false;
    QComboBox::showPopup();
    PositionEdit();
    update();
}

void TCustomIEAddress::hidePopup()
{
    QComboBox::hidePopup();
    PositionEdit();
    refreshIcon();
}

QSize TCustomIEAddress::sizeHint() const { return {145, 22}; }

QSize TCustomIEAddress::minimumSizeHint() const { return {46, 22}; }

void TCustomIEAddress::SetupAutoComplete()
{
    const auto has = [&](TAutoCompleteOption option) { return autoCompleteOptions_.count(option) > 0; };
    DWORD flags = has(acAutoSuggest) ? SHACF_AUTOSUGGEST_FORCE_ON : SHACF_AUTOSUGGEST_FORCE_OFF;
    flags |= has(acAutoAppend) ? SHACF_AUTOAPPEND_FORCE_ON : SHACF_AUTOAPPEND_FORCE_OFF;
    if (has(acFileSystem))
        flags |= SHACF_FILESYSTEM;
    if (has(acUrlHistory))
        flags |= SHACF_URLHISTORY;
    if (has(acUrlMRU))
        flags |= SHACF_URLMRU;
    if (has(acUrlAll))
        flags |= SHACF_URLALL;
    if (has(acUseTab))
        flags |= SHACF_USETAB;
    SHAutoComplete(lineEdit(), flags);
    attachCompletion();
}

void TCustomIEAddress::SetupAutoComplete2()
{
    const auto has = [&](TACSource source) { return autoComplete2Source_.count(source) > 0; };
    DWORD sources = ACL_HISTORY;
    if (has(acsList) || has(acsMRU))
        sources |= ACL_TYPED;
    if (has(acsShell))
        sources |= ACL_FILESYSTEM;
    TAutoComplete* completion = TAutoComplete::Attach(lineEdit());
    completion->SetSources(sources);
    completion->SetOptions(autoComplete2Bits(autoComplete2Options_));
    attachCompletion();
}

void TCustomIEAddress::attachCompletion()
{
    TAutoComplete* completion = TAutoComplete::Of(lineEdit());
    if (!completion)
        return;
    completion->SetTypedList([this] {
        QStringList items;
        for (int i = 0; i < count(); ++i)
            items << itemText(i);
        return items;
    });
    disconnect(completion, &TAutoComplete::Chosen, this, nullptr);
    connect(completion, &TAutoComplete::Chosen, this, [this] { enterInClosedList(); });
}

TIEAddress::TIEAddress(QWidget* parent) : TCustomIEAddress(parent) {}
