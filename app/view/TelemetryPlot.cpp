#include "TelemetryPlot.h"

#include "TelemetryPlotBuffer.h"

#include <QSGFlatColorMaterial>
#include <QSGGeometryNode>
#include <QtQml>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kLineWidth = 1.5f;
constexpr double kMinimumSpan = 0.1; // a flat line is drawn in the middle of this range
constexpr double kMargin = 0.05;     // of the span, above and below the samples

} // namespace

void TelemetryPlot::registerType()
{
    qmlRegisterType<TelemetryPlot>("ORVGimbalTool", 1, 0, "TelemetryPlot");
    // Creatable, so that the page tests' stand-in controller can hold one.
    qmlRegisterType<TelemetryPlotBuffer>("ORVGimbalTool", 1, 0, "TelemetryPlotBuffer");
}

TelemetryPlot::TelemetryPlot(QQuickItem* parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void TelemetryPlot::setSource(TelemetryPlotBuffer* value)
{
    if (buffer == value)
        return;
    if (buffer)
        disconnect(buffer, nullptr, this, nullptr);
    buffer = value;
    if (buffer)
        connect(buffer, &TelemetryPlotBuffer::appended, this, &TelemetryPlot::refresh);
    emit sourceChanged();
    refresh();
}

void TelemetryPlot::setChannels(const QList<int>& value)
{
    if (shownChannels == value)
        return;
    shownChannels = value;
    emit seriesChanged();
    refresh();
}

void TelemetryPlot::setColors(const QVariantList& value)
{
    colorList = value;
    emit seriesChanged();
    refresh();
}

void TelemetryPlot::setShownSeries(int value)
{
    if (shownMask == value)
        return;
    shownMask = value;
    emit seriesChanged();
    refresh();
}

void TelemetryPlot::setWindowSeconds(qreal value)
{
    if (value <= 0 || qFuzzyCompare(window, value))
        return;
    window = value;
    emit windowChanged();
    refresh();
}

void TelemetryPlot::setPaused(bool value)
{
    if (isPaused == value)
        return;
    isPaused = value;
    emit pausedChanged();
    if (!isPaused && stale)
        refresh();
}

void TelemetryPlot::setAutoScale(bool value)
{
    if (isAutoScale == value)
        return;
    isAutoScale = value;
    emit scaleChanged();
    refresh();
}

void TelemetryPlot::setFixedMin(qreal value)
{
    if (qFuzzyCompare(fixedLow, value))
        return;
    fixedLow = value;
    emit scaleChanged();
    refresh();
}

void TelemetryPlot::setFixedMax(qreal value)
{
    if (qFuzzyCompare(fixedHigh, value))
        return;
    fixedHigh = value;
    emit scaleChanged();
    refresh();
}

void TelemetryPlot::refresh()
{
    // Paused, the graph keeps showing what it shows; hidden, it waits until it is shown again.
    if (isPaused || !isVisible()) {
        stale = true;
        return;
    }
    stale = false;
    if (buffer && buffer->size() > 0)
        windowEnd = buffer->newestTime();
    const auto [firstIndex, lastIndex] = visibleRange();

    double newLow = fixedLow, newHigh = fixedHigh;
    if (isAutoScale) {
        double least = HUGE_VAL, most = -HUGE_VAL;
        for (int series = 0; series < shownChannels.size(); ++series) {
            if (!seriesShown(series))
                continue;
            for (int i = firstIndex; i < lastIndex; ++i) {
                const double v = buffer->value(i, shownChannels[series]);
                least = std::min(least, v);
                most = std::max(most, v);
            }
        }
        if (least > most) {
            least = -1.0;
            most = 1.0;
        }
        const double span = std::max(most - least, kMinimumSpan);
        const double middle = (most + least) / 2;
        newLow = middle - span * (0.5 + kMargin);
        newHigh = middle + span * (0.5 + kMargin);
    }
    if (newHigh <= newLow)
        newHigh = newLow + kMinimumSpan;
    if (!qFuzzyCompare(low, newLow) || !qFuzzyCompare(high, newHigh)) {
        low = newLow;
        high = newHigh;
        emit rangeChanged();
    }
    geometryDirty = true;
    update();
}

void TelemetryPlot::geometryChanged(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChanged(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        geometryDirty = true;
        update();
    }
}

void TelemetryPlot::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged && value.boolValue && stale)
        refresh();
}

