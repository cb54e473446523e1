// kestrane-cli, the native build, as the reference the page must agree with:
// many readings in one --csv run, read back by column name.
import { spawnSync } from 'node:child_process';
import { join } from 'node:path';
import { repoRoot } from './browser.mjs';

const cliPath = join(repoRoot, 'build', 'native', 'cli', 'kestrane-cli');
const inputColumns = ['target_gas', 'target_pressure', 'barometric_pressure', 'temperature', 'altitude',
  'relative_humidity', 'temperature_unit', 'pressure_unit', 'distance_unit'];
const resultColumns = ['calculated_gas_pct', 'calculated_gas_pressure', 'vapor_pressure_pct', 'corrected_barometer'];

const quote = (cell) => `"${cell.replaceAll('"', '""')}"`;

// The records of an RFC 4180 text, each an array of cells.
function parseCsv(text) {
  const records = [];
  let record = [], cell = '', quoted = false;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') cell += c, ++i;
      else if (c === '"') quoted = false;
      else cell += c;
    } else if (c === '"') quoted = true;
    else if (c === ',') record.push(cell), cell = '';
    else if (c === '\n') record.push(cell), records.push(record), record = [], cell = '';
    else if (c !== '\r') cell += c;
  }
  return records;
}

// Each reading ({texts: six field texts, units: three list texts}) through
// `kestrane-cli --lenient --csv -`: {results: the four texts} or {message}.
export function cliOutcomes(readings) {
  const rows = readings.map((r) => [...r.texts, ...r.units].map(quote).join(','));
  const input = [inputColumns.join(','), ...rows].join('\r\n') + '\r\n';
  const run = spawnSync(cliPath, ['--lenient', '--csv', '-'], { input, encoding: 'utf8', maxBuffer: 1 << 26 });
  if (run.error) throw new Error(`kestrane-cli (${cliPath}) could not run: ${run.error.message}`);
  if (run.status !== 0 && run.status !== 1) throw new Error(`kestrane-cli exited ${run.status ?? run.signal}: ${run.stderr}`);
  const [header, ...records] = parseCsv(run.stdout);
  const at = (record, name) => record[header.indexOf(name)];
  if (records.length !== readings.length) throw new Error(`kestrane-cli gave ${records.length} rows for ${readings.length}`);
  return records.map((record) => {
    const message = at(record, 'error');
    return message ? { message } : { results: resultColumns.map((name) => at(record, name)) };
  });
}

// An address's parts as kestrane-cli's options: "u-gas=0.05:rectangular" is
// --u-gas 0.05:rectangular (the value is everything after the first "="), a flag alone is itself.
export const cliArgs = (address) => address.replace(/^#/, '').split('&').filter((part) => part !== '').flatMap((part) => {
  const equals = part.indexOf('=');
  return equals < 0 ? [`--${part}`] : [`--${part.slice(0, equals)}`, decodeURIComponent(part.slice(equals + 1))];
});

// kestrane-cli's text for the reading of an address, in its blocks: the
// record's lines, the four results' texts after their labels, the analyzer's
// checks' lines, each budget (its title, then its header and rows split into
// cells, then the lines after them), Monte Carlo's lines, and the warnings it
// writes to standard error.
export function cliReading(address) {
  const run = spawnSync(cliPath, cliArgs(address), { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`kestrane-cli ${cliArgs(address).join(' ')}: ${run.stderr}`);
  const all = run.stdout.trimEnd().split('\n\n').map((block) => block.split('\n'));
  const record = all[0][0].startsWith('Calibration record') ? all.shift() : [];
  const [lines, ...blocks] = all;
  const results = lines.slice(0, 4);
  const budgets = blocks.filter((lines) => !lines[0].startsWith('Monte Carlo'));
  return {
    record,
    checks: lines.slice(4),
    results: results.map((line) => line.slice(line.indexOf(': ') + 2)),
    budgets: budgets.map(([title, header, ...rest]) => [title, header.split(/ {2,}/),
      ...rest.map((line, i) => (i < 8 ? line.split(/ {2,}/) : line))]),
    monteCarlo: blocks.find((lines) => lines[0].startsWith('Monte Carlo')) ?? [],
    warnings: run.stderr.split('\n').filter((line) => line !== ''),
  };
}

// kestrane-cli --format json's object for the reading of an address.
// A refused reading's object is its error alone: kestrane-cli writes only the message.
export function cliJson(address) {
  const run = spawnSync(cliPath, [...cliArgs(address), '--format', 'json'], { encoding: 'utf8' });
  return run.stdout ? JSON.parse(run.stdout) : { error: run.stderr.trim().replace(/^kestrane-cli: /, '') };
}
