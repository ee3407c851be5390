#ifndef TELEMETRYPLOTBUFFER_H
#define TELEMETRYPLOTBUFFER_H

#include <QObject>

#include <array>
#include <vector>

// The samples the plots draw from: receive time and nine values per sample of telemetry record A, in a
// fixed ring that holds more than the widest time window. Filled on the GUI thread; the plots read it
// while the scene graph synchronises (the GUI thread then waits), so no lock is needed.
class TelemetryPlotBuffer : public QObject
{
    Q_OBJECT
public:
    enum Channel {
        RATE_X, RATE_Y, RATE_Z,    // degrees per second
        ACCEL_X, ACCEL_Y, ACCEL_Z, // g
        ROLL, PITCH, YAW,          // degrees
        CHANNEL_COUNT
    };
    Q_ENUM(Channel)
    static constexpr int kCapacity = 4096; // 60 s at up to 68 samples a second
    using Values = std::array<float, CHANNEL_COUNT>;

    explicit TelemetryPlotBuffer(QObject* parent = nullptr);

    // Samples come in receive order; one older than the newest is dropped, so times only grow.
    void append(double seconds, const Values& values);
    // Tells the plots once per batch, not once per sample.
    void publish();
    void clear();

    int size() const { return count; }
    double time(int index) const { return times[slot(index)]; } // index 0 is the oldest
    float value(int index, int channel) const { return values[slot(index)][size_t(channel)]; }
    double newestTime() const { return count ? time(count - 1) : 0.0; }
    // The first index whose time is at or after `seconds` (size() if none).
    int firstFrom(double seconds) const;

signals:
    void appended();

private:
    size_t slot(int index) const { return (start + size_t(index)) % kCapacity; }
    std::vector<double> times;
    std::vector<Values> values;
    size_t start = 0;
    int count = 0;
    bool unpublished = false;
};

#endif // TELEMETRYPLOTBUFFER_H
