#include "app/unitZarnWeb.h"

#include "app/ImageLists.h"
#include "app/LinksDownload.h"
#include "app/MainMenus.h"
#include "browserhost/Sextant.h"
#include "favorites/FavoritesListView.h"
#include "favorites/FavoritesMenu.h"
#include "favorites/FavoritesTree.h"
#include "favorites/HistoryListView.h"
#include "favorites/HistoryMenu.h"
#include "favorites/LinksBar.h"
#include "platform/inet/UrlHistory.h"
#include "platform/shell/ContextMenu.h"
#include "platform/ui/Dialogs.h"
#include "platform/webcontrol/TypedAddress.h"
#include "tools/FormPlacement.h"
#include "tools/OrganizeFavorites.h"
#include "tools/ToolRegistration.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextStream>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

namespace {
const QSize DesignedSize(981, 770);
// Where the Local Folders tab starts: the root of the file system.
const QString DriveRoot = QStringLiteral("/");

enum BrowserTab { btWebBrowser, btEditor, btPageImage, btLinksChecker };
enum AccessoryTab { atEventsLog, atFavoritesLV, atFavoritesTV, atHistoryLV, atLocalFolders };

QWidget* panel(QWidget* parent, const QString& name)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

template <class Layout> Layout* tightLayout(QWidget* owner)
{
    auto* layout = new Layout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    return layout;
}

QToolButton* speedButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint = {})
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

QStringList readLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd())
        lines.append(in.readLine());
    return lines;
}
} // namespace

QString StartAddressArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-')))
            return arguments[i];
    }
    return {};
}

QString ProgramCaption() { return QStringLiteral("Sextant Component Pack - Mega Demo"); }

QString MainWindowCaption(const QString& pageName)
{
    const QString name = pageName.trimmed();
    return name.isEmpty() ? ProgramCaption() : name + QStringLiteral(" - ") + ProgramCaption();
}

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    // The browsers' tool operations call the tools library.
    RegisterSxtTools();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProgramCaption());
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    // Where the page engine draws through OpenGL, Qt re-creates a shown
    // window that gets its first OpenGL child, and the window loses its
    // maximised state; a hidden OpenGL widget makes the window OpenGL-ready
    // from the start.
    if (QOpenGLContext().create())
        (new QOpenGLWidget(this))->hide();

    createImageLists();
    createTopPanel();
    auto* central = panel(this, QStringLiteral("PanelClient"));
    auto* layout = tightLayout<QVBoxLayout>(central);
    layout->addWidget(PanelTop);
    SplitterACC = new QSplitter(Qt::Horizontal, central);
    SplitterACC->setObjectName(QStringLiteral("SplitterACC"));
    SplitterACC->setChildrenCollapsible(false);
    SplitterACC->addWidget(createAccessoriesPanel());
    SplitterACC->addWidget(createBrowserPanel());
    SplitterACC->setStretchFactor(1, 1);
    SplitterACC->setSizes({401, 580});
    PanelAcc->hide();
    layout->addWidget(SplitterACC, 1);
    setCentralWidget(central);
    createStatusBar();
    createMenus();
    bindCommands();
    bindEditorCommands();
    bindSettingsCommands();
    bindSecurityCommands();
    bindPageCommands();
    bindLinksCommands();
    bindFormCommands();
    bindKeys();
    bindSextant1Events();
    bindSextant2Events();
    FavoritesListView1->Sextant = Sextant1;
    FavoritesTree1->Sextant = Sextant1;
    HistoryListView1->Sextant = Sextant1;
    FavoritesTree1->OnOrganizeDialog = [](QWidget* owner, const QString&) { ShowOrganizeFavorites(owner); };
    placeOnScreen();
    FormCreate();
}

TfrmMain::~TfrmMain() { FormDestroy(); }

// Without a stored placement the window opens at its designed size, widened
// to the least width its toolbar row and panels need, inside the screen's
// working area and centred there. A maximised, minimised or full-screen
// window is left where the window system put it.
void TfrmMain::placeOnScreen()
{
    const QScreen* display = screen();
    const Qt::WindowStates placedBySystem = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!display || (windowState() & placedBySystem))
        return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QRect area = display->availableGeometry() - frame;
    QRect client(QPoint(), DesignedSize.expandedTo(minimumSizeHint()).boundedTo(area.size()));
    client.moveCenter(area.center());
    setGeometry(client);
}

