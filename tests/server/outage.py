"""Server outages and a live clock for the test stream server.

/_outage?seconds=S  closes every open stream connection and, for S seconds, closes every new
                    connection at once without a reply, as a restarting server would
/_connections       how many stream replies are being sent right now
/stream?live=1      starts where a shared clock says the station is now, less the burst, so
                    that every listener hears the same bytes at the same time and a new
                    connection's burst repeats what an earlier one was sent just before
"""

import threading
import time


class Outages:
    def __init__(self):
        # On the air long before anyone listens: the first listener gets a full burst too.
        self.epoch = time.monotonic() - 3600
        self.refuse_until = 0.0
        self.lock = threading.Lock()
        self.open_streams = 0

    def begin(self, seconds):
        self.refuse_until = time.monotonic() + max(0.0, seconds)

    def refusing(self):
        return time.monotonic() < self.refuse_until

    def stream_opened(self):
        with self.lock:
            self.open_streams += 1

    def stream_closed(self):
        with self.lock:
            self.open_streams -= 1

    def live_start(self, length, rate, burst):
        """The file position a live listener starts at, and the burst it gets from there."""
        now = int((time.monotonic() - self.epoch) * rate)
        burst = min(burst, now)
        return (now - burst) % length, burst


def route(handler):
    """Serves the control paths; False for any other path."""
    server = handler.server
    if handler.path == "/_outage":
        handler.reply(200, "down\n")  # before the drop, which would end this reply too
        server.outages.begin(float(handler.query.get("seconds", "0") or 0))
        server.drop_generation += 1
    elif handler.path == "/_connections":
        handler.reply(200, f"{server.outages.open_streams}\n")
    else:
        return False
    return True
