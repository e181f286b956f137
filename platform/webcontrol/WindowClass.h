#pragma once
// Window class names on widgets. Rules that look for an inner window by its
// class ("SysListView32", "Internet Explorer_Server") read the QObject
// property "windowClass" that the control sets on its inner widgets.
#include <QString>

class QWidget;

inline constexpr const char* WindowClassProperty = "windowClass";
inline constexpr const char* WC_SHELLEMBEDDING = "Shell Embedding";
inline constexpr const char* WC_DOCOBJECTVIEW = "Shell DocObject View";
inline constexpr const char* WC_IESERVER = "Internet Explorer_Server";
inline constexpr const char* WC_LISTVIEW = "SysListView32";
// Standard dialog boxes: message boxes, input and log-in dialogs.
inline constexpr const char* WC_DIALOG = "#32770";

QString WindowClassName(const QWidget* window);
void SetWindowClassName(QWidget* window, const QString& className);
// The first child window: the bottom-most child widget in stacking order
// (the front of the children list), as GetWindow(GW_CHILD) answers.
QWidget* FirstChildWindow(const QWidget* window);
// Follows the chain of first child windows from (and excluding) root until
// one has the class name; nullptr when the chain ends first.
QWidget* FindChildWindow(const QWidget* root, const QString& className);
// Any descendant with the class name (depth first); nullptr when none.
QWidget* FindDescendantWindow(const QWidget* root, const QString& className);
