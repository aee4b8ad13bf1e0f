// The page as a first-time user meets it, from disk in headless Chromium: the sample behind the
// panel's button, what the line under the status says, the names of the downloads and of the tab,
// typed numbers and the spin-button keys, and the accessibility tree.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import { SAMPLE, convert } from './compare.mjs';
import { detailOf, download, openPage, settled, startBrowser, trySample } from './browser.mjs';

let browser;
let context;
let nativePose;

before(async () => {
  browser = await startBrowser();
  const folder = mkdtempSync(join(browser.scratch, 'native-'));
  const run = convert('native', ['-o', 'walk.pz2', SAMPLE], folder);
  assert.equal(run.status, 0, run.stderr);
  nativePose = readFileSync(join(folder, 'walk.pz2'));
  context = await browser.context();
});

after(async () => {
  await browser?.close();
});

// Each download says what it handed over, by the name and size the browser got.
async function confirmedDownload(page, button) {
  const file = await download(page, button);
  assert.equal(await detailOf(page), `${file.name} downloaded, ${file.bytes.length.toLocaleString('en')} bytes.`);
  return file;
}

test('the sample from the empty panel: the Chest page at once, named downloads, the native pose file', async () => {
  const { page, problems } = await openPage(context);
  assert.equal(await page.title(), 'Z.E.V');
  assert.ok(await page.isVisible('text=Drop a BVH motion here, or Open one'));
  await trySample(page);
  assert.equal(await page.isVisible('#try-sample'), false, 'the invitation goes with the first file');
  assert.equal(await page.title(), 'walk.bvh \u2014 Z.E.V');
  assert.equal(await page.textContent('#file-name'), 'walk.bvh');
  assert.equal(await detailOf(page), '150 frames analysed, still mode');

  const pose = await confirmedDownload(page, '#save');
  assert.equal(pose.name, 'walk.pz2');
  assert.ok(pose.bytes.equals(nativePose), 'the native converter\'s pose file');
  // The picture is named after the page the panel shows.
  for (const [button, name] of [[null, 'walk-chest.png'], ['#graph', 'walk-hair.png'],
                                ['#panel', 'walk-ring.png'], ['#info', 'walk-report.png']]) {
    if (button) await page.click(button);
    await settled(page);
    assert.equal((await confirmedDownload(page, '#picture')).name, name);
  }
  assert.equal((await confirmedDownload(page, '#signals')).name, 'walk-signals.csv');
  assert.deepEqual(problems, []);
});

test('typed numbers and the spin-button keys', async () => {
  const { page } = await openPage(context);
  const g = page.getByRole('spinbutton', { name: 'G coefficient' });
  const type = async (field, text) => {
    await field.fill(text);
    await field.press('Enter');
  };
  for (const refused of ['25', '0', 'seven', '7.5', '99999999999']) {
    await type(g, refused);
    assert.equal(await g.inputValue(), '10', refused);
    assert.equal(await detailOf(page), 'G coefficient takes a whole number from 1 to 20; it stays 10.');
  }
  await type(g, '7');
  assert.equal(await g.getAttribute('aria-valuenow'), '7');
  // A typed number leaves the field like any change: the next click takes it.
  await g.fill('12');
  await page.click('#info');
  assert.equal(await g.inputValue(), '12');

  // Home and End go to the ends, PageUp and PageDown a tenth of the range towards them.
  for (const [key, value] of [['Home', '1'], ['PageUp', '3'], ['End', '20'], ['PageUp', '20'],
                              ['PageDown', '18'], ['ArrowUp', '19'], ['ArrowUp', '20'], ['ArrowUp', '1']]) {
    await g.press(key);
    assert.equal(await g.inputValue(), value, key);
  }
  await page.click('#movie');
  const fusion = page.getByRole('spinbutton', { name: 'G Fusion' });
  await fusion.press('PageUp');
  assert.equal(await fusion.inputValue(), '45');
  await type(fusion, '100');
  assert.equal(await fusion.inputValue(), '45');
  assert.match(await detailOf(page), /^G Fusion takes a whole number from 0 to 99/);
});

test('the accessibility tree names every control, and the status is a live region', async () => {
  const { page } = await openPage(context);
  const tree = await page.ariaSnapshot();
  const description = await page.evaluate(async () => {
    const module = await createZevModule();
    return JSON.parse(module.UTF8ToString(module._zev_dialog()));
  });
  const roles = { pushButton: 'button', radioButton: 'radio', checkBox: 'checkbox', numberField: 'spinbutton' };
  const named = description.controls.filter((row) => row.kind in roles).map((row) => {
    // A number field is named by the label before it.
    const text = row.kind === 'numberField'
      ? description.controls[description.controls.indexOf(row) - 1].text : row.text.replace('&', '');
    return `${roles[row.kind]} "${text.replace(/\s+/g, ' ')}"`;
  });
  const missing = [...named, 'button "Try the sample"', 'button "Signals (CSV)"', 'button "Page (PNG)"',
                   'img "Display panel: POSER']
    .filter((entry) => !tree.includes(entry));
  assert.deepEqual(missing, []);
  assert.equal(await page.getAttribute('#status', 'role'), 'status');
  assert.equal(await page.getAttribute('#status', 'aria-live'), 'polite');
  assert.equal(await page.getAttribute('#detail', 'aria-live'), 'polite');
});
