#ifndef ATTITUDEVIEW_H
#define ATTITUDEVIEW_H

#include <QMatrix4x4>
#include <QQuaternion>
#include <QQuickFramebufferObject>
#include <QUrl>
#include <QVector3D>

// The running page's 3D view of the camera pod. It draws into its own framebuffer only when its
// pose changed (or it becomes visible after a change), so the window draws no frame while the
// attitude stands still, and a hidden page costs nothing. Glcode.js computes the pose; this item
// only draws it.
class AttitudeView : public QQuickFramebufferObject
{
    Q_OBJECT
    // Folder of the three pod meshes and the lens face's texture.
    Q_PROPERTY(QUrl modelFolder READ modelFolder WRITE setModelFolder NOTIFY modelFolderChanged)
    // Turn of every part, and where the orthographic camera stands looking at the origin.
    Q_PROPERTY(QQuaternion partRotation READ partRotation WRITE setPartRotation NOTIFY partRotationChanged)
    Q_PROPERTY(QVector3D cameraPosition READ cameraPosition WRITE setCameraPosition NOTIFY cameraPositionChanged)
    Q_PROPERTY(QMatrix4x4 partMatrix READ partMatrix NOTIFY partRotationChanged)

public:
    static void registerType();

    explicit AttitudeView(QQuickItem* parent = nullptr);

    Renderer* createRenderer() const override;

    QUrl modelFolder() const { return folder; }
    void setModelFolder(const QUrl& value);
    QQuaternion partRotation() const { return rotation; }
    void setPartRotation(const QQuaternion& value);
    QVector3D cameraPosition() const { return camera; }
    void setCameraPosition(const QVector3D& value);
    QMatrix4x4 partMatrix() const;

    // Frames this view has drawn so far: lets tests see that an unchanged pose draws nothing.
    Q_INVOKABLE int drawnFrames() const { return frames; }

signals:
    void modelFolderChanged();
    void partRotationChanged();
    void cameraPositionChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    friend class AttitudeRenderer;
    // Draws at the next frame when visible; otherwise when the view is shown again.
    void requestDraw();

    QUrl folder;
    QQuaternion rotation;
    QVector3D camera{-100.0f, 0.0f, 0.0f};
    bool drawPending = false;
    int frames = 0;
};

#endif // ATTITUDEVIEW_H
