#!/usr/bin/python3
"""Walks the running program's accessible tree through AT-SPI, as a screen reader sees it.

Started by run_atspi_walk.sh inside a private X server and D-Bus session. The expected controls
come from the window tables (printed as JSON by window_tables_json), so the walk checks the
program against the same data the front end builds its windows from. It starts the program in a
temporary working folder, then checks:
  - every control of the main window and the About dialog, with its role, name and description;
  - the lists' rows, and the SELECTED state of the row picked;
  - the labels' texts (through the Text interface and the description) and the events that tell
    a screen reader they changed;
  - the Yes/No questions and the input box: their text and buttons, answered No or Cancel, with
    the working folder left as it was;
  - focus events for the control that takes the focus.
Prints one line per check and a closing "N passed, N failed" line; exits 1 on any failure.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

APP_NAME = "Vantrel"

# Files and folders of the working folder the program starts in: name -> contents or None.
WORK_FILES = {"alpha.txt": b"hello", "beta.dat": b"0123456789abcdef"}
WORK_FOLDERS = ["gamma"]

ROLES = {
    "frame": {"panel", "grouping"},
    "drive_list": {"combo box"},
    "folder_list": {"list", "list box", "tree", "table"},
    "file_list": {"list", "list box", "tree", "table"},
    "label": {"label", "static"},
    "button": {"push button"},
    "picture_box": {"image", "icon"},
}


class Walk:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.events = []

    def check(self, condition, what, detail=""):
        if condition:
            self.passed += 1
            print("ok    " + what, flush=True)
        else:
            self.failed += 1
            print("FAIL  " + what + (": " + detail if detail else ""), flush=True)
        return condition

    # Events arrive while the main context runs: every wait pumps it.
    def pump(self, seconds=0.0):
        end = time.monotonic() + seconds
        context = GLib.MainContext.default()
        while True:
            while context.pending():
                context.iteration(False)
            if time.monotonic() >= end:
                return
            time.sleep(0.02)

    def wait_for(self, condition, seconds=10.0):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.pump()
            try:
                result = condition()
            except Exception:  # objects come and go while a window opens or closes
                result = None
            if result:
                return result
            time.sleep(0.05)
        return None

    def on_event(self, event):
        try:
            source = event.source
            self.events.append(
                (event.type, source.getRoleName(), source.name, event.detail1, event.any_data)
            )
        except Exception:
            self.events.append((event.type, None, None, event.detail1, event.any_data))


def removing_access_marks(caption):
    out = []
    i = 0
    while i < len(caption):
        if caption[i] == "&":
            i += 1
            if i == len(caption):
                break
        out.append(caption[i])
        i += 1
    return "".join(out)


def children(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child


def descendants(node):
    for child in children(node):
        yield child
        yield from descendants(child)


def states(node):
    return set(node.getState().getStates())


def has_state(node, state):
    return state in states(node)


def text_of(node):
    """The text a screen reader reads from the Text interface, or None without one."""
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, -1)


def interfaces(node):
    return set(pyatspi.utils.listInterfaces(node))


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.name == APP_NAME:
            return app
    return None


def top_windows(app):
    return [w for w in children(app) if w.getRoleName() in ("frame", "dialog", "window", "alert")]


def find(root, role, name=None, description=None):
    for node in descendants(root):
        if node.getRoleName() != role:
            continue
        if name is not None and node.name != name:
            continue
        if description is not None and node.description != description:
            continue
        return node
    return None


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "click", "activate", "Press"):
            return action.doAction(i)
    return action.doAction(0)


def folder_state(folder):
    state = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs:
            state[os.path.relpath(os.path.join(root, name), folder)] = None
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                state[os.path.relpath(path, folder)] = f.read()
    return state


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=20)


# What the walk expects a control of the tables to show.
def expected_name(control):
    if control["kind"] in ("button", "frame"):
        return removing_access_marks(control["caption"])
    return control["accessible_name"] or None


def locate(window, control):
    """The accessible object of a table's control, found by its role and what names it."""
    roles = ROLES.get(control["kind"])
    if roles is None:
        return None
    for node in descendants(window):
        if node.getRoleName() not in roles:
            continue
        if control["kind"] == "drive_list":
            # A combo box is named by its current value; what it is stays in its description.
            if node.description == control["accessible_name"]:
                return node
        elif expected_name(control) is not None:
            if node.name == expected_name(control):
                return node
    return None


