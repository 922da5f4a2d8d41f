"""Acceptance tests of the demo in a real X session (Xvfb, openbox), driven by real X key and mouse
events (xdotool) and checked through the accessibility bus (AT-SPI) and the SQLite file.
Usage: demo_acceptance.py <qeldemo> [test ...]; QEL_ACCEPTANCE_OUT names the folder for the
screenshots (default: acceptance/ beside the demo's build folder)."""

import json
import os
import subprocess
import sys

import xsession as xs

HERE = os.path.dirname(os.path.abspath(__file__))
# The data controls of the person form, by page: each must be found with a role and a name.
PERSON_PAGES = ["Allgemein", "Adressen", "Bank", "Notizen"]


class Probe:
    """The accessibility client, a process of its own in the session's environment."""

    def __init__(self, session):
        self.proc = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "atspi_probe.py"), "qeldemo"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                     env=session.env)
        xs.poll("Anwendung am Barrierefreiheitsbus", lambda: "windows" in self.ask("windows"))

    def ask(self, question):
        self.proc.stdin.write(question + "\n")
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise xs.Failure("der AT-SPI-Client hat sich beendet")
        return json.loads(line)

    def focus(self):
        return self.ask("focus").get("focus")

    def tree(self, title):
        answer = self.ask("tree " + title)
        if "error" in answer:
            raise xs.Failure(answer["error"])
        return answer["tree"]

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=10)


def tab_to(s, probe, what, matches, limit=60):
    """Presses Tab until the focused object matches; fails after `limit` presses."""
    seen = []
    stuck = 0
    for _ in range(limit):
        f = xs.poll("Fokus", probe.focus, timeout=5)
        if matches(f):
            return f
        seen.append("%s '%s'" % (f["role"], f["name"]))
        before = f
        s.key("Tab")
        # The focus moves (a control that keeps it five times in a row traps it).
        try:
            xs.poll("Fokuswechsel", lambda: probe.focus() != before, timeout=1)
            stuck = 0
        except xs.Failure:
            stuck += 1
            if stuck == 5:
                break
    raise xs.Failure("%s nicht mit Tab erreicht; Fokus war: %s" % (what, ", ".join(seen[-12:])))


def named(name, roles=("text",)):
    return lambda f: f is not None and f["name"] == name and f["role"] in roles


def open_first_person(s, probe):
    persons = s.wait_window("^Personen$")
    s.activate(persons)
    tab_to(s, probe, "die Personenliste", lambda f: f is not None and f["role"] in ("table", "table cell"))
    s.key("Return")
    form = s.wait_window("^Person –")
    s.activate(form)
    return form


def replace_text(s, text):
    s.key("ctrl+a", "BackSpace")
    s.type(text)


def next_page(s, probe, page):
    s.key("ctrl+Next")
    xs.poll("Seite " + page + " nach Strg+Bild ab", lambda: any(
        o["role"] == "page tab" and o["name"] == page and o["focused"] for o in probe.tree("Person –")), timeout=5)


def click_named(s, probe, window, role, name):
    """A mouse click in the middle of the showing object of that role and name."""
    hits = [o for o in probe.tree(window) if o["role"] == role and o["name"] == name and o["showing"]]
    if not hits or not hits[0]["extents"]:
        raise xs.Failure("kein %s '%s'" % (role, name))
    x, y, w, h = hits[0]["extents"]
    s.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")


def click_page(s, probe, page):
    """Shows a page of the person form by a click on its tab."""
    click_named(s, probe, "Person –", "page tab", page)
    xs.poll("Seite " + page, lambda: any(
        o["role"] == "page tab" and o["name"] == page and o["focused"] for o in probe.tree("Person –")), timeout=5)


