// The web page in real browsers, checked by the canvas's pixels: the core of it in Chromium,
// Firefox and WebKit, the program in a worker where the engine can draw there and on the page
// where not (and once forced to); in Chromium also the mouse and the page's buttons in detail,
// frames drawn and not drawn, touch, input before the program runs, the layout on phones and dense
// screens, a lost WebGL context in either way, missing browser features, axe-core's accessibility
// rules, a clean console, the page opened from disk, no WebGL or WebAssembly, and the local
// server's answers. PAGE_DIR names the folder of the built page.
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { request } from 'node:http';
import { fileURLToPath } from 'node:url';
import { gunzipSync } from 'node:zlib';
import { openViewer, programFacts, waitFor } from '../../tools/browser/browser.mjs';
import { mismatch, samePicture, blendedPixels, reference } from '../../tools/browser/pictures.mjs';
import { serve } from '../serve.mjs';

const pageFolder = process.env.PAGE_DIR;
assert.ok(pageFolder, 'PAGE_DIR must name the folder of the built page');
const { statusText, GLUT, FIGURE_ARROWHEAD, FIGURE_CARPET, TRIANGLE_MAX_DEPTH, CARPET_MAX_DEPTH } =
  await programFacts(pageFolder);
const arrowheadStatus = (depth) => statusText(FIGURE_ARROWHEAD, depth, TRIANGLE_MAX_DEPTH);
const carpetStatus = (depth) => statusText(FIGURE_CARPET, depth, CARPET_MAX_DEPTH);

// Runs checks on a page opened for them alone, which must throw no error (nor, in Chromium, print
// a warning) unless the checks clear the problems they expect.
async function withViewer(options, checks) {
  const viewer = await openViewer(pageFolder, options);
  try {
    await checks(viewer);
  } finally {
    await viewer.close();
  }
  assert.deepEqual(viewer.problems, []);
}

const PHONE = { hasTouch: true, isMobile: true, viewport: { width: 390, height: 844 }, deviceScaleFactor: 3 };
// A browser that cannot hand a canvas to a worker: the program runs on the page's thread.
const ON_THE_PAGE = () => { delete HTMLCanvasElement.prototype.transferControlToOffscreen; };
// A browser whose workers have no WebGL (older Safari): the worker's script gets a getContext that
// finds none.
const NO_WEBGL_IN_WORKERS = () => {
  const Blob = window.Blob;
  window.Blob = function(parts, options) {
    return new Blob(options?.type === 'text/javascript' ? ['OffscreenCanvas.prototype.getContext = () => null;', ...parts] : parts, options);
  };
};
// Whether Deeper and Shallower are marked as at their limit.
const atLimits = (viewer) => viewer.run((buttons) => buttons.map((button) =>
  document.querySelector(`[data-glut-button="${button}"]`).getAttribute('aria-disabled')), [GLUT.LEFT_BUTTON, GLUT.RIGHT_BUTTON]);

describe('in every browser engine, the way it runs the program', () => {
  // Chromium and Firefox draw WebGL in a worker, WebKitGTK does not; Chromium once more on the page.
  for (const [engine, runs, initScript] of [['chromium', 'worker'], ['chromium', 'page', ON_THE_PAGE],
    ['firefox', 'worker'], ['webkit', 'page']]) {
    test(`${engine}, ${runs === 'worker' ? 'in a worker' : 'on the page'}: the mouse and the page's buttons to both ceilings, the status line, a deep picture as the desktop's`,
      () => withViewer({ engine, initScript }, async (viewer) => {
        assert.deepEqual(await viewer.run(() => [viewer.runs, document.getElementById('canvas').dataset.runs]), [runs, runs]);
        const shows = async (figure, depth, status) => {
          assert.equal(mismatch(await viewer.settle(), figure, depth), null);
          assert.equal(await viewer.status(), status);
        };
        await shows('arrowhead', 0, arrowheadStatus(0));
        assert.deepEqual(await atLimits(viewer), ['false', 'true'], 'Shallower is not marked at depth 0');
        await viewer.click('left', 13);
        await shows('arrowhead', 12, arrowheadStatus(TRIANGLE_MAX_DEPTH));
        assert.deepEqual(await atLimits(viewer), ['true', 'false'], 'Deeper is not marked at the ceiling');
        await viewer.click('right', 11);
        await shows('arrowhead', 1, arrowheadStatus(1));
        await viewer.click('right', 2);
        await shows('arrowhead', 0, arrowheadStatus(0));
        await viewer.click('middle');
        await viewer.click('left', 6);
        await viewer.click('right', 4);
        await shows('carpet', 1, carpetStatus(1));
        await viewer.press('Other figure');
        await shows('arrowhead', 0, arrowheadStatus(0));
        await viewer.press('Other figure');
        await viewer.press('Deeper', 7);
        await viewer.press('Shallower', 3);
        await shows('carpet', 2, carpetStatus(2));
        await viewer.press('Shallower', 3);
        await shows('carpet', 0, carpetStatus(0));
      }));
  }
});

