#!/usr/bin/env python3
"""Drives "Test Gleamkit" on its own Xvfb server as a person would and checks
the screen against the pictures `gleamfx command` writes for the same steps:
open a file with Ctrl+O, "Add color noise" and "Blend" (with its second
picture) chosen with the mouse, "Wave" with the keyboard, "Undo" from the bar,
the large picture scrolled to its far corner, an unreadable file refused with
an error box, and "File" > "Exit" ending the program with status 0.

    program_gui_test.py PROGRAM GLEAMFX KIT_TEST_FOLDER

KIT_TEST_FOLDER holds the window kit's GUI test (gui_test.py), whose Xvfb
session, screenshots and polling this test uses. Exits 0 on success, 1 on a
failed check, 77 when Xvfb, xdotool or ImageMagick's import is missing.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CAPTION = "Test Gleamkit"
DIALOG = "Select bitmap..."
WORKSPACE = (128, 128, 128)
PICTURE = (900, 700)  # larger than the view both ways
SECOND = (300, 200)
PROBE = 12  # side of the block that locates the picture on the screen
BAR = 16  # scroll-bar thickness, and the length of its arrow buttons


def read_bmp24(path):
    """A bottom-up 24-bit bitmap file as (width, height, rows of RGB tuples)."""
    with open(path, "rb") as source:
        data = source.read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little", signed=True)
    height = int.from_bytes(data[22:26], "little", signed=True)
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height):
        at = offset + (height - 1 - y) * stride
        rows.append([(data[at + 3 * x + 2], data[at + 3 * x + 1], data[at + 3 * x])
                     for x in range(width)])
    return width, height, rows


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    program, gleamfx, kit_folder = (os.path.abspath(argument) for argument in sys.argv[1:])
    sys.path.insert(0, kit_folder)
    import gui_test as kit  # the window kit's GUI test: session, screenshots, polling
    if not shutil.which("Xvfb") or not shutil.which("xdotool") or \
            not (shutil.which("import-im6.q16") or shutil.which("import")):
        print("skipped: Xvfb, xdotool and ImageMagick's import are needed", file=sys.stderr)
        return kit.SKIP
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(1))
    work = tempfile.mkdtemp(prefix="gleamkit-program-gui-")
    session = kit.Session(program, None, work)
    passed = False
    try:
        session.start_display()
        steps = Steps(kit, session, gleamfx, work)
        steps.run()
        passed = True
    except kit.Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        print("screenshots kept in " + work, file=sys.stderr)
    finally:
        session.stop()
        if passed:
            shutil.rmtree(work, ignore_errors=True)
    return 0 if passed else 1


class Steps:
    """The user's steps, in order; each checks what the screen shows."""

    def __init__(self, kit, session, gleamfx, work):
        self.kit = kit
        self.s = session
        self.gleamfx = gleamfx
        self.work = work
        self.origin = None  # the view's top-left client pixel on the screen
        self.view_size = None  # the view's client area, bars excluded
        self.labels = None  # the menu bar's labels: [left, right, darkest]
        self.bar_middle = 0

    # Files and expected pictures.

    def path(self, name):
        return os.path.join(self.work, name)

    def fx(self, *arguments):
        subprocess.run([self.gleamfx] + list(arguments), check=True, timeout=60,
                       stdout=subprocess.DEVNULL)

    def make_pictures(self):
        self.fx("sample", self.path("picture.bmp"), "%dx%d" % PICTURE)
        self.fx("sample", self.path("second.bmp"), "%dx%d" % SECOND)
        with open(self.path("broken.bmp"), "wb") as out:
            out.write(b"BM but nothing else")
        # The same steps through the program's own command table.
        self.fx("command", "--seed", "0", self.path("picture.bmp"), self.path("noise.bmp"), "6")
        self.fx("command", "--second", self.path("second.bmp"), self.path("noise.bmp"),
                self.path("blend.bmp"), "9")
        self.fx("command", self.path("blend.bmp"), self.path("wave.bmp"), "99")
        self.expected = {name: read_bmp24(self.path(name + ".bmp"))
                         for name in ("picture", "noise", "blend", "wave")}

    # The screen.

    def locate(self, shot, picture, corner):
        """Where the picture's block at `corner` (picture coordinates) is on the
        screen, searched over the main window; None when it is not there."""
        _, _, rows = picture
        cx, cy = corner
        x0, y0, width, height = self.s.geometry(self.s.window)
        first = rows[cy][cx]
        for y in range(y0, y0 + height - PROBE):
            for x in range(x0, x0 + width - PROBE):
                if self.kit.Session.pixel(shot, x, y) != first:
                    continue
                if all(self.kit.Session.pixel(shot, x + dx, y + dy) == rows[cy + dy][cx + dx]
                       for dy in range(PROBE) for dx in range(PROBE)):
                    return x, y
        return None

    def view_mismatch(self, shot, picture, scroll=(0, 0)):
        """The first view pixel that does not show `picture` scrolled by
        `scroll`, or None."""
        width, height, rows = picture
        ox, oy = self.origin
        vw, vh = self.view_size
        for y in range(0, vh, 3):
            for x in range(0, vw, 3):
                px, py = x + scroll[0], y + scroll[1]
                expected = rows[py][px] if px < width and py < height else WORKSPACE
                seen = self.kit.Session.pixel(shot, ox + x, oy + y)
                if seen != expected:
                    return "view (%d, %d) shows %s, expected %s" % (x, y, seen, expected)
        return None

    def expect_view(self, name, scroll=(0, 0)):
        picture = self.expected[name]
        why = [None]

        def check(shot):
            why[0] = self.view_mismatch(shot, picture, scroll)
            return why[0] is None
        try:
            return self.s.wait_for_screen("the view to show " + name, check)
        except self.kit.Failure as failure:
            raise self.kit.Failure("%s (%s)" % (failure, why[0]))

    def find_labels(self, shot):
        """Columns of ink along the menu bar, grouped into labels."""
        x0, y0, width, _ = self.s.geometry(self.s.window)
        top, bottom = y0 + 2, self.origin[1] - 6
        background = self.kit.luminance(self.kit.Session.pixel(shot, x0 + width - 3,
                                                               (top + bottom) // 2))
        labels = []
        for x in range(x0, x0 + width):
            darkest = min(self.kit.luminance(self.kit.Session.pixel(shot, x, y))
                          for y in range(top, bottom))
            if darkest < background - 50:
                if labels and x - labels[-1][1] <= 8:
                    labels[-1][1] = x
                    labels[-1][2] = min(labels[-1][2], darkest)
                else:
                    labels.append([x, x, darkest])
        self.bar_middle = (top + bottom) // 2
        return labels

    def item_rows(self, shot, label):
        """The middle rows of the text lines of the menu open under `label`
        (lines of one caption are at most a few blank rows apart)."""
        inked = [y for y in range(0, 1024)
                 if any(self.kit.luminance(self.kit.Session.pixel(shot, x, y)) < 110
                        for x in range(label[0], label[0] + 100))]
        lines = []
        for y in inked:
            if lines and y - lines[-1][1] <= 5:
                lines[-1][1] = y
            else:
                lines.append([y, y])
        return [(top + bottom) // 2 for top, bottom in lines]

    def click(self, x, y):
        self.s.xdotool("mousemove", str(x), str(y))
        self.s.xdotool("click", "1")

    def choose_with_mouse(self, item):
        """Opens "Effects" with a click and clicks its item number `item`."""
        effects = self.labels[2]
        before = self.s.shot()
        self.click((effects[0] + effects[1]) // 2, self.bar_middle)
        self.s.wait_for_screen("the Effects menu", lambda shot: shot != before)
        # Off the menu no item is highlighted, so every caption shows as ink.
        self.s.xdotool("mousemove", "1270", "1010")
        time.sleep(0.3)
        shot = self.s.shot()
        rows = self.item_rows(shot, effects)
        if len(rows) < item + 1:
            raise self.kit.Failure("the Effects menu shows %d items" % len(rows))
        self.click(effects[0] + 30, rows[item])

    def type_in_dialog(self, path):
        dialog = self.kit.wait_until("the file dialog", lambda: self.s.visible_window(DIALOG))
        x, y, width, height = self.s.geometry(dialog)
        self.s.wait_for_screen("the file dialog to be drawn", lambda shot: self.kit.luminance(
            self.kit.Session.pixel(shot, x + width // 2, y + height // 2)) > 200)
        self.s.xdotool("key", "ctrl+l")
        time.sleep(0.3)  # the location bar takes keys once it has the focus
        self.s.xdotool("type", "--delay", "25", path)
        time.sleep(0.3)
        self.s.xdotool("key", "Return")
        self.kit.wait_until("the file dialog to close", lambda: not self.s.visible_window(DIALOG))

    def error_box(self):
        """A second visible window named like the program: its error box."""
        found = self.s.run(["xdotool", "search", "--onlyvisible", "--name", "^" + CAPTION + "$"])
        others = [w for w in (found or "").split() if w != self.s.window]
        return others[0] if others else None

    # The steps.

    def start(self):
        started = time.monotonic()
        self.s.process = subprocess.Popen([self.s.program], env=self.s.env,
                                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                          stderr=open(self.path("program.err"), "w"))
        self.s.window = self.kit.wait_until("the program's window", lambda: self.s.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^" + CAPTION + "$"])).split()[0]
        print("window shown after %.3f s" % (time.monotonic() - started))
        # Before anything is opened the window shows only the workspace colour
        # below its menu bar.
        x0, y0, width, height = self.s.geometry(self.s.window)
        self.s.wait_for_screen("the empty view", lambda shot: all(
            self.kit.Session.pixel(shot, x0 + width // 2 + dx, y0 + height - 40) == WORKSPACE
            for dx in (-200, 0, 200)))

    def open_picture(self):
        self.s.focus_main()
        self.s.xdotool("key", "ctrl+o")
        self.type_in_dialog(self.path("picture.bmp"))
        picture = self.expected["picture"]
        shot = self.s.wait_for_screen("the picture", lambda shot: self.locate(
            shot, picture, (0, 0)) is not None)
        self.origin = self.locate(shot, picture, (0, 0))
        # The view ends where the picture stops showing: at the scroll bars.
        ox, oy = self.origin
        width = 0
        while self.kit.Session.pixel(shot, ox + width, oy + 20) == picture[2][20][width]:
            width += 1
        height = 0
        while self.kit.Session.pixel(shot, ox + 20, oy + height) == picture[2][height][20]:
            height += 1
        self.view_size = (width, height)
        self.expect_view("picture")
        self.labels = self.find_labels(shot)
        if len(self.labels) != 3:
            raise self.kit.Failure("the menu bar shows %d labels" % len(self.labels))

    def noise_by_mouse(self):
        self.choose_with_mouse(0)  # "Add color noise"
        self.expect_view("noise")

    def blend_by_mouse(self):
        self.choose_with_mouse(3)  # "Blend", which asks for the second picture
        self.type_in_dialog(self.path("second.bmp"))
        self.expect_view("blend")

    def wave_by_keyboard(self):
        self.s.focus_main()
        self.s.xdotool("key", "F10")  # opens "File"
        time.sleep(0.3)
        self.s.xdotool("key", "Right", "Right")  # past "Undo" to "Effects"
        time.sleep(0.3)
        before = self.s.shot()
        self.s.xdotool("key", "Up")  # wraps round to the last item, "Wave"
        self.s.wait_for_screen("the last effect selected", lambda shot: shot != before)
        self.s.xdotool("key", "Return")
        self.expect_view("wave")

    def undo_from_the_bar(self):
        undo = self.labels[1]
        self.click((undo[0] + undo[1]) // 2, self.bar_middle)
        self.expect_view("blend")

    def scroll_to_the_far_corner(self):
        ox, oy = self.origin
        vw, vh = self.view_size
        # The tracks just before the far arrows, a page per click until the
        # thumbs reach them.
        for _ in range(3):
            self.click(ox + vw - BAR - 4, oy + vh + BAR // 2)
            self.click(ox + vw + BAR // 2, oy + vh - BAR - 4)
        scroll = (PICTURE[0] - vw, PICTURE[1] - vh)
        self.expect_view("blend", scroll)

    def unreadable_file(self):
        self.s.focus_main()
        self.s.xdotool("key", "ctrl+o")
        self.type_in_dialog(self.path("broken.bmp"))
        box = self.kit.wait_until("the error box", self.error_box)
        x, y, width, height = self.s.geometry(box)
        shot = self.s.wait_for_screen("the error box to be drawn", lambda shot: self.kit.luminance(
            self.kit.Session.pixel(shot, x + width // 2, y + 5)) > 200)
        self.s.save(shot, "error-box")
        self.s.xdotool("key", "Return")
        self.kit.wait_until("the error box to close", lambda: self.error_box() is None)
        # The picture is still there, as scrolled before.
        vw, vh = self.view_size
        self.expect_view("blend", (PICTURE[0] - vw, PICTURE[1] - vh))

    def exit_from_the_menu(self):
        self.s.focus_main()
        self.s.xdotool("key", "F10")  # "File"
        time.sleep(0.3)
        self.s.xdotool("key", "Up")  # wraps round to "Exit"
        time.sleep(0.3)
        self.s.xdotool("key", "Return")
        status = self.kit.wait_until("the program to end", lambda: self.s.process.poll()
                                     is not None and (self.s.process.returncode,))
        if status[0] != 0:
            raise self.kit.Failure("the program ended with status %d" % status[0])

    def run(self):
        self.make_pictures()
        self.start()
        for step in (self.open_picture, self.noise_by_mouse, self.blend_by_mouse,
                     self.wave_by_keyboard, self.undo_from_the_bar,
                     self.scroll_to_the_far_corner, self.unreadable_file,
                     self.exit_from_the_menu):
            print("step: " + step.__name__, flush=True)
            step()


if __name__ == "__main__":
    sys.exit(main())
