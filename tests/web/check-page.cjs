// The viewer page in headless Chromium, served on 127.0.0.1 as any static
// host would serve it. For each way a person gives it a scene: the summary
// must be `kvd info --json`'s document, the picture must cover the pixels
// `kvd render` covers, and damaged and foreign files must say so. The page
// must fetch nothing but its own files. Takes the README's screenshot.
//
// usage: node check-page.cjs SITE NPM_DIR KVD SAMPLES WORK [--screenshot PNG] [--grid-writer BENCH_MAKE_SCENE]
// Exits 77 (skipped) when no Chromium is installed.
const assert = require('assert');
const {spawnSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {findChromium, launchChromium, dropPaths} = require('./browser.cjs');
const {serveSite} = require('./site-server.cjs');

const args = process.argv.slice(2);
const screenshotAt = args.indexOf('--screenshot');
const screenshot = screenshotAt >= 0 ? path.resolve(args.splice(screenshotAt, 2)[1]) : null;
const gridWriterAt = args.indexOf('--grid-writer');
const gridWriter = gridWriterAt >= 0 ? path.resolve(args.splice(gridWriterAt, 2)[1]) : null;
const [site, npmDir, kvd, samples, work] = args.map((argument) => path.resolve(argument));
if (!work) {
  console.error('usage: node check-page.cjs SITE NPM_DIR KVD SAMPLES WORK [--screenshot PNG] ' +
                '[--grid-writer BENCH_MAKE_SCENE]');
  process.exit(2);
}
if (!fs.existsSync(path.join(site, 'kvd-web.js'))) {
  console.log(`skipped: no viewer in ${site} (build it with cmake --preset web && cmake --build --preset web)`);
  process.exit(77);
}
const chromium = findChromium();
if (!chromium) {
  console.log('skipped: no Chromium (Debian package chromium) installed');
  process.exit(77);
}

const kWidth = 1200, kHeight = 400;
// A pixel whose channels all lie this close to kvd render's background is
// background in both pictures.
const kBackground = [58, 64, 74];
const kBackgroundTolerance = 12;
// Edges are drawn by two different rasterisers: this share of the pixels
// either picture covers may differ.
const kMaskMismatch = 0.01;

function run(program, argv, cwd) {
  const result = spawnSync(program, argv, {cwd, encoding: 'utf8', maxBuffer: 1 << 26});
  if (result.error) throw result.error;
  return result;
}

// --- the inputs, and what the tool makes of them ----------------------------
fs.rmSync(work, {recursive: true, force: true});
const folder = path.join(work, 'samples');      // dropped whole
const flat = path.join(work, 'picked');         // picked file by file: names only
const damaged = path.join(work, 'damaged');
const foreign = path.join(work, 'foreign');
fs.cpSync(samples, folder, {recursive: true});
const houseImages = ['wood.jpg', 'wood_bump.bmp', 'maps/bricks.jpg', 'roof tiles.jpg'];
for (const target of [flat, damaged]) {
  fs.mkdirSync(target, {recursive: true});
  for (const image of houseImages) fs.copyFileSync(path.join(samples, image), path.join(target, path.basename(image)));
}
fs.copyFileSync(path.join(samples, 'house.kvd'), path.join(flat, 'house.kvd'));
fs.mkdirSync(path.join(flat, 'alone'));
fs.copyFileSync(path.join(samples, 'house.kvd'), path.join(flat, 'alone', 'house.kvd'));
const house = fs.readFileSync(path.join(samples, 'house.kvd'));
fs.writeFileSync(path.join(damaged, 'house.kvd'), house.subarray(0, Math.floor(house.length * 0.7)));
fs.mkdirSync(foreign);
fs.writeFileSync(path.join(foreign, 'notes.kvd'), 'These are notes, not a scene.\n');

const references = path.join(work, 'references');
fs.mkdirSync(references);
function nativeInfo(directory, name) {
  return JSON.parse(run(kvd, ['info', '--json', name], directory).stdout);
}
function nativePicture(directory, name, picture, camera = 0) {
  const result = run(kvd, ['render', name, path.join(references, picture), '--size', `${kWidth}x${kHeight}`,
                           '--camera', String(camera), '--quiet'], directory);
  assert.ok(fs.existsSync(path.join(references, picture)), `kvd render ${name}: ${result.stderr}`);
  return '/references/' + picture;
}

function escapeRegExp(text) {
  return text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}

function nativeGlb(directory, name, glb) {
  run(kvd, ['convert', '--quiet', name, path.join(references, glb)], directory);
  return fs.readFileSync(path.join(references, glb));
}

const pickedHouse = ['house.kvd', ...houseImages.map((image) => path.basename(image))];
const cases = [
  {
    name: 'a folder dropped on the page',
    give: {drop: [folder]},
    ready: true,
    info: nativeInfo(folder, 'house.kvd'),
    picture: nativePicture(folder, 'house.kvd', 'house.png'),
    scenes: ['samples/house.kvd', 'samples/triangle.kvd'],
    cameras: 2,
    status: /^$/,
    download: nativeGlb(folder, 'house.kvd', 'house.glb'),
    screenshot: true,
    orbit: true,
    thenCamera: {index: 1, picture: nativePicture(folder, 'house.kvd', 'house-camera-1.png', 1)},
  },
  {
    name: 'the scene and its images picked one by one',
    give: {pick: pickedHouse.map((name) => path.join(flat, name))},
    ready: true,
    info: nativeInfo(flat, 'house.kvd'),
    picture: nativePicture(flat, 'house.kvd', 'house-picked.png'),
    cameras: 2,
    status: /^$/,
  },
  {
    name: 'the scene without its images',
    give: {pick: [path.join(flat, 'house.kvd')]},
    ready: true,
    info: nativeInfo(path.join(flat, 'alone'), 'house.kvd'),
    status: /^4 texture image\(s\) missing or unreadable: see the summary\.$/,
    panel: [/texture wood\.jpg \(missing: drop it with the scene\)/, /texture maps\\bricks\.jpg \(missing/],
    download: nativeGlb(path.join(flat, 'alone'), 'house.kvd', 'house-alone.glb'),
  },
  {
    name: 'a damaged file',
    give: {pick: pickedHouse.map((name) => path.join(damaged, name))},
    ready: true,
    info: nativeInfo(damaged, 'house.kvd'),
    picture: nativePicture(damaged, 'house.kvd', 'house-damaged.png'),
    status: /house\.kvd is damaged: 文件已破坏 \(the file is damaged\)\. What was read before the damage is shown\./,
  },
  {
    name: 'a file that is not a kvd scene',
    give: {pick: [path.join(foreign, 'notes.kvd')]},
    ready: false,
    info: nativeInfo(foreign, 'notes.kvd'),
    status: new RegExp('^notes\\.kvd is not a kvd scene file, or its header is damaged: ' +
                       escapeRegExp(nativeInfo(foreign, 'notes.kvd').header.reason) + '$'),
    downloadable: false,
  },
  {
    name: 'no scene among the files',
    give: {pick: [path.join(flat, 'wood.jpg')]},
    ready: false,
    status: /No \.kvd file among the files given/,
    downloadable: false,
  },
];

// In the page: the share of the pixels covered by either picture that only
// one of them covers, and how many each covers.
async function compareWithPicture(page, url) {
  return page.evaluate(async ({url, background, tolerance}) => {
    const canvas = document.getElementById('canvas');
    const {width, height} = canvas;
    const reference = await createImageBitmap(await (await fetch(url)).blob());
    if (reference.width !== width || reference.height !== height)
      return {error: `the canvas is ${width}x${height}, the picture ${reference.width}x${reference.height}`};
    const pixelsOf = (source) => {
      const scratch = new OffscreenCanvas(width, height).getContext('2d');
      scratch.drawImage(source, 0, 0);
      return scratch.getImageData(0, 0, width, height).data;
    };
    const shown = pixelsOf(canvas), expected = pixelsOf(reference);
    const covered = (pixels, i) => [0, 1, 2].some((c) => Math.abs(pixels[i + c] - background[c]) > tolerance);
    let either = 0, onlyOne = 0, inShown = 0, inExpected = 0;
    for (let i = 0; i < shown.length; i += 4) {
      const a = covered(shown, i), b = covered(expected, i);
      inShown += a;
      inExpected += b;
      either += a || b;
      onlyOne += a !== b;
    }
    return {mismatch: either ? onlyOne / either : 0, inShown, inExpected, pixels: width * height};
  }, {url, background: kBackground, tolerance: kBackgroundTolerance});
}

// Clicks Download .glb and returns the file the browser saved.
async function download(page, folder) {
  fs.mkdirSync(folder, {recursive: true});
  const client = await page.createCDPSession();
  await client.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: folder});
  await page.click('#download');
  for (let waited = 0; waited < 20000; waited += 100) {
    const done = fs.readdirSync(folder).filter((name) => name.endsWith('.glb'));
    if (done.length === 1) {
      await client.detach();
      return fs.readFileSync(path.join(folder, done[0]));
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  await client.detach();
  throw new Error('no .glb was saved');
}

function assertPictureMatches(comparison, what) {
  assert.ok(!comparison.error, comparison.error);
  console.log(`${what}: ${(comparison.mismatch * 100).toFixed(2)}% of the covered pixels differ`);
  assert.ok(comparison.inExpected > comparison.pixels * 0.05, 'kvd render shows almost nothing: a poor reference');
  assert.ok(comparison.mismatch <= kMaskMismatch,
            `${(comparison.mismatch * 100).toFixed(2)}% of the covered pixels differ ` +
            `(page ${comparison.inShown}, kvd render ${comparison.inExpected})`);
}

let passed = 0, failed = 0;
async function check(what, body) {
  try {
    await body();
    passed++;
  } catch (error) {
    failed++;
    console.log(`FAIL ${what}: ${error.message}`);
  }
}

(async () => {
  const extra = Object.fromEntries(fs.readdirSync(references).map((name) => ['/references/' + name,
                                                                             path.join(references, name)]));
  const {server, origin} = await serveSite(site, extra);
  const browser = await launchChromium(npmDir, chromium);
  try {
    const page = await browser.newPage();
    const foreignRequests = [];
    const pageErrors = [];
    page.on('request', (request) => {
      if (!/^(data|blob):/.test(request.url()) && !request.url().startsWith(origin + '/'))
        foreignRequests.push(request.url());
    });
    page.on('pageerror', (error) => pageErrors.push(error.message));
    await page.setViewport({width: 1280, height: 720});
    await page.goto(`${origin}/index.html?size=${kWidth}x${kHeight}`, {waitUntil: 'load'});

    for (const c of cases) {
      if (c.give.drop) {
        await dropPaths(page, kWidth / 2, kHeight / 2 + 60, c.give.drop);
      } else {
        const input = await page.$('#pick-files');
        await input.uploadFile(...c.give.pick);
      }
      const outcome = await page.evaluate(() => window.kvdViewer.ready.then(() => ({shown: true}),
                                                                         (error) => ({shown: false, why: error.message})));
      await check(`${c.name}: ${c.ready ? 'shown' : 'nothing shown'}`,
                  () => assert.strictEqual(outcome.shown, c.ready, outcome.why));
      const status = await page.$eval('#status', (node) => (node.hidden ? '' : node.textContent));
      await check(`${c.name}: the message`, () => assert.match(status, c.status));
      if (c.info) {
        await check(`${c.name}: the summary is kvd info's`,
                    async () => assert.deepStrictEqual(await page.evaluate(() => window.kvdViewer.info), c.info));
      }
      if (c.picture) {
        await check(`${c.name}: the picture covers what kvd render's covers`,
                    async () => assertPictureMatches(await compareWithPicture(page, c.picture), c.name));
      }
      if (c.scenes) {
        await check(`${c.name}: the scenes offered`, async () => assert.deepStrictEqual(
            await page.$$eval('#scene-choice option', (options) => options.map((o) => o.textContent)), c.scenes));
      }
      if (c.cameras) {
        await check(`${c.name}: the cameras offered`, async () => assert.strictEqual(
            await page.$$eval('#camera-choice option', (options) => options.length), c.cameras));
      }
      if (c.panel) {
        const panel = await page.$eval('#summary', (node) => node.innerText);
        for (const line of c.panel) await check(`${c.name}: the panel says ${line}`, () => assert.match(panel, line));
      }
      if (c.download) {
        await check(`${c.name}: the downloaded .glb is kvd convert's`, async () => {
          const bytes = await download(page, path.join(work, 'downloads', c.name.replace(/\W+/g, '-')));
          assert.ok(bytes.equals(c.download), `${bytes.length} bytes against kvd convert's ${c.download.length}`);
        });
      }
      const downloadable = await page.$eval('#download', (button) => !button.disabled);
      await check(`${c.name}: Download .glb`, () => assert.strictEqual(downloadable, c.downloadable !== false));
      if (c.screenshot && screenshot) {
        // The view exactly the canvas, the panel beside it.
        const size = await page.evaluate(() => ({
          width: Math.ceil(document.getElementById('view').getBoundingClientRect().width +
                           document.getElementById('summary').getBoundingClientRect().width),
          height: Math.ceil(document.querySelector('header').getBoundingClientRect().height +
                            document.getElementById('view').getBoundingClientRect().height),
        }));
        await page.setViewport(size);
        fs.mkdirSync(path.dirname(screenshot), {recursive: true});
        await page.screenshot({path: screenshot});
        await page.setViewport({width: 1280, height: 720});
      }
      if (c.orbit) {
        // Dragging turns the view; choosing the camera again brings it back.
        const before = await compareWithPicture(page, c.picture);
        await page.mouse.move(kWidth / 2, kHeight / 2 + 60);
        await page.mouse.down();
        await page.mouse.move(kWidth / 2 + 200, kHeight / 2 + 20, {steps: 10});
        await page.mouse.up();
        const turned = await compareWithPicture(page, c.picture);
        await check(`${c.name}: dragging turns the view`,
                    () => assert.ok(turned.mismatch > before.mismatch + 0.05, JSON.stringify(turned)));
        await page.select('#camera-choice', '1');
        await page.select('#camera-choice', '0');
        await check(`${c.name}: the default camera again`,
                    async () => assertPictureMatches(await compareWithPicture(page, c.picture), `${c.name}, again`));
      }
      if (c.thenCamera) {
        await page.select('#camera-choice', String(c.thenCamera.index));
        await check(`${c.name}: camera ${c.thenCamera.index} as kvd render --camera ${c.thenCamera.index}`,
                    async () => assertPictureMatches(await compareWithPicture(page, c.thenCamera.picture),
                                                     `${c.name}, camera ${c.thenCamera.index}`));
      }
    }
    if (gridWriter) {
      // A page whose module may use 32 MiB, and a million-point grid: the
      // page says that it reads, then that memory ran out, and the next
      // scene shows.
      const grid = path.join(work, 'grid.kvd');
      run(gridWriter, ['--grid', '1000', '--kvd', grid]);
      await page.goto(`${origin}/index.html?size=${kWidth}x${kHeight}&memory=32`, {waitUntil: 'load'});
      // Every message the page shows from the drop on.
      await page.evaluate(() => {
        window.statusSeen = [];
        const status = document.getElementById('status');
        new MutationObserver(() => window.statusSeen.push(status.textContent))
            .observe(status, {childList: true, characterData: true, subtree: true});
      });
      await dropPaths(page, kWidth / 2, kHeight / 2 + 60, [grid]);
      const outcome = await page.evaluate(() => window.kvdViewer.ready.then(() => 'shown', (error) => error.message));
      const seen = await page.evaluate(() => window.statusSeen);
      await check('the page says it is reading while the worker reads',
                  () => assert.strictEqual(seen[0], 'Reading grid.kvd…', JSON.stringify(seen)));
      await check('out of memory: the page says so', () => assert.match(outcome,
          /^grid\.kvd: the scene does not fit in the memory this page may use\. out of memory while reading grid\.kvd .* the module may use at most 32 MiB of memory$/));
      await dropPaths(page, kWidth / 2, kHeight / 2 + 60, [folder]);
      await check('out of memory: the next scene is shown', async () => assert.strictEqual(
          await page.evaluate(() => window.kvdViewer.ready.then(() => 'shown', (error) => error.message)), 'shown'));
    } else {
      console.log('note: no grid writer given; the out-of-memory case was not run');
    }
    await check('the page fetched nothing from elsewhere',
                () => assert.deepStrictEqual(foreignRequests, []));
    await check('no script error on the page', () => assert.deepStrictEqual(pageErrors, []));
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
