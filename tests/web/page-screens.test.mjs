// The page on the screens people have, from disk in headless Chromium: a phone, a laptop, a large
// screen and a laptop zoomed to 200 %; the focus ring on the panel and the contrast of the text
// outside it.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { openPage, startBrowser, trySample } from './browser.mjs';

const PHONE = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true };

let browser;

before(async () => {
  browser = await startBrowser();
});

after(async () => {
  await browser?.close();
});

const openOn = async (options) => (await openPage(await browser.context(options))).page;

// What a user can reach and touch: the page's controls with their boxes in page coordinates, and
// how far the page scrolls each way.
const measure = (page) => page.evaluate(() => {
  const controls = [...document.querySelectorAll('#window button, #window input:not([type=file]), #panel')]
    .filter((control) => control.checkVisibility())
    .map((control) => {
      const box = control.getBoundingClientRect();
      return { name: control.id || control.getAttribute('aria-label') || control.textContent,
               left: box.left + scrollX, top: box.top + scrollY, width: box.width, height: box.height };
    });
  const { scrollWidth, scrollHeight } = document.documentElement;
  return { controls, scrollWidth, scrollHeight, width: innerWidth, height: innerHeight };
});

test('on a phone the controls stack above the panel, every one large enough to touch', async () => {
  const page = await openOn(PHONE);
  const { controls, scrollWidth, width } = await measure(page);
  assert.ok(scrollWidth <= width, `scrolls sideways: ${scrollWidth} > ${width}`);
  assert.deepEqual(controls.filter((box) => box.width < 24 || box.height < 24).map((box) => box.name), []);
  assert.ok(['open', 'still', 'g', 'limit', 'loop', 'try-sample', 'picture']
    .every((name) => controls.some((box) => box.name === name)), 'the controls measured');
  const arrows = controls.filter((box) => / (up|down)$/.test(box.name));
  assert.equal(arrows.length, 10);
  assert.deepEqual(arrows.filter((box) => box.width < 44 || box.height < 44).map((box) => box.name), []);
  const panel = controls.find((box) => box.name === 'panel');
  const open = controls.find((box) => box.name === 'open');
  assert.ok(panel.top > open.top + open.height, 'the panel below the controls');
  assert.ok(Math.abs(panel.width / panel.height - 346 / 311) < 0.01, 'the panel keeps its aspect');
  assert.ok(panel.width >= width - 40, 'the panel takes the width');
  // Sharp: the canvas holds a pixel for each of the screen's.
  assert.equal(await page.$eval('#panel', (canvas) => canvas.width), Math.round(panel.width));

  // Scrolled down, the panel and both downloads are in view.
  await page.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
  const inView = await page.evaluate(() => ['panel', 'signals', 'picture'].filter((id) => {
    const box = document.getElementById(id).getBoundingClientRect();
    return box.top < 0 || box.left < 0 || box.bottom > innerHeight || box.right > innerWidth;
  }));
  assert.deepEqual(inView, [], 'out of view');
});

test('a laptop and a large screen show the whole tool without scrolling, the large one larger', async () => {
  for (const [width, height] of [[1366, 768], [1920, 1080]]) {
    const page = await openOn({ viewport: { width, height } });
    await trySample(page);
    const layout = await measure(page);
    assert.ok(layout.scrollWidth <= width && layout.scrollHeight <= height,
              `${width}x${height} scrolls: ${layout.scrollWidth}x${layout.scrollHeight}`);
    const tool = await page.locator('#window').boundingBox();
    assert.ok(tool.width >= width / 2, `${width}x${height}: the tool is ${tool.width} wide`);
  }
});

// 200 % of a 1280 x 720 screen, the narrowest that keeps the dialog's own layout, and of a phone.
test('zoomed to 200 %, nothing falls out of view', async () => {
  for (const viewport of [{ width: 640, height: 360 }, { width: 195, height: 422 }]) {
    const page = await openOn({ viewport, deviceScaleFactor: 2 });
    const { controls, scrollWidth, width } = await measure(page);
    assert.ok(scrollWidth <= width, `${width} wide scrolls sideways: ${scrollWidth}`);
    assert.deepEqual(controls.filter((box) => box.left < 0 || box.left + box.width > width + 0.5)
      .map((box) => box.name), [], `${width} wide`);
  }
});

