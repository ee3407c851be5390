// Answers a "waitfind" request once a probe succeeds (an item appears in a new window, a text is
// drawn), or when the ceiling passes. It probes only after a window has swapped a frame, so the
// geometry it reports is the laid-out one that is on the screen.
#pragma once

#include <QEvent>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QTimer>
#include <functional>

class FindWaiter : public QObject {
    Q_OBJECT
public:
    FindWaiter(std::function<bool()> probe, int ceilingMs, std::function<void(bool)> reply, QObject* parent)
        : QObject(parent), probe(std::move(probe)), reply(std::move(reply))
    {
        ceiling.setSingleShot(true);
        connect(&ceiling, &QTimer::timeout, this, [this] { finish(false); });
        ceiling.start(ceilingMs);
        qApp->installEventFilter(this);
        for (QWindow* window : QGuiApplication::topLevelWindows())
            follow(window);
    }

    // Asks every shown window for a frame, so there is one to probe after even if nothing changes.
    void start()
    {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (auto* quick = qobject_cast<QQuickWindow*>(window); quick && quick->isVisible())
                quick->update();
        }
    }

public slots:
    void check()
    {
        checkQueued = false;
        if (!done && probe())
            finish(true);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Expose) {
            if (auto* window = qobject_cast<QWindow*>(watched))
                follow(window);
        }
        return false;
    }

private:
    void follow(QWindow* window)
    {
        if (auto* quick = qobject_cast<QQuickWindow*>(window))
            connect(quick, &QQuickWindow::frameSwapped, this, &FindWaiter::queueCheck, Qt::UniqueConnection);
    }
    void queueCheck()
    {
        if (checkQueued)
            return;
        checkQueued = true;
        QMetaObject::invokeMethod(this, "check", Qt::QueuedConnection);
    }
    void finish(bool found)
    {
        if (done)
            return;
        done = true;
        ceiling.stop();
        qApp->removeEventFilter(this);
        reply(found);
        deleteLater();
    }

    std::function<bool()> probe;
    std::function<void(bool)> reply;
    QTimer ceiling;
    bool checkQueued = false;
    bool done = false;
};
