#include "files.h"

#include <cstdio>

namespace cradle::platform {

bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

}  // namespace cradle::platform
