// The page from disk in headless Chromium, against the native converter: the sample opened through
// Open and the browser's file chooser, analysed in both modes, saved and downloaded byte for byte;
// the graph pages drawn like the native pictures of them; bad files dropped onto the page; the
// keyboard; the link to the user's guide.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  ROOT, SAMPLE, SIGNAL_ULPS, compareSignals, convert,
} from './compare.mjs';
import {
  detailOf, download, followGuideLink, openPage as openReadyPage, settled, startBrowser, statusOf,
} from './browser.mjs';

const PAGES = ['chest', 'hair', 'ring'];

let browser;
let context;
const native = {};

// The native converter's pose files, signals and page pictures of the sample in both modes.
before(async () => {
  browser = await startBrowser();
  const folder = mkdtempSync(join(browser.scratch, 'native-'));
  for (const mode of ['still', 'movie']) {
    const run = convert('native', [...(mode === 'movie' ? ['--movie'] : []), '-o', `${mode}.pz2`,
                                   '--signals', `${mode}.csv`, '--graphs', mode, SAMPLE], folder);
    assert.equal(run.status, 0, run.stderr);
    native[mode] = {
      pose: readFileSync(join(folder, `${mode}.pz2`)),
      signals: readFileSync(join(folder, `${mode}.csv`)),
      pictures: PAGES.map((name) => readFileSync(join(folder, mode, `walk-${name}.png`))),
    };
  }
  context = await browser.context();
});

after(async () => {
  await browser?.close();
});

// A page of the shared context, or of a context of its own with options (another pixel density).
async function openPage(options) {
  const ready = await openReadyPage(options ? await browser.context(options) : context);
  // Where the panel's texts stand, for the comparisons with the native pictures: the page keeps no
  // hook for its tests, so they watch its renderer draw.
  await ready.page.evaluate(() => {
    const draw = PanelRenderer.prototype.draw;
    PanelRenderer.prototype.draw = function watched(op) {
      window.watchedRenderer = this;
      return draw.call(this, op);
    };
  });
  return ready;
}

// The width and height a PNG file's header gives.
const pngSize = (bytes) => [bytes.readUInt32BE(16), bytes.readUInt32BE(20)];

// Compares the panel's canvas with a native picture of the same page: every pixel the same
// outside the text cells, where fonts may differ; inside each cell, the ink where the native
// picture has it, give or take a pixel or two.
function comparePanel({ png, slack }) {
  return (async () => {
    const picture = new Image();
    picture.src = `data:image/png;base64,${png}`;
    await picture.decode();
    const scratch = document.createElement('canvas');
    [scratch.width, scratch.height] = [picture.width, picture.height];
    scratch.getContext('2d').drawImage(picture, 0, 0);
    const want = scratch.getContext('2d').getImageData(0, 0, picture.width, picture.height).data;
    const panel = document.getElementById('panel');
    const got = panel.getContext('2d').getImageData(0, 0, panel.width, panel.height).data;
    const width = picture.width;
    const cells = window.watchedRenderer.textCells;
    const inCell = (x, y, margin) => cells.some((cell) => x >= cell.x - margin &&
      x < cell.x + cell.width + margin && y >= cell.y - margin && y < cell.y + cell.height + margin);
    const ink = (data, x, y) => data[4 * (y * width + x)] + data[4 * (y * width + x) + 1] +
                                data[4 * (y * width + x) + 2] > 0;
    const differing = [];
    for (let y = 0; y < picture.height; ++y) {
      for (let x = 0; x < width; ++x) {
        const at = 4 * (y * width + x);
        const same = want[at] === got[at] && want[at + 1] === got[at + 1] && want[at + 2] === got[at + 2];
        if (!same && !inCell(x, y, 1)) differing.push(`${x},${y}`);
      }
    }
    const inkBox = (data, cell) => {
      const box = { left: Infinity, top: Infinity, right: -Infinity, bottom: -Infinity };
      for (let y = cell.y; y < cell.y + cell.height; ++y) {
        for (let x = Math.floor(cell.x); x < cell.x + cell.width; ++x) {
          if (!ink(data, x, y)) continue;
          box.left = Math.min(box.left, x);
          box.top = Math.min(box.top, y);
          box.right = Math.max(box.right, x);
          box.bottom = Math.max(box.bottom, y);
        }
      }
      return box;
    };
    const misplaced = cells.filter((cell) => {
      const [a, b] = [inkBox(want, cell), inkBox(got, cell)];
      return !['left', 'top', 'right', 'bottom'].every((side) => Math.abs(a[side] - b[side]) <= slack);
    }).map((cell) => cell.text);
    return { size: [panel.width, panel.height], cells: cells.length, differing, misplaced };
  })();
}

