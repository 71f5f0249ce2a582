// The browser viewer against the native tool on the 4 M-triangle grid (the
// mesh of bench/run.py): the time from dropping the .kvd on the page in
// headless Chromium to its first picture (window.kvdViewer.ready), against
// the time of `kvd convert` of the same file to .glb. Runs alternate, so
// both meet the same machine load; medians after a warm-up run of each.
//
// node bench/web-viewer.cjs --kvd build/bin/kvd --grid-writer build/bin/bench_make_scene \
//     --web build-web [--data-dir /tmp/kvd-bench] [--runs 5] [--side 1415]
const {spawnSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {findChromium, launchChromium, dropPaths} = require('../tests/web/browser.cjs');
const {serveSite} = require('../tests/web/site-server.cjs');

function options() {
  const given = {dataDir: '/tmp/kvd-bench', runs: 5, side: 1415};
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) {
    const key = argv[i].replace(/^--/, '').replace(/-(\w)/g, (_, c) => c.toUpperCase());
    given[key] = ['runs', 'side'].includes(key) ? Number(argv[i + 1]) : argv[i + 1];
  }
  for (const needed of ['kvd', 'gridWriter', 'web']) {
    if (!given[needed]) {
      console.error('usage: web-viewer.cjs --kvd KVD --grid-writer BENCH_MAKE_SCENE --web BUILD_WEB ' +
                    '[--data-dir DIR] [--runs N] [--side N]');
      process.exit(2);
    }
  }
  return given;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

function nativeConvertMs(kvd, scene, out) {
  const start = process.hrtime.bigint();
  const result = spawnSync(kvd, ['convert', '--quiet', scene, out]);
  const ms = Number(process.hrtime.bigint() - start) / 1e6;
  if (result.status !== 0) throw new Error(`kvd convert failed: ${result.stderr}`);
  return ms;
}

// A fresh page, its module compiled, then the file dropped; the time to the
// first picture, and the page's own marks.
async function pageMs(page, origin, scene) {
  await page.goto(`${origin}/index.html?size=800x600`, {waitUntil: 'load'});
  await new Promise((resolve) => setTimeout(resolve, 1000));
  const start = process.hrtime.bigint();
  await dropPaths(page, 400, 300, [scene]);
  const outcome = await page.evaluate(() => window.kvdViewer.ready.then(() => '', (error) => error.message));
  const ms = Number(process.hrtime.bigint() - start) / 1e6;
  if (outcome) throw new Error(`the page did not show the scene: ${outcome}`);
  const marks = await page.evaluate(() => Object.fromEntries(
      performance.getEntriesByType('mark').map((mark) => [mark.name, mark.startTime])));
  return {ms, worker: marks['kvd:converted'] - marks['kvd:files'],
          parse: marks['kvd:parsed'] - marks['kvd:converted'], draw: marks['kvd:drawn'] - marks['kvd:parsed']};
}

(async () => {
  const given = options();
  const chromium = findChromium();
  if (!chromium) throw new Error('no Chromium installed (Debian package chromium)');
  fs.mkdirSync(given.dataDir, {recursive: true});
  const scene = path.resolve(given.dataDir, `web-grid${given.side}.kvd`);
  if (!fs.existsSync(scene)) spawnSync(given.gridWriter, ['--grid', String(given.side), '--kvd', scene]);
  const out = path.resolve(given.dataDir, `web-grid${given.side}.glb`);

  const {server, origin} = await serveSite(path.resolve(given.web, 'site'));
  const browser = await launchChromium(path.join(given.web, 'npm'), chromium);
  const page = await browser.newPage();
  const native = [], web = [];
  try {
    nativeConvertMs(given.kvd, scene, out);
    await pageMs(page, origin, scene);
    for (let run = 0; run < given.runs; ++run) {
      native.push(nativeConvertMs(given.kvd, scene, out));
      web.push(await pageMs(page, origin, scene));
    }
  } finally {
    await browser.close();
    server.close();
  }
  const triangles = 2 * (given.side - 1) * (given.side - 1);
  const nativeMedian = median(native), webMedian = median(web.map((r) => r.ms));
  console.log(`grid of ${given.side} x ${given.side} points, ${triangles} triangles, ` +
              `${(fs.statSync(scene).size / 1e6).toFixed(1)} MB; ${given.runs} runs each, alternating`);
  console.log(`kvd convert to .glb:          median ${nativeMedian.toFixed(0)} ms ` +
              `(${native.map((ms) => ms.toFixed(0)).join(', ')})`);
  console.log(`page, drop to first picture:  median ${webMedian.toFixed(0)} ms ` +
              `(${web.map((r) => r.ms.toFixed(0)).join(', ')})`);
  console.log(`  of which, medians: worker (read + convert + summary) ${median(web.map((r) => r.worker)).toFixed(0)} ms, ` +
              `three.js parse ${median(web.map((r) => r.parse)).toFixed(0)} ms, ` +
              `first picture ${median(web.map((r) => r.draw)).toFixed(0)} ms`);
  const ratio = webMedian / nativeMedian;
  console.log(`page / kvd convert: ${ratio.toFixed(2)} (target at most 4): ${ratio <= 4 ? 'met' : 'not met'}`);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
