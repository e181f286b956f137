#include "platform/shell/ContextMenu.h"

#include "platform/shell/DesktopApps.h"
#include "platform/shell/FileClipboard.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/Trash.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMimeDatabase>
#include <QUrl>

#include <optional>
#include <vector>

namespace {

ShortcutOpener& shortcutOpener()
{
    static ShortcutOpener opener;
    return opener;
}

enum class Command { Open, OpenWith, Cut, Copy, Delete, Rename, Properties };

struct MenuCommand {
    Command command;
    int app = -1; // OpenWith: index in the programs
};

const struct {
    Command command;
    const char* verb;
    const char* caption;
} kCommands[] = {
    {Command::Open, "open", "&Open"},
    {Command::Cut, "cut", "Cu&t"},
    {Command::Copy, "copy", "&Copy"},
    {Command::Delete, "delete", "&Delete"},
    {Command::Rename, "rename", "Rena&me"},
    {Command::Properties, "properties", "P&roperties"},
};

bool openShortcut(const QString& address)
{
    if (address.isEmpty())
        return false;
    if (shortcutOpener())
        return shortcutOpener()(address);
    if (address.startsWith(QLatin1Char('-')))
        return false;
    return ProgramLauncher().startDetached(QCoreApplication::applicationFilePath(), {address});
}

QString typeNameOf(const QString& path)
{
    SHFILEINFO info;
    SHGetFileInfo(path, 0, info, SHGFI_TYPENAME);
    return info.szTypeName;
}

class FileContextMenu final : public IContextMenu {
public:
    FileContextMenu(QWidget* owner, QStringList paths) : owner_(owner), paths_(std::move(paths))
    {
        apps_ = AppsForMimeType(QMimeDatabase().mimeTypeForFile(paths_.front()).name());
    }

    HRESULT QueryContextMenu(
        QMenu* menu, unsigned indexMenu, unsigned idCmdFirst, unsigned idCmdLast, unsigned flags) override
    {
        commands_ = plannedCommands(flags);
        if (commands_.empty() || idCmdFirst + commands_.size() - 1 > idCmdLast)
            return E_FAIL;
        QList<QAction*> existing = menu->actions();
        QAction* before = indexMenu < unsigned(existing.size()) ? existing[qsizetype(indexMenu)] : nullptr;
        QMenu* openWith = nullptr;
        for (std::size_t offset = 0; offset < commands_.size(); ++offset) {
            const MenuCommand& planned = commands_[offset];
            QAction* action = nullptr;
            if (planned.command == Command::OpenWith) {
                if (!openWith) {
                    openWith = new QMenu(QStringLiteral("Open &With"), menu);
                    menu->insertMenu(before, openWith);
                }
                action = openWith->addAction(apps_[std::size_t(planned.app)].name);
            } else {
                action = new QAction(captionOf(planned.command), menu);
                menu->insertAction(before, action);
                if (planned.command == Command::Cut || planned.command == Command::Delete
                    || planned.command == Command::Properties)
                    menu->insertSeparator(action);
            }
            action->setData(int(idCmdFirst + offset));
            action->setEnabled(allowed(planned.command));
            if (planned.command == Command::Open)
                menu->setDefaultAction(action);
        }
        return makeHResult(std::uint32_t(commands_.size()));
    }

    HRESULT InvokeCommand(const CMINVOKECOMMANDINFO& info) override
    {
        std::optional<MenuCommand> chosen = commandOf(info);
        if (!chosen || !allowed(chosen->command))
            return E_INVALIDARG;
        return carryOut(*chosen, info.hwnd ? info.hwnd : owner_) ? S_OK : E_FAIL;
    }

private:
    std::vector<MenuCommand> plannedCommands(unsigned flags) const
    {
        std::vector<MenuCommand> planned{{Command::Open}};
        if (flags & CMF_DEFAULTONLY)
            return planned;
        for (std::size_t i = 0; i < apps_.size(); ++i)
            planned.push_back({Command::OpenWith, int(i)});
        for (const Command command :
            {Command::Cut, Command::Copy, Command::Delete, Command::Rename, Command::Properties})
            planned.push_back({command});
        return planned;
    }

    static QString captionOf(Command command)
    {
        for (const auto& known : kCommands)
            if (known.command == command)
                return QLatin1String(known.caption);
        return {};
    }

