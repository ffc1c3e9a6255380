#!/usr/bin/env python3
"""A real FTP server for the publishing tests: serves HOME to USER/PASSWORD on 127.0.0.1, on a port the
system chooses, prints that port on the first line and runs until killed. With CERTFILE and KEYFILE it
speaks explicit TLS and requires it on the control and the data connections."""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    home, user, password = sys.argv[1:4]
    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, home, perm="elradfmwMT")
    handler = FTPHandler
    if len(sys.argv) > 5:
        from pyftpdlib.handlers import TLS_FTPHandler
        handler = TLS_FTPHandler
        handler.certfile = sys.argv[4]
        handler.keyfile = sys.argv[5]
        handler.tls_control_required = True
        handler.tls_data_required = True
    handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever(timeout=0.5)


if __name__ == "__main__":
    main()
