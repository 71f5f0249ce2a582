// The side panel: what `kvd info` says about the scene (its JSON document,
// answer.info), and what the conversion said (answer.messages), as HTML.

// Objects listed one by one, as kvd info's text does; the rest are counted.
const kListedObjects = 20;

function make(tag, text, className) {
  const node = document.createElement(tag);
  if (text !== undefined) node.textContent = text;
  if (className) node.className = className;
  return node;
}

function number(value) {
  if (value === null || value === undefined) return 'nan';
  return String(Math.round(value * 1e4) / 1e4);
}

function triple(values) {
  return '(' + values.map(number).join(', ') + ')';
}

function swatch(colour) {
  const node = make('span', undefined, 'swatch');
  const channel = (c) => Math.round(Math.min(Math.max(c || 0, 0), 1) * 255);
  node.style.background = `rgb(${channel(colour[0])}, ${channel(colour[1])}, ${channel(colour[2])})`;
  return node;
}

function section(title, ...children) {
  const part = document.createDocumentFragment();
  part.append(make('h2', title), ...children);
  return part;
}

function list(items) {
  const node = make('ul');
  node.append(...items);
  return node;
}

// Where a map's image came from: found (and readable), or not.
function imageLine(kind, storedName, image, messages) {
  const line = make('div');
  line.append(`${kind} ${storedName} `);
  // The summary says why an image cannot be read where it checks them;
  // the conversion's message says so in any case.
  const unreadable = (image && image.unreadable) ||
                     (messages.some((m) => m.includes('cannot be read') && m.includes(storedName)) && 'left out');
  if (image && image.found && !unreadable) {
    line.append(make('span', '(found: ' + image.found.replace(/^\.\//, '') + ')', 'found'));
  } else if (image && image.found) {
    line.append(make('span', `(found, cannot be read: ${unreadable})`, 'missing'));
  } else {
    line.append(make('span', '(missing: drop it with the scene)', 'missing'));
  }
  return line;
}

function materialItems(materials, messages) {
  return materials.map((material, i) => {
    const item = make('li');
    item.append(swatch(material.diffuse), `[${i}] ${material.name}`);
    item.append(make('div', `ambient ${triple(material.ambient)} diffuse ${triple(material.diffuse)} ` +
                            `specular ${triple(material.specular)}`, 'muted'));
    if (material.texture) item.append(imageLine('texture', material.texture, material.textureImage, messages));
    if (material.bumpTexture)
      item.append(imageLine('bump texture', material.bumpTexture, material.bumpTextureImage, messages));
    return item;
  });
}

function cameraItems(cameras) {
  return cameras.map((camera, i) => make('li', `[${i}] ${camera.name}  eye ${triple(camera.eye)}  target ` +
                                              `${triple(camera.target)}` + (i === 0 ? '  (default camera)' : '')));
}

function objectItems(objects, materials) {
  const items = objects.list.slice(0, kListedObjects).map((object, i) => {
    let material = 'no surface';
    if (object.material.file !== undefined) {
      const file = materials[object.material.file];
      material = `material [${object.material.file}] ${file ? file.name : ''}`;
    } else if (object.material.ownColour) {
      material = `own colour ${triple(object.material.ownColour)} of ${object.material.name}`;
    }
    return make('li', `[${i}] ${object.triangles} triangles, ${object.vertices} vertices, ${material}`);
  });
  if (objects.list.length > kListedObjects)
    items.push(make('li', `… and ${objects.list.length - kListedObjects} more`, 'muted'));
  return items;
}

function messageItems(info, conversionMessages) {
  const items = (info ? info.messages : []).map((message) => {
    const meaning = message.meaning && message.meaning !== message.text ? ` (${message.meaning})` : '';
    return make('li', message.text + meaning, 'error');
  });
  for (const line of conversionMessages) items.push(make('li', line.replace(/^kvd: /, ''), 'missing'));
  return items;
}

export function describeScene(answer, path) {
  const info = answer.info;
  const panel = document.createDocumentFragment();
  const head = make('h2', path);
  panel.append(head);
  if (!info) {
    panel.append(section('Messages', list(messageItems(null, answer.messages))));
    return panel;
  }
  panel.append(make('div', `${info.size} bytes`, 'muted'));
  if (!info.header.accepted) {
    panel.append(make('div', 'header rejected: ' + (info.header.reason || 'no reason given'), 'error'));
    panel.append(section('Messages', list(messageItems(info, answer.messages))));
    return panel;
  }
  if (info.status === 'damaged')
    panel.append(make('div', 'body damaged: below is what was read before the damage', 'error'));
  const objects = info.objects;
  panel.append(
    section(`Materials: ${info.materials.length}`, list(materialItems(info.materials, answer.messages))),
    section(`Cameras: ${info.cameras.length}`, list(cameraItems(info.cameras))),
    section(`Objects: ${objects.count}, ${objects.triangles} triangles, ${objects.vertices} vertices`,
            make('div', objects.bounds ? `bounds ${triple(objects.bounds.min)} to ${triple(objects.bounds.max)}`
                                       : 'bounds none', 'muted'),
            list(objectItems(objects, info.materials))));
  const messages = messageItems(info, answer.messages);
  panel.append(section('Messages', messages.length ? list(messages) : make('div', 'none', 'muted')));
  return panel;
}
