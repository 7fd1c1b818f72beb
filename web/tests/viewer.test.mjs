// The web build in a real browser: the page, the first picture, and the three buttons with their
// ceilings, checked by the canvas's pixels. PAGE_DIR names the folder of the built page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openViewer, samePicture } from './browser.mjs';
import { arrowheadMismatch, carpetMismatch } from './expected.mjs';

const pageFolder = process.env.PAGE_DIR;
let viewer;

before(async () => {
  assert.ok(pageFolder, 'PAGE_DIR must name the folder of the built page');
  viewer = await openViewer(pageFolder);
});
after(() => viewer?.close());

test('the page is titled and its canvas is 500 x 500', async () => {
  assert.equal(await viewer.page.title(), 'Veldmora Assignment#1');
  const size = await viewer.page.evaluate(() => [Module.canvas.width, Module.canvas.height]);
  assert.deepEqual(size, [500, 500]);
});

test('the first picture is the depth-0 strip, black on blue', async () => {
  assert.equal(arrowheadMismatch(await viewer.settle(), 0), null);
});

test('the right button opens no context menu on the canvas', async () => {
  const prevented = await viewer.page.evaluate(() => !Module.canvas.dispatchEvent(
    new MouseEvent('contextmenu', { bubbles: true, cancelable: true, button: 2 })));
  assert.ok(prevented);
});

test('left goes deeper and stops at 12, right stops at 0', async () => {
  for (let depth = 1; depth <= 3; ++depth) {
    await viewer.click('left');
    assert.equal(arrowheadMismatch(await viewer.settle(), depth), null);
  }
  await viewer.click('left', 12); // to the ceiling and three presses beyond
  const atTwelve = await viewer.settle();
  await viewer.click('left');
  assert.ok(samePicture(await viewer.settle(), atTwelve), 'a press at 12 changed the picture');
  await viewer.click('right', 11); // had the ceiling failed, this would not reach depth 1
  assert.equal(arrowheadMismatch(await viewer.settle(), 1), null);
  await viewer.click('right', 3);
  assert.equal(arrowheadMismatch(await viewer.settle(), 0), null);
  await viewer.click('left');
  assert.equal(arrowheadMismatch(await viewer.settle(), 1), null);
});

test('middle switches to the carpet at 0, which stops at 5, and back to the arrowhead', async () => {
  await viewer.click('middle');
  assert.equal(carpetMismatch(await viewer.settle(), 0), null);
  for (let depth = 1; depth <= 2; ++depth) {
    await viewer.click('left');
    assert.equal(carpetMismatch(await viewer.settle(), depth), null);
  }
  await viewer.click('left', 6, 10, 490); // anywhere on the canvas
  await viewer.click('right', 4);
  assert.equal(carpetMismatch(await viewer.settle(), 1), null);
  await viewer.click('middle');
  assert.equal(arrowheadMismatch(await viewer.settle(), 0), null);
  await viewer.click('left', 14);
  await viewer.click('right', 11);
  assert.equal(arrowheadMismatch(await viewer.settle(), 1), null, 'the arrowhead ceiling is 12 again');
});

test('the page reported no error', () => {
  assert.deepEqual(viewer.errors, []);
});
