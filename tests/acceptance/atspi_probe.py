"""Answers questions about the accessible objects of one application, one JSON line per question
read from standard input (run in the X session's environment, with Debian's python3-pyatspi):
  tree <window title start>   every object of that window: role, name, value, states, depth
  focus                       the object that has the focus, with the title of its window
  windows                     the titles of the application's windows"""

import json
import sys

import pyatspi


def app_named(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def value_of(obj):
    try:
        text = obj.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        pass
    try:
        return str(obj.queryValue().currentValue)
    except NotImplementedError:
        return None


def describe(obj, depth):
    states = obj.getState()
    return {
        "role": obj.getRoleName(),
        "name": obj.name,
        "value": value_of(obj),
        "depth": depth,
        "focused": states.contains(pyatspi.STATE_FOCUSED),
        "focusable": states.contains(pyatspi.STATE_FOCUSABLE),
        "showing": states.contains(pyatspi.STATE_SHOWING),
        "checked": states.contains(pyatspi.STATE_CHECKED),
        "enabled": states.contains(pyatspi.STATE_ENABLED),
        "extents": extents_of(obj),
    }


def extents_of(obj):
    try:
        e = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return [e.x, e.y, e.width, e.height]
    except NotImplementedError:
        return None


def walk(obj, depth, out):
    if obj is None:
        return
    out.append(describe(obj, depth))
    for i in range(obj.childCount):
        walk(obj.getChildAtIndex(i), depth + 1, out)


def window_of(app, title):
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.name.startswith(title):
            return w
    return None


VIEWS = (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX)
ITEMS = (pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TREE_ITEM)
TEXTS = (pyatspi.ROLE_TEXT, pyatspi.ROLE_PARAGRAPH, pyatspi.ROLE_DOCUMENT_TEXT, pyatspi.ROLE_ENTRY)


def focused(obj, view_focused=True):
    """The object with the keyboard focus below obj. A tab tells "focused" when it is the current
    one of its bar, focus or not: the bar tells. An item view's current cell tells "focused" even
    when its view has no focus (on a hidden page, in another part of the window): it counts only
    when its view has the focus. What is not showing has no focus."""
    if obj is None:
        return None
    state = obj.getState()
    if not state.contains(pyatspi.STATE_SHOWING):
        return None
    role = obj.getRole()
    if role in VIEWS:
        view_focused = state.contains(pyatspi.STATE_FOCUSED)
    counts = role != pyatspi.ROLE_PAGE_TAB and (role not in ITEMS or view_focused)
    if state.contains(pyatspi.STATE_FOCUSED) and counts:
        # A text tells its focus on its viewport as well: the text is the focused object.
        if role in TEXTS:
            return obj
        for i in range(obj.childCount):
            inner = focused(obj.getChildAtIndex(i), view_focused)
            if inner is not None:
                return inner
        return obj
    for i in range(obj.childCount):
        f = focused(obj.getChildAtIndex(i), view_focused)
        if f is not None:
            return f
    return None


def answer(app_name, line):
    app = app_named(app_name)
    if app is None:
        return {"error": "Anwendung nicht gefunden"}
    cmd, _, arg = line.partition(" ")
    if cmd == "windows":
        return {"windows": [app.getChildAtIndex(i).name for i in range(app.childCount)]}
    if cmd == "tree":
        w = window_of(app, arg)
        if w is None:
            return {"error": "Fenster nicht gefunden: " + arg}
        out = []
        walk(w, 0, out)
        return {"tree": out}
    if cmd == "focus":
        for i in range(app.childCount):
            w = app.getChildAtIndex(i)
            if w is None or not w.getState().contains(pyatspi.STATE_ACTIVE):
                continue
            f = focused(w)
            if f is not None:
                d = describe(f, 0)
                d["window"] = w.name
                return {"focus": d}
        return {"focus": None}
    return {"error": "unbekannte Frage: " + line}


def main():
    app_name = sys.argv[1]
    for line in sys.stdin:
        try:
            result = answer(app_name, line.strip())
        except Exception as e:  # noqa: BLE001 - an object that went away while asked
            result = {"error": "%s: %s" % (type(e).__name__, e)}
        print(json.dumps(result, ensure_ascii=False), flush=True)


if __name__ == "__main__":
    main()
