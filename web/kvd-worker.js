// Runs the kvd module away from the page, so the page stays responsive
// while a large scene is read. One request at a time:
//   in:  {id, name, scene: File, images: [{path, file: File}]}
//   out: {id, glb, info, exitCode, messages, summary} or {id, error}
// The glb's bytes are transferred, not copied.
importScripts('kvd-web.js');

let modulePromise = null;

// kvd-worker.js?memory=MiB: a smaller memory than the module's own limit
// (the page passes its ?memory= on, for tests of running out of it).
function moduleSettings() {
  const mib = Number(new URLSearchParams(self.location.search).get('memory'));
  if (!Number.isInteger(mib) || mib < 16 || mib > 4096) return {};
  const pages = mib * 16;   // of 64 KiB
  return {wasmMemory: new WebAssembly.Memory({initial: 256, maximum: pages}), maximumMemory: mib * 1048576};
}

function kvdModule() {
  if (modulePromise === null) modulePromise = createKvdWeb(moduleSettings());
  return modulePromise;
}

// Compiled while the page waits for its first file, so a drop does not wait for it.
kvdModule();

async function bytesOf(file) {
  return new Uint8Array(await file.arrayBuffer());
}

self.onmessage = async (event) => {
  const {id, name, scene, images} = event.data;
  try {
    const kvd = await kvdModule();
    const imageBytes = new Map();
    for (const image of images) imageBytes.set(image.path, await bytesOf(image.file));
    const result = kvd.convert(await bytesOf(scene), imageBytes, {name});
    // Memory ran out: the next scene gets a fresh module and all its memory.
    if (result.exitCode === 6) modulePromise = null;
    self.postMessage({id, ...result}, result.glb ? [result.glb.buffer] : []);
  } catch (error) {
    modulePromise = null;
    self.postMessage({id, error: String((error && error.message) || error)});
  }
};
