// CPU time of this process's threads, read from /proc/self/task/<tid>/stat.
#pragma once

#include <map>
#include <set>
#include <string>

namespace bench {

std::set<int> threadIds();
// utime + stime in clock ticks, or -1 when the thread has gone.
long threadCpuTicks(int tid);
std::string threadName(int tid);
long ticksPerSecond();

}  // namespace bench
