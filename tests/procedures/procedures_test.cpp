// The engine's procedures on a gimbal scripted behind the library's function table: value ranges,
// restore (refusals with nothing written, forcing, stopping between writes, a pulled cable, a read-back
// that differs, a dry run), the automatic backup and its pruning per port, the parameter record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <set>

#include "configuration.h"
#include "exit_codes.h"
#include "gimbal_io.h"
#include "parameter_record.h"
#include "value_ranges.h"

using namespace procedures;

namespace {

// The scripted gimbal: one per test, reached by the plain function pointers of the table.
struct Scripted {
    Parameters parameters{4, 1, 1, 1, 0, 0, 1, 2, 3, 4, 5, 6, 7, 1, 1, 1, 1, 1, 1, 1, 1};
    ConfigRecord config{};
    std::vector<UnitVersion> units{{1, 1, 1, 0}, {2, 1, 1, 0}};
    int parameterWrites = 0, configWrites = 0, reads = 0;
    int pullCableAtWrite = -1;          // this write (counting all writes from 0) finds the port gone
    uint16_t storeSkew = 0;             // stored values differ from the written ones by this much
    StopRequest* stopDuringWrite = nullptr;  // set while the first write is on the line, as Ctrl-C would
};
Scripted gimbal;

bool cablePulled() { return gimbal.pullCableAtWrite == gimbal.parameterWrites + gimbal.configWrites; }

int versions(unsigned char* record) {
    ++gimbal.reads;
    record[0] = uint8_t(gimbal.units.size());
    for (size_t k = 0; k < gimbal.units.size(); ++k) {
        const UnitVersion& u = gimbal.units[k];
        const uint8_t entry[6] = {u.id, u.hardware, u.major, u.minor, 0, 0};
        std::copy(entry, entry + 6, record + 1 + 6 * k);
    }
    return CRADLE_OK;
}
int readParameters(unsigned char* record) {
    ++gimbal.reads;
    for (size_t i = 0; i < record[0]; ++i) {
        const uint16_t v = gimbal.parameters[record[1 + i]];
        record[18 + 2 * i] = uint8_t(v);
        record[19 + 2 * i] = uint8_t(v >> 8);
    }
    return CRADLE_OK;
}
int writeParameters(const unsigned char* record) {
    if (cablePulled()) return CRADLE_E_NOT_SENT;
    if (gimbal.stopDuringWrite) gimbal.stopDuringWrite->request();
    ++gimbal.parameterWrites;
    for (const auto& e : parameter_record::decode(record, CRADLE_PARAM_RECORD_SIZE))
        gimbal.parameters[size_t(e.number)] = uint16_t(e.value + gimbal.storeSkew);
    return CRADLE_OK;
}
int readConfig(unsigned char* record) {
    ++gimbal.reads;
    std::copy(gimbal.config.begin(), gimbal.config.end(), record);
    return CRADLE_OK;
}
int writeConfig(const unsigned char* record) {
    if (cablePulled()) return CRADLE_E_NOT_SENT;
    ++gimbal.configWrites;
    std::copy(record, record + gimbal.config.size(), gimbal.config.begin());
    return CRADLE_OK;
}

CradleCalls scriptedCalls() {
    CradleCalls calls{};
    calls.UnitVersionInfo = versions;
    calls.DownloadCradleParameter = readParameters;
    calls.UploadCradleParameter = writeParameters;
    calls.DownloadCradleConfig = readConfig;
    calls.UploadCradleConfig = writeConfig;
    return calls;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* e = readdir(dir))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(dir);
    }
    return names;
}

class Procedures : public ::testing::Test {
protected:
    CradleCalls calls = scriptedCalls();
    Backup backup;  // what the gimbal held at the start, with two values changed
    std::string folder;
    RestoreOptions options;

    void SetUp() override {
        gimbal = Scripted{};
        char pattern[] = "/tmp/procedures-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        options.backup.folder = folder;
        ASSERT_TRUE(readBackup(calls, "ttyUSB0", backup).ok());
        backup.parameters[7] = 9;
        backup.config[37] = 200;
        gimbal.reads = 0;
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
};

}  // namespace

