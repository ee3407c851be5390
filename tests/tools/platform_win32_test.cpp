// The command line a worker is started with on Windows: the C runtime must give the worker back every
// argument exactly, or a file name with blanks, quotes or backslashes would reach it changed.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "platform_win32.h"

namespace {

std::string narrow(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(bytes > 0 ? bytes - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    return text;
}

std::vector<std::string> parsed(const std::string& line) {
    const int chars = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(), chars);
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(narrow(words[i]));  // the program's name apart
    LocalFree(words);
    return args;
}

TEST(WorkerCommandLine, EveryArgumentComesBackAsItWasGiven) {
    const std::vector<std::vector<std::string>> cases = {
        {"restore", "C:\\backups\\gimbal.json"},
        {"backup", "C:\\Program Files\\station\\"},          // a trailing backslash inside quotes
        {"params", "set", "1=2", ""},                         // an empty argument
        {"diff", "a \"quoted\" name.json", "b\\\"c.json"},   // quotes, and a backslash before one
        {"x\\\\", "\\\\server\\share\\f.json", "tab\there"},
        {"--sha256", "ab\\\\\"cd", "\\\"", "\""},
    };
    for (const auto& args : cases) {
        std::vector<std::string> withProgram = args;
        withProgram.insert(withProgram.begin(), "cradlectl");
        EXPECT_EQ(parsed(cradlectl::platform::commandLine(withProgram)), args) << cradlectl::platform::commandLine(withProgram);
    }
}

}  // namespace
