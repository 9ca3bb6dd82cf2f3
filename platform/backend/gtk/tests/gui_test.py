#!/usr/bin/env python3
"""Drives the GUI test program on its own Xvfb server as a person would:
keys, menus by keyboard and by mouse, the file chooser, the scroll bars, the
wheel, a message box and the frame's close button, checking screenshot pixels
at each step. Every wait polls with a timeout.

    gui_test.py PROGRAM SEND_CLOSE
    gui_test.py --backend-choice PROGRAM   (no X server needed)

Exits 0 on success, 1 on a failed check, 77 when Xvfb, xdotool or
ImageMagick's import is missing.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
CAPTION = "Gleamkit GUI Test"
PICTURE_WIDTH = 1000
PICTURE_HEIGHT = 800
WORKSPACE = (128, 128, 128)
BUTTON_FACE = (212, 208, 200)
LINE = 16  # pixels one scroll-bar arrow click moves
BAR = 16  # scroll-bar thickness
TIMEOUT = 20.0  # generous: other tests may be running beside this one


class Failure(Exception):
    pass


def wait_until(what, probe, timeout=TIMEOUT):
    """Polls probe() until it answers something true; returns that answer."""
    deadline = time.monotonic() + timeout
    while True:
        answer = probe()
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def picture_color(x, y, grid):
    """The program's picture: red and green tell x and y, blue the tile."""
    if grid and (x % 100 == 0 or y % 100 == 0):
        return (0, 0, 0)
    return (x & 0xFF, y & 0xFF, 64 + 40 * (x // 256) + 16 * (y // 256))


def luminance(color):
    return (299 * color[0] + 587 * color[1] + 114 * color[2]) // 1000


class Session:
    def __init__(self, program, send_close, work):
        self.program = program
        self.send_close = send_close
        self.work = work
        self.env = None
        self.xvfb = None
        self.process = None
        self.window = None
        self.size = (0, 0)
        self.log_path = os.path.join(work, "program.log")
        self.import_tool = shutil.which("import-im6.q16") or shutil.which("import")

    # The X server and the program's surroundings.

    def start_display(self):
        display_file = os.path.join(self.work, "display")
        with open(display_file, "w") as out:
            # Xvfb picks a free display and writes its number to the descriptor.
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(out.fileno()), "-noreset", "-screen", "0",
                 "1280x1024x24", "-nolisten", "tcp"],
                pass_fds=(out.fileno(),), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)
        number = wait_until("Xvfb's display number",
                            lambda: open(display_file).read().strip())
        env = dict(os.environ)
        for name in ("DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "GLEAMKIT_BACKEND"):
            env.pop(name, None)
        folders = {name: os.path.join(self.work, name.lower())
                   for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                "XDG_RUNTIME_DIR")}
        for folder in folders.values():
            os.makedirs(folder, mode=0o700, exist_ok=True)
        os.makedirs(os.path.join(folders["XDG_CONFIG_HOME"], "gtk-3.0"), exist_ok=True)
        # Keys typed while the chooser's location bar slides in would be lost.
        with open(os.path.join(folders["XDG_CONFIG_HOME"], "gtk-3.0", "settings.ini"), "w") as f:
            f.write("[Settings]\ngtk-enable-animations=0\n")
        env.update(folders)
        env.update(DISPLAY=":" + number, GDK_BACKEND="x11", NO_AT_BRIDGE="1",
                   GSETTINGS_BACKEND="memory", GDK_GL="disable")
        self.env = env
        wait_until("the X server", lambda: self.run(["xdotool", "getdisplaygeometry"]))

    def run(self, command, check=False):
        """Runs a tool on the test's display; its stdout, or None when it failed."""
        done = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=TIMEOUT)
        if done.returncode != 0:
            if check:
                raise Failure("failed: " + " ".join(command))
            return None
        return done.stdout.decode(errors="replace") or " "

    def xdotool(self, *arguments):
        self.run(["xdotool"] + list(arguments), check=True)

    def stop(self):
        for process in (self.process, self.xvfb):
            if process is not None and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    # Screenshots.

    def shot(self):
        raw = subprocess.run([self.import_tool, "-window", "root", "-depth", "8", "rgb:-"],
                             env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             timeout=TIMEOUT).stdout
        if len(raw) != 1280 * 1024 * 3:
            return None
        return raw

    @staticmethod
    def pixel(shot, x, y):
        at = (y * 1280 + x) * 3
        return (shot[at], shot[at + 1], shot[at + 2])

    def save(self, shot, name):
        path = os.path.join(self.work, name + ".rgb")
        with open(path, "wb") as out:
            out.write(shot)
        return path

    def wait_for_screen(self, what, check, timeout=TIMEOUT):
        """Polls screenshots until check(shot) holds; answers that shot."""
        last = [None]

        def probe():
            shot = self.shot()
            last[0] = shot
            return shot if shot is not None and check(shot) else None
        try:
            return wait_until(what, probe, timeout)
        except Failure:
            if last[0] is not None:
                print("last screenshot: " + self.save(last[0], "failed"), file=sys.stderr)
            raise

    # The program's report.

    def lines(self):
        with open(self.log_path) as log:
            return log.read().splitlines()

    def wait_line(self, pattern, after, timeout=TIMEOUT):
        """The first report line after line `after` matching `pattern`, and its index."""
        regex = re.compile(pattern)

        def probe():
            lines = self.lines()
            for index in range(after, len(lines)):
                match = regex.fullmatch(lines[index])
                if match:
                    return (index, match)
            if self.process.poll() is not None:
                raise Failure("program ended (status %d) waiting for %r" %
                              (self.process.returncode, pattern))
            return None
        return wait_until("the report line " + pattern, probe, timeout)

    def paint(self):
        """The latest paint report: view place, client corner on screen, client size."""
        for line in reversed(self.lines()):
            if line.startswith("paint "):
                return tuple(int(value) for value in line.split()[1:])
        return None

    def start_program(self):
        log = open(self.log_path, "w")
        self.process = subprocess.Popen([self.program], env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=log, stderr=open(os.path.join(self.work,
                                                                             "program.err"), "w"))
        self.window = wait_until("the program's window", lambda: self.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^" + CAPTION + "$"])).split()[0]
        self.wait_line(r"paint .*", 0)

    def geometry(self, window):
        text = self.run(["xdotool", "getwindowgeometry", window], check=True)
        x, y = re.search(r"Position: (-?\d+),(-?\d+)", text).groups()
        width, height = re.search(r"Geometry: (\d+)x(\d+)", text).groups()
        return int(x), int(y), int(width), int(height)

    def visible_window(self, name):
        found = self.run(["xdotool", "search", "--onlyvisible", "--name", "^" + name + "$"])
        return found.split()[0] if found and found.strip() else None

    def focus_main(self):
        def focused():
            if (self.run(["xdotool", "getwindowfocus"]) or "").strip() == self.window:
                return True
            self.run(["xdotool", "windowfocus", self.window])
            return False
        wait_until("the keyboard focus on the main window", focused)


class Checks:
    """The steps, in order; each checks the screen as a person would see it."""

    def __init__(self, session):
        self.s = session
        self.loaded = False
        self.grid = False
        self.labels = []  # the menu bar's labels: (left, right) columns on screen
        self.bar_middle = 0

    def expected_view(self, x, y):
        """What the view shows at its client point (x, y)."""
        vx, vy = self.s.paint()[:2]
        px, py = x - vx, y - vy
        if self.loaded and px < PICTURE_WIDTH and py < PICTURE_HEIGHT:
            return picture_color(px, py, self.grid)
        return WORKSPACE

    def view_mismatches(self, shot):
        _, _, sx, sy, width, height = self.s.paint()
        wrong = []
        for y in [0, height // 3, height // 2, height - 1]:
            for x in [0, 1, width // 4, width // 2, width - 2, width - 1]:
                expected = self.expected_view(x, y)
                seen = Session.pixel(shot, sx + x, sy + y)
                if seen != expected:
                    wrong.append("client (%d, %d): %s, expected %s" % (x, y, seen, expected))
        return wrong

    def expect_view(self, step):
        self.s.wait_for_screen("the view to show the picture " + step,
                               lambda shot: not self.view_mismatches(shot))

    def find_labels(self, shot):
        """Columns of ink along the menu bar, grouped into labels."""
        x0, y0, width, _ = self.s.geometry(self.s.window)
        sy = self.s.paint()[3]
        top, bottom = y0 + 2, sy - 4
        background = luminance(Session.pixel(shot, x0 + width - 3, (top + bottom) // 2))
        labels = []
        for x in range(x0, x0 + width):
            darkest = min(luminance(Session.pixel(shot, x, y)) for y in range(top, bottom))
            if darkest < background - 50:
                if labels and x - labels[-1][1] <= 8:
                    labels[-1][1] = x
                    labels[-1][2] = min(labels[-1][2], darkest)
                else:
                    labels.append([x, x, darkest])
        self.bar_middle = (top + bottom) // 2
        return labels

    def menu_open_below(self, label):
        """Whether a menu has opened under the bar label at `label`."""
        def check(shot):
            # Something covers the view just below the label.
            sx, sy = self.s.paint()[2:4]
            x = (label[0] + label[1]) // 2
            return Session.pixel(shot, x, sy + 6) != self.expected_view(x - sx, 6)
        return check

    def nothing_below(self, label):
        def check(shot):
            return not self.menu_open_below(label)(shot) and not self.view_mismatches(shot)
        return check

    def first_item_row(self, shot, label):
        """The middle row of the first item of the menu open below `label`, and
        the leftmost ink of that row (a check mark reaches further left)."""
        sy = self.s.paint()[3]
        rows = []
        for y in range(sy, sy + 60):
            ink = [x for x in range(label[0] - 8, label[0] + 60)
                   if luminance(Session.pixel(shot, x, y)) < 110]
            if ink:
                rows.append((y, min(ink)))
            elif rows:
                break
        if not rows:
            raise Failure("no item in the open menu")
        return rows[len(rows) // 2][0], min(left for _, left in rows)

    def click(self, x, y):
        self.s.xdotool("mousemove", str(x), str(y))
        self.s.xdotool("click", "1")

    def step_window_appears(self):
        name = (self.s.run(["xdotool", "getwindowname", self.s.window]) or "").strip()
        if name != CAPTION:
            raise Failure("caption is %r" % name)
        self.expect_view("before anything is opened (workspace)")
        shot = self.s.shot()
        self.labels = self.find_labels(shot)
        if len(self.labels) != 5:
            raise Failure("menu bar shows %d labels, expected 5" % len(self.labels))
        # "Effects" is grayed: its text is much lighter than the others'.
        others = max(label[2] for index, label in enumerate(self.labels) if index != 2)
        if self.labels[2][2] < others + 40:
            raise Failure("the grayed bar item is not drawn grayed")
        # Clicked, it opens nothing and runs nothing.
        effects = self.labels[2]
        after = len(self.s.lines())
        self.click((effects[0] + effects[1]) // 2, self.bar_middle)
        time.sleep(0.3)  # something that must not happen has no event to wait for
        if self.menu_open_below(effects)(self.s.shot()) or len(self.s.lines()) != after:
            raise Failure("the grayed bar item reacted")
        self.s.xdotool("key", "Escape")

    def open_chooser(self):
        self.s.focus_main()
        self.s.xdotool("key", "ctrl+o")
        chooser = wait_until("the file chooser", lambda: self.s.visible_window("Open picture"))
        x, y, width, height = self.s.geometry(chooser)
        self.s.wait_for_screen("the file chooser to be drawn", lambda shot: luminance(
            Session.pixel(shot, x + width // 2, y + height // 2)) > 200)
        return chooser

    def type_location(self, path):
        """Types `path` into the chooser's location bar and confirms it."""
        before = self.s.shot()
        self.s.xdotool("key", "ctrl+l")
        try:
            self.s.wait_for_screen("the location bar", lambda shot: shot != before, 5.0)
        except Failure:
            pass  # already shown: Ctrl+L only selected its text
        time.sleep(0.3)  # the bar takes keys once its entry has the focus
        self.s.xdotool("type", "--delay", "25", path)
        time.sleep(0.3)  # completion settles before Return
        self.s.xdotool("key", "Return")

    def step_open_typed_path(self, path):
        self.open_chooser()
        after = len(self.s.lines())
        # A key lost to a busy machine leaves a wrong name, which the chooser
        # refuses or takes as a folder; the person types it again.
        for attempt in range(3):
            self.type_location(path)
            try:
                self.s.wait_line("opened " + re.escape(path), after, 8.0)
                break
            except Failure:
                if attempt == 2 or not self.s.visible_window("Open picture"):
                    raise
        wait_until("the chooser to close", lambda: not self.s.visible_window("Open picture"))
        self.loaded = True
        self.expect_view("after opening")
        # An open picture enables "Effects".
        others = max(label[2] for index, label in enumerate(self.labels) if index != 2)
        self.s.wait_for_screen("Effects to be enabled",
                               lambda shot: self.find_labels(shot)[2][2] < others + 20)

    def step_escape_cancels(self):
        self.open_chooser()
        after = len(self.s.lines())
        self.s.xdotool("key", "Escape")
        self.s.wait_line("cancelled", after)
        wait_until("the chooser to close", lambda: not self.s.visible_window("Open picture"))
        self.expect_view("after cancelling")

    def step_menus_by_keyboard(self):
        self.s.focus_main()
        # F10 reaches the bar (it is no accelerator of the program's).
        file_label = self.labels[0]
        self.s.xdotool("key", "F10")
        self.s.wait_for_screen("F10 to open the File menu", self.menu_open_below(file_label))
        self.s.xdotool("key", "Escape")
        self.s.wait_for_screen("the File menu to close", self.nothing_below(file_label))
        after = len(self.s.lines())
        view = self.labels[1]
        self.s.xdotool("key", "alt+v")
        self.s.wait_for_screen("the View menu", self.menu_open_below(view))
        self.s.xdotool("key", "g")
        self.s.wait_line("command Grid on", after)
        self.grid = True
        self.expect_view("with the grid")
        # A sub-menu: View, Zoom, Large.
        after = len(self.s.lines())
        self.s.xdotool("key", "alt+v")
        before = self.s.wait_for_screen("the View menu", self.menu_open_below(view))
        self.s.xdotool("key", "z")
        self.s.wait_for_screen("the Zoom sub-menu", lambda shot: shot != before)
        self.s.xdotool("key", "l")
        self.s.wait_line("command Large", after)
        self.s.wait_for_screen("the menus to close", self.nothing_below(view))
        # The 49 effects make a menu taller than the screen; its last entry
        # is one key away (the keys wrap round and the menu scrolls).
        effects = self.labels[2]
        after = len(self.s.lines())
        self.s.xdotool("key", "alt+e")
        before = self.s.wait_for_screen("the Effects menu", self.menu_open_below(effects))
        self.s.xdotool("key", "Up")
        self.s.wait_for_screen("the menu to scroll to its end", lambda shot: shot != before)
        self.s.xdotool("key", "Return")
        self.s.wait_line("command Effect 49", after)
        self.s.wait_for_screen("the menus to close", self.nothing_below(effects))

    def step_menus_by_mouse(self):
        view = self.labels[1]
        after = len(self.s.lines())
        self.click((view[0] + view[1]) // 2, self.bar_middle)
        shot = self.s.wait_for_screen("the View menu", self.menu_open_below(view))
        row, checked_left = self.first_item_row(shot, view)
        self.click(view[0] + 40, row)
        self.s.wait_line("command Grid off", after)
        self.grid = False
        self.expect_view("without the grid")
        # Without its check mark the item's ink starts further right.
        self.click((view[0] + view[1]) // 2, self.bar_middle)
        shot = self.s.wait_for_screen("the View menu", self.menu_open_below(view))
        _, unchecked_left = self.first_item_row(shot, view)
        if unchecked_left < checked_left + 10:
            raise Failure("the check mark does not follow the item's state")
        self.s.xdotool("key", "Escape")
        self.s.wait_for_screen("the View menu to close", self.nothing_below(view))
        # The bar's own item: one click runs it and leaves no menu open.
        undo = self.labels[3]
        after = len(self.s.lines())
        self.click((undo[0] + undo[1]) // 2, self.bar_middle)
        self.s.wait_line("command Undo", after)
        self.s.wait_for_screen("the bar to be left", self.nothing_below(undo))

    def wait_view_at(self, vx, vy, after):
        self.s.wait_line("paint %d %d .*" % (vx, vy), after)

    def step_scroll(self):
        vx, vy, sx, sy, width, height = self.s.paint()
        after = len(self.s.lines())
        self.click(sx + width + BAR // 2, sy + height - BAR // 2)  # the down arrow
        self.wait_view_at(vx, vy - LINE, after)
        self.expect_view("one line down")
        after = len(self.s.lines())
        self.click(sx + width - BAR - 4, sy + height + BAR // 2)  # the track, right of the thumb
        end = -min(width, PICTURE_WIDTH - width)
        self.wait_view_at(end, vy - LINE, after)
        self.expect_view("one page right")
        # At the end the thumb touches the right arrow.
        # (two neighbours of the track's checker never share a colour)
        self.s.wait_for_screen("the thumb at the end", lambda shot: all(
            Session.pixel(shot, sx + width - BAR - 4 - dx, sy + height + BAR // 2) == BUTTON_FACE
            for dx in (0, 1)))
        self.s.xdotool("mousemove", str(sx + 50), str(sy + 50))
        after = len(self.s.lines())
        self.s.xdotool("click", "5")  # the wheel towards the user: three lines down
        self.wait_view_at(end, vy - 4 * LINE, after)
        self.expect_view("wheel down")
        after = len(self.s.lines())
        self.s.xdotool("click", "4")
        self.wait_view_at(end, vy - LINE, after)
        self.expect_view("wheel up")
        # The vertical thumb dragged past the window's bottom edge: the bar
        # keeps following the pointer outside the window, to the end.
        track = height - 2 * BAR
        thumb = max(track * height // PICTURE_HEIGHT, 8)
        position = LINE - vy  # where the wheel left the vertical bar
        thumb_top = BAR + (track - thumb) * position // (PICTURE_HEIGHT - height)
        x = sx + width + BAR // 2
        after = len(self.s.lines())
        self.s.xdotool("mousemove", str(x), str(sy + thumb_top + thumb // 2))
        self.s.xdotool("mousedown", "1")
        self.s.xdotool("mousemove", str(x), str(sy + height // 2))
        self.s.xdotool("mousemove", str(x), str(sy + height + 200))
        self.s.xdotool("mouseup", "1")
        self.wait_view_at(end, height - PICTURE_HEIGHT, after)
        self.expect_view("thumb dragged to the end")

    def step_message_box(self):
        help_label = self.labels[4]
        after = len(self.s.lines())
        self.click((help_label[0] + help_label[1]) // 2, self.bar_middle)
        shot = self.s.wait_for_screen("the Help menu", self.menu_open_below(help_label))
        row, _ = self.first_item_row(shot, help_label)
        self.click(help_label[0] + 30, row)
        box = wait_until("the message box", lambda: self.s.visible_window("About the test"))
        x, y, width, height = self.s.geometry(box)
        self.s.wait_for_screen("the message box to be drawn", lambda shot: luminance(
            Session.pixel(shot, x + width // 2, y + 5)) > 200)
        # A Yes/No box cannot be closed without an answer.
        self.s.xdotool("key", "Escape")
        time.sleep(0.3)
        if not self.s.visible_window("About the test"):
            raise Failure("Escape closed a box without a Cancel button")
        self.s.xdotool("key", "alt+n")
        self.s.wait_line("box 7", after)
        wait_until("the box to close", lambda: not self.s.visible_window("About the test"))
        self.expect_view("after the box")

    def step_ownerless_box(self):
        """A task-modal box without an owner: it stands above the program, and
        Escape closes an OK-only box, answering OK."""
        self.s.focus_main()
        after = len(self.s.lines())
        help_label = self.labels[4]
        self.s.xdotool("key", "alt+h")
        self.s.wait_for_screen("the Help menu", self.menu_open_below(help_label))
        self.s.xdotool("key", "e")
        box = wait_until("the error box", lambda: self.s.visible_window("Error"))
        x, y, width, height = self.s.geometry(box)
        mx, my, main_width, main_height = self.s.geometry(self.s.window)
        if abs(x + width // 2 - (mx + main_width // 2)) > 2 or \
                abs(y + height // 2 - (my + main_height // 2)) > 2:
            raise Failure("the ownerless box is not placed over the program's window")
        self.s.wait_for_screen("the error box to be drawn", lambda shot: luminance(
            Session.pixel(shot, x + width // 2, y + 5)) > 200)
        self.s.xdotool("key", "Escape")
        self.s.wait_line("box 1", after)
        wait_until("the box to close", lambda: not self.s.visible_window("Error"))
        self.expect_view("after the error box")

    def step_close_by_frame(self):
        after = len(self.s.lines())
        subprocess.run([self.s.send_close, self.s.window], env=self.s.env, check=True,
                       timeout=TIMEOUT)
        self.s.wait_line("closed", after)
        status = wait_until("the program to end", lambda: self.s.process.poll() is not None and
                            (self.s.process.returncode,))
        if status[0] != 0:
            raise Failure("the program ended with status %d" % status[0])


def check_backend_choice(program):
    """Without a display the program says so and ends with status 1;
    GLEAMKIT_BACKEND=headless runs it without one."""
    env = dict(os.environ)
    env.pop("GLEAMKIT_BACKEND", None)
    env.pop("WAYLAND_DISPLAY", None)
    env.update(DISPLAY=":4711", GDK_BACKEND="x11")
    done = subprocess.run([program], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=TIMEOUT)
    if done.returncode != 1 or b"cannot open display: :4711" not in done.stderr:
        raise Failure("without a display: status %d, stderr %r" % (done.returncode, done.stderr))
    env["GLEAMKIT_BACKEND"] = "headless"
    done = subprocess.run([program], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=TIMEOUT)
    if done.returncode != 0 or not done.stdout.startswith(b"paint "):
        raise Failure("headless: status %d, stdout %r" % (done.returncode, done.stdout))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--backend-choice":
        try:
            check_backend_choice(os.path.abspath(sys.argv[2]))
        except Failure as failure:
            print("FAILED: %s" % failure, file=sys.stderr)
            return 1
        return 0
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    if not shutil.which("Xvfb") or not shutil.which("xdotool") or \
            not (shutil.which("import-im6.q16") or shutil.which("import")):
        print("skipped: Xvfb, xdotool and ImageMagick's import are needed", file=sys.stderr)
        return SKIP
    # A test runner's timeout ends the test through SIGTERM; the X server and
    # the program are stopped on the way out.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(1))
    work = tempfile.mkdtemp(prefix="gleamkit-gui-")
    session = Session(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), work)
    passed = False
    try:
        session.start_display()
        picture = os.path.join(work, "pictures", "picture.bmp")
        os.makedirs(os.path.dirname(picture))
        with open(picture, "wb") as out:
            out.write(b"BM")
        session.start_program()
        checks = Checks(session)
        for step in (checks.step_window_appears,
                     lambda: checks.step_open_typed_path(picture),
                     checks.step_escape_cancels,
                     checks.step_menus_by_keyboard,
                     checks.step_menus_by_mouse,
                     checks.step_scroll,
                     checks.step_message_box,
                     checks.step_ownerless_box,
                     checks.step_close_by_frame):
            step()
        passed = True
    except Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        print("report and screenshots kept in " + work, file=sys.stderr)
    finally:
        session.stop()
        if passed:
            shutil.rmtree(work, ignore_errors=True)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
