// Well-formed frames of every kind: the replies the parser files, as the gimbal sends them, and the
// requests the library sends. The fuzz corpus is written from them and the parser benchmark streams them.
#pragma once

#include <string>
#include <vector>

#include "frame.h"

namespace cradle::samples {

struct NamedFrame {
    std::string name;  // also the corpus file name
    uint8_t command;
    Bytes bytes;
};

std::vector<NamedFrame> replyFrames();
std::vector<NamedFrame> requestFrames();

}  // namespace cradle::samples
