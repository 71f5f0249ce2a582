// The kvd scene viewer page: the files the user drops or picks go to the
// kvd module in a worker (kvd-worker.js), which converts the scene to a .glb
// exactly as `kvd convert` does and summarises it as `kvd info --json`
// does; the page shows the .glb with three.js, first from the scene's
// default camera framed as `kvd render` frames it, and the summary beside it.
//
// For tests and scripts, window.kvdViewer has:
//   info   the kvd info document of the scene shown last (null before)
//   ready  a promise for the scene being loaded: resolved with its info when
//          its first picture is drawn, rejected with the reason when there
//          is no picture (not a kvd file, out of memory)
import * as THREE from 'three';
import {GLTFLoader} from 'three/addons/loaders/GLTFLoader.js';
import {OrbitControls} from 'three/addons/controls/OrbitControls.js';
import {groupSceneFiles, readDroppedItems} from './scene-files.js';
import {describeScene} from './scene-summary.js';

// kvd render's background, so the two pictures can be compared.
const kBackground = new THREE.Color('#3a404a');
// kvd render lights each face from the eye, with this much ambient light.
const kAmbientShare = 0.35;
// ?size= allows canvases up to this many pixels each way.
const kLargestSide = 4096;
// kvd render's depth range: room beyond the scene, and the nearest plane.
const kDepthMargin = 1.01;
const kNearestShareOfFar = 1 / 10000;

const element = (id) => document.getElementById(id);
const canvas = element('canvas');
const status = element('status');
const summary = element('summary');
const cameraChoice = element('camera-choice');
const sceneChoice = element('scene-choice');
const downloadButton = element('download');

// ?size=WxH: a canvas of exactly that many pixels (tests, screenshots).
function requestedSize() {
  const text = new URLSearchParams(location.search).get('size');
  const match = /^(\d+)x(\d+)$/.exec(text || '');
  if (!match) return null;
  const width = Number(match[1]), height = Number(match[2]);
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return null;
  return {width, height};
}
const fixedSize = requestedSize();

const renderer = new THREE.WebGLRenderer({canvas, antialias: true, preserveDrawingBuffer: true});
renderer.setPixelRatio(fixedSize ? 1 : window.devicePixelRatio);
const scene = new THREE.Scene();
scene.background = kBackground;
scene.add(new THREE.AmbientLight(0xffffff, Math.PI * kAmbientShare));
const view = new THREE.PerspectiveCamera(45, 1, 0.1, 1000);
// A light at the eye, shining along the view.
const headlight = new THREE.DirectionalLight(0xffffff, Math.PI * (1 - kAmbientShare));
headlight.position.set(0, 0, 0);
headlight.target.position.set(0, 0, -1);
view.add(headlight, headlight.target);
scene.add(view);
const controls = new OrbitControls(view, canvas);
controls.enabled = false;

let shown = null;        // {root, box, cameras, targets, glbUrl}: the scene shown
let loadCount = 0;       // a newer load makes an older one's result stale
let groups = [];         // the scenes among the files given last
let settleReady = null;
let readyTaken = false;   // a load has the current promise already

const viewer = {info: null, ready: null};
window.kvdViewer = viewer;

function newReadyPromise() {
  const promise = new Promise((resolve, reject) => { settleReady = {resolve, reject}; });
  // A scene that shows no picture is reported on the page; nobody need wait.
  promise.catch(() => {});
  viewer.ready = promise;
  readyTaken = false;
}
newReadyPromise();

// The promise of a load that starts now: the one waiting since the files
// came, or a new one.
function takeReadyPromise() {
  if (readyTaken) newReadyPromise();
  readyTaken = true;
  return settleReady;
}

// kvd render's depth range: the scene's box seen from the eye, a little
// room beyond it, and the near plane never closer than a ten-thousandth of
// the far one, which keeps depth resolution with the eye inside the scene.
function fitDepthRange() {
  if (!shown || shown.box.isEmpty()) return;
  const eye = view.getWorldPosition(new THREE.Vector3());
  const forward = view.getWorldDirection(new THREE.Vector3());
  let nearest = Infinity, farthest = -Infinity;
  for (let corner = 0; corner < 8; ++corner) {
    const point = new THREE.Vector3(corner & 1 ? shown.box.max.x : shown.box.min.x,
                                    corner & 2 ? shown.box.max.y : shown.box.min.y,
                                    corner & 4 ? shown.box.max.z : shown.box.min.z);
    const depth = point.sub(eye).dot(forward);
    nearest = Math.min(nearest, depth);
    farthest = Math.max(farthest, depth);
  }
  if (!(farthest > 0) || !Number.isFinite(farthest)) return;
  view.far = farthest * kDepthMargin;
  view.near = Math.max(nearest / kDepthMargin, view.far * kNearestShareOfFar);
  view.updateProjectionMatrix();
}

function render() {
  fitDepthRange();
  renderer.render(scene, view);
}

