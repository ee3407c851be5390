#include "InspectionServer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJSValue>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaMethod>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>

#include <algorithm>

#include "FindWaiter.h"
#include "PropertyWaiter.h"
#include "SignalRelay.h"

namespace {

constexpr char kSocketVariable[] = "TILTMATE_E2E_SOCKET";
constexpr int kDefaultWaitCeilingMs = 30000;
const char* const kControllerNames[] = {
    "runtimeSerialPortCtl",      "runtimeSensorsinfo",        "runtimePidTunning",     "runtimeInstrumentConfig",
    "runtimeFirmwareController", "runtimeCalibrationControl", "runtimeJoystickdevice", "runtimeLanguage",
};

QList<QQuickWindow*> quickWindows()
{
    QList<QQuickWindow*> windows;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (auto* quick = qobject_cast<QQuickWindow*>(window))
            windows.append(quick);
    }
    return windows;
}

// An object may carry two ids: its own root id and the one it was given where it was declared.
bool hasId(QObject* object, const QString& id)
{
    for (QQmlContext* context = qmlContext(object); context; context = context->parentContext()) {
        if (context->nameForObject(object) == id)
            return true;
    }
    return false;
}

bool isOfType(const QObject* object, const QString& type)
{
    const QString className = QString::fromLatin1(object->metaObject()->className());
    return className == type || className.startsWith(type + QLatin1String("_QMLTYPE_"))
           || className.startsWith(type + QLatin1String("_QML_"));
}

bool hasAncestorOfType(QObject* object, const QString& type)
{
    for (QObject* up = object->parent(); up; up = up->parent()) {
        if (isOfType(up, type))
            return true;
    }
    if (auto* item = qobject_cast<QQuickItem*>(object)) {
        for (QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
            if (isOfType(up, type))
                return true;
        }
    }
    return false;
}

void collectItems(QQuickItem* item, QList<QObject*>& into)
{
    into.append(item);
    for (QQuickItem* child : item->childItems())
        collectItems(child, into);
}

// Script values (arrays and objects made in QML) become plain variants first.
QJsonValue toJson(QVariant value)
{
    if (value.userType() == qMetaTypeId<QJSValue>())
        value = value.value<QJSValue>().toVariant();
    return QJsonValue::fromVariant(value);
}

bool isShown(QQuickItem* item)
{
    return item->isVisible() && item->width() > 0 && item->height() > 0;
}

// Controls whose whole rectangle is what the user sees of them.
const char* const kFramedControls[] = {"ORVButton", "ORVComboBox", "ORVGroupBox", "ORVGroupBoxEx", "ORVTextField",
                                       "ORVCheckBox", "ORVSlider", "ORVSliderBound", "ORVProgressBar"};

bool isFramedControl(const QObject* object)
{
    for (const char* type : kFramedControls) {
        if (isOfType(object, QLatin1String(type)))
            return true;
    }
    return false;
}

bool isSeen(QQuickItem* item)
{
    for (QQuickItem* up = item; up; up = up->parentItem()) {
        if (up->opacity() <= 0)
            return false;
    }
    return isShown(item);
}

QJsonObject sceneRect(const QRectF& rect)
{
    return {{"x", rect.x()}, {"y", rect.y()}, {"w", rect.width()}, {"h", rect.height()}};
}

// Where a text item actually paints its text: its content size placed by its alignment.
QRectF paintedTextRect(QQuickItem* item)
{
    const qreal contentWidth = std::min(QQmlProperty::read(item, "contentWidth").toReal(), item->width());
    const qreal contentHeight = QQmlProperty::read(item, "contentHeight").toReal();
    const int horizontal = QQmlProperty::read(item, "effectiveHorizontalAlignment").toInt();
    const int vertical = QQmlProperty::read(item, "verticalAlignment").toInt();
    qreal x = 0;
    if (horizontal & Qt::AlignHCenter)
        x = (item->width() - contentWidth) / 2;
    else if (horizontal & Qt::AlignRight)
        x = item->width() - contentWidth;
    qreal y = 0;
    if (vertical & Qt::AlignVCenter)
        y = (item->height() - contentHeight) / 2;
    else if (vertical & Qt::AlignBottom)
        y = item->height() - contentHeight;
    return item->mapRectToScene(QRectF(x, y, contentWidth, contentHeight));
}

