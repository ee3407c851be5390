// The raw receive log: appending, rotation to ".bak" and a log that cannot be reopened.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime_log.h"

using namespace cradle;
namespace fs = std::filesystem;

namespace {

class RuntimeLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("cradle-log-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "raw.log").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void append(RuntimeLog& log, const std::string& text) {
        log.append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }

    fs::path dir_;
    std::string path_;
};

}  // namespace

TEST_F(RuntimeLogTest, AppendsToWhatIsThere) {
    std::ofstream(path_, std::ios::binary) << "old";
    RuntimeLog log;
    ASSERT_TRUE(log.open(path_.c_str()));
    append(log, "new");
    EXPECT_EQ(read(path_), "oldnew");
}

TEST_F(RuntimeLogTest, RefusesMissingOrOverlongPaths) {
    RuntimeLog log;
    EXPECT_FALSE(log.open(nullptr));
    EXPECT_FALSE(log.open(std::string(kLogPathCapacity, 'x').c_str()));
    EXPECT_FALSE(log.open((dir_ / "missing" / "raw.log").string().c_str()));
    EXPECT_FALSE(log.isOpen());
}

TEST_F(RuntimeLogTest, RotatesBeforePassingOneMebibyteAndReplacesTheOldBackup) {
    const std::string backup = path_ + ".bak";
    std::ofstream(backup, std::ios::binary) << "an older backup";
    std::ofstream(path_, std::ios::binary) << std::string(kLogRotateBytes - 4, 'a');
    RuntimeLog log;
    ASSERT_TRUE(log.open(path_.c_str()));
    append(log, "1234");  // exactly 1 MiB: still fits
    EXPECT_EQ(fs::file_size(path_), static_cast<uintmax_t>(kLogRotateBytes));
    append(log, "5");
    EXPECT_EQ(read(path_), "5");
    EXPECT_EQ(fs::file_size(backup), static_cast<uintmax_t>(kLogRotateBytes));
    EXPECT_EQ(read(backup).substr(kLogRotateBytes - 4), "1234");
}

TEST_F(RuntimeLogTest, StopsLoggingWhenTheFileCannotBeReopened) {
    RuntimeLog log;
    ASSERT_TRUE(log.open(path_.c_str()));
    append(log, std::string(kLogRotateBytes, 'a'));
    std::error_code kept;
    fs::remove_all(dir_, kept);  // the folder is gone: rotation cannot reopen the log
    if (kept) GTEST_SKIP() << "this system removes no folder that holds an open file";
    append(log, "more");
    EXPECT_FALSE(log.isOpen());
    append(log, "and more");  // must not touch the closed stream
    EXPECT_FALSE(fs::exists(dir_));
}

// A backup that cannot be replaced (here a folder stands at its name; a folder without write
// access does the same for an ordinary user): the log says so once and stops below its limit.
TEST_F(RuntimeLogTest, StopsBelowItsLimitWhenItCannotRotate) {
    const std::string backup = path_ + ".bak";
    fs::create_directories(fs::path(backup) / "kept");
    const std::string old(kLogRotateBytes - 100, 'a');
    std::ofstream(path_, std::ios::binary) << old;
    RuntimeLog log;
    ASSERT_TRUE(log.open(path_.c_str()));
    for (int i = 0; i < 3; ++i) append(log, std::string(200, 'b'));
    EXPECT_FALSE(log.isOpen());
    const std::string kept = read(path_);
    EXPECT_LE(kept.size(), static_cast<size_t>(kLogRotateBytes));
    EXPECT_EQ(kept.substr(0, old.size()), old);
    const std::string notice = kept.substr(old.size());
    EXPECT_NE(notice.find("cannot rotate"), std::string::npos);
    EXPECT_EQ(notice.find("bbb"), std::string::npos);
    EXPECT_TRUE(fs::exists(fs::path(backup) / "kept"));
}
