# Small X11 helper for the end-to-end tests, for what xdotool cannot do
# without a window manager:
#   xtool.py close WID          ask the window to close, as a window manager would
#   xtool.py sum WID [X Y W H]  a checksum of what the window shows, or of that part
#   xtool.py keys "d38 w60 d102 w30 u38 u102"
#                               physical keys by X11 key code through XTEST, with
#                               real timing: d press, u release, w wait (ms),
#                               s and c stop and continue process $STALL_PID
import hashlib
import os
import signal
import sys
import time

from Xlib import X, display, protocol
from Xlib.ext import xtest

server = display.Display()
command, argument = sys.argv[1], sys.argv[2]
if command == "keys":
    for token in argument.split():
        if token[0] == "w":
            server.flush()
            time.sleep(int(token[1:]) / 1000)
        elif token in ("s", "c"):
            server.sync()
            os.kill(int(os.environ["STALL_PID"]), signal.SIGSTOP if token == "s" else signal.SIGCONT)
        else:
            xtest.fake_input(server, X.KeyPress if token[0] == "d" else X.KeyRelease, int(token[1:]))
else:
    window = server.create_resource_object("window", int(argument, 0))
    if command == "close":
        window.send_event(protocol.event.ClientMessage(
            window=window, client_type=server.intern_atom("WM_PROTOCOLS"),
            data=(32, [server.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
    else:
        size = window.get_geometry()
        left, top, width, height = map(int, sys.argv[3:7]) if len(sys.argv) == 7 else (0, 0, size.width, size.height)
        print(hashlib.md5(window.get_image(left, top, width, height, X.ZPixmap, 0xFFFFFFFF).data).hexdigest())
server.sync()
