#!/usr/bin/env node
// The correction of a log as a data analyst would write it with DuckDB: one
// COPY of a query that reads the CSV, adds the four results as column
// expressions on DOUBLE (default units: % Vol, in Hg, degrees F, feet) and
// writes the CSV, then a sync of the file to disk, as kestrane-cli -o does.
// DuckDB runs the query on all cores.
// Usage: peers_duckdb.mjs LOG.csv OUT.csv
import { DuckDBInstance } from '@duckdb/node-api';
import * as f from './peers_common.mjs';

const { input, output } = f.paths('peers_duckdb.mjs');
const text = (s) => `'${s.replaceAll("'", "''")}'`;
// A constant as a DOUBLE: a plain literal such as 30.48 would be a DECIMAL, and
// the whole-number columns (altitude, humidity) are read as BIGINT.
const d = (x) => `${x}::DOUBLE`;
const [c4, c3, c2, c1, c0] = f.saturation.map(d);
const t = 'temperature';

const query = `
  WITH conditions AS (
    SELECT *,
      relative_humidity / ${d(100)} * ((((${c4} * ${t} + ${c3}) * ${t} + ${c2}) * ${t} + ${c1}) * ${t} + ${c0}) AS vapor,
      ((${t} - ${d(f.freezingF)}) * ${d(f.heightSlope)} + ${d(1)}) * ${d(f.heightScale)} AS k,
      ${d(f.centimetresPerFoot)} * altitude AS z,
      -((z - k) / (z + k)) * barometric_pressure AS at_altitude,
      at_altitude - vapor AS corrected_barometer
    FROM read_csv(${text(input)})
  )
  SELECT * EXCLUDE (vapor, k, z, at_altitude, corrected_barometer),
    corrected_barometer / target_pressure * target_gas AS calculated_gas_pct,
    calculated_gas_pct / ${d(100)} * target_pressure AS calculated_gas_pressure,
    vapor / barometric_pressure * ${d(100)} AS vapor_pressure_pct,
    corrected_barometer
  FROM conditions`;

const connection = await (await DuckDBInstance.create(':memory:')).connect();
await connection.run(`COPY (${query}) TO ${text(output)} (HEADER)`);
connection.closeSync();

f.syncToDisk(output);
