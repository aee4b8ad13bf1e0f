// What the page's tests share: Debian's Chromium through playwright-core, the built page opened and
// ready, and the ways the tests watch it from outside (the page keeps no hook for its tests).
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

import { WEB_BUILD } from './compare.mjs';

export const PAGE_FOLDER = join(WEB_BUILD, 'web');
export const PAGE = pathToFileURL(join(PAGE_FOLDER, 'index.html')).href;
// A window in which the dialog shows at its own size, one pixel of the panel to one of the screen.
export const OWN_SIZE = { width: 800, height: 600 };

// Debian's Chromium, as root and without a network: no sandbox, nothing fetched in the background.
// Playwright gives each launch a fresh profile folder of its own.
const LAUNCH = {
  executablePath: process.env.ZEV_CHROMIUM ?? '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--disable-quic'],
};

// One browser for a test file, and a scratch folder for what the tests write; each context() is a
// fresh one with playwright's context options (viewport, deviceScaleFactor, hasTouch...). close()
// ends the browser and removes the scratch folder.
export async function startBrowser() {
  const scratch = mkdtempSync(join(tmpdir(), 'zev-page-test-'));
  const browser = await chromium.launch(LAUNCH);
  return {
    scratch,
    context: (options = {}) => browser.newContext({ viewport: OWN_SIZE, acceptDownloads: true, ...options }),
    close: async () => {
      await browser.close();
      rmSync(scratch, { recursive: true, force: true, maxRetries: 10 });
    },
  };
}

// The panel has played everything it was given.
export const settled = (page) => page.waitForSelector('#panel[aria-busy="false"]');
export const statusOf = (page) => page.$eval('#status', (field) => field.value);
export const detailOf = (page) => page.textContent('#detail');

// A new page of context at address, once its dialog is up and the about page drawn; the errors it
// reports are collected in problems.
export async function openPage(context, address = PAGE) {
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('console', (message) => message.type() === 'error' && problems.push(message.text()));
  await page.goto(address);
  await page.waitForSelector('#window:not([inert])', { timeout: 15000 });
  await settled(page);
  return { page, problems };
}

export async function download(page, button) {
  const [file] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
}

// The page's link to the user's guide, followed: the guide opens with every picture loaded.
export async function followGuideLink(page) {
  await page.click('a[href="guide.html"]');
  await page.waitForLoadState('load');
  assert.equal(await page.textContent('h1'), 'Z.E.V user\'s guide');
  const pictures = await page.$$eval('img', (images) => images.map((image) => [image.alt, image.naturalWidth]));
  assert.ok(pictures.length > 0);
  assert.deepEqual(pictures.filter(([, width]) => width === 0), [], 'pictures that did not load');
}

// The sample, loaded with the panel's button, analysed and drawn.
export async function trySample(page) {
  await page.click('#try-sample');
  await page.waitForFunction(() => document.getElementById('status').value === 'COMPLETE...');
  await settled(page);
}
