// Frame times of the web page in headless Chromium with software WebGL, against the floor: raw
// WebGL1 in a page of its own in the same browser, with the same context attributes, drawing the
// very vertices the page's layer uploaded for that frame (GL_LINES for the arrowhead at its
// ceiling, GL_TRIANGLES for the carpet at its), precomputed. A frame runs from the start of the
// display callback to finished pixels (a one-pixel readPixels waits for them), run where the page
// runs the program (in its worker, in Chromium), with the canvas marked as cleared first so that
// the layer draws the frame rather than find it repeated; viewer and floor frames alternate, and
// the medians are compared.
//   PAGE_DIR=build/web node bench/web/frame-times.mjs
import { openViewer, programFacts } from '../../tools/browser/browser.mjs';
import { rawWebGl, median } from './floor.mjs';

// Frames of each kind per figure; the carpet's are short and want more to settle their median.
const FRAMES = { arrowhead: 21, carpet: 61 };

const { WINDOW_WIDTH, WINDOW_HEIGHT } = await programFacts(process.env.PAGE_DIR);
const viewer = await openViewer(process.env.PAGE_DIR);
const runs = await viewer.run(() => viewer.runs);
// Runs fn where the program runs.
const inProgram = (fn, arg) => (runs === 'worker' ? viewer.page.workers()[0] : viewer.page).evaluate(fn, arg);
// The program's WebGL keeps, while self.capture is an array, a copy of what each drawArrays drew.
await inProgram(() => {
  const { bufferData, drawArrays } = WebGLRenderingContext.prototype;
  let uploaded = null;
  WebGLRenderingContext.prototype.bufferData = function(target, data, usage) {
    if (self.capture) uploaded = data.slice();
    return bufferData.call(this, target, data, usage);
  };
  WebGLRenderingContext.prototype.drawArrays = function(mode, first, count) {
    if (self.capture) self.capture.push([mode, new Float32Array(uploaded.buffer, uploaded.byteOffset, count * 2)]);
    return drawArrays.call(this, mode, first, count);
  };
});
const floor = await viewer.page.context().newPage();
await floor.setContent(`<canvas width="${WINDOW_WIDTH}" height="${WINDOW_HEIGHT}"></canvas>`);
await floor.evaluate(([setUp, attributes]) => {
  const gl = new Function(`return (${setUp})`)()(document.querySelector('canvas'), attributes);
  window.floorFrame = () => {
    const start = performance.now();
    gl.clear(gl.COLOR_BUFFER_BIT);
    for (const [mode, vertices] of window.floorDraws) {
      gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.STREAM_DRAW);
      gl.drawArrays(mode, 0, vertices.length / 2);
    }
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
    return performance.now() - start;
  };
}, [rawWebGl.toString(), await inProgram(() => Module.ctx.getContextAttributes())]);

// The display callback called as GLUT calls it, then one pixel read back.
const viewerFrame = () => inProgram(() => {
  Module._glLayerCanvasCleared();
  const start = performance.now();
  wasmTable.get(GLUT.displayFunc)();
  Module.ctx.readPixels(0, 0, 1, 1, Module.ctx.RGBA, Module.ctx.UNSIGNED_BYTE, new Uint8Array(4));
  return performance.now() - start;
});

// Lets a page present its last frame, so that no frame is timed while the other's is composited.
const presented = (page) => page.evaluate(() => new Promise((done) =>
  requestAnimationFrame(() => requestAnimationFrame(done))));

// The figure at its ceiling: the page's draws of one frame handed to the floor, then frames timed.
async function compare(figure) {
  const draws = await inProgram(() => {
    self.capture = [];
    Module._glLayerCanvasCleared();
    wasmTable.get(GLUT.displayFunc)();
    const base64 = (vertices) => {
      const bytes = new Uint8Array(vertices.buffer, vertices.byteOffset, vertices.byteLength);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(text);
    };
    const captured = self.capture.map(([mode, vertices]) => [mode, base64(vertices)]);
    self.capture = null;
    return captured;
  });
  await floor.evaluate((encoded) => {
    window.floorDraws = encoded.map(([mode, data]) =>
      [mode, new Float32Array(Uint8Array.from(atob(data), (c) => c.charCodeAt(0)).buffer)]);
  }, draws);
  const ours = [], raw = [];
  for (let i = 0; i < FRAMES[figure]; ++i) {
    ours.push(await viewerFrame());
    await presented(viewer.page);
    raw.push(await floor.evaluate(() => window.floorFrame()));
    await presented(floor);
  }
  const [o, r] = [median(ours), median(raw)];
  const depth = await inProgram(() => Module._viewDepth());
  console.log(`${figure} ${depth}, program ${runs === 'worker' ? 'in a worker' : 'on the page'}: page ${o.toFixed(1)} ms, floor ${r.toFixed(1)} ms, page/floor ${(o / r).toFixed(3)} ` +
              `(medians of ${FRAMES[figure]} alternating frames)`);
}

const ceiling = () => inProgram(() => Module._viewDepthCeiling());
await viewer.click('left', await ceiling());
await viewer.settle();
await compare('arrowhead');
await viewer.click('middle');
await viewer.click('left', await ceiling());
await viewer.settle();
await compare('carpet');
await viewer.close();
