// What the procedures ask of the operating system, checked the same way on Linux and (cross-built, under
// Wine) on Windows: the time a backup was taken, and a saved file replacing an older one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "backup.h"

namespace {

using namespace procedures;

std::string withTaken(const std::string& taken) {
    std::string text = backupToJson(Backup{});
    const size_t at = text.find("\"taken\"");
    const size_t open = text.find('"', at + 7), close = text.find('"', open + 1);
    return text.replace(open + 1, close - open - 1, taken);
}

TEST(System, BackupTimesRoundTripAndOnlyTheWrittenFormIsRead) {
    for (const std::time_t t : {std::time_t(0), std::time_t(951825599) /* 2000-02-29T11:59:59Z */,
                                std::time_t(2147483648) /* past 2038 */, std::time_t(4102444799) /* 2099-12-31T23:59:59Z */}) {
        Backup b;
        b.taken = t;
        Backup back;
        ASSERT_TRUE(backupFromJson(backupToJson(b), back).ok()) << t;
        EXPECT_EQ(back.taken, t);
    }
    struct Case {
        const char* taken;
        bool read;
        std::time_t t;
    };
    const Case cases[] = {
        {"2026-12-31T23:59:59Z", true, 1798761599}, {"2026-12-31T23:59:60Z", true, 1798761600},  // a leap second
        {"2026-13-01T00:00:00Z", false, 0},         {"2026-12-31T24:00:00Z", false, 0},
        {"2026-12-31T23:60:00Z", false, 0},         {"2026-12-31T23:59:61Z", false, 0},
        {"2026-12-00T00:00:00Z", false, 0},         {"2026-12-31T23:59:59", false, 0},
        {"2026-12-31T23:59:59Z+", false, 0},        {"2026-12-31 23:59:59Z", false, 0},
    };
    for (const Case& c : cases) {
        Backup back;
        const Status s = backupFromJson(withTaken(c.taken), back);
        EXPECT_EQ(s.ok(), c.read) << c.taken << ": " << s.message;
        if (c.read && s.ok()) {
            EXPECT_EQ(back.taken, c.t) << c.taken;
        }
    }
}

TEST(System, ASavedBackupReplacesTheFileThereAndLeavesNothingBeside) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "cradle-system-test";
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    const std::string path = (folder / "gimbal.json").string();
    for (uint16_t value : {1, 2}) {
        Backup b;
        b.parameters[3] = value;
        const Status s = saveBackup(path, b);
        ASSERT_TRUE(s.ok()) << s.message;
        Backup back;
        ASSERT_TRUE(loadBackup(path, back).ok());
        EXPECT_EQ(back.parameters[3], value) << "the second save replaces the first";
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
