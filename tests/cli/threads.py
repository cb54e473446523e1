#!/usr/bin/env python3
"""kestrane-cli correcting log files of several blocks on 1, 2, 3 and 7
threads: the output, the rejects, standard error and the exit status must be
the same whatever the threads. The logs repeat the example logs and hostile
records (quoted line breaks, broken quotes, bare quotes, lone CRs, records
past the bound, a quote left open at the end) until they span several blocks.

Usage: threads.py PROGRAM DATA_FOLDER
"""
import os
import subprocess
import sys
import tempfile

program = os.path.abspath(sys.argv[1])
data = sys.argv[2]
size = 5 << 20  # several blocks of a megabyte


def read(name):
    with open(os.path.join(data, name), 'rb') as f:
        return f.read()


def grown(header, rows):
    """The header, then the rows again and again until the log is `size` bytes."""
    return header + rows * (size // len(rows) + 1)


def split_header(log):
    at = log.index(b'\n') + 1
    return log[:at], log[at:]


six = b'target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity'
hostile_rows = b''.join([
    b'"one\nline, two\r\nthree",20.95,30,30,75,0,50\n',
    b'"two\nlines"x,20.95,30,30,75,0,50\n',
    b'5\'11",20.95,30,30,75,0,50\n',
    b'short,1\n',
    b',,,,,,\n\n',
    b'"' + b'long line\n' * 120 + b'",20.95,30,30,75,0,50\n',
    b'x' * 2000 + b',20.95,30,30,75,0,50\n',
])
logs = {
    'example': (grown(*split_header(read('log.csv'))), []),
    'europe': (grown(*split_header(read('europe.csv'))), ['--decimal-comma', '--temperature-unit', 'C']),
    'hostile': (grown(b'note,' + six + b'\n', hostile_rows) + b'y' * (3 << 19) + b',1\n' + hostile_rows +
                b'"unclosed,20.95\nlast,20.95', []),
    'lone_cr': (grown(b'note,' + six + b'\r', hostile_rows.replace(b'\n', b'\r')), []),
    'bad_header': (grown(b'note,target_gas\n', b'a,20.95\n'), []),
}

failures = 0
with tempfile.TemporaryDirectory() as folder:
    for name, (log, options) in logs.items():
        path = os.path.join(folder, name + '.csv')
        with open(path, 'wb') as f:
            f.write(log)
        first = None
        for threads in ['1', '2', '3', '7']:
            out = os.path.join(folder, 'out.csv')
            rejects = os.path.join(folder, 'rejects.csv')
            for leftover in (out, rejects):
                if os.path.exists(leftover):
                    os.remove(leftover)
            done = subprocess.run([program, path, '-o', out, '--rejects', rejects, '--threads', threads] + options,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            written = [open(p, 'rb').read() if os.path.exists(p) else None for p in (out, rejects)]
            got = (done.returncode, done.stderr, written)
            if first is None:
                first = got
                print(f'{name}: status {done.returncode}, {done.stderr.decode().strip()}')
            elif got != first:
                failures += 1
                print(f'FAIL {name} on {threads} threads: status {done.returncode} (one thread: {first[0]}), '
                      f'stderr {done.stderr!r} (one thread: {first[1]!r}), '
                      f'output and rejects the same: {[a == b for a, b in zip(written, first[2])]}')
        # Standard output filled up: the same failure on several threads.
        full = subprocess.run(f'"{program}" "{path}" --threads 3 {" ".join(options)} > /dev/full', shell=True,
                              stderr=subprocess.PIPE)
        expected = 2 if name == 'bad_header' else 3
        if full.returncode != expected:
            failures += 1
            print(f'FAIL {name} onto a full disk: status {full.returncode}, {full.stderr!r}')
sys.exit(1 if failures else 0)
