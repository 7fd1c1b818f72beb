// Drives the web build in the three browser engines and reads the canvas back as pixels:
// Debian's Chromium through playwright-core (headless, software WebGL), Debian's Firefox ESR over
// WebDriver BiDi through puppeteer-core, and WebKitGTK's MiniBrowser through WebKitWebDriver and
// selenium-webdriver; the last two want an X display (scripts/web.sh --test gives them Xvfb).
// Every wait polls with a deadline and says what it waited for.
import { chromium } from 'playwright-core';
import puppeteer from 'puppeteer-core';
import { Builder, By, Button } from 'selenium-webdriver';
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { inflateSync } from 'node:zlib';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { serve, PAGE } from '../serve.mjs';

export const BLUE = [0, 0, 255];
export const BLACK = [0, 0, 0];
export const ENGINES = ['chromium', 'firefox', 'webkit'];

export const BROWSER_ARGS = ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

// The floor pages' raw WebGL1, run in the page (pass it as source): a context on the canvas with
// the given attributes and the layer's own shader, the world square [-2, 2] x [-2, 2] on it,
// drawing black, clearing blue, with one vertex buffer bound to the position. Returns the context.
export function rawWebGl(canvas, attributes) {
  const gl = canvas.getContext('webgl', attributes);
  const compile = (type, source) => {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    return shader;
  };
  const program = gl.createProgram();
  gl.attachShader(program, compile(gl.VERTEX_SHADER, 'attribute vec2 position;' +
    'attribute vec4 columnX, columnY, columnW, colour; varying vec4 fragmentColour;' +
    'void main() { gl_Position = columnX * position.x + columnY * position.y + columnW; fragmentColour = colour; }'));
  gl.attachShader(program, compile(gl.FRAGMENT_SHADER,
    'precision mediump float; varying vec4 fragmentColour; void main() { gl_FragColor = fragmentColour; }'));
  ['position', 'columnX', 'columnY', 'columnW', 'colour'].forEach((name, index) => gl.bindAttribLocation(program, index, name));
  gl.linkProgram(program);
  gl.useProgram(program);
  gl.vertexAttrib4f(1, 0.5, 0, 0, 0);
  gl.vertexAttrib4f(2, 0, 0.5, 0, 0);
  gl.vertexAttrib4f(3, 0, 0, 0, 1);
  gl.vertexAttrib4f(4, 0, 0, 0, 1);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.enableVertexAttribArray(0);
  gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 8, 0);
  gl.clearColor(0, 0, 1, 1);
  return gl;
}

// The page's own buttons by their names.
const PAGE_BUTTONS = { Deeper: 0, Shallower: 2, 'Other figure': 1 };
const buttonSelector = (name) => `button[data-glut-button="${PAGE_BUTTONS[name]}"]`;

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

