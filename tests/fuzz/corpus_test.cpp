// The seed corpus is only worth fuzzing from while its frames are what really crosses the line:
// each kind's file must match the frame builders, and a reply must be filed by the parser as exactly
// that reply.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "parser.h"
#include "sample_frames.h"

namespace {

using cradle::Bytes;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Records which command each filing came from.
class KindSink final : public cradle::ReplySink {
public:
    void onVersion(const uint8_t*, size_t) override { kinds.push_back(cradle::command::kVersion); }
    void onFirmRequestStatus(uint8_t) override { kinds.push_back(cradle::command::kFirmRequest); }
    void onFirmBlockStatus(uint8_t) override { kinds.push_back(cradle::command::kFirmBlock); }
    void onControlReply(uint8_t, uint8_t, const uint8_t*) override { kinds.push_back(cradle::command::kControl); }
    void onMechanismStatus(uint8_t) override { kinds.push_back(cradle::command::kMechanism); }
    void onTelemetryA(const uint8_t*) override { kinds.push_back(cradle::command::kTelemetryA); }
    void onTelemetryB(const uint8_t*) override { kinds.push_back(cradle::command::kTelemetryB); }
    void onParamWriteStatus(uint8_t) override { kinds.push_back(cradle::command::kParamWrite); }
    void onParamRead(uint8_t, const uint16_t*, size_t) override { kinds.push_back(cradle::command::kParamRead); }
    std::vector<uint8_t> kinds;
};

std::vector<uint8_t> filedKinds(const Bytes& bytes, cradle::ParserStats* stats = nullptr) {
    cradle::ReceiveRing ring;
    KindSink sink;
    cradle::FrameParser parser(ring, sink);
    parser.feed(bytes.data(), bytes.size());
    if (stats) *stats = parser.stats();
    return sink.kinds;
}

TEST(FuzzCorpus, EveryKindFileMatchesTheBuildersAndIsFiledAsItsKind) {
    std::set<uint8_t> covered;
    for (const auto& frame : cradle::samples::replyFrames()) {
        SCOPED_TRACE(frame.name);
        const Bytes stored = readFile(std::filesystem::path(FUZZ_CORPUS_DIR) / frame.name);
        EXPECT_EQ(stored, frame.bytes) << "rewrite the corpus with fuzz_make_corpus";
        const auto kinds = filedKinds(stored);
        ASSERT_FALSE(kinds.empty());
        for (uint8_t kind : kinds) EXPECT_EQ(kind, frame.command);
        covered.insert(frame.command);
    }
    const std::set<uint8_t> replies{cradle::command::kVersion,    cradle::command::kFirmRequest,
                                    cradle::command::kFirmBlock,  cradle::command::kControl,
                                    cradle::command::kMechanism,  cradle::command::kTelemetryA,
                                    cradle::command::kTelemetryB, cradle::command::kParamWrite,
                                    cradle::command::kParamRead};
    EXPECT_EQ(covered, replies);
}

TEST(FuzzCorpus, RequestFilesMatchTheBuildersAndCoverEveryRequest) {
    std::set<uint8_t> covered;
    for (const auto& frame : cradle::samples::requestFrames()) {
        SCOPED_TRACE(frame.name);
        EXPECT_EQ(readFile(std::filesystem::path(FUZZ_CORPUS_DIR) / frame.name), frame.bytes)
            << "rewrite the corpus with fuzz_make_corpus";
        EXPECT_EQ(frame.bytes.at(cradle::kCommandOffset), frame.command);
        covered.insert(frame.command);
    }
    const std::set<uint8_t> requests{cradle::command::kVersion,   cradle::command::kFirmRequest,
                                     cradle::command::kFirmBlock, cradle::command::kStartApp,
                                     cradle::command::kControl,   cradle::command::kMechanism,
                                     cradle::command::kParamWrite, cradle::command::kParamRead};
    EXPECT_EQ(covered, requests);
}

TEST(FuzzCorpus, StreamsCarryTheirNoiseAndDamageAsNamed) {
    const std::filesystem::path folder(FUZZ_CORPUS_DIR);
    cradle::ParserStats stats;

    // Every kind once, control replies once per addressed unit, despite the junk in front.
    size_t expected = 0;
    for (const auto& frame : cradle::samples::replyFrames()) expected += filedKinds(frame.bytes).size();
    EXPECT_EQ(filedKinds(readFile(folder / "stream-all-kinds-with-noise"), &stats).size(), expected);
    EXPECT_EQ(stats.headCrcErrors, 0u);

    const auto afterDamage = filedKinds(readFile(folder / "stream-damaged-then-good"), &stats);
    EXPECT_EQ(stats.headCrcErrors, 1u);
    EXPECT_EQ(afterDamage, std::vector<uint8_t>{cradle::command::kTelemetryA});

    EXPECT_TRUE(filedKinds(readFile(folder / "stream-version-cut-short")).empty());
}

}  // namespace
