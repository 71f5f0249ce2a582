// The module's JavaScript face, added to the factory's object:
//   const kvd = await createKvdWeb();
//   const {glb, info, exitCode, messages} = kvd.convert(kvdBytes, images, {name: 'house.kvd'});
// kvdBytes: the scene file's bytes; images: the files beside it, as an
// object or a Map from a path relative to the scene's folder ('wood.jpg',
// 'maps/bricks.jpg') to bytes. The files go into the module's in-memory
// file system, the kvd tool's conversion and summary run on them there, and
// everything is removed again before convert returns.

var kvdSceneFolder = '/scene';
var kvdOutputFolder = '/glb';
// Set once the module cannot be trusted any more (it stopped in the middle
// of a conversion); every later call says so.
var kvdBrokenBecause = null;

// The in-memory file system grows a file past 1 MiB by an eighth at a time,
// copying it each time; the conversion appends its geometry a megabyte at a
// time, which made the copies most of its work. Here a file lives in a
// resizable buffer that grows in place (pages are committed as they are
// written), or, where the browser has none, in one that doubles.
var kvdLargestFile = 4294967295;
var kvdResizableBuffers = (function () {
  try {
    return new ArrayBuffer(0, {maxByteLength: kvdLargestFile}).resizable === true;
  } catch (error) {
    return false;
  }
})();

MEMFS.expandFileStorage = function (node, newCapacity) {
  var contents = node.contents;
  var capacity = contents ? contents.length : 0;
  if (capacity >= newCapacity) return;
  newCapacity = Math.max(newCapacity, capacity * 2, 256);
  var buffer = contents && contents.buffer;
  if (buffer && buffer.resizable && contents.byteOffset === 0 && newCapacity <= buffer.maxByteLength) {
    // The view tracks the buffer's length.
    buffer.resize(newCapacity);
    return;
  }
  var grown = null;
  if (kvdResizableBuffers && newCapacity <= kvdLargestFile) {
    try {
      grown = new Uint8Array(new ArrayBuffer(newCapacity, {maxByteLength: kvdLargestFile}));
    } catch (error) {
      grown = null;   // no address space for the reservation: a plain buffer
    }
  }
  if (grown === null) grown = new Uint8Array(newCapacity);
  if (node.usedBytes > 0) grown.set(contents.subarray(0, node.usedBytes), 0);
  node.contents = grown;
};

function kvdBytesOf(data, what) {
  if (data instanceof Uint8Array) return data;
  if (data instanceof ArrayBuffer) return new Uint8Array(data);
  if (ArrayBuffer.isView(data)) return new Uint8Array(data.buffer, data.byteOffset, data.byteLength);
  throw new TypeError(what + ' must be bytes (Uint8Array or ArrayBuffer)');
}

// A name as a path inside the scene's folder: forward or backward slashes
// separate folders; '.', '..' and empty parts are dropped, so nothing lands
// outside the folder. Empty when nothing is left.
function kvdSafePath(name) {
  return String(name).split(/[\\/]+/).filter(function (part) {
    return part !== '' && part !== '.' && part !== '..';
  }).join('/');
}

function kvdRemoveTree(path) {
  var found = FS.analyzePath(path);
  if (!found.exists) return;
  if (!FS.isDir(found.object.mode)) {
    FS.unlink(path);
    return;
  }
  FS.readdir(path).forEach(function (entry) {
    if (entry !== '.' && entry !== '..') kvdRemoveTree(path + '/' + entry);
  });
  FS.rmdir(path);
}

function kvdWriteFile(path, bytes) {
  var slash = path.lastIndexOf('/');
  if (slash > 0) FS.mkdirTree(path.substring(0, slash));
  // The file system keeps the caller's bytes instead of a copy.
  FS.writeFile(path, bytes, {canOwn: true});
}

function kvdImageEntries(images) {
  if (!images) return [];
  if (images instanceof Map) return Array.from(images.entries());
  return Object.keys(images).map(function (key) { return [key, images[key]]; });
}

function kvdMemoryLimit() {
  return Module['maximumMemory'] || @KVD_WEB_MAXIMUM_MEMORY@;
}

// The answer when the module itself failed rather than the tool reporting:
// JavaScript ran out of memory for the in-memory files, or the WebAssembly
// code stopped.
function kvdModuleFailure(error) {
  var text = String((error && error.message) || error);
  var outOfMemory = error instanceof RangeError || /memory|allocation/i.test(text);
  return {
    glb: null,
    info: null,
    exitCode: outOfMemory ? 6 : 1,
    messages: [outOfMemory ? 'kvd: out of memory: the scene needs more than this page may use (' +
                             Math.round(kvdMemoryLimit() / 1048576) + ' MiB for the scene, ' + text + ')'
                           : 'kvd: the conversion stopped: ' + text],
    summary: '',
  };
}

Module['convert'] = function (kvdBytes, images, options) {
  if (kvdBrokenBecause !== null)
    throw new Error('the module stopped after an earlier failure (' + kvdBrokenBecause + '); create a new one');
  options = options || {};
  var name = kvdSafePath(options.name || 'scene.kvd').split('/').pop() || 'scene.kvd';
  var scene = kvdBytesOf(kvdBytes, 'the scene');
  var stem = name.replace(/\.[^.]*$/, '') || 'scene';
  var glbPath = kvdOutputFolder + '/' + stem + '.glb';

  kvdRemoveTree(kvdSceneFolder);
  kvdRemoveTree(kvdOutputFolder);
  FS.mkdir(kvdSceneFolder);
  FS.mkdir(kvdOutputFolder);
  kvdWriteFile(kvdSceneFolder + '/' + name, scene);
  // An image whose name clashes with the scene or with a folder of another
  // image's path is not used, and said so.
  var notUsed = [];
  kvdImageEntries(images).forEach(function (entry) {
    var path = kvdSafePath(entry[0]);
    var bytes = kvdBytesOf(entry[1], path || 'an image');
    try {
      if (path === '' || path === name) throw new Error('the name is taken');
      kvdWriteFile(kvdSceneFolder + '/' + path, bytes);
    } catch (error) {
      var why = error instanceof FS.ErrnoError ? 'a file or folder of the same name is in the way'
                                               : (error && error.message) || String(error);
      notUsed.push('kvd: ' + (path || '(no name)') + ': not used: ' + why);
    }
  });

  // Relative to the scene's folder, so the summary names files as the user
  // gave them ('maps/bricks.jpg').
  FS.chdir(kvdSceneFolder);
  var answer;
  try {
    answer = JSON.parse(ccall('kvd_web_convert', 'string', ['string', 'string'], [name, glbPath]));
  } catch (error) {
    kvdBrokenBecause = String((error && error.message) || error);
    return kvdModuleFailure(error);
  } finally {
    FS.chdir('/');
  }
  var glb = FS.analyzePath(glbPath).exists ? FS.readFile(glbPath) : null;
  kvdRemoveTree(kvdSceneFolder);
  kvdRemoveTree(kvdOutputFolder);

  var messages = notUsed.concat(answer.convert.errors);
  // kvd info reports the same import failure as the conversion; only its
  // own (memory) is added.
  if (answer.info.exitCode === 6) messages = messages.concat(answer.info.errors);
  if (answer.convert.exitCode === 6)
    messages.push('kvd: the module may use at most ' + Math.round(kvdMemoryLimit() / 1048576) + ' MiB of memory');
  return {
    glb: glb,
    info: answer.info.document,
    exitCode: answer.convert.exitCode,
    messages: messages,
    summary: answer.convert.output.join('\n'),
  };
};
