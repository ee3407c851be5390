#include "CradleCalls.h"

#include "Cradle.h"

namespace {

CradleCalls makeExports()
{
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
        ::GetCradleTelemetrySince,
    };
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
