#include "AttitudeView.h"

#include "ObjMesh.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QOpenGLBuffer>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QQmlFile>
#include <QtQml>

#include <memory>
#include <deque>

namespace {

// The pod's parts, drawn in this order: mesh file, surface colour, optional texture.
struct PartLook {
    const char* mesh;
    QRgb colour;
    const char* texture;
};
constexpr PartLook kParts[] = {
    {"ResCameraFront.obj", 0xFFFFFF, "ResCameraFront.png"},
    {"ResCameraMid.obj", 0xFFFFFF, nullptr},
    {"ResCameraBack.obj", 0x7B868C, nullptr},
};

constexpr float kViewBox = 40.0f;
constexpr float kNearPlane = 0.0f;
constexpr float kFarPlane = 1000.0f;
constexpr QRgb kAmbientLight = 0xF9F3B4;
constexpr QRgb kDirectionalLight = 0xB5FDF2;
// The directional light shines from here toward the origin.
const QVector3D kLightFrom(-100.0f, -100.0f, 100.0f);
// No multisampling: under software OpenGL it made each connected frame about a third dearer
// (scripts/bench-app), for edges a 300-pixel view hardly shows.
constexpr int kSamples = 0;

const char* const kVertexShader = R"(
attribute highp vec3 position;
attribute highp vec3 normal;
attribute highp vec2 texCoord;
uniform highp mat4 modelViewProjection;
uniform highp mat3 turn;
varying highp vec3 worldNormal;
varying highp vec2 uv;
void main() {
    worldNormal = turn * normal;
    uv = texCoord;
    gl_Position = modelViewProjection * vec4(position, 1.0);
}
)";

// Lambert shading under an ambient and one directional light; faces are lit from both sides,
// since the pod's thin parts are seen from behind as well.
const char* const kFragmentShader = R"(
varying highp vec3 worldNormal;
varying highp vec2 uv;
uniform lowp vec3 surface;
uniform bool textured;
uniform sampler2D map;
uniform lowp vec3 ambient;
uniform lowp vec3 light;
uniform highp vec3 toLight;
void main() {
    highp vec3 n = normalize(worldNormal);
    if (!gl_FrontFacing)
        n = -n;
    lowp vec3 base = textured ? texture2D(map, uv).rgb : surface;
    lowp float diffuse = max(dot(n, toLight), 0.0);
    gl_FragColor = vec4(min(base * (ambient + light * diffuse), vec3(1.0)), 1.0);
}
)";

QVector3D rgb(QRgb value)
{
    const QColor colour(value);
    return QVector3D(float(colour.redF()), float(colour.greenF()), float(colour.blueF()));
}

} // namespace

// Lives on the render thread; the item hands it the pose in synchronize().
class AttitudeRenderer : public QQuickFramebufferObject::Renderer, protected QOpenGLFunctions
{
public:
    void synchronize(QQuickFramebufferObject* item) override
    {
        auto* view = static_cast<AttitudeView*>(item);
        rotation = view->rotation;
        camera = view->camera;
        if (folder != view->folder) {
            folder = view->folder;
            parts.clear();
        }
        view->drawPending = false;
        ++view->frames;
    }

    QOpenGLFramebufferObject* createFramebufferObject(const QSize& size) override
    {
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        format.setSamples(kSamples);
        return new QOpenGLFramebufferObject(size, format);
    }

