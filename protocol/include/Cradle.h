/* Cradle: the gimbal's serial frame protocol behind a flat C interface.
 * Every protocol export returns 14 while no port is open. Result codes of the
 * protocol exports: 0 done, 1 not sent, 2 no reply in time, 3 parameter refused
 * (0xFD), 4 null pointer, 5/6 firmware request refused (0xFE/0xFF), 7/8/9 control
 * status 1/0xF0/0xFF, 10 refused (0xFE/0xFF), 11 no reply or record yet,
 * 12 firmware block refused (0xFD), 14 not started. */
#ifndef CRADLE_H
#define CRADLE_H

#if defined(_WIN32)
#  if defined(CRADLE_BUILDING)
#    define CRADLE_API __declspec(dllexport)
#  else
#    define CRADLE_API __declspec(dllimport)
#  endif
#else
#  define CRADLE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of the protocol exports. */
enum CradleResult {
    CRADLE_OK = 0,                 /* done */
    CRADLE_E_NOT_SENT = 1,         /* every send attempt failed */
    CRADLE_E_NO_REPLY = 2,         /* no (acceptable) reply within the window */
    CRADLE_E_PARAM_REFUSED_FD = 3, /* parameter frame answered 0xFD */
    CRADLE_E_NULL_ARGUMENT = 4,    /* null pointer or argument out of range, nothing sent */
    CRADLE_E_FIRM_REFUSED_FE = 5,  /* firmware request answered 0xFE */
    CRADLE_E_FIRM_REFUSED_FF = 6,  /* firmware request answered 0xFF */
    CRADLE_STATUS_DONE = 7,        /* control or mechanism reply status 1 */
    CRADLE_STATUS_ACCEPTED = 8,    /* control or mechanism reply status 0xF0 */
    CRADLE_STATUS_ERROR = 9,       /* status 0xFF; also a configuration save not confirmed by all units */
    CRADLE_E_REFUSED = 10,         /* parameter frame answered 0xFE, firmware block answered 0xFE/0xFF */
    CRADLE_E_NO_RECORD = 11,       /* no control/mechanism reply yet; no telemetry record yet */
    CRADLE_E_BLOCK_REFUSED_FD = 12,/* firmware block answered 0xFD */
    CRADLE_E_NOT_STARTED = 14      /* no port open, or closed since */
};

/* GetSerialLastError codes. */
enum CradleSerialError {
    CRADLE_SERIAL_OK = 0,
    CRADLE_SERIAL_NOT_CLOSED = 1,
    CRADLE_SERIAL_OPEN_FAILED = 2,
    CRADLE_SERIAL_SETTINGS_FAILED = 3,
    CRADLE_SERIAL_IN_USE = 4,
    CRADLE_SERIAL_LOG_FAILED = 6,
    CRADLE_SERIAL_PORT_REMOVED = 7,
    CRADLE_SERIAL_HELD_ELSEWHERE = 8  /* another program already has the port open (it would take replies) */
};

/* Record sizes: what the exports read or fill, and the buffers callers hand them. */
enum CradleRecordSize {
    CRADLE_VERSION_RECORD_SIZE = 187,     /* bytes UnitVersionInfo copies out */
    CRADLE_VERSION_BUFFER_SIZE = 188,     /* the version store and the caller's buffer */
    CRADLE_PARAM_RECORD_SIZE = 52,        /* count, numbers, 16-bit values */
    CRADLE_CONFIG_RECORD_SIZE = 38,       /* configuration bytes the library reads and fills */
    CRADLE_CONFIG_BUFFER_SIZE = 40,       /* the buffer callers hand (last two unused) */
    CRADLE_TELEMETRY_A_SIZE = 19,         /* record A */
    CRADLE_TELEMETRY_A_BUFFER_SIZE = 19,
    CRADLE_TELEMETRY_B_SIZE = 31,         /* record B */
    CRADLE_TELEMETRY_B_BUFFER_SIZE = 31
};

