#!/usr/bin/env python3
"""A small HTTP server for the download scenarios (standard library only).

It serves the files of one folder on 127.0.0.1, on a free port, with
Content-Length and Last-Modified, and honours single "Range: bytes=N-" or
"bytes=N-M" requests with 206 and Content-Range (416 beyond the end). A
missing file gets a 404 answer with an HTML page, as real servers send.

    http_server.py --root DIR [--port-file FILE] [--log FILE]
                   [--control FILE] [--lifetime SECONDS] [--max-requests N]

The port is printed ("port N") and written to --port-file once the server
listens. Every request is appended to --log as one JSON line:
    {"method": "GET", "path": "/a.bin", "range": "bytes=100-" or null,
     "agent": "...", "status": 206}
The server stops by itself after --lifetime seconds (default 300) or
--max-requests requests (default 1000), whichever comes first; slow answers
stop sending at that deadline too.

Per-path behaviour comes from --control, a JSON file read at each request
(write it whole and rename it into place):
    {"paths": {"/a.bin": {OPTIONS}}}
OPTIONS (all optional):
    "no_length": true        no Content-Length; the body ends with the
                             connection
    "cut_after": N           send N bytes of the body, then drop the
                             connection (Content-Length still announces all)
    "delay": S, "piece": N   wait S seconds before each piece of N bytes
                             (default piece 1024)
    "last_modified": T       Last-Modified from T (Unix seconds, or an HTTP
                             date text) instead of the file's time
    "not_found_page": true   answer with the HTML 404 page instead of the
                             file, with "status" (default 404; 200 makes a
                             "soft" 404)
    "ignore_range": true     answer 200 with the whole file to Range requests
    "range_shift": N         answer a Range request from N bytes after the
                             asked start (Content-Range tells the truth)

Used as a module, TestServer starts the script as a child process and
offers url(), configure(), requests() and stop().
"""
import argparse
import email.utils
import json
import os
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

NOT_FOUND_PAGE = (b'<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 2.0//EN">\n'
                  b'<html><head>\n<title>404 Not Found</title>\n</head><body>\n'
                  b'<h1>Not Found</h1>\n<p>The requested URL was not found on this server.</p>\n'
                  b'</body></html>\n')


def http_date(value):
    if isinstance(value, str):
        return value
    return email.utils.formatdate(value, usegmt=True)


def parse_range(header, size):
    """(first, last) of a single byte range; None when absent or not
    understood (the whole file is sent); 'unsatisfiable' beyond the end."""
    if not header or not header.startswith('bytes=') or ',' in header:
        return None
    first, _, last = header[6:].strip().partition('-')
    try:
        if first == '':
            count = int(last)
            return (max(size - count, 0), size - 1) if count > 0 else 'unsatisfiable'
        first = int(first)
        last = int(last) if last else size - 1
    except ValueError:
        return None
    if first >= size:
        return 'unsatisfiable'
    if last < first:
        return None
    return first, min(last, size - 1)


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    timeout = 10  # an idle keep-alive connection is dropped after this

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.answer(send_body=False)

    def do_GET(self):
        self.answer(send_body=True)

    # Everything of one answer.

    def answer(self, send_body):
        server = self.server
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        options = server.options_for(path)
        range_header = self.headers.get('Range')
        status, headers, body = self.plan(path, options, range_header)
        server.record({'method': self.command, 'path': path, 'range': range_header,
                       'agent': self.headers.get('User-Agent'), 'status': status})
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if options.get('no_length'):
            self.send_header('Connection', 'close')
            self.close_connection = True
        self.end_headers()
        if send_body:
            self.send_body(body, options)
        server.count_request()

    def plan(self, path, options, range_header):
        file = self.server.file_for(path)
        if options.get('not_found_page') or file is None:
            return self.page(options.get('status', 404) if file else 404, options)
        with open(file, 'rb') as f:
            data = f.read()
        stamp = options.get('last_modified', os.path.getmtime(file))
        headers = [('Last-Modified', http_date(stamp)), ('Accept-Ranges', 'bytes'),
                   ('Content-Type', 'application/octet-stream')]
        wanted = None if options.get('ignore_range') else parse_range(range_header, len(data))
        if wanted == 'unsatisfiable':
            headers.append(('Content-Range', 'bytes */%d' % len(data)))
            return 416, self.with_length(headers, b'', options), b''
        if wanted is None:
            return 200, self.with_length(headers, data, options), data
        first, last = wanted
        first = min(first + options.get('range_shift', 0), last)
        body = data[first:last + 1]
        headers.append(('Content-Range', 'bytes %d-%d/%d' % (first, last, len(data))))
        return 206, self.with_length(headers, body, options), body

    def page(self, status, options):
        headers = [('Content-Type', 'text/html; charset=iso-8859-1')]
        return status, self.with_length(headers, NOT_FOUND_PAGE, options), NOT_FOUND_PAGE

    @staticmethod
    def with_length(headers, body, options):
        if not options.get('no_length'):
            headers.append(('Content-Length', str(len(body))))
        return headers

    def send_body(self, body, options):
        limit = options.get('cut_after')
        if limit is not None:
            body = body[:limit]
        delay = float(options.get('delay', 0))
        piece = int(options.get('piece', 1024)) if delay else 65536
        try:
            for at in range(0, len(body), piece):
                if delay:
                    time.sleep(delay)
                if time.time() > self.server.deadline:
                    limit = 0  # stop here: the server is ending
                    break
                self.wfile.write(body[at:at + piece])
                self.wfile.flush()
            if limit is not None:
                # Drop the connection with the announced length unsent.
                self.close_connection = True
                self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            self.close_connection = True


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, root, log, control, lifetime, max_requests):
        super().__init__(('127.0.0.1', 0), Handler)
        self.root = os.path.abspath(root)
        self.log = log
        self.control = control
        self.deadline = time.time() + lifetime
        self.requests_left = max_requests
        self.lock = threading.Lock()

    def handle_error(self, request, client_address):
        pass  # clients that hang up early are part of the scenarios

    def file_for(self, path):
        candidate = os.path.abspath(os.path.join(self.root, path.lstrip('/')))
        if not candidate.startswith(self.root + os.sep) or not os.path.isfile(candidate):
            return None
        return candidate

    def options_for(self, path):
        if not self.control or not os.path.exists(self.control):
            return {}
        try:
            with open(self.control) as f:
                return json.load(f).get('paths', {}).get(path, {})
        except (OSError, ValueError):
            return {}

    def record(self, entry):
        if not self.log:
            return
        with self.lock, open(self.log, 'a') as f:
            f.write(json.dumps(entry) + '\n')

    def count_request(self):
        with self.lock:
            self.requests_left -= 1
            if self.requests_left <= 0:
                self.deadline = time.time()


