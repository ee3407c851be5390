// Reading and writing a gimbal's versions, parameters and configuration record through the library's
// function table, each library result turned into an exit class and a message naming the operation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CradleCalls.h"
#include "backup.h"
#include "units.h"

namespace procedures {

// What a library result means to a technician; `libraryResult` keeps the code itself.
Status cradleStatus(int result, const std::string& operation);

Status readVersions(const CradleCalls& calls, std::vector<UnitVersion>& units);
// Any parameter numbers, in records of at most CRADLE_PARAM_MAX_COUNT; values in the order asked.
Status readParameters(const CradleCalls& calls, const std::vector<int>& numbers, std::vector<uint16_t>& values);
Status writeParameters(const CradleCalls& calls, const std::vector<int>& numbers, const std::vector<uint16_t>& values);
Status readAllParameters(const CradleCalls& calls, Parameters& values);
Status readConfig(const CradleCalls& calls, ConfigRecord& record);
// Writes the record's seven items and has the units save them.
Status writeConfig(const CradleCalls& calls, const ConfigRecord& record);

// Versions, parameters and configuration: what a backup holds, taken now from `port`.
Status readBackup(const CradleCalls& calls, const std::string& port, Backup& backup);

}  // namespace procedures
