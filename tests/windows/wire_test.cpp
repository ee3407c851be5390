// The library's Windows build on the wire: against gimbal-sim on a COM port (under Wine, a Linux
// pseudo-terminal mapped as COMn). scripts/test-windows starts the simulator and sets
//   CRADLE_WIRE_PORT  the port name, e.g. "COM7"
//   CRADLE_WIRE_PLUG  a folder where a file named "unplug" or "replug" asks the script to pull the
//                     simulated adapter out or put it back (a program under Wine cannot do that itself)
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "Cradle.h"

namespace {

using namespace std::chrono_literals;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

const std::string kPort = env("CRADLE_WIRE_PORT");
const std::string kPlug = env("CRADLE_WIRE_PLUG");

bool askFor(const char* what) {
    const std::string path = kPlug + "\\" + what;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

int openPort(const std::string& name, int parity = CRADLE_LINE_PARITY) {
    return CSerialOpenPort(name.c_str(), CRADLE_LINE_BAUD, parity, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS);
}

bool underWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// For state that announces itself by no event (the last error): looks again until the generous limit.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 15s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::array<unsigned char, CRADLE_PARAM_RECORD_SIZE> parameterRecord(std::initializer_list<std::pair<int, int>> entries) {
    std::array<unsigned char, CRADLE_PARAM_RECORD_SIZE> record{};
    int k = 0;
    for (const auto& [number, value] : entries) {
        record[CRADLE_PARAM_NUMBERS_OFFSET + k] = static_cast<unsigned char>(number);
        record[CRADLE_PARAM_VALUES_OFFSET + 2 * k] = static_cast<unsigned char>(value & 0xFF);
        record[CRADLE_PARAM_VALUES_OFFSET + 2 * k + 1] = static_cast<unsigned char>(value >> 8);
        ++k;
    }
    record[CRADLE_PARAM_COUNT_OFFSET] = static_cast<unsigned char>(k);
    return record;
}

int parameterValue(const std::array<unsigned char, CRADLE_PARAM_RECORD_SIZE>& record, int k) {
    return record[CRADLE_PARAM_VALUES_OFFSET + 2 * k] | record[CRADLE_PARAM_VALUES_OFFSET + 2 * k + 1] << 8;
}

class Wire : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(kPort.empty()) << "CRADLE_WIRE_PORT names no port";
        ASSERT_EQ(openPort(kPort), 1) << "last error " << GetSerialLastError();
    }
    void TearDown() override { CSerialClosePort(); }
};

}  // namespace

TEST(WireOpen, ErrorsAndPortNames) {
    ASSERT_FALSE(kPort.empty()) << "CRADLE_WIRE_PORT names no port";
    unsigned char version[CRADLE_VERSION_BUFFER_SIZE];
    EXPECT_EQ(openPort("COM199"), 0);
    EXPECT_EQ(GetSerialLastError(), CRADLE_SERIAL_OPEN_FAILED);
    EXPECT_EQ(UnitVersionInfo(version), CRADLE_E_NOT_STARTED);
    EXPECT_EQ(openPort(kPort, 'x'), 0);  // no such parity: the line settings are refused
    EXPECT_EQ(GetSerialLastError(), CRADLE_SERIAL_SETTINGS_FAILED);

    ASSERT_EQ(openPort("\\\\.\\" + kPort), 1) << "last error " << GetSerialLastError();
    EXPECT_EQ(openPort(kPort), 0);
    EXPECT_EQ(GetSerialLastError(), CRADLE_SERIAL_IN_USE);
    EXPECT_EQ(UnitVersionInfo(version), CRADLE_OK);  // the refused open left the link alone
    EXPECT_EQ(CSerialClosePort(), 0);
    EXPECT_EQ(GetSerialLastError(), CRADLE_SERIAL_OK);
    ASSERT_EQ(openPort(kPort), 1) << "a bare name opens too; last error " << GetSerialLastError();
    EXPECT_EQ(UnitVersionInfo(version), CRADLE_OK);
    CSerialClosePort();
}

TEST(WireOpen, APortAnotherProgramHoldsReadsAsInUse) {
    if (underWine()) GTEST_SKIP() << "Wine does not enforce exclusive opens of a serial port";
    const std::string path = "\\\\.\\" + kPort;
    const HANDLE other = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openPort(kPort), 0);
    EXPECT_EQ(GetSerialLastError(), CRADLE_SERIAL_IN_USE);
    CloseHandle(other);
    ASSERT_EQ(openPort(kPort), 1);
    const HANDLE second = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);  // held exclusively
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    CSerialClosePort();
}

