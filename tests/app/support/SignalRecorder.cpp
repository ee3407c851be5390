#include "SignalRecorder.h"

#include <QMetaMethod>

void SignalRecorder::watch(QObject* object)
{
    const QMetaObject* meta = object->metaObject();
    const QMetaMethod slot = metaObject()->method(metaObject()->indexOfSlot("note()"));
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            connect(object, method, this, slot, Qt::DirectConnection);
    }
}

void SignalRecorder::note()
{
    const QString name = QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name());
    recordedNames.append(name);
    emit recorded(name);
}
