// The web page in a real browser, checked by the canvas's pixels: the mouse, the page's buttons,
// touch, pictures that match the desktop program's, the layout on phones and dense screens, a
// clean console, the page opened from disk, no WebGL, and the local server's bad requests.
// PAGE_DIR names the folder of the built page.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { request } from 'node:http';
import { openViewer, samePicture, decodePng } from './browser.mjs';
import { arrowheadMismatch, carpetMismatch, nearlySame, blendedPixels } from './expected.mjs';
import { serve } from '../serve.mjs';

const pageFolder = process.env.PAGE_DIR;
assert.ok(pageFolder, 'PAGE_DIR must name the folder of the built page');
// Pictures of the desktop program, taken by the gallery on Xvfb.
const desktopPicture = (name) => decodePng(readFileSync(new URL(`../../docs/gallery/${name}.png`, import.meta.url)));

// Runs checks on a page opened for them alone, which must print no warning or error.
async function withViewer(options, checks) {
  const viewer = await openViewer(pageFolder, options);
  try {
    await checks(viewer);
    assert.deepEqual(viewer.problems, []);
  } finally {
    await viewer.close();
  }
}

describe('in a desktop browser', () => {
  let viewer;
  // Shorter than the page, so that the page can scroll.
  before(async () => { viewer = await openViewer(pageFolder, { context: { viewport: { width: 800, height: 500 } } }); });
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

  test('every picture matches the desktop program\'s to within 2 px', async () => {
    await viewer.click('right'); // from arrowhead 1
    const steps = [['arrowhead-0', 0], ['arrowhead-2', 2], ['arrowhead-5', 3], ['arrowhead-12', 7],
      ['carpet-1', 'middle', 1], ['carpet-2', 1], ['carpet-5', 3]];
    for (const [name, ...presses] of steps) {
      for (const press of presses) await (press === 'middle' ? viewer.click('middle') : viewer.click('left', press));
      assert.equal(nearlySame(await viewer.settle(), desktopPicture(name)), null, name);
    }
    await viewer.click('middle'); // back to arrowhead 0
  });

  test('Deeper, Shallower and Other figure act as the three buttons, from the keyboard too', async () => {
    const { page } = viewer;
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Deeper');
    await page.keyboard.press('Enter');
    await page.keyboard.press('Enter');
    assert.equal(arrowheadMismatch(await viewer.settle(), 2), null);
    await page.keyboard.press('Tab');
    await page.keyboard.press('Space');
    assert.equal(arrowheadMismatch(await viewer.settle(), 1), null);
    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    assert.equal(carpetMismatch(await viewer.settle(), 0), null);
    await viewer.press('Deeper', 7);
    await viewer.press('Shallower', 4);
    assert.equal(carpetMismatch(await viewer.settle(), 1), null, 'the carpet stops at 5');
    await viewer.press('Other figure');
    assert.equal(arrowheadMismatch(await viewer.settle(), 0), null);
  });

  test('only input meant for the picture draws, and the page keeps its own', async () => {
    const { page } = viewer;
    const box = await viewer.canvas.boundingBox();
    const drawsAfter = async (action) => {
      await viewer.settle();
      const before = await viewer.frameCount();
      await action();
      await viewer.settle();
      return await viewer.frameCount() - before;
    };
    await page.evaluate(() => window.scrollTo(0, 0));
    const aside = [box.x + box.width + 100, box.y + 100]; // beside the canvas
    for (const [what, action] of [
      ['a click beside the canvas', () => page.mouse.click(...aside)],
      ['a right click on a button', () => page.getByText('Shallower').click({ button: 'right' })],
      ['a wheel turn beside the canvas', async () => { await page.mouse.move(...aside); await page.mouse.wheel(0, 100); }]]) {
      assert.equal(await drawsAfter(action), 0, `${what} drew`);
    }
    assert.ok(await page.evaluate(() => window.scrollY) > 0, 'the page did not scroll');
    const centre = [box.x + box.width / 2, box.y + 100];
    await page.evaluate(() => window.scrollTo(0, 0));
    assert.ok(await drawsAfter(async () => { await page.mouse.move(...centre); await page.mouse.wheel(0, -100); }) > 0,
      'a wheel turn over the canvas drew nothing');
    await page.mouse.move(...centre);
    await page.mouse.down();
    await viewer.settle();
    assert.ok(await drawsAfter(async () => { await page.mouse.move(...aside); await page.mouse.up(); }) > 0,
      'the release beside the canvas of a press on it drew nothing');
    assert.equal(arrowheadMismatch(await viewer.settle(), 1), null, 'the wheel changed the picture');
    const unprevented = await page.evaluate(() => [
      document.body.dispatchEvent(new MouseEvent('mouseup', { bubbles: true, cancelable: true })),
      Module.canvas.dispatchEvent(new WheelEvent('wheel', { bubbles: true, cancelable: true, deltaY: 100 }))]);
    assert.deepEqual(unprevented, [true, true], 'the page\'s mouseups and wheel turns are its own');
  });

  test('loading and using the page printed no warning or error', () => {
    assert.deepEqual(viewer.problems, []);
  });
});

