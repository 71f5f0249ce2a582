// Under Node.js the module's .wasm is read from beside kvd-web.js: this
// toolchain's loader would fetch() it, and Node's fetch takes no file path.
if (typeof process == 'object' && process.versions && process.versions.node && typeof __dirname == 'string' &&
    !Module['wasmBinary']) {
  var kvdWasmPath = require('path').join(__dirname, 'kvd-web.wasm');
  if (Module['locateFile']) kvdWasmPath = Module['locateFile']('kvd-web.wasm', __dirname + '/');
  Module['wasmBinary'] = require('fs').readFileSync(kvdWasmPath);
}
