#include "platform/webcontrol/WindowClass.h"

#include <QWidget>

QString WindowClassName(const QWidget* window)
{
    return window ? window->property(WindowClassProperty).toString() : QString();
}

void SetWindowClassName(QWidget* window, const QString& className)
{
    window->setProperty(WindowClassProperty, className);
}

QWidget* FirstChildWindow(const QWidget* window)
{
    for (QObject* child : window->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            return widget;
    }
    return nullptr;
}

QWidget* FindChildWindow(const QWidget* root, const QString& className)
{
    for (QWidget* w = root ? FirstChildWindow(root) : nullptr; w; w = FirstChildWindow(w)) {
        if (WindowClassName(w) == className)
            return w;
    }
    return nullptr;
}

QWidget* FindDescendantWindow(const QWidget* root, const QString& className)
{
    if (!root)
        return nullptr;
    for (QObject* child : root->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        if (WindowClassName(widget) == className)
            return widget;
        if (QWidget* found = FindDescendantWindow(widget, className))
            return found;
    }
    return nullptr;
}
