#!/usr/bin/env python3
"""The README's console examples are what the program prints: each ```console
block is run in order, in a folder holding a copy of docs/examples, with the
built kestrane-cli first on the PATH; every "$ command" line must print
exactly the lines under it (standard output and standard error as a terminal
shows them, one after the other).

Usage: readme_examples.py README PROGRAM_DIR EXAMPLES_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

readme, program_dir, examples = sys.argv[1:4]


def console_blocks(text):
    """Each console block as a list of (command, expected output) pairs."""
    for block in re.findall(r'^```console\n(.*?)^```$', text, flags=re.M | re.S):
        pairs = []
        for line in block.splitlines(keepends=True):
            if line.startswith('$ '):
                pairs.append([line[2:].rstrip('\n'), ''])
            elif pairs:
                pairs[-1][1] += line
        yield pairs


with open(readme, encoding='utf-8') as f:
    blocks = list(console_blocks(f.read()))
passed = failed = 0
with tempfile.TemporaryDirectory() as work:
    shutil.copytree(examples, os.path.join(work, 'docs', 'examples'))
    env = dict(os.environ, PATH=os.path.abspath(program_dir) + os.pathsep + os.environ['PATH'], LC_ALL='C.UTF-8')
    for pairs in blocks:
        for command, expected in pairs:
            done = subprocess.run(['bash', '-c', command], cwd=work, env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT)
            shown = done.stdout.decode('utf-8')
            if shown == expected:
                passed += 1
            else:
                failed += 1
                print(f'FAILED: $ {command}\n--- the README shows:\n{expected}--- the program printed:\n{shown}---')
if passed + failed < 10:
    failed += 1
    print(f'FAILED: only {passed + failed - 1} console examples found in {readme}')
print(f'{passed} passed, {failed} failed')
sys.exit(1 if failed else 0)
