#include "CradleCalls.h"

#ifndef TILTMATE_WITHOUT_CRADLE
#include "Cradle.h"
#endif

namespace {

CradleCalls makeExports()
{
#ifdef TILTMATE_WITHOUT_CRADLE
    return CradleCalls{};
#else
    return CradleCalls{
        ::CSerialOpenPort,
        ::CSerialClosePort,
        ::GetSerialLastError,
        ::UnitVersionInfo,
        ::UpdateFirmRequest,
        ::WriteFirm,
        ::SendStartFsApp,
        ::UploadCradleParameter,
        ::DownloadCradleParameter,
        ::UploadCradleConfig,
        ::DownloadCradleConfig,
        ::CradleCalibration,
        ::CradleStart,
        ::CradleStop,
        ::CradleUpdateMechanismFirm,
        ::GetLogCradleDataA,
        ::GetLogCradleDataB,
    };
#endif
}

} // namespace

const CradleCalls& cradleExports()
{
    static const CradleCalls exports = makeExports();
    return exports;
}

CradleCalls& cradleCalls()
{
    static CradleCalls calls = cradleExports();
    return calls;
}
