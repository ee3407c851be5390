// The plot item's geometry: one vertex per sample inside the window for each shown series, the scale
// around the samples or fixed, and nothing rebuilt while paused although samples keep coming.
#include <QSGGeometryNode>
#include <QtTest>

#include "TelemetryPlot.h"
#include "TelemetryPlotBuffer.h"

namespace {

// The scene graph calls updatePaintNode while it synchronises; the test calls it the same way.
struct ProbePlot : TelemetryPlot {
    using TelemetryPlot::updatePaintNode;
};

constexpr double kPeriod = 0.05; // 20 samples a second

void fill(TelemetryPlotBuffer& buffer, int from, int to)
{
    for (int i = from; i < to; ++i) {
        TelemetryPlotBuffer::Values values{};
        values[TelemetryPlotBuffer::RATE_X] = float(i);
        values[TelemetryPlotBuffer::RATE_Y] = -float(i);
        buffer.append(i * kPeriod, values);
    }
    buffer.publish();
}

QSGGeometry* geometryOf(QSGNode* root, int series)
{
    return static_cast<QSGGeometryNode*>(root->childAtIndex(series))->geometry();
}

} // namespace

class TelemetryPlotTest : public QObject
{
    Q_OBJECT
private slots:
    void drawsEachSampleInTheWindowOnceAndNothingWhilePaused()
    {
        TelemetryPlotBuffer buffer;
        fill(buffer, 0, 600); // 30 s
        ProbePlot plot;
        plot.setSize(QSizeF(500, 100));
        plot.setChannels({TelemetryPlotBuffer::RATE_X, TelemetryPlotBuffer::RATE_Y});
        plot.setWindowSeconds(10);
        plot.setSource(&buffer);

        QScopedPointer<QSGNode> root(plot.updatePaintNode(nullptr, nullptr));
        // The window ends at the newest sample (29.95 s) and reaches back 10 s: samples 399 to 599.
        QCOMPARE(plot.vertexCount(0), 201);
        QCOMPARE(geometryOf(root.data(), 0)->vertexCount(), 201);
        const QSGGeometry::Point2D* points = geometryOf(root.data(), 0)->vertexDataAsPoint2D();
        QVERIFY(qAbs(points[0].x) < 0.01f);
        QVERIFY(qAbs(points[200].x - 500.0f) < 0.01f);
        // Automatic scale: rate X runs 399..599 and rate Y -599..-399, both inside the drawn range.
        QVERIFY(plot.shownMin() < -599 && plot.shownMax() > 599);
        QVERIFY(points[200].y < points[0].y); // larger values higher up

        plot.setShownSeries(0b01);
        plot.updatePaintNode(root.data(), nullptr);
        QCOMPARE(plot.vertexCount(1), 0);
        QCOMPARE(geometryOf(root.data(), 1)->vertexCount(), 0);
        QVERIFY(plot.shownMin() > 0); // only rate X counts for the range now

        plot.setPaused(true);
        const int rebuilds = plot.rebuilds();
        const float lastY = geometryOf(root.data(), 0)->vertexDataAsPoint2D()[200].y;
        fill(buffer, 600, 700);
        plot.updatePaintNode(root.data(), nullptr);
        QCOMPARE(plot.rebuilds(), rebuilds);
        QCOMPARE(geometryOf(root.data(), 0)->vertexDataAsPoint2D()[200].y, lastY);
        // The value under the pointer is what the paused graph shows, not the newest sample.
        QCOMPARE(plot.sampleAt(500).value(QStringLiteral("values")).toList().first().toDouble(), 599.0);

        plot.setPaused(false);
        plot.updatePaintNode(root.data(), nullptr);
        QCOMPARE(plot.rebuilds(), rebuilds + 1);
        QCOMPARE(plot.vertexCount(0), 201);
        QCOMPARE(plot.sampleAt(500).value(QStringLiteral("values")).toList().first().toDouble(), 699.0);

        plot.setAutoScale(false);
        plot.setFixedMin(-1);
        plot.setFixedMax(1);
        QCOMPARE(plot.shownMin(), -1.0);
        QCOMPARE(plot.shownMax(), 1.0);
        plot.updatePaintNode(root.data(), nullptr);
        QCOMPARE(geometryOf(root.data(), 0)->vertexDataAsPoint2D()[0].y, 0.0f); // clamped to the top edge
    }

    void aWindowWiderThanTheSamplesDrawsWhatThereIs()
    {
        TelemetryPlotBuffer buffer;
        fill(buffer, 0, 10);
        ProbePlot plot;
        plot.setSize(QSizeF(300, 80));
        plot.setChannels({TelemetryPlotBuffer::RATE_X});
        plot.setWindowSeconds(60);
        plot.setSource(&buffer);
        QScopedPointer<QSGNode> root(plot.updatePaintNode(nullptr, nullptr));
        QCOMPARE(plot.vertexCount(0), 10);
        buffer.clear();
        plot.updatePaintNode(root.data(), nullptr);
        QCOMPARE(plot.vertexCount(0), 0);
        QVERIFY(plot.sampleAt(150).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TelemetryPlotTest)

#include "tst_telemetryplot.moc"
