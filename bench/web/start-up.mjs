// Start-up of the web page in Lighthouse 12.2.3 with Debian's Chromium (software WebGL), on its
// mobile and desktop presets: total blocking time and largest contentful paint, against a floor
// page measured in the same run with the same browser and flags (raw WebGL1 on a 500 x 500 canvas
// drawing the depth-0 strip with the layer's shader, under a heading and a line of text for the paint to find), and the
// page's accessibility, best practices and SEO scores. Page and floor alternate; medians.
//   PAGE_DIR=build/web node bench/web/start-up.mjs [RUNS]
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import { launch } from 'chrome-launcher';
import { createServer } from 'node:http';
import { BROWSER_ARGS } from '../../web/tests/browser.mjs';
import { serve } from '../../web/serve.mjs';
import { rawWebGl, median } from './floor.mjs';

const RUNS = Number(process.argv[2] ?? 5);

const FLOOR = `<!doctype html>
<html lang="en"><head><meta charset="utf-8"><meta name="viewport" content="width=device-width, initial-scale=1">
<title>Floor</title></head><body>
<h1>Floor</h1><p>Raw WebGL1 drawing the depth-0 strip.</p>
<canvas width="500" height="500" style="display: block; max-width: 100%"></canvas>
<script>
  const gl = (${rawWebGl})(document.querySelector('canvas'), { alpha: false, depth: false, antialias: false });
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -0.58, -0.5, 0.285, 0.5, 0.285, 1, -0.58]), gl.STATIC_DRAW);
  gl.clear(gl.COLOR_BUFFER_BIT);
  gl.drawArrays(gl.LINE_STRIP, 0, 4);
</script></body></html>`;

const viewer = await serve(process.env.PAGE_DIR);
const floor = createServer((request, response) => {
  response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' }).end(FLOOR);
});
await new Promise((done) => floor.listen(0, '127.0.0.1', done));
const urls = {
  page: `http://127.0.0.1:${viewer.address().port}/`,
  floor: `http://127.0.0.1:${floor.address().port}/`,
};

const chrome = await launch({
  chromePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  chromeFlags: ['--headless=new', ...BROWSER_ARGS],
});
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];

try {
  for (const [preset, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
    const results = { page: [], floor: [] };
    for (let run = 0; run < RUNS; ++run) {
      for (const which of run % 2 ? ['floor', 'page'] : ['page', 'floor']) {
        const { lhr } = await lighthouse(urls[which], { port: chrome.port, output: 'json', logLevel: 'error',
          onlyCategories: CATEGORIES }, config);
        if (lhr.runtimeError) throw new Error(`${which}: ${lhr.runtimeError.message}`);
        results[which].push(lhr);
      }
    }
    const audit = (which, id) => median(results[which].map((lhr) => lhr.audits[id].numericValue));
    const scores = (which) => CATEGORIES.map((c) => `${c} ${median(results[which].map((lhr) => Math.round(lhr.categories[c].score * 100)))}`).join(', ');
    console.log(`${preset} (medians of ${RUNS} runs each)`);
    for (const [name, id] of [['total blocking time', 'total-blocking-time'], ['largest contentful paint', 'largest-contentful-paint']]) {
      const [p, f] = [audit('page', id), audit('floor', id)];
      console.log(`  ${name}: page ${p.toFixed(0)} ms, floor ${f.toFixed(0)} ms, page/floor ${(p / f).toFixed(2)}`);
    }
    console.log(`  page scores: ${scores('page')}`);
    console.log(`  floor scores: ${scores('floor')}`);
    const failing = results.page.at(-1);
    for (const category of ['accessibility', 'best-practices', 'seo']) {
      for (const ref of failing.categories[category].auditRefs) {
        const result = failing.audits[ref.id];
        if (ref.weight > 0 && result.score !== null && result.score < 1) console.log(`  ${category}: ${ref.id} scores ${result.score}`);
      }
    }
  }
} finally {
  await chrome.kill();
  viewer.close();
  floor.close();
}
