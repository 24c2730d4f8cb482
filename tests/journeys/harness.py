"""The journey harness: the real korvant program on the X display that
scripts/with-xvfb.sh gives, against the test marketplace server on a free
loopback port, with its own data and settings folders, driven through real
key and mouse events (xdotool). Every wait polls a condition until a
generous deadline, so a loaded machine only makes a journey slower. A
screenshot follows each step under build/screenshots/journeys/<journey>/."""

import contextlib
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import tempfile
import time

WAIT = float(os.environ.get("KORVANT_JOURNEY_WAIT", "90"))
# The longest the window may keep the member waiting for an answer (a menu
# opening, a key taking effect), the program's own time: the time the machine
# did not run it at all is left out.
ANSWER_MS = 1000


def slowdown(build):
    """How much slower than the shipped program the build's runs: limits
    measured on the clock are the shipped program's, times this. A build with
    AddressSanitizer, unoptimized, runs its own work two to three times
    slower."""
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as f:
            return 2.0 if "KORVANT_SANITIZE:BOOL=ON" in f.read() else 1.0
    except OSError:
        return 1.0


class JourneyFailed(Exception):
    pass


class Run:
    def __init__(self, build, name):
        self.build = build
        self.name = name
        self.bin = os.path.join(build, "bin")
        self.slow = slowdown(build)
        self.home = tempfile.mkdtemp(prefix="korvant-journey-")
        self.data = os.path.join(self.home, "data")
        self.config = os.path.join(self.home, "config")
        self.requests_file = os.path.join(self.home, "requests.log")
        self.shots = os.path.join(build, "screenshots", "journeys", name)
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.step = 0
        self.server = None
        self.client = None
        self.env = dict(os.environ)
        self.env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.config,
            "XDG_DATA_HOME": os.path.join(self.home, "share"),
            "QT_QPA_PLATFORM": "xcb",
            "QTWEBENGINE_DISABLE_SANDBOX": "1",
        })
        self.url = None
        self.stall_file = None
        self._main = None
        self.display = os.environ.get("DISPLAY", "")

    # --- the world --------------------------------------------------------

    def start_server(self, *args):
        out = os.path.join(self.home, "server.out")
        self.server = subprocess.Popen(
            [os.path.join(self.bin, "korvant-testserver"), "--requests", self.requests_file, *args],
            stdout=open(out, "w"), stderr=open(os.path.join(self.home, "server.log"), "w"))

        def url():
            with open(out) as f:
                for line in f:
                    if line.startswith("URL "):
                        return line[4:].strip()
            return None
        self.url = self.wait(url, "the test server to listen", timeout=30)

    def seed(self):
        subprocess.run([os.path.join(self.bin, "korvant-seedrun"), self.data], env=self.env, check=True,
                       stdout=subprocess.DEVNULL)

    def start_client(self, maximize=True, wait_main=True):
        self.client_started = time.monotonic()
        self.client = subprocess.Popen(
            [os.path.join(self.bin, "korvant"), "-dbpath", self.data, "-url", self.url, "-level", "5"],
            env=self.env, stdout=open(os.path.join(self.home, "client.out"), "a"), stderr=subprocess.STDOUT)
        if not wait_main:
            return
        self.wait(lambda: self.main, "the main window")
        if maximize:
            self.maximize()

    @property
    def main(self):
        """The main window: the splash is titled "Korvant" too, the main
        window names its page; the window may be made anew during start-up.
        While a page changes, the title may for a moment name none: the window
        last found stands in while the program still shows it."""
        wid = self.window("^Korvant > ")
        if wid:
            self._main = wid
        elif self._main and self._main not in self.windows(""):
            self._main = None
        return wid or self._main

    def maximize(self):
        """No window manager places the main window: it gets the screen, as a
        member would maximise it."""
        def full():
            wid = self.main
            if not wid:
                return False
            if self.geometry(wid)[2:] == (1270, 790):
                return True
            self.xdotool("windowmove", wid, "0", "0")
            self.xdotool("windowsize", wid, "1270", "790")
            return False
        self.wait(full, "the main window on the whole screen")
        self.focus_main()

    def stop_client(self):
        """Ends the program as the desktop does at log-out (SIGTERM); it must
        end cleanly within 10 s."""
        if not self.client or self.client.poll() is not None:
            return
        self.client.send_signal(signal.SIGTERM)
        try:
            code = self.client.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.client.kill()
            raise JourneyFailed("the program did not end within 10 s of SIGTERM")
        if code != 0:
            raise JourneyFailed("the program ended with %d" % code)

    def close(self, keep):
        for p in (self.client, self.server):
            if p and p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
        if keep:
            print("journey folder kept: %s" % self.home)
        else:
            shutil.rmtree(self.home, ignore_errors=True)

    # --- waiting ----------------------------------------------------------

    def wait(self, condition, what, timeout=WAIT, interval=0.2):
        deadline = time.monotonic() + timeout
        while True:
            if self.client and self.client.poll() is not None:
                raise JourneyFailed("the program ended (%s) while waiting for %s" % (self.client.returncode, what))
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                self.shot("timeout")
                raise JourneyFailed("waited %d s for %s" % (timeout, what))
            time.sleep(interval)

    # --- the display ------------------------------------------------------

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *args], capture_output=True, text=True)
        return r.stdout.strip()

    def windows(self, title):
        pid = str(self.client.pid)
        found = self.xdotool("search", "--onlyvisible", "--pid", pid, "--name", title).split()
        # xdotool also reports windows by a name it finds elsewhere (the
        # main window for a dialog's title): the title itself decides.
        return [w for w in found if re.search(title, self.xdotool("getwindowname", w))]

    def window(self, title):
        """The id of a visible window of the program whose title matches the
        regular expression (the tray pop-up aside), or None."""
        for wid in self.windows(title):
            if not self.is_popup(wid):
                return wid
        return None

    def is_popup(self, wid):
        # The pop-up has no title of its own and slides in at the screen's
        # bottom right corner.
        if self.xdotool("getwindowname", wid) != "Korvant":
            return False
        x, y, w, h = self.geometry(wid)
        return x + w >= 1200 and y + h >= 760 and w < 400

    def popup(self):
        return next((w for w in self.windows("^Korvant$") if self.is_popup(w)), None)

    def wait_popup(self):
        return self.wait(self.popup, "the pop-up")

    def click_popup(self):
        """A click on the pop-up's text, once it has slid in."""
        last = [None]

        def settled():
            wid = self.popup()
            if not wid:
                return False
            g = self.geometry(wid)
            done = g == last[0]
            last[0] = g
            time.sleep(0.3)
            return wid if done else False
        wid = self.wait(settled, "the pop-up to settle")
        x, y, w, h = self.geometry(wid)
        self.click(wid, w // 2, h * 3 // 4)

    def wait_popup_gone(self):
        """Input waits until the pop-up has slid away (it shows for 5 s):
        while it comes and goes, keys and clicks may go astray."""
        self.wait(lambda: not self.popup(), "the pop-up to go", timeout=60)
        self.focus_main()

    def wait_window(self, title):
        wid = self.wait(lambda: self.window(title), "the window \"%s\"" % title)
        self.focus(wid)
        return wid

    def wait_gone(self, title, then=None):
        """Until the window closes; then the focus goes to `then` (the main
        window by default): without a window manager nobody gives it back."""
        self.wait(lambda: not self.window(title), "the window \"%s\" to close" % title)
        self.focus(then) if then else self.focus_main()

    def wait_title(self, pattern):
        """Until the main window's title (it names the page) has `pattern`."""
        self.wait(lambda: pattern in self.xdotool("getwindowname", self.main or ""),
                  "the main window on \"%s\"" % pattern)

    def focus_main(self):
        """The focus to the main window; its title changes with the page, and
        under load a search may miss it for a moment: it is waited for."""
        self.focus(self.wait(lambda: self.main, "the main window", timeout=20))

    def focus(self, wid):
        if not wid:
            raise JourneyFailed("no window to give the focus to")
        self.xdotool("windowraise", wid)
        self.xdotool("windowfocus", "--sync", wid)
        self.wait(lambda: self.xdotool("getwindowfocus") == wid or self.focused_inside(wid),
                  "the window %s to take the focus" % wid, timeout=20)

    def focused_inside(self, wid):
        # Qt may give the focus to a child window of the top-level one.
        focus = self.xdotool("getwindowfocus")
        return focus and self.xdotool("getwindowname", focus) == self.xdotool("getwindowname", wid)

    def key(self, *keys):
        for k in keys:
            self.xdotool("key", "--delay", "60", k)
            time.sleep(0.15)

    def type(self, text):
        self.xdotool("type", "--delay", "40", text)
        time.sleep(0.15)

    def click(self, wid, x, y):
        """A click at a point of a window (relative to its top left)."""
        self.xdotool("mousemove", "--window", wid, str(x), str(y))
        time.sleep(0.2)
        self.xdotool("click", "1")
        time.sleep(0.2)

    def link_at(self, x0, x1, y0, y1):
        """The point of the first link whose underline spans x0..x1 of the
        screen between rows y0 and y1, or None: where a page's link lands
        depends on the layout of the moment (a dragged edge, a scroll bar)."""
        from PIL import ImageGrab
        image = ImageGrab.grab(xdisplay=self.display).convert("RGB")
        for y in range(y0, y1):
            blue = sum(1 for x in range(x0, x1)
                       if (lambda p: p[2] > 150 and p[0] < 80 and p[1] < 80)(image.getpixel((x, y))))
            if blue >= (x1 - x0) * 8 // 10:
                return (x0 + x1) // 2, y - 5
        return None

    def drag_edge(self, wid, start, end):
        """Drags a bar's edge (a main window's separator) from `start` to `end`
        (points of the window) with the button held as a person holds it: Qt
        moves the separator on a timer after each motion, so a release that
        comes right behind the motion, as a busy program reads them in one go,
        leaves it where it was. Tried again until the screen across the edge
        changes."""
        x, y, _, _ = self.geometry(wid)
        top, bottom = min(start[1], end[1]) - 8, max(start[1], end[1]) + 8

        def strip():
            from PIL import ImageGrab
            left = x + start[0] + 200  # off the edge's grip
            return ImageGrab.grab(bbox=(left, y + top, left + 1, y + bottom), xdisplay=self.display).tobytes()
        before = strip()
        for _ in range(3):
            self.xdotool("mousemove", "--window", wid, str(start[0]), str(start[1]))
            time.sleep(0.2)
            self.xdotool("mousedown", "1")
            time.sleep(0.3)
            for step in (1, 2, 3, 4):
                self.xdotool("mousemove", "--window", wid, str(start[0] + (end[0] - start[0]) * step // 4),
                             str(start[1] + (end[1] - start[1]) * step // 4))
                time.sleep(0.2)
            time.sleep(0.5)
            self.xdotool("mouseup", "1")
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                if strip() != before:
                    return
                time.sleep(0.5)
        self.shot("timeout")
        raise JourneyFailed("the edge at %r did not move to %r" % (start, end))

    def geometry(self, wid):
        out = self.xdotool("getwindowgeometry", "--shell", wid)
        g = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        if "X" not in g:
            return 0, 0, 0, 0  # gone meanwhile
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def shot(self, label):
        """Saves the whole screen after a step; a blank screen fails the step."""
        from PIL import ImageGrab
        self.step += 1
        path = os.path.join(self.shots, "%02d-%s.png" % (self.step, label))
        image = ImageGrab.grab(xdisplay=self.display)
        image.save(path)
        colors = image.convert("RGB").getcolors(maxcolors=64)
        if label != "timeout" and colors is not None and len(colors) < 8:
            raise JourneyFailed("the screen is nearly blank at %s (%s)" % (label, path))
        return path

    # --- the program's files and the server's log --------------------------

    def db(self, sql, *args):
        path = os.path.join(self.data, "kvc.mdb")
        if not os.path.exists(path):
            return []
        con = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=10)
        try:
            return con.execute(sql, args).fetchall()
        except sqlite3.OperationalError as e:
            if "locked" in str(e) or "no such table" in str(e):
                return []
            raise
        finally:
            con.close()

    def db_value(self, sql, *args):
        rows = self.db(sql, *args)
        return rows[0][0] if rows else None

    def log_has(self, text):
        try:
            with open(os.path.join(self.data, "kvc.log"), "rb") as f:
                return text.encode() in f.read()
        except FileNotFoundError:
            return False

    def told(self, caption, shown, *words, then=None):
        """The box `caption` is up, the first of its title since `shown` such
        boxes, and says each of `words`; closed with Return, the focus then on
        `then` (the main window by default)."""
        self.wait_window("^%s$" % caption)
        self.shot(caption.replace(" ", "-").lower())
        said = self.boxes(caption)[shown:]
        if len(said) != 1 or any(w not in said[0] for w in words):
            raise JourneyFailed("the box \"%s\" said %r, not %r" % (caption, said, words))
        self.key("Return")
        self.wait_gone("^%s$" % caption, then=then)

    def boxes(self, title):
        """What the boxes titled `title` said, oldest first (the program's
        level-5 trace of every box)."""
        try:
            with open(os.path.join(self.data, "kvc.log"), encoding="utf-8", errors="replace") as f:
                log = f.read()
        except FileNotFoundError:
            return []
        # A line is "** <date> <time> Box <title>: <text> \n"; the text may hold line breaks.
        pattern = re.compile(r"^\*\* \S+ \S+ Box %s: (.*?) \n(?=\*\* |\Z)" % re.escape(title), re.M | re.S)
        return pattern.findall(log)

    def requests(self, operation=None):
        """The server's request log: (operation, body) per request."""
        try:
            with open(self.requests_file, encoding="utf-8", errors="replace") as f:
                rows = [line.rstrip("\n").split("\t", 1) for line in f if "\t" in line]
        except FileNotFoundError:
            return []
        return [(op, body) for op, body in rows if operation is None or op == operation]

    def settings(self):
        path = os.path.join(self.config, "Korvant", "Korvant.ini")
        try:
            with open(path, encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    # --- what a member does often -------------------------------------------

    def wait_polls(self, count, interval=0.2):
        """Until the program has stored `count` polls of this run's log."""
        self.wait(lambda: self.poll_lines() >= count, "poll %d" % count, interval=interval)

    def poll_lines(self):
        try:
            with open(os.path.join(self.data, "kvc.log"), "rb") as f:
                return f.read().count(b" Poll Queries: ")
        except FileNotFoundError:
            return 0

    def synchronize(self):
        """Tools > Synchronize (F5), then waits for that poll to be stored."""
        before = self.poll_lines()
        self.focus_main()
        self.key("F5")
        self.wait(lambda: self.poll_lines() > before, "the poll that F5 asks for")

    # --- all the program's windows, and its own end -------------------------

    def titles(self):
        """The titles of the program's visible windows, the pop-up's too.
        The search also reports the root window, and a window that has just
        gone has no name: no window of the program is untitled."""
        found = self.xdotool("search", "--onlyvisible", "--pid", str(self.client.pid), "--name", "").split()
        return [t for t in (self.xdotool("getwindowname", w) for w in found) if t]

    def wait_ended(self, what, timeout=30):
        """Until the program has ended by itself (File > Exit); it must end
        with 0."""
        try:
            code = self.client.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.shot("timeout")
            raise JourneyFailed("the program did not end within %d s of %s" % (timeout, what))
        if code != 0:
            raise JourneyFailed("the program ended with %d after %s" % (code, what))
    # --- how soon the window answers ----------------------------------------

    def probe_stalls(self):
        """The program's event-loop probe (KORVANT_STALL_LOG) for the starts
        that follow: each stall of its main loop with the time it ended."""
        self.stall_file = os.path.join(self.home, "stall.txt")
        self.env["KORVANT_STALL_LOG"] = self.stall_file

    def probe_report(self):
        """({figure: value}, [(end_ms, gap_ms, own_ms)]) of the probe's file."""
        figures, stalls = {}, []
        if not self.stall_file:
            raise JourneyFailed("the window's stalls are not probed (probe_stalls before the start)")
        try:
            with open(self.stall_file) as f:
                for line in f:
                    words = line.split()
                    if len(words) == 4 and words[0] == "stall":
                        stalls.append(tuple(int(w) for w in words[1:]))
                    elif len(words) == 2:
                        figures[words[0]] = int(words[1])
        except FileNotFoundError:
            pass
        return figures, stalls

    def past_start_up(self):
        """Until the window's loop has run for 1.5 s since now: the web engine
        starts on the main window's first paint, start-up's own work that a
        block timing something else must not count."""
        since = time.monotonic() * 1000 + 1500
        self.wait(lambda: self.probe_report()[0].get("last_tick_ms", 0) >= since, "the window past its start-up")

    @contextlib.contextmanager
    def answering(self, what):
        """The window answers within ANSWER_MS throughout the block: no stall
        of the program's main loop, by its own time, that overlaps the block
        reaches it. A loop still stalled when the block ends fails too."""
        start = time.monotonic() * 1000
        yield
        end = time.monotonic() * 1000
        ended = lambda: self.client is None or self.client.poll() is not None  # noqa: E731
        # The probe writes once a second, from the loop itself.
        limit = ANSWER_MS * self.slow
        deadline = time.monotonic() + limit / 1000 + 5
        while not ended() and self.probe_report()[0].get("last_tick_ms", 0) < end:
            if time.monotonic() > deadline:
                self.shot("timeout")
                raise JourneyFailed("%s: the window has not answered for %.1f s" %
                                    (what, (time.monotonic() * 1000 - self.probe_report()[0].get("last_tick_ms", 0))
                                     / 1000))
            time.sleep(0.2)
        stalls = [s for s in self.probe_report()[1] if s[0] >= start and s[0] - s[1] <= end]
        worst = max(stalls, key=lambda s: s[2], default=(0, 0, 0))
        print("%s: %.1f s; the window's longest wait %d ms (%d ms its own)" %
              (what, (end - start) / 1000, worst[1], worst[2]))
        if worst[2] >= limit:
            raise JourneyFailed("%s: the window did not answer for %d ms" % (what, worst[2]))

    # --- the program's own restart ------------------------------------------

    def adopt_restarts(self):
        """Restore and compaction end the program and start it anew, detached:
        as the orphans' reaper the harness can follow the new process and read
        its exit code."""
        import ctypes
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(36, 1, 0, 0, 0) != 0:  # PR_SET_CHILD_SUBREAPER
            raise JourneyFailed("cannot reap the restarted program (errno %d)" % ctypes.get_errno())

    def follow_restart(self):
        """Until the program has ended by itself (code 0) and its new process
        shows the main window; the harness then drives the new one."""
        old, self.client = self.client, None
        self.wait(lambda: old.poll() is not None, "the program to end for its restart", timeout=60)
        if old.returncode != 0:
            raise JourneyFailed("the program ended with %d before its restart" % old.returncode)
        pid = self.wait(lambda: self.restarted_pid(old.pid), "the restarted program", timeout=30)
        self.client = Restarted(pid)
        self.wait(lambda: self.main, "the restarted main window")
        self.maximize()

    def restarted_pid(self, old):
        program = os.path.realpath(os.path.join(self.bin, "korvant"))
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == old:
                continue
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as f:
                    argv = f.read().decode(errors="replace").split("\0")
            except OSError:
                continue
            if os.path.realpath(argv[0]) == program and self.data in argv:
                return int(entry)
        return None


class Restarted:
    """The program's process after its own restart, a child by adoption: the
    calls of subprocess.Popen the harness makes."""

    def __init__(self, pid):
        self.pid = pid
        self.returncode = None

    def poll(self):
        if self.returncode is None:
            try:
                pid, status = os.waitpid(self.pid, os.WNOHANG)
            except ChildProcessError:
                # Not adopted after all (no reaper): it is alive while /proc has it.
                if not os.path.exists("/proc/%d" % self.pid):
                    self.returncode = 0
                return self.returncode
            if pid:
                self.returncode = os.waitstatus_to_exitcode(status)
        return self.returncode

    def wait(self, timeout=None):
        deadline = time.monotonic() + (timeout if timeout is not None else 1e9)
        while self.poll() is None:
            if time.monotonic() > deadline:
                raise subprocess.TimeoutExpired("korvant", timeout)
            time.sleep(0.1)
        return self.returncode

    def send_signal(self, sig):
        if self.poll() is None:
            os.kill(self.pid, sig)

    def terminate(self):
        self.send_signal(signal.SIGTERM)

    def kill(self):
        self.send_signal(signal.SIGKILL)
