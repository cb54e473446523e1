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