describe('in a desktop browser', () => {
  let viewer;
  // Shorter than the page, so that the page can scroll.
  before(async () => { viewer = await openViewer(pageFolder, { context: { viewport: { width: 800, height: 500 } } }); });
  after(() => viewer?.close());

  test('the page is titled as the window, says what it is, and its canvas is as large', async () => {
    const heading = await viewer.page.locator('h1').textContent();
    assert.equal(await viewer.page.title(), `${heading} — Sierpinski arrowhead curve and carpet`);
    const size = await viewer.run(() => [viewer.width, viewer.height]);
    assert.deepEqual(size, [reference('arrowhead', 0).width, reference('arrowhead', 0).height]);
  });

  test('the first picture is the depth-0 strip, black on blue', async () => {
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 0), null);
  });

  test('the right button opens no context menu on the canvas', async () => {
    const prevented = await viewer.page.evaluate(() => !document.getElementById('canvas').dispatchEvent(
      new MouseEvent('contextmenu', { bubbles: true, cancelable: true, button: 2 })));
    assert.ok(prevented);
  });

  test('left goes deeper and stops at 12, right stops at 0', async () => {
    for (let depth = 1; depth <= 3; ++depth) {
      await viewer.click('left');
      assert.equal(mismatch(await viewer.settle(), 'arrowhead', depth), null);
    }
    await viewer.click('left', 12); // to the ceiling and three presses beyond
    const atTwelve = await viewer.settle();
    await viewer.click('left');
    assert.ok(samePicture(await viewer.settle(), atTwelve), 'a press at 12 changed the picture');
    await viewer.click('right', 11); // had the ceiling failed, this would not reach depth 1
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
    await viewer.click('right', 3);
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 0), null);
    await viewer.click('left');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
  });

  test('middle switches to the carpet at 0, which stops at 5, and back to the arrowhead', async () => {
    await viewer.click('middle');
    assert.equal(mismatch(await viewer.settle(), 'carpet', 0), null);
    for (let depth = 1; depth <= 2; ++depth) {
      await viewer.click('left');
      assert.equal(mismatch(await viewer.settle(), 'carpet', depth), null);
    }
    await viewer.click('left', 6, 10, 490); // anywhere on the canvas
    await viewer.click('right', 4);
    assert.equal(mismatch(await viewer.settle(), 'carpet', 1), null);
    await viewer.click('middle');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 0), null);
    await viewer.click('left', 14);
    await viewer.click('right', 11);
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null, 'the arrowhead ceiling is 12 again');
  });

  test('every picture matches the desktop program\'s to within 2 px', async () => {
    await viewer.click('right'); // from arrowhead 1
    const steps = [['arrowhead', 0, 0], ['arrowhead', 2, 2], ['arrowhead', 5, 3], ['arrowhead', 12, 7],
      ['carpet', 1, 'middle', 1], ['carpet', 2, 1], ['carpet', 5, 3]];
    for (const [figure, depth, ...presses] of steps) {
      for (const press of presses) await (press === 'middle' ? viewer.click('middle') : viewer.click('left', press));
      assert.equal(mismatch(await viewer.settle(), figure, depth), null, `${figure} ${depth}`);
    }
    await viewer.click('middle'); // back to arrowhead 0
  });

  test('Deeper, Shallower and Other figure act as the three buttons, from the keyboard too', async () => {
    const { page } = viewer;
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Deeper');
    await page.keyboard.press('Enter');
    await page.keyboard.press('Enter');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 2), null);
    await page.keyboard.press('Tab');
    await page.keyboard.press('Space');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    assert.equal(mismatch(await viewer.settle(), 'carpet', 0), null);
    await viewer.press('Deeper', 7);
    await viewer.press('Shallower', 4);
    assert.equal(mismatch(await viewer.settle(), 'carpet', 1), null, 'the carpet stops at 5');
    await viewer.press('Other figure');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 0), null);
  });

  test('only presses meant for the picture reach the program, the wheel scrolls the page, and no frame is drawn twice', async () => {
    const { page } = viewer;
    // Whether an action reached the program (it flushed a frame: GLUT may merge the redisplays of
    // a press and its release), and how many frames were drawn, once all is quiet again.
    const framesAfter = async (action) => {
      await viewer.settle();
      const [flushed, drawn] = [await viewer.frameCount(), await viewer.framesDrawn()];
      await action();
      await viewer.settle();
      return [await viewer.frameCount() > flushed, await viewer.framesDrawn() - drawn];
    };
    await viewer.click('left', 12);
    // A point over the picture or beside it, with the page scrolled to its top.
    const spot = async (where) => {
      await page.evaluate(() => window.scrollTo(0, 0));
      const { x, y, width } = await viewer.canvas.boundingBox();
      return where === 'aside' ? [x + width + 100, y + 100] : [x + width / 2, y + 100];
    };
    const wheel = (where) => async () => {
      await page.mouse.move(...await spot(where));
      for (let notch = 0; notch < 10; ++notch) await page.mouse.wheel(0, 100);
      await waitFor('the page to scroll', () => page.evaluate(() => window.scrollY > 0));
    };
    for (const [what, action, expected] of [
      ['a click beside the canvas', async () => page.mouse.click(...await spot('aside')), [false, 0]],
      ['a right click on a button', () => page.getByRole('button', { name: 'Shallower' }).click({ button: 'right' }), [false, 0]],
      ['a wheel gesture beside the canvas', wheel('aside'), [false, 0]],
      ['a wheel gesture over the picture at depth 12', wheel('centre'), [false, 0]],
      ['a click from 12 to 11', () => viewer.click('right'), [true, 1]],
      ['a click from 11 to 12', () => viewer.click('left'), [true, 1]],
      ['a click at the ceiling', () => viewer.click('left'), [true, 0]],
      ['the release beside the canvas of a press on it', async () => {
        await page.mouse.move(...await spot('centre'));
        await page.mouse.down({ button: 'right' });
        await viewer.settle();
        await page.mouse.move(...await spot('aside'));
        await page.mouse.up({ button: 'right' });
      }, [true, 1]]]) {
      assert.deepEqual(await framesAfter(action), expected, `${what}: whether the program took it, and frames drawn`);
    }
    assert.equal(await viewer.status(), arrowheadStatus(11));
    await viewer.click('right', 10);
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
    const unprevented = await page.evaluate(() => [
      document.body.dispatchEvent(new MouseEvent('mouseup', { bubbles: true, cancelable: true })),
      document.getElementById('canvas').dispatchEvent(new WheelEvent('wheel', { bubbles: true, cancelable: true, deltaY: 100 }))]);
    assert.deepEqual(unprevented, [true, true], 'the page\'s mouseups and wheel turns are its own');
  });

  test('loading and using the page printed no warning or error', () => {
    assert.deepEqual(viewer.problems, []);
  });
});

