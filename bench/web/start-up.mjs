// The web page as a first visitor meets it, in Lighthouse 12.2.3 with Debian's Chromium (software
// WebGL), every run in a browser process of its own with a new profile, on the mobile and desktop
// presets: the performance score, total blocking time and time to interactive, against a floor
// page (raw WebGL1 on a 500 x 500 canvas drawing the depth-0 strip with the layer's shader, under
// a heading and a line of text), and the page's accessibility, best practices and SEO scores.
// Page and floor alternate; medians.
//   PAGE_DIR=build/web node bench/web/start-up.mjs [RUNS]
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import { launch } from 'chrome-launcher';
import { createServer } from 'node:http';
import { BROWSER_ARGS, programFacts } from '../../tools/browser/browser.mjs';
import { serve } from '../../web/serve.mjs';
import { rawWebGl, median } from './floor.mjs';

const RUNS = Number(process.argv[2] ?? 5);
const { WINDOW_WIDTH, WINDOW_HEIGHT } = await programFacts(process.env.PAGE_DIR);

const FLOOR = `<!doctype html>
<html lang="en"><head><meta charset="utf-8"><meta name="viewport" content="width=device-width, initial-scale=1">
<title>Floor</title></head><body>
<h1>Floor</h1><p>Raw WebGL1 drawing the depth-0 strip.</p>
<canvas width="${WINDOW_WIDTH}" height="${WINDOW_HEIGHT}" style="display: block; max-width: 100%"></canvas>
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
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];

// One Lighthouse run in a browser of its own, started for it with a new profile and ended after.
async function firstVisit(url, config) {
  const chrome = await launch({ chromePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                chromeFlags: ['--headless=new', ...BROWSER_ARGS] });
  try {
    const { lhr } = await lighthouse(url, { port: chrome.port, output: 'json', logLevel: 'error', onlyCategories: CATEGORIES }, config);
    if (lhr.runtimeError) throw new Error(`${url}: ${lhr.runtimeError.message}`);
    return lhr;
  } finally {
    await chrome.kill();
  }
}

try {
  for (const [preset, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
    const results = { page: [], floor: [] };
    for (let run = 0; run < RUNS; ++run) {
      for (const which of run % 2 ? ['floor', 'page'] : ['page', 'floor']) results[which].push(await firstVisit(urls[which], config));
    }
    const score = (which, category) => median(results[which].map((lhr) => Math.round(lhr.categories[category].score * 100)));
    const audit = (which, id) => median(results[which].map((lhr) => lhr.audits[id].numericValue));
    console.log(`${preset}, a new browser for each run (medians of ${RUNS} runs each)`);
    console.log(`  performance score: page ${score('page', 'performance')}, floor ${score('floor', 'performance')}`);
    for (const [name, id] of [['total blocking time', 'total-blocking-time'], ['time to interactive', 'interactive'],
      ['largest contentful paint', 'largest-contentful-paint']]) {
      console.log(`  ${name}: page ${audit('page', id).toFixed(0)} ms, floor ${audit('floor', id).toFixed(0)} ms`);
    }
    console.log(`  page scores: ${CATEGORIES.map((c) => `${c} ${score('page', c)}`).join(', ')}`);
    const last = results.page.at(-1);
    for (const category of ['accessibility', 'best-practices', 'seo']) {
      for (const ref of last.categories[category].auditRefs) {
        const result = last.audits[ref.id];
        if (ref.weight > 0 && result.score !== null && result.score < 1) console.log(`  ${category}: ${ref.id} scores ${result.score}`);
      }
    }
  }
} finally {
  viewer.close();
  floor.close();
}
