#!/usr/bin/python3
# Reads the program as a screen reader does, through the accessibility bus (AT-SPI): every
# control that takes the focus has a name in the interface language, the lamps say their
# blocks' state and tell of a change, the status lines hold the compile's outcome, and Tab,
# Shift+Tab and Ctrl+Tab walk the main window's controls round in the designed order without
# being caught anywhere. Keys go through the X server (xdotool), as a user's do.
# Usage: accessibility_test.py ASM_Q41 ru|en   (on a display, with the accessibility bus)
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

S = Atspi.StateType
TEXTS = {
    "en": {
        "main": " Q41 Assembler",
        "compText": "Text for compilation",
        "source1": "Block 1 source",
        "lamp": "Block {}: {}",
        "not compiled": "not compiled",
        "compiled": "compiled",
        # The main window's Tab ring, from the label grid; None is the block tab's own text.
        "ring": ["Labels of the current block", None, "Block 0 source", "Code of block 0",
                 "CPU address of block 0", "PPU address of block 0", "PPU 1 of block 0",
                 "PPU 2 of block 0", "PPU 3 of block 0", "PPU 4 of block 0", "Program header",
                 " common", "GLOBAL text"],
    },
    "ru": {
        "main": " Ассемблер Q41",
        "compText": "Текст для компиляции",
        "source1": "Текст блока 1",
        "lamp": "Блок {}: {}",
        "not compiled": "не компилировался",
        "compiled": "откомпилирован",
        "ring": ["Метки текущего блока", None, "Текст блока 0", "Код блока 0",
                 "Адрес CPU блока 0", "Адрес PPU блока 0", "PPU 1 блока 0", "PPU 2 блока 0",
                 "PPU 3 блока 0", "PPU 4 блока 0", "Заголовок программы", " общая",
                 "Текст GLOBAL"],
    },
}
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what, file=sys.stderr)


def pump(seconds):
    """Lets the bus deliver events for a while."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def until(condition, seconds=10):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        pump(0.05)
    return condition()


def children(o):
    for i in range(o.get_child_count()):
        c = o.get_child_at_index(i)
        if c is not None:
            yield c


def walk(o, into_tables=False):
    yield o
    if o.get_role() == Atspi.Role.TABLE and not into_tables:
        return
    for c in children(o):
        yield from walk(c, into_tables)


def application(pid):
    desktop = Atspi.get_desktop(0)
    for a in children(desktop):
        if a.get_process_id() == pid:
            return a
    return None


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def walk_controls(o):
    """The window's controls, without the menus and the editors' parts."""
    yield o
    if o.get_role() in (Atspi.Role.TABLE, Atspi.Role.MENU_BAR, Atspi.Role.TEXT):
        return
    for c in children(o):
        yield from walk_controls(c)


def focused(window):
    for o in walk_controls(window):
        if o.get_state_set().contains(S.FOCUSED) and o.get_role() != Atspi.Role.PAGE_TAB:
            return o
    return None


def focused_name(window):
    o = focused(window)
    return None if o is None else o.get_name()


def names_of_focusable(app, lang):
    unnamed = []
    count = 0
    for window in children(app):
        for o in walk(window):
            # What is not on the screen is read by nobody.
            states = o.get_state_set()
            if not states.contains(S.FOCUSABLE) or not states.contains(S.SHOWING):
                continue
            count += 1
            if not o.get_name():
                unnamed.append(f"{o.get_role_name()} in {window.get_name()!r}")
    check(not unnamed, f"{lang}: focusable controls without a name: {unnamed}")
    return count


def lamps(main):
    """The lamps by block: those labels of the lamps' frame that are not the B0..B5 titles."""
    for o in walk(main):
        kids = list(children(o))
        titles = [c for c in kids if c.get_name() in {f"B{k}" for k in range(6)}]
        if len(titles) == 6:
            return [c for c in kids if c not in titles]
    return []


def to_grid(main, grid_name):
    """Tabs on until the label grid has the focus: at most once round."""
    for _ in range(20):
        if focused_name(main) == grid_name:
            return True
        before = focused_name(main)
        key("Tab")
        until(lambda: focused_name(main) != before, 2)
    return False


def tab_ring(main, t, lang):
    ring = t["ring"]
    if not to_grid(main, ring[0]):
        check(False, f"{lang}: Tab reaches the grid, not only {focused_name(main)!r}")
        return
    walked = []
    for _ in range(len(ring)):
        before = focused_name(main)
        key("Tab")
        until(lambda: focused_name(main) != before, 2)
        walked.append(focused_name(main))
    expected = ring[1:] + ring[:1]
    same = all(e is None or e == w for e, w in zip(expected, walked))
    check(same and len(walked) == len(expected), f"{lang}: Tab walks {walked}")
    for keys, name in (("shift+Tab", ring[-1]), ("ctrl+Tab", None), ("ctrl+shift+Tab", ring[-1])):
        if not to_grid(main, ring[0]):
            check(False, f"{lang}: Tab reaches the grid again")
            return
        key(keys)
        until(lambda: focused_name(main) != ring[0], 2)
        got = focused(main)
        ok = got is not None and (got.get_name() == name if name is not None
                                  else got.get_role() == Atspi.Role.PAGE_TAB_LIST)
        wanted = name if name is not None else "the block tabs"
        check(ok, f"{lang}: {keys} from the grid reaches {wanted}, not "
                  f"{None if got is None else got.get_name()!r}")