// Each engine's way to open a page and act on it, all alike: run(fn, arg) runs fn in the page,
// clickCanvas clicks a mouse button at a canvas pixel, press clicks (or taps) a page button,
// canvasPng screenshots the canvas.
const drivers = {
  async chromium(url, { context = {}, args = [], initScript } = {}) {
    const browser = await chromium.launch({
      executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: [...BROWSER_ARGS, ...args],
    });
    const page = await (await browser.newContext(context)).newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.stack ?? String(error)));
    page.on('console', (message) => {
      if (message.type() === 'warning' || message.type() === 'error') problems.push(message.text());
    });
    if (initScript) await page.addInitScript(initScript);
    await page.goto(url);
    const canvas = page.locator('#canvas');
    return {
      page, canvas, problems,
      run: (fn, arg) => page.evaluate(fn, arg),
      clickCanvas: (button, x, y) => canvas.click({ button, position: { x, y } }),
      press: (name) => (context.hasTouch ? page.locator(buttonSelector(name)).tap() : page.locator(buttonSelector(name)).click()),
      canvasPng: () => canvas.screenshot(),
      close: () => browser.close(),
    };
  },

  // Headless Firefox has no WebGL here, so it runs on the display.
  async firefox(url) {
    const browser = await puppeteer.launch({
      browser: 'firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr', headless: false,
      defaultViewport: { width: 1024, height: 900 },
    });
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.stack ?? String(error)));
    page.on('console', (message) => { if (message.type() === 'error') problems.push(message.text()); });
    await page.goto(url);
    const canvas = await page.$('#canvas');
    return {
      page, problems,
      run: (fn, arg) => page.evaluate(fn, arg),
      async clickCanvas(button, x, y) {
        const box = await canvas.boundingBox();
        await page.mouse.click(box.x + x, box.y + y, { button });
      },
      press: (name) => page.click(buttonSelector(name)),
      canvasPng: async () => Buffer.from(await canvas.screenshot()),
      close: () => browser.close(),
    };
  },

  // WebKitWebDriver starts MiniBrowser for each session. WebDriver offers no console, so the
  // page's uncaught errors are caught by listeners put in as soon as it has loaded.
  async webkit(url) {
    const port = await freePort();
    const server = spawn(process.env.WEBKIT_DRIVER ?? 'WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
    const stopServer = () => server.kill();
    let driver;
    for (const deadline = Date.now() + 30000; !driver;) {
      try {
        driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': {
            binary: process.env.MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
            args: ['--automation'],
          },
        }).build();
      } catch (error) {
        if (Date.now() > deadline) {
          stopServer();
          throw new Error(`WebKitWebDriver did not start a session within 30 s: ${error.message}`);
        }
        await pause(200);
      }
    }
    await driver.get(url);
    const run = (fn, arg) => driver.executeScript(`return (${fn})(arguments[0]);`, arg);
    await run(() => {
      window.uncaughtErrors = [];
      window.addEventListener('error', (event) => window.uncaughtErrors.push(event.message));
      window.addEventListener('unhandledrejection', (event) => window.uncaughtErrors.push(String(event.reason)));
    });
    const problems = [];
    const canvas = await driver.findElement(By.id('canvas'));
    const buttons = { left: Button.LEFT, middle: Button.MIDDLE, right: Button.RIGHT };
    return {
      driver, problems,
      run,
      clickCanvas: async (button, x, y) => {
        // Offsets from the middle of the element, as WebDriver's actions take them.
        const rect = await canvas.getRect();
        await driver.actions({ async: true })
          .move({ origin: canvas, x: Math.round(x - rect.width / 2), y: Math.round(y - rect.height / 2) })
          .press(buttons[button]).release(buttons[button]).perform();
      },
      press: async (name) => (await driver.findElement(By.css(buttonSelector(name)))).click(),
      // WebKitGTK's screenshots of the element leave parts of a WebGL canvas black, so the canvas
      // is cut out of a screenshot of the viewport, where it lies whole.
      async canvasPicture() {
        const inView = () => {
          const box = Module.canvas.getBoundingClientRect();
          return box.top >= 0 && box.bottom <= innerHeight ? [box.left, box.top, box.width, box.height] : null;
        };
        let box = await run(inView);
        if (!box) {
          await run(() => Module.canvas.scrollIntoView());
          box = await run(inView);
        }
        const screen = decodePng(Buffer.from(await driver.takeScreenshot(), 'base64'));
        return crop(screen, ...box.map(Math.round));
      },
      async close() {
        problems.push(...await run(() => window.uncaughtErrors));
        await driver.quit();
        stopServer();
      },
    };
  },
};

function freePort() {
  return new Promise((done, fail) => {
    const probe = createServer().listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => done(port));
    }).on('error', fail);
  });
}