TEST(ValueRanges, EveryRangeHoldsItsLastValidValueAndNotItsFirstInvalidOne) {
    struct Case {
        int number;
        long long value;
        bool holds;
    };
    const Case cases[] = {
        {0, 0, false}, {0, 1, true},  {0, 7, true},   {0, 8, false},  {0, 9, true},  {0, 10, false},  // camera module
        {1, 0, false}, {1, 1, true},  {1, 4, true},   {1, 5, false},                                 // control input
        {2, 0, false}, {2, 1, true},  {2, 2, true},   {2, 3, false},                                 // mounting
        {3, 0, false}, {3, 1, true},  {3, 3, true},   {3, 4, false},                                 // mode
        {4, 0, true},  {4, 1, false}, {4, 7, false},  {4, 8, true},   {4, 9, false}, {4, 10, true}, {4, 11, false},  // palette
        {5, 0, true},  {5, 19, true}, {12, 19, true}, {12, 20, false}, {5, -1, false},               // channel mappings
        {13, 0, false}, {13, 1, true}, {20, 2, true}, {20, 3, false},                                // directions
        {21, 0, false}, {-1, 0, false},                                                              // no such parameter
    };
    for (const Case& c : cases) {
        const std::string problem = parameterProblem(c.number, c.value);
        EXPECT_EQ(problem.empty(), c.holds) << c.number << "=" << c.value << ": " << problem;
    }
    EXPECT_EQ(parameterProblem(4, 1), "parameter 4 (palette) cannot be 1: it takes 0, 8 or 10");
    Parameters p = Scripted{}.parameters;
    EXPECT_TRUE(parameterProblems(p).empty());
    p[0] = 70;
    p[1] = 999;
    EXPECT_EQ(parameterProblems(p).size(), 2u);
}

TEST_F(Procedures, ABackupFileWithEveryParameterAndConfigurationByteAtItsLastValidValueRoundTrips) {
    Backup top;
    top.parameters.fill(0xFFFF);
    top.config.fill(0xFF);
    ASSERT_TRUE(saveBackup(folder + "/top.json", top).ok());
    Backup readBack;
    const Status loaded = loadBackup(folder + "/top.json", readBack);
    ASSERT_TRUE(loaded.ok()) << loaded.message;
    EXPECT_EQ(readBack.parameters, top.parameters);
    EXPECT_EQ(readBack.config, top.config);
}

TEST_F(Procedures, RestoreWritesBacksUpFirstAndVerifies) {
    const RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options);
    ASSERT_TRUE(r.status.ok()) << r.status.message;
    EXPECT_EQ(gimbal.parameters, backup.parameters);
    EXPECT_EQ(gimbal.config, backup.config);
    EXPECT_EQ(r.written, (std::vector<std::string>{"parameters 0-16", "parameters 17-20", "configuration (saved)"}));
    ASSERT_EQ(r.plan.size(), 2u);
    EXPECT_EQ(r.plan[0].kind, Difference::kConfig);
    EXPECT_EQ(r.plan[1].from, 2u);
    EXPECT_EQ(r.plan[1].to, 9u);
    // The automatic backup holds what the gimbal had before.
    Backup saved;
    ASSERT_TRUE(loadBackup(r.automaticBackup, saved).ok());
    EXPECT_TRUE(saved.automatic);
    EXPECT_EQ(saved.parameters[7], 2);
}

TEST_F(Procedures, RestoreRefusesValuesNoGimbalCanHoldBeforeReadingAnything) {
    backup.parameters[1] = 999;
    const RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options);
    EXPECT_EQ(r.status.exit, kExitBadFile);
    EXPECT_NE(r.status.message.find("control input"), std::string::npos) << r.status.message;
    EXPECT_EQ(gimbal.reads + gimbal.parameterWrites + gimbal.configWrites, 0);
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(Procedures, RestoreOntoAnotherKindOfGimbalNeedsForce) {
    struct Case {
        const char* what;
        void (*change)(Scripted&);
    };
    const Case foreign[] = {
        {"camera module", [](Scripted& g) { g.parameters[0] = 2; }},
        {"hardware", [](Scripted& g) { g.units[1].hardware = 2; }},
        {"unit missing", [](Scripted& g) { g.units.pop_back(); }},
        {"extra unit", [](Scripted& g) { g.units.push_back({8, 1, 1, 0}); }},
    };
    for (const Case& c : foreign) {
        gimbal = Scripted{};
        c.change(gimbal);
        RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options);
        EXPECT_EQ(r.status.exit, kExitBadFile) << c.what;
        EXPECT_EQ(r.mismatches.size(), 1u) << c.what;
        EXPECT_FALSE(r.forced);
        EXPECT_EQ(gimbal.parameterWrites + gimbal.configWrites, 0) << c.what;

        RestoreOptions forced = options;
        forced.force = true;
        r = restoreBackup(calls, "ttyUSB0", backup, forced);
        EXPECT_TRUE(r.status.ok()) << c.what << ": " << r.status.message;
        EXPECT_TRUE(r.forced);
    }
    // Other software versions are what a backup from before a firmware upgrade has: no mismatch.
    gimbal = Scripted{};
    gimbal.units[0].minor = 3;
    EXPECT_TRUE(restoreBackup(calls, "ttyUSB0", backup, options).status.ok());
}

