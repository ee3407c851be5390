// The attitude view: the camera pod turned to the gimbal's attitude. The page calls these
// functions; the view item (AttitudeView) draws the pose they set, and only when it changed.

var kStartAngles = [270, 0, 0]
var kCameraDistance = 100
var kRedrawThreshold = 1

var view = null
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

function initializeGL(canvas) {
    view = canvas
    lastAngles = kStartAngles.slice()
    view.cameraPosition = Qt.vector3d(-kCameraDistance, 0, 0)
    view.partRotation = eulerXZY(kStartAngles[0], kStartAngles[1], kStartAngles[2])
}

// The view box stays -40..40 whatever the view's size; its framebuffer follows the item by itself.
function resizeGL(canvas) {
}

function paintGL(canvas) {
    canvas.update()
}

// Returns true when the view was turned, false when the change was below the threshold.
function drawByAngle(x, y, z) {
    var angles = [(x + kStartAngles[0]) % 360, (y + kStartAngles[1]) % 360, (z + kStartAngles[2]) % 360]
    var changed = false
    for (var i = 0; i < 3; ++i) {
        if (Math.abs(angles[i] - lastAngles[i]) >= kRedrawThreshold)
            changed = true
    }
    if (!changed || !view)
        return false

    view.partRotation = eulerXZY(angles[0], angles[1], 0)
    // The heading turns the point of view around the vertical axis instead of the model.
    var heading = toRadians(angles[2])
    view.cameraPosition = Qt.vector3d(-kCameraDistance * Math.cos(heading), 0, kCameraDistance * Math.sin(heading))
    lastAngles = angles
    return true
}

function lastDrawnAngles() {
    return lastAngles.slice()
}
