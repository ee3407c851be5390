#include "TelemetryPlotBuffer.h"

TelemetryPlotBuffer::TelemetryPlotBuffer(QObject* parent)
    : QObject(parent), times(kCapacity), values(kCapacity)
{
}

void TelemetryPlotBuffer::append(double seconds, const Values& sample)
{
    if (count > 0 && seconds < newestTime())
        return;
    size_t at;
    if (count < kCapacity) {
        at = slot(count);
        ++count;
    } else {
        at = start;
        start = (start + 1) % kCapacity;
    }
    times[at] = seconds;
    values[at] = sample;
    unpublished = true;
}

void TelemetryPlotBuffer::publish()
{
    if (!unpublished)
        return;
    unpublished = false;
    emit appended();
}

void TelemetryPlotBuffer::clear()
{
    start = 0;
    count = 0;
    unpublished = true;
    publish();
}

int TelemetryPlotBuffer::firstFrom(double seconds) const
{
    int low = 0, high = count;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (time(middle) < seconds)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