async function expectGraphPage(page, mode, index, why = '') {
  await settled(page);
  const result = await page.evaluate(comparePanel, {
    png: native[mode].pictures[index].toString('base64'), slack: 2,
  });
  const label = `${mode} ${PAGES[index]} ${why}`;
  assert.deepEqual(result.size, [346, 311], label);
  assert.equal(result.cells, 7, `${label}: the title and six labels`);
  assert.deepEqual(result.differing.slice(0, 10), [], `${label}: pixels outside the text`);
  assert.deepEqual(result.misplaced, [], `${label}: text cells`);
}

test('the sample in both modes: the native pose files, signals and graph pages', async () => {
  const { page, problems } = await openPage();
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#open')]);
  await chooser.setFiles(SAMPLE);
  await page.waitForFunction(() => document.getElementById('status').value === 'COMPLETE...');
  // The Chest page at once, then Graph for the others.
  await expectGraphPage(page, 'still', 0);
  for (let index = 1; index < 3; ++index) {
    await page.click('#graph');
    await expectGraphPage(page, 'still', index);
  }

  const pose = await download(page, '#save');
  assert.equal(pose.name, 'walk.pz2');
  assert.ok(pose.bytes.equals(native.still.pose), 'still-mode pose file');
  await expectGraphPage(page, 'still', 2, 'a download keeps the panel');
  const signals = await download(page, '#signals');
  assert.equal(signals.name, 'walk-signals.csv');
  assert.deepEqual(compareSignals(native.still.signals, signals.bytes, SIGNAL_ULPS).problems, []);

  await page.click('#movie');
  assert.equal(await page.isDisabled('#save'), true, 'a mode change makes the results stale');
  await page.click('#analyze');
  assert.equal(await statusOf(page), '');
  assert.equal(await detailOf(page), '150 frames analysed, movie mode');
  await expectGraphPage(page, 'movie', 0);
  assert.ok((await download(page, '#save')).bytes.equals(native.movie.pose), 'movie-mode pose file');
  for (let index = 1; index < 3; ++index) {
    await page.click('#panel');
    await expectGraphPage(page, 'movie', index);
  }
  assert.deepEqual(problems, []);
});

// A file dropped onto the page: the dialog's rule for drops, the reader's messages with their
// detail in plain sight, and a file too large for the page refused at once.
test('dropped files', async () => {
  const { page, problems } = await openPage();
  const drop = async (files) => {
    await page.evaluate((files) => {
      const transfer = new DataTransfer();
      for (const { name, text, size } of files) {
        transfer.items.add(new File([text ?? new Uint8Array(size)], name));
      }
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
    }, files);
    await page.waitForFunction(() => document.getElementById('dialog') !== null);
  };
  const bad = (name) => ({ name, text: readFileSync(join(ROOT, 'tests/bad-input', name), 'latin1') });

  for (const name of ['frame-range-14.bvh', 'frame-range-501.bvh']) {
    await drop([bad(name)]);
    await page.waitForFunction(() => document.getElementById('status').value === 'FRAME RANGE ERR');
    const detail = await detailOf(page);
    assert.match(detail, /^line \d+: /, name);
    assert.equal(await page.getAttribute('#status', 'title'), detail, 'the tooltip says the same');
    assert.ok(await page.isVisible('#detail'));
    assert.equal(await page.isDisabled('#analyze'), true);
  }

  await drop([{ name: 'walk.bvh', text: readFileSync(SAMPLE, 'latin1') }]);
  await page.waitForFunction(() => document.getElementById('status').value === 'COMPLETE...');
  for (const files of [[{ name: 'notes.txt', text: 'x' }], [bad('frame-range-14.bvh'), bad('frame-range-501.bvh')]]) {
    await drop(files);
    assert.equal(await detailOf(page), 'Drop one .bvh file to open it.');
    assert.equal(await statusOf(page), 'COMPLETE...', 'a refused drop changes nothing');
  }

  const started = Date.now();
  await drop([{ name: 'huge.bvh', size: 40 << 20 }]);
  await page.waitForFunction(() => document.getElementById('status').value === 'BVH FILE CAN NOT OPEN!');
  assert.ok(Date.now() - started < 5000, 'refused at once');
  assert.match(await page.getAttribute('#status', 'title'), /^huge\.bvh: 40\.0 MB, more than/);
  assert.equal(await page.isDisabled('#save'), true);

  await drop([{ name: 'noise.bvh', text: String.fromCharCode(...Array.from({ length: 5000 }, (_, i) => (i * 37) % 256)) }]);
  await page.waitForFunction(() => document.getElementById('status').value === 'BVH FILE NOT POSER FORMAT');
  assert.deepEqual(problems, []);
});

