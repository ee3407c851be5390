"""Raster artwork drawn with ImageMagick primitives: control images, window artwork, pose pictures."""
import os
import subprocess

GREEN = "#0ad48b"
DARK = "#29292b"
BODY = "#7b868c"
# Keeps the files byte-identical between runs.
REPRODUCIBLE = ["-define", "png:exclude-chunks=date,time", "+set", "date:create", "+set", "date:modify"]


def convert(size, background, draw, path, extra=()):
    args = ["convert", "-size", size, background]
    for command in draw:
        args += command
    args += list(extra) + REPRODUCIBLE + ["PNG32:" + path]
    subprocess.run(args, check=True)


def stroke(color, width):
    return ["-fill", "none", "-stroke", color, "-strokewidth", str(width)]


def fill(color):
    return ["-stroke", "none", "-fill", color]


def shape(text):
    return ["-draw", text]


def control_images(out):
    def p(name):
        return os.path.join(out, name)

    convert("48x48", "xc:none", [stroke(GREEN, 6), shape("polyline 8,25 20,37 40,11")], p("check.png"))
    convert("68x30", "xc:none", [stroke(GREEN, 1), shape("roundrectangle 0.5,0.5 67.5,29.5 3,3")], p("editbox.png"))
    convert("65x30", "xc:none", [stroke("#4477bb", 2), shape("roundrectangle 1,1 64,29 3,3")], p("focusframe.png"))
    convert("98x38", "xc:none", [stroke(GREEN, 1), shape("roundrectangle 0.5,0.5 97.5,37.5 2,2")], p("groupbox.png"))
    tab_frame = [shape("line 0.5,0 0.5,36"), shape("line 97.5,0 97.5,36"), shape("line 0,0.5 98,0.5")]
    convert("98x36", "xc:none", [stroke(GREEN, 1)] + tab_frame, p("tab_selected.png"))
    # The same frame for a tab that is not selected, in the disabled colour.
    convert("98x36", "xc:none", [stroke("gray", 1)] + tab_frame, p("tab.png"))
    convert("10x6", "xc:none", [fill(GREEN), shape("polygon 0,0 10,0 5,6")], p("arrow-down.png"))
    convert("10x6", "xc:none", [fill(GREEN), shape("polygon 0,6 10,6 5,0")], p("arrow-up.png"))
    convert("6x10", "xc:none", [fill(GREEN), shape("polygon 6,0 6,10 0,5")], p("arrow-left.png"))
    convert("6x10", "xc:none", [fill(GREEN), shape("polygon 0,0 0,10 6,5")], p("arrow-right.png"))
    convert("7x4", "xc:none", [fill(GREEN), shape("polygon 0,4 7,4 3.5,0")], p("spin-arrow-up.png"))
    convert("7x4", "xc:none", [fill(GREEN), shape("polygon 0,0 7,0 3.5,4")], p("spin-arrow-down.png"))
    convert("66x17", "xc:none", [fill(GREEN), shape("roundrectangle 1,3 64,13 4,4")], p("scrollbar-handle-horizontal.png"))
    convert("17x66", "xc:none", [fill(GREEN), shape("roundrectangle 3,1 13,64 4,4")], p("scrollbar-handle-vertical.png"))
    # The message box draws it on its green title bar.
    quit_icon(p("ImgQuit.png"), DARK)


def quit_icon(path, color=GREEN):
    convert("24x24", "xc:none", [stroke(color, 2.5), shape("line 6,6 18,18"), shape("line 18,6 6,18")], path)


def minimise_icon(path):
    convert("24x24", "xc:none", [stroke(GREEN, 2.5), shape("line 6,16 18,16")], path)


def gimbal(path, lens_up, inverted=False, size=104):
    """A two-arm gimbal holding the camera pod, seen from the side."""
    s = size / 104.0

    def pt(x, y):
        return "%.1f,%.1f" % (x * s, y * s)

    draw = [stroke(GREEN, 3 * s), shape("line %s %s" % (pt(30, 12), pt(74, 12))),
            shape("line %s %s" % (pt(52, 12), pt(52, 24))),
            shape("line %s %s" % (pt(52, 24), pt(80, 24))),
            shape("line %s %s" % (pt(80, 24), pt(80, 58)))]
    if lens_up:
        draw += [fill(BODY), shape("roundrectangle %s %s 6,6" % (pt(38, 38), pt(70, 84))),
                 fill(DARK), shape("roundrectangle %s %s 3,3" % (pt(42, 30), pt(66, 40))),
                 fill("#5bc0f8"), shape("circle %s %s" % (pt(54, 35), pt(54, 31)))]
    else:
        draw += [fill(BODY), shape("roundrectangle %s %s 6,6" % (pt(28, 42), pt(76, 74))),
                 fill(DARK), shape("roundrectangle %s %s 3,3" % (pt(20, 46), pt(30, 70))),
                 fill("#5bc0f8"), shape("circle %s %s" % (pt(25, 58), pt(25, 52)))]
    draw += [fill(GREEN), shape("circle %s %s" % (pt(80, 58), pt(80, 54)))]
    convert("%dx%d" % (size, size), "xc:" + DARK, draw, path, ["-flip"] if inverted else [])


def page_images(out):
    def p(name):
        return os.path.join(out, name)

    convert("800x600", "gradient:#1f2124-#0c0d0f", [], p("ImgBackground.png"))
    convert("800x36", "gradient:#2d3034-#16181a",
            [fill(GREEN), shape("rectangle 0,34 800,36"),
             shape("circle 18,18 18,8"), fill(DARK), shape("circle 18,18 18,13"),
             fill(GREEN), shape("circle 18,18 18,16")], p("ImgTitle.png"))
    quit_icon(p("ImgQuit.png"))
    minimise_icon(p("ImgMinimum.png"))
    gimbal(p("ImgCalibrationStewing.png"), lens_up=False)
    gimbal(p("ImgCalibrationHor.png"), lens_up=False)
    gimbal(p("ImgCalibrationVer.png"), lens_up=True)
    gimbal(p("ImgInstrument0.png"), lens_up=False, size=100)
    gimbal(p("ImgInstrument1.png"), lens_up=False, inverted=True, size=100)
    gimbal(p("ImgInstrument2.png"), lens_up=True, size=100)
    icon(p("ImgIcon.ico"))


def icon(path):
    master = path + ".png"
    convert("256x256", "xc:none",
            [fill(DARK), shape("roundrectangle 8,8 248,248 40,40"),
             fill(GREEN), shape("circle 128,128 128,40"),
             fill(DARK), shape("circle 128,128 128,70"),
             fill("#5bc0f8"), shape("circle 128,128 128,100")], master)
    subprocess.run(["convert", master, "-define", "icon:auto-resize=256,64,48,32,16", path], check=True)
    os.remove(master)


def lens_texture(path):
    convert("256x256", "xc:#3a3f44",
            [fill("#1b1d20"), shape("circle 128,128 128,6"),
             fill("#0d2a3a"), shape("circle 128,128 128,40"),
             fill("#16506e"), shape("circle 128,128 128,70"),
             fill("#05080a"), shape("circle 128,128 128,100"),
             fill("#9fe3ff"), shape("circle 104,100 104,90"),
             stroke(GREEN, 4), shape("circle 128,128 128,10")], path)