describe('on dense screens and phones', () => {
  for (const [device, context] of [
    ['a desktop at 2x', { deviceScaleFactor: 2 }],
    ['a 390 px phone at 3x', PHONE]]) {
    test(`${device}: a square canvas that fits, crisp lines, taps and buttons`, async () => {
      await withViewer({ context }, async (viewer) => {
        const layout = await viewer.page.evaluate(() => {
          const box = document.getElementById('canvas').getBoundingClientRect();
          return { css: box.width, height: box.height, width: viewer.width, backingHeight: viewer.height,
                   ratio: devicePixelRatio, scrolls: document.documentElement.scrollWidth > innerWidth };
        });
        assert.ok(layout.css >= 300 && layout.css <= 500 && layout.height === layout.css, `canvas ${layout.css} x ${layout.height} CSS px`);
        assert.equal(layout.scrolls, false, 'the page scrolls sideways');
        assert.deepEqual([layout.width, layout.backingHeight], Array(2).fill(Math.round(layout.css * layout.ratio)));
        await (context.hasTouch ? viewer.canvas.tap() : viewer.click('left'));
        assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null, 'a tap is a left click');
        await viewer.press('Deeper', 4);
        const picture = await viewer.settle();
        assert.equal(mismatch(picture, 'arrowhead', 5), null);
        assert.equal(blendedPixels(picture), 0, 'the picture is scaled, not drawn at the screen\'s pixels');
        await viewer.press('Other figure');
        await viewer.press('Deeper', 2);
        await viewer.press('Shallower');
        assert.equal(mismatch(await viewer.settle(), 'carpet', 1), null);
      });
    });
  }
});