def check_controls(walk, window, table, captions=None):
    """Every control of a window's table, with its role, name and description."""
    captions = captions or {}
    for control in table["controls"]:
        kind = control["kind"]
        name = control["name"]
        if kind == "line":
            continue  # drawn rules, not controls: checked below as decoration
        if kind == "label" and not control["accessible_name"]:
            shown = captions.get(name, control["caption"])
            node = next(
                (n for n in descendants(window)
                 if n.getRoleName() in ROLES["label"] and shown is not None and n.name == shown),
                None)
            walk.check(node is not None, f"{table['name']}.{name}: a label named by its text",
                       f"expected {shown!r}")
            continue
        node = locate(window, control)
        if not walk.check(node is not None,
                          f"{table['name']}.{name}: present as {sorted(ROLES.get(kind, []))} "
                          f"named {expected_name(control) or control['accessible_name']!r}"):
            continue
        if kind == "picture_box":
            walk.check(bool(node.name), f"{table['name']}.{name}: a picture that takes the "
                       "focus has a name", f"name {node.name!r}")
        expected_description = control["tooltip"]
        if kind == "drive_list":
            expected_description = control["accessible_name"]
        if kind == "label" and control["accessible_name"]:
            # The purpose is the name; what the label shows now is its description and its text.
            expected_description = captions.get(name, control["caption"]).strip()
            walk.check(
                (text_of(node) or "").strip() == expected_description,
                f"{table['name']}.{name}: its shown text is readable through the Text interface",
                f"text {text_of(node)!r}, expected {expected_description!r}")
        walk.check(node.description.strip() == expected_description.strip(),
                   f"{table['name']}.{name}: description {expected_description!r}",
                   f"got {node.description!r}")
        # Frames only group controls: like labels, they never take the focus.
        takes_focus = control["takes_focus"] and kind != "frame"
        walk.check(has_state(node, pyatspi.STATE_FOCUSABLE) == takes_focus,
                   f"{table['name']}.{name}: focusable is {takes_focus}")
    # The rules drawn between the About dialog's parts are decoration: nothing a screen reader
    # stops at or names.
    for node in descendants(window):
        if node.getRoleName() in ("filler", "separator") and not node.name:
            walk.check(not has_state(node, pyatspi.STATE_FOCUSABLE),
                       f"{table['name']}: an unnamed {node.getRoleName()} does not take the focus")


def check_menus(walk, window, table):
    bar = find(window, "menu bar")
    if not walk.check(bar is not None, f"{table['name']}: menu bar"):
        return
    titles = [c for c in children(bar) if c.getRoleName() == "menu item" or
              c.getRoleName() == "menu"]
    walk.check([removing_access_marks(m["caption"]) for m in table["menus"]] ==
               [t.name for t in titles], f"{table['name']}: menu titles in order",
               f"got {[t.name for t in titles]}")
    for menu in table["menus"]:
        title = next((t for t in titles if t.name == removing_access_marks(menu["caption"])), None)
        if title is None:
            continue
        items = [n.name for n in descendants(title) if n.getRoleName() == "menu item"]
        expected = [removing_access_marks(i["caption"]) for i in menu["items"]]
        walk.check(items == expected, f"{table['name']}: menu {menu['caption']!r} items {expected}",
                   f"got {items}")


def rows(list_node):
    return [c for c in children(list_node) if c.getRoleName() in ("list item", "table cell")]


def row_named(list_node, name):
    return next((r for r in rows(list_node) if r.name == name), None)


