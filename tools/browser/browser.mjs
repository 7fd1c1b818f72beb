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
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { serve, PAGE } from '../../web/serve.mjs';
import { crop, decodePng, samePicture } from './pictures.mjs';

export const BROWSER_ARGS = ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

// Polls the condition every 50 ms until it holds, or throws, naming what it waited for.
export async function waitFor(what, condition, timeout = 10000) {
  for (const deadline = Date.now() + timeout; !await condition();) {
    if (Date.now() > deadline) throw new Error(`waited ${timeout} ms for ${what}`);
    await pause(50);
  }
}

// The page's own buttons by their names, marked with the GLUT buttons they stand for.
const pageButtons = ({ GLUT }) => {
  const buttons = { Deeper: GLUT.LEFT_BUTTON, Shallower: GLUT.RIGHT_BUTTON, 'Other figure': GLUT.MIDDLE_BUTTON };
  return (name) => `button[data-glut-button="${buttons[name]}"]`;
};

// Each engine's way to open a page and act on it, all alike: run(fn, arg) runs fn in the page,
// clickCanvas clicks a mouse button at a canvas pixel, press clicks (or taps) a page button (found
// by buttonSelector), canvasPng screenshots the canvas.
const drivers = {
  async chromium(url, buttonSelector, { context = {}, args = [], initScript } = {}) {
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
      // At a limit a button is marked aria-disabled, which playwright takes for disabled; a person
      // can still press it.
      press: (name) => page.locator(buttonSelector(name))[context.hasTouch ? 'tap' : 'click']({ force: true }),
      canvasPng: () => canvas.screenshot(),
      close: () => browser.close(),
    };
  },

  // Headless Firefox has no WebGL here, so it runs on the display.
  async firefox(url, buttonSelector) {
    const browser = await puppeteer.launch({
      browser: 'firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr', headless: false,
      defaultViewport: { width: 1024, height: 900 },
    });
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.stack ?? String(error)));
    page.on('console', (message) => { if (message.type() === 'error') problems.push(message.text()); });
    await page.goto(url);
    // Looked up at each use: where the worker has no WebGL, the page puts a fresh canvas in place.
    const canvas = () => page.$('#canvas');
    return {
      page, problems,
      run: (fn, arg) => page.evaluate(fn, arg),
      async clickCanvas(button, x, y) {
        const box = await (await canvas()).boundingBox();
        await page.mouse.click(box.x + x, box.y + y, { button });
      },
      press: (name) => page.click(buttonSelector(name)),
      canvasPng: async () => Buffer.from(await (await canvas()).screenshot()),
      close: () => browser.close(),
    };
  },

  // WebKitWebDriver starts MiniBrowser for each session. WebDriver offers no console, so the
  // page's uncaught errors are caught by listeners put in as soon as it has loaded.
  async webkit(url, buttonSelector) {
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
    // Looked up at each use: where the worker has no WebGL (WebKitGTK), the page puts a fresh
    // canvas in place.
    const canvas = () => driver.findElement(By.id('canvas'));
    const buttons = { left: Button.LEFT, middle: Button.MIDDLE, right: Button.RIGHT };
    return {
      driver, problems,
      run,
      clickCanvas: async (button, x, y) => {
        // Offsets from the middle of the element, as WebDriver's actions take them.
        const element = await canvas();
        const rect = await element.getRect();
        await driver.actions({ async: true })
          .move({ origin: element, x: Math.round(x - rect.width / 2), y: Math.round(y - rect.height / 2) })
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

// The program's facts (window size, ceilings, GLUT's buttons, the status line's form), as the web
// build wrote them from the program's headers beside the page.
export const programFacts = (pageFolder) => import(pathToFileURL(join(pageFolder, 'program_facts.mjs')).href);

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
    browser = await drivers[engine](url, pageButtons(await programFacts(pageFolder)), options);
    await waitFor(`${engine}: the page to start or say why not`, () => browser.run(() => typeof viewer !== 'undefined' &&
      (viewer.started || [...document.querySelectorAll('[role=alert]')].some((message) => !message.hidden))), 30000);
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
    // Frames the program flushed, and those of them the GL layer drew (it draws no repeat).
    frameCount: () => browser.run(() => viewer.framesFlushed),
    framesDrawn: () => browser.run(() => viewer.framesDrawn),
    async picture() {
      return browser.canvasPicture ? browser.canvasPicture() : decodePng(await browser.canvasPng());
    },
    // Waits until no frame has been drawn for 300 ms and the picture stays the same; returns it.
    async settle(timeout = 60000) {
      let last = await this.picture(), frames = await this.frameCount(), quietSince = Date.now();
      await waitFor(`${engine}: the page to finish drawing`, async () => {
        const [picture, nowFrames] = [await this.picture(), await this.frameCount()];
        if (nowFrames !== frames || !samePicture(picture, last)) quietSince = Date.now();
        [last, frames] = [picture, nowFrames];
        return Date.now() - quietSince >= 300;
      }, timeout);
      return last;
    },
  };
}
