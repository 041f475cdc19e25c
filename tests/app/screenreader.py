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
  - Alt+Left and Alt+Right step back and forward, and Ctrl+R after a restart
    shows the article the reader left (reading_place);
  - Ctrl+Shift+P opens the print preview, titled and with named tools, and
    Escape closes it (print_preview_by_keys);
  - Ctrl+I opens the keyword index, typing selects a keyword as it goes,
    Enter shows its article and Escape closes the index;
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
KEY_LEFT = 0xFF51
KEY_RIGHT = 0xFF53
KEY_NEXT = 0xFF56
KEYSYM_R = 0x72
# Key codes of the modifiers in the X server's default keymap.
KEYCODE_CONTROL_L = 37
KEYCODE_ALT_L = 64


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

        # 4. The keyword index: Ctrl+I, typing, Enter; then the print preview.
        index_scenario(pyatspi, app, frame, article, wait)
        go_home()
        print_preview_by_keys(pyatspi, app, wait)

        # 5. Every shown object that takes the focus has a name, in the main
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

        viewer.terminate()
        viewer.wait(timeout=WAIT)
        reading_place(pyatspi, context, options, env, work, processes)
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


def reading_place(pyatspi, context, options, env, work, processes):
    """Forward after Back by the keys, then the place kept over a restart.

    A viewer of its own, with a configuration folder of its own: follow a
    link, scroll, Alt+Left, Alt+Right (the "Page suivante" button enabled in
    between only), close it as a second start with /F does, start it again:
    the start article is shown, and Ctrl+R brings back the article left at
    the line it was left at."""
    env = dict(env, XDG_CONFIG_HOME=os.path.join(work, "config"))
    command = [options.viewer, "/D:" + options.source, "/A:" + os.path.join(work, "place")]

    def pump():
        while context.iteration(False):
            pass

    def start():
        viewer = subprocess.Popen(command, env=env, stdout=open(os.path.join(work, "viewer.log"), "a"),
                                  stderr=subprocess.STDOUT)
        processes.append(viewer)
        wait = lambda condition, what: poll(condition, what, pump, viewer)
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait(lambda: next((a for a in children(desktop) if a is not None
                                 and a.get_process_id() == viewer.pid), None), "the viewer on the bus")
        frame = wait(lambda: next((c for c in children(app) if c.getRole() == pyatspi.ROLE_FRAME), None),
                     "the main window")
        article = wait(lambda: find(frame, lambda a: a.name.startswith("Article :")), "the article")
        wait(lambda: " - " in frame.name, "the main window named after its title")
        article.queryComponent().grabFocus()
        wait(lambda: article.getState().contains(pyatspi.STATE_FOCUSED), "the focus in the article")
        return viewer, wait, frame, article

    def chord(keycode, keysym):
        pyatspi.Registry.generateKeyboardEvent(keycode, None, pyatspi.KEY_PRESS)
        key(pyatspi, keysym)
        pyatspi.Registry.generateKeyboardEvent(keycode, None, pyatspi.KEY_RELEASE)

    def top_offset(article):
        # The character at the article's top left corner: where it is scrolled to.
        x, y, _, _ = article.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return article.queryText().getOffsetAtPoint(x + 8, y + 8, pyatspi.DESKTOP_COORDS)

    viewer, wait, frame, article = start()
    start_title = frame.name
    forward = wait(lambda: find(frame, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON
                                and a.name == "Page suivante"), "the forward button")
    check(forward.description == "Page suivante dans l'historique",
          "the forward button is described as %r" % forward.description)
    enabled = lambda: forward.getState().contains(pyatspi.STATE_SENSITIVE)
    check(not enabled(), "Forward is enabled before any Back step")
    # The guide's long article, which scrolls.
    link = wait(lambda: next((c for c in children(article) if c.getRole() == pyatspi.ROLE_LINK
                              and c.description.startswith("Ouvre l'article") and "long" in c.name), None),
                "a link to the long article")
    expected = link.description.split("«")[1].split("»")[0].strip()
    link.queryAction().doAction(0)
    wait(lambda: frame.name != start_title and frame.name.endswith(expected), "the article of the link")
    left_title = frame.name
    article.queryComponent().grabFocus()
    for _ in range(3):
        key(pyatspi, KEY_NEXT)
    wait(lambda: top_offset(article) > 0, lambda: "the article scrolled down (%d)" % top_offset(article))
    left_at = top_offset(article)
    chord(KEYCODE_ALT_L, KEY_LEFT)
    wait(lambda: frame.name == start_title, "the first article after Alt+Left")
    wait(enabled, "the forward button enabled after Back")
    chord(KEYCODE_ALT_L, KEY_RIGHT)
    wait(lambda: frame.name == left_title, "the article left, after Alt+Right")
    wait(lambda: top_offset(article) == left_at, "the article at the line it was left at")
    wait(lambda: not enabled(), "the forward button disabled at the newest article")
    print("Alt+Left, Alt+Right: %s at %d" % (frame.name, left_at))

    closer = subprocess.run([options.viewer, "/D:" + options.source, "/F"], env=env, timeout=WAIT)
    check(closer.returncode == 0, "the closing start ended with %d" % closer.returncode)
    viewer.wait(timeout=WAIT)
    kept = os.listdir(os.path.join(work, "config", "tolvane"))
    check(len(kept) == 1, "the configuration folder holds %r" % kept)

    viewer, wait, frame, article = start()
    wait(lambda: frame.name == start_title, "the start article after a restart")
    chord(KEYCODE_CONTROL_L, KEYSYM_R)
    wait(lambda: frame.name == left_title, "the article left, after Ctrl+R")
    wait(lambda: top_offset(article) == left_at, "the line it was left at, after Ctrl+R")
    print("Ctrl+R after a restart: %s at %d" % (frame.name, left_at))


