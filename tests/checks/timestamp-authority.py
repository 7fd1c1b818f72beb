#!/usr/bin/python3
"""A time-stamping authority (RFC 3161) on 127.0.0.1 for the signing check: it answers each POSTed
request with `openssl ts -reply`, signed with the certificate and key given. It prints its URL, then
serves until it is stopped.
    timestamp-authority.py CERT KEY FOLDER
"""
import http.server
import os
import subprocess
import sys


def main(certificate, key, folder):
    config = os.path.join(folder, "tsa.cnf")
    with open(os.path.join(folder, "serial"), "w") as serial:
        serial.write("01\n")
    with open(config, "w") as text:
        text.write(f"""[tsa]
default_tsa = tsa
[tsa]
serial = {folder}/serial
signer_cert = {certificate}
signer_key = {key}
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
""")

    class Authority(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            reply = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile", "/dev/stdin",
                                    "-out", "/dev/stdout"], input=query, capture_output=True)
            if reply.returncode != 0 or not reply.stdout:
                self.send_error(500, reply.stderr.decode(errors="replace"))
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply.stdout)))
            self.end_headers()
            self.wfile.write(reply.stdout)

        def log_message(self, *arguments):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
    print(f"http://127.0.0.1:{server.server_port}/", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