def focused_events(walk, since):
    return [e for e in walk.events[since:]
            if e[0].startswith("object:state-changed:focused") and e[3] == 1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--tables", required=True, help="window_tables_json's output")
    args = parser.parse_args()

    with open(args.tables, encoding="utf-8") as f:
        tables = {w["name"]: w for w in json.load(f)["windows"]}
    form2 = tables["Form2"]
    about = tables["frmAbout"]

    walk = Walk()
    temp = tempfile.mkdtemp(prefix="vantrel-atspi-")
    work = os.path.join(temp, "work")
    runtime = os.path.join(temp, "runtime")
    os.makedirs(work)
    os.makedirs(runtime, mode=0o700)
    for name, contents in WORK_FILES.items():
        with open(os.path.join(work, name), "wb") as f:
            f.write(contents)
    for name in WORK_FOLDERS:
        os.mkdir(os.path.join(work, name))
    before = folder_state(work)

    for event in ("object:state-changed:focused", "object:state-changed:selected",
                  "object:text-changed", "object:property-change:accessible-name",
                  "object:property-change:accessible-description"):
        pyatspi.Registry.registerEventListener(walk.on_event, event)

    env = dict(os.environ)
    env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_RUNTIME_DIR=runtime, QT_ACCESSIBILITY="1")
    log = open(os.path.join(temp, "vantrel.log"), "wb")
    program = subprocess.Popen([args.program], cwd=work, env=env, stdout=log, stderr=log)
    try:
        run(walk, form2, about, work, before)
    finally:
        if program.poll() is None:
            program.kill()
        program.wait()
        log.close()
        if walk.failed:
            with open(os.path.join(temp, "vantrel.log"), encoding="utf-8", errors="replace") as f:
                output = f.read().strip()
            if output:
                print("program output:\n" + output)
        shutil.rmtree(temp, ignore_errors=True)
    print(f"{walk.passed} passed, {walk.failed} failed")
    return 1 if walk.failed or walk.passed == 0 else 0


