// A local socket server inside the program under test. Requests are one JSON object per line;
// replies are one JSON object per line, and every signal of the published controllers is pushed
// to the clients as an event line. Items are found by their QML id or component type, optionally
// within a component type, or by their text; geometry is reported in screen coordinates so the test
// can click there, and "layout" reports what is painted where, to find overlaps.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QQuickItem;
class QQuickWindow;

class InspectionServer : public QObject {
    Q_OBJECT
public:
    InspectionServer();

private:
    void acceptClient();
    void readRequests(QLocalSocket* client);
    void handle(QLocalSocket* client, const QJsonObject& request);
    void send(QLocalSocket* client, const QJsonObject& message);
    void broadcast(const QJsonObject& message);

    bool attachToControllers();  // once the QML engine exists
    QQuickItem* findItem(const QJsonObject& selector) const;
    QJsonObject describe(QQuickItem* item, const QJsonObject& request) const;
    void waitForProperty(QLocalSocket* client, const QJsonObject& request);
    void replyAfterNextFrame(QLocalSocket* client, const QJsonObject& request);

    QLocalServer* server = nullptr;
    QList<QPointer<QLocalSocket>> clients;
    bool attached = false;
};
