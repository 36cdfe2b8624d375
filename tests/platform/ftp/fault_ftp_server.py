#!/usr/bin/python3
"""FTP test server for the transport tests: pyftpdlib with fault-injecting handlers.
Prints the port it listens on as its first output line.

usage: fault_ftp_server.py ADDRESS ROOT USER PASSWORD MODE [ARGUMENT] [--throttle BYTES_PER_S]
modes: normal; drop-data N (RETR sends N bytes, closes the data connection, replies 426);
       rest-ignored (350 to REST, offset ignored; with the argument no-size, 502 to SIZE);
       rest-refused (502 to REST);
       stor-552 (552 after the data of a STOR); close-421 (421 and close after login);
       pasv-elsewhere (227 names another address); canned DIR (LIST NAME sends DIR/NAME,
       LIST of the root DIR/default; every command line received is added to DIR/received);
       early-226 DIR (as canned, the 226 sent before the data);
       greet-421-once (the first connection is greeted with 421 and closed); list-421-once
       (the first LIST gets 421 and a close);
       stop-reading (a STOR reads its first chunk, then nothing until the client ends the data
       connection); stall-data (RETR and LIST send their first chunk, then nothing, and never
       reply); slow-retr SECONDS (RETR answers only after that time, holding the whole server)
In every mode an upload that the client resets is answered with 426, never as complete.
"""

import errno
import os
import select
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.ioloop import RetryError
from pyftpdlib.servers import FTPServer

# What the "-once" modes have done already, for the whole server process.
done = set()


def make_dtp(base, mode, argument):
    class FaultyDTP(base):
        reset_by_client = False
        stalled = False
        # A connection the client reset before it was accepted is closed from within the
        # constructor, before the throttled base sets its timer up.
        _throttler = None

        def __init__(self, sock, cmd_channel):
            super().__init__(sock, cmd_channel)
            if not self.connected:
                cmd_channel.answer_transfer_without_data()

        def use_sendfile(self):
            return mode != "stall-data" and super().use_sendfile()

        # Reads the socket itself: the base class takes a reset for a normal end.
        def recv(self, buffer_size):
            try:
                chunk = self.socket.recv(buffer_size)
            except BlockingIOError:
                raise RetryError
            except OSError as error:
                self.reset_by_client |= error.errno == errno.ECONNRESET
                chunk = b""
            if not chunk:
                self.handle_close()
            elif getattr(self, "read_limit", 0):
                self._throttle_bandwidth(len(chunk), self.read_limit)
            elif mode == "stop-reading" and not self.stalled:
                self.stalled = True
                self.del_channel()
                self.ioloop.call_later(0.05, self.watch_for_end)
            return chunk

        # Notices how the client ended the data connection without reading from it: a reset
        # shows as an error, a normal close as a read hang-up.
        def watch_for_end(self):
            poller = select.poll()
            poller.register(self.socket.fileno(), select.POLLRDHUP)
            events = poller.poll(0)
            if not events:
                self.ioloop.call_later(0.05, self.watch_for_end)
                return
            self.reset_by_client = bool(events[0][1] & (select.POLLERR | select.POLLHUP))
            self.add_channel(events=self.ioloop.READ)

        def send(self, data):
            sent = super().send(data)
            if mode == "stall-data" and not self.stalled:
                self.stalled = True
                self.del_channel()
            return sent

        def close(self):
            if not self._closed and self._resp and self._resp[0].startswith("226"):
                if self.reset_by_client:
                    self._resp = ("426 Upload reset by the client.", self._resp[1])
                elif mode == "stor-552" and self.receive:
                    self._resp = ("552 Exceeded storage allocation.", self._resp[1])
                elif mode == "drop-data" and not self.receive:
                    self._resp = ("426 Connection closed; transfer aborted.", self._resp[1])
                elif mode == "early-226":
                    self._resp = ()  # sent already
            super().close()

    return FaultyDTP


