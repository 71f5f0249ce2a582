// Runs the kvd module away from the page, so the page stays responsive
// while a large scene is read. One request at a time:
//   in:  {id, name, scene: File, images: [{path, file: File}]}
//   out: {id, glb, info, exitCode, messages, summary} or {id, error}
// The glb's bytes are transferred, not copied.
importScripts('kvd-web.js');

let modulePromise = null;

function kvdModule() {
  if (modulePromise === null) modulePromise = createKvdWeb();
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
