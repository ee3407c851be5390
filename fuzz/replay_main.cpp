// The fuzz target without libFuzzer: replays corpus files, then a fixed number of seeded mutations of
// them, so an ordinary build checks the corpus and a little more on every test run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "frame_sealer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr uint32_t kDefaultSeed = 1;
constexpr int kDefaultMutations = 2000;
constexpr size_t kMaxInsertBytes = 64;

using Input = std::vector<uint8_t>;

std::vector<Input> readCorpus(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());  // the same order, so a seed means the same run everywhere
    std::vector<Input> inputs;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return inputs;
}

// Flips, replaces, drops, inserts and splices bytes: the damage a noisy line does; then, as the
// fuzz target's own mutator does, re-seals the frames' CRCs in seven mutations of eight.
Input mutate(const std::vector<Input>& corpus, std::mt19937& random) {
    Input input = corpus[random() % corpus.size()];
    const int edits = 1 + int(random() % 8);
    for (int e = 0; e < edits; ++e) {
        const size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 5) {
        case 0:
            if (!input.empty()) input[at] ^= uint8_t(1u << (random() % 8));
            break;
        case 1:
            if (!input.empty()) input[at] = uint8_t(random());
            break;
        case 2:
            if (!input.empty()) input.erase(input.begin() + std::ptrdiff_t(at));
            break;
        case 3:
            for (size_t n = random() % kMaxInsertBytes; n > 0; --n)
                input.insert(input.begin() + std::ptrdiff_t(std::min(at, input.size())), uint8_t(random()));
            break;
        default: {
            const Input& other = corpus[random() % corpus.size()];
            input.insert(input.end(), other.begin(), other.end());
            break;
        }
        }
    }
    if (random() % 8 != 0) cradle::fuzzing::sealFrames(input.data(), input.size());
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER [MUTATIONS [SEED]]\n", argv[0]);
        return 2;
    }
    const std::vector<Input> corpus = readCorpus(argv[1]);
    if (corpus.empty()) {
        std::fprintf(stderr, "no corpus files in %s\n", argv[1]);
        return 1;
    }
    const int mutations = argc > 2 ? std::atoi(argv[2]) : kDefaultMutations;
    std::mt19937 random(argc > 3 ? uint32_t(std::strtoul(argv[3], nullptr, 10)) : kDefaultSeed);
    for (const Input& input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());
    for (int i = 0; i < mutations; ++i) {
        const Input input = mutate(corpus, random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu corpus inputs and %d mutations\n", corpus.size(), mutations);
    return 0;
}
