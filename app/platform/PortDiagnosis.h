#ifndef PORTDIAGNOSIS_H
#define PORTDIAGNOSIS_H

#include <QByteArray>
#include <QString>

// Why a port could not be opened, as the program finds it by looking at the path itself after the
// library refused it. The library's own result and last-error codes say only "open failed".
struct PortDiagnosis
{
    enum Kind {
        Unknown = 0,    // nothing the program can name (or the port opens now)
        NoPermission,   // the device's group grants access and the user is not a member
        NeedsNewLogin,  // the user was added to that group but this login does not have it yet
        ModeDenies,     // the device's permission bits let nobody like this user in
        InUse,          // another program holds the port
        Gone            // nothing at that path any more
    };

    Kind kind = Unknown;
    QString path;        // the device path looked at
    QString group;       // the device's group
    QString user;        // the login name of the user running the program
    QString mode;        // permission bits as ls shows them, e.g. "crw-rw----"
    QString holder;      // name of the program holding the port, when it can be found
    qint64 holderPid = 0;  // its process id, 0 when not found
    bool modemManager = false;  // a modem manager runs and the port is of the kind it probes

    // Carried as the open result's appendData from the worker thread to the controller.
    QByteArray toBytes() const;
    static PortDiagnosis fromBytes(const QByteArray& bytes);
};

// Looks at the device behind a port name (a name under /dev or a full path) without keeping it open.
// libraryError: the library's last error for the failed open (it alone sees a holder that took no lock).
PortDiagnosis diagnoseOpenFailure(const QString& portName, int libraryError = 0);

#endif // PORTDIAGNOSIS_H
