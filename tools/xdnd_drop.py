#!/usr/bin/python3
"""Drops files on the X window under a point, as a file manager does: the XDND protocol
(version 5) from a source window of its own, offering the files as text/uri-list. Wine turns
such a drop into WM_DROPFILES for a window that accepts files.

    xdnd_drop.py X Y FILE...      (screen coordinates; $DISPLAY; Debian's python3-xlib)

Exit status 0 when the target accepted and finished the drop, 1 otherwise."""
import sys
import time
import urllib.parse

from Xlib import X, display, protocol


def uri_list(paths):
    return "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in paths).encode()


def aware_window(d, root, x, y):
    """The window under (x, y) that carries XdndAware, searching from the top level down."""
    aware = d.intern_atom("XdndAware")
    window = root
    while True:
        if window.get_full_property(aware, X.AnyPropertyType):
            return window
        found = None
        tree = window.query_tree()
        for c in reversed(tree.children):  # topmost first
            try:
                g = c.get_geometry()
                attrs = c.get_attributes()
            except Exception:
                continue
            if attrs.map_state != X.IsViewable:
                continue
            origin = c.translate_coords(root, 0, 0)
            ox, oy = -origin.x, -origin.y
            if ox <= x < ox + g.width and oy <= y < oy + g.height:
                found = c
                break
        if found is None:
            return None
        window = found


def send(d, target, kind, data):
    event = protocol.event.ClientMessage(window=target, client_type=d.intern_atom(kind),
                                         data=(32, data))
    target.send_event(event, event_mask=0)
    d.flush()


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    data = uri_list(sys.argv[3:])
    d = display.Display()
    root = d.screen().root
    target = aware_window(d, root, x, y)
    if target is None:
        print("xdnd_drop: no window that takes drops at %d,%d" % (x, y), file=sys.stderr)
        return 1
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    atom = d.intern_atom
    selection, uri_type = atom("XdndSelection"), atom("text/uri-list")
    source.set_selection_owner(selection, X.CurrentTime)
    send(d, target, "XdndEnter", [source.id, 5 << 24, uri_type, 0, 0])
    send(d, target, "XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
    dropped = accepted = finished = False
    deadline = time.time() + 10
    while time.time() < deadline and not finished:
        if not d.pending_events():
            time.sleep(0.01)
            continue
        e = d.next_event()
        if e.type == X.SelectionRequest:
            # Answer any request for the files (Wine asks as soon as the drag enters).
            prop = e.property or e.target
            if e.target == uri_type:
                e.requestor.change_property(prop, uri_type, 8, data)
            else:
                prop = X.NONE
            notify = protocol.event.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                                    target=e.target, property=prop)
            e.requestor.send_event(notify)
            d.flush()
        elif e.type == X.ClientMessage:
            kind = d.get_atom_name(e.client_type)
            fields = e.data[1]
            if kind == "XdndStatus" and not dropped:
                accepted = bool(fields[1] & 1)
                if not accepted:
                    break
                send(d, target, "XdndDrop", [source.id, 0, X.CurrentTime, 0, 0])
                dropped = True
            elif kind == "XdndFinished":
                finished = True
    if not finished:
        send(d, target, "XdndLeave", [source.id, 0, 0, 0, 0])
    source.destroy()
    d.flush()
    print("xdnd_drop: %s" % ("dropped %d file(s)" % len(sys.argv[3:]) if finished else
                              "the window did not take the drop"), file=sys.stderr)
    return 0 if finished else 1


if __name__ == "__main__":
    sys.exit(main())
