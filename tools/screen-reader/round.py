# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Plays the percussion game as a screen reader user would, over the accessibility bus: presses
buttons through their Press action, drags names onto pictures with the mouse, and prints what a
screen reader is given: the windows, what each one holds, and the events of each step."""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

events = []
value_times = {}  # source name: when its value changes were told
EVENT_TYPES = ("window:activate", "focus:", "object:state-changed:showing",
               "object:property-change:accessible-name", "object:property-change:accessible-description",
               "object:property-change:accessible-value", "object:text-changed:insert")


def record(event):
    try:
        source = "%s %r" % (event.source.getRoleName(), event.source.name)
    except Exception:  # the source may be gone already
        source = "?"
    data = event.any_data if isinstance(event.any_data, str) else ""
    if event.type.endswith("accessible-value"):
        value_times.setdefault(event.source.name, []).append(time.monotonic())
    events.append("  %s %s %s" % (event.type, source, repr(data) if data else ""))


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def told(title, wanted=lambda line: True):
    print(title)
    for line in events:
        if wanted(line):
            print(line)
    del events[:]


def describe(obj, depth=0):
    states = obj.getState()
    flags = [name for name, state in (("showing", pyatspi.STATE_SHOWING), ("enabled", pyatspi.STATE_ENABLED))
             if states.contains(state)]
    extra = ""
    try:
        action = obj.queryAction()
        extra += " actions=%s" % [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        pass
    try:
        extra += " value=%g" % obj.queryValue().currentValue
    except NotImplementedError:
        pass
    description = " (%s)" % obj.description if obj.description else ""
    return "%s%s %r%s [%s]%s" % ("  " * depth, obj.getRoleName(), obj.name, description, ",".join(flags), extra)


def walk(obj):
    print(describe(obj))
    for child in (obj.getChildAtIndex(i) for i in range(obj.childCount)):
        if child is not None and child.getState().contains(pyatspi.STATE_SHOWING):
            print(describe(child, 1))


def application(name):
    for _ in range(50):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            if app is not None and app.name == name:
                return app
        time.sleep(0.3)
    sys.exit("calivento is not on the accessibility bus")


def window(app, title):
    for frame in (app.getChildAtIndex(i) for i in range(app.childCount)):
        if frame is not None and frame.name.startswith(title):
            return frame
    sys.exit("no window " + title)


def child(parent, name):
    for obj in (parent.getChildAtIndex(i) for i in range(parent.childCount)):
        if obj is not None and obj.name == name:
            return obj
    sys.exit("no %r in %r" % (name, parent.name))


def press(obj):
    action = obj.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
    pump(1.5)


def drag(label, frame, picture):
    """Drops the label on a point where the picture is the topmost control; False if it is covered."""
    x, y, w, h = picture.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    under = frame.queryComponent()
    points = ((px, py) for py in range(y + 2, y + h - 1, 6) for px in range(x + 2, x + w - 1, 6))
    target = next((p for p in points if (under.getAccessibleAtPoint(*p, pyatspi.DESKTOP_COORDS) or frame).name
                   == picture.name), None)
    if target is None:
        return False
    lx, ly, lw, lh = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    for command in (["mousemove", lx + lw // 2, ly + lh // 2], ["mousedown", 1], ["mousemove", *target],
                    ["mouseup", 1]):
        subprocess.run(["xdotool"] + [str(a) for a in command], check=True)
    pump(0.5)
    return True


def main():
    # Listening before the game starts: it learns which events are wanted as it joins the bus.
    for event_type in EVENT_TYPES:
        pyatspi.Registry.registerEventListener(record, event_type)
    pump(0.5)
    game_process = subprocess.Popen([sys.argv[1]], stderr=subprocess.DEVNULL)
    try:
        play()
    finally:
        game_process.kill()


def play():
    app = application("calivento")
    pump(1.5)
    walk(window(app, "Calivento – menu"))
    del events[:]
    press(child(window(app, "Calivento – menu"), "Les percussions, niveau 1"))
    told("-- pressed 'Les percussions, niveau 1'", lambda line: "window:" in line or "focus:" in line)
    game = window(app, "Calivento – Les percussions")
    walk(game)
    value_times.clear()
    pump(5.0)  # the reader does nothing else meanwhile, so events arrive as they are sent
    print("-- value changes told in 5 s of play, the points changing on every beat")
    for name, times in value_times.items():
        gaps = [b - a for a, b in zip(times, times[1:])]
        print("  %s: %d, shortest gap %.3f s" % (name, len(times), min(gaps)))
    del events[:]
    for name in ("Le tambour", "Le xylophone", "Les cymbales", "La grosse caisse", "Les timbales"):
        pictures = [c for c in (game.getChildAtIndex(i) for i in range(game.childCount))
                    if c.getRoleName() == "image" and c.name.startswith("Image")
                    and c.getState().contains(pyatspi.STATE_SHOWING)]
        for picture in pictures:
            if drag(child(game, name), game, picture):
                said = [line for line in events if "notification" in line and "showing" in line]
                told("-- dropped %r on %r" % (name, picture.name),
                     lambda line: "notification" in line or "window:" in line)
                if said and "Bravo" in said[-1]:
                    break
    pump(1.0)
    walk(window(app, "Calivento – gagné"))
    press(child(window(app, "Calivento – gagné"), "Non"))
    told("-- pressed 'Non'", lambda line: "window:" in line or "description" in line)
    walk(window(app, "Calivento – menu"))


if __name__ == "__main__":
    main()
