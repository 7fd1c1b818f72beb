// How long the page's main thread is blocked, in Chromium with software WebGL: the long tasks
// (PerformanceObserver 'longtask', every task over 50 ms) of the start-up, of a click from depth 11
// to 12, and of a 10-notch wheel gesture over the picture at depth 12, with the program in its
// worker and, for comparison, on the page's thread. Medians of the sums over RUNS fresh pages.
//   PAGE_DIR=build/web node bench/web/long-tasks.mjs [RUNS]
import { openViewer } from '../../tools/browser/browser.mjs';
import { median } from './floor.mjs';

const RUNS = Number(process.argv[2] ?? 5);
// Every long task from the start, kept in self.longTasks (milliseconds each); with onThePage, in a
// browser that cannot hand a canvas to a worker. (Run in the page, so with no outer names.)
const watchLongTasks = (onThePage) => {
  if (onThePage) delete HTMLCanvasElement.prototype.transferControlToOffscreen;
  self.longTasks = [];
  new PerformanceObserver((list) => self.longTasks.push(...list.getEntries().map((task) => task.duration)))
    .observe({ type: 'longtask', buffered: true });
};

for (const [way, onThePage] of [['in a worker', false], ['on the page', true]]) {
  const initScript = { content: `(${watchLongTasks})(${onThePage})` };
  const sums = { 'start-up': [], 'click from 11 to 12': [], 'wheel gesture at 12': [] };
  for (let run = 0; run < RUNS; ++run) {
    const viewer = await openViewer(process.env.PAGE_DIR, { initScript, context: { viewport: { width: 800, height: 500 } } });
    // The long tasks that an action leaves, once the page has drawn all it will.
    const blocked = async (action) => {
      await viewer.settle();
      const before = await viewer.run(() => self.longTasks.length);
      await action();
      await viewer.settle();
      return viewer.run((from) => self.longTasks.slice(from).reduce((sum, task) => sum + task, 0), before);
    };
    await viewer.settle();
    sums['start-up'].push(await viewer.run(() => self.longTasks.reduce((sum, task) => sum + task, 0)));
    await viewer.click('left', 11);
    sums['click from 11 to 12'].push(await blocked(() => viewer.click('left')));
    const box = await viewer.canvas.boundingBox();
    sums['wheel gesture at 12'].push(await blocked(async () => {
      await viewer.page.mouse.move(box.x + box.width / 2, box.y + 100);
      for (let notch = 0; notch < 10; ++notch) await viewer.page.mouse.wheel(0, 100);
    }));
    await viewer.close();
  }
  console.log(`program ${way} (main-thread long tasks, medians of ${RUNS} fresh pages):`);
  for (const [what, values] of Object.entries(sums)) {
    console.log(`  ${what}: ${median(values).toFixed(0)} ms (${values.map((v) => v.toFixed(0)).join(', ')})`);
  }
}
