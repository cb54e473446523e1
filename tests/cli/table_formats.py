#!/usr/bin/env python3
"""A table's CSV formats load as they stand: read back with Python's csv module
(as pandas and csvkit read CSV), the grid has one header row and nothing else,
and the long format has one row per cell with the grid's texts.

Usage: table_formats.py PROGRAM [EMULATOR...]
"""
import csv
import io
import subprocess
import sys

program = sys.argv[2:] + sys.argv[1:2]  # the emulator, if any, runs the program
failures = []
checks = 0


def check(condition, what):
    global checks
    checks += 1
    if not condition:
        failures.append(what)


def run(*args):
    done = subprocess.run(program + list(args), capture_output=True)
    return done.returncode, done.stdout.decode('utf-8'), done.stderr.decode('utf-8')


def records(text, delimiter):
    return list(csv.reader(io.StringIO(text, newline=''), delimiter=delimiter))


def check_sweep(name, options, delimiter):
    """One sweep in both formats, with the options given."""
    status, grid_text, notes = run('table', '--format', 'csv', *options)
    check(status == 0, f'{name}: csv exit status {status}: {notes}')
    grid = records(grid_text, delimiter)
    header, rows = grid[0], grid[1:]
    # One header row, then rows as wide as it: a title or legend line would not be.
    check(all(len(row) == len(header) for row in rows), f'{name}: rows of other widths in\n{grid_text}')
    check(' \\ ' in header[0] and '(' in header[0], f'{name}: first header cell {header[0]!r}')
    check('Fixed:' in notes and 'Units:' in notes, f'{name}: titles not on standard error: {notes!r}')

    status, long_text, _ = run('table', '--format', 'long', *options)
    check(status == 0, f'{name}: long exit status {status}')
    long_rows = list(csv.DictReader(io.StringIO(long_text, newline=''), delimiter=delimiter))
    check(len(long_rows) == len(rows) * (len(header) - 1),
          f'{name}: {len(long_rows)} long rows for a grid of {len(rows)} x {len(header) - 1}')
    columns = list(long_rows[0].keys()) if long_rows else []
    check(columns[3:] == ['unit', 'error', 'warning'], f'{name}: long header {columns}')
    i = 0
    for row in rows:
        for column, cell in zip(header[1:], row[1:]):
            if i >= len(long_rows):
                break
            tidy = long_rows[i]
            i += 1
            where = f'{name}: {columns[0]}={row[0]}, {columns[1]}={column}'
            check((tidy[columns[0]], tidy[columns[1]]) == (row[0], column), f'{where}: long row {tidy}')
            if cell.startswith('E'):
                check(tidy[columns[2]] == '' and tidy['error'].startswith('Error: '), f'{where}: refused {tidy}')
            else:
                check(tidy[columns[2]] == cell and tidy['error'] == '', f'{where}: grid {cell}, long {tidy}')
    return grid, long_rows


grid, long_rows = check_sweep('altitude by temperature', [
    '--rows', 'altitude=0:10000:2500', '--columns', 'temperature=32:104:18', '--humidity', '50'], ',')
check(grid[0] == ['altitude (Feet) \\ temperature (Degrees F)', '32', '50', '68', '86', '104'], f'header {grid[0]}')
check(grid[1] == ['0', '20.89', '20.82', '20.71', '20.51', '20.19'], f'first row {grid[1]}')

# Refused cells and warnings, in hectopascals, with a decimal comma and semicolons.
grid, long_rows = check_sweep('humidity by temperature, European', [
    '--rows', 'humidity=0:150:50', '--columns', 'temperature=0:60:30', '--temperature-unit', 'C',
    '--pressure-unit', 'hPa', '--target-pressure', '1013,25', '--barometric-pressure', '1013,25',
    '--result', 'gas-pressure', '--decimal-comma', '--delimiter', ';'], ';')
check(grid[0][0] == 'relative humidity (%) \\ temperature (Degrees C)', f'header {grid[0]}')
check(all(',' in cell for row in grid[1:3] for cell in row[1:]), f'decimal commas in {grid}')
check(grid[4][1:] == ['E6', 'E6', 'E6'], f'refused row {grid[4]}')
check(long_rows[0]['unit'] == 'hPa', f'unit {long_rows[0]}')
check('vapor pressure curve' in long_rows[5]['warning'], f'warning at 60 C: {long_rows[5]}')

status, grid_text, notes = run('table', '--format', 'csv', '--quiet', '--rows', 'altitude=0:1:1',
                               '--columns', 'temperature=50:60:10')
check(status == 0 and notes == '', f'--quiet left {notes!r}')

for failure in failures:
    print('FAILED:', failure)
print(f'{checks - len(failures)} passed, {len(failures)} failed')
sys.exit(1 if failures else 0)
