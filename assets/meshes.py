"""The camera pod as three Wavefront meshes in one frame: lens toward -x, y up.

Front: the lens face, a disc in the plane x = -21.5 (with texture coordinates).
Mid: the two tilt-axis hubs on the pod's sides near x = -6.
Back: the pod body, x -23.5..26, y within 17.7, z within 18.7, open in front around the lens.
ResCamera.obj holds the three parts together, one named object each, for viewers that load one file.
"""
import math
import os

SEGMENTS = 48
LENS_PLANE_X = -21.5
LENS_RADIUS = 13.5
BODY_FRONT_X = -23.5
BODY_SHELL_END_X = 18.0
BODY_BACK_X = 26.0
BODY_RADIUS_Y = 17.7
BODY_RADIUS_Z = 18.7
HUB_X = -6.0
HUB_RADIUS = 4.0
HUB_LENGTH = 2.5


class Mesh:
    def __init__(self):
        self.vertices, self.uvs, self.normals, self.faces = [], [], [], []

    def vertex(self, position, normal, uv=None):
        self.vertices.append(position)
        self.normals.append(normal)
        if uv is not None:
            self.uvs.append(uv)
        return len(self.vertices)

    def triangle(self, a, b, c):
        self.faces.append((a, b, c))

    def write(self, path, name):
        with open(path, "w") as out:
            out.write("# %s\n" % name)
            self.write_object(out, name, 0, 0)

    def write_object(self, out, name, vertex_base, uv_base):
        """Writes one named object whose indices follow vertex_base vertices and uv_base texture points."""
        out.write("o %s\n" % name)
        for v in self.vertices:
            out.write("v %.4f %.4f %.4f\n" % v)
        for t in self.uvs:
            out.write("vt %.4f %.4f\n" % t)
        for n in self.normals:
            out.write("vn %.4f %.4f %.4f\n" % n)
        textured = len(self.uvs) == len(self.vertices)
        for f in self.faces:
            v = [i + vertex_base for i in f]
            if textured:
                t = [i + uv_base for i in f]
                out.write("f %d/%d/%d %d/%d/%d %d/%d/%d\n" % (v[0], t[0], v[0], v[1], t[1], v[1], v[2], t[2], v[2]))
            else:
                out.write("f %d//%d %d//%d %d//%d\n" % (v[0], v[0], v[1], v[1], v[2], v[2]))


def write_combined(path, name, parts):
    """One file holding every (name, mesh) part; normals are numbered like vertices, so they share the base."""
    with open(path, "w") as out:
        out.write("# %s\n" % name)
        vertex_base = uv_base = 0
        for part_name, mesh in parts:
            mesh.write_object(out, part_name, vertex_base, uv_base)
            vertex_base += len(mesh.vertices)
            uv_base += len(mesh.uvs)


def normalised(x, y, z):
    length = math.sqrt(x * x + y * y + z * z) or 1.0
    return (x / length, y / length, z / length)


def lens_face():
    mesh = Mesh()
    facing = (-1.0, 0.0, 0.0)
    centre = mesh.vertex((LENS_PLANE_X, 0.0, 0.0), facing, (0.5, 0.5))
    rim = []
    for i in range(SEGMENTS):
        a = 2 * math.pi * i / SEGMENTS
        y, z = LENS_RADIUS * math.cos(a), LENS_RADIUS * math.sin(a)
        rim.append(mesh.vertex((LENS_PLANE_X, y, z), facing, (0.5 + 0.5 * math.sin(a), 0.5 + 0.5 * math.cos(a))))
    for i in range(SEGMENTS):
        mesh.triangle(centre, rim[(i + 1) % SEGMENTS], rim[i])
    return mesh


def ring(mesh, x, scale, normal_x):
    """One ring of the body's elliptic cross-section at x, shrunk by scale."""
    out = []
    for i in range(SEGMENTS):
        a = 2 * math.pi * i / SEGMENTS
        y, z = BODY_RADIUS_Y * scale * math.cos(a), BODY_RADIUS_Z * scale * math.sin(a)
        out.append(mesh.vertex((x, y, z), normalised(normal_x, math.cos(a), math.sin(a))))
    return out


def bridge(mesh, first, second):
    for i in range(SEGMENTS):
        j = (i + 1) % SEGMENTS
        mesh.triangle(first[i], second[i], second[j])
        mesh.triangle(first[i], second[j], first[j])


def pod_body():
    mesh = Mesh()
    # Front lip and bezel around the lens, then the shell, then a rounded back.
    lip = ring(mesh, BODY_FRONT_X, 1.0, 0.0)
    shell_front = ring(mesh, LENS_PLANE_X, 1.0, 0.0)
    bridge(mesh, lip, shell_front)
    bezel = []
    for i in range(SEGMENTS):
        a = 2 * math.pi * i / SEGMENTS
        bezel.append(mesh.vertex((LENS_PLANE_X, LENS_RADIUS * math.cos(a), LENS_RADIUS * math.sin(a)), (-1.0, 0.0, 0.0)))
    bezel_outer = []
    for i in range(SEGMENTS):
        a = 2 * math.pi * i / SEGMENTS
        bezel_outer.append(mesh.vertex((LENS_PLANE_X, BODY_RADIUS_Y * math.cos(a), BODY_RADIUS_Z * math.sin(a)),
                                       (-1.0, 0.0, 0.0)))
    bridge(mesh, bezel, bezel_outer)
    shell_end = ring(mesh, BODY_SHELL_END_X, 1.0, 0.0)
    bridge(mesh, shell_front, shell_end)
    previous = shell_end
    steps = 6
    for k in range(1, steps + 1):
        t = k / steps
        angle = t * math.pi / 2
        x = BODY_SHELL_END_X + (BODY_BACK_X - BODY_SHELL_END_X) * math.sin(angle)
        scale = max(math.cos(angle), 0.02)
        current = ring(mesh, x, scale, math.sin(angle))
        bridge(mesh, previous, current)
        previous = current
    tip = mesh.vertex((BODY_BACK_X, 0.0, 0.0), (1.0, 0.0, 0.0))
    for i in range(SEGMENTS):
        mesh.triangle(previous[i], tip, previous[(i + 1) % SEGMENTS])
    return mesh


def hubs():
    mesh = Mesh()
    for side in (1.0, -1.0):
        inner_z = side * (BODY_RADIUS_Z - 0.5)
        outer_z = side * (BODY_RADIUS_Z + HUB_LENGTH)
        inner, outer = [], []
        for i in range(SEGMENTS):
            a = 2 * math.pi * i / SEGMENTS
            x, y = HUB_X + HUB_RADIUS * math.cos(a), HUB_RADIUS * math.sin(a)
            inner.append(mesh.vertex((x, y, inner_z), (math.cos(a), math.sin(a), 0.0)))
            outer.append(mesh.vertex((x, y, outer_z), (math.cos(a), math.sin(a), 0.0)))
        bridge(mesh, inner, outer)
        cap = mesh.vertex((HUB_X, 0.0, outer_z), (0.0, 0.0, side))
        for i in range(SEGMENTS):
            mesh.triangle(outer[i], outer[(i + 1) % SEGMENTS], cap)
    return mesh


def write_all(out):
    parts = [("ResCameraFront", lens_face()), ("ResCameraMid", hubs()), ("ResCameraBack", pod_body())]
    for name, mesh in parts:
        mesh.write(os.path.join(out, name + ".obj"), name)
    write_combined(os.path.join(out, "ResCamera.obj"), "ResCamera", parts)