void TfrmMain::createImageLists()
{
    ilToolBar = ToolBarImages();
    ilFavoritesTree = FavoritesTreeImages();
    ilsSmilies = SmileyImages();
}

void TfrmMain::createTopPanel()
{
    PanelTop = panel(this, QStringLiteral("PanelTop"));
    PanelTop->setFixedHeight(110);
    auto* layout = tightLayout<QVBoxLayout>(PanelTop);
    layout->addWidget(createToolBarRow());
    layout->addWidget(createMiddlePanel());
    createLinksBar();
    layout->addWidget(LinksBar1);
    layout->addStretch();
}

// The toolbar's buttons, then a spacer, the security panel and the Zarn and
// Tags buttons. Only the spacer and the security panel give up width when the
// window is narrow: the toolbar keeps the width all its captions need.
QWidget* TfrmMain::createToolBarRow()
{
    auto* row = panel(PanelTop, QStringLiteral("PanelToolBar"));
    auto* layout = tightLayout<QHBoxLayout>(row);
    layout->addWidget(createToolBar());
    layout->addStretch();
    layout->addWidget(createSecurityPanel(), 1);
    BtnZarn = new QPushButton(QStringLiteral("Zarn"), row);
    BtnZarn->setObjectName(QStringLiteral("BtnZarn"));
    BtnTags = new QPushButton(QStringLiteral("Tags"), row);
    BtnTags->setObjectName(QStringLiteral("BtnTags"));
    for (QPushButton* b : {BtnZarn, BtnTags}) {
        b->setFixedSize(58, 36);
        layout->addWidget(b);
    }
    return row;
}

QWidget* TfrmMain::createToolBar()
{
    MainToolBar = new QToolBar(PanelTop);
    MainToolBar->setObjectName(QStringLiteral("MainToolBar"));
    MainToolBar->setIconSize(QSize(16, 16));
    MainToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    MainToolBar->setMovable(false);
    MainToolBar->setFloatable(false);
    MainToolBar->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; }"));
    // Given less than its size hint, a toolbar elides its buttons' captions
    // and then moves buttons into its overflow menu.
    MainToolBar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto button = [this](const QString& name, const QString& caption, const QString& hint, int image) {
        QAction* action = MainToolBar->addAction(ilToolBar.value(image), caption);
        action->setObjectName(name);
        action->setToolTip(hint);
        QWidget* widget = MainToolBar->widgetForAction(action);
        widget->setObjectName(name + QStringLiteral("Button"));
        // At least the buttons' designed size; wider where the system font
        // needs more room for the caption.
        widget->setMinimumSize(69, 36);
        widget->setCursor(Qt::PointingHandCursor);
        return action;
    };
    ToolbtnBack = button(QStringLiteral("ToolbtnBack"), QStringLiteral("Back"), QStringLiteral("Navigate Back"), 4);
    ToolBtnForward
        = button(QStringLiteral("ToolBtnForward"), QStringLiteral("Forward"), QStringLiteral("Navigate Forward"), 3);
    ToolBtnStop = button(QStringLiteral("ToolBtnStop"), QStringLiteral(" Stop"), QStringLiteral("Stop loading"), 0);
    MainToolBar->addSeparator();
    ToolBtnRefresh
        = button(QStringLiteral("ToolBtnRefresh"), QStringLiteral("Refresh"), QStringLiteral("Refresh Active Tab"), 2);
    ToolBtnHome = button(QStringLiteral("ToolBtnHome"), QStringLiteral("Home"), QStringLiteral("Go Home"), 1);
    MainToolBar->addSeparator();
    ToolBtnSearch = button(QStringLiteral("ToolBtnSearch"), QStringLiteral("Search"), QStringLiteral("Search..."), 5);
    ToolBtnAccesories = button(
        QStringLiteral("ToolBtnAccesories"), QStringLiteral("Accessories"), QStringLiteral("Show Favorites"), 8);
    tbBlock = button(QStringLiteral("tbBlock"), QStringLiteral("Block Popups"), QStringLiteral("Block Popups"), 9);
    ToolBtnAccesories->setCheckable(true);
    tbBlock->setCheckable(true);
    for (QAction* action : {ToolbtnBack, ToolBtnForward, ToolBtnStop})
        action->setEnabled(false);
    return MainToolBar;
}