describe('on dense screens and phones', () => {
  for (const [device, context] of [
    ['a desktop at 2x', { deviceScaleFactor: 2 }],
    ['a 390 px phone at 3x', { hasTouch: true, isMobile: true, viewport: { width: 390, height: 844 }, deviceScaleFactor: 3 }]]) {
    test(`${device}: a square canvas that fits, crisp lines, taps and buttons`, async () => {
      await withViewer({ context }, async (viewer) => {
        const layout = await viewer.page.evaluate(() => ({
          css: Module.canvas.getBoundingClientRect().width, height: Module.canvas.getBoundingClientRect().height,
          width: Module.canvas.width, backingHeight: Module.canvas.height, ratio: devicePixelRatio,
          scrolls: document.documentElement.scrollWidth > innerWidth }));
        assert.ok(layout.css >= 300 && layout.css <= 500 && layout.height === layout.css, `canvas ${layout.css} x ${layout.height} CSS px`);
        assert.equal(layout.scrolls, false, 'the page scrolls sideways');
        assert.deepEqual([layout.width, layout.backingHeight], Array(2).fill(Math.round(layout.css * layout.ratio)));
        await (context.hasTouch ? viewer.canvas.tap() : viewer.click('left'));
        assert.equal(arrowheadMismatch(await viewer.settle(), 1), null, 'a tap is a left click');
        await viewer.press('Deeper', 4);
        const picture = await viewer.settle();
        assert.equal(arrowheadMismatch(picture, 5), null);
        assert.equal(blendedPixels(picture), 0, 'the picture is scaled, not drawn at the screen\'s pixels');
        await viewer.press('Other figure');
        await viewer.press('Deeper', 2);
        await viewer.press('Shallower');
        assert.equal(carpetMismatch(await viewer.settle(), 1), null);
      });
    });
  }
});

test('opened from disk, the page draws and answers the mouse', () => withViewer({ fromDisk: true }, async (viewer) => {
  assert.match(viewer.page.url(), /^file:/);
  await viewer.click('left');
  assert.equal(arrowheadMismatch(await viewer.settle(), 1), null);
}));

test('without WebGL, the page says so and throws nothing', () =>
  withViewer({ args: ['--disable-webgl', '--disable-3d-apis'] }, async (viewer) => {
    const message = viewer.page.getByRole('alert');
    assert.ok(await message.isVisible());
    assert.match(await message.textContent(), /WebGL/);
    assert.equal(await viewer.canvas.isVisible(), false);
  }));

test('the local server answers bad requests and goes on serving', async () => {
  const server = await serve(pageFolder);
  const status = (method, path) => new Promise((done, fail) => {
    request({ host: '127.0.0.1', port: server.address().port, method, path }, (response) => {
      response.resume();
      done(response.statusCode);
    }).on('error', fail).end();
  });
  try {
    for (const [method, path, expected] of [
      ['GET', '/%E0%A4%A', 400], ['GET', '/%', 400], ['GET', '/../../../etc/passwd', 404],
      ['GET', '/%2e%2e/%2e%2e/etc/passwd', 404], ['GET', '/..%2f..%2fetc%2fpasswd', 404],
      ['GET', '/CMakeFiles', 404], ['GET', '/%00', 404], ['POST', '/', 405],
      ['HEAD', '/', 200], ['GET', '/sierpinski-viewer.html', 200], ['GET', '/', 200]]) {
      assert.equal(await status(method, path), expected, `${method} ${path}`);
    }
  } finally {
    await new Promise((done) => server.close(done));
  }
});