describe('a lost WebGL context', () => {
  for (const [runs, initScript] of [['worker'], ['page', ON_THE_PAGE]]) {
    test(`comes back by itself, ${runs === 'worker' ? 'in a worker' : 'on the page'}, showing the state with the input taken meanwhile`, () =>
      withViewer({ initScript }, async (viewer) => {
        const { page } = viewer;
        // Where the program's WebGL context lives.
        const inProgram = (fn) => (runs === 'worker' ? page.workers()[0].evaluate(fn) : page.evaluate(fn));
        const noteShown = () => viewer.run(() => !document.getElementById('context-lost').hidden);
        const buttons = () => page.locator('.controls').boundingBox();
        await viewer.click('left', 2);
        assert.equal(mismatch(await viewer.settle(), 'arrowhead', 2), null);
        const before = await buttons();
        await inProgram(() => {
          self.loseContext = Module.ctx.getExtension('WEBGL_lose_context');
          self.loseContext.loseContext();
        });
        await waitFor('the note on the lost context', noteShown);
        assert.equal(await page.locator('#context-lost').getAttribute('role'), 'status');
        assert.deepEqual(await buttons(), before, 'the note moved the buttons');
        await viewer.click('left');
        await waitFor('the status line to say depth 3', async () => await viewer.status() === arrowheadStatus(3));
        await inProgram(() => self.loseContext.restoreContext());
        await waitFor('the context to come back', async () => !await noteShown());
        assert.equal(mismatch(await viewer.settle(), 'arrowhead', 3), null);
        await viewer.click('middle');
        assert.equal(mismatch(await viewer.settle(), 'carpet', 0), null);
        // What Chromium says of the loss the test asked for.
        viewer.problems.splice(0, Infinity, ...viewer.problems.filter((p) => !/CONTEXT_LOST_WEBGL/.test(p)));
      }));
  }
});

describe('presses before the program runs are all kept, in their order', () => {
  // Other figure, Deeper, Deeper, Shallower, Deeper ends at carpet 2; in reverse order at carpet 0.
  const early = [GLUT.MIDDLE_BUTTON, GLUT.LEFT_BUTTON, GLUT.LEFT_BUTTON, GLUT.RIGHT_BUTTON, GLUT.LEFT_BUTTON];
  for (const [way, runs, noWebGLInWorkers] of [['in a worker', 'worker', false], ['on the page, the worker having no WebGL', 'page', true]]) {
    const tapEarly = `document.addEventListener('DOMContentLoaded', () => { for (const button of ${JSON.stringify(early)}) document.querySelector(\`[data-glut-button="\${button}"]\`).click(); });`;
    const content = noWebGLInWorkers ? `(${NO_WEBGL_IN_WORKERS})(); ${tapEarly}` : tapEarly;
    test(way, () => withViewer({ context: PHONE, initScript: { content } }, async (viewer) => {
      assert.equal(await viewer.run(() => viewer.runs), runs);
      assert.equal(mismatch(await viewer.settle(), 'carpet', 2), null);
      assert.equal(await viewer.status(), carpetStatus(2));
    }));
  }
});