// A text wider or taller than its own item spills out of it; an elided one is cut.
bool textOverflows(QQuickItem* item)
{
    const qreal slack = 0.5;
    return QQmlProperty::read(item, "truncated").toBool()
           || QQmlProperty::read(item, "contentWidth").toReal() > item->width() + slack
           || QQmlProperty::read(item, "contentHeight").toReal() > item->height() + slack;
}

// The widest of a combo box's translated entries ("texts"), drawn where the chosen one is.
QString widestEntryBeyond(QQuickItem* control, QQuickItem* label)
{
    QVariant value = QQmlProperty::read(control, "texts");
    if (value.userType() == qMetaTypeId<QJSValue>())
        value = value.value<QJSValue>().toVariant();
    const QFontMetricsF metrics(QQmlProperty::read(label, "font").value<QFont>());
    QString widest;
    qreal widestAdvance = label->width() + 0.5;
    for (const QString& entry : value.toStringList()) {
        if (metrics.horizontalAdvance(entry) > widestAdvance) {
            widestAdvance = metrics.horizontalAdvance(entry);
            widest = entry;
        }
    }
    return widest;
}

QQuickItem* nearestFramedControl(QQuickItem* item)
{
    for (QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (isFramedControl(up))
            return up;
    }
    return nullptr;
}

QQuickItem* nearestGroup(QQuickItem* item)
{
    for (QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (isOfType(up, QStringLiteral("ORVGroupBox")) || isOfType(up, QStringLiteral("ORVGroupBoxEx")))
            return up;
    }
    return nullptr;
}

}  // namespace

InspectionServer::InspectionServer()
{
    server = new QLocalServer(this);
    const QString path = qEnvironmentVariable(kSocketVariable);
    if (path.isEmpty())
        return;
    QLocalServer::removeServer(path);
    connect(server, &QLocalServer::newConnection, this, &InspectionServer::acceptClient);
    if (!server->listen(path))
        qWarning("e2e hook: cannot listen on %s", qPrintable(path));
}

void InspectionServer::acceptClient()
{
    while (QLocalSocket* client = server->nextPendingConnection()) {
        clients.append(client);
        connect(client, &QLocalSocket::readyRead, this, [this, client] { readRequests(client); });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    }
}

void InspectionServer::readRequests(QLocalSocket* client)
{
    while (client->canReadLine()) {
        const QJsonDocument document = QJsonDocument::fromJson(client->readLine());
        if (!document.isObject()) {
            send(client, {{"ok", false}, {"error", "not a JSON object"}});
            continue;
        }
        handle(client, document.object());
    }
}

void InspectionServer::send(QLocalSocket* client, const QJsonObject& message)
{
    if (!client || client->state() != QLocalSocket::ConnectedState)
        return;
    client->write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n');
    client->flush();
}

void InspectionServer::broadcast(const QJsonObject& message)
{
    for (const QPointer<QLocalSocket>& client : clients)
        send(client, message);
}

