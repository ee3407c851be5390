// Answers a "wait" request once a property of an object matches a pattern, or when the ceiling
// passes; it re-checks only when the property's notify signal fires.
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QQmlProperty>
#include <QRegularExpression>
#include <QTimer>
#include <functional>

class PropertyWaiter : public QObject {
    Q_OBJECT
public:
    using Reply = std::function<void(bool matched, const QString& value)>;

    PropertyWaiter(QObject* target, const QString& property, const QString& pattern, int ceilingMs, Reply reply)
        : QObject(target), property(target, property), pattern(QRegularExpression::anchoredPattern(pattern)),
          reply(std::move(reply))
    {
        ceiling.setSingleShot(true);
        connect(&ceiling, &QTimer::timeout, this, [this] { finish(false); });
        this->property.connectNotifySignal(this, SLOT(check()));
        ceiling.start(ceilingMs);
    }

public slots:
    void check()
    {
        if (pattern.match(this->property.read().toString()).hasMatch())
            finish(true);
    }

private:
    void finish(bool matched)
    {
        if (done)
            return;
        done = true;
        ceiling.stop();
        reply(matched, property.read().toString());
        deleteLater();
    }

    QQmlProperty property;
    QRegularExpression pattern;
    Reply reply;
    QTimer ceiling;
    bool done = false;
};