test('the status line and the limit marks are right at every depth of both figures', () => withViewer({}, async (viewer) => {
  for (const [press, ceiling, status] of [[null, TRIANGLE_MAX_DEPTH, arrowheadStatus], ['Other figure', CARPET_MAX_DEPTH, carpetStatus]]) {
    if (press) await viewer.press(press);
    // Up one press at a time to one beyond the ceiling, then down to one below 0.
    const depths = [...Array(ceiling + 1).keys()];
    for (const [button, path] of [['Deeper', [...depths.slice(1), ceiling]], ['Shallower', [...depths.reverse().slice(1), 0]]]) {
      for (const depth of path) {
        await viewer.press(button);
        await waitFor(`the status line at depth ${depth}`, async () => await viewer.status() === status(depth));
        assert.deepEqual(await atLimits(viewer), [String(depth === ceiling), String(depth === 0)],
          `the marks of Deeper and Shallower at depth ${depth} of ${ceiling}`);
      }
    }
  }
}));

describe('without browser features', () => {
  // The failure message, and no picture, after what the check does first.
  const fails = (message, first = async () => {}) => async (viewer) => {
    await first(viewer);
    await waitFor('the failure message', () => viewer.page.getByRole('alert').isVisible());
    assert.match(await viewer.page.getByRole('alert').textContent(), message);
    assert.equal(await viewer.canvas.isVisible(), false);
    viewer.problems.length = 0; // the failure itself, as the console reports it
  };
  const draws = async (viewer) => {
    const size = await viewer.run(() => [viewer.width, document.getElementById('canvas').getBoundingClientRect().width]);
    assert.deepEqual(size, [1000, 500], 'the backing store is not CSS pixels x devicePixelRatio');
    await viewer.click('left');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
  };
  for (const [what, initScript, check] of [
    ['without the device-pixel box (WebKit), the CSS box and the pixel ratio', () => {
      const observe = ResizeObserver.prototype.observe;
      ResizeObserver.prototype.observe = function(target, options) {
        if (options?.box === 'device-pixel-content-box') throw new TypeError('Type error');
        return observe.call(this, target, options);
      };
    }, draws],
    ['without ResizeObserver, the window\'s size and the pixel ratio', () => { delete window.ResizeObserver; }, draws],
    ['without WebGL in a worker (older Safari), on the page', NO_WEBGL_IN_WORKERS, async (viewer) => {
      assert.equal(await viewer.run(() => viewer.runs), 'page');
      await draws(viewer);
    }],
    ['when WebGL fails as the program starts, a message', () => {
      delete HTMLCanvasElement.prototype.transferControlToOffscreen;
      WebGLRenderingContext.prototype.createBuffer = () => { throw new Error('no memory left for a buffer'); };
    }, fails(/could not start\s+\(.*no memory left for a buffer\)/s)],
    ['when a shader does not compile, a message with the driver\'s log', () => {
      delete HTMLCanvasElement.prototype.transferControlToOffscreen;
      const shaderSource = WebGLRenderingContext.prototype.shaderSource;
      WebGLRenderingContext.prototype.shaderSource = function(shader, source) { shaderSource.call(this, shader, `${source}\nnot a shader`); };
    }, fails(/could not start\s+\(a shader did not compile: ERROR: .*\)\. Reload/s)],
    ['when WebGL fails after the first frame, a message', () => {
      delete HTMLCanvasElement.prototype.transferControlToOffscreen;
      const bufferData = WebGLRenderingContext.prototype.bufferData;
      WebGLRenderingContext.prototype.bufferData = function(...args) {
        if (window.breakBuffers) throw new Error('the buffer is gone');
        return bufferData.apply(this, args);
      };
    }, fails(/The viewer stopped\s+\(.*the buffer is gone\)\. Reload/s, async (viewer) => {
      assert.equal(mismatch(await viewer.settle(), 'arrowhead', 0), null);
      await viewer.run(() => { window.breakBuffers = true; });
      await viewer.click('left');
    })]]) {
    test(what, () => withViewer({ context: { deviceScaleFactor: 2 }, initScript }, check));
  }
});

