#pragma once
// Records the keys of the key presses that reach the widget it filters.
#include <QEvent>
#include <QKeyEvent>
#include <QObject>

#include <vector>

class KeyPressRecorder : public QObject {
public:
    std::vector<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
};
