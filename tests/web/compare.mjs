// What the browser edition's tests share: running the two converters side by side and comparing
// what they wrote.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const NATIVE_CONVERT = resolve(process.env.ZEV_NATIVE_CONVERT ?? join(ROOT, 'build/src/cli/zev-convert'));
export const WEB_BUILD = resolve(process.env.ZEV_WEB_BUILD ?? join(ROOT, 'build-web'));
export const NODE_CONVERT = join(WEB_BUILD, 'zev-convert.js');
export const SAMPLE = join(ROOT, 'examples/walk.bvh');

// The bundled sample and the real motions of tests/data.
export function motionFiles() {
  const data = join(ROOT, 'tests/data');
  const real = readdirSync(data).filter((name) => name.endsWith('.bvh')).sort();
  return [SAMPLE, ...real.map((name) => join(data, name))];
}

// A fresh folder, removed with what is in it once the test (or the hook) that made it is done.
export function temporaryFolder(t) {
  const folder = mkdtempSync(join(tmpdir(), 'zev-web-test-'));
  // A browser that has just closed may still be finishing its profile's files.
  t.after(() => rmSync(folder, { recursive: true, force: true, maxRetries: 10 }));
  return folder;
}

// Runs the native converter or the node one (which: 'native' or 'node') in folder.
export function convert(which, args, folder) {
  const [command, prefix] = which === 'native' ? [NATIVE_CONVERT, []] : [process.execPath, [NODE_CONVERT]];
  const run = spawnSync(command, [...prefix, ...args], { cwd: folder, encoding: 'utf8' });
  if (run.error) throw run.error;
  return { status: run.status, stdout: run.stdout, stderr: run.stderr };
}

export const readIfThere = (path) => {
  try {
    return readFileSync(path);
  } catch {
    return null;
  }
};

// How far the signals of the two builds may part, in units in the last place of a column's largest
// value. The real motions come to about 60 in movie mode, where the springs carry a last-bit
// difference of a sine on from frame to frame; the pose file's six decimals never show it.
export const SIGNAL_ULPS = 256;

// The spacing of doubles at value's magnitude: one unit in its last place.
function ulpOf(value) {
  const magnitude = Math.abs(value);
  if (magnitude === 0) return Number.MIN_VALUE;
  return 2 ** (Math.floor(Math.log2(magnitude)) - 52);
}

// The signals of two CSV files, cell by cell: the same header and frame column, and each value
// within maxUlps units in the last place of its column's largest value. The core's sine and
// cosine come from the system's mathematics library natively and from WebAssembly's own in the
// browser; the two differ in the last bit for some angles, which the seventeen digits of the CSV
// show, and a value near zero keeps the absolute difference of the larger ones it was computed
// from. Returns the problems found and the largest difference met, in those units.
export function compareSignals(native, web, maxUlps) {
  const rows = (text) => text.toString().trimEnd().split('\n').map((line) => line.split(','));
  const [a, b] = [rows(native), rows(web)];
  const problems = [];
  if (a[0].join() !== b[0].join()) problems.push(`headers differ: ${a[0]} / ${b[0]}`);
  if (a.length !== b.length) problems.push(`${a.length} rows against ${b.length}`);
  const count = Math.min(a.length, b.length);
  let worst = 0;
  for (let column = 1; column < a[0].length; ++column) {
    let largest = 0;
    for (let row = 1; row < count; ++row) largest = Math.max(largest, Math.abs(Number(a[row][column])));
    const unit = ulpOf(largest);
    for (let row = 1; row < count; ++row) {
      const difference = Math.abs(Number(a[row][column]) - Number(b[row][column])) / unit;
      worst = Math.max(worst, difference);
      if (!(difference <= maxUlps)) {
        problems.push(`row ${row} ${a[0][column]}: ${a[row][column]} against ${b[row][column]}`);
      }
    }
  }
  for (let row = 1; row < count; ++row) {
    if (a[row][0] !== b[row][0]) problems.push(`row ${row}: frame ${a[row][0]} against ${b[row][0]}`);
  }
  return { problems, worstUlps: worst };
}