def run(walk, form2, about, work, before):
    app = walk.wait_for(find_app, 30)
    if not walk.check(app is not None, f"the program shows as {APP_NAME!r} on the desktop"):
        return
    main_window = walk.wait_for(
        lambda: next((w for w in top_windows(app) if w.name == form2["caption"]), None), 20)
    if not walk.check(main_window is not None, f"main window {form2['caption']!r}"):
        return
    # The lists are filled once the window has loaded.
    walk.wait_for(lambda: find(main_window, "list item", "alpha.txt"), 10)
    check_controls(walk, main_window, form2)
    check_menus(walk, main_window, form2)

    files = locate(main_window, next(c for c in form2["controls"] if c["name"] == "File1"))
    folders = locate(main_window, next(c for c in form2["controls"] if c["name"] == "Dir1"))
    destination = locate(main_window, next(c for c in form2["controls"] if c["name"] == "File2"))
    file_name = locate(main_window, next(c for c in form2["controls"] if c["name"] == "Label1"))
    file_size = locate(main_window, next(c for c in form2["controls"] if c["name"] == "Label2"))
    if None in (files, folders, destination, file_name, file_size):
        walk.check(False, "the lists and labels the rest of the walk uses")
        return

    # Rows: the working folder's files in the file lists, its subfolder in the folder list.
    expected_files = sorted(WORK_FILES)
    walk.check([r.name for r in rows(files)] == expected_files,
               f"Source files lists the rows {expected_files}",
               f"got {[r.name for r in rows(files)]}")
    walk.check([r.name for r in rows(destination)] == expected_files,
               f"Destination files lists the rows {expected_files}")
    folder_rows = [r.name for r in rows(folders)]
    walk.check(folder_rows[-1:] == WORK_FOLDERS and os.path.basename(work) in folder_rows,
               "Source folders lists the open folder and its subfolder", f"got {folder_rows}")
    open_row = row_named(folders, os.path.basename(work))
    walk.check(open_row is not None and has_state(open_row, pyatspi.STATE_SELECTED),
               "Source folders marks the open folder SELECTED")

    # Selecting a row through the Table interface marks it, as a screen reader's command would.
    beta_dest = row_named(destination, "beta.dat")
    selected = False
    try:
        selected = destination.queryTable().addRowSelection(expected_files.index("beta.dat"))
    except NotImplementedError:
        pass
    walk.check(selected and walk.wait_for(lambda: has_state(beta_dest, pyatspi.STATE_SELECTED), 5),
               "Destination files: a row selected through AT-SPI is SELECTED")

    # The keyboard: the window takes the X input focus, then the file list the widget focus.
    window_ids = subprocess.run(["xdotool", "search", "--name", "^" + form2["caption"] + "$"],
                                capture_output=True, text=True, timeout=20).stdout.split()
    if not walk.check(len(window_ids) >= 1, "the main window found on the X server"):
        return
    xdotool("windowfocus", "--sync", window_ids[0])
    walk.check(walk.wait_for(lambda: has_state(main_window, pyatspi.STATE_ACTIVE), 5),
               "the main window is ACTIVE once it has the input focus")
    # Exit takes the focus through AT-SPI (Qt 6.4 offers no focus action for its combo boxes and
    # lists); Tab then goes round to the first control, the source drive, and on to the files.
    exit_button = find(main_window, "push button", "Exit")
    drive = locate(main_window, next(c for c in form2["controls"] if c["name"] == "Drive1"))
    mark = len(walk.events)
    walk.check(exit_button is not None and exit_button.queryComponent().grabFocus(),
               "Exit takes the focus through AT-SPI")
    walk.check(walk.wait_for(lambda: has_state(exit_button, pyatspi.STATE_FOCUSED), 5),
               "Exit is FOCUSED")
    walk.check(walk.wait_for(lambda: any(e[2] == "Exit" for e in focused_events(walk, mark)), 5),
               "a focus event for Exit", f"events {focused_events(walk, mark)}")
    mark = len(walk.events)
    xdotool("key", "--clearmodifiers", "Tab")
    walk.check(walk.wait_for(lambda: has_state(drive, pyatspi.STATE_FOCUSED), 5),
               "Tab: Source drive is FOCUSED")
    walk.check(walk.wait_for(lambda: any(e[1] == "combo box" for e in
                                         focused_events(walk, mark)), 5),
               "Tab: a focus event for Source drive", f"events {focused_events(walk, mark)}")
    mark = len(walk.events)
    xdotool("key", "--clearmodifiers", "Tab")
    walk.check(walk.wait_for(lambda: has_state(files, pyatspi.STATE_FOCUSED), 5),
               "Tab: Source files is FOCUSED")
    walk.check(walk.wait_for(lambda: any(e[2] == "Source files"
                                         for e in focused_events(walk, mark)), 5),
               "Tab: a focus event for Source files", f"events {focused_events(walk, mark)}")

    # End picks the last file, Home the first; the labels follow. (Taking the focus makes the
    # first row current without picking it, as in a classic list box.)
    for key, name in (("End", expected_files[-1]), ("Home", expected_files[0])):
        mark = len(walk.events)
        xdotool("key", "--clearmodifiers", key)
        row = row_named(files, name)
        walk.check(walk.wait_for(lambda: has_state(row, pyatspi.STATE_SELECTED), 5),
                   f"Source files: {name} is SELECTED after the key")
        name_text = "Filename:" + name
        size_text = f"Filesize: {len(WORK_FILES[name])} Bytes"
        walk.check(walk.wait_for(lambda: text_of(file_name) == name_text, 5),
                   f"File name label reads {name_text!r}", f"text {text_of(file_name)!r}")
        walk.check(walk.wait_for(lambda: text_of(file_size) == size_text, 5),
                   f"File size label reads {size_text!r}", f"text {text_of(file_size)!r}")
        walk.check(file_name.description == name_text and file_size.description == size_text,
                   "the labels' descriptions follow their texts",
                   f"got {file_name.description!r}, {file_size.description!r}")
        walk.check(file_name.name == "File name" and file_size.name == "File size",
                   "the labels keep their names")
        walk.check(walk.wait_for(lambda: any(
            e[0].startswith("object:text-changed") and e[2] == "File name"
            for e in walk.events[mark:]), 5), "a text-changed event from the File name label")
        walk.check(any(e[0] == "object:property-change:accessible-description" and
                       e[2] == "File size" for e in walk.events[mark:]),
                   "a description-change event from the File size label")
        walk.check(any(e[0].startswith("object:state-changed:focused") and e[3] == 1 and
                       e[2] == name for e in walk.events[mark:]),
                   f"a focus event for the row {name}")

    # Tab moves on in the tab order: from the file list to the folder list.
    mark = len(walk.events)
    xdotool("key", "--clearmodifiers", "Tab")
    walk.check(walk.wait_for(lambda: has_state(folders, pyatspi.STATE_FOCUSED), 5),
               "Tab: Source folders is FOCUSED")
    walk.check(walk.wait_for(lambda: any(e[2] == "Source folders"
                                         for e in focused_events(walk, mark)), 5),
               "Tab: a focus event for Source folders", f"events {focused_events(walk, mark)}")
    walk.check(not has_state(files, pyatspi.STATE_FOCUSED), "Tab: Source files lost the focus")

    # The questions, answered No: nothing changes on disk.
    check_question(walk, app, main_window, "Delete..", "Are you sure to delete alpha.txt", "No")
    check_question(walk, app, main_window, "Copy +Paste", "Are you sure copying from", "No")
    check_question(walk, app, main_window, "Move File..", "Are you sure moving from", "No")
    check_input_box(walk, app, main_window)
    walk.check(folder_state(work) == before, "the working folder is as it was")

    check_about(walk, app, main_window, about)


