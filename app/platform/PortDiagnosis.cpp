#include "PortDiagnosis.h"

#include <QDataStream>

namespace {
// Bumped when the fields change, so an old layout is read as "unknown" rather than misread.
constexpr quint8 kLayoutVersion = 2;
}

QByteArray PortDiagnosis::toBytes() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kLayoutVersion << static_cast<quint8>(kind) << path << group << user << mode << holder << holderPid << modemManager;
    return bytes;
}

PortDiagnosis PortDiagnosis::fromBytes(const QByteArray& bytes)
{
    PortDiagnosis diagnosis;
    QDataStream in(bytes);
    quint8 version = 0;
    quint8 kind = Unknown;
    in >> version;
    if (version != kLayoutVersion)
        return {};
    in >> kind >> diagnosis.path >> diagnosis.group >> diagnosis.user >> diagnosis.mode >> diagnosis.holder
       >> diagnosis.holderPid >> diagnosis.modemManager;
    if (in.status() != QDataStream::Ok || kind > Gone)
        return {};
    diagnosis.kind = static_cast<Kind>(kind);
    return diagnosis;
}