QWidget* TfrmMain::createSecurityPanel()
{
    PanelSecurity = panel(PanelTop, QStringLiteral("PanelSecurity"));
    PanelSecurity->setMaximumWidth(298);
    auto* outer = tightLayout<QHBoxLayout>(PanelSecurity);
    GroupBox1 = new QGroupBox(QStringLiteral("Page Security Status:"), PanelSecurity);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    outer->addWidget(GroupBox1);
    auto* row = new QHBoxLayout(GroupBox1);
    row->setContentsMargins(4, 0, 4, 2);
    auto label = [this](const QString& name) {
        auto* l = new QLabel(GroupBox1);
        l->setObjectName(name);
        return l;
    };
    imgZone = label(QStringLiteral("imgZone"));
    imgZone->setFixedSize(16, 16);
    lblZone = label(QStringLiteral("lblZone"));
    ImgSSL = label(QStringLiteral("ImgSSL"));
    ImgSSL->setPixmap(PadlockImage(true).pixmap(16, 16));
    imgUn = label(QStringLiteral("imgUn"));
    imgUn->setPixmap(PadlockImage(false).pixmap(16, 16));
    lblSSL = label(QStringLiteral("lblSSL"));
    lblLevel = label(QStringLiteral("lblLevel"));
    ImgSSL->hide();
    imgUn->hide();
    // The zone's name and the SSL text are short texts of ours and are shown
    // whole; the level text takes the rest and is cut rather than widening
    // the window beyond the screen.
    lblLevel->setMinimumWidth(1);
    row->addWidget(imgZone);
    row->addWidget(lblZone);
    row->addWidget(ImgSSL);
    // The unsecured picture takes the SSL label's place when shown.
    row->addWidget(imgUn);
    row->addWidget(lblSSL);
    row->addWidget(lblLevel, 1);
    return PanelSecurity;
}

QWidget* TfrmMain::createMiddlePanel()
{
    PanelMiddle = panel(PanelTop, QStringLiteral("PanelMiddle"));
    PanelMiddle->setFixedHeight(36);
    auto* layout = tightLayout<QHBoxLayout>(PanelMiddle);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* address = panel(PanelMiddle, QStringLiteral("PanelAddress"));
    auto* addressRow = tightLayout<QHBoxLayout>(address);
    IEAddress1 = new TIEAddress(address);
    IEAddress1->setObjectName(QStringLiteral("IEAddress1"));
    IEAddress1->setFixedWidth(430);
    IEAddress1->ShowFavicon = true;
    // The window opens its first page itself when it is shown.
    IEAddress1->AutoNavigateOnLoad = false;
    IEAddress1->Loaded();
    btnGo
        = speedButton(address, QStringLiteral("btnGo"), QStringLiteral("GO"), QStringLiteral("Navigate to a Webpage"));
    btnGo->setIcon(ilToolBar.value(3));
    btnGo->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ProgressBar1 = new QProgressBar(address);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    addressRow->addWidget(IEAddress1);
    addressRow->addWidget(btnGo);
    addressRow->addWidget(ProgressBar1, 1);
    addressRow->addStretch(0); // takes the room while the progress bar is hidden
    layout->addWidget(address, 1);

    auto* search = panel(PanelMiddle, QStringLiteral("PanelSearch"));
    search->setFixedWidth(216);
    auto* searchRow = tightLayout<QHBoxLayout>(search);
    edtSearch = new QLineEdit(QStringLiteral("Search In Google"), search);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->installEventFilter(this);
    spdBtnGoogleSearch = speedButton(
        search, QStringLiteral("spdBtnGoogleSearch"), QStringLiteral("GO"), QStringLiteral("Navigate to a Webpage"));
    spdBtnGoogleSearch->setIcon(ilToolBar.value(5));
    spdBtnGoogleSearch->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    searchRow->addWidget(edtSearch, 1);
    searchRow->addWidget(spdBtnGoogleSearch);
    layout->addWidget(search);
    return PanelMiddle;
}

void TfrmMain::createLinksBar()
{
    LinksBar1 = new TLinksBar(PanelTop);
    LinksBar1->setObjectName(QStringLiteral("LinksBar1"));
    LinksBar1->MaxCaptionLength = 15;
    LinksBar1->ShowImages = false;
    LinksBar1->setContextMenuPolicy(Qt::CustomContextMenu);
}