def print_preview_by_keys(pyatspi, app, wait):
    """Ctrl+Shift+P shows the window "Aperçu avant impression" over the
    article, its tools named in French; Escape closes it."""
    title = "Aperçu avant impression"

    def preview_shown():
        return next((c for c in children(app) if c.name == title
                     and c.getState().contains(pyatspi.STATE_SHOWING)), None)

    control_shift = 1 << 2 | 1 << 0  # the X ControlMask and ShiftMask
    pyatspi.Registry.generateKeyboardEvent(control_shift, None, pyatspi.KEY_LOCKMODIFIERS)
    key(pyatspi, ord("p"))
    pyatspi.Registry.generateKeyboardEvent(control_shift, None, pyatspi.KEY_UNLOCKMODIFIERS)
    preview = wait(preview_shown, "the window %r after Ctrl+Shift+P" % title)
    check(preview.getRole() == pyatspi.ROLE_DIALOG, "the preview is a %s" % preview.getRoleName())
    tools = wait(lambda: [c.name for c in descendants(preview) if c.getRole() == pyatspi.ROLE_PUSH_BUTTON],
                 "the preview's tools")
    for name in ("Page suivante", "Page précédente", "Agrandir", "Réduire", "Imprimer"):
        check(name in tools, "no tool %r in the preview (%s)" % (name, ", ".join(tools)))
    unnamed = []
    walk(pyatspi, preview, unnamed)
    check(not unnamed, "focusable objects without a name in the preview: " + "; ".join(unnamed))
    key(pyatspi, KEY_ESCAPE)
    wait(lambda: preview_shown() is None, "the preview closed by Escape")
    print("print preview: %s, %d tools" % (title, len(tools)))


def descendants(root, depth=0):
    if root is None or depth > 30:
        return []
    found = []
    for child in children(root):
        found.append(child)
        found.extend(descendants(child, depth + 1))
    return found