void InspectionServer::handle(QLocalSocket* client, const QJsonObject& request)
{
    const QString command = request.value("cmd").toString();
    QJsonObject reply{{"seq", request.value("seq")}};
    if (command == QLatin1String("attach")) {
        reply.insert("ok", attachToControllers());
    } else if (command == QLatin1String("find")) {
        QQuickItem* item = findItem(request.value("select").toObject());
        if (item) {
            reply = describe(item, request);
            reply.insert("seq", request.value("seq"));
        }
        reply.insert("ok", item != nullptr);
    } else if (command == QLatin1String("window")) {
        // Top-level windows (dialogs included) by QML id: visibility and screen geometry.
        const QString id = request.value("id").toString();
        reply.insert("ok", false);
        for (QQuickWindow* window : quickWindows()) {
            if (!hasId(window, id))
                continue;
            reply.insert("ok", true);
            reply.insert("visible", window->isVisible());
            reply.insert("title", window->title());
            reply.insert("x", window->x());
            reply.insert("y", window->y());
            reply.insert("w", window->width());
            reply.insert("h", window->height());
            for (const QJsonValue& name : request.value("props").toArray())
                reply.insert(name.toString(), QJsonValue::fromVariant(QQmlProperty::read(window, name.toString())));
        }
    } else if (command == QLatin1String("wait")) {
        waitForProperty(client, request);
        return;
    } else if (command == QLatin1String("waitfind")) {
        // Waits for an item to be shown, e.g. the entries of a combo box's popup.
        const QJsonObject selector = request.value("select").toObject();
        QPointer<QLocalSocket> to(client);
        auto* waiter = new FindWaiter(
            [this, selector] {
                QQuickItem* item = findItem(selector);
                return item && item->isVisible();
            },
            request.value("timeoutMs").toInt(kDefaultWaitCeilingMs),
            [this, to, request, selector](bool found) {
                QQuickItem* item = found ? findItem(selector) : nullptr;
                QJsonObject reply = item ? describe(item, request) : QJsonObject();
                reply.insert("seq", request.value("seq"));
                reply.insert("ok", item != nullptr);
                send(to, reply);
            },
            this);
        waiter->start();
        return;
    } else if (command == QLatin1String("layout")) {
        // What the user sees under an item, in window coordinates: the painted rectangle of every
        // text and the rectangle of every framed control, each with the group box it sits in.
        QQuickItem* root = findItem(request.value("select").toObject());
        reply.insert("ok", root != nullptr);
        if (root) {
            reply.insert("rect", sceneRect(root->mapRectToScene(QRectF(0, 0, root->width(), root->height()))));
            QList<QObject*> objects;
            collectItems(root, objects);
            QJsonArray elements;
            for (QObject* object : objects) {
                auto* item = static_cast<QQuickItem*>(object);
                if (!isSeen(item))
                    continue;
                QJsonObject element;
                if (item->inherits("QQuickText") && !QQmlProperty::read(item, "text").toString().isEmpty()) {
                    element = sceneRect(paintedTextRect(item));
                    element.insert("text", QQmlProperty::read(item, "text").toString());
                    element.insert("overflows", textOverflows(item));
                    // What a cut text reads as: where it was cut decides what the user can tell apart.
                    if (QQmlProperty::read(item, "truncated").toBool()) {
                        const QFont font = QQmlProperty::read(item, "font").value<QFont>();
                        const auto mode = Qt::TextElideMode(QQmlProperty::read(item, "elide").toInt());
                        element.insert("shown", QFontMetricsF(font).elidedText(
                                                    QQmlProperty::read(item, "text").toString(), mode, item->width()));
                    }
                    // The button, box or tab a text is the label of: it must show the whole text.
                    if (QQuickItem* control = nearestFramedControl(item)) {
                        element.insert("box", sceneRect(control->mapRectToScene(QRectF(0, 0, control->width(), control->height()))));
                        // Every entry of the list must fit, not only the one chosen now.
                        const QString widest = widestEntryBeyond(control, item);
                        if (!widest.isEmpty()) {
                            element.insert("overflows", true);
                            element.insert("widest", widest);
                        }
                    }
                } else if (isFramedControl(item)) {
                    element = sceneRect(item->mapRectToScene(QRectF(0, 0, item->width(), item->height())));
                    element.insert("control", QString::fromLatin1(item->metaObject()->className()).section('_', 0, 0));
                } else {
                    continue;
                }
                if (QQuickItem* group = nearestGroup(item))
                    element.insert("group", sceneRect(group->mapRectToScene(QRectF(0, 0, group->width(), group->height()))));
                elements.append(element);
            }
            reply.insert("elements", elements);
        }
    } else if (command == QLatin1String("frame")) {
        replyAfterNextFrame(client, request);
        return;
    } else {
        reply.insert("ok", false);
        reply.insert("error", QStringLiteral("unknown command %1").arg(command));
    }
    send(client, reply);
}

bool InspectionServer::attachToControllers()
{
    if (attached)
        return true;
    QQmlEngine* engine = nullptr;
    for (QQuickWindow* window : quickWindows()) {
        if ((engine = qmlEngine(window)))
            break;
    }
    if (!engine)
        return false;
    const int ownSignalsFrom = QObject::staticMetaObject.methodCount();
    const QMetaMethod fire = SignalRelay::staticMetaObject.method(SignalRelay::staticMetaObject.indexOfSlot("fire()"));
    for (const char* name : kControllerNames) {
        QObject* controller = engine->rootContext()->contextProperty(QLatin1String(name)).value<QObject*>();
        if (!controller)
            continue;
        const QMetaObject* meta = controller->metaObject();
        for (int i = ownSignalsFrom; i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            auto* relay = new SignalRelay(QLatin1String(name), QString::fromLatin1(method.name()), this);
            QObject::connect(controller, method, relay, fire);
            connect(relay, &SignalRelay::fired, this, [this](const QString& object, const QString& signal) {
                broadcast({{"event", "signal"}, {"object", object}, {"signal", signal}});
            });
        }
    }
    attached = true;
    return true;
}

