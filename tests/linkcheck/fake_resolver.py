#!/usr/bin/env python3
"""A DNS server on 127.0.0.1:53 answering every query with one response code (2: SERVFAIL,
3: NXDOMAIN; -1: none at all) while it runs a command; exits with the command's status. For a
test network namespace, whose loopback port 53 is free."""
import socket
import subprocess
import sys
import threading


def serve(sock, rcode):
    while True:
        query, peer = sock.recvfrom(512)
        if len(query) >= 12 and rcode >= 0:
            # The query's id and question back, as a response with recursion asked and available.
            sock.sendto(query[:2] + (0x8180 | rcode).to_bytes(2, "big") + query[4:6] + bytes(6) + query[12:], peer)


sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.bind(("127.0.0.1", 53))
threading.Thread(target=serve, args=(sock, int(sys.argv[1])), daemon=True).start()
sys.exit(subprocess.run(sys.argv[2:]).returncode)
