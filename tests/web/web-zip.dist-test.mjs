// The web download as a user unpacked it (ZEV_WEB_UNPACKED, the folder that holds index.html),
// opened from disk in headless Chromium: the sample beside the page opened through the file
// input and saved to the native converter's bytes, and the link to the user's guide followed.
// scripts/dist-test runs it on a copy of the zip.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import { convert } from './compare.mjs';
import { download, followGuideLink, openPage, startBrowser } from './browser.mjs';

const UNPACKED = process.env.ZEV_WEB_UNPACKED;
let browser;
before(async () => {
  browser = await startBrowser();
});
after(() => browser?.close());

test('the unpacked page opens the sample from disk, saves the native bytes and links the guide',
  { skip: !UNPACKED && 'ZEV_WEB_UNPACKED names no unpacked download' }, async () => {
    const sample = join(UNPACKED, 'examples/walk.bvh');
    const native = convert('native', ['-o', 'walk.pz2', sample], browser.scratch);
    assert.equal(native.status, 0, native.stderr);

    const { page, problems } = await openPage(await browser.context(),
      pathToFileURL(join(UNPACKED, 'index.html')).href);
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#open')]);
    await chooser.setFiles(sample);
    await page.waitForFunction(() => document.getElementById('status').value === 'COMPLETE...');
    const pose = await download(page, '#save');
    assert.equal(pose.name, 'walk.pz2');
    assert.ok(pose.bytes.equals(readFileSync(join(browser.scratch, 'walk.pz2'))),
      'the saved pose file is the native converter\'s');

    await followGuideLink(page);
    assert.deepEqual(problems, []);
  });
