#ifndef CRADLECALLS_H
#define CRADLECALLS_H

#include "Cradle.h"

// The worker reaches the library only through this table, so tests can script the gimbal's answers.
// It defaults to the library's exports; an empty entry answers CRADLE_E_NOT_STARTED.
struct CradleCalls {
    int (*CSerialOpenPort)(const char* portName, int baudRate, int parity, int dataBits, int stopBits);
    int (*CSerialClosePort)();
    int (*GetSerialLastError)();
    int (*UnitVersionInfo)(unsigned char* versionRecord);
    int (*UpdateFirmRequest)(const int* unitCode);
    int (*WriteFirm)(const int* unitCode, const unsigned char* image, unsigned int length, unsigned char* progress);
    int (*SendStartFsApp)();
    int (*UploadCradleParameter)(const unsigned char* parameterRecord);
    int (*DownloadCradleParameter)(unsigned char* parameterRecord);
    int (*UploadCradleConfig)(const unsigned char* configRecord);
    int (*DownloadCradleConfig)(unsigned char* configRecord);
    int (*CradleCalibration)(int calibrationType);
    int (*CradleStart)();
    int (*CradleStop)();
    int (*CradleUpdateMechanismFirm)();
    int (*GetLogCradleDataA)(unsigned char* record);
    int (*GetLogCradleDataB)(unsigned char* record);
    int (*GetCradleTelemetrySince)(int kind, unsigned long long afterSequence, CradleTelemetrySample* samples,
                                   int capacity, int* count, unsigned long long* newestSequence,
                                   unsigned long long* lost);
};

// Calls one entry; a missing entry behaves like a library with no port open.
template <typename Fn, typename... Args>
int cradleCall(Fn fn, Args... args)
{
    return fn ? fn(args...) : CRADLE_E_NOT_STARTED;
}

// The table the worker calls. Replace entries only while no request is in flight: the worker reads
// the table on its own thread, and a queued request orders the change before the call.
CradleCalls& cradleCalls();
// The library's exports, for restoring the table.
const CradleCalls& cradleExports();

#endif // CRADLECALLS_H
