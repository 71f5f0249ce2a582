// The browser module against the kvd tool, under Node.js: for every test
// scene, whole and cut short, convert() must give byte for byte the .glb of
// `kvd convert`, the same exit code and messages, and the document of
// `kvd info --json`. The module gets the scene and every image of its folder
// by name, as the page hands them over. Also: running out of the module's
// memory is reported, and the module converts the next scene.
//
// usage: node check-convert.cjs SITE KVD SCENE_WRITER SAMPLES WORK [GRID_WRITER]
const assert = require('assert');
const {spawnSync} = require('child_process');
const fs = require('fs');
const path = require('path');

const [site, kvd, sceneWriter, samples, work, gridWriter] =
    process.argv.slice(2).map((argument) => path.resolve(argument));
if (!work) {
  console.error('usage: node check-convert.cjs SITE KVD SCENE_WRITER SAMPLES WORK [GRID_WRITER]');
  process.exit(2);
}
if (!fs.existsSync(path.join(site, 'kvd-web.js'))) {
  console.log(`skipped: no viewer in ${site} (build it with cmake --preset web && cmake --build --preset web)`);
  process.exit(77);
}
const createKvdWeb = require(path.resolve(site, 'kvd-web.js'));

function run(program, args, options = {}) {
  const result = spawnSync(program, args, {encoding: 'utf8', maxBuffer: 1 << 28, ...options});
  if (result.error) throw result.error;
  return result;
}

function filesUnder(folder, prefix = '') {
  return fs.readdirSync(folder, {withFileTypes: true}).flatMap((entry) => {
    const relative = prefix + entry.name;
    return entry.isDirectory() ? filesUnder(path.join(folder, entry.name), relative + '/') : [relative];
  });
}

// The tool's error lines, without the output path they may name.
function errorLines(text) {
  return text.split('\n').filter((line) => line !== '');
}

