#!/usr/bin/env python3
"""The screen reader's side of the accessibility test. "values LANGUAGE":
every setting of the key page is read with a value, in the window's
language. "press": finds the "250 Hz" position and the "Apply" button by
name and presses them as Orca would, through their actions."""
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


def all_of(root, role):
    return pyatspi.findAllDescendants(root, lambda o: o is not None and o.getRole() == role)


# A heading and the report-rate group of each language, as the tables have them.
EXPECTED = {
    "zh_CN": ("报告率设置", "250 赫兹", "红色"),
    "zh_TW": ("報告率設置", "250 赫茲", "紅色"),
    "en_US": ("Report Rate Setting", "250 Hz", "red"),
}


def check_values(app, language):
    heading, rate_name, red = EXPECTED[language]
    faces, bars, radios, boxes, tabs, heads = (all_of(app, r) for r in (
        pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SLIDER, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_CHECK_BOX,
        pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_HEADING))
    has = lambda o, state: o.getState().contains(state)
    rates = [r for r in radios if r.description == heading]
    checks = {
        "13 list faces with a value (a disabled one may have none)": len(faces) == 13 and all(
            f.queryText().getText(0, -1) or not has(f, pyatspi.STATE_ENABLED) for f in faces),
        "4 DPI bars at a DPI within their range": len(bars) == 4 and all(
            100 <= b.queryValue().currentValue <= b.queryValue().maximumValue for b in bars),
        "4 report rates in their group, %r one of them, one chosen" % rate_name: len(rates) == 4
            and rate_name in [r.name for r in rates] and sum(has(r, pyatspi.STATE_CHECKED) for r in rates) == 1,
        "16 tick boxes named in words, %r one of them" % red: len(boxes) == 16
            and red in [b.name for b in boxes] and all(len(b.name) > 1 for b in boxes),
        "2 page tabs, one selected": len(tabs) == 2 and sum(has(t, pyatspi.STATE_SELECTED) for t in tabs) == 1,
        "the heading %r" % heading: heading in [h.name for h in heads],
    }
    failed = [what for what, ok in checks.items() if not ok]
    if failed:
        sys.exit("not read: " + "; ".join(failed))
    print("%s: every setting of the key page read with its value" % language)


def press_250_and_apply(app):
    rate = find(app, "250 Hz", pyatspi.ROLE_RADIO_BUTTON)
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
    found = find_application("Varcel")
    if sys.argv[1:2] == ["values"]:
        check_values(found, sys.argv[2])
    else:
        press_250_and_apply(found)