def index_scenario(pyatspi, app, frame, article, wait):
    """Ctrl+I from the article opens the index; the letters typed select the
    first keyword that starts so, accented or not; Enter shows its article,
    or for a keyword of two articles the list of their titles, where Enter
    shows the one chosen; everything there has a name; Escape closes the
    index."""
    article.queryComponent().grabFocus()
    wait(lambda: article.getState().contains(pyatspi.STATE_FOCUSED), "the focus in the article")
    control = control_keycode()
    pyatspi.Registry.generateKeyboardEvent(control, None, pyatspi.KEY_PRESS)
    key(pyatspi, ord("i"))
    pyatspi.Registry.generateKeyboardEvent(control, None, pyatspi.KEY_RELEASE)
    window = wait(lambda: next((c for c in children(app) if c.name == "Index"
                                and c.getState().contains(pyatspi.STATE_SHOWING)), None),
                  "the index window after Ctrl+I")
    field = wait(lambda: find(window, lambda a: a.name == "Début du mot-clé"), "the index's field")
    wait(lambda: field.getState().contains(pyatspi.STATE_FOCUSED), "the focus in the index's field")
    keywords = wait(lambda: find(window, lambda a: a.name == "Mots-clés"), "the list of keywords")

    def selected():
        chosen = [c.name for c in children(keywords) if c.getState().contains(pyatspi.STATE_SELECTED)]
        return chosen[0] if chosen else ""

    # "déf" and "def" both lead to the first keyword spelt so, "défilement".
    for typed, expected in (("déf", "défilement"), ("index", "index")):
        field.queryEditableText().setTextContents("")
        pyatspi.Registry.generateKeyboardEvent(0, typed, pyatspi.KEY_STRING)
        wait(lambda: selected() == expected,
             lambda: "%r selected after typing %r (it is %r)" % (expected, typed, selected()))
        print("typed %r: %r selected" % (typed, selected()))
    before = frame.name
    key(pyatspi, KEY_RETURN)
    wait(lambda: frame.name != before and frame.name.endswith("Rechercher dans tous les articles"),
         "the article of the keyword after Enter")
    print("Enter on 'index':", frame.name)
    # A keyword of two articles asks which one, by their titles.
    field.queryEditableText().setTextContents("")
    pyatspi.Registry.generateKeyboardEvent(0, "imprimer", pyatspi.KEY_STRING)
    wait(lambda: selected() == "imprimer", "'imprimer' selected")
    key(pyatspi, KEY_RETURN)
    choice = wait(lambda: next((c for c in children(app) if c.name == "Articles trouvés"
                                and c.getState().contains(pyatspi.STATE_SHOWING)), None),
                  "the list of the keyword's articles")
    unnamed = []
    for shown in (window, choice):
        walk(pyatspi, shown, unnamed)
    check(not unnamed, "focusable objects without a name in the index: " + "; ".join(unnamed))
    titles = wait(lambda: find(choice, lambda a: a.name == "Articles du mot-clé"), "the titles")
    names = [c.name for c in children(titles)]
    check(names == ["Imprimer dans un fichier PDF", "Imprimer un article"], "the titles are %r" % names)
    before = frame.name
    key(pyatspi, KEY_RETURN)
    wait(lambda: frame.name != before and frame.name.endswith("Imprimer dans un fichier PDF"),
         "the first title's article after Enter")
    print("Enter on 'imprimer', then on its first title:", frame.name)
    wait(lambda: not choice.getState().contains(pyatspi.STATE_SHOWING), "the list of titles closed")
    wait(lambda: field.getState().contains(pyatspi.STATE_FOCUSED), "the focus back in the index's field")
    key(pyatspi, KEY_ESCAPE)
    wait(lambda: not window.getState().contains(pyatspi.STATE_SHOWING), "the index closed by Escape")


def control_keycode():
    """The key code of Control_L on the display (37 in the usual keymaps)."""
    try:
        table = subprocess.run(["xmodmap", "-pke"], capture_output=True, text=True, timeout=10).stdout
        for line in table.splitlines():
            if "= Control_L" in line:
                return int(line.split()[1])
    except (OSError, subprocess.SubprocessError, ValueError):
        pass
    return 37


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
