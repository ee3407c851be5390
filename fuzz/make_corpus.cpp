// Writes the seed corpus: one file per reply and request kind, plus streams that mix replies with
// noise and damage.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "sample_frames.h"

namespace {

using cradle::Bytes;

void write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto frames = cradle::samples::replyFrames();
    for (const auto& frame : frames) write(folder, frame.name, frame.bytes);
    const auto requests = cradle::samples::requestFrames();
    for (const auto& frame : requests) write(folder, frame.name, frame.bytes);

    // Every kind back to back, with junk in front: what a busy line looks like.
    Bytes stream{0x00, 0x11, cradle::kSyncFirst};
    for (const auto& frame : frames) append(stream, frame.bytes);
    write(folder, "stream-all-kinds-with-noise", stream);

    // A frame with one body byte changed, then a good one behind it.
    Bytes damaged = frames.front().bytes;
    damaged[cradle::kBodyOffset + 5] ^= 0x40;
    for (const auto& frame : frames)
        if (frame.command == cradle::command::kTelemetryA) append(damaged, frame.bytes);
    write(folder, "stream-damaged-then-good", damaged);

    // A long reply cut short: its head and half of its extension.
    for (const auto& frame : frames)
        if (frame.command == cradle::command::kVersion)
            write(folder, "stream-version-cut-short",
                  Bytes(frame.bytes.begin(), frame.bytes.begin() + std::ptrdiff_t(cradle::kFrameSize + 10)));
    std::printf("wrote %zu kinds and 3 streams to %s\n", frames.size() + requests.size(), folder.c_str());
    return 0;
}
