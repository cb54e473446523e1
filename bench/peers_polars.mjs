#!/usr/bin/env node
// The correction of a log as a data analyst would write it with Polars: read
// the CSV, add the four results as column expressions on float64 (default
// units: % Vol, in Hg, degrees F, feet), write the CSV and sync it to disk, as
// kestrane-cli -o does. Polars streams the query on all cores.
// Usage: peers_polars.mjs LOG.csv OUT.csv
import pl from 'nodejs-polars';
import * as f from './peers_common.mjs';

const { input, output } = f.paths('peers_polars.mjs');
const col = (name) => pl.col(name).cast(pl.Float64);

const t = col('temperature');
const [c4, ...lower] = f.saturation;
const saturation = lower.reduce((s, c) => s.mul(t).add(c), pl.lit(c4));
const vapor = col('relative_humidity').div(100).mul(saturation);
const k = t.sub(f.freezingF).mul(f.heightSlope).add(1).mul(f.heightScale);
const z = col('altitude').mul(f.centimetresPerFoot);
// -((z - k) / (z + k)) B, the sign taken into the numerator (the same float64 result).
const atAltitude = k.sub(z).div(z.add(k)).mul(col('barometric_pressure'));
const barometer = atAltitude.sub(vapor);
const gas = barometer.div(col('target_pressure')).mul(col('target_gas'));

await pl
  .scanCSV(input)
  .withColumns(
    gas.alias('calculated_gas_pct'),
    gas.div(100).mul(col('target_pressure')).alias('calculated_gas_pressure'),
    vapor.div(col('barometric_pressure')).mul(100).alias('vapor_pressure_pct'),
    barometer.alias('corrected_barometer'),
  )
  .sinkCSV(output)
  .collect();

f.syncToDisk(output);
