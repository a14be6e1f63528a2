#!/usr/bin/python3
"""An FTP server for the tests: one user with full rights in a private folder,
on 127.0.0.1 and a port the system picks, written to --port-file once it
listens. With --cert it speaks explicit TLS and requires it for logins and
transfers."""
import argparse
import os
import sys

from OpenSSL import SSL
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


class EagerTlsDataHandler(TLS_DTPHandler):
    """Takes a data connection's TLS handshake as soon as the client starts
    it. Current libcurl starts it right after connecting, before it sends the
    transfer command; pyftpdlib would take the early bytes for a closed
    connection and drop it."""

    def readable(self):
        return self._ssl_accepting or super().readable()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    options = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(options.user, options.password, options.root, perm="elradfmwMT")
    if options.cert:
        handler = TLS_FTPHandler
        handler.dtp_handler = EagerTlsDataHandler
        # Over TLS 1.3 pyftpdlib now and then ends an upload early and still
        # reports it complete; over TLS 1.2 it does not.
        handler.ssl_options = (handler.ssl_options or 0) | SSL.OP_NO_TLSv1_3
        handler.certfile = options.cert
        handler.keyfile = options.key
        handler.tls_control_required = True
        handler.tls_data_required = True
    else:
        handler = FTPHandler
    handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), handler)
    port = server.socket.getsockname()[1]
    written = options.port_file + ".new"
    with open(written, "w") as out:
        out.write(str(port))
    os.rename(written, options.port_file)
    sys.stdout.flush()
    server.serve_forever()


if __name__ == "__main__":
    main()
