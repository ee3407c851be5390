// The package reader on packages built here: layout, verdicts, each entry's problem, the refusal a
// flash gives, the compatibility mask and the file's SHA-256.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "firmware_package.h"
#include "package.h"
#include "sha256.h"

using namespace procedures;

namespace {

class PackageFile : public ::testing::Test {
protected:
    std::string path;
    void SetUp() override {
        char pattern[] = "/tmp/package-test-XXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        path = pattern;
    }
    void TearDown() override { std::remove(path.c_str()); }

    void write(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    static std::vector<uint8_t> bytesOf(uint64_t mask, const std::vector<fwpack::Entry>& entries) {
        std::vector<uint8_t> bytes = fwpack::fileHeader(mask, entries.size());
        for (const fwpack::Entry& e : entries) {
            const std::vector<uint8_t> head = fwpack::entryHeader(e);
            bytes.insert(bytes.end(), head.begin(), head.end());
            bytes.insert(bytes.end(), e.image.begin(), e.image.end());
        }
        return bytes;
    }
};

std::vector<uint8_t> image(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + seed);
    return bytes;
}

TEST_F(PackageFile, EntriesFollowTheirImagesWithNoGap) {
    const auto ifb = image(300, 1), mz = image(4096, 2);
    write(bytesOf(1u << 3, {{1, 1, 0, ifb}, {8, 2, 15, mz}}));
    const FirmwarePackage p = readFirmwarePackage(path);
    ASSERT_EQ(p.verdict, FirmwarePackage::Verdict::Read);
    EXPECT_EQ(p.compatibilityMask, 8u);
    ASSERT_EQ(p.entries.size(), 2u);
    EXPECT_EQ(p.entries[0].imageStart, 32u);
    EXPECT_EQ(p.entries[0].length, 300u);
    EXPECT_EQ(p.entries[0].version(), "1.0");
    EXPECT_EQ(p.entries[1].unit, 8);
    EXPECT_EQ(p.entries[1].version(), "2.15");
    EXPECT_EQ(p.entries[1].imageStart, 32u + 300 + 16);
    std::vector<uint8_t> read;
    ASSERT_TRUE(readImage(path, p.entries[1].imageStart, p.entries[1].length, read));
    EXPECT_EQ(read, mz);
    EXPECT_EQ(packageRefusal(path, p), "");
}

// Every way a file can fail to be a flashable package, with what the reader says and why a flash refuses it.
TEST_F(PackageFile, VerdictsAndEntryProblems) {
    const uint64_t limit = firmware_package::kMaxImageBytes;
    const std::vector<uint8_t> good = bytesOf(1, {{1, 1, 0, image(10, 1)}, {8, 1, 1, image(10, 2)}});
    auto with = [&](size_t at, uint8_t value) {
        auto b = good;
        b[at] = value;
        return b;
    };
    auto cut = [&](size_t bytes) { return std::vector<uint8_t>(good.begin(), good.end() - long(bytes)); };
    auto lengthOfSecond = [&](uint32_t length) {
        auto b = good;
        for (int i = 0; i < 4; ++i) b[16 + 16 + 10 + 12 + size_t(i)] = uint8_t(length >> (24 - 8 * i));
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        FirmwarePackage::Verdict verdict;
        std::vector<PackageEntry::Problem> problems;
        const char* refusal;  // part of the message, "" for none
    };
    using P = PackageEntry::Problem;
    using V = FirmwarePackage::Verdict;
    const std::vector<Case> cases = {
        {"good", good, V::Read, {P::None, P::None}, ""},
        {"three bytes", {0x00, 0xAB, 0xCD}, V::NotAPackage, {}, "not a firmware package"},
        {"wrong magic", with(3, 0xEE), V::NotAPackage, {}, "not a firmware package"},
        {"marker 5 is 3", with(5, 3), V::BadHeader, {}, "wrong marker"},
        {"marker 4 is 1", with(4, 1), V::BadHeader, {}, "wrong marker"},
        {"marker 7 is 2", with(7, 2), V::BadHeader, {}, "wrong marker"},
        {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 6), V::BadHeader, {}, "wrong marker"},
        {"second header cut", cut(10 + 8), V::Read, {P::None, P::HeaderCut}, "ends inside entry 2"},
        {"second image cut", cut(1), V::Read, {P::None, P::PastEnd}, "MZ reaches past the end"},
        {"largest image", lengthOfSecond(uint32_t(limit)), V::Read, {P::None, P::PastEnd}, "past the end"},
        {"one byte more than a transfer", lengthOfSecond(uint32_t(limit + 1)), V::Read, {P::None, P::TooLarge}, "larger than one transfer"},
        {"empty image", bytesOf(1, {{2, 1, 0, {}}}), V::Read, {P::None}, "MX is empty"},
    };
    for (const Case& c : cases) {
        write(c.bytes);
        const FirmwarePackage p = readFirmwarePackage(path);
        EXPECT_EQ(p.verdict, c.verdict) << c.what;
        std::vector<P> problems;
        for (const PackageEntry& e : p.entries) problems.push_back(e.problem);
        EXPECT_EQ(problems, c.problems) << c.what;
        const std::string refusal = packageRefusal(path, p);
        if (*c.refusal) EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.what << ": " << refusal;
        else EXPECT_EQ(refusal, "") << c.what;
    }
    EXPECT_EQ(readFirmwarePackage(path + ".missing").verdict, FirmwarePackage::Verdict::NotAPackage);
}

TEST(CameraModule, OnlyCodesOneToSixtyFourWithTheirBitFit) {
    struct Case {
        uint64_t mask;
        int code;
        bool fits;
    };
    for (const Case& c : std::vector<Case>{{8, 4, true}, {16, 4, false}, {~0ULL, 0, false}, {1, 1, true}, {1ULL << 63, 64, true},
                                           {~0ULL, 65, false}, {~0ULL, -1, false}})
        EXPECT_EQ(fitsCameraModule(c.mask, c.code), c.fits) << c.mask << " " << c.code;
}

TEST(Sha256, KnownDigests) {
    auto digest = [](const std::string& text, size_t pieces) {
        Sha256 h;
        const size_t step = (text.size() + pieces - 1) / std::max<size_t>(pieces, 1);
        for (size_t at = 0; at < text.size(); at += step)
            h.add(reinterpret_cast<const uint8_t*>(text.data()) + at, std::min(step, text.size() - at));
        return h.hex();
    };
    EXPECT_EQ(digest("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digest("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(digest(two, 1), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(digest(two, 7), digest(two, 1));
    EXPECT_EQ(digest(std::string(1000000, 'a'), 13), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(normalizeSha256("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(normalizeSha256("ba7816bf"), "");
    EXPECT_EQ(normalizeSha256(std::string(63, 'a') + "g"), "");
}

TEST_F(PackageFile, HashIsTheWholeFilesAndChangesWithOneImageBit) {
    std::vector<uint8_t> bytes = bytesOf(1, {{1, 1, 0, image(200000, 3)}});
    write(bytes);
    const std::string first = readFirmwarePackage(path).sha256;
    Sha256 whole;
    whole.add(bytes.data(), bytes.size());
    EXPECT_EQ(first, whole.hex());
    bytes[bytes.size() - 1] ^= 0x01;
    write(bytes);
    EXPECT_NE(readFirmwarePackage(path).sha256, first);
}

}  // namespace