function fitCanvas() {
  if (fixedSize) {
    renderer.setSize(fixedSize.width, fixedSize.height, true);
    // The view takes the canvas's size, the panel the rest.
    Object.assign(element('view').style, {flex: 'none', width: fixedSize.width + 'px', height: fixedSize.height + 'px'});
  } else {
    canvas.classList.add('fill');
    const box = element('view').getBoundingClientRect();
    renderer.setSize(Math.max(1, Math.floor(box.width)), Math.max(1, Math.floor(box.height)), false);
  }
  const size = renderer.getSize(new THREE.Vector2());
  view.aspect = size.x / size.y;
  view.updateProjectionMatrix();
  render();
}
new ResizeObserver(fitCanvas).observe(element('view'));

function say(text, kind = '') {
  status.hidden = !text;
  status.textContent = text;
  status.className = kind;
}

// --- the worker ------------------------------------------------------------

// ?memory=MiB: the module gets at most that much memory (tests).
const memoryLimit = new URLSearchParams(location.search).get('memory');
const worker = new Worker('kvd-worker.js' + (memoryLimit ? '?memory=' + encodeURIComponent(memoryLimit) : ''));
const pending = new Map();
let requestCount = 0;
let workerFailure = null;   // set when the worker could not run at all
worker.onmessage = (event) => {
  const answer = event.data;
  const waiting = pending.get(answer.id);
  pending.delete(answer.id);
  if (waiting) waiting(answer);
};
worker.onerror = (event) => {
  event.preventDefault();
  workerFailure = 'the kvd module could not be started (' + (event.message || 'worker error') + '); ' +
                  'open the page through a web server, e.g. python3 -m http.server in its folder';
  for (const waiting of pending.values()) waiting({error: workerFailure});
  pending.clear();
};

function convertInWorker(group) {
  if (workerFailure) return Promise.resolve({error: workerFailure});
  return new Promise((resolve) => {
    const id = ++requestCount;
    pending.set(id, resolve);
    worker.postMessage({id, name: group.scene.name, scene: group.scene.file, images: group.images});
  });
}

// --- showing a scene ---------------------------------------------------------

function parseGlb(glb) {
  return new Promise((resolve, reject) => new GLTFLoader().parse(glb.buffer, '', resolve, reject));
}

// kvd scenes are Z-up; the .glb is Y-up: (x, y, z) became (x, z, -y).
function toYUp(point) {
  return new THREE.Vector3(point[0], point[2], -point[1]);
}

function forgetShownScene() {
  if (!shown) return;
  scene.remove(shown.root);
  shown.root.traverse((object) => {
    if (object.geometry) object.geometry.dispose();
    const materials = object.material ? [].concat(object.material) : [];
    for (const material of materials) {
      for (const value of Object.values(material)) if (value && value.isTexture) value.dispose();
      material.dispose();
    }
  });
  URL.revokeObjectURL(shown.glbUrl);
  shown = null;
}

// Where orbiting turns around for camera i: its target when the file has
// one, else the point straight ahead as far as the scene's centre.
function orbitTarget(gltfCamera, fileCamera, sceneBox) {
  if (fileCamera && fileCamera.target.every(Number.isFinite)) return toYUp(fileCamera.target);
  const eye = gltfCamera.getWorldPosition(new THREE.Vector3());
  const ahead = gltfCamera.getWorldDirection(new THREE.Vector3());
  const centre = sceneBox.isEmpty() ? eye.clone().add(ahead) : sceneBox.getCenter(new THREE.Vector3());
  const distance = Math.max(centre.clone().sub(eye).dot(ahead), 1e-3);
  return eye.clone().addScaledVector(ahead, distance);
}

function lookThrough(index) {
  if (!shown) return;
  const camera = shown.cameras[index];
  camera.updateWorldMatrix(true, false);
  camera.getWorldPosition(view.position);
  camera.getWorldQuaternion(view.quaternion);
  // The vertical field of the host's 4:3 view; a canvas of another shape
  // shows more or less to the sides, as kvd render's pictures do.
  view.fov = camera.fov;
  view.updateProjectionMatrix();
  controls.target.copy(shown.targets[index]);
  render();
}

function listCameras(cameras) {
  cameraChoice.replaceChildren(...cameras.map((camera, i) => {
    const option = document.createElement('option');
    option.value = String(i);
    option.textContent = `[${i}] ${camera.name || 'camera'}` + (i === 0 ? ' (default)' : '');
    return option;
  }));
  cameraChoice.disabled = cameras.length === 0;
}

function offerDownload(glb, name) {
  const url = URL.createObjectURL(new Blob([glb], {type: 'model/gltf-binary'}));
  downloadButton.disabled = false;
  downloadButton.onclick = () => {
    const link = document.createElement('a');
    link.href = url;
    link.download = name.replace(/\.[^.]*$/, '') + '.glb';
    link.click();
  };
  return url;
}

function afterNextFrame() {
  return new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
}

