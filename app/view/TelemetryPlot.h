#ifndef TELEMETRYPLOT_H
#define TELEMETRYPLOT_H

#include <QColor>
#include <QList>
#include <QPointer>
#include <QQuickItem>
#include <QVariantList>
#include <QVariantMap>

#include <utility>
#include <vector>

#include "TelemetryPlotBuffer.h"

// One graph of the plot page: up to a few series of a TelemetryPlotBuffer over the last windowSeconds,
// each drawn by the scene graph as one line strip with one vertex per sample in the window. The
// geometry is rebuilt only when new samples were published while the graph is visible and running;
// paused or hidden, it keeps what it shows and costs nothing.
class TelemetryPlot : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(TelemetryPlotBuffer* source READ source WRITE setSource NOTIFY sourceChanged)
    // Buffer channels drawn, one series each, in the colours of `colors` (same order).
    Q_PROPERTY(QList<int> channels READ channels WRITE setChannels NOTIFY seriesChanged)
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY seriesChanged)
    // Bit i set: series i is drawn.
    Q_PROPERTY(int shownSeries READ shownSeries WRITE setShownSeries NOTIFY seriesChanged)
    Q_PROPERTY(qreal windowSeconds READ windowSeconds WRITE setWindowSeconds NOTIFY windowChanged)
    Q_PROPERTY(bool paused READ paused WRITE setPaused NOTIFY pausedChanged)
    // Automatic: the range of the shown samples; fixed: fixedMin to fixedMax.
    Q_PROPERTY(bool autoScale READ autoScale WRITE setAutoScale NOTIFY scaleChanged)
    Q_PROPERTY(qreal fixedMin READ fixedMin WRITE setFixedMin NOTIFY scaleChanged)
    Q_PROPERTY(qreal fixedMax READ fixedMax WRITE setFixedMax NOTIFY scaleChanged)
    // The vertical range drawn, for the axis labels.
    Q_PROPERTY(qreal shownMin READ shownMin NOTIFY rangeChanged)
    Q_PROPERTY(qreal shownMax READ shownMax NOTIFY rangeChanged)

public:
    static void registerType();

    explicit TelemetryPlot(QQuickItem* parent = nullptr);

    TelemetryPlotBuffer* source() const { return buffer; }
    void setSource(TelemetryPlotBuffer* value);
    QList<int> channels() const { return shownChannels; }
    void setChannels(const QList<int>& value);
    QVariantList colors() const { return colorList; }
    void setColors(const QVariantList& value);
    int shownSeries() const { return shownMask; }
    void setShownSeries(int value);
    qreal windowSeconds() const { return window; }
    void setWindowSeconds(qreal value);
    bool paused() const { return isPaused; }
    void setPaused(bool value);
    bool autoScale() const { return isAutoScale; }
    void setAutoScale(bool value);
    qreal fixedMin() const { return fixedLow; }
    void setFixedMin(qreal value);
    qreal fixedMax() const { return fixedHigh; }
    void setFixedMax(qreal value);
    qreal shownMin() const { return low; }
    qreal shownMax() const { return high; }
    // How often the geometry was rebuilt: lets tests see that a paused graph does nothing. Written while
    // the scene graph synchronises (the GUI thread waits), read on the GUI thread.
    Q_INVOKABLE int rebuilds() const { return rebuildCount; }

    // Vertices of series i in the drawn geometry (0 for a hidden series).
    Q_INVOKABLE int vertexCount(int series) const;
    // The sample nearest to x: {"seconds": its time relative to the right edge, "values": one per
    // series}; empty when the window holds none.
    Q_INVOKABLE QVariantMap sampleAt(qreal x) const;

signals:
    void sourceChanged();
    void seriesChanged();
    void windowChanged();
    void pausedChanged();
    void scaleChanged();
    void rangeChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*) override;
    void geometryChanged(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    // On the GUI thread: fixes the window and range the next frame draws, and asks for that frame.
    void refresh();
    bool seriesShown(int series) const { return (shownMask >> series) & 1; }
    // Buffer indices [first, last) of the samples inside the window ending at windowEnd.
    std::pair<int, int> visibleRange() const;

    QPointer<TelemetryPlotBuffer> buffer;
    QList<int> shownChannels;
    QVariantList colorList;
    int shownMask = 0xFF;
    qreal window = 10.0;
    bool isPaused = false;
    bool isAutoScale = true;
    qreal fixedLow = -1.0, fixedHigh = 1.0;
    qreal low = -1.0, high = 1.0;
    double windowEnd = 0.0;            // right edge of the drawn window, fixed by refresh()
    bool stale = false;                // a refresh is waiting for the graph to be shown or resumed
    bool geometryDirty = false;
    std::vector<int> drawnVertices;
    int rebuildCount = 0;
};

#endif // TELEMETRYPLOT_H