test('keyboard and screen readers', async () => {
  const { page } = await openPage();
  const keys = await page.$$eval('button[accesskey]', (buttons) => buttons.map((b) => b.accessKey).join(''));
  assert.equal(keys, 'osagic');
  assert.equal(await page.getAttribute('#status', 'role'), 'status');
  const spins = page.getByRole('spinbutton');
  assert.equal(await spins.count(), 5);
  const g = page.getByRole('spinbutton', { name: 'G coefficient' });
  await g.focus();
  for (let step = 0; step < 11; ++step) await page.keyboard.press('ArrowUp');
  assert.equal(await g.getAttribute('aria-valuenow'), '1', '20 wraps around to 1');
  const delay = page.getByRole('spinbutton', { name: 'Delay time' });
  assert.equal(await delay.isDisabled(), true, 'still mode');
  assert.equal(await page.isDisabled('#loop'), true, 'still mode');
  await page.click('#movie');
  await delay.focus();
  for (let step = 0; step < 6; ++step) await page.keyboard.press('ArrowDown');
  assert.equal(await delay.getAttribute('aria-valuenow'), '10', '0 wraps around to 10');
  // Loop is a movie-mode setting with an access key; DEFAULT turns it off.
  const loop = page.locator('#loop');
  assert.equal(await page.$eval('label:has(#loop)', (label) => label.accessKey), 'l');
  await loop.check();
  assert.equal(await loop.isChecked(), true);
  await page.click('#default');
  assert.equal(await loop.isChecked(), false);
  assert.equal(await g.getAttribute('aria-valuenow'), '10');
  // The panel is reached with Tab too, and Enter there is a click on it.
  await page.click('#info');
  await settled(page);
  await page.focus('#panel');
  await page.keyboard.press('Enter');
  await settled(page);
  assert.match(await page.getAttribute('#panel', 'aria-label'), /BVH FORMAT REPORT.*FRAME RATE/);
});

// The module's description of the dialog, from a module of its own.
const describeDialog = (page) => page.evaluate(async () => {
  const module = await createZevModule();
  return JSON.parse(module.UTF8ToString(module._zev_dialog()));
});

// In dialog units, at the dialog's own size and scaled up in a large window.
test('the page lays out the dialog and takes its colours as the description says', async () => {
  for (const viewport of [undefined, { width: 1920, height: 1080 }]) {
    const { page } = await openPage(viewport && { viewport });
    const description = await describeDialog(page);
    const { misplaced, scale } = await page.evaluate(({ controls, cell, unitsPerCell }) => {
      const scale = Number(getComputedStyle(document.documentElement).getPropertyValue('--scale'));
      const unit = { x: scale * cell.width / unitsPerCell.x, y: scale * cell.height / unitsPerCell.y };
      // The controls stand below the band that holds the file's name.
      const open = controls.find((row) => row.name === 'open');
      const openBox = document.getElementById('open').getBoundingClientRect();
      const origin = { left: openBox.left - open.x * unit.x, top: openBox.top - open.y * unit.y };
      const wrong = [];
      let field = null;
      for (const row of controls.filter((control) => control.name !== '')) {
        let shown = document.getElementById(row.name);
        let want = row;
        if (row.kind === 'numberField') {
          field = row;
          continue;
        }
        // A spin's arrows take the right side of its field.
        if (row.kind === 'spin') {
          want = { ...field, width: field.width - row.width };
          shown = document.getElementById(field.name);
        }
        if (row.kind === 'radioButton' || row.kind === 'checkBox') shown = shown.closest('label');
        // The panel keeps the pages' size inside its edge.
        if (row.kind === 'displayPanel') shown = shown.parentElement;
        const box = shown.getBoundingClientRect();
        const sides = { x: box.left - origin.left, y: box.top - origin.top };
        if (row.kind !== 'displayPanel') Object.assign(sides, { width: box.width, height: box.height });
        const away = Object.entries(sides).filter(([side, pixels]) =>
          Math.abs(pixels - want[side] * unit[side === 'x' || side === 'width' ? 'x' : 'y']) > 0.5);
        if (away.length > 0) wrong.push(`${row.name}: ${away.map(([side]) => side).join(', ')}`);
      }
      return { misplaced: wrong, scale };
    }, description);
    assert.deepEqual(misplaced, [], `at scale ${scale}`);
    assert.equal(scale > 1, viewport !== undefined, `scale ${scale}`);
    const [red, green, blue] = description.colors.background;
    assert.equal(await page.$eval('#window', (window) => getComputedStyle(window).backgroundColor),
                 `rgb(${red}, ${green}, ${blue})`);
    assert.equal(await page.$eval('#limit', (box) => box.checked && box.disabled), true,
                 'Limit ON: checked, and never to be changed');
  }
});

// Sharp on the screen; the picture of the panel at the pages' own size.
test('the panel is drawn at the screen density', async () => {
  const { page } = await openPage({ deviceScaleFactor: 2 });
  assert.deepEqual(await page.$eval('#panel', (panel) => [panel.width, panel.height,
    panel.getBoundingClientRect().width, panel.getBoundingClientRect().height]), [692, 622, 346, 311]);
  assert.deepEqual(pngSize((await download(page, '#picture')).bytes), [346, 311]);
  await page.context().close();
});

test('the page links to the user\'s guide, which opens from disk with its pictures', async () => {
  const { page } = await openPage();
  await followGuideLink(page);
});
