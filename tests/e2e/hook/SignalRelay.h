// Forwards one controller signal, by name, to the inspection server's clients.
#pragma once

#include <QObject>
#include <QString>

class SignalRelay : public QObject {
    Q_OBJECT
public:
    SignalRelay(QString objectName, QString signalName, QObject* parent)
        : QObject(parent), objectName(std::move(objectName)), signalName(std::move(signalName)) {}

    const QString objectName;
    const QString signalName;

signals:
    void fired(const QString& objectName, const QString& signalName);

public slots:
    void fire() { emit fired(objectName, signalName); }
};
