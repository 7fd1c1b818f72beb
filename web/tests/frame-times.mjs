// Frame times of the web page in headless Chromium with software WebGL, against the floor: raw
// WebGL1 in a page of its own in the same browser, with the same context attributes, sending
// the same primitives precomputed (GL_LINES for the arrowhead at 12, GL_TRIANGLES for the carpet
// at 5). A frame runs from the start of the display callback to finished pixels (a one-pixel
// readPixels waits for them); viewer and floor frames alternate, and the medians are compared.
//   PAGE_DIR=build/web/web node frame-times.mjs
import { openViewer, rawWebGl } from './browser.mjs';
import { arrowheadSegments } from './expected.mjs';

// Frames of each kind per figure; the carpet's are short and want more to settle their median.
const FRAMES = { 'arrowhead 12': 21, 'carpet 5': 61 };
const viewer = await openViewer(process.env.PAGE_DIR);
const floor = await viewer.page.context().newPage();
await floor.setContent('<canvas width="500" height="500"></canvas>');
await floor.evaluate(([setUp, attributes]) => {
  const gl = new Function(`return (${setUp})`)()(document.querySelector('canvas'), attributes);
  window.floorFrame = (vertices, mode) => {
    const start = performance.now();
    gl.clear(gl.COLOR_BUFFER_BIT);
    gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.STREAM_DRAW);
    gl.drawArrays(gl[mode], 0, vertices.length / 2);
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
    return performance.now() - start;
  };
}, [rawWebGl.toString(), await viewer.page.evaluate(() => Module.ctx.getContextAttributes())]);

// The display callback called as GLUT calls it, then one pixel read back.
const viewerFrame = () => viewer.page.evaluate(() => {
  const start = performance.now();
  wasmTable.get(GLUT.displayFunc)();
  Module.ctx.readPixels(0, 0, 1, 1, Module.ctx.RGBA, Module.ctx.UNSIGNED_BYTE, new Uint8Array(4));
  return performance.now() - start;
});

// Lets a page present its last frame, so that no frame is timed while the other's is composited.
const presented = (page) => page.evaluate(() => new Promise((done) =>
  requestAnimationFrame(() => requestAnimationFrame(done))));

const median = (times) => times.sort((a, b) => a - b)[times.length >> 1];

async function compare(name, mode, vertices) {
  const bytes = Buffer.from(new Float32Array(vertices.flat(Infinity)).buffer).toString('base64');
  await floor.evaluate(([data, m]) => {
    window.floorData = new Float32Array(Uint8Array.from(atob(data), (c) => c.charCodeAt(0)).buffer);
    window.floorMode = m;
  }, [bytes, mode]);
  const ours = [], raw = [];
  for (let i = 0; i < FRAMES[name]; ++i) {
    ours.push(await viewerFrame());
    await presented(viewer.page);
    raw.push(await floor.evaluate(() => window.floorFrame(window.floorData, window.floorMode)));
    await presented(floor);
  }
  const [o, r] = [median(ours), median(raw)];
  console.log(`${name}: page ${o.toFixed(1)} ms, floor ${r.toFixed(1)} ms, page/floor ${(o / r).toFixed(3)} ` +
              `(medians of ${FRAMES[name]} alternating frames)`);
}

// The carpet's kept cells, each as its four corners.
function carpetQuads([p0, p1, p2, p3], depth) {
  if (depth === 0) return [[p0, p1, p2, p3]];
  const at = (u, v) => [p0[0] + (p1[0] - p0[0]) * u / 3, p0[1] + (p3[1] - p0[1]) * v / 3];
  const cells = [[0, 0], [1, 0], [2, 0], [2, 1], [2, 2], [1, 2], [0, 2], [0, 1]];
  return cells.flatMap(([u, v]) =>
    carpetQuads([at(u, v), at(u + 1, v), at(u + 1, v + 1), at(u, v + 1)], depth - 1));
}

const A = [-1, -0.58], B = [1, -0.58], C = [0, 1.15];
await viewer.click('left', 12);
await viewer.settle();
await compare('arrowhead 12', 'LINES', arrowheadSegments(A, B, C, 12));
await viewer.click('middle');
await viewer.click('left', 5);
await viewer.settle();
await compare('carpet 5', 'TRIANGLES',
  carpetQuads([A, B, [1, 1.15], [-1, 1.15]], 5).map(([a, b, c, d]) => [a, b, c, a, c, d]));
await viewer.close();