def blocks_by_keys(main, t, lang):
    """On the block tabs, Insert adds a block and Delete removes the last one."""
    to_grid(main, t["ring"][0])
    key("ctrl+Tab")
    tabs = until(lambda: next((o for o in walk(main) if o.get_role() == Atspi.Role.PAGE_TAB_LIST
                               and o.get_state_set().contains(S.FOCUSED)), None), 3)
    check(tabs is not None, f"{lang}: the block tabs have the focus")
    if tabs is None:
        return
    key("Insert")
    check(until(lambda: tabs.get_child_count() >= 2 and focused_name(main) == t["source1"], 3),
          f"{lang}: Insert on the tabs adds block 1 and shows its source: "
          f"{tabs.get_child_count()} tabs, focus in {focused_name(main)!r}")
    key("shift+Tab")
    key("Delete")
    check(until(lambda: sum(1 for c in children(tabs) if c.get_role() == Atspi.Role.PAGE_TAB)
                == 1, 3), f"{lang}: Delete on the tabs removes block 1 again")


def tool_windows(app, lang):
    """The listing, the reference, the find dialog and the print choice, opened by their keys,
    name every control too."""
    before = sum(1 for w in children(app) if w.get_state_set().contains(S.SHOWING))
    for keys in ("ctrl+l", "F1", "ctrl+f"):
        key(keys)
    until(lambda: sum(1 for w in children(app) if w.get_state_set().contains(S.SHOWING))
          >= before + 3, 5)
    key("ctrl+p")
    until(lambda: any(w.get_role() == Atspi.Role.DIALOG and w.get_state_set().contains(S.ACTIVE)
                      and any(o.get_role() == Atspi.Role.RADIO_BUTTON for o in walk(w))
                      for w in children(app)), 5)
    shown = sum(1 for w in children(app) if w.get_state_set().contains(S.SHOWING))
    check(shown >= before + 4, f"{lang}: {shown} windows shown with the tool windows")
    names_of_focusable(app, lang)
    key("Escape")


def run(binary, lang):
    t = TEXTS[lang]
    work = tempfile.mkdtemp()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_STATE_HOME=work)
    program = subprocess.Popen([binary], env=env)
    try:
        app = until(lambda: application(program.pid), 20)
        check(app is not None, f"{lang}: the program is on the accessibility bus")
        if app is None:
            return
        main = until(lambda: next((w for w in children(app) if w.get_name() == t["main"]
                                   and w.get_state_set().contains(S.ACTIVE)), None))
        check(main is not None, f"{lang}: the main window is active")
        if main is None:
            return
        # The compile-text window, the third, is shown from its menu item.
        item = next(o for o in walk(main) if o.get_role() == Atspi.Role.MENU_ITEM
                    and o.get_name() == t["compText"])
        item.do_action(0)
        check(until(lambda: sum(1 for w in children(app)
                                if w.get_state_set().contains(S.SHOWING)) >= 3),
              f"{lang}: three windows shown")
        count = names_of_focusable(app, lang)
        check(count >= 60, f"{lang}: only {count} focusable controls found")

        shown = lamps(main)
        names = [lamp.get_name() for lamp in shown]
        check(names[0] == t["lamp"].format(0, t["not compiled"]) and not any(names[1:]),
              f"{lang}: lamps say {names}")
        check(not any(lamp.get_state_set().contains(S.SHOWING) for lamp in shown[1:]),
              f"{lang}: the lamps of absent blocks are not shown")
        told = []
        listener = Atspi.EventListener.new(lambda e: told.append(e.source.get_name()))
        listener.register("object:property-change:accessible-name")
        subprocess.run(["xdotool", "search", "--sync", "--name", "^" + t["main"] + "$",
                        "windowactivate", "--sync"], check=True, capture_output=True)
        check(until(lambda: main.get_state_set().contains(S.ACTIVE), 5),
              f"{lang}: the main window is active again")
        key("F9")
        compiled = t["lamp"].format(0, t["compiled"])
        check(until(lambda: shown[0].get_name() == compiled), f"{lang}: lamp 0 says {compiled}")
        check(until(lambda: compiled in told, 3), f"{lang}: the lamp told of its change: {told}")
        status = [o for o in walk(main) if o.get_role() == Atspi.Role.STATUS_BAR]
        check(len(status) == 2 and status[0].get_name(),
              f"{lang}: the status lines say {[o.get_name() for o in status]}")
        listener.deregister("object:property-change:accessible-name")
        tab_ring(main, t, lang)
        blocks_by_keys(main, t, lang)
        tool_windows(app, lang)
    finally:
        program.kill()
        program.wait()


def main():
    binary, lang = sys.argv[1], sys.argv[2]
    run(binary, lang)
    if failures:
        sys.exit(1)
    print(f"{lang}: all read as meant")


if __name__ == "__main__":
    main()