def make_handler(mode, argument):
    class FaultyHandler(FTPHandler):
        def handle(self):
            if mode == "greet-421-once" and "greet" not in done:
                done.add("greet")
                self.push("421 Too many users, try again later.\r\n")
                self.close_when_done()
            elif mode != "never-greet":
                super().handle()

        # The client reset the data connection before it was accepted: the transfer waiting
        # for it gets its reply now instead of waiting for a connection that never comes.
        def answer_transfer_without_data(self):
            waiting = self._in_dtp_queue or self._out_dtp_queue
            if waiting is None:
                return
            self._in_dtp_queue = self._out_dtp_queue = None
            source = waiting[0] if len(waiting) == 2 else waiting[2]
            if source is not None and hasattr(source, "close"):
                source.close()
            self.respond("426 Data connection reset by the client.")

        # An active data connection is handed over even when the client reset it first; left
        # in place, the dead channel would swallow the next transfer.
        def _on_dtp_connection(self):
            if self.data_channel.connected:
                super()._on_dtp_connection()
            else:
                self.data_channel = None

        def ftp_REST(self, line):
            if mode == "rest-refused":
                return self.respond("502 Command not implemented.")
            if mode == "rest-ignored":
                return self.respond("350 Restarting at position %s." % line)
            super().ftp_REST(line)

        def ftp_SIZE(self, path):
            if argument == "no-size":
                return self.respond("502 Command not implemented.")
            return super().ftp_SIZE(path)

        def ftp_RETR(self, file):
            if mode == "slow-retr":
                time.sleep(float(argument))
            if mode != "drop-data":
                return super().ftp_RETR(file)
            with open(file, "rb") as source:
                data = source.read(int(argument))
            self.push_dtp_data(data, cmd="RETR")
            return file

        def ftp_LIST(self, path):
            if mode == "list-421-once" and "list" not in done:
                done.add("list")
                self.respond("421 Service not available, closing control connection.")
                self.close_when_done()
                return
            if mode not in ("canned", "early-226"):
                return super().ftp_LIST(path)
            name = os.path.basename(self.fs.fs2ftp(path).rstrip("/")) or "default"
            with open(os.path.join(argument, name), "rb") as canned:
                self.push_dtp_data(canned.read(), cmd="LIST")
            if mode == "early-226":
                self.respond("226 Directory send OK.")
            return path

        def pre_process_command(self, line, cmd, arg):
            if mode in ("canned", "early-226"):
                with open(os.path.join(argument, "received"), "a") as received:
                    received.write(line + "\n")
            if mode == "close-421" and self.authenticated and cmd not in ("USER", "PASS"):
                self.respond("421 Service not available, closing control connection.")
                self.close_when_done()
                return
            super().pre_process_command(line, cmd, arg)

        def respond(self, resp, logfun=None):
            if mode == "pasv-elsewhere" and resp.startswith("227"):
                # Names a loopback address nothing listens on: a client that follows the
                # address instead of using the control connection's peer cannot connect.
                numbers = resp[resp.index("(") + 1 : resp.index(")")].split(",")
                resp = "227 Entering passive mode (127,0,0,2,%s,%s)." % (numbers[4], numbers[5])
            super().respond(resp, *([logfun] if logfun else []))

    return FaultyHandler


def main():
    args = sys.argv[1:]
    throttle = int(args.pop(args.index("--throttle") + 1)) if "--throttle" in args else 0
    args = [arg for arg in args if arg != "--throttle"]
    address, root, user, password, mode, argument = (args + [None])[:6]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    authorizer.add_anonymous(root)
    handler = make_handler(mode, argument)
    handler.authorizer = authorizer
    handler.banner = "fault server ready"
    handler.auth_failed_timeout = 0
    base = DTPHandler
    if throttle:
        base = ThrottledDTPHandler
        base.read_limit = throttle
        base.write_limit = throttle
    handler.dtp_handler = make_dtp(base, mode, argument)
    server = FTPServer((address, 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    import logging

    logging.basicConfig(level=logging.CRITICAL)
    main()
