#!/usr/bin/env python3
"""kestrane-cli against the mistakes and attacks of a command line: each case
runs one shell command in a fresh folder holding a log, and checks the exit
status, a fragment of standard error, and that the files it must not touch
are byte for byte and mode for mode as they were, with no file left behind.

Usage: hostile.py PROGRAM
"""
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile

program = os.path.abspath(sys.argv[1])
header = 'time,target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity'
log = header + '\n08:00,20.95,30.00,30.00,75,0,50\n08:01,20.95,30.00,30.00,75,0,101\n'
semicolons = '"Zeit, UTC";target_gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity\n' \
             '07:00;20,95;30,00;30,00;75;0;50\n'
users_columns = header + ',corrected_barometer,error\n08:00,20.95,30.00,30.00,75,0,50,29.92 (station),E42\n'
cut_off = header + '\n08:00,20.95,30.00,30.00,75,0,50\n08:01,20.95,30.00'

# Each case: what it shows, the files of the folder (a text, or a text and its
# mode), the command ($CLI is the
# program), the exit status (negative: killed by that signal), a fragment of
# standard error (or of standard output after "out:"), and the files that
# must stay as they were.
cases = [
    ('a column of the user named as a result', {'log.csv': users_columns}, '$CLI log.csv -o out.csv', 2,
     'column 8 is named corrected_barometer', ['log.csv']),
    ('the rejects onto standard input\'s file', {'in.csv': log}, '$CLI - --rejects in.csv < in.csv', 2,
     "--rejects 'in.csv' is the log (standard input)", ['in.csv']),
    ('the output onto standard input\'s file', {'in.csv': log}, '$CLI - -o in.csv < in.csv', 2,
     "--output 'in.csv' is the log (standard input)", ['in.csv']),
    ('standard output appended to the log', {'log.csv': log}, '$CLI log.csv >> log.csv', 2,
     "standard output is the log 'log.csv'", ['log.csv']),
    ('/dev/stdin and the output', {'in.csv': log}, '$CLI /dev/stdin -o in.csv < in.csv', 2,
     "is the log '/dev/stdin'", ['in.csv']),
    ('a descriptor and the output', {'log.csv': log}, '$CLI /dev/fd/3 -o log.csv 3< log.csv', 2,
     "--output 'log.csv' is the log '/dev/fd/3'", ['log.csv']),
    ('a symbolic link to the output', {'log.csv': log}, 'ln -s log.csv link.csv && $CLI link.csv -o log.csv', 2,
     "--output 'log.csv' is the log 'link.csv'", ['log.csv']),
    ('a hard link as the rejects', {'log.csv': log}, 'ln log.csv hard.csv && $CLI log.csv --rejects hard.csv', 2,
     "--rejects 'hard.csv' is the log 'log.csv'", ['log.csv']),
    ('the rejects as the output', {'log.csv': log}, '$CLI log.csv -o new.csv --rejects ./new.csv', 2,
     "--rejects './new.csv' is --output 'new.csv'", ['log.csv']),
    ('a read-only output, as its user', {'log.csv': log, 'final.csv': ('signed off\n', 0o444)},
     '$AS_USER $CLI log.csv -o final.csv', 3, "cannot write 'final.csv': Permission denied", ['final.csv', 'log.csv']),
    ('a bad header leaves the rejects as they were', {'log.csv': 'no,header\n', 'rej.csv': 'kept\n'},
     '$CLI log.csv --rejects rej.csv -o out.csv', 2, 'missing columns', ['rej.csv', 'log.csv']),
    ('the rejects are not standard output', {'log.csv': log}, '$CLI log.csv --rejects -', 2,
     '--rejects needs a file name', ['log.csv']),
    ('--gas= is an empty text', {}, '$CLI --gas= --humidity=80', 1,
     'Error: Target Gas (% Vol) is not a number: ""', []),
    ('hPa meant, In Hg read', {}, '$CLI --barometric-pressure 1002', 0, 'is the unit hPa?', []),
    ('273.15 K is 0 degrees C', {}, '$CLI --temperature-unit K --temperature 273.15 --pressure-unit hPa '
     '--target-pressure 1013.25 --barometric-pressure 1013.25 2>&1 | grep -c warning; test $? = 1', 0, 'out:0', []),
    ('a table of refused cells', {}, '$CLI table --rows humidity=101:102:1 --columns altitude=0:1:1', 1,
     'out:E6: Error: Relative Humidity Outside of Range', []),
    ('help as a command', {}, '$CLI help table', 0, 'out:Usage: kestrane-cli table', []),
    ('a UTF-16 log', {'log.csv': '\ufeff' + log}, 'iconv -f UTF-8 -t UTF-16LE log.csv > u16.csv && $CLI u16.csv', 2,
     'UTF-16', ['log.csv']),
    ('a semicolon log whose header has a comma in quotes', {'log.csv': semicolons}, '$CLI --decimal-comma log.csv',
     0, '1 row read, 1 corrected', ['log.csv']),
    ('a last record cut off, to the rejects', {'log.csv': cut_off}, '$CLI log.csv --rejects rej.csv -o out.csv && '
     'cmp -s rej.csv <(printf "08:01,20.95,30.00")', 1, '1 malformed', ['log.csv']),
    ('its own output, corrected again', {'log.csv': log + '08:02,20.95,30.00\n,,,,,,\n'},
     '$CLI log.csv -o one.csv; $CLI one.csv -o two.csv; cmp one.csv two.csv', 0, '', ['log.csv']),
    ('a replaced file keeps its mode', {'log.csv': log, 'out.csv': 'old\n'},
     'chmod 640 out.csv && $CLI log.csv -o out.csv; test "$(stat -c %a out.csv)" = 640', 0, '', ['log.csv']),
    # provenance
    ('its output with uncertainties, again with no options', {'log.csv': log},
     '$CLI log.csv --u-gas 0.05 -o one.csv; $CLI one.csv -o two.csv; cmp one.csv two.csv && head -1 two.csv', 0,
     'out:relative_humidity,u_target_gas,calculated_gas_pct', ['log.csv']),
    ('its output in other units, again with no options', {'log.csv': header + '\n08:00,20.95,1013,1013,20,300,50\n'},
     '$CLI log.csv --pressure-unit hPa --temperature-unit C --distance-unit m -o one.csv && $CLI one.csv -o two.csv '
     '&& cmp one.csv two.csv && cat two.csv', 0, 'out:Degrees C,hPa,Meters,19.99,', ['log.csv']),
    ('its output with a decimal comma, again with no options', {'log.csv': semicolons},
     '$CLI --decimal-comma log.csv -o one.csv && $CLI one.csv -o two.csv && cmp one.csv two.csv && cat two.csv', 0,
     'out:;50;,;20,64;', ['log.csv']),
    ('one reading as CSV, fed back with no options', {},
     '$CLI --format csv --decimal-comma --u-gas 0,05 --distance-unit m --altitude 100 > one.csv && '
     '$CLI one.csv | cmp - one.csv && echo same', 0, 'out:same', []),
    ('its own output corrected with options, again with none', {'log.csv': log},
     '$CLI log.csv -o one.csv; $CLI one.csv --u-gas 0.05 --temperature-unit C -o two.csv; $CLI two.csv -o three.csv;'
     ' cmp two.csv three.csv && head -1 three.csv', 0, 'out:relative_humidity,temperature_unit,u_target_gas,', ['log.csv']),
    ('a UTF-16 log with no byte order mark', {'log.csv': log},
     'iconv -f UTF-8 -t UTF-16LE log.csv > u16.csv && $CLI u16.csv', 2, 'the log is UTF-16 text', ['log.csv']),
    ('a no-break space after a name', {'log.csv': log.replace('target_gas', 'target_gas\u00a0', 1)}, '$CLI log.csv', 2,
     'column 2 is "target_gas" with a no-break space (U+00A0) in it', ['log.csv']),
    ('a column after its own output', {'log.csv': header + ',calculated_gas_pct,calculated_gas_pressure,'
                                       'vapor_pressure_pct,corrected_barometer,error,warning,notes\n'
                                       '08:00,20.95,30.00,30.00,75,0,50,1,2,3,4,,,ok\n'}, '$CLI log.csv', 2,
     'columns 8 to 13 are the columns a corrected log ends in, and column 14 (notes) follows them', ['log.csv']),
    # numbers
    ('hPa meant for the target pressure', {}, '$CLI --target-pressure 1013.25', 0,
     'the target pressure, read in In Hg, lies outside what any weather gives (250 to 1100 hPa): is the unit hPa?',
     []),
    ('mm Hg meant for the target pressure', {}, '$CLI --target-pressure 760 --barometric-pressure 29.92', 0,
     'is the unit mm Hg or hPa?', []),
    # the uncertainty's settings: each bad value refused, saying what is wrong and what would do
    ('an empty seed', {}, '$CLI --u-gas 0.1 --monte-carlo auto --seed ""', 2, '--seed "" is not a whole number', []),
    ('a negative seed', {}, '$CLI --u-gas 0.1 --monte-carlo auto --seed -1', 2,
     '--seed "-1" is not a whole number; use 0 to 18446744073709551615', []),
    ('a seed past 2^64 - 1', {}, '$CLI --u-gas 0.1 --monte-carlo auto --seed 18446744073709551616', 2,
     '--seed 18446744073709551616 is out of range; use 0 to 18446744073709551615', []),
    ('a hexadecimal seed', {}, '$CLI --u-gas 0.1 --monte-carlo auto --seed 0x10', 2,
     '--seed "0x10" is not a whole number', []),
    ('a seed with an exponent', {}, '$CLI --u-gas 0.1 --monte-carlo auto --seed 1e3', 2,
     '--seed "1e3" is not a whole number', []),
    ('Monte Carlo draws that are no number', {}, '$CLI --u-gas 0.1 --monte-carlo abc', 2,
     '--monte-carlo "abc" is not a whole number; use 200000 to 10000000 at 95 % coverage, or auto', []),
    ('too few Monte Carlo draws for 95 %', {}, '$CLI --u-gas 0.1 --monte-carlo 1000', 2,
     '--monte-carlo 1000 is out of range; use 200000 to 10000000 at 95 % coverage, or auto', []),
    ('too few Monte Carlo draws for 99 %', {}, '$CLI --u-gas 0.1 --coverage 0.99 --monte-carlo 200000', 2,
     '--monte-carlo 200000 is out of range; use 1000000 to 10000000 at 99 % coverage, or auto', []),
    ('Monte Carlo as CSV', {}, '$CLI --format csv --u-gas 0.05 --monte-carlo 200000', 2,
     '--monte-carlo does not go with --format csv: a CSV row states the expanded uncertainties alone; give --format '
     'text or --format json', []),
    ('an interval without Monte Carlo', {}, '$CLI --u-gas 0.1 --interval shortest', 2,
     '--interval requires --monte-carlo', []),
    ('an interval of no kind', {}, '$CLI --u-gas 0.1 --monte-carlo auto --interval middle', 2,
     '--interval "middle" is neither symmetric nor shortest', []),
    ('a shape that is none', {}, '$CLI --u-gas 0.05:square', 2,
     'Error: Standard Uncertainty of Target Gas (% Vol) has a shape that is none of normal, rectangular, triangular '
     'or arcsine: "0.05:square"', []),
    ('a shape in a log\'s cell that is none', {'log.csv': header + ',u_temperature\n08:00,20.95,30.00,30.00,75,0,50,'
                                              '0.5:uniform\n'}, '$CLI log.csv', 1,
     '1 row read, 0 corrected, 1 refused', ['log.csv']),
    ('a coverage probability above 1', {}, '$CLI --u-gas 0.1 --coverage 1.5', 2,
     '--coverage 1.5 is out of range; use 0.5 to 0.9999', []),
    ('a coverage probability as a per cent', {}, '$CLI --u-gas 0.1 --coverage 95%', 2,
     '--coverage "95%" is not a number; use 0.5 to 0.9999', []),
    ('no degrees of freedom', {}, '$CLI --u-gas 0.1 --dof-gas 0', 2,
     '--dof-gas 0 is out of range; use 1 or more (leave it out for infinitely many)', []),
    ('infinite degrees of freedom written out', {}, '$CLI --u-gas 0.1 --dof-gas inf', 2,
     '--dof-gas "inf" is not a number', []),
    ('a correlation above 1', {}, '$CLI --u-gas 0.1 --correlation gas,altitude=1.5', 2,
     '--correlation "gas,altitude=1.5": r 1.5 is out of range; use -1 to 1', []),
    ('a correlation below -1', {}, '$CLI --u-gas 0.1 --correlation gas,altitude=-1.01', 2,
     '--correlation "gas,altitude=-1.01": r -1.01 is out of range; use -1 to 1', []),
    ('a field correlated with itself', {}, '$CLI --u-gas 0.1 --correlation gas,gas=0.5', 2,
     '--correlation "gas,gas=0.5" names gas twice: a correlation is between two different fields', []),
    ('a pair given twice', {}, '$CLI --u-gas 0.1 --correlation gas,altitude=0.5 --correlation altitude,gas=0.5', 2,
     '--correlation "altitude,gas=0.5" names a pair given before: give each pair once', []),
    ('a correlation of no field', {}, '$CLI --u-gas 0.1 --correlation gas,pressure=0.5', 2,
     '"pressure" is no field; use gas, target-pressure, barometric-pressure (or barometer), temperature, altitude or '
     'humidity', []),
    ('correlations no inputs can have', {},
     '$CLI --u-gas 0.1 --correlation gas,altitude=0.9 --correlation gas,temperature=0.9 '
     '--correlation altitude,temperature=-0.9', 2,
     'Error: the correlations cannot hold together: gas,temperature=0.9 with those before it', []),
    ('correlations no row of a log can have', {'log.csv': log},
     '$CLI log.csv --u-gas 0.1 --correlation gas,altitude=1 --correlation gas,temperature=1 '
     '--correlation altitude,temperature=0', 2,
     'Error: the correlations cannot hold together', ['log.csv']),
    ('an uncertainty past the largest double', {}, '$CLI --u-gas 1e309', 2,
     'Standard Uncertainty of Target Gas (% Vol) is out of range: "1e309"\n', []),
    ('an uncertainty whose square overflows', {}, '$CLI --u-gas 1e200 | grep -c -w -e inf -e nan; test $? = 1', 0,
     'out:0', []),
    ('a result\'s uncertainty past the largest double', {}, '$CLI --u-gas 1e308 --format json', 1,
     'the uncertainty of the results is too large to state', []),
    ('a log row whose uncertainty is too large', {'log.csv': header + ',u_target_gas\n' +
     '08:00,20.95,30.00,30.00,75,0,50,1e308\n'}, '$CLI log.csv -o out.csv', 1, '1 row read, 0 corrected, 1 refused',
     ['log.csv']),
    # the analyzer's check and the record: each bad value refused, naming what it is and what would do
    ('an analyzer reading that is no number', {}, '$CLI --analyzer-reading 20.7x --tolerance 0.1', 2,
     'Error: Analyzer Reading As Found (% Vol) is not a number: "20.7x"', []),
    ('an analyzer reading past the largest double', {}, '$CLI --analyzer-reading 1e309 --tolerance 0.1', 2,
     'Error: Analyzer Reading As Found (% Vol) is out of range: "1e309"', []),
    ('an analyzer reading with a decimal comma unasked', {}, '$CLI --analyzer-reading 20,7 --tolerance 0.1', 2,
     '"20,7" (for a decimal comma, give --decimal-comma)', []),
    ('an as-left reading that is empty', {}, '$CLI --analyzer-reading 20.7 --as-left= --tolerance 0.1', 2,
     'Error: Analyzer Reading As Left (% Vol) is not a number: ""', []),
    ('an as-left reading without one as found', {}, '$CLI --as-left 20.7', 2,
     '--as-left needs --analyzer-reading', []),
    ('a tolerance of zero', {}, '$CLI --analyzer-reading 20.7 --tolerance 0', 2,
     'Error: Tolerance (\u00b1 % Vol) is not above 0: "0"', []),
    ('a tolerance of infinity written out', {}, '$CLI --analyzer-reading 20.7 --tolerance inf', 2,
     'Error: Tolerance (\u00b1 % Vol) is not a number: "inf"', []),
    ('a reading without a tolerance', {}, '$CLI --analyzer-reading 20.7', 2, '--analyzer-reading needs --tolerance',
     []),
    ('an analyzer uncertainty below 0', {}, '$CLI --analyzer-reading 20.7 --tolerance 0.1 --u-analyzer -0.01', 2,
     'Error: Standard Uncertainty of Analyzer Reading (% Vol) is below 0: "-0.01"', []),
    ('an analyzer uncertainty of no shape', {}, '$CLI --analyzer-reading 20.7 --tolerance 0.1 --u-analyzer 0.1:flat',
     2, 'has a shape that is none of normal, rectangular, triangular or arcsine', []),
    ('a decision rule of no name', {}, '$CLI --analyzer-reading 20.7 --tolerance 0.1 --decision-rule strict', 2,
     '--decision-rule: strict not in {simple,guarded}', []),
    ('guarded acceptance with no uncertainty', {}, '$CLI --analyzer-reading 20.7 --tolerance 0.1 '
     '--decision-rule guarded', 2, 'guarded acceptance needs the uncertainty of the analyzer\'s error', []),
    ('a log\'s tolerance that is no number', {'log.csv': log}, '$CLI log.csv --tolerance x', 2,
     'Error: Tolerance (\u00b1 % Vol) is not a number: "x"', ['log.csv']),
    ('a log row with a reading and no tolerance', {'log.csv': header + ',analyzer_reading\n'
                                                  '08:00,20.95,30.00,30.00,75,0,50,20.6\n'}, '$CLI log.csv', 1,
     '1 row read, 0 corrected, 1 refused; as found 0 passed, 0 failed', ['log.csv']),
    ('a log row of no decision rule', {'log.csv': header + ',analyzer_reading,decision_rule\n'
                                      '08:00,20.95,30.00,30.00,75,0,50,20.6,strict\n'},
     '$CLI log.csv --tolerance 0.1 | grep -c \'decision_rule is ""strict""\'', 0, 'out:1', ['log.csv']),
    ('an as-left column alone', {'log.csv': header + ',as_left\n08:00,20.95,30.00,30.00,75,0,50,20.6\n'},
     '$CLI log.csv', 2, 'column as_left needs a column analyzer_reading', ['log.csv']),
    ('a record text of two lines', {}, '$CLI --record-lab-name "$(printf \'a\\nb\')"', 2,
     '--record-lab-name is more than one line', []),
    ('a record text of 201 characters', {}, '$CLI --record-customer "$(printf \'%.0s\u00e5\' {1..201})"', 2,
     '--record-customer is longer than 200 characters', []),
    ('a record file with an unknown field', {'lab.txt': '# ours\nlab-name = Gas Lab\nlab = Gas Lab\n'},
     '$CLI --record lab.txt', 2, "--record 'lab.txt': line 3: unknown field \"lab\"", ['lab.txt']),
    ('a record file with a field twice', {'lab.txt': 'operator = A\n\noperator = B\n'}, '$CLI --record lab.txt', 2,
     "--record 'lab.txt': line 3: operator again (first on line 1)", ['lab.txt']),
    ('a record file with a line of no field', {'lab.txt': 'Gas Lab\n'}, '$CLI --record lab.txt', 2,
     "line 1: no \"=\": write each field as FIELD = TEXT", ['lab.txt']),
    ('a record file that is missing', {}, '$CLI --record none.txt', 3,
     "cannot read 'none.txt': No such file or directory", []),
    ('a record with a log', {'log.csv': log}, '$CLI log.csv --record-lab-name Lab', 2,
     '--record-lab-name goes with one reading: a log has no record', ['log.csv']),
    ('a tolerance with a table', {}, '$CLI table --rows altitude=0:1:1 --columns temperature=0:1:1 --tolerance 1', 2,
     '--tolerance does not go with table', []),
    # files
    ('-o through /proc/self/fd/1 appends as >> does', {'log.csv': log, 'a.csv': 'old1\nold2\n'},
     '$CLI log.csv --quiet -o /proc/self/fd/1 >> a.csv; test $? = 1 && head -3 a.csv', 0, 'out:old1\nold2\ntime,', []),
    ('--rejects /dev/stderr appends as 2>> does', {'log.csv': cut_off, 'err.log': 'old\n'},
     '$CLI log.csv -o out.csv --rejects /dev/stderr 2>>err.log; test $? = 1 && cat err.log', 0,
     'out:old\n08:01,20.95,30.00kestrane-cli: 2 rows read', ['log.csv']),
    ('-o /dev/stdout is still compared with the log', {'log.csv': log}, '$CLI log.csv -o /dev/stdout >> log.csv', 2,
     "--output '/dev/stdout' is the log 'log.csv'", ['log.csv']),
    ('new output and rejects, one through a linked folder', {'log.csv': cut_off},
     'mkdir d && ln -s d dl && $CLI log.csv -o d/o.csv --rejects dl/o.csv', 2,
     "--rejects 'dl/o.csv' is --output 'd/o.csv'", ['log.csv']),
    ('standard error appended to the log: nothing written', {'log.csv': log}, '$CLI log.csv -o o.csv 2>>log.csv', 2,
     '', ['log.csv']),
    ('standard error is the output', {'log.csv': log}, '$CLI log.csv -o o.csv 2>o.csv; s=$?; cat o.csv; exit $s', 2,
     "out:--output 'o.csv' is standard error", ['log.csv']),
    ('standard error is the rejects', {'log.csv': log}, '$CLI log.csv --rejects r.csv -o o.csv 2>>r.csv', 2,
     '', ['log.csv']),
    ('a writable file in a read-only folder, written in place', {'log.csv': log},
     'mkdir ro && printf "old old old old old old old old old old\n%.0s" {1..50} > ro/out.csv && chmod 666 ro/out.csv '
     '&& chmod 555 ro && $AS_USER $CLI log.csv --quiet -o ro/out.csv; s=$?; chmod 755 ro; test $s = 1 && '
     'cmp ro/out.csv <($CLI log.csv --quiet)', 0, "note: writing 'ro/out.csv' in place", ['log.csv']),
    ('another user\'s file in a sticky folder, written in place', {'log.csv': log},
     'mkdir st && chmod 1777 st && echo old > st/out.csv && chmod 666 st/out.csv && '
     '$AS_USER $CLI log.csv --quiet -o st/out.csv; test $? = 1 && cmp st/out.csv <($CLI log.csv --quiet)', 0,
     "note: writing 'st/out.csv' in place" if os.geteuid() == 0 else '', ['log.csv']),
    ('a bind-mounted output, written in place (where a mount may be made)', {'log.csv': log, 'src.csv': 'old\n'},
     'touch out.csv; if unshare -m true 2>/dev/null; then unshare -m sh -c \'mount --bind src.csv out.csv && '
     '"$CLI" log.csv --quiet -o out.csv; test $? = 1\' && grep -c "^08:0" src.csv; else echo 2; fi', 0, 'out:2', []),
    ('an output with a hard link: replaced, and said so', {'log.csv': log, 'out.csv': 'old\n'},
     'ln out.csv other.csv && $CLI log.csv --quiet -o out.csv 2>&1; cat other.csv', 0,
     'out:which keep its old text\nold\n', ['log.csv']),
    ('a new file left by a killed run is removed', {'log.csv': log},
     '(exit 0) & p=$!; wait; touch .out.csv.kestrane-$p-AbCd12 .out.csv.kestrane-$$-AbCd12 && '
     '$CLI log.csv -o out.csv; test $? = 1 && ls -A | grep -c kestrane-; rm .out.csv.kestrane-$$-AbCd12', 0,
     'out:1', ['log.csv']),
]


