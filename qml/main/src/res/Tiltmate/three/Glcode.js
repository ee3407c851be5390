// The attitude view: the camera pod turned to the gimbal's attitude. The page calls these
// four functions; the scene itself (camera, lights, meshes, materials) is declared in QML
// and handed over through initializeGL(canvas).

var kStartAngles = [270, 0, 0]
var kCameraDistance = 100
var kViewBox = 40
var kRedrawThreshold = 1
var kAmbientColor = "#f9f3b4"

var camera = null
var parts = []
var lastAngles = kStartAngles.slice()

function toRadians(degrees) {
    return degrees * Math.PI / 180
}

// Quaternion as [w, x, y, z]; a * b applies b first, then a.
function multiply(a, b) {
    return [a[0] * b[0] - a[1] * b[1] - a[2] * b[2] - a[3] * b[3],
            a[0] * b[1] + a[1] * b[0] + a[2] * b[3] - a[3] * b[2],
            a[0] * b[2] - a[1] * b[3] + a[2] * b[0] + a[3] * b[1],
            a[0] * b[3] + a[1] * b[2] - a[2] * b[1] + a[3] * b[0]]
}

function axisRotation(axis, degrees) {
    var half = toRadians(degrees) / 2
    var q = [Math.cos(half), 0, 0, 0]
    q[axis + 1] = Math.sin(half)
    return q
}

// Euler angles in the order 'XZY': the matrix is Rx * Rz * Ry.
function eulerXZY(x, y, z) {
    var q = multiply(multiply(axisRotation(0, x), axisRotation(2, z)), axisRotation(1, y))
    return Qt.quaternion(q[0], q[1], q[2], q[3])
}

// What an ambient light of kAmbientColor adds to a surface of the given colour.
function ambientFor(surfaceColor) {
    var light = Qt.lighter(kAmbientColor, 1.0)
    var surface = Qt.lighter(surfaceColor, 1.0)
    return Qt.rgba(light.r * surface.r, light.g * surface.g, light.b * surface.b, 1)
}

function setPartsRotation(x, y, z) {
    var rotation = eulerXZY(x, y, z)
    for (var i = 0; i < parts.length; ++i)
        parts[i].rotation = rotation
}

function initializeGL(canvas) {
    camera = canvas.camera
    parts = canvas.parts
    lastAngles = kStartAngles.slice()
    camera.position = Qt.vector3d(-kCameraDistance, 0, 0)
    camera.upVector = Qt.vector3d(0, 1, 0)
    camera.viewCenter = Qt.vector3d(0, 0, 0)
    setPartsRotation(kStartAngles[0], kStartAngles[1], kStartAngles[2])
    resizeGL(canvas)
}

// The view box stays -40..40 whatever the canvas size; only the surface follows the canvas.
function resizeGL(canvas) {
    if (!camera)
        return
    camera.left = -kViewBox
    camera.right = kViewBox
    camera.top = kViewBox
    camera.bottom = -kViewBox
}

// Qt3D redraws by itself whenever a transform or the camera changes.
function paintGL(canvas) {
}

// Returns true when the view was turned, false when the change was below the threshold.
function drawByAngle(x, y, z) {
    var angles = [(x + kStartAngles[0]) % 360, (y + kStartAngles[1]) % 360, (z + kStartAngles[2]) % 360]
    var changed = false
    for (var i = 0; i < 3; ++i) {
        if (Math.abs(angles[i] - lastAngles[i]) >= kRedrawThreshold)
            changed = true
    }
    if (!changed || !camera)
        return false

    setPartsRotation(angles[0], angles[1], 0)
    // The heading turns the point of view around the vertical axis instead of the model.
    var heading = toRadians(angles[2])
    camera.position = Qt.vector3d(-kCameraDistance * Math.cos(heading), 0, kCameraDistance * Math.sin(heading))
    camera.viewCenter = Qt.vector3d(0, 0, 0)
    lastAngles = angles
    return true
}

function lastDrawnAngles() {
    return lastAngles.slice()
}
