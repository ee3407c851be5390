// fwpack run as a program: packages read back byte for byte against the format, demo images, refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "firmware_package_format.h"
#include "gimbalsim/DemoMarker.h"

namespace {

class Fwpack : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char pattern[] = "/tmp/fwpack-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<uint8_t> readFile(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) const {
        struct stat st{};
        return stat(path(name).c_str(), &st) == 0;
    }
    // Runs fwpack in the test directory; returns its exit code, stderr in `errors`.
    int run(const std::string& args) {
        const std::string command = "cd '" + dir + "' && '" FWPACK_PATH "' " + args + " 2>stderr.txt >/dev/null";
        const int status = std::system(command.c_str());
        const auto bytes = readFile("stderr.txt");
        errors.assign(bytes.begin(), bytes.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors;
};

uint64_t big(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | b[at + size_t(i)];
    return v;
}

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 13 + seed);
    return v;
}

}  // namespace

TEST_F(Fwpack, WritesHeaderEntriesAndImagesExactly) {
    const auto ifb = pattern(4096, 1), mz = pattern(300, 2);
    writeFile("ifb.bin", ifb);
    writeFile("mz.bin", mz);
    ASSERT_EQ(run("-o pack.bin --mask 0x8 IFB:2:15:ifb.bin 8:1.0:mz.bin"), 2) << "version needs a dot";
    ASSERT_EQ(run("-o pack.bin --mask 0x8 IFB:2.15:ifb.bin 8:1.0:mz.bin"), 0) << errors;

    const auto p = readFile("pack.bin");
    ASSERT_EQ(p.size(), 16u + 16u + ifb.size() + 16u + mz.size());
    const std::vector<uint8_t> header = {0x00, 0xAB, 0xCD, 0xEF, 0x00, 0x02, 2, 0x01, 0, 0, 0, 0, 0, 0, 0, 8};
    EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 16), header);

    size_t at = 16;
    for (const auto& [unit, major, minor, image] :
         {std::tuple<uint8_t, uint8_t, uint8_t, std::vector<uint8_t>>{1, 2, 15, ifb}, {8, 1, 0, mz}}) {
        EXPECT_EQ(p[at], unit);
        EXPECT_EQ(p[at + 1], major);
        EXPECT_EQ(p[at + 2], minor);
        for (size_t i = 3; i < 12; ++i) EXPECT_EQ(p[at + i], 0) << "entry byte " << i;
        EXPECT_EQ(big(p, at + 12, 4), image.size());
        EXPECT_TRUE(std::equal(image.begin(), image.end(), p.begin() + long(at + 16)));
        at += 16 + image.size();
    }
    EXPECT_EQ(at, p.size());
}

TEST_F(Fwpack, DefaultMaskFitsEveryCameraModule) {
    writeFile("a.bin", pattern(10, 3));
    ASSERT_EQ(run("-o pack.bin MY:0.9:a.bin"), 0) << errors;
    const auto p = readFile("pack.bin");
    EXPECT_EQ(big(p, 8, 8), ~uint64_t(0));
    EXPECT_EQ(p[6], 1);
    EXPECT_EQ(p[16], 4);
}

TEST_F(Fwpack, DemoImagesCarryTheVersionMarker) {
    ASSERT_EQ(run("-o demo.bin --demo"), 0) << errors;
    auto p = readFile("demo.bin");
    ASSERT_GE(p.size(), 16u);
    ASSERT_EQ(p[6], 4);
    size_t at = 16;
    for (uint8_t unit : {1, 2, 4, 8}) {
        ASSERT_LE(at + 16, p.size());
        EXPECT_EQ(p[at], unit);
        const size_t length = size_t(big(p, at + 12, 4));
        const std::vector<uint8_t> image(p.begin() + long(at + 16), p.begin() + long(at + 16 + length));
        const auto marker = gimbalsim::findDemoMarker(image);
        ASSERT_TRUE(marker);
        EXPECT_EQ(marker->unit, unit);
        EXPECT_EQ(marker->major, p[at + 1]);
        EXPECT_EQ(marker->minor, p[at + 2]);
        at += 16 + length;
    }
    EXPECT_EQ(at, p.size());

    ASSERT_EQ(run("-o demo2.bin --demo MX:3.4:1000"), 0) << errors;
    p = readFile("demo2.bin");
    ASSERT_EQ(p.size(), 16u + 16u + 1000u);
    const auto marker = gimbalsim::findDemoMarker({p.begin() + 32, p.end()});
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->major, 3);
    EXPECT_EQ(marker->minor, 4);

    // The size asked for is the size written, or the entry is refused: too small for the marker,
    // or more blocks than one firmware transfer can number.
    ASSERT_EQ(run("-o demo3.bin --demo MY:1.2:28"), 0) << errors;
    EXPECT_EQ(readFile("demo3.bin").size(), 16u + 16u + 28u);
    EXPECT_EQ(run("-o demo4.bin --demo MY:1.2:27"), 2);
    EXPECT_NE(errors.find("16776960"), std::string::npos) << errors;
    EXPECT_EQ(run("-o demo4.bin --demo MY:1.2:16776961"), 2);
    EXPECT_FALSE(exists("demo4.bin"));
}

