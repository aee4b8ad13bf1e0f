// The web download as a user unpacked it (ZEV_WEB_UNPACKED, the folder that holds index.html),
// opened from disk in headless Chromium: the sample beside the page opened through the file
// input and saved to the native converter's bytes, and the link to the user's guide followed.
// scripts/dist-test runs it on a copy of the zip.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { test } from 'node:test';
import { chromium } from 'playwright-core';

import { LAUNCH, convert } from './compare.mjs';

const UNPACKED = process.env.ZEV_WEB_UNPACKED;

test('the unpacked page opens the sample from disk, saves the native bytes and links the guide',
  { skip: !UNPACKED && 'ZEV_WEB_UNPACKED names no unpacked download' }, async (t) => {
    const scratch = mkdtempSync(join(tmpdir(), 'zev-web-zip-test-'));
    const sample = join(UNPACKED, 'examples/walk.bvh');
    const native = convert('native', ['-o', 'walk.pz2', sample], scratch);
    assert.equal(native.status, 0, native.stderr);
    const context = await chromium.launchPersistentContext(join(scratch, 'profile'), LAUNCH);
    t.after(async () => {
      await context.close();
      rmSync(scratch, { recursive: true, force: true, maxRetries: 10 });
    });

    const page = await context.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    await page.goto(pathToFileURL(join(UNPACKED, 'index.html')).href);
    await page.waitForSelector('#window:not([inert])', { timeout: 15000 });
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#open')]);
    await chooser.setFiles(sample);
    await page.waitForFunction(() => document.getElementById('status').value === 'COMPLETE...');
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    assert.equal(download.suggestedFilename(), 'walk.pz2');
    assert.ok(readFileSync(await download.path()).equals(readFileSync(join(scratch, 'walk.pz2'))),
      'the saved pose file is the native converter\'s');

    await page.click('a[href="guide.html"]');
    await page.waitForLoadState('load');
    assert.equal(await page.textContent('h1'), 'Z.E.V user\'s guide');
    const pictures = await page.$$eval('img', (images) => images.map((image) => [image.alt, image.naturalWidth]));
    assert.ok(pictures.length > 0);
    assert.deepEqual(pictures.filter(([, width]) => width === 0), [], 'pictures that did not load');
    assert.deepEqual(problems, []);
  });
