// Frame times of the web build in headless Chromium with software WebGL, at the deepest level of
// each figure: from the frame's first primitive until its pixels are finished (a one-pixel
// readPixels waits for the GPU), the median of several frames.
//   PAGE_DIR=build/web/web node frame-times.mjs
import { openViewer } from './browser.mjs';

const FRAMES = 9;
const viewer = await openViewer(process.env.PAGE_DIR);
await viewer.page.evaluate(() => {
  Module.onFrameDrawn = (start) => {
    Module.ctx.readPixels(0, 0, 1, 1, Module.ctx.RGBA, Module.ctx.UNSIGNED_BYTE, new Uint8Array(4));
    window.framesDrawn.push({ start, end: performance.now() });
  };
});

// At the ceiling a left press changes nothing but still redraws: one more frame to time.
async function medianFrame(figure) {
  const times = [];
  while (times.length < FRAMES) {
    const before = await viewer.frameCount();
    await viewer.click('left');
    await viewer.page.waitForFunction((n) => window.framesDrawn.length > n, before, { timeout: 60000 });
    const frame = await viewer.page.evaluate(() => window.framesDrawn.at(-1));
    times.push(frame.end - frame.start);
  }
  times.sort((a, b) => a - b);
  console.log(`${figure}: median ${times[FRAMES >> 1].toFixed(1)} ms over ${FRAMES} frames ` +
              `(fastest ${times[0].toFixed(1)}, slowest ${times.at(-1).toFixed(1)})`);
}

await viewer.click('left', 12);
await viewer.settle();
await medianFrame('arrowhead 12');
await viewer.click('middle');
await viewer.click('left', 5);
await viewer.settle();
await medianFrame('carpet 5');
await viewer.close();