async function show(group) {
  const load = ++loadCount;
  const settle = takeReadyPromise();
  // Marks on the page's timeline (DevTools, bench/web-viewer.cjs): the files
  // handed to the worker, its answer, the .glb parsed, the first picture.
  performance.mark('kvd:files');
  element('drop-hint').hidden = true;
  say(`Reading ${group.scene.path}…`, 'working');
  const answer = await convertInWorker(group);
  performance.mark('kvd:converted');
  if (load !== loadCount) {
    settle.reject(new Error('another scene was opened'));
    return;
  }
  if (answer.error) {
    say(`${group.scene.path}: ${answer.error}`, 'error');
    settle.reject(new Error(answer.error));
    return;
  }

  forgetShownScene();
  viewer.info = answer.info;
  summary.replaceChildren(describeScene(answer, group.scene.path));
  downloadButton.disabled = true;
  listCameras([]);
  if (!answer.glb) {
    const why = failureText(answer, group.scene.path);
    say(why, 'error');
    render();
    settle.reject(new Error(why));
    return;
  }

  let gltf;
  try {
    gltf = await parseGlb(answer.glb);
    performance.mark('kvd:parsed');
  } catch (error) {
    const why = `${group.scene.path}: the converted scene could not be shown (${error.message || error})`;
    say(why, 'error');
    settle.reject(new Error(why));
    return;
  }
  if (load !== loadCount) {
    settle.reject(new Error('another scene was opened'));
    return;
  }
  const root = gltf.scene;
  // kvd render lights both sides of every face; so does the page.
  root.traverse((object) => {
    for (const material of object.material ? [].concat(object.material) : []) material.side = THREE.DoubleSide;
  });
  scene.add(root);
  root.updateWorldMatrix(true, true);
  const box = new THREE.Box3().setFromObject(root);
  const fileCameras = (answer.info && answer.info.cameras) || [];
  const targets = gltf.cameras.map((camera, i) => orbitTarget(camera, fileCameras[i], box));
  shown = {root, box, cameras: gltf.cameras, targets, glbUrl: offerDownload(answer.glb, group.scene.name)};
  listCameras(gltf.cameras);
  if (gltf.cameras.length > 0) lookThrough(0);
  controls.enabled = gltf.cameras.length > 0;
  render();
  await afterNextFrame();
  performance.mark('kvd:drawn');
  const note = noteText(answer, group.scene.path);
  say(note.text, note.kind);
  settle.resolve(answer.info);
}

// What the page says when there is nothing to show.
function failureText(answer, path) {
  const info = answer.info;
  if (info && info.header && !info.header.accepted)
    return `${path} is not a kvd scene file, or its header is damaged: ${info.header.reason || 'rejected'}`;
  if (answer.exitCode === 6)
    return `${path}: the scene does not fit in the memory this page may use. ` +
           answer.messages.map((line) => line.replace(/^kvd: /, '')).join(' ');
  return `${path}: ` + (answer.messages.join(' ') || 'the scene could not be read');
}

// What the page says under a scene it shows.
function noteText(answer, path) {
  if (answer.info && answer.info.status === 'damaged') {
    const last = answer.info.messages[answer.info.messages.length - 1];
    const why = last ? `${last.text} (${last.meaning || 'damaged'})` : 'damaged';
    return {text: `${path} is damaged: ${why}. What was read before the damage is shown.`, kind: 'warning'};
  }
  const imageProblems = answer.messages.filter((line) => /texture/.test(line));
  if (imageProblems.length > 0)
    return {text: `${imageProblems.length} texture image(s) missing or unreadable: see the summary.`, kind: 'warning'};
  return {text: '', kind: ''};
}

// --- files in ----------------------------------------------------------------

function offerScenes(found) {
  groups = found;
  element('scene-choice-label').hidden = groups.length < 2;
  sceneChoice.replaceChildren(...groups.map((group, i) => {
    const option = document.createElement('option');
    option.value = String(i);
    option.textContent = group.scene.path;
    return option;
  }));
  if (groups.length === 0) {
    const why = 'No .kvd file among the files given: drop or pick a .kvd scene file with its images.';
    say(why, 'error');
    takeReadyPromise().reject(new Error(why));
    return;
  }
  show(groups[0]);
}

function takeFiles(entries) {
  offerScenes(groupSceneFiles(entries));
}

function filesOfInput(input) {
  // A folder's files carry their path inside it; picked files only a name.
  return Array.from(input.files, (file) => ({path: file.webkitRelativePath || file.name, file}));
}

for (const input of [element('pick-files'), element('pick-folder')]) {
  input.addEventListener('change', () => {
    if (input.files.length > 0) takeFiles(filesOfInput(input));
    input.value = '';
  });
}

const dropArea = element('view');
dropArea.addEventListener('dragover', (event) => {
  event.preventDefault();
  dropArea.classList.add('dragging');
});
dropArea.addEventListener('dragleave', () => dropArea.classList.remove('dragging'));
dropArea.addEventListener('drop', async (event) => {
  event.preventDefault();
  dropArea.classList.remove('dragging');
  // The next scene's promise exists as soon as the files are dropped.
  if (readyTaken) newReadyPromise();
  takeFiles(await readDroppedItems(event.dataTransfer));
});

sceneChoice.addEventListener('change', () => show(groups[Number(sceneChoice.value)]));
cameraChoice.addEventListener('change', () => lookThrough(Number(cameraChoice.value)));
controls.addEventListener('change', render);
fitCanvas();