/* Layout of the 52-byte parameter record. */
enum CradleParamRecord {
    CRADLE_PARAM_COUNT_OFFSET = 0,   /* number of parameters */
    CRADLE_PARAM_NUMBERS_OFFSET = 1, /* parameter numbers, one byte each */
    CRADLE_PARAM_VALUES_OFFSET = 18, /* values, 16-bit little-endian, in the order of the numbers */
    CRADLE_PARAM_MAX_COUNT = 17      /* most parameters one record carries */
};

/* The gimbal's line settings, as CSerialOpenPort takes them. */
#define CRADLE_LINE_BAUD 115200
#define CRADLE_LINE_PARITY 'n'
#define CRADLE_LINE_DATA_BITS 8
#define CRADLE_LINE_STOP_BITS 1

/* Serial link and runtime log */

/** Opens the port (a name without '/' is looked up under /dev; at most 63 characters) and starts the library
 *  threads; 1 on success (last error 0), else 0 (see GetSerialLastError). A port another program already
 *  holds open for reading is refused with 8, as far as this user can see other programs. After a removal without a close, the old threads
 *  are stopped and joined first, so only one set ever runs. */
CRADLE_API int CSerialOpenPort(const char* portName, int baudRate, int parity, int dataBits, int stopBits);
/** As CSerialOpenPort, also appending every received byte to logPath (rotated to logPath".bak" past 1 MiB);
 *  0 with last error 6 if the log cannot be opened, 0 with 4 (log untouched) while a port is open. */
CRADLE_API int CSerialOpenPortWithLog(const char* portName, int baudRate, int parity, int dataBits, int stopBits, const char* logPath);
/** Stops and joins the threads, closes port and log, resets the last error; always 0. */
CRADLE_API int CSerialClosePort(void);
/** Last serial error: 0 none, 1 not closed, 2 open failed, 3 settings failed, 4 in use, 6 log failed,
 *  7 port removed (kept until the close, also after the port was reopened automatically, and cleared
 *  by a successful open), 8 another program had the port open for reading already. */
CRADLE_API int GetSerialLastError(void);
/** Kept for older callers: returns 1 and does nothing. */
CRADLE_API int CRuntimeLog(void);

/* Version and firmware */

/** Reads the 187-byte version record; 0, 1, 2, 4 or 14. */
CRADLE_API int UnitVersionInfo(unsigned char* versionRecord);
/** Asks the unit to accept new firmware; 0, 1, 2, 4, 5 (0xFE), 6 (0xFF) or 14. */
CRADLE_API int UpdateFirmRequest(const int* unitCode);
/** Sends an image in 256-byte blocks, writing 0..100 to progress after each accepted block; 0, 1, 2, 4 (also for
 *  an empty image or one of more than 65535 blocks), 10, 12 or 14. */
CRADLE_API int WriteFirm(const int* unitCode, const unsigned char* image, unsigned int length, unsigned char* progress);
/** Tells the gimbal to start its application; 1 when the frame was written, else 0. */
CRADLE_API int SendStartFsApp(void);

/* Parameters and configuration */

/** Writes the parameters of a 52-byte record (count, numbers, values); 0, 1, 2, 3, 4 (also for a count above 17), 10 or 14. */
CRADLE_API int UploadCradleParameter(const unsigned char* parameterRecord);
/** Reads the values of the parameters a 52-byte record names; 0, 1, 2, 3, 4 (also for a count above 17), 10 or 14. */
CRADLE_API int DownloadCradleParameter(unsigned char* parameterRecord);
/** Writes the 38-byte configuration record to the three units and has them save it; 0, 1, 2, 4, 9 or 14. */
CRADLE_API int UploadCradleConfig(const unsigned char* configRecord);
/** Reads the 38-byte configuration record from the three units; 0, 1, 2, 4 or 14. */
CRADLE_API int DownloadCradleConfig(unsigned char* configRecord);

