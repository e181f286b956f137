#include "tools/FormPlacement.h"

#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"

#include <QWidget>

namespace {
const QString LastPageValue = QStringLiteral("LastVisitedPage");

QString applicationKey() { return QStringLiteral("SOFTWARE\\") + ApplicationTitle(); }

QString placementKey() { return applicationKey() + QStringLiteral("\\FormSize"); }

QString lastPageKey() { return applicationKey() + QStringLiteral("\\WebPages"); }

// The geometry a minimised or maximised form returns to.
QRect restoredGeometry(const QWidget& form)
{
    const bool normal = !(form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    const QRect normalGeometry = form.normalGeometry();
    return normal || normalGeometry.isEmpty() ? form.geometry() : normalGeometry;
}

int windowStateCode(const QWidget& form)
{
    if (form.windowState() & Qt::WindowMinimized)
        return 1;
    if (form.windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}

void applyWindowStateCode(QWidget& form, int code)
{
    Qt::WindowState state;
    switch (code) {
    case 0:
        state = Qt::WindowNoState;
        break;
    case 1:
        state = Qt::WindowMinimized;
        break;
    case 2:
        state = Qt::WindowMaximized;
        break;
    default:
        return;
    }
    const Qt::WindowStates kept = form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    form.setWindowState(kept | state);
}

// Qt drops the minimised and maximised states when a window is moved or
// resized; the stored values describe the size the form returns to, so its
// state is kept across them.
class KeepWindowState {
public:
    explicit KeepWindowState(QWidget& form) : form_(form), state_(form.windowState()) {}
    ~KeepWindowState() { form_.setWindowState(state_); }

private:
    QWidget& form_;
    Qt::WindowStates state_;
};

// Each value changes one side of the form's geometry, in the order the
// values are read, so that a value missing half-way keeps what was applied
// before it.
void readGeometry(TRegistry& reg, QWidget& form)
{
    const KeepWindowState keep(form);
    QRect g = restoredGeometry(form);
    g.moveLeft(reg.ReadInteger(QStringLiteral("Left")));
    form.setGeometry(g);
    g.moveTop(reg.ReadInteger(QStringLiteral("Top")));
    form.setGeometry(g);
    g.setWidth(reg.ReadInteger(QStringLiteral("Width")));
    form.setGeometry(g);
    g.setHeight(reg.ReadInteger(QStringLiteral("Height")));
    form.setGeometry(g);
}

void readPlacement(TRegistry& reg, QWidget& form)
{
    readGeometry(reg, form);
    applyWindowStateCode(form, reg.ReadInteger(QStringLiteral("WindowState")));
}
} // namespace

void RestoreFormPlacement()
{
    QWidget* form = ApplicationMainForm();
    if (!form)
        return;
    try {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKey(placementKey(), false))
            return;
        try {
            readPlacement(reg, *form);
        } catch (const ERegistryException&) {}
        reg.CloseKey();
    } catch (const std::exception&) {}
}

void SaveFormPlacement()
{
    QWidget* form = ApplicationMainForm();
    if (!form)
        return;
    try {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKey(placementKey(), true))
            return;
        const QRect g = restoredGeometry(*form);
        reg.WriteInteger(QStringLiteral("Top"), g.top());
        reg.WriteInteger(QStringLiteral("Left"), g.left());
        reg.WriteInteger(QStringLiteral("Width"), g.width());
        reg.WriteInteger(QStringLiteral("Height"), g.height());
        reg.WriteInteger(QStringLiteral("WindowState"), windowStateCode(*form));
        reg.CloseKey();
    } catch (const std::exception&) {}
}

bool GetLastVisitedPage(QString& address)
{
    address.clear();
    try {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(lastPageKey(), false)) {
            if (reg.ValueExists(LastPageValue))
                address = reg.ReadString(LastPageValue);
            reg.CloseKey();
        }
    } catch (const std::exception&) {
        address.clear();
    }
    return !address.isEmpty() && address.contains(QLatin1Char('.'));
}

bool SaveLastVisitedPage(TSextant* /*browser*/, const QString& address)
{
    try {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        // A sub-key named like the value is removed first; there is normally none.
        if (reg.OpenKey(lastPageKey(), false)) {
            try {
                reg.DeleteKey(LastPageValue);
            } catch (const std::exception&) {}
            reg.CloseKey();
        }
        if (!reg.OpenKey(applicationKey(), true) || !reg.OpenKey(QStringLiteral("WebPages"), true))
            return false;
        reg.WriteString(LastPageValue, address);
        reg.CloseKey();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