// Starts a server for the built page and a browser of the engine, and opens the page: over
// http, or straight from disk with fromDisk. Page errors (and, in Chromium, console warnings and
// errors) are kept in problems. For Chromium, context holds playwright's device options (a
// phone, a pixel ratio, a colour scheme), args more browser switches, and initScript runs in the
// page before its own scripts.
export async function openViewer(pageFolder, { engine = 'chromium', fromDisk = false, ...options } = {}) {
  const server = await serve(pageFolder);
  const url = fromDisk ? pathToFileURL(join(pageFolder, PAGE)).href : `http://127.0.0.1:${server.address().port}/`;
  let browser;
  try {
    browser = await drivers[engine](url, options);
    const deadline = Date.now() + 30000;
    const ready = () => typeof Module !== 'undefined' && !!(Module.ctx ||
      !document.getElementById('no-webgl').hidden || !document.getElementById('start-failed').hidden);
    while (!await browser.run(ready)) {
      if (Date.now() > deadline) throw new Error(`${engine}: the page neither started nor said why within 30 s`);
      await pause(50);
    }
    await browser.run(() => {
      window.framesDrawn = 0;
      Module.onFrameDrawn = () => ++window.framesDrawn;
    });
  } catch (error) {
    await browser?.close();
    server.close();
    throw error;
  }
  return {
    engine, page: browser.page, canvas: browser.canvas, problems: browser.problems, run: browser.run,
    async close() {
      await browser.close();
      await new Promise((done) => server.close(done));
    },
    async click(button, count = 1, x = 250, y = 250) {
      for (let i = 0; i < count; ++i) await browser.clickCanvas(button, x, y);
    },
    // The page's own buttons (Deeper, Shallower, Other figure), clicked or tapped.
    async press(name, count = 1) {
      for (let i = 0; i < count; ++i) await browser.press(name);
    },
    status: () => browser.run(() => document.getElementById('status').textContent),
    frameCount: () => browser.run(() => window.framesDrawn),
    async picture() {
      return browser.canvasPicture ? browser.canvasPicture() : decodePng(await browser.canvasPng());
    },
    // Waits until no frame has been drawn for 300 ms and the picture stays the same.
    async settle(timeout = 60000) {
      const deadline = Date.now() + timeout;
      let last = await this.picture();
      let frames = await this.frameCount();
      let quietSince = Date.now();
      for (;;) {
        await pause(50);
        const picture = await this.picture();
        const nowFrames = await this.frameCount();
        if (nowFrames !== frames || !samePicture(picture, last)) {
          quietSince = Date.now();
        } else if (Date.now() - quietSince >= 300) {
          return picture;
        }
        if (Date.now() > deadline) throw new Error(`${engine}: waited ${timeout} ms for the page to finish drawing`);
        last = picture;
        frames = nowFrames;
      }
    },
  };
}

export function crop(picture, left, top, width, height) {
  const pixels = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    picture.pixels.copy(pixels, y * width * 3, ((top + y) * picture.width + left) * 3, ((top + y) * picture.width + left + width) * 3);
  }
  return picture3(width, height, pixels);
}

export function samePicture(a, b) {
  return a.width === b.width && a.height === b.height && a.pixels.equals(b.pixels);
}

// 8-bit RGB or RGBA PNG, as Chromium writes its screenshots.
export function decodePng(png) {
  let offset = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < png.length) {
    const length = png.readUInt32BE(offset);
    const type = png.toString('latin1', offset + 4, offset + 8);
    const body = png.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = { 2: 3, 6: 4 }[body[9]];
      if (body[8] !== 8 || !channels) throw new Error('unsupported PNG format');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? rows[y * stride + i - channels] : 0;
      const up = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const upLeft = y > 0 && i >= channels ? rows[(y - 1) * stride + i - channels] : 0;
      const paeth = () => {
        const p = left + up - upLeft;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - upLeft)];
        return pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      };
      const predictor = [0, left, up, (left + up) >> 1, filter === 4 ? paeth() : 0][filter];
      rows[y * stride + i] = (line[i] + predictor) & 0xff;
    }
  }
  const pixels = Buffer.alloc(width * height * 3);
  for (let p = 0; p < width * height; ++p) rows.copy(pixels, p * 3, p * channels, p * channels + 3);
  return picture3(width, height, pixels);
}

// A picture of 8-bit RGB pixels, row by row from the top.
function picture3(width, height, pixels) {
  return { width, height, pixels, at: (x, y) => [...pixels.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)] };
}