QSGNode* TelemetryPlot::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    QSGNode* root = oldNode ? oldNode : new QSGNode;
    if (!geometryDirty)
        return root;
    geometryDirty = false;
    ++rebuildCount;

    const int seriesCount = int(shownChannels.size());
    while (root->childCount() > seriesCount) {
        QSGNode* child = root->lastChild();
        root->removeChildNode(child);
        delete child;
    }
    while (root->childCount() < seriesCount) {
        auto* node = new QSGGeometryNode;
        auto* geometry = new QSGGeometry(QSGGeometry::defaultAttributes_Point2D(), 0);
        geometry->setDrawingMode(QSGGeometry::DrawLineStrip);
        geometry->setLineWidth(kLineWidth);
        node->setGeometry(geometry);
        node->setFlag(QSGNode::OwnsGeometry);
        node->setMaterial(new QSGFlatColorMaterial);
        node->setFlag(QSGNode::OwnsMaterial);
        root->appendChildNode(node);
    }
    drawnVertices.assign(size_t(seriesCount), 0);
    const auto [firstIndex, lastIndex] = visibleRange();

    const double left = windowEnd - window;
    const double xScale = width() / window;
    const double yScale = height() / (high - low);
    QSGNode* child = root->firstChild();
    for (int series = 0; series < seriesCount; ++series, child = child->nextSibling()) {
        auto* node = static_cast<QSGGeometryNode*>(child);
        auto* material = static_cast<QSGFlatColorMaterial*>(node->material());
        const QColor color = series < colorList.size() ? colorList[series].value<QColor>() : QColor(Qt::green);
        if (material->color() != color) {
            material->setColor(color);
            node->markDirty(QSGNode::DirtyMaterial);
        }
        const int count = seriesShown(series) && buffer ? lastIndex - firstIndex : 0;
        QSGGeometry* geometry = node->geometry();
        if (geometry->vertexCount() != count)
            geometry->allocate(count);
        QSGGeometry::Point2D* points = geometry->vertexDataAsPoint2D();
        const int channel = shownChannels[series];
        for (int i = 0; i < count; ++i) {
            const int index = firstIndex + i;
            const double v = std::clamp<double>(buffer->value(index, channel), low, high);
            points[i].set(float((buffer->time(index) - left) * xScale), float(height() - (v - low) * yScale));
        }
        node->markDirty(QSGNode::DirtyGeometry);
        drawnVertices[size_t(series)] = count;
    }
    return root;
}

int TelemetryPlot::vertexCount(int series) const
{
    return series >= 0 && size_t(series) < drawnVertices.size() ? drawnVertices[size_t(series)] : 0;
}

// By time, not by index: while paused the ring moves on under the indices of the drawn samples.
std::pair<int, int> TelemetryPlot::visibleRange() const
{
    if (!buffer)
        return {0, 0};
    return {buffer->firstFrom(windowEnd - window), buffer->firstFrom(std::nextafter(windowEnd, HUGE_VAL))};
}

QVariantMap TelemetryPlot::sampleAt(qreal x) const
{
    const auto [firstIndex, lastIndex] = visibleRange();
    if (lastIndex <= firstIndex || width() <= 0)
        return {};
    const double seconds = windowEnd - window + x / width() * window;
    int index = std::clamp(buffer->firstFrom(seconds), firstIndex, lastIndex - 1);
    if (index > firstIndex && seconds - buffer->time(index - 1) < buffer->time(index) - seconds)
        --index;
    QVariantList values;
    for (int channel : shownChannels)
        values.append(double(buffer->value(index, channel)));
    return {{QStringLiteral("seconds"), buffer->time(index) - windowEnd}, {QStringLiteral("values"), values}};
}