def run_as_user():
    """The prefix that runs a command as an ordinary user: root may write any file."""
    if os.geteuid() != 0:
        return ''
    return 'setpriv --reuid=nobody --regid=nogroup --clear-groups'


def snapshot(folder, names):
    return {name: (open(os.path.join(folder, name), 'rb').read(), stat.S_IMODE(os.stat(os.path.join(folder, name)).st_mode))
            for name in names}


failed = 0
for name, files, command, status, fragment, untouched in cases:
    folder = tempfile.mkdtemp(prefix='kestrane-hostile-')
    os.chmod(folder, 0o777)  # the ordinary user may make its new file beside the old one
    for file, text in files.items():
        text, mode = text if isinstance(text, tuple) else (text, 0o644)
        with open(os.path.join(folder, file), 'w', encoding='utf-8') as f:
            f.write(text)
        os.chmod(os.path.join(folder, file), mode)
    before = snapshot(folder, untouched)
    env = dict(os.environ, CLI=program, AS_USER=run_as_user(), LC_ALL='C.UTF-8')
    done = subprocess.run(['bash', '-c', command], cwd=folder, env=env, capture_output=True, text=True)
    problems = []
    if done.returncode != status:
        problems.append(f'exit status {done.returncode}, expected {status}')
    where, wanted = ('out', fragment[4:]) if fragment.startswith('out:') else ('err', fragment)
    if wanted not in (done.stdout if where == 'out' else done.stderr):
        problems.append(f'no "{wanted}" in standard {"output" if where == "out" else "error"}')
    after = snapshot(folder, [n for n in untouched if os.path.exists(os.path.join(folder, n))])
    if after != before:
        problems.append(f'a file changed: {sorted(n for n in before if after.get(n) != before[n])}')
    left = [n for n in os.listdir(folder) if n.startswith('.')]
    if left:
        problems.append(f'files left behind: {left}')
    if problems:
        failed += 1
        print(f'FAILED: {name}: $ {command}\n  ' + '\n  '.join(problems) +
              f'\n  stdout: {done.stdout[:300]!r}\n  stderr: {done.stderr[:300]!r}')
    shutil.rmtree(folder)

# A run ended by a broken pipe on standard error, before it could replace its
# output, leaves the output as it was and no new file beside it.
folder = tempfile.mkdtemp(prefix='kestrane-hostile-')
big = header + '\n' + '08:00,20.95,30.00,30.00,75,0,50\n' * 200000
with open(os.path.join(folder, 'log.csv'), 'w') as f:
    f.write(big)
with open(os.path.join(folder, 'out.csv'), 'w') as f:
    f.write('old\n')
reader, writer = os.pipe()
os.close(reader)
done = subprocess.run([program, 'log.csv', '-o', 'out.csv', '--rejects', 'rej.csv'], cwd=folder, stderr=writer,
                      stdout=subprocess.DEVNULL)
os.close(writer)
left = sorted(os.listdir(folder))
if done.returncode != -signal.SIGPIPE or left != ['log.csv', 'out.csv'] or \
        open(os.path.join(folder, 'out.csv')).read() != 'old\n':
    failed += 1
    print(f'FAILED: a broken pipe on standard error: status {done.returncode}, files {left}')
shutil.rmtree(folder)

print(f'{len(cases) + 1 - failed} passed, {failed} failed')
sys.exit(1 if failed else 0)
