#ifndef UPGRADEREPORT_H
#define UPGRADEREPORT_H

#include <QByteArray>
#include <QtGlobal>

// The appendData of an upgrade's final result: one pair of bytes per module the upgrade tried,
// in list order — the unit identifier, then whether its image was written.
namespace UpgradeReport {
constexpr char kModuleWritten = 0;
constexpr char kModuleFailed = 1;
constexpr int kEntryBytes = 2;

inline void add(QByteArray& report, quint8 unitId, bool written)
{
    report.append(char(unitId));
    report.append(written ? kModuleWritten : kModuleFailed);
}
} // namespace UpgradeReport

#endif // UPGRADEREPORT_H