QWidget* TfrmMain::createAccessoriesPanel()
{
    PanelAcc = panel(this, QStringLiteral("PanelAcc"));
    PanelAcc->resize(401, PanelAcc->height());
    auto* layout = tightLayout<QVBoxLayout>(PanelAcc);
    auto* strip = panel(PanelAcc, QStringLiteral("PanelRebuild"));
    auto* stripRow = tightLayout<QHBoxLayout>(strip);
    sbRebuildView = speedButton(
        strip, QStringLiteral("sbRebuildView"), QStringLiteral("Rebuild"), QStringLiteral("Rebuild the active view"));
    sbRebuildView->setIcon(ilToolBar.value(2));
    sbRebuildView->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    stripRow->addWidget(sbRebuildView);
    stripRow->addStretch();
    layout->addWidget(strip);

    PageCtrl = new QTabWidget(PanelAcc);
    PageCtrl->setObjectName(QStringLiteral("PageCtrl"));
    lvEventLog = new QListWidget(PageCtrl);
    lvEventLog->setObjectName(QStringLiteral("lvEventLog"));
    // Same-height rows keep appending cheap on pages with many frames.
    lvEventLog->setUniformItemSizes(true);
    FavoritesListView1 = new TFavoritesListView(PageCtrl);
    FavoritesListView1->setObjectName(QStringLiteral("FavoritesListView1"));
    FavoritesTree1 = new TFavoritesTree(PageCtrl);
    FavoritesTree1->setObjectName(QStringLiteral("FavoritesTree1"));
    HistoryListView1 = new THistoryListView(PageCtrl);
    HistoryListView1->setObjectName(QStringLiteral("HistoryListView1"));
    PageCtrl->addTab(lvEventLog, QStringLiteral("Events Log"));
    PageCtrl->addTab(FavoritesListView1, QStringLiteral("FavoritesLV"));
    PageCtrl->addTab(FavoritesTree1, QStringLiteral("FavoritesTV"));
    PageCtrl->addTab(HistoryListView1, QStringLiteral("HistoryLV"));
    PageCtrl->addTab(createLocalFoldersTab(), QStringLiteral("Local Folders"));
    PageCtrl->setCurrentIndex(atFavoritesTV);
    // Every tab's caption stays whole: the panel is never narrower than its
    // tabs side by side.
    PageCtrl->tabBar()->setUsesScrollButtons(false);
    PageCtrl->tabBar()->setElideMode(Qt::ElideNone);
    layout->addWidget(PageCtrl, 1);
    return PanelAcc;
}

