// The page served over http from a local static server, as a static host would: installable, and
// once visited it opens, converts and saves with the network off; a new version's worker replaces
// the kept files. (From disk, where there is no worker, the other tests run it.)
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import { after, before, test } from 'node:test';

import { ROOT, SAMPLE, convert } from './compare.mjs';
import { PAGE_FOLDER, download, openPage, startBrowser, trySample } from './browser.mjs';

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};
const VERSION = readFileSync(join(ROOT, 'src/common/version.h'), 'utf8').match(/ZEV_VERSION = "([^"]*)"/)[1];

let browser;
let server;
let address;
// What the server does to the worker's script before it sends it, to play a new version.
let rewriteWorker = (text) => text;

// The built folder, each file as it lies; the folder's own address is its index.html.
function serve(request, response) {
  const path = normalize(decodeURIComponent(new URL(request.url, 'http://here').pathname));
  const file = join(PAGE_FOLDER, path.endsWith('/') ? `${path}index.html` : path);
  let body;
  try {
    body = readFileSync(file);
  } catch {
    response.writeHead(404).end();
    return;
  }
  if (path === '/sw.js') body = rewriteWorker(body.toString());
  response.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream' }).end(body);
}

before(async () => {
  browser = await startBrowser();
  server = createServer(serve);
  await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
  address = `http://127.0.0.1:${server.address().port}/`;
});

after(async () => {
  server?.closeAllConnections();
  server?.close();
  await browser?.close();
});

const cacheNames = (page) => page.evaluate(() => caches.keys());

test('after one visit the page converts the sample with the network off', async () => {
  const context = await browser.context();
  const { page, problems } = await openPage(context, address);
  await page.evaluate(() => navigator.serviceWorker.ready);
  const cdp = await context.newCDPSession(page);
  // The test's contexts are incognito ones, which nothing is installed from; nothing else may stand
  // in the way.
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors.filter((error) => error.errorId !== 'in-incognito'), []);
  const [cache] = await cacheNames(page);
  assert.match(cache, new RegExp(`^zev-${VERSION.replace('.', '\\.')}-[0-9a-f]{12}$`));

  await context.setOffline(true);
  await page.reload();
  await page.waitForSelector('#window:not([inert])', { timeout: 15000 });
  await trySample(page);
  const folder = mkdtempSync(join(browser.scratch, 'native-'));
  assert.equal(convert('native', ['-o', 'walk.pz2', SAMPLE], folder).status, 0);
  const pose = await download(page, '#save');
  assert.ok(pose.bytes.equals(readFileSync(join(folder, 'walk.pz2'))), 'the native pose file');
  await page.goto(`${address}guide.html`);
  assert.equal(await page.textContent('h1'), 'Z.E.V user\'s guide');
  assert.deepEqual(problems, []);
  await context.close();
});

test('a new version\'s worker replaces the kept files', async () => {
  const context = await browser.context();
  const { page } = await openPage(context, address);
  await page.evaluate(() => navigator.serviceWorker.ready);
  const [old] = await cacheNames(page);
  rewriteWorker = (text) => text.replace(old, 'zev-next');
  try {
    await page.evaluate(async () => (await navigator.serviceWorker.getRegistration()).update());
    await page.waitForFunction(async () => (await caches.keys()).join() === 'zev-next');
  } finally {
    rewriteWorker = (text) => text;
  }
  await context.close();
});
