// Drives the web build in Debian's Chromium (software WebGL) through playwright-core, and reads
// the canvas back as pixels. Every wait polls with a deadline and says what it waited for.
import { chromium } from 'playwright-core';
import { inflateSync } from 'node:zlib';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { serve, PAGE } from '../serve.mjs';

export const BLUE = [0, 0, 255];
export const BLACK = [0, 0, 0];

export const BROWSER_ARGS = ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

// Starts a server for the built page and a browser, and opens the page: over http, or straight
// from disk with fromDisk. Every console warning or error and every page error is kept in
// problems. context holds playwright's device options (a phone, a pixel ratio).
export async function openViewer(pageFolder, { fromDisk = false, context = {}, args = [] } = {}) {
  const server = await serve(pageFolder);
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: [...BROWSER_ARGS, ...args],
  });
  const page = await (await browser.newContext(context)).newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.stack ?? String(error)));
  page.on('console', (message) => {
    if (message.type() === 'warning' || message.type() === 'error') problems.push(message.text());
  });
  await page.goto(fromDisk ? pathToFileURL(join(pageFolder, PAGE)).href : `http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => typeof Module !== 'undefined' && (Module.ctx || Module.noInitialRun),
    null, { timeout: 30000 });
  await page.evaluate(() => {
    window.framesDrawn = 0;
    Module.onFrameDrawn = () => ++window.framesDrawn;
  });
  const canvas = page.locator('#canvas');
  return {
    page, canvas, problems,
    async close() {
      await browser.close();
      await new Promise((done) => server.close(done));
    },
    async click(button, count = 1, x = 250, y = 250) {
      for (let i = 0; i < count; ++i) {
        await canvas.click({ button, position: { x, y } });
      }
    },
    // The page's own buttons (Deeper, Shallower, Other figure), clicked or tapped.
    async press(name, count = 1) {
      const button = page.getByRole('button', { name, exact: true });
      for (let i = 0; i < count; ++i) await (context.hasTouch ? button.tap() : button.click());
    },
    frameCount: () => page.evaluate(() => window.framesDrawn),
    async picture() {
      return decodePng(await canvas.screenshot());
    },
    // Waits until no frame has been drawn for 300 ms and the picture stays the same.
    async settle(timeout = 60000) {
      const deadline = Date.now() + timeout;
      let last = await this.picture();
      let frames = await this.frameCount();
      let quietSince = Date.now();
      for (;;) {
        await page.waitForTimeout(50);
        const picture = await this.picture();
        const nowFrames = await this.frameCount();
        if (nowFrames !== frames || !samePicture(picture, last)) {
          quietSince = Date.now();
        } else if (Date.now() - quietSince >= 300) {
          return picture;
        }
        if (Date.now() > deadline) throw new Error(`waited ${timeout} ms for the page to finish drawing`);
        last = picture;
        frames = nowFrames;
      }
    },
  };
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
  return { width, height, pixels, at: (x, y) => [...pixels.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)] };
}
