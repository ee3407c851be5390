// Serial link and runtime log: CSerialOpenPort, CSerialOpenPortWithLog, CSerialClosePort,
// GetSerialLastError, CRuntimeLog.
#include "Cradle.h"
#include "link.h"

using cradle::Link;

extern "C" int CSerialOpenPort(const char* portName, int baudRate, int parity, int dataBits, int stopBits) {
    return Link::instance().open(portName, baudRate, parity, dataBits, stopBits, false, nullptr);
}

extern "C" int CSerialOpenPortWithLog(const char* portName, int baudRate, int parity, int dataBits,
                                      int stopBits, const char* logPath) {
    return Link::instance().open(portName, baudRate, parity, dataBits, stopBits, true, logPath);
}

extern "C" int CSerialClosePort(void) {
    Link::instance().close();
    return 0;
}

extern "C" int GetSerialLastError(void) { return Link::instance().lastError(); }

extern "C" int CRuntimeLog(void) { return 1; }
