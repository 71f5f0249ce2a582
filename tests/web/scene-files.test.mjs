// How the page sorts the files a person gives it into scenes: which images
// each scene gets, under which names.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {groupSceneFiles} from '../../web/scene-files.js';

// Entries as the page makes them: a path, and the file (here its path again).
const entries = (...paths) => paths.map((path) => ({path, file: path}));
// What a scene gets: its path, and for each image the name it is given and
// the file it comes from.
const summary = (groups) => groups.map((group) => ({
  scene: group.scene.path,
  name: group.scene.name,
  images: Object.fromEntries(group.images.map((image) => [image.path, image.file])),
}));

const cases = [
  {
    what: 'files picked one by one: every image by its name, other files left alone',
    given: entries('house.kvd', 'wood.jpg', 'bricks.JPG', 'notes.txt', 'roof tiles.jpg'),
    scenes: [{scene: 'house.kvd', name: 'house.kvd',
              images: {'wood.jpg': 'wood.jpg', 'bricks.JPG': 'bricks.JPG', 'roof tiles.jpg': 'roof tiles.jpg'}}],
  },
  {
    what: 'a folder: images below the scene keep their path under its folder',
    given: entries('house/house.kvd', 'house/maps/bricks.jpg', 'house/textures/deep/wall.TGA'),
    scenes: [{scene: 'house/house.kvd', name: 'house.kvd',
              images: {'maps/bricks.jpg': 'house/maps/bricks.jpg',
                       'textures/deep/wall.TGA': 'house/textures/deep/wall.TGA'}}],
  },
  {
    what: 'an image outside the scene\'s folder comes beside it, unless one of that name is there',
    given: entries('a/scene.kvd', 'b/wood.jpg', 'a/stone.png', 'c/stone.png', 'ab/sky.bmp'),
    scenes: [{scene: 'a/scene.kvd', name: 'scene.kvd',
              images: {'stone.png': 'a/stone.png', 'wood.jpg': 'b/wood.jpg', 'sky.bmp': 'ab/sky.bmp'}}],
  },
  {
    what: 'several scenes, in path order, each with the images of its own folder first',
    given: entries('y/two.KVD', 'x/one.kvd', 'x/t.png', 'y/t.png'),
    scenes: [{scene: 'x/one.kvd', name: 'one.kvd', images: {'t.png': 'x/t.png'}},
             {scene: 'y/two.KVD', name: 'two.KVD', images: {'t.png': 'y/t.png'}}],
  },
  {
    what: 'a scene in a subfolder gets the images above it by name',
    given: entries('top/sub/s.kvd', 'top/w.tif', 'top/sub/maps/m.gif'),
    scenes: [{scene: 'top/sub/s.kvd', name: 's.kvd', images: {'maps/m.gif': 'top/sub/maps/m.gif', 'w.tif': 'top/w.tif'}}],
  },
  {
    what: 'no scene among the files',
    given: entries('wood.jpg', 'readme.txt'),
    scenes: [],
  },
];

for (const c of cases) {
  test(c.what, () => assert.deepEqual(summary(groupSceneFiles(c.given)), c.scenes));
}
