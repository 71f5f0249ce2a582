// Debian's Chromium, headless, driven through puppeteer-core: WebGL through
// SwiftShader on the CPU, a fresh profile, nothing fetched from outside.
const fs = require('fs');
const os = require('os');
const path = require('path');

const kChromiumFlags = [
  '--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
];

function findChromium() {
  for (const candidate of [process.env.KVD_CHROMIUM, '/usr/bin/chromium', '/usr/bin/chromium-browser']) {
    if (candidate && fs.existsSync(candidate)) return candidate;
  }
  return null;
}

// puppeteer-core from the web build's npm install (web/package-lock.json).
async function launchChromium(npmDir, executablePath) {
  const puppeteer = require(path.resolve(npmDir, 'node_modules', 'puppeteer-core'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kvd-chromium-'));
  const browser = await puppeteer.launch({
    executablePath, headless: true, userDataDir: profile, args: kChromiumFlags, protocolTimeout: 300000,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    // The browser's last writes may still be landing as it goes.
    fs.rmSync(profile, {recursive: true, force: true, maxRetries: 10, retryDelay: 100});
  };
  return browser;
}

// Drops files or folders on the page's point (x, y) as a person would from a
// file manager: the page walks dropped folders itself.
async function dropPaths(page, x, y, paths) {
  const client = await page.createCDPSession();
  const data = {items: [], files: paths, dragOperationsMask: 1};
  for (const type of ['dragEnter', 'dragOver', 'drop']) await client.send('Input.dispatchDragEvent', {type, x, y, data});
  await client.detach();
}

module.exports = {findChromium, launchChromium, dropPaths};
