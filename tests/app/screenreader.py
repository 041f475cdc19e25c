#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The viewer on the bundled guide, as a screen reader sees it through AT-SPI.

Run by screenreader.sh inside a D-Bus session of its own: starts a virtual X
display, the accessibility bus and its registry, and a real viewer, then
checks with the pyatspi client that
  - the article lists its links as children and pressing one shows its article;
  - Tab reaches a link, which is told as focused, and Enter follows it;
  - F7 turns the caret on, Down moves it with a caret event, and the line
    under it can be read;
  - every shown object that takes the focus has a name.
Every wait polls for its condition with a bound; nothing waits a fixed time.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

WAIT = 30.0  # seconds, the bound of every wait

KEY_TAB = 0xFF09
KEY_RETURN = 0xFF0D
KEY_DOWN = 0xFF54
KEY_F7 = 0xFFC4
KEY_ESCAPE = 0xFF1B


class Failure(Exception):
    pass


def start_display(work):
    """Xvfb on a free display number; returns (process, ':N')."""
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        # -noreset: the server would start afresh whenever its last client
        # leaves (the bus launcher's first short visit), refusing clients
        # meanwhile.
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "xvfb.log"), "w"))
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + WAIT
    while not number.endswith(b"\n"):
        if time.monotonic() > deadline or process.poll() is not None:
            raise Failure("Xvfb did not start")
        chunk = os.read(read_end, 16)
        if not chunk:
            raise Failure("Xvfb did not tell its display")
        number += chunk
    os.close(read_end)
    return process, ":" + number.decode().strip()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--bus-launcher", required=True)
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="tolvane-atspi-")
    processes = []
    try:
        xvfb, display = start_display(work)
        processes.append(xvfb)
        os.environ["DISPLAY"] = display
        runtime = os.path.join(work, "run")
        os.mkdir(runtime, 0o700)
        os.environ["XDG_RUNTIME_DIR"] = runtime

        # The accessibility bus; the registry is started on it on demand.
        processes.append(subprocess.Popen([options.bus_launcher, "--launch-immediately"],
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        from gi.repository import Gio, GLib
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)

        def bus_address():
            try:
                reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                          None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NO_AUTO_START,
                                          2000, None)
                return reply.unpack()[0]
            except GLib.Error:
                return ""

        poll(bus_address, "the accessibility bus")

        import pyatspi
        context = GLib.MainContext.default()

        env = dict(os.environ)
        env.update({"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                    "QT_ACCESSIBILITY": "1", "LC_ALL": "C.UTF-8", "HOME": work})
        viewer = subprocess.Popen([options.viewer, "/D:" + options.source, "/A:" + os.path.join(work, "user")],
                                  env=env, stdout=open(os.path.join(work, "viewer.log"), "w"),
                                  stderr=subprocess.STDOUT)
        processes.append(viewer)

        caret_events = []
        focus_events = []  # names of the objects that took the focus
        shown_events = []  # (role, name) of the objects shown

        def on_caret(event):
            caret_events.append(event.detail1)

        def on_focus(event):
            if event.detail1 == 1:
                try:
                    focus_events.append(event.source.name)
                except Exception as error:  # told about an object already gone
                    focus_events.append("? %s" % error)

        def on_showing(event):
            if event.detail1 == 1:
                shown_events.append((event.source.getRole(), event.source.name))

        pyatspi.Registry.registerEventListener(on_caret, "object:text-caret-moved")
        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")

        def pump():
            while context.iteration(False):
                pass

        def wait(condition, what):
            return poll(condition, what, pump, viewer)

        def application():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == viewer.pid:
                    return app
            return None

        app = wait(application, "the viewer on the accessibility bus")
        frame = wait(lambda: next((c for c in children(app) if c.getRole() == pyatspi.ROLE_FRAME), None),
                     "the main window")
        article = wait(lambda: find(frame, lambda a: a.name.startswith("Article :")), "the article")
        wait(lambda: " - " in frame.name, "the main window named after its title")
        start_title = frame.name
        check(app.name == "VEK-Info", "the application is named %r" % app.name)
        status = wait(lambda: find(frame, lambda a: a.getRole() == pyatspi.ROLE_STATUS_BAR), "the status bar")
        wait(lambda: status.name == "Prêt", "the status bar named by its message")
        print("window:", frame.name, "| article:", article.name)

        # 1. Link children, and pressing one.
        links = wait(lambda: [c for c in children(article) if c.getRole() == pyatspi.ROLE_LINK], "links")
        print("links:", ", ".join(link.name for link in links))
        for link in links:
            check(link.name.strip() != "", "a link without a name")
            action = link.queryAction()
            check(action.nActions >= 1 and action.getName(0).lower() == "press",
                  "link %r has no press action" % link.name)
        target = next((link for link in links if link.description.startswith("Ouvre l'article")), None)
        check(target is not None, "no link to an article on the first page")
        expected = target.description.split("«")[1].split("»")[0].strip()
        before = frame.name
        pressed = target.name
        target.queryAction().doAction(0)
        wait(lambda: frame.name != before and frame.name.endswith(expected),
             "the title of %r after pressing its link" % expected)
        print("pressed %r: %s" % (pressed, frame.name))

        # 2. Back to the first page, then Tab to a link to an article, then Enter.
        home = wait(lambda: find(frame, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON
                                 and a.name == "Page d'accueil"), "the home button")
        go_home = lambda: (home.queryAction().doAction(0),
                           wait(lambda: frame.name == start_title, "the first page again"))
        go_home()
        article.queryComponent().grabFocus()
        wait(lambda: article.getState().contains(pyatspi.STATE_FOCUSED), "the focus in the article")
        chosen = None
        note_seen = False
        count = article.childCount
        for _ in range(count):
            previous = focused_index(pyatspi, article)
            focus_events.clear()
            key(pyatspi, KEY_TAB)
            index = wait(lambda: (lambda i: i + 1 if i >= 0 and i != previous else 0)(
                focused_index(pyatspi, article)), "a link in the focused state after Tab") - 1
            link = article.getChildAtIndex(index)
            name = link.name
            wait(lambda: name in focus_events,
                 lambda: "the focus event of link %r (events: %r)" % (name, focus_events))
            if link.description.startswith("Ouvre la note") and not note_seen:
                # Enter on a note's link: the note is shown as a tooltip, told
                # as it opens, with its text as description.
                caption = link.description.split("«")[1].split("»")[0].strip()
                shown_events.clear()
                key(pyatspi, KEY_RETURN)
                note = wait(lambda: next((c for c in children(app) if c.getRole() == pyatspi.ROLE_TOOL_TIP
                                          and c.getState().contains(pyatspi.STATE_SHOWING)), None),
                            "the note of %r" % name)
                check(note.name == "Note : " + caption, "the note is named %r" % note.name)
                check(note.description.strip() != "", "the note's text is not told")
                wait(lambda: (pyatspi.ROLE_TOOL_TIP, note.name) in shown_events, "the event of the note shown")
                print("note %r: %r" % (note.name, note.description[:60]))
                key(pyatspi, KEY_ESCAPE)
                wait(lambda: not any(c.getRole() == pyatspi.ROLE_TOOL_TIP and c.getState().contains(
                    pyatspi.STATE_SHOWING) for c in children(app)), "the note closed by Escape")
                check(focused_index(pyatspi, article) == index, "the link lost the focus with the note")
                note_seen = True
            if link.description.startswith("Ouvre l'article"):
                chosen = link
                break
        check(note_seen, "Tab reached no link to a note before a link to an article")
        check(chosen is not None, "Tab never reached a link to an article")
        expected = chosen.description.split("«")[1].split("»")[0].strip()
        before = frame.name
        pressed = chosen.name
        key(pyatspi, KEY_RETURN)
        wait(lambda: frame.name != before and frame.name.endswith(expected),
             "the title of %r after Enter on its link" % expected)
        print("Enter on %r: %s" % (pressed, frame.name))
        go_home()

        # 3. The caret: F7, then Down moves it and a line can be read.
        text = article.queryText()
        key(pyatspi, KEY_F7)
        caret_events.clear()
        start = text.caretOffset
        key(pyatspi, KEY_DOWN)
        wait(lambda: caret_events and text.caretOffset > start, "a caret event after Down")
        offset = text.caretOffset
        line, line_start, line_end = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)
        whole = text.getText(0, -1)
        check(line.strip() != "" and line_start <= offset <= line_end, "no line at the caret (%d)" % offset)
        check(line in whole, "the line read is not the article's text")
        print("caret at %d, line: %r" % (offset, line.strip()))
        key(pyatspi, KEY_F7)

        # 4. Every shown object that takes the focus has a name, in the main
        # window and in the find and bookmark windows opened from the toolbar.
        for tool, title in (("Rechercher", "Rechercher"), ("Liste des signets", "Liste des signets")):
            button = wait(lambda: find(frame, lambda a: a.name == tool and a.getRole() in (
                pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX)), "the %r button" % tool)
            button.queryAction().doAction(0)
            wait(lambda: any(c.name.startswith(title) and c.getState().contains(pyatspi.STATE_SHOWING)
                             for c in children(app)), "the %r window" % title)
        unnamed = []
        walk(pyatspi, app, unnamed)
        check(not unnamed, "focusable objects without a name: " + "; ".join(unnamed))
        print("every focusable object has a name")
        print("PASS")
        return 0
    except Failure as failure:
        print("FAIL:", failure)
        display = os.environ.get("DISPLAY", "")
        print("Xvfb running:", processes and processes[0].poll() is None, "socket:",
              os.path.exists("/tmp/.X11-unix/X" + display.lstrip(":")), display)
        try:
            print(open(os.path.join(work, "xvfb.log")).read()[-2000:])
        except OSError:
            pass
        log = os.path.join(work, "viewer.log")
        if os.path.exists(log):
            sys.stdout.write(open(log, errors="replace").read()[-4000:])
        return 1
    finally:
        for process in reversed(processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(work, ignore_errors=True)


def poll(condition, what, pump=None, viewer=None):
    deadline = time.monotonic() + WAIT
    while True:
        if pump is not None:
            pump()
        if viewer is not None and viewer.poll() is not None:
            raise Failure("the viewer ended (%d) while waiting for %s" % (viewer.returncode, what))
        try:
            value = condition()
        except Exception:  # an object gone or not there yet: ask again
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("no %s within %d s" % (what() if callable(what) else what, WAIT))
        time.sleep(0.05)


def check(condition, message):
    if not condition:
        raise Failure(message)


def children(accessible):
    return [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]


def find(root, predicate, depth=0):
    if root is None or depth > 30:
        return None
    if predicate(root):
        return root
    for child in children(root):
        try:
            found = find(child, predicate, depth + 1)
        except Exception:  # an object gone meanwhile
            found = None
        if found is not None:
            return found
    return None


def focused_index(pyatspi, article):
    for i, child in enumerate(children(article)):
        if child.getState().contains(pyatspi.STATE_FOCUSED):
            return i
    return -1


def key(pyatspi, keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)


def walk(pyatspi, accessible, unnamed, depth=0):
    if accessible is None or depth > 40:
        return
    state = accessible.getState()
    if not state.contains(pyatspi.STATE_SHOWING):
        if accessible.getRole() != pyatspi.ROLE_APPLICATION:
            return
    if state.contains(pyatspi.STATE_FOCUSABLE) and accessible.name.strip() == "":
        unnamed.append("%s in %s" % (accessible.getRoleName(), accessible.parent.name if accessible.parent else "-"))
    for child in children(accessible):
        walk(pyatspi, child, unnamed, depth + 1)


if __name__ == "__main__":
    sys.exit(main())