    void render() override
    {
        if (!program)
            initialise();
        if (parts.empty() && !folder.isEmpty())
            loadParts();

        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (!program->isLinked())
            return;
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDisable(GL_CULL_FACE);

        QMatrix4x4 projection;
        projection.ortho(-kViewBox, kViewBox, -kViewBox, kViewBox, kNearPlane, kFarPlane);
        QMatrix4x4 view;
        view.lookAt(camera, QVector3D(), QVector3D(0.0f, 1.0f, 0.0f));
        QMatrix4x4 model;
        model.rotate(rotation);

        program->bind();
        program->setUniformValue("modelViewProjection", projection * view * model);
        program->setUniformValue("turn", model.normalMatrix());
        program->setUniformValue("ambient", rgb(kAmbientLight));
        program->setUniformValue("light", rgb(kDirectionalLight));
        program->setUniformValue("toLight", kLightFrom.normalized());
        program->setUniformValue("map", 0);
        for (Part& part : parts) {
            program->setUniformValue("surface", part.colour);
            program->setUniformValue("textured", part.texture != nullptr);
            if (part.texture)
                part.texture->bind(0);
            part.buffer.bind();
            const int stride = ObjMesh::kFloatsPerVertex * int(sizeof(float));
            program->enableAttributeArray("position");
            program->enableAttributeArray("normal");
            program->enableAttributeArray("texCoord");
            program->setAttributeBuffer("position", GL_FLOAT, 0, 3, stride);
            program->setAttributeBuffer("normal", GL_FLOAT, 3 * sizeof(float), 3, stride);
            program->setAttributeBuffer("texCoord", GL_FLOAT, 6 * sizeof(float), 2, stride);
            glDrawArrays(GL_TRIANGLES, 0, part.vertexCount);
            part.buffer.release();
            if (part.texture)
                part.texture->release(0);
        }
        program->disableAttributeArray("position");
        program->disableAttributeArray("normal");
        program->disableAttributeArray("texCoord");
        program->release();
        glDisable(GL_DEPTH_TEST);
    }

private:
    struct Part {
        QOpenGLBuffer buffer{QOpenGLBuffer::VertexBuffer};
        int vertexCount = 0;
        QVector3D colour;
        std::unique_ptr<QOpenGLTexture> texture;
    };

    void initialise()
    {
        initializeOpenGLFunctions();
        program = std::make_unique<QOpenGLShaderProgram>();
        if (!program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader)
            || !program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) || !program->link())
            qWarning("AttitudeView: shader not usable: %s", qPrintable(program->log()));
    }

    void loadParts()
    {
        const QString base = QQmlFile::urlToLocalFileOrQrc(folder);
        for (const PartLook& look : kParts) {
            QFile file(base + QLatin1String(look.mesh));
            if (!file.open(QIODevice::ReadOnly)) {
                qWarning("AttitudeView: no mesh %s", qPrintable(file.fileName()));
                continue;
            }
            const ObjMesh mesh = parseObjMesh(file.readAll());
            parts.emplace_back();
            Part* part = &parts.back();
            part->vertexCount = mesh.vertexCount();
            part->colour = rgb(look.colour);
            part->buffer.create();
            part->buffer.bind();
            part->buffer.allocate(mesh.vertices.constData(), int(mesh.vertices.size() * sizeof(float)));
            part->buffer.release();
            if (look.texture) {
                const QImage image(base + QLatin1String(look.texture));
                if (!image.isNull()) {
                    // OBJ texture coordinates start at the bottom row.
                    part->texture = std::make_unique<QOpenGLTexture>(image.mirrored());
                    part->texture->setMinificationFilter(QOpenGLTexture::LinearMipMapLinear);
                    part->texture->setMagnificationFilter(QOpenGLTexture::Linear);
                }
            }
        }
    }

    std::unique_ptr<QOpenGLShaderProgram> program;
    std::deque<Part> parts; // a deque: parts never move once their buffers exist
    QUrl folder;
    QQuaternion rotation;
    QVector3D camera;
};

void AttitudeView::registerType()
{
    qmlRegisterType<AttitudeView>("ORVGimbalTool", 1, 0, "AttitudeView");
}

AttitudeView::AttitudeView(QQuickItem* parent)
    : QQuickFramebufferObject(parent)
{
    // Framebuffer y runs upward; the scene graph's downward.
    setMirrorVertically(true);
}

QQuickFramebufferObject::Renderer* AttitudeView::createRenderer() const
{
    return new AttitudeRenderer();
}

void AttitudeView::setModelFolder(const QUrl& value)
{
    if (folder == value)
        return;
    folder = value;
    emit modelFolderChanged();
    requestDraw();
}

void AttitudeView::setPartRotation(const QQuaternion& value)
{
    if (rotation == value)
        return;
    rotation = value;
    emit partRotationChanged();
    requestDraw();
}

void AttitudeView::setCameraPosition(const QVector3D& value)
{
    if (camera == value)
        return;
    camera = value;
    emit cameraPositionChanged();
    requestDraw();
}

QMatrix4x4 AttitudeView::partMatrix() const
{
    QMatrix4x4 matrix;
    matrix.rotate(rotation);
    return matrix;
}

void AttitudeView::requestDraw()
{
    drawPending = true;
    if (isVisible())
        update();
}

void AttitudeView::itemChange(ItemChange change, const ItemChangeData& value)
{
    // A pose that changed while the page was hidden is drawn once, when it is shown.
    if (change == ItemVisibleHasChanged && value.boolValue && drawPending)
        update();
    QQuickFramebufferObject::itemChange(change, value);
}
