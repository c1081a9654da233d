#!/usr/bin/python3
# Drops paths onto a window as a file manager does (XDND, text/uri-list):
#   xdnd_drop.py WINDOW X Y PATH...   (X, Y inside WINDOW)
# Exit 0 once the target has taken the drop, 1 when it refused it or did
# not answer.
import sys
import time
import urllib.parse

from Xlib import X, display
from Xlib.protocol import event

VERSION = 5


def main():
    d = display.Display()
    target = d.create_resource_object("window", int(sys.argv[1], 0))
    x, y = int(sys.argv[2]), int(sys.argv[3])
    uris = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in sys.argv[4:]).encode()
    atom = lambda name: d.intern_atom(name)
    uri_list = atom("text/uri-list")
    root = d.screen().root
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
    origin = root.translate_coords(target, 0, 0)  # the target's corner on the screen
    at = ((origin.x + x) << 16) | (origin.y + y)

    def send(name, data):
        message = event.ClientMessage(window=target, client_type=atom(name), data=(32, data))
        target.send_event(message, event_mask=0)
        d.flush()

    def wait_for(name, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while d.pending_events():
                e = d.next_event()
                if e.type == X.SelectionRequest:
                    answer(e)
                elif e.type == X.ClientMessage and e.client_type == atom(name):
                    return e
            time.sleep(0.002)
        return None

    def answer(request):
        prop = request.property or request.target
        if request.target == uri_list:
            request.requestor.change_property(prop, uri_list, 8, uris)
        else:
            prop = X.NONE
        notify = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                       selection=request.selection, target=request.target,
                                       property=prop)
        request.requestor.send_event(notify)
        d.flush()

    send("XdndEnter", [source.id, VERSION << 24, uri_list, 0, 0])
    send("XdndPosition", [source.id, 0, at, X.CurrentTime, atom("XdndActionCopy")])
    status = wait_for("XdndStatus", 5)
    if status is None or not status.data[1][1] & 1:
        send("XdndLeave", [source.id, 0, 0, 0, 0])
        print("drop refused" if status else "no XdndStatus", file=sys.stderr)
        return 1
    send("XdndDrop", [source.id, 0, X.CurrentTime, 0, 0])
    if wait_for("XdndFinished", 10) is None:
        print("no XdndFinished", file=sys.stderr)
        return 1
    return 0


sys.exit(main())