def dialog_windows(app, main_window):
    return [w for w in top_windows(app) if w.name != main_window.name and
            has_state(w, pyatspi.STATE_SHOWING) and
            find(w, "push button") is not None]


def all_text(window):
    texts = []
    for node in descendants(window):
        texts.append(node.name)
        text = text_of(node)
        if text:
            texts.append(text)
    return "\n".join(texts)


def check_question(walk, app, main_window, button, prompt, answer):
    node = find(main_window, "push button", button)
    if not walk.check(node is not None, f"{button}: the button"):
        return
    press(node)
    dialog = walk.wait_for(lambda: next(iter(dialog_windows(app, main_window)), None), 10)
    if not walk.check(dialog is not None, f"{button}: a question opens"):
        return
    walk.check(prompt in all_text(dialog), f"{button}: the question reads {prompt!r}",
               f"found {all_text(dialog)!r}")
    buttons = sorted(b.name.replace("&", "") for b in descendants(dialog)
                     if b.getRoleName() == "push button")
    walk.check(buttons == ["No", "Yes"], f"{button}: its buttons are Yes and No", f"got {buttons}")
    answer_button = next(b for b in descendants(dialog) if b.getRoleName() == "push button" and
                         b.name.replace("&", "") == answer)
    press(answer_button)
    walk.check(walk.wait_for(lambda: not dialog_windows(app, main_window), 10),
               f"{button}: {answer} closes the question")


def check_input_box(walk, app, main_window):
    node = find(main_window, "push button", "New Folder..")
    if not walk.check(node is not None, "New Folder..: the button"):
        return
    press(node)
    dialog = walk.wait_for(lambda: next(iter(dialog_windows(app, main_window)), None), 10)
    if not walk.check(dialog is not None, "New Folder..: the input box opens"):
        return
    walk.check("enter the new folder name" in all_text(dialog),
               "New Folder..: the input box asks for the folder name",
               f"found {all_text(dialog)!r}")
    entry = next((n for n in descendants(dialog) if n.getRoleName() in ("text", "entry")), None)
    walk.check(entry is not None and "Text" in interfaces(entry) and
               "EditableText" in interfaces(entry), "New Folder..: an editable text field")
    buttons = sorted(b.name.replace("&", "") for b in descendants(dialog)
                     if b.getRoleName() == "push button")
    walk.check(buttons == ["Cancel", "OK"], "New Folder..: its buttons are OK and Cancel",
               f"got {buttons}")
    if entry is not None:
        try:
            entry.queryEditableText().setTextContents("not-made")
        except NotImplementedError:
            pass
    cancel = next((b for b in descendants(dialog) if b.getRoleName() == "push button" and
                   b.name.replace("&", "") == "Cancel"), None)
    if cancel is not None:
        press(cancel)
    walk.check(walk.wait_for(lambda: not dialog_windows(app, main_window), 10),
               "New Folder..: Cancel closes the input box")


def check_about(walk, app, main_window, about):
    item = find(main_window, "menu item", "About")
    if not walk.check(item is not None, "About: the menu item"):
        return
    press(item)
    window = walk.wait_for(lambda: next((w for w in top_windows(app)
                                         if w.name.startswith(about["caption"])), None), 10)
    if not walk.check(window is not None, "About: the dialog opens"):
        return
    version = next((n.name for n in descendants(window)
                    if n.getRoleName() == "label" and n.name.startswith("Version ")), None)
    walk.check(version is not None, "About: a version label")
    check_controls(walk, window, about, {"lblTitle": APP_NAME, "lblVersion": version})
    ok = find(window, "push button", "OK")
    if ok is not None:
        press(ok)
        walk.check(walk.wait_for(lambda: not any(
            w.name.startswith(about["caption"]) and has_state(w, pyatspi.STATE_SHOWING)
            for w in top_windows(app)), 10), "About: OK closes the dialog")


if __name__ == "__main__":
    sys.exit(main())