QWidget* TfrmMain::createLocalFoldersTab()
{
    auto* tab = panel(PageCtrl, QStringLiteral("tabLocalFolders"));
    auto* layout = tightLayout<QVBoxLayout>(tab);
    Panel1 = panel(tab, QStringLiteral("Panel1"));
    Panel1->setFixedHeight(49);
    auto* row = tightLayout<QHBoxLayout>(Panel1);
    row->setContentsMargins(2, 2, 2, 2);
    sbUp = speedButton(
        Panel1, QStringLiteral("sbUp"), QStringLiteral("Up"), QStringLiteral("Back to the previous folder"));
    sbUp->setIcon(ilToolBar.value(4));
    sbUp->setEnabled(false);
    sbRefresh = speedButton(Panel1, QStringLiteral("sbRefresh"), QStringLiteral("Refresh"));
    sbRefresh->setIcon(ilToolBar.value(2));
    sbConnect = speedButton(Panel1, QStringLiteral("sbConnect"), QStringLiteral("Connect"));
    sbConnect->setIcon(ilToolBar.value(6));
    for (QToolButton* b : {sbUp, sbRefresh, sbConnect}) {
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        row->addWidget(b);
    }
    auto* boxes = new QGridLayout;
    boxes->setSpacing(1);
    edtUser = new QLineEdit(QStringLiteral("anonymous"), Panel1);
    edtUser->setObjectName(QStringLiteral("edtUser"));
    edtPassword = new QLineEdit(QStringLiteral("anonymous"), Panel1);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setEchoMode(QLineEdit::Password);
    edtUser->setFixedWidth(121);
    edtPassword->setFixedWidth(121);
    boxes->addWidget(new QLabel(QStringLiteral("User:"), Panel1), 0, 0);
    boxes->addWidget(edtUser, 0, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Password:"), Panel1), 1, 0);
    boxes->addWidget(edtPassword, 1, 1);
    row->addStretch();
    row->addLayout(boxes);
    layout->addWidget(Panel1);
    Sextant2 = new TSextant(tab);
    Sextant2->setObjectName(QStringLiteral("Sextant2"));
    Sextant2->SetSilent(false);
    // The Local Folders pane shows files, not visits: the drive root it opens
    // at every start stays out of the history.
    Sextant2->SetRecordHistory(false);
    layout->addWidget(Sextant2, 1);
    return tab;
}

QWidget* TfrmMain::createBrowserPanel()
{
    PanelWEB = panel(this, QStringLiteral("PanelWEB"));
    auto* layout = tightLayout<QVBoxLayout>(PanelWEB);
    pctrlWB = new QTabWidget(PanelWEB);
    pctrlWB->setObjectName(QStringLiteral("pctrlWB"));

    auto* web = panel(pctrlWB, QStringLiteral("tabWebBrowser"));
    auto* webRow = tightLayout<QHBoxLayout>(web);
    Sextant1 = new TSextant(web);
    Sextant1->setObjectName(QStringLiteral("Sextant1"));
    Sextant1->SetSilent(false);
    Memo1 = new QPlainTextEdit(web);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFixedWidth(185);
    Memo1->hide();
    webRow->addWidget(Sextant1, 1);
    webRow->addWidget(Memo1);

    tabEditor = panel(pctrlWB, QStringLiteral("tabEditor"));
    createEditor();
    ImageViewer = new QLabel(pctrlWB);
    ImageViewer->setObjectName(QStringLiteral("ImageViewer"));
    ImageViewer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    pctrlWB->addTab(web, QStringLiteral("Web Browser"));
    pctrlWB->addTab(tabEditor, QStringLiteral("Editor"));
    pctrlWB->addTab(ImageViewer, QStringLiteral("Page Image"));
    pctrlWB->addTab(createLinksCheckerTab(), QStringLiteral("Links Checker"));
    // The editor is one of the window's work areas, always a click away; the
    // picture and links tabs appear once a command fills them.
    for (int tab : {btPageImage, btLinksChecker})
        pctrlWB->setTabVisible(tab, false);
    layout->addWidget(pctrlWB);
    return PanelWEB;
}

QWidget* TfrmMain::createLinksCheckerTab()
{
    auto* tab = panel(pctrlWB, QStringLiteral("tabLinksChecker"));
    auto* layout = tightLayout<QVBoxLayout>(tab);
    // Row 0 is the grid's fixed heading row, as the links checker addresses it.
    StringGrid1 = new QTableWidget(1, 3, tab);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(15);
    StringGrid1->verticalHeader()->setMinimumSectionSize(15);
    const int widths[] = {258, 263, 118};
    for (int column = 0; column < 3; ++column)
        StringGrid1->setColumnWidth(column, widths[column]);
    layout->addWidget(StringGrid1, 1);

    auto* row = new QHBoxLayout;
    RadioButton2 = new QRadioButton(QStringLiteral("Asynchronous"), tab);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setChecked(true);
    RadioButton1 = new QRadioButton(QStringLiteral("Synchronous"), tab);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    Button1 = new QPushButton(QStringLiteral("Check Links"), tab);
    Button1->setObjectName(QStringLiteral("Button1"));
    row->addWidget(RadioButton2);
    row->addWidget(RadioButton1);
    row->addWidget(Button1);
    row->addStretch();
    layout->addLayout(row);
    return tab;
}

void TfrmMain::createStatusBar()
{
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("stBar"));
    bar->setSizeGripEnabled(true);
    // Panel 0 takes status texts of any length and cuts them; the others
    // hold short words (the zone, "SSL") and grow to show them whole.
    for (int width : {500, 50, 50, 50, 50}) {
        auto* label = new QLabel(bar);
        if (statusPanels_.isEmpty())
            label->setFixedWidth(width);
        else
            label->setMinimumWidth(width);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addWidget(label);
        statusPanels_.append(label);
    }
    setStatusBar(bar);
}