    std::optional<MenuCommand> commandOf(const CMINVOKECOMMANDINFO& info) const
    {
        if (info.verbOffset >= 0) {
            if (std::size_t(info.verbOffset) < commands_.size())
                return commands_[std::size_t(info.verbOffset)];
            return std::nullopt;
        }
        for (const auto& known : kCommands)
            if (info.verb.compare(QLatin1String(known.verb), Qt::CaseInsensitive) == 0)
                return MenuCommand{known.command};
        return std::nullopt;
    }

    bool anySpecialFolder() const
    {
        for (const QString& path : paths_)
            if (SpecialFolderOfPath(path) >= 0)
                return true;
        return false;
    }

    bool allowed(Command command) const
    {
        switch (command) {
        case Command::Cut:
        case Command::Delete:
            return !anySpecialFolder();
        case Command::Rename:
            return paths_.size() == 1 && !anySpecialFolder();
        default:
            return true;
        }
    }

    bool carryOut(const MenuCommand& chosen, QWidget* owner)
    {
        switch (chosen.command) {
        case Command::Open:
            return open();
        case Command::OpenWith:
            return openWith(apps_[std::size_t(chosen.app)]);
        case Command::Cut:
        case Command::Copy:
            PutFilesOnClipboard(paths_, chosen.command == Command::Cut);
            return true;
        case Command::Delete:
            return moveToTrash();
        case Command::Rename:
            return rename();
        case Command::Properties:
            showProperties(owner);
            return true;
        }
        return false;
    }

    bool open() const
    {
        bool opened = true;
        for (const QString& path : paths_) {
            const bool done = ShortcutKindOf(path) != ShortcutKind::None
                ? openShortcut(ShortcutTarget(path))
                : ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(path));
            opened = opened && done;
        }
        return opened;
    }

    bool openWith(const DesktopApp& app) const
    {
        const std::vector<QStringList> starts = ExecArguments(app, paths_);
        bool started = !starts.empty();
        for (const QStringList& arguments : starts)
            started = ProgramLauncher().startDetached(arguments.front(), arguments.mid(1)) && started;
        return started;
    }

    bool moveToTrash() const
    {
        for (const QString& path : paths_) {
            QString error;
            if (!MoveToTrash(path, &error)) {
                MessageDlg(error, mtError, mbOK);
                return false;
            }
        }
        return true;
    }

    bool rename()
    {
        const QFileInfo item(paths_.front());
        const bool shortcut = ShortcutKindOf(item.filePath()) != ShortcutKind::None;
        QString name = shortcut ? item.completeBaseName() : item.fileName();
        if (!InputQuery(QStringLiteral("Rename"), QStringLiteral("New name:"), name))
            return false;
        name = name.trimmed();
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
            || name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
            MessageDlg(QStringLiteral("\"%1\" is not a valid name.").arg(name), mtError, mbOK);
            return false;
        }
        if (shortcut)
            name += QLatin1Char('.') + item.suffix();
        const QString target = item.dir().filePath(name);
        if (target == item.filePath())
            return true;
        if (QFileInfo::exists(target)) {
            MessageDlg(QStringLiteral("\"%1\" already exists.").arg(name), mtError, mbOK);
            return false;
        }
        if (!QDir().rename(item.filePath(), target)) {
            MessageDlg(QStringLiteral("\"%1\" cannot be renamed.").arg(item.fileName()), mtError, mbOK);
            return false;
        }
        paths_.front() = target;
        return true;
    }

    void showProperties(QWidget*) const
    {
        const QFileInfo item(paths_.front());
        QStringList lines{QStringLiteral("Name: ") + item.fileName(),
            QStringLiteral("Type: ") + typeNameOf(item.filePath()), QStringLiteral("Location: ") + item.absolutePath()};
        if (item.isFile())
            lines << QStringLiteral("Size: %1 bytes").arg(QLocale::c().toString(item.size()));
        lines << QStringLiteral("Modified: ") + item.lastModified().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        if (ShortcutKindOf(item.filePath()) != ShortcutKind::None)
            lines << QStringLiteral("Address: ") + ShortcutTarget(item.filePath());
        Dialogs().MessageBox(
            lines.join(QLatin1Char('\n')), item.fileName() + QStringLiteral(" Properties"), MB_OK | MB_ICONINFORMATION);
    }

    QWidget* owner_;
    QStringList paths_;
    std::vector<DesktopApp> apps_;
    std::vector<MenuCommand> commands_;
};

} // namespace

std::shared_ptr<IContextMenu> CreateFileContextMenu(QWidget* owner, const QStringList& paths)
{
    return paths.isEmpty() ? nullptr : std::make_shared<FileContextMenu>(owner, paths);
}

void SetShortcutOpener(ShortcutOpener opener) { shortcutOpener() = std::move(opener); }