TEST_F(Procedures, ARestoreStopsBetweenWritesAndSaysWhatWasWritten) {
    StopRequest stop;
    gimbal.stopDuringWrite = &stop;
    const RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options, &stop);
    EXPECT_EQ(r.status.exit, kExitInterrupted);
    EXPECT_TRUE(r.interrupted);
    EXPECT_EQ(gimbal.parameterWrites, 1);
    EXPECT_EQ(gimbal.configWrites, 0);
    EXPECT_EQ(r.status.message, "interrupted; written: parameters 0-16; not written: parameters 17-20, configuration (saved)");
}

TEST_F(Procedures, APulledCableSaysWhatWasAlreadyWritten) {
    gimbal.pullCableAtWrite = 2;  // the configuration, after both parameter records
    const RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options);
    EXPECT_EQ(r.status.exit, kExitFailure);
    EXPECT_EQ(r.status.libraryResult, CRADLE_E_NOT_SENT);
    EXPECT_EQ(r.status.message, "writing the configuration: nothing could be sent on the port (unplugged?); written: parameters 0-16, "
                                "parameters 17-20; not written: configuration (perhaps some items, not saved)");
    gimbal = Scripted{};
    gimbal.pullCableAtWrite = 0;
    EXPECT_NE(restoreBackup(calls, "ttyUSB0", backup, options).status.message.find("; nothing written"), std::string::npos);
}

TEST_F(Procedures, AReadBackThatDiffersFailsVerification) {
    gimbal.storeSkew = 1;
    const RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options);
    EXPECT_EQ(r.status.exit, kExitVerifyFailed);
    EXPECT_NE(r.status.message.find("parameter 7 reads 10, not 9"), std::string::npos) << r.status.message;
}

TEST_F(Procedures, ADryRunReadsThePlanAndWritesNothing) {
    options.dryRun = true;
    const RestoreResult r = restoreBackup(calls, "ttyUSB0", backup, options);
    EXPECT_TRUE(r.status.ok());
    EXPECT_EQ(r.plan.size(), 2u);
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(gimbal.parameterWrites + gimbal.configWrites, 0);
    EXPECT_TRUE(filesIn(folder).empty()) << "no automatic backup either";
}

TEST_F(Procedures, AutomaticBackupsArePrunedPerPortAndCanBeLeftOut) {
    std::string path;
    BackupPolicy policy{folder, 2, true};
    for (const char* port : {"/dev/ttyUSB0", "/dev/ttyUSB1"})
        for (int i = 0; i < 3; ++i) {
            Backup b = backup;
            b.port = port;
            b.taken = 1700000000 + i;
            ASSERT_TRUE(saveAutomaticBackup(b, policy, path).ok());
        }
    std::set<std::string> kept;
    for (const std::string& name : filesIn(folder)) kept.insert(name.substr(0, 34));  // prefix, time and port
    EXPECT_EQ(kept, (std::set<std::string>{"auto-backup-20231114T221321Z-ttyUS", "auto-backup-20231114T221322Z-ttyUS"}));
    EXPECT_EQ(filesIn(folder).size(), 4u) << "two per port";

    gimbal.reads = 0;
    policy.enabled = false;
    EXPECT_TRUE(takeAutomaticBackup(calls, "/dev/ttyUSB0", policy, path).ok());
    EXPECT_EQ(path, "");
    EXPECT_EQ(gimbal.reads, 0) << "a unit that cannot answer is not asked";
}

TEST(ParameterRecord, DecodingNeverReadsPastTheRecord) {
    parameter_record::Buffer record{};
    const std::vector<int> numbers{5, 13}, values{19, 0x1234};
    ASSERT_TRUE(parameter_record::encode(record, numbers, values));
    auto entries = parameter_record::decode(record.data(), record.size());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].number, 13);
    EXPECT_EQ(entries[1].value, 0x1234);
    EXPECT_EQ(parameter_record::decode(record.data(), 21).size(), 1u) << "the second value is cut off";
    record[0] = 200;
    EXPECT_EQ(parameter_record::decode(record.data(), record.size()).size(), size_t(CRADLE_PARAM_MAX_COUNT));
    EXPECT_FALSE(parameter_record::encodeNumbers(record, std::vector<int>(18, 1)));
    EXPECT_FALSE(parameter_record::encode(record, numbers, std::vector<int>{1}));
}