void TfrmMain::createMenus()
{
    for (const TMenuEntry& top : MainMenuEntries()) {
        QMenu* menu = menuBar()->addMenu(top.caption);
        menuItems_[top.command] = menu->menuAction();
        BuildMenu(menu, top.items, menuItems_);
    }
    HistoryMenu1 = new THistoryMenu(this);
    HistoryMenu1->Sextant = Sextant1;
    HistoryMenu1->MainMenu = menuBar();
    HistoryMenu1->MenuPosition = 6;
    HistoryMenu1->Caption = QStringLiteral("History");
    HistoryMenu1->CreateMenu();
    FavoritesMenu1 = new TFavoritesMenu(this);
    FavoritesMenu1->setObjectName(QStringLiteral("FavoritesMenu1"));
    FavoritesMenu1->Caption = QStringLiteral("Favorites");
    FavoritesMenu1->Sextant = Sextant1;
    FavoritesMenu1->MainMenu = menuBar();
    FavoritesMenu1->MenuPosition = 7;
    FavoritesMenu1->OwnerWindow = this;
    // What goes wrong is said rather than swallowed.
    FavoritesMenu1->OnError = [](HRESULT, const QString& message) { MessageDlg(message, mtError, mbOK); };
    FavoritesMenu1->OnDone = [](const QString& message) { ShowMessage(message); };
    FavoritesMenu1->ImportExportWizard = [this] { MenuItem(TMenuCommand::ShowImportExportWizard)->trigger(); };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    BuildMenu(PopupMenu1, LinksBarPopupEntries(), menuItems_);
    // Every item runs whatever handler its id has when it is chosen, so
    // handlers can be bound in any order after this.
    for (const auto& [command, item] : menuItems_) {
        if (!item->menu())
            connect(item, &QAction::triggered, this, [this, command] {
                const auto handler = menuHandlers_.find(command);
                if (handler != menuHandlers_.end())
                    handler->second();
            });
    }
    GoBack1 = MenuItem(TMenuCommand::GoBack);
    GoForward1 = MenuItem(TMenuCommand::GoForward);
    Stop1 = MenuItem(TMenuCommand::Stop);
    for (QAction* item : {GoBack1, GoForward1, Stop1})
        item->setEnabled(false);
}

QAction* TfrmMain::MenuItem(TMenuCommand command) const
{
    const auto item = menuItems_.find(command);
    return item == menuItems_.end() ? nullptr : item->second;
}

void TfrmMain::OnMenuCommand(TMenuCommand command, std::function<void()> handler)
{
    menuHandlers_[command] = std::move(handler);
}

bool TfrmMain::HandlesMenuCommand(TMenuCommand command) const { return menuHandlers_.count(command) != 0; }

void TfrmMain::bindCommands()
{
    connect(btnGo, &QToolButton::clicked, this, &TfrmMain::btnGoClick);
    IEAddress1->OnUrlSelected = [this](TObject*, const WideString& url, bool& cancel) {
        cancel = !addressUsable(QString::fromStdU16String(url));
    };
    connect(ToolbtnBack, &QAction::triggered, this, &TfrmMain::ToolbtnBackClick);
    connect(ToolBtnForward, &QAction::triggered, this, &TfrmMain::ToolBtnForwardClick);
    connect(ToolBtnStop, &QAction::triggered, this, &TfrmMain::StopIfBusy);
    connect(ToolBtnRefresh, &QAction::triggered, this, &TfrmMain::ToolBtnRefreshClick);
    connect(ToolBtnHome, &QAction::triggered, this, &TfrmMain::ToolBtnHomeClick);
    connect(ToolBtnAccesories, &QAction::toggled, this, &TfrmMain::ToolBtnAccesoriesClick);
    connect(sbRebuildView, &QToolButton::clicked, this, &TfrmMain::RebuildActiveView);
    connect(PageCtrl, &QTabWidget::currentChanged, this, &TfrmMain::RebuildActiveView);
    connect(sbUp, &QToolButton::clicked, this, &TfrmMain::sbUpClick);
    connect(sbRefresh, &QToolButton::clicked, this, [this] { Sextant2->Refresh(); });
    connect(LinksBar1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { PopupMenu1->popup(LinksBar1->mapToGlobal(at)); });

    OnMenuCommand(TMenuCommand::Exit, [this] { close(); });
    OnMenuCommand(TMenuCommand::GoHome, [this] { ToolBtnHomeClick(); });
    OnMenuCommand(TMenuCommand::GoBack, [this] { ToolbtnBackClick(); });
    OnMenuCommand(TMenuCommand::GoForward, [this] { ToolBtnForwardClick(); });
    OnMenuCommand(TMenuCommand::Stop, [this] { StopIfBusy(); });
    OnMenuCommand(TMenuCommand::Refresh, [this] { ToolBtnRefreshClick(); });
}