/* Control and telemetry */

/** Runs a calibration (types 1..5; 0 only starts it) and waits for it to finish; 0 when done, else 1, 2,
 *  4 (type outside 0..5, nothing sent), 7, 8, 9, 11 or 14. */
CRADLE_API int CradleCalibration(int calibrationType);
/** Starts the gimbal; 7 (done), 8 (accepted), 9 (error), 1, 2 or 14. */
CRADLE_API int CradleStart(void);
/** Stops the gimbal; 7 (done), 8 (accepted), 9 (error), 1, 2 or 14. */
CRADLE_API int CradleStop(void);
/** Asks the camera module for a firmware update; 0 when accepted, else 1, 2, 9 or 14. */
CRADLE_API int CradleUpdateMechanismFirm(void);
/** Copies the latest 19-byte telemetry record A; 0, 4 for a null record, or 11 when none has arrived yet. */
CRADLE_API int GetLogCradleDataA(unsigned char* record);
/** Copies the latest 31-byte telemetry record B; 0, 4 for a null record, or 11 when none has arrived yet. */
CRADLE_API int GetLogCradleDataB(unsigned char* record);

/* Telemetry history (since library version 2.3)
 *
 * Every telemetry frame the library receives is kept, per record kind, in a ring of the last
 * CRADLE_TELEMETRY_HISTORY_SIZE samples, each with its receive time and a sequence number. What a caller
 * can rely on:
 * - sequences count 1, 2, 3, ... per kind, without gaps, from the first frame after the library was
 *   loaded; 0 means "nothing yet". They go on across CSerialClosePort and a new open, like the records.
 * - receivedUs is the monotonic clock of the process (steady_clock: CLOCK_MONOTONIC on POSIX), in
 *   microseconds, taken when the frame was filed; it never goes backwards within a kind.
 * - record holds the bytes GetLogCradleDataA/B would have copied for that frame (19 or 31), the rest 0.
 * - a call copies the samples newer than afterSequence, oldest first, at most capacity of them; pass the
 *   sequence of the last sample copied to get the rest, so every sample is seen exactly once.
 * - samples older than the ring were overwritten: *lost counts those newer than afterSequence that are
 *   no longer held (a reader that lags by more than the ring's size loses the oldest, never a newer one).
 * - the call never waits for the line and never allocates: it copies under the record's lock, which the
 *   library's parser holds only to file one frame. Any thread may call it, also without an open port. */
enum CradleTelemetryKind {
    CRADLE_TELEMETRY_KIND_A = 0, /* frames 0x6B, record A */
    CRADLE_TELEMETRY_KIND_B = 1  /* frames 0x6C, record B */
};
enum CradleTelemetryHistory {
    CRADLE_TELEMETRY_HISTORY_SIZE = 2048, /* samples of each kind: 100 s at 20 Hz */
    CRADLE_TELEMETRY_SAMPLE_BYTES = 32    /* room for record A or B */
};
typedef struct CradleTelemetrySample {
    unsigned long long sequence;
    long long receivedUs;
    unsigned char record[CRADLE_TELEMETRY_SAMPLE_BYTES];
} CradleTelemetrySample;

/** Copies the samples of one kind newer than afterSequence into samples (room for capacity, 0 allowed)
 *  and sets *count to how many were copied, *newestSequence to the newest sequence held (0: none yet) and
 *  *lost to how many samples newer than afterSequence the ring no longer holds. 0, or 4 (nothing touched)
 *  for a kind other than A or B, a negative capacity, or a null pointer (samples may be null when
 *  capacity is 0). */
CRADLE_API int GetCradleTelemetrySince(int kind, unsigned long long afterSequence, CradleTelemetrySample* samples,
                                       int capacity, int* count, unsigned long long* newestSequence,
                                       unsigned long long* lost);

#ifdef __cplusplus
}
#endif

#endif /* CRADLE_H */