def test_windows_on_screen_and_main_window_ends_demo(demo):
    with xs.XSession(demo, "windows") as s:
        proc = s.start_demo(accessible=True)
        titles = ["^Personen$", "^Personen suchen$", "^Firma:", "^Navigation$"]
        windows = [s.wait_window(t) for t in titles]
        for t, w in zip(titles, windows):
            x, y, width, height = s.frame_geometry(w)
            if x < 0 or y < 0 or x + 40 > 1280 or y + 20 > 1024:
                raise xs.Failure("Fenster %s mit Rahmen bei %d,%d: Titelleiste außerhalb" % (t, x, y))
        # A person opens centred over the list.
        probe = Probe(s)
        form = open_first_person(s, probe)
        probe.close()
        lx, ly, lw, lh = s.frame_geometry(windows[0])
        fx, fy, fw, fh = s.frame_geometry(form)
        off = abs((lx + lw // 2) - (fx + fw // 2)) + abs((ly + lh // 2) - (fy + fh // 2))
        if fx < 0 or fy < 0 or off > 40:
            raise xs.Failure("Personenformular bei %d,%d, nicht über der Liste bei %d,%d" % (fx, fy, lx, ly))
        # The window manager's close (Alt+F4) on the main window closes the others and ends the demo.
        s.activate(windows[0])
        s.key("alt+F4")
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise xs.Failure("das Demo läuft nach dem Schließen des Hauptfensters weiter")
        if proc.returncode != 0:
            raise xs.Failure("Demo endet mit %d" % proc.returncode)


def test_person_form_controls_have_role_and_german_name(demo):
    with xs.XSession(demo, "atspi") as s:
        s.start_demo(accessible=True)
        probe = Probe(s)
        open_first_person(s, probe)
        missing = []
        count = 0
        for page in PERSON_PAGES:
            click_page(s, probe, page)
            for o in probe.tree("Person –"):
                if not (o["showing"] and o["focusable"] and o["role"] in {"text", "combo box", "check box"}):
                    continue
                count += 1
                if not o["name"].strip():
                    missing.append("%s (Seite %s, Wert '%s')" % (o["role"], page, (o["value"] or "")[:20]))
        probe.close()
        if count < 15:
            raise xs.Failure("nur %d Datensteuerelemente gefunden" % count)
        if missing:
            raise xs.Failure("ohne Namen: " + "; ".join(missing))
        print("  %d Datensteuerelemente mit Rolle und Namen" % count)


def test_clerk_short_day(demo):
    with xs.XSession(demo, "clerk") as s:
        s.start_demo(accessible=True)
        probe = Probe(s)
        open_first_person(s, probe)
        # Allgemein: the first name.
        tab_to(s, probe, "Vorname", named("Vorname"))
        replace_text(s, "Xaver")
        # Adressen: the street of the first address.
        next_page(s, probe, "Adressen")
        tab_to(s, probe, "Straße", named("Straße"))
        replace_text(s, "Mühlweg 7")
        # Inside the address tabs Ctrl+PgDn turns the addresses: Tab on out of them first.
        tab_to(s, probe, "Orte aller Adressen", named("Orte aller Adressen"))
        # Bank: the IBAN (the bank account is created by typing).
        next_page(s, probe, "Bank")
        tab_to(s, probe, "IBAN", named("IBAN"))
        replace_text(s, "DE02120300000000202051")
        # Notizen: the remark.
        next_page(s, probe, "Notizen")
        tab_to(s, probe, "Bemerkung", named("Bemerkung", ("text", "paragraph", "document text")))
        s.key("ctrl+End")
        s.type(" Anruf am Montag")
        # Save with the button, reached by Tab and pressed with the space bar.
        tab_to(s, probe, "Speichern", named("Speichern", ("push button",)))
        s.key("space")
        xs.poll("gespeicherte Person", lambda: s.sql("SELECT count(*) FROM Person WHERE Vorname = 'Xaver'")[0][0] == 1)
        probe.close()
        row = s.sql("SELECT K, Bemerkung FROM Person WHERE Vorname = 'Xaver'")[0]
        if not (row[1] or "").endswith(" Anruf am Montag"):
            raise xs.Failure("Bemerkung nicht gespeichert: %r" % (row[1],))
        tables = {r[0] for r in s.sql("SELECT name FROM sqlite_master WHERE type = 'table'")}
        found = []
        for table in sorted(tables):
            cols = [r[1] for r in s.sql("PRAGMA table_info(\"%s\")" % table)]
            for col, value in (("Strasse", "Mühlweg 7"), ("IBAN", "DE02120300000000202051")):
                if col in cols and s.sql("SELECT count(*) FROM \"%s\" WHERE \"%s\" = ?" % (table, col), value)[0][0]:
                    found.append(col)
        if sorted(found) != ["IBAN", "Strasse"]:
            raise xs.Failure("in der Datei fehlt: %s" % ({"IBAN", "Strasse"} - set(found)))


def test_import_file_dialog_speaks_german(demo):
    out = os.environ.get("QEL_ACCEPTANCE_OUT") or os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(demo))), "acceptance")
    with xs.XSession(demo, "filedialog") as s:
        s.start_demo(accessible=True)
        probe = Probe(s)
        open_first_person(s, probe)
        click_page(s, probe, "Dokumente")
        # The folder's document list (after its label): a click into it, then its command's key.
        tree = probe.tree("Person –")
        label = [i for i, o in enumerate(tree) if o["role"] == "label" and o["name"] == "Dokumente des Ordners"]
        lists = [o for o in tree[label[0]:] if o["role"] in ("tree", "tree table", "list", "table")] if label else []
        if not lists or not lists[0]["extents"]:
            raise xs.Failure("keine Dokumentliste")
        x, y, w, h = lists[0]["extents"]
        s.xdotool("mousemove", str(x + w // 2), str(y + h - 10), "click", "1")
        s.key("ctrl+i")
        dialog = s.wait_window("^Dokument")
        s.activate(dialog)
        texts = set()
        for o in probe.tree("Dokument"):
            texts.add(o["name"])
            if o["value"]:
                texts.add(o["value"])
        shot = s.screenshot(dialog, os.path.join(out, "Importieren-Dateidialog.png"))
        print("  Bildschirmfoto: " + shot)
        s.key("Escape")
        probe.close()
        wanted = ["Suchen in:", "Dateiname:", "Dateien des Typs:", "Abbrechen", "Alle Dateien (*.*)"]
        lacking = [w for w in wanted if w not in texts]
        if lacking:
            raise xs.Failure("im Dateidialog fehlt: %s (gefunden: %s)" % (lacking, sorted(t for t in texts if t)[:30]))
        doubled = [t for t in texts if t.count("(") > 1 and "*" in t]
        if doubled:
            raise xs.Failure("doppelte Filter: %s" % doubled)


def test_export_folder_dialog_has_a_short_title(demo):
    out = os.environ.get("QEL_ACCEPTANCE_OUT") or os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(demo))), "acceptance")
    with xs.XSession(demo, "folderdialog") as s:
        s.start_demo(accessible=True)
        probe = Probe(s)
        persons = s.wait_window("^Personen$")
        s.activate(persons)
        # A click selects a person, the right button opens the list's menu; by keys to its eighth
        # command, "Exportieren", into its submenu and the first template.
        cells = [o for o in probe.tree("Personen")
                 if o["role"] == "table cell" and o["name"] and o["showing"] and o["extents"] and o["extents"][2] > 0]
        if not cells:
            raise xs.Failure("keine Zeile in der Personenliste")
        x, y, w, h = cells[0]["extents"]
        s.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
        before = s.demo_windows()
        s.xdotool("click", "3")
        menu = s.wait_new_window(before, "Menü der Personenliste")
        s.key(*(["Down"] * 8), "Right")
        s.wait_new_window(before | menu, "Untermenü Exportieren")
        s.key("Return")
        dialog = s.wait_window("^Ordner wählen$")
        shot = s.screenshot(dialog, os.path.join(out, "Exportieren-Ordnerdialog.png"))
        print("  Bildschirmfoto: " + shot)
        texts = {o["name"] for o in probe.tree("Ordner wählen")}
        s.key("Escape")
        probe.close()
        sentence = "Wählen Sie das Verzeichnis, in dem die selektierten Personen gespeichert werden sollen."
        lacking = [t for t in (sentence, "Verzeichnis:", "Abbrechen") if t not in texts]
        if lacking:
            raise xs.Failure("im Ordnerdialog fehlt: %s" % lacking)


TESTS = [test_windows_on_screen_and_main_window_ends_demo, test_person_form_controls_have_role_and_german_name,
         test_clerk_short_day, test_import_file_dialog_speaks_german, test_export_folder_dialog_has_a_short_title]

if __name__ == "__main__":
    sys.exit(xs.main(TESTS))