// The keys every browser user reaches for. They are window shortcuts of the
// toolbar's own commands, so they work wherever the focus is in the window,
// the page included: the window matches its shortcuts before the focused
// widget gets the key, and the page sees only the keys left over, to which
// its own Ctrl-key masking applies. A disabled command (Back without history,
// Stop while nothing loads) leaves its key to the focused widget.
void TfrmMain::bindKeys()
{
    ToolbtnBack->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    ToolBtnForward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    ToolBtnRefresh->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    ToolBtnStop->setShortcut(QKeySequence(Qt::Key_Escape));
    auto* focusAddress = new QAction(this);
    focusAddress->setObjectName(QStringLiteral("actFocusAddress"));
    focusAddress->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D), QKeySequence(Qt::Key_F6)});
    addAction(focusAddress);
    connect(focusAddress, &QAction::triggered, this, &TfrmMain::focusAddressBox);
}

// The caret goes into the address box with its whole text selected, so that
// typing replaces the address.
void TfrmMain::focusAddressBox()
{
    IEAddress1->setFocus(Qt::ShortcutFocusReason);
    IEAddress1->lineEdit()->selectAll();
}

// An address gone to with GO is one the user typed, as with Enter in the
// box: it joins the box's list of typed addresses.
void TfrmMain::btnGoClick()
{
    const QString typed = IEAddress1->currentText().trimmed();
    if (!addressUsable(typed))
        return;
    StopIfBusy();
    Sextant1->Go(typed);
    if (typed.isEmpty())
        return;
    // Not the box's whole choice sequence: that waits for the page.
    IEAddress1->setEditText(typed);
    IEAddress1->AddTextToList();
    IEAddress1->SaveTypedUrls();
}

// A text that names nothing a browser opens (words with blanks, such as
// "hello world foo") is refused with a word to the user: the engine would
// show an empty page for it and say nothing.
bool TfrmMain::addressUsable(const QString& text)
{
    if (text.trimmed().isEmpty() || !FixUpAddress(text, QDir::currentPath()).scheme().isEmpty())
        return true;
    MessageDlg(QStringLiteral("\"%1\" is not an address. Type a web address such as example.com, or the path of a "
                              "file or folder.")
                   .arg(text.trimmed()),
        mtWarning, mbOK);
    return false;
}

// Up shows the folder that holds what the Local Folders browser shows: the
// parent of a folder, the folder of a file; nothing above the root, nor for
// an address that is not local.
void TfrmMain::sbUpClick()
{
    const QUrl shown(QString::fromStdU16String(Sextant2->LocationURL()));
    if (!shown.isLocalFile())
        return;
    const QFileInfo item(shown.toLocalFile());
    QDir holder = item.isDir() ? QDir(item.absoluteFilePath()) : item.absoluteDir();
    if (item.isDir() && !holder.cdUp())
        return;
    Sextant2->Go(holder.absolutePath());
}

void TfrmMain::ToolbtnBackClick()
{
    StopIfBusy();
    Sextant1->GoBack();
}

void TfrmMain::ToolBtnForwardClick()
{
    StopIfBusy();
    Sextant1->GoForward();
}

void TfrmMain::ToolBtnRefreshClick()
{
    StopIfBusy();
    Sextant1->Refresh();
}

void TfrmMain::ToolBtnHomeClick()
{
    StopIfBusy();
    Sextant1->GoHome();
}

