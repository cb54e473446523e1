// What the dataframe peers share: the numbers of the correction's formula, read
// from core/formula.h itself so that the peers compute with the very constants
// the core does and cannot drift from them; their command line; and the sync of
// their output to disk.
import { closeSync, fsyncSync, openSync, readFileSync } from 'node:fs';

const header = readFileSync(new URL('../core/formula.h', import.meta.url), 'utf8');

function constant(name) {
  const match = header.match(new RegExp(`constexpr double ${name} = ([-+0-9.e]+);`));
  if (!match) throw new Error(`core/formula.h has no constant ${name}`);
  return Number(match[1]);
}

// Saturation curve S(t) = (((c4 t + c3) t + c2) t + c1) t + c0, highest power first.
export const saturation = ['c4', 'c3', 'c2', 'c1', 'c0'].map((c) => constant(`saturation_${c}`));
export const freezingF = constant('freezing_f');
export const heightSlope = constant('height_slope');
export const heightScale = constant('height_scale');
export const centimetresPerFoot = constant('centimetres_per_foot');

// Input and output paths from the command line, as every peer takes them.
export function paths(name) {
  const [input, output] = process.argv.slice(2);
  if (!input || !output) {
    console.error(`usage: ${name} LOG.csv OUT.csv`);
    process.exit(2);
  }
  return { input, output };
}

// Syncs a written file to disk, as kestrane-cli -o does before it exits, so that
// every contender's time includes the same work.
export function syncToDisk(path) {
  const fd = openSync(path, 'r+');
  fsyncSync(fd);
  closeSync(fd);
}