// WebGL taken away everywhere, workers included; and a browser without WebAssembly (Chromium's
// switches no longer hide it).
const NO_WEBGL = { args: ['--disable-webgl', '--disable-3d-apis', '--disable-gpu', '--disable-software-rasterizer'] };
const NO_WEBASSEMBLY = { initScript: () => { delete window.WebAssembly; } };

describe('axe-core finds no accessibility fault', () => {
  const axe = fileURLToPath(new URL('../../node_modules/axe-core/axe.min.js', import.meta.url));
  for (const [state, options, check] of [
    ['at start', {}],
    ['on a phone', { context: PHONE }],
    ['in dark mode, around the program\'s own colours', { context: { colorScheme: 'dark' } }, async (viewer) => {
      const background = await viewer.run(() => getComputedStyle(document.body).backgroundColor);
      assert.equal(background, 'rgb(22, 24, 29)');
      assert.equal(mismatch(await viewer.settle(), 'arrowhead', 0), null);
    }],
    ['at the ceiling, Deeper marked', {}, (viewer) => viewer.click('left', 12)],
    ['with the note on a lost context', {}, async (viewer) => {
      await viewer.page.workers()[0].evaluate(() => Module.ctx.getExtension('WEBGL_lose_context').loseContext());
      await waitFor('the note', () => viewer.run(() => !document.getElementById('context-lost').hidden));
      viewer.problems.length = 0;
    }],
    ['with the no-WebGL message', NO_WEBGL],
    ['with the no-WebAssembly message', NO_WEBASSEMBLY]]) {
    test(state, () => withViewer(options, async (viewer) => {
      if (await viewer.run(() => viewer.started)) await viewer.settle();
      await check?.(viewer);
      await viewer.page.addScriptTag({ path: axe });
      const violations = await viewer.run(async () =>
        (await axe.run()).violations.map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target).join(', ')}`));
      assert.deepEqual(violations, []);
    }));
  }
});

test('opened from disk, the page draws and answers the mouse', () => withViewer({ fromDisk: true }, async (viewer) => {
  assert.match(viewer.page.url(), /^file:/);
  await viewer.click('left');
  assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
}));

describe('without WebGL or WebAssembly', () => {
  for (const [what, options, says] of [
    ['without WebGL anywhere, the page says so', NO_WEBGL, /draws with WebGL.*Turn WebGL \(hardware acceleration\) on/s],
    ['without WebAssembly, the page says the browser cannot run the program', NO_WEBASSEMBLY,
      /^This browser cannot run the viewer:\s.*\sTry another browser\.$/s]]) {
    test(`${what}, hides the picture, its buttons and their explanation, and throws nothing`, () => withViewer(options, async (viewer) => {
      const message = viewer.page.getByRole('alert');
      assert.ok(await message.isVisible());
      assert.match((await message.textContent()).trim(), says);
      assert.doesNotMatch(await message.textContent(), /Reload/);
      for (const hidden of ['#canvas', '.controls', '#help']) assert.equal(await viewer.page.locator(hidden).isVisible(), false, hidden);
    }));
  }
  test('with WebGL only in workers, the program runs in one', () => withViewer({ args: ['--disable-webgl', '--disable-3d-apis'] }, async (viewer) => {
    assert.equal(await viewer.run(() => viewer.runs), 'worker');
    await viewer.click('left');
    assert.equal(mismatch(await viewer.settle(), 'arrowhead', 1), null);
  }));
});

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
    const gzipped = await new Promise((done, fail) => {
      request({ host: '127.0.0.1', port: server.address().port, path: '/', headers: { 'Accept-Encoding': 'gzip, br' } }, (response) => {
        const chunks = [];
        response.on('data', (chunk) => chunks.push(chunk));
        response.on('end', () => done([response.headers['content-encoding'], Buffer.concat(chunks)]));
      }).on('error', fail).end();
    });
    assert.equal(gzipped[0], 'gzip');
    assert.ok(gunzipSync(gzipped[1]).equals(readFileSync(`${pageFolder}/sierpinski-viewer.html`)), 'the gzipped page is not the page');
  } finally {
    await new Promise((done) => server.close(done));
  }
});
