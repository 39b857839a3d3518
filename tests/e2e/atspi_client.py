#!/usr/bin/env python3
"""The screen reader's side of the accessibility test: finds Varcel on the
AT-SPI bus, the "250" position and the "Apply" button by name, and presses
them as Orca would, through their actions."""
import sys
import time

import pyatspi


def find_application(name, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("no application %r on the accessibility bus" % name)


def find(root, name, role):
    found = pyatspi.findDescendant(root, lambda o: o is not None and o.name == name and o.getRole() == role)
    if found is None:
        sys.exit("no %s named %r" % (role, name))
    return found


def main():
    app = find_application("Varcel")
    rate = find(app, "250", pyatspi.ROLE_RADIO_BUTTON)
    if rate.getState().contains(pyatspi.STATE_CHECKED):
        sys.exit('"250" is already the chosen position')
    rate.queryAction().doAction(0)
    for _ in range(50):
        if rate.getState().contains(pyatspi.STATE_CHECKED):
            break
        time.sleep(0.1)
    else:
        sys.exit('pressing "250" did not choose it')
    apply = find(app, "Apply", pyatspi.ROLE_PUSH_BUTTON)
    apply.queryAction().doAction(0)
    print("pressed 250 and Apply")


if __name__ == "__main__":
    main()