// The contrast ratio of the web's accessibility guidelines, of two colours given as "rgb(...)".
function contrast(first, second) {
  const luminance = (color) => color.match(/[\d.]+/g).slice(0, 3).map(Number).reduce((sum, channel, i) => {
    const c = channel / 255;
    return sum + [0.2126, 0.7152, 0.0722][i] * (c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4);
  }, 0);
  const [light, dark] = [luminance(first), luminance(second)].sort((a, b) => b - a);
  return (light + 0.05) / (dark + 0.05);
}

// Tab round all controls (all of them can be used in movie mode): each shows the same ring, and
// around the panel it changes what shows outside the canvas.
test('the focus ring shows on every control, the panel\'s on the dialog and on black', async () => {
  const page = await openOn();
  await page.click('#movie');
  const panel = await page.locator('#panel').boundingBox();
  const above = () => page.screenshot({ clip: { x: panel.x - 8, y: panel.y - 8, width: panel.width + 16, height: 8 } });
  const unfocused = await above();
  const rings = new Map();
  for (let tab = 0; tab < 40; ++tab) {
    await page.keyboard.press('Tab');
    const [id, ring] = await page.evaluate(() => document.activeElement.closest('#window')
      ? [document.activeElement.id, getComputedStyle(document.activeElement).outline] : []);
    if (id === undefined) continue;
    rings.set(id, ring);
    if (id === 'panel') assert.ok(!(await above()).equals(unfocused), 'no ring outside the panel');
  }
  assert.ok(['open', 'movie', 'delay', 'loop', 'panel', 'picture'].every((id) => rings.has(id)),
            [...rings.keys()].join());
  const ring = rings.get('panel');
  assert.deepEqual([...rings].filter(([, outline]) => outline !== ring), []);
  const ringColor = ring.match(/rgb\([^)]*\)/)[0];
  const background = await page.$eval('#window', (window) => getComputedStyle(window).backgroundColor);
  assert.ok(contrast(ringColor, 'rgb(0, 0, 0)') >= 3, `${ringColor} on the black panel`);
  assert.ok(contrast(ringColor, background) >= 3, `${ringColor} on ${background}`);
});

// Every text outside the panel, on the colour behind it: the first opaque background of it or its
// parents, or each colour of a gradient there. Text on a see-through layer over the panel is the
// panel's own affair.
test('text outside the panel reads at 4.5:1 or more', async () => {
  for (const options of [{}, PHONE]) {
    const page = await openOn(options);
    const texts = await page.evaluate(() => {
      const found = [];
      const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        const holder = node.parentElement;
        if (node.textContent.trim() === '' || !holder.checkVisibility()) continue;
        let backgrounds = null;
        for (let at = holder; at && !backgrounds; at = at.parentElement) {
          const style = getComputedStyle(at);
          const gradient = style.backgroundImage.match(/rgba?\([^)]*\)/g);
          const color = style.backgroundColor;
          if (gradient) backgrounds = gradient;
          else if (!/rgba\(.*, 0\)$/.test(color)) backgrounds = [color];
        }
        found.push({ text: node.textContent.trim().slice(0, 30), color: getComputedStyle(holder).color,
                     backgrounds });
      }
      // The numbers in their fields, used or not.
      for (const field of document.querySelectorAll('[role="spinbutton"]')) {
        const style = getComputedStyle(field);
        found.push({ text: field.id, color: style.color, backgrounds: [style.backgroundColor] });
      }
      return found;
    });
    const faint = texts.filter(({ backgrounds }) => backgrounds.every((color) => !color.startsWith('rgba')))
      .filter(({ color, backgrounds }) => backgrounds.some((behind) => contrast(color, behind) < 4.5))
      .map(({ text, color, backgrounds }) => `${text}: ${color} on ${backgrounds.join(', ')}`);
    assert.deepEqual(faint, []);
  }
});
