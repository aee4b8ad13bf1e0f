// zev-convert.js under node against the native zev-convert: the same pose files byte for byte, the
// same signals to the last few bits, and the same messages and exit codes, for real motions in
// both modes with several settings and for the files that must be refused.
import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
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
  ['--movie', '--loop', '--delay', '10', '--inertia', '40'],
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

// A cycle of period frames played cycles times, in the layout of a Poser export: rotations that are
// sums of harmonics of the cycle, a hip that bobs and, when it travels, walks on at a steady speed
// (else sways); closingFrame adds the first pose again, the hip walked on by one more cycle.
function cyclicMotion(period, cycles, travels, closingFrame, frameTime) {
  const joints = ['abdomen', 'chest', 'neck', 'head', 'rCollar', 'lCollar', 'rThigh', 'rShin', 'lThigh',
                  'lShin', 'lFoot'];
  let text = 'HIERARCHY\nROOT hip\n{\n\tOFFSET 0 0 0\n\tCHANNELS 6 Xposition Yposition Zposition '
    + 'Zrotation Yrotation Xrotation\n';
  for (const name of joints) {
    text += `\tJOINT ${name}\n\t{\n\t\tOFFSET 0 1 0\n\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n\t}\n`;
  }
  const frames = period * cycles + (closingFrame ? 1 : 0);
  text += `}\nMOTION\nFrames: ${frames}\nFrame Time: ${frameTime}\n`;
  for (let f = 0; f < frames; ++f) {
    const phase = (2 * Math.PI * (f % period)) / period;
    const wave = (a, b, c, lag) => a * Math.sin(phase + lag) + b * Math.sin(2 * (phase + lag))
      + c * Math.cos(3 * phase + lag);
    const hip = [travels ? 0.25 * f : wave(2, 0, 0.3, 0.5), 30 + wave(0, 0.8, 0.2, 0.9),
                 travels ? -0.15 * f : wave(1.5, 0.4, 0, 1.7)];
    // Hip, abdomen, chest, neck, head, the collars, thighs and shins, and the foot, three each.
    const rotations = [wave(4, 1, 0.5, 0.3), wave(6, 2, 0, 1.1), wave(8, 0, 1.5, 2),
                       wave(5, 2, 1, 0.7), 0, 0, 0, wave(12, 4, 2, 1.9) - 10, wave(9, 3, 0, 2.5),
                       0, 0, wave(6, 0, 3, 0.2), wave(7, 2.5, 1, 1.4), wave(10, 0, 4, 2.8), 0,
                       0, 0, 0, 0, 0, 0, wave(-30, 5, 0, 0) - 10, 0, 0, 0, 0, 0,
                       wave(30, 5, 0, 0) - 10, 0, 0, 0, 0, 0, 0, 0, 0];
    text += [...hip, ...rotations].map((v) => v.toFixed(4)).join(' ') + '\n';
  }
  return text;
}

// The converter's signals of a motion, one array of numbers per frame, and its status lines.
function signalsOf(t, which, args, bvh) {
  const folder = temporaryFolder(t);
  writeFileSync(join(folder, 'motion.bvh'), bvh);
  const run = convert(which, [...args, '--signals', 'out.csv', 'motion.bvh'], folder);
  assert.equal(run.status, 0, run.stderr);
  const rows = readFileSync(join(folder, 'out.csv'), 'utf8').trimEnd().split('\n').slice(1);
  return { run, rows: rows.map((line) => line.split(',').slice(1).map(Number)) };
}

// Loop mode gives what the springs settle into once the cycle has played for ever: the cycle in
// the middle of the motion played over and over, with a full kernel and the longest delay before
// it and a cycle after it, to within 1e-9 in every signal and frame.
test('zev-convert.js --loop: the steady state of the cycle played over and over', (t) => {
  const shapes = [[60, true, false], [60, true, true], [60, false, false], [15, true, true]];
  const settings = [
    ['0.033333', ['--movie']],
    ['0.016667', ['--movie', '--g', '20', '--delay', '10', '--inertia', '40', '--accel', '40',
                  '--fusion', '99', '--no-limit']],
  ];
  for (const [period, travels, closingFrame] of shapes) {
    for (const [frameTime, args] of settings) {
      const label = `${period} frames, ${travels ? 'travelling' : 'in place'}`
        + `${closingFrame ? ', closing frame' : ''}, ${args.join(' ')}`;
      const first = Math.ceil(70 / period);
      const played = signalsOf(t, 'node', args, cyclicMotion(period, first + 2, travels, false, frameTime));
      const loop = signalsOf(t, 'node', [...args, '--loop'],
                             cyclicMotion(period, 1, travels, closingFrame, frameTime));
      assert.equal(loop.run.stdout.split('\n')[1], `  loop: ${period} frames`
        + (closingFrame ? ', the last repeats the first' : ''), label);
      loop.rows.forEach((row, frame) => row.forEach((value, column) => {
        const expected = played.rows[first * period + (frame % period)][column];
        assert.ok(Math.abs(value - expected) <= 1e-9, `${label}: frame ${frame} column ${column}: `
          + `${value} against ${expected}`);
      }));
    }
  }
});
