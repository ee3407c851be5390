#include "thread_cpu.h"

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace bench {
namespace {
constexpr int kUtimeField = 14;  // fields of /proc/<pid>/stat, counted from 1
}

std::set<int> threadIds() {
    std::set<int> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ids.insert(std::stoi(entry->d_name));
        closedir(dir);
    }
    return ids;
}

long threadCpuTicks(int tid) {
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text;
    if (!std::getline(file, text)) return -1;
    // The name in parentheses may hold spaces; the numbered fields start after the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = -1, stime = -1;
    for (int number = 3; fields >> field; ++number) {
        if (number == kUtimeField) utime = std::stol(field);
        if (number == kUtimeField + 1) {
            stime = std::stol(field);
            break;
        }
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

std::string threadName(int tid) {
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/comm");
    std::string name;
    std::getline(file, name);
    return name;
}

long ticksPerSecond() { return sysconf(_SC_CLK_TCK); }

}  // namespace bench
