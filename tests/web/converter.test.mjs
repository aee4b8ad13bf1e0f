// zev-convert.js under node against the native zev-convert: the same pose files byte for byte, the
// same signals to the last few bits, and the same messages and exit codes, for real motions in
// both modes with several settings and for the files that must be refused.
import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, readFileSync, readdirSync } from 'node:fs';
import { basename, join } from 'node:path';
import { test } from 'node:test';

import {
  ROOT, SIGNAL_ULPS, compareSignals, convert, motionFiles, readIfThere, temporaryFolder,
} from './compare.mjs';

const SETTINGS = [
  [],
  ['--movie'],
  ['--g', '20', '--no-limit'],
  ['--movie', '--g', '3', '--delay', '0', '--inertia', '40', '--accel', '0', '--fusion', '99'],
  ['--movie', '--delay', '10', '--inertia', '0', '--accel', '40', '--fusion', '0', '--no-limit'],
];

const folderPair = (t) => ({ native: temporaryFolder(t), node: temporaryFolder(t) });

// Runs both converters with the same arguments, each in a folder of its own, so that the files
// they write have the same names and their messages the same text.
function bothConvert(t, args) {
  const folders = folderPair(t);
  const runs = {};
  for (const which of ['native', 'node']) runs[which] = convert(which, args, folders[which]);
  const file = (which, name) => readIfThere(join(folders[which], name));
  return { runs, folders, file };
}

for (const motion of motionFiles()) {
  test(`${basename(motion)}: the same pose files and signals`, (t) => {
    for (const settings of SETTINGS) {
      const label = `${basename(motion)} ${settings.join(' ')}`;
      const { runs, file } = bothConvert(t, [...settings, '-o', 'out.pz2', '--signals', 'out.csv', motion]);
      assert.deepEqual(runs.node, runs.native, label);
      const pose = file('native', 'out.pz2');
      if (pose === null) {
        assert.equal(file('node', 'out.pz2'), null, `${label}: a refused motion leaves no file`);
        continue;
      }
      assert.ok(pose.equals(file('node', 'out.pz2')), `${label}: pose files differ`);
      const { problems } = compareSignals(file('native', 'out.csv'), file('node', 'out.csv'), SIGNAL_ULPS);
      assert.deepEqual(problems, [], label);
    }
  });
}

test('the bad-input corpus gives the same messages and exit codes', (t) => {
  const corpus = join(ROOT, 'tests/bad-input');
  const inputs = readdirSync(corpus).filter((name) => name.endsWith('.bvh')).sort();
  for (const mode of [[], ['--movie']]) {
    // Each converter gets its own copy, since outputs would be written beside the inputs.
    const folders = folderPair(t);
    const runs = {};
    for (const which of ['native', 'node']) {
      for (const name of inputs) copyFileSync(join(corpus, name), join(folders[which], name));
      mkdirSync(join(folders[which], 'folder.bvh'));
      runs[which] = convert(which, [...mode, ...inputs, 'missing.bvh', 'folder.bvh'], folders[which]);
      assert.deepEqual(readdirSync(folders[which]).sort(), [...inputs, 'folder.bvh'].sort());
    }
    assert.equal(runs.native.status, 1);
    // Every refused input gives its message and its detail line.
    assert.equal(runs.native.stderr.split('\n').length, 2 * (inputs.length + 2) + 1);
    assert.deepEqual(runs.node, runs.native, mode.join(' '));
  }
});

// Usage errors and the version: the same exit codes and the same first line. The usage text that
// follows an error lists only the options of each build.
test('usage errors and the version', (t) => {
  const sample = join(ROOT, 'examples/walk.bvh');
  for (const args of [['--g', '21', sample], ['--fast', sample], [], ['--version'],
                      ['--signals', 's.csv', sample, sample]]) {
    const { runs } = bothConvert(t, args);
    assert.equal(runs.node.status, runs.native.status, args.join(' '));
    assert.equal(runs.node.stdout.split('\n')[0], runs.native.stdout.split('\n')[0], args.join(' '));
    assert.equal(runs.node.stderr.split('\n')[0], runs.native.stderr.split('\n')[0], args.join(' '));
  }
  // What the browser build cannot do, it refuses as a usage error, converting nothing.
  for (const args of [['--graphs', 'pages', sample], ['-j', '2', sample]]) {
    const folder = temporaryFolder(t);
    const run = convert('node', [...args, '-o', 'out.pz2'], folder);
    assert.equal(run.status, 2, args.join(' '));
    assert.deepEqual(readdirSync(folder), [], args.join(' '));
  }
});