void TfrmMain::ToolBtnAccesoriesClick(bool down) { PanelAcc->setVisible(down); }

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtSearch && event->type() == QEvent::MouseButtonDblClick) {
        edtSearch->selectAll();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::StopIfBusy()
{
    if (Sextant1 && Sextant1->Busy())
        Sextant1->Stop();
}

void TfrmMain::UpdateStopState()
{
    const bool busy = Sextant1 && Sextant1->Busy();
    ToolBtnStop->setEnabled(busy);
    Stop1->setEnabled(busy);
}

void TfrmMain::ShowBrowserTab() { pctrlWB->setCurrentIndex(btWebBrowser); }

void TfrmMain::ShowEditorTab()
{
    pctrlWB->setTabVisible(btEditor, true);
    pctrlWB->setCurrentIndex(btEditor);
}

void TfrmMain::ShowImageTab()
{
    pctrlWB->setTabVisible(btPageImage, true);
    pctrlWB->setCurrentIndex(btPageImage);
}

void TfrmMain::ShowLinksTab()
{
    pctrlWB->setTabVisible(btLinksChecker, true);
    pctrlWB->setCurrentIndex(btLinksChecker);
}

void TfrmMain::RebuildActiveView()
{
    // The Events Log has nothing to rebuild.
    switch (PageCtrl->currentIndex()) {
    case atFavoritesLV:
        FavoritesListView1->Reload();
        break;
    case atFavoritesTV:
        FavoritesTree1->RebuildTree();
        break;
    case atHistoryLV:
        HistoryListView1->Reload();
        break;
    case atLocalFolders:
        Sextant2->Navigate(DriveRoot.toStdU16String());
        break;
    default:
        break;
    }
}

QString TfrmMain::StatusPanelText(int index) const
{
    return index >= 0 && index < statusPanels_.size() ? statusPanels_[index]->text() : QString();
}

void TfrmMain::SetStatusPanelText(int index, const QString& text)
{
    if (index >= 0 && index < statusPanels_.size())
        statusPanels_[index]->setText(text);
}

void TfrmMain::bindSextant2Events()
{
    Sextant2->OnCommandStateChange = [this](QObject*, int command, WordBool enable) {
        if (command == CSC_NAVIGATEBACK)
            sbUp->setEnabled(enable);
    };
}

QStringList TfrmMain::linksBarUrls() const
{
    QStringList urls;
    LinksBar1->GetLinkUrls(urls);
    return urls;
}

void TfrmMain::FormCreate()
{
    FavoritesMenu1->CreateMenu();
    if (QMenu* favorites = FavoritesMenu1->TopMenu())
        favorites->setObjectName(QStringLiteral("FavoritesMenu1"));
    // Visits past the days kept go at every start. A store that cannot be
    // opened is no reason not to start: the history views show it empty and
    // say why in the log, once.
    PruneUrlHistory();
    LinksList = readLines(QStringLiteral("links.txt"));
    LinksList.append(QString());
    LinksList.append(linksBarUrls());
    SetShortcutOpener([this](const QString& address) {
        Sextant1->Go(address);
        activateWindow();
        return true;
    });
}

void TfrmMain::fillLinksGrid()
{
    const QStringList headings{QStringLiteral("Url"), QStringLiteral("Status"), QStringLiteral("Result")};
    StringGrid1->setRowCount(LinksList.size() + 1);
    for (int column = 0; column < 3; ++column) {
        auto* heading = new QTableWidgetItem(headings[column]);
        heading->setFlags(Qt::ItemIsEnabled);
        heading->setBackground(palette().button());
        StringGrid1->setItem(0, column, heading);
    }
    for (int i = 0; i < LinksList.size(); ++i)
        StringGrid1->setItem(i + 1, 0, new QTableWidgetItem(LinksList[i]));
}

void TfrmMain::FormShow()
{
    // A browser's first page starts an engine renderer: Sextant2 gets its
    // root here only when its tab is the one showing, else when the tab is
    // first chosen (RebuildActiveView).
    if (PageCtrl->currentIndex() == atLocalFolders)
        Sextant2->Go(DriveRoot);
    fillLinksGrid();
    pctrlWB->setCurrentIndex(btWebBrowser);
    placeOnScreen();
    RestoreFormPlacement();
    QString lastPage;
    if (!StartAddress.isEmpty())
        Sextant1->Go(std::exchange(StartAddress, QString()));
    else if (GetLastVisitedPage(lastPage) && lastPage.contains(QLatin1String("http")))
        Sextant1->Navigate(lastPage.toStdU16String());
    else
        Sextant1->GoHome();
}

void TfrmMain::FormCloseQuery(bool& canClose)
{
    SaveLastVisitedPage(Sextant1, QString::fromStdU16String(Sextant1->LocationURL()));
    // The box writes its list before the address just chosen joins it; the
    // newest one is kept here.
    IEAddress1->SaveTypedUrls();
    SaveFormPlacement();
    StopIfBusy();
    const QString siteFile = QStringLiteral("Site.html");
    if (QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath(siteFile)))
        QFile::remove(QDir::current().filePath(siteFile));
    canClose = Sextant1 && !Sextant1->Busy();
}

void TfrmMain::FormDestroy()
{
    SetShortcutOpener({});
    LinksList.clear();
    DeleteLinksDownload(std::exchange(IEDownload1, nullptr));
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // The check's loop runs on this window's stack: it is stopped first and
    // the window closes once the loop has returned.
    if (checking_) {
        closeAfterCheck_ = true;
        Button1Click();
        event->ignore();
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}
