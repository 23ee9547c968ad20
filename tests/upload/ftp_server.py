"""An FTP server on 127.0.0.1 for the upload tests: pyftpdlib with one user, explicit TLS when a
certificate is given. Prints the port it listens on, then serves until killed.

  ftp_server.py ROOT USER PASSWORD PORT [CERTFILE]   (PORT 0: any free one)

FTP_SERVER_SLOW=1 takes uploads at about 4 MiB a second.
"""
import os
import sys
import time

from pyftpdlib import handlers
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.servers import FTPServer


SLOW = os.environ.get("FTP_SERVER_SLOW") == "1"


class TlsDataHandler(handlers.TLS_DTPHandler):
    # libcurl starts TLS on a data connection as soon as it is open, before its STOR;
    # pyftpdlib takes bytes that early for a closed connection unless its handshake may read.
    def readable(self):
        return self._ssl_accepting or self._ssl_want_read or super().readable()

    def recv(self, size):
        if SLOW:
            time.sleep(0.004)
            size = min(size, 16384)
        return super().recv(size)


def main():
    root, user, password, port = sys.argv[1:5]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    if len(sys.argv) > 5:
        handler = handlers.TLS_FTPHandler
        handler.certfile = sys.argv[5]
        handler.tls_control_required = True
        handler.tls_data_required = True
        handler.dtp_handler = TlsDataHandler
    else:
        handler = handlers.FTPHandler
    handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", int(port)), handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
