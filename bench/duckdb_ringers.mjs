// The ringer league table in DuckDB, for bench/run to set beside Tolvane's analysis by ringer.
//
//   node bench/duckdb_ringers.mjs build ROWS.csv DB.duckdb   the (peal, ringer) rows into a table
//   node bench/duckdb_ringers.mjs query DB.duckdb [REPEATS]  the query timed in this process
//   node bench/duckdb_ringers.mjs once DB.duckdb             the query once, its rows to stdout
//
// @duckdb/node-api is loaded from the folder TOLVANE_DUCKDB_DIR (where bench/run installs it,
// BUILD/duckdb), by default the repository's build-bench/duckdb. DuckDB runs the query on every
// core, as it does unless told otherwise.
import { createRequire } from 'node:module';
import { renameSync, rmSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const moduleDir = process.env.TOLVANE_DUCKDB_DIR || path.join(here, '..', 'build-bench', 'duckdb');

const QUERY = 'SELECT ringer, COUNT(*) AS peals FROM ringers GROUP BY ringer ORDER BY peals DESC, ringer;';

function usage() {
  process.stderr.write(
    'usage: duckdb_ringers.mjs build ROWS.csv DB.duckdb | query DB.duckdb [REPEATS] | once DB.duckdb\n');
  process.exit(2);
}

function loadDuckDB() {
  const require = createRequire(path.join(path.resolve(moduleDir), 'package.json'));
  try {
    return require('@duckdb/node-api');
  } catch (error) {
    process.stderr.write(`cannot load @duckdb/node-api from ${moduleDir}: ${error.message}\n`);
    process.exit(1);
  }
}

function sqlString(text) {
  return `'${text.replaceAll("'", "''")}'`;
}

async function open(file, readOnly) {
  const { DuckDBInstance } = loadDuckDB();
  const instance = await DuckDBInstance.create(file, readOnly ? { access_mode: 'READ_ONLY' } : {});
  return { instance, connection: await instance.connect() };
}

function close({ instance, connection }) {
  connection.closeSync();
  instance.closeSync();
}

// Runs the league table and converts every row to JavaScript values, so that nothing of the
// result is left unread inside DuckDB.
async function leagueTable(connection) {
  const reader = await connection.runAndReadAll(QUERY);
  return reader.getRows();
}

// Written under a temporary name and renamed when complete, so that a failed build never leaves
// a file that looks newer than the rows.
async function build(csv, file) {
  const partial = `${file}.partial`;
  rmSync(partial, { force: true });
  rmSync(`${partial}.wal`, { force: true });
  let count;
  try {
    const db = await open(partial, false);
    try {
      await db.connection.run(
        `CREATE TABLE ringers AS SELECT * FROM read_csv(${sqlString(csv)}, header = true, ` +
        `columns = {'peal': 'INTEGER', 'ringer': 'INTEGER'});`);
      count = (await db.connection.runAndReadAll('SELECT COUNT(*) FROM ringers;')).getRows()[0][0];
    } finally {
      close(db);
    }
    renameSync(partial, file);
  } catch (error) {
    rmSync(partial, { force: true });
    rmSync(`${partial}.wal`, { force: true });
    throw error;
  }
  console.log(`${count} rows from ${csv} into ${file}`);
}

async function query(file, repeats) {
  const db = await open(file, true);
  const rows = await leagueTable(db.connection); // warm-up, not timed
  const times = [];
  for (let i = 0; i < repeats; ++i) {
    const start = process.hrtime.bigint();
    const result = await leagueTable(db.connection);
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
    if (result.length !== rows.length) throw new Error('the league table changed between runs');
  }
  close(db);
  const sorted = [...times].sort((a, b) => a - b);
  const median = sorted.length % 2
    ? sorted[(sorted.length - 1) / 2]
    : (sorted[sorted.length / 2 - 1] + sorted[sorted.length / 2]) / 2;
  console.log(`rows ${rows.length}`);
  console.log(`times ${times.map((t) => t.toFixed(1)).join(' ')}`);
  console.log(`median ${median.toFixed(1)}`);
}

async function once(file) {
  const db = await open(file, true);
  const rows = await leagueTable(db.connection);
  close(db);
  const lines = rows.map(([ringer, peals]) => `${ringer} ${peals}\n`);
  process.stdout.write(lines.join(''));
}

async function main([mode, ...args]) {
  if (mode === 'build' && args.length === 2) return build(args[0], args[1]);
  if (mode === 'query' && (args.length === 1 || args.length === 2)) {
    const repeats = args.length === 2 ? Number(args[1]) : 3;
    if (!Number.isInteger(repeats) || repeats < 1) usage();
    return query(args[0], repeats);
  }
  if (mode === 'once' && args.length === 1) return once(args[0]);
  usage();
}

try {
  await main(process.argv.slice(2));
} catch (error) {
  process.stderr.write(`duckdb_ringers.mjs: ${error.message}\n`);
  process.exit(1);
}
