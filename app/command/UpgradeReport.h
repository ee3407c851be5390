#ifndef UPGRADEREPORT_H
#define UPGRADEREPORT_H

#include <QByteArray>
#include <QtGlobal>

// The appendData of an upgrade's final result: one entry per module the upgrade tried, in list
// order — the unit identifier, what became of it, and the version it reported after the reboot.
namespace UpgradeReport {
constexpr char kModuleWritten = 0;
constexpr char kModuleFailed = 1;
constexpr char kModuleOtherVersion = 2;  // written, but reports another version after the reboot
constexpr char kModuleMissing = 3;       // written, but absent from the version report after the reboot
constexpr char kModuleNotConfirmed = 4;  // written, but the gimbal did not answer after the reboot
constexpr int kEntryBytes = 4;

inline void add(QByteArray& report, quint8 unitId, char outcome, quint8 reportedMajor = 0, quint8 reportedMinor = 0)
{
    report.append(char(unitId));
    report.append(outcome);
    report.append(char(reportedMajor));
    report.append(char(reportedMinor));
}
} // namespace UpgradeReport

#endif // UPGRADEREPORT_H
