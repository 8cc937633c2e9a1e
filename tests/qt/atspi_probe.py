#!/usr/bin/python3
"""What real_x_server_test.sh reads of the running program through AT-SPI,
the interface every Linux screen reader uses: what a screen reader would be
told. Needs python3-pyatspi and the accessibility bus of the session.

  atspi_probe.py text NAME     the text of the text box named NAME
  atspi_probe.py rows          the result list's rows, one a line
  atspi_probe.py selected      the rows selected, and "current" for the
                               one the keys act on, "ROW STATE" a line
  atspi_probe.py controls      "ROLE|NAME" of the window, then of each control
  atspi_probe.py focus         "ROLE|NAME" of the control with the focus
  atspi_probe.py box           "ROLE|TITLE|TEXT|BUTTONS" of the message box
  atspi_probe.py press NAME    the button named NAME pressed by its action
  atspi_probe.py tree          the window's tree: role, name, text, rows
Exit status 1 when what is asked for is not there (yet).
"""

import sys

import pyatspi

APPLICATION = "brenvo1"
WINDOW = "Scandilo"


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == APPLICATION:
            return app
    return None


def top_levels():
    app = application()
    return [] if app is None else [app.getChildAtIndex(i) for i in range(app.childCount)]


def window():
    for top in top_levels():
        if top.name == WINDOW:
            return top
    return None


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def find(node, wanted):
    """The first node below node, depth first, for which wanted is true."""
    for child in children(node):
        if wanted(child):
            return child
        found = find(child, wanted)
        if found is not None:
            return found
    return None


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return None


def control(name):
    form = window()
    return None if form is None else find(form, lambda n: n.name == name)


def rows():
    form = window()
    listing = None if form is None else find(form, lambda n: n.getRole() == pyatspi.ROLE_LIST)
    if listing is None:
        return None
    return [row.name for row in children(listing)]


def focused():
    form = window()
    if form is None:
        return None
    return find(form, lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))


def box():
    for top in top_levels():
        if top.name != WINDOW:
            labels = []
            buttons = []
            def walk(node):
                for child in children(node):
                    if child.getRole() == pyatspi.ROLE_PUSH_BUTTON:
                        buttons.append(child.name)
                    elif child.getRole() == pyatspi.ROLE_LABEL and child.name:
                        labels.append(child.name)
                    walk(child)
            walk(top)
            return f"{top.getRoleName()}|{top.name}|{' '.join(labels)}|{','.join(buttons)}"
    return None


def press(name):
    button = control(name)
    if button is None:
        return False
    action = button.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "Press", "click"):
            return action.doAction(i)
    return action.nActions > 0 and action.doAction(0)


def tree(node, depth=0):
    line = f"{'  ' * depth}{node.getRoleName()} \"{node.name}\""
    text = text_of(node)
    if text is not None and node.getRole() != pyatspi.ROLE_LABEL:
        line += f" text=\"{text}\""
    print(line)
    for child in children(node):
        tree(child, depth + 1)


def main(arguments):
    command = arguments[0] if arguments else ""
    if command == "text" and len(arguments) == 2:
        node = control(arguments[1])
        value = None if node is None else text_of(node)
        if value is None:
            return 1
        print(value)
        return 0
    if command == "selected":
        form = window()
        listing = None if form is None else find(form, lambda n: n.getRole() == pyatspi.ROLE_LIST)
        if listing is None:
            return 1
        for number, row in enumerate(children(listing)):
            states = row.getState()
            if states.contains(pyatspi.STATE_SELECTED):
                print(f"{number} selected")
            if states.contains(pyatspi.STATE_FOCUSED):
                print(f"{number} current")
        return 0
    if command == "rows":
        values = rows()
        if values is None:
            return 1
        for value in values:
            print(value)
        return 0
    if command == "controls":
        form = window()
        if form is None:
            return 1
        for node in [form] + children(form):
            print(f"{node.getRoleName()}|{node.name}")
        return 0
    if command == "focus":
        node = focused()
        if node is None:
            return 1
        print(f"{node.getRoleName()}|{node.name}")
        return 0
    if command == "box":
        value = box()
        if value is None:
            return 1
        print(value)
        return 0
    if command == "press" and len(arguments) == 2:
        return 0 if press(arguments[1]) else 1
    if command == "tree":
        for top in top_levels():
            tree(top)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except Exception as error:  # the program went away mid-question
        print(f"atspi_probe: {error}", file=sys.stderr)
        sys.exit(1)