// The stored name in "texture ..., left out: NAME (why)".
function leftOutName(line) {
  return line.replace(/^.*, left out: /, '').replace(/ \(.*$/, '');
}

function nativeConversion(folder, name, out) {
  const result = run(kvd, ['convert', '--quiet', name, out], {cwd: folder});
  return {exitCode: result.status, errors: errorLines(result.stderr),
          glb: fs.existsSync(out) ? fs.readFileSync(out) : null};
}

function nativeInfo(folder, name) {
  const result = run(kvd, ['info', '--json', name], {cwd: folder});
  return JSON.parse(result.stdout);
}

// --- the scenes: the samples and the conversion tests' scenes, each also cut
// at half its length (a damaged body, or a damaged header for the smallest).
const scenes = path.join(work, 'scenes');
fs.rmSync(work, {recursive: true, force: true});
fs.mkdirSync(scenes, {recursive: true});
fs.cpSync(samples, scenes, {recursive: true});
run(sceneWriter, [scenes, samples]);
const whole = fs.readdirSync(scenes).filter((name) => /\.kvd$/i.test(name)).sort();
for (const name of whole) {
  const bytes = fs.readFileSync(path.join(scenes, name));
  fs.writeFileSync(path.join(scenes, 'cut-' + name), bytes.subarray(0, bytes.length >> 1));
}
const sceneNames = fs.readdirSync(scenes).filter((name) => /\.kvd$/i.test(name)).sort();
const imageNames = filesUnder(scenes).filter((name) => !/\.kvd$/i.test(name));
const images = Object.fromEntries(imageNames.map((name) => [name, fs.readFileSync(path.join(scenes, name))]));

// The module decodes no TIFF; the tool's reference for a scene whose TIFF it
// reports unreadable is made without the TIFF images, which leaves them out
// of the .glb just the same.
const withoutTiff = path.join(work, 'scenes-without-tiff');
fs.cpSync(scenes, withoutTiff, {recursive: true});
for (const name of imageNames.filter((name) => /\.tiff?$/i.test(name))) fs.rmSync(path.join(withoutTiff, name));
const kTiffRefusal = /texture cannot be read, left out: .*the browser viewer has no TIFF decoder/;

// Where the summary checks each image, the module's says that a TIFF cannot
// be read here; the rest of the document must be the tool's.
function withTiffAsTool(info) {
  if (!info || !info.materials) return info;
  const copy = structuredClone(info);
  for (const material of copy.materials) {
    for (const image of [material.textureImage, material.bumpTextureImage]) {
      if (image && /no TIFF decoder/.test(image.unreadable || '')) {
        image.readable = true;
        delete image.unreadable;
      }
    }
  }
  return copy;
}

let passed = 0, failed = 0;
function check(what, body) {
  try {
    body();
    passed++;
  } catch (error) {
    failed++;
    console.log(`FAIL ${what}: ${error.message.split('\n').slice(0, 12).join('\n')}`);
  }
}

(async () => {
  const module = await createKvdWeb();
  const outputs = path.join(work, 'glb');
  fs.mkdirSync(outputs);
  for (const name of sceneNames) {
    const result = module.convert(fs.readFileSync(path.join(scenes, name)), images, {name});
    const tiffRefused = result.messages.filter((line) => kTiffRefusal.test(line));
    const reference = nativeConversion(tiffRefused.length ? withoutTiff : scenes, name,
                                       path.join(outputs, name.replace(/\.kvd$/i, '.glb')));
    check(`${name}: exit code`, () => assert.strictEqual(result.exitCode, reference.exitCode));
    check(`${name}: .glb bytes`, () => {
      assert.strictEqual(result.glb === null, reference.glb === null, 'a .glb on one side only');
      if (reference.glb) assert.ok(Buffer.from(result.glb).equals(reference.glb), 'the bytes differ');
    });
    check(`${name}: messages`, () => {
      // Where the tool did not find a TIFF, the module found it and said why it left it out.
      const refusedNames = tiffRefused.map(leftOutName);
      const expected = reference.errors.filter((line) => !(/texture not found/.test(line) &&
                                                           refusedNames.includes(leftOutName(line))));
      assert.deepStrictEqual(result.messages.filter((line) => !kTiffRefusal.test(line)), expected);
    });
    check(`${name}: info document`,
          () => assert.deepStrictEqual(withTiffAsTool(result.info), nativeInfo(scenes, name)));
  }
  check('a TIFF image was among the scenes and refused', () => {
    const exported = module.convert(fs.readFileSync(path.join(scenes, 'exported_maps.kvd')), images,
                                    {name: 'exported_maps.kvd'});
    assert.ok(exported.messages.some((line) => kTiffRefusal.test(line)), exported.messages.join('\n'));
  });

  // Names as the page hands them: a Map, folders with either slash, and
  // names that try to leave the scene's folder land inside it.
  check('image names: Map, backslashes, and .. kept inside', () => {
    const house = fs.readFileSync(path.join(scenes, 'house.kvd'));
    const given = new Map([['wood.jpg', images['wood.jpg']], ['wood_bump.bmp', images['wood_bump.bmp']],
                           ['maps\\bricks.jpg', images['maps/bricks.jpg']],
                           ['../../roof tiles.jpg', images['roof tiles.jpg']]]);
    const result = module.convert(house, given, {name: 'house.kvd'});
    assert.ok(Buffer.from(result.glb).equals(fs.readFileSync(path.join(outputs, 'house.glb'))));
  });

  check('image names that clash are not used, and said so', () => {
    const house = fs.readFileSync(path.join(scenes, 'house.kvd'));
    const result = module.convert(house, {'maps': images['wood.jpg'], 'maps/bricks.jpg': images['maps/bricks.jpg'],
                                          'house.kvd': images['wood.jpg'], '..': images['wood.jpg']},
                                  {name: 'house.kvd'});
    assert.deepStrictEqual(result.messages.slice(0, 3), [
      'kvd: maps/bricks.jpg: not used: a file or folder of the same name is in the way',
      'kvd: house.kvd: not used: the name is taken',
      'kvd: (no name): not used: the name is taken',
    ]);
    assert.strictEqual(result.exitCode, 0);
  });

  if (gridWriter) {
    // A million-point grid in a 32 MiB memory: merging its points alone
    // needs more. The tool's own message comes back, nothing is written,
    // and the same module then converts the next scene.
    const grid = path.join(work, 'grid.kvd');
    run(gridWriter, ['--grid', '1000', '--kvd', grid]);
    const small = await createKvdWeb({wasmMemory: new WebAssembly.Memory({initial: 256, maximum: 512}),
                                      maximumMemory: 512 * 65536});
    const result = small.convert(fs.readFileSync(grid), {}, {name: 'grid.kvd'});
    check('out of memory: exit code 6, no .glb, the reason', () => {
      assert.strictEqual(result.exitCode, 6);
      assert.strictEqual(result.glb, null);
      assert.match(result.messages.join('\n'), /out of memory while reading grid\.kvd/);
    });
    check('out of memory: the module converts the next scene', () => {
      const next = small.convert(fs.readFileSync(path.join(scenes, 'house.kvd')), images, {name: 'house.kvd'});
      assert.ok(Buffer.from(next.glb).equals(fs.readFileSync(path.join(outputs, 'house.glb'))));
    });
  } else {
    console.log('note: no grid writer given; the out-of-memory case was not run');
  }

  console.log(`${sceneNames.length} scenes (${whole.length} whole, ${sceneNames.length - whole.length} cut short)`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