TEST_F(Fwpack, RefusesImagesThatDoNotFitAndLeavesNoPackage) {
    writeFile("empty.bin", {});
    EXPECT_EQ(run("-o pack.bin IFB:1.0:empty.bin"), 1);
    EXPECT_NE(errors.find("empty"), std::string::npos) << errors;
    EXPECT_FALSE(exists("pack.bin"));

    // One byte past what one firmware transfer carries, and so past what the program offers;
    // the largest image that fits is written.
    auto sparse = [&](const char* name, off_t size) {
        std::FILE* f = std::fopen(path(name).c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
        ASSERT_EQ(truncate(path(name).c_str(), size), 0);
    };
    sparse("huge.bin", off_t(firmware_package::kMaxImageBytes + 1));
    EXPECT_EQ(run("-o pack.bin IFB:1.0:huge.bin"), 1);
    EXPECT_NE(errors.find("16776960"), std::string::npos) << errors;
    EXPECT_FALSE(exists("pack.bin"));
    sparse("largest.bin", off_t(firmware_package::kMaxImageBytes));
    EXPECT_EQ(run("-o pack.bin IFB:1.0:largest.bin"), 0) << errors;
    struct stat written{};
    ASSERT_EQ(stat(path("pack.bin").c_str(), &written), 0);
    EXPECT_EQ(uint64_t(written.st_size), 16u + 16u + firmware_package::kMaxImageBytes);
    std::remove(path("pack.bin").c_str());

    EXPECT_EQ(run("-o pack.bin IFB:1.0:missing.bin"), 1);
    EXPECT_NE(errors.find("missing.bin"), std::string::npos) << errors;

    writeFile("one.bin", {1});
    std::string many = "-o pack.bin";
    for (int i = 0; i < 256; ++i) many += " " + std::to_string(i % 256) + ":1.0:one.bin";
    EXPECT_EQ(run(many), 1);
    EXPECT_NE(errors.find("255"), std::string::npos) << errors;
    EXPECT_FALSE(exists("pack.bin"));
    many.resize(many.rfind(' '));
    EXPECT_EQ(run(many), 0) << "255 entries fit";
    EXPECT_EQ(readFile("pack.bin")[6], 255);
}

TEST_F(Fwpack, BadOptionsExitWithTwo) {
    writeFile("a.bin", {1, 2});
    EXPECT_EQ(run("IFB:1.0:a.bin"), 2) << "no output";
    EXPECT_EQ(run("-o pack.bin"), 2) << "no entries";
    EXPECT_EQ(run("-o pack.bin --mask -1 IFB:1.0:a.bin"), 2);
    EXPECT_EQ(run("-o pack.bin --mask 0x1ffffffffffffffff IFB:1.0:a.bin"), 2);
    EXPECT_EQ(run("-o pack.bin QQ:1.0:a.bin"), 2);
    EXPECT_EQ(run("-o pack.bin IFB:1.300:a.bin"), 2);
    EXPECT_EQ(run("-o pack.bin --frobnicate IFB:1.0:a.bin"), 2);
    EXPECT_FALSE(exists("pack.bin"));
    EXPECT_EQ(run("--help"), 0);
}
