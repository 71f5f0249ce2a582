// The files a user drops or picks, sorted into scenes: each .kvd file with
// the images it may name. An entry is {path, file}: the path inside what was
// dropped ('house/maps/bricks.jpg'), or the bare name of a picked file.

// The image kinds the kvd tool reads (by content; these are the names such
// files go by). Other files are not read, so dropping a folder with large
// unrelated files costs nothing.
const kImageNames = /\.(jpe?g|jpe|png|bmp|dib|tga|gif|psd|tiff?)$/i;
const kSceneNames = /\.kvd$/i;

function folderOf(path) {
  const slash = path.lastIndexOf('/');
  return slash < 0 ? '' : path.slice(0, slash + 1);
}

function nameOf(path) {
  return path.slice(path.lastIndexOf('/') + 1);
}

// Each scene gets the images under its own folder by their path below it,
// as the kvd tool finds them beside the scene; an image from elsewhere is
// put beside the scene under its file name, unless one is there already.
export function groupSceneFiles(entries) {
  const scenes = entries.filter((entry) => kSceneNames.test(entry.path))
                        .sort((a, b) => a.path.localeCompare(b.path));
  const images = entries.filter((entry) => kImageNames.test(entry.path));
  return scenes.map((scene) => {
    const folder = folderOf(scene.path);
    const inside = new Map();
    const outside = [];
    for (const image of images) {
      if (image.path.startsWith(folder)) inside.set(image.path.slice(folder.length), image.file);
      else outside.push(image);
    }
    for (const image of outside) {
      const name = nameOf(image.path);
      if (!inside.has(name)) inside.set(name, image.file);
    }
    return {
      scene: {path: scene.path, name: nameOf(scene.path), file: scene.file},
      images: Array.from(inside, ([path, file]) => ({path, file})),
    };
  });
}

function readAllEntries(reader) {
  // A folder reader hands its entries out in batches until one is empty.
  return new Promise((resolve, reject) => {
    const all = [];
    const next = () => reader.readEntries((batch) => {
      if (batch.length === 0) resolve(all);
      else { all.push(...batch); next(); }
    }, reject);
    next();
  });
}

async function walk(entry, found) {
  if (entry.isFile) {
    const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
    found.push({path: entry.fullPath.replace(/^\//, ''), file});
  } else if (entry.isDirectory) {
    for (const child of await readAllEntries(entry.createReader())) await walk(child, found);
  }
}

// What was dropped, folders walked through. The entries are taken before
// the first wait: the drop's list is gone once its event is over.
export async function readDroppedItems(dataTransfer) {
  const items = Array.from(dataTransfer.items || []);
  const entries = items.map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry()).filter(Boolean);
  if (entries.length === 0)
    return Array.from(dataTransfer.files || [], (file) => ({path: file.name, file}));
  const found = [];
  for (const entry of entries) await walk(entry, found);
  return found;
}