def serve(arguments):
    parser = argparse.ArgumentParser(description='HTTP server for the download scenarios')
    parser.add_argument('--root', required=True)
    parser.add_argument('--port-file')
    parser.add_argument('--log')
    parser.add_argument('--control')
    parser.add_argument('--lifetime', type=float, default=300)
    parser.add_argument('--max-requests', type=int, default=1000)
    options = parser.parse_args(arguments)
    server = Server(options.root, options.log, options.control, options.lifetime,
                    options.max_requests)

    def watchdog():
        while time.time() < server.deadline:
            time.sleep(0.1)
        server.shutdown()

    threading.Thread(target=watchdog, daemon=True).start()
    port = server.server_address[1]
    if options.port_file:
        with open(options.port_file + '.tmp', 'w') as f:
            f.write(str(port))
        os.replace(options.port_file + '.tmp', options.port_file)
    print('port %d' % port, flush=True)
    server.serve_forever(poll_interval=0.1)
    server.server_close()


class TestServer:
    """The server as a child process of a test, serving `root`; its files
    (port, log, control) lie in `folder`."""

    def __init__(self, root, folder, lifetime=300):
        self.root = root
        self.port_file = os.path.join(folder, 'http.port')
        self.log = os.path.join(folder, 'http.log')
        self.control = os.path.join(folder, 'http.control')
        for path in (self.port_file, self.log, self.control):
            if os.path.exists(path):
                os.remove(path)
        self.process = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), '--root', root, '--port-file',
             self.port_file, '--log', self.log, '--control', self.control, '--lifetime',
             str(lifetime)], stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        end = time.time() + 20
        while not os.path.exists(self.port_file):
            if time.time() > end or self.process.poll() is not None:
                self.stop()
                raise RuntimeError('the HTTP server did not start')
            time.sleep(0.05)
        with open(self.port_file) as f:
            self.port = int(f.read())
        self.paths = {}

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def url(self, path=''):
        return 'http://127.0.0.1:%d/%s' % (self.port, path.lstrip('/'))

    def configure(self, path, **options):
        """Sets the options of one path (none: back to plain serving)."""
        self.paths['/' + path.lstrip('/')] = options
        with open(self.control + '.tmp', 'w') as f:
            json.dump({'paths': self.paths}, f)
        os.replace(self.control + '.tmp', self.control)

    def requests(self, path=None):
        """The logged requests, oldest first; only those of `path` if given."""
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            entries = [json.loads(line) for line in f if line.strip()]
        if path is not None:
            entries = [e for e in entries if e['path'] == '/' + path.lstrip('/')]
        return entries

    def clear_log(self):
        if os.path.exists(self.log):
            os.remove(self.log)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


if __name__ == '__main__':
    serve(sys.argv[1:])