QQuickItem* InspectionServer::findItem(const QJsonObject& selector) const
{
    const QString id = selector.value("id").toString();
    const QString within = selector.value("in").toString();
    const QString text = selector.value("text").toString();
    const QString type = selector.value("type").toString();
    // "popup" looks only at windows other than the main one (menus, file dialogs).
    const bool popupOnly = selector.value("window").toString() == QLatin1String("popup");
    int skip = selector.value("index").toInt(0);  // the n-th match, in window and tree order

    const QList<QQuickWindow*> windows = quickWindows();
    for (QQuickWindow* window : windows) {
        if (!window->isVisible() || (popupOnly && hasId(window, QStringLiteral("mainWindow"))))
            continue;
        QList<QObject*> objects;
        collectItems(window->contentItem(), objects);
        for (QObject* object : objects) {
            auto* item = static_cast<QQuickItem*>(object);
            if (!id.isEmpty() && !hasId(item, id))
                continue;
            if (!type.isEmpty() && !isOfType(item, type))
                continue;
            if (!text.isEmpty() && (!isShown(item) || QQmlProperty::read(item, "text").toString() != text))
                continue;
            if (!within.isEmpty() && !hasAncestorOfType(item, within))
                continue;
            if (skip-- > 0)
                continue;
            return item;
        }
    }
    return nullptr;
}

QJsonObject InspectionServer::describe(QQuickItem* item, const QJsonObject& request) const
{
    QJsonObject description;
    const QPointF sceneTopLeft = item->mapToScene(QPointF(0, 0));
    const QPoint topLeft = item->window() ? item->window()->mapToGlobal(sceneTopLeft.toPoint()) : QPoint();
    description.insert("x", topLeft.x());
    description.insert("y", topLeft.y());
    description.insert("w", item->width());
    description.insert("h", item->height());
    description.insert("visible", item->isVisible());
    description.insert("enabled", item->isEnabled());
    for (const QJsonValue& name : request.value("props").toArray())
        description.insert(name.toString(), toJson(QQmlProperty::read(item, name.toString())));
    if (request.value("texts").toBool()) {
        // Every text shown under the item, in tree order: what a reader of the table sees.
        QList<QObject*> objects;
        collectItems(item, objects);
        QJsonArray texts;
        for (QObject* object : objects) {
            auto* shown = static_cast<QQuickItem*>(object);
            const QVariant value = QQmlProperty::read(shown, "text");
            if (isShown(shown) && value.isValid() && !value.toString().isEmpty() && shown->childItems().isEmpty())
                texts.append(value.toString());
        }
        description.insert("texts", texts);
    }
    return description;
}

void InspectionServer::waitForProperty(QLocalSocket* client, const QJsonObject& request)
{
    const QJsonValue seq = request.value("seq");
    QObject* target = findItem(request.value("select").toObject());
    if (!target && request.contains("window")) {
        for (QQuickWindow* window : quickWindows()) {
            if (hasId(window, request.value("window").toString()))
                target = window;
        }
    }
    if (!target) {
        send(client, {{"seq", seq}, {"ok", false}, {"error", "no such item"}});
        return;
    }
    QPointer<QLocalSocket> to(client);
    auto* waiter = new PropertyWaiter(target, request.value("prop").toString(), request.value("pattern").toString(),
                                      request.value("timeoutMs").toInt(kDefaultWaitCeilingMs),
                                      [this, to, seq](bool matched, const QString& value) {
                                          send(to, {{"seq", seq}, {"ok", matched}, {"value", value}});
                                      });
    waiter->check();
}

void InspectionServer::replyAfterNextFrame(QLocalSocket* client, const QJsonObject& request)
{
    const QJsonValue seq = request.value("seq");
    // The main window's next frame, or with "window": "popup" that of the open popup (a list that
    // places and scrolls itself once shown).
    const bool popup = request.value("window").toString() == QLatin1String("popup");
    QQuickWindow* main = nullptr;
    for (QQuickWindow* window : quickWindows()) {
        if (window->isVisible())
            window->update();
        if (hasId(window, QStringLiteral("mainWindow")) != popup && (!popup || window->isVisible()))
            main = window;
    }
    if (!main) {
        send(client, {{"seq", seq}, {"ok", false}});
        return;
    }
    QPointer<QLocalSocket> to(client);
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(main, &QQuickWindow::frameSwapped, this, [this, to, seq, connection] {
        disconnect(*connection);
        send(to, {{"seq", seq}, {"ok", true}});
    }, Qt::QueuedConnection);
}
