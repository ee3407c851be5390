#ifndef SIGNALRECORDER_H
#define SIGNALRECORDER_H

#include <QObject>
#include <QStringList>

// Records the names of every signal a set of objects emits, in one sequence, so tests can check
// the order of signals across a controller's whole interface. Each name is also re-emitted as
// recorded(), which a QSignalSpy can wait on.
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    explicit SignalRecorder(QObject* parent = nullptr) : QObject(parent) {}

    // Records every signal the object declares itself (not those of its base classes).
    void watch(QObject* object);
    QStringList names() const { return recordedNames; }
    void clear() { recordedNames.clear(); }

signals:
    void recorded(QString name);

private slots:
    void note();

private:
    QStringList recordedNames;
};

#endif // SIGNALRECORDER_H