TEST_F(Wire, VersionParametersConfigurationAndTelemetry) {
    unsigned char version[CRADLE_VERSION_BUFFER_SIZE] = {};
    ASSERT_EQ(UnitVersionInfo(version), CRADLE_OK);
    EXPECT_EQ(version[0], 4);  // IFB, MX, MY, MZ
    const unsigned char ids[] = {1, 2, 4, 8};
    for (int unit = 0; unit < 4; ++unit) EXPECT_EQ(version[1 + 6 * unit], ids[unit]);

    auto written = parameterRecord({{4, 2}, {20, 0}});
    ASSERT_EQ(UploadCradleParameter(written.data()), CRADLE_OK);
    auto read = parameterRecord({{0, 0}, {4, 0}, {20, 0}});
    ASSERT_EQ(DownloadCradleParameter(read.data()), CRADLE_OK);
    EXPECT_EQ(parameterValue(read, 0), 4);  // the camera module the simulator starts with
    EXPECT_EQ(parameterValue(read, 1), 2);
    EXPECT_EQ(parameterValue(read, 2), 0);

    unsigned char config[CRADLE_CONFIG_BUFFER_SIZE] = {};
    EXPECT_EQ(DownloadCradleConfig(config), CRADLE_OK);

    unsigned char a[CRADLE_TELEMETRY_A_BUFFER_SIZE], b[CRADLE_TELEMETRY_B_BUFFER_SIZE];
    EXPECT_TRUE(eventually([&] { return GetLogCradleDataA(a) == CRADLE_OK && GetLogCradleDataB(b) == CRADLE_OK; }));
    EXPECT_EQ(CradleStart(), CRADLE_STATUS_DONE);
    EXPECT_EQ(CradleStop(), CRADLE_STATUS_DONE);
}

TEST_F(Wire, FirmwareTransferWithAOneByteLastBlock) {
    const int unit = 2;
    unsigned char image[257];
    for (size_t i = 0; i < sizeof image; ++i) image[i] = static_cast<unsigned char>(i * 13 + 5);
    ASSERT_EQ(UpdateFirmRequest(&unit), CRADLE_OK);
    unsigned char progress = 0;
    // The simulator checks block order, lengths and the image's CRC-32 before it accepts the last block.
    EXPECT_EQ(WriteFirm(&unit, image, sizeof image, &progress), CRADLE_OK);
    EXPECT_EQ(progress, 100);
}

TEST_F(Wire, OpenCloseCyclesWhileTelemetryStreams) {
    // Each close ends a read the reader is sleeping on; each open must find the port free again.
    unsigned char a[CRADLE_TELEMETRY_A_BUFFER_SIZE];
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(CSerialClosePort(), 0);
        ASSERT_EQ(openPort(kPort), 1) << "cycle " << cycle << ", last error " << GetSerialLastError();
    }
    unsigned char version[CRADLE_VERSION_BUFFER_SIZE];
    EXPECT_EQ(UnitVersionInfo(version), CRADLE_OK);
    EXPECT_EQ(GetLogCradleDataA(a), CRADLE_OK);
}

TEST(WireExit, AProgramThatEndsWithThePortOpenEnds) {
    // Beside this program in the build tree; one child, waited for with a generous ceiling.
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    ASSERT_TRUE(length > 0 && length < sizeof self);
    std::string program(self, length);
    program = program.substr(0, program.find_last_of('\\') + 1) + "exit_without_close.exe";
    std::string commandLine = "\"" + program + "\" " + kPort;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child))
        << "error " << GetLastError();
    const DWORD waited = WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "still running a minute later";
    EXPECT_EQ(code, 0u);
}

TEST_F(Wire, RemovalIsDetectedAndTheWatchdogReopens) {
    if (kPlug.empty()) GTEST_SKIP() << "CRADLE_WIRE_PLUG names no folder to ask for an unplug in";
    ASSERT_TRUE(askFor("unplug")) << "error " << GetLastError();
    const bool lost = eventually([] { return GetSerialLastError() == CRADLE_SERIAL_PORT_REMOVED; });
    unsigned char version[CRADLE_VERSION_BUFFER_SIZE];
    const int whileGone = UnitVersionInfo(version);
    ASSERT_TRUE(askFor("replug")) << "error " << GetLastError();
    EXPECT_TRUE(lost);
    EXPECT_EQ(whileGone, CRADLE_E_NOT_SENT);
    EXPECT_TRUE(eventually([&] { return UnitVersionInfo(version) == CRADLE_OK; }));
    EXPECT_EQ(GetSerialLastError(), CRADLE_SERIAL_PORT_REMOVED);  // stays 7 until the close
}
