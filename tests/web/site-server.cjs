// A static file server on 127.0.0.1 for the page tests: the site folder at
// /, and extra files the test hands it at their own paths (reference
// pictures). GET only; nothing outside the folders is served.
const fs = require('fs');
const http = require('http');
const path = require('path');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.json': 'application/json',
};

function serveSite(siteDir, extraFiles = {}) {
  const root = path.resolve(siteDir);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let file = extraFiles[url.pathname];
    if (!file) {
      file = path.resolve(root, '.' + decodeURIComponent(url.pathname));
      if (url.pathname.endsWith('/')) file = path.join(file, 'index.html');
      if (file !== root && !file.startsWith(root + path.sep)) file = null;
    }
    if (request.method !== 'GET' || !file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({server, origin: `http://127.0.0.1:${server.address().port}`});
  }));
}

module.exports = {serveSite};
