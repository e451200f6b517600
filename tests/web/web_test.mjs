// The browser program in headless Chromium (360 x 640, touch), step by step against the same
// steps on the headless host (zandrel-script, web_reference): every screen is compared pixel for
// pixel. Run by run_web_test.sh, which serves the page.
//
// Checks: the canvas fills the viewport with the device's aspect; the first problem as on the
// headless host; a wrong move is answered after a 200 ms pause, and the screen during the pause
// is the one drawn before it; a long press restarts the problem (the secondary button); the
// correct move plays and its sounds start through Web Audio; the menu opens and "Next problem"
// works; after a reload the same problem is shown (the settings kept in localStorage); Alt+/
// opens the About box and Escape closes it; a right click restarts the problem; a second page
// shows the single-instance message box, and ends after Enter; "Quit" ends the first page and
// frees the single instance; a Chinese browser gets the Chinese interface.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const options = {};
for (let i = 2; i + 1 < process.argv.length; i += 2)
  options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const name of ['script', 'reference', 'chromium', 'url', 'outdir']) {
  if (!options[name]) {
    console.error(`usage: web_test.mjs --script S --reference R --chromium C --url U --outdir D`);
    process.exit(2);
  }
}

const width = 240, height = 320, topBar = 26;
const waitMs = 15000;  // the bound of every wait for the page
const toolMs = 30000;  // and of every run of a headless tool
let passed = 0, failed = 0;

function check(ok, what, detail = '') {
  if (ok) {
    passed++;
    console.log(`ok: ${what}`);
  } else {
    failed++;
    console.log(`FAILED: ${what}${detail ? ': ' + detail : ''}`);
  }
  return ok;
}

// ---- PNG: just what the headless host writes (8-bit RGB) and what a failure leaves behind ----

function readPng(file) {
  const bytes = fs.readFileSync(file);
  let offset = 8, w = 0, h = 0, colourType = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      w = body.readUInt32BE(0);
      h = body.readUInt32BE(4);
      colourType = body[9];
      if (body[8] !== 8 || body[12] !== 0 || (colourType !== 2 && colourType !== 6))
        throw new Error(`${file}: only 8-bit RGB(A) non-interlaced PNGs are read here`);
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const channels = colourType === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = w * channels;
  const rgb = new Uint8Array(w * h * 3);
  const previous = new Uint8Array(stride), row = new Uint8Array(stride);
  for (let y = 0; y < h; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? row[i - channels] : 0, b = previous[i];
      const c = i >= channels ? previous[i - channels] : 0;
      let p = line[i];
      if (filter === 1) p += a;
      else if (filter === 2) p += b;
      else if (filter === 3) p += (a + b) >> 1;
      else if (filter === 4) {
        const q = a + b - c, pa = Math.abs(q - a), pb = Math.abs(q - b), pc = Math.abs(q - c);
        p += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[i] = p & 0xff;
    }
    for (let x = 0; x < w; x++)
      for (let k = 0; k < 3; k++) rgb[(y * w + x) * 3 + k] = row[x * channels + k];
    previous.set(row);
  }
  return { width: w, height: h, rgb };
}

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(buffer) {
  let c = 0xffffffff;
  for (const byte of buffer) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}
function writePng(file, w, h, rgb) {
  const chunk = (type, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(type, 4, 'latin1');
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])), 0);
    return Buffer.concat([head, body, tail]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(w, 0);
  header.writeUInt32BE(h, 4);
  header[8] = 8;
  header[9] = 2;
  const raw = Buffer.alloc((w * 3 + 1) * h);
  for (let y = 0; y < h; y++)
    Buffer.from(rgb.buffer, rgb.byteOffset + y * w * 3, w * 3).copy(raw, y * (w * 3 + 1) + 1);
  fs.writeFileSync(file, Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0)),
  ]));
}

// ---- the headless side ----

// Runs zandrel-script on the lines; returns the dumps, in order.
function runScript(lines) {
  const input = lines.join('\n') + '\n';
  const out = execFileSync(options.script, [], { input, timeout: toolMs }).toString();
  return out.split('\n').filter((l) => l.startsWith('{')).map((l) => JSON.parse(l));
}
const reference = (name) => path.join(options.outdir, `${name}.png`);

// ---- the page ----

// The canvas's pixels as RGBA bytes.
async function canvasPixels(page) {
  const encoded = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000)
      text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return { width: canvas.width, height: canvas.height, data: btoa(text) };
  });
  const rgba = Buffer.from(encoded.data, 'base64');
  return { width: encoded.width, height: encoded.height, rgba };
}

// Compares RGBA pixels with a reference PNG; a mismatch leaves NAME_actual.png and
// NAME_diff.png (differing pixels red) in the output folder.
function sameScreen(actual, name, what) {
  const expected = readPng(reference(name));
  if (actual.width !== expected.width || actual.height !== expected.height)
    return check(false, what, `canvas ${actual.width}x${actual.height}, reference ` +
                 `${expected.width}x${expected.height}`);
  const rgb = new Uint8Array(actual.width * actual.height * 3);
  const diff = new Uint8Array(rgb.length);
  let differing = 0, first = '';
  for (let i = 0; i < actual.width * actual.height; i++) {
    let same = actual.rgba[i * 4 + 3] === 255;
    for (let k = 0; k < 3; k++) {
      rgb[i * 3 + k] = actual.rgba[i * 4 + k];
      if (rgb[i * 3 + k] !== expected.rgb[i * 3 + k]) same = false;
    }
    if (!same) {
      if (differing++ === 0)
        first = ` (first at ${i % actual.width},${Math.floor(i / actual.width)})`;
      diff[i * 3] = 255;
    } else {
      for (let k = 0; k < 3; k++) diff[i * 3 + k] = expected.rgb[i * 3 + k] >> 2;
    }
  }
  if (differing > 0) {
    writePng(path.join(options.outdir, `${name}_actual.png`), actual.width, actual.height, rgb);
    writePng(path.join(options.outdir, `${name}_diff.png`), actual.width, actual.height, diff);
  }
  return check(differing === 0, what, `${differing} pixels differ from ${name}.png${first}`);
}

const status = (page) => page.evaluate(() => ({ ...window.zandrelWeb, onSleep: null }));

// Waits until the program has taken at least `pushed` input events, all there are, and waits
// for more.
async function idle(page, pushed = 0) {
  await page.waitForFunction((n) => {
    const s = window.zandrelWeb;
    return s && s.phase === 'waiting' && s.pushed >= n && s.taken === s.pushed;
  }, pushed, { timeout: waitMs });
}

// The page position (CSS pixels) of the middle of a device pixel.
async function pagePoint(page, x, y) {
  const r = await page.evaluate(() => {
    const b = document.getElementById('screen').getBoundingClientRect();
    return { left: b.left, top: b.top, width: b.width, height: b.height };
  });
  return { x: r.left + (x + 0.5) * r.width / width, y: r.top + (y + 0.5) * r.height / height };
}

async function tap(page, x, y) {
  const before = (await status(page)).pushed;
  const p = await pagePoint(page, x, y);
  await page.touchscreen.tap(p.x, p.y);
  await idle(page, before + 2);
}

// Holds a finger still until the page has turned the press into the secondary button.
async function longPress(page, x, y) {
  const before = (await status(page)).pushed;
  const p = await pagePoint(page, x, y);
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [p] });
  await page.waitForFunction((n) => window.zandrelWeb.pushed > n, before, { timeout: waitMs });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await idle(page, before + 1);
  await cdp.detach();
  return (await status(page)).pushed - before;
}

const sameList = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// ---- the run ----

// The headless steps: the same inputs as the browser gets below. Client pixel of a point:
// cellSize * (index - 1) + stoneRadius.
const start = runScript(['lang en', 'start', 'dump'])[0];
const at = (d, column, row) => [d.cellSize * (column - 1) + d.stoneRadius,
                                 d.cellSize * (row - 1) + d.stoneRadius];
const wrong = at(start, 1, 1), right = at(start, 2, 1);
// Client pixels of "Menu" and of the popup's "Next problem" and "Quit".
const menuButton = [20, 281], nextItem = [60, 134], quitItem = [60, 254];
const first = runScript([
  'lang en', 'start', `png ${reference('start')}`,
  `tap ${wrong[0]} ${wrong[1]}`, 'dump', `png ${reference('answered')}`,
  `secondary ${wrong[0]} ${wrong[1]}`, 'dump', `png ${reference('restarted')}`,
  `tap ${right[0]} ${right[1]}`, 'dump', `png ${reference('solved')}`,
  `tap ${menuButton[0]} ${menuButton[1]}`, `png ${reference('menu')}`,
  `tap ${nextItem[0]} ${nextItem[1]}`, 'dump', `png ${reference('next')}`,
]);
const [answered, restarted, solved, next] = first;
const second = runScript(['lang en', 'saved 2', 'start', 'dump', `png ${reference('reloaded')}`]);
const spot = at(second[0], 1, 1);
runScript([
  'lang en', 'saved 2', 'start', `tap ${spot[0]} ${spot[1]}`, `png ${reference('played')}`,
  `secondary ${spot[0]} ${spot[1]}`, `png ${reference('secondary')}`,
]);
runScript(['lang zh', 'start', `png ${reference('chinese')}`]);
execFileSync(options.reference, ['pause', String(wrong[0]), String(wrong[1]), reference('pause')],
             { timeout: toolMs });
execFileSync(options.reference, ['already-open', reference('already_open')], { timeout: toolMs });
execFileSync(options.reference, ['already-open', reference('already_open_zh'), 'zh'],
             { timeout: toolMs });

// The references themselves must show what the steps are about.
check(answered.sleeps.includes(200) && answered.history.length === 4,
      'reference: the wrong move is answered after a 200 ms pause', JSON.stringify(answered));
check(restarted.history === '', 'reference: the secondary button restarts the problem');
check(solved.solved === 1 && solved.sounds.length > 0, 'reference: the correct move solves it');
check(next.problemNumber === 2, 'reference: "Next problem" opens problem 2',
      `problem ${next.problemNumber}`);

const chromiumArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
                      '--no-first-run', '--disable-background-networking',
                      '--disable-component-update', '--disable-sync'];
// A fresh user-data folder: no settings, no locks, nothing cached from an earlier run.
const profile = path.join(options.outdir, 'profile');
fs.rmSync(profile, { recursive: true, force: true });
const context = await chromium.launchPersistentContext(profile, {
  executablePath: options.chromium,
  headless: true,
  args: chromiumArgs,
  viewport: { width: 360, height: 640 },
  deviceScaleFactor: 2,
  isMobile: true,
  hasTouch: true,
  locale: 'en-US',
});
const consoleLog = fs.createWriteStream(path.join(options.outdir, 'console.log'));
const watch = (page, name) => {
  page.on('console', (m) => consoleLog.write(`${name}: ${m.type()}: ${m.text()}\n`));
  page.on('pageerror', (e) => {
    consoleLog.write(`${name}: page error: ${e}\n`);
    check(false, `${name} runs without page errors`, String(e));
  });
};

try {
  const page = context.pages()[0] ?? await context.newPage();
  watch(page, 'page');
  await page.goto(options.url);
  await idle(page);

  const layout = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const b = canvas.getBoundingClientRect(), style = getComputedStyle(canvas);
    return { left: b.left, top: b.top, width: b.width, height: b.height,
             rendering: style.imageRendering, touch: style.touchAction };
  });
  check(Math.abs(layout.width - 360) < 0.5 && Math.abs(layout.height - 480) < 0.5 &&
        Math.abs(layout.top - 80) < 0.5 && Math.abs(layout.left) < 0.5,
        'the canvas fills the viewport with the device aspect, centred', JSON.stringify(layout));
  check(layout.rendering === 'pixelated' && layout.touch === 'none',
        'the canvas is scaled pixelated and keeps no touch gesture', JSON.stringify(layout));
  sameScreen(await canvasPixels(page), 'start', 'problem 1 shows as on the headless host');

  // A wrong move: the screen during the pause is the one drawn before it; the reply follows.
  await page.evaluate(() => {
    window.pauseFrames = [];
    window.zandrelWeb.onSleep = (ms) => {
      const canvas = document.getElementById('screen');
      const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      window.pauseFrames.push({ ms, data });
    };
  });
  await tap(page, wrong[0], wrong[1] + topBar);
  const pauses = await page.evaluate(() => {
    const frames = window.pauseFrames;
    window.zandrelWeb.onSleep = null;
    return frames.map((f) => {
      let text = '';
      for (let i = 0; i < f.data.length; i += 0x8000)
        text += String.fromCharCode.apply(null, f.data.subarray(i, i + 0x8000));
      return { ms: f.ms, data: btoa(text) };
    });
  });
  check(sameList(pauses.map((p) => p.ms), answered.sleeps),
        'the tap sleeps as on the headless host', JSON.stringify(pauses.map((p) => p.ms)));
  if (pauses.length > 0)
    sameScreen({ width, height, rgba: Buffer.from(pauses[0].data, 'base64') }, 'pause',
               'during the pause the screen shows the move, not yet the reply');
  sameScreen(await canvasPixels(page), 'answered', 'the reply appears after the pause');
  const replySounds = (await status(page)).sounds;
  check(sameList(replySounds, answered.sounds), 'the sounds asked for are the headless host\'s',
        JSON.stringify(replySounds));

  // A long press is the secondary button, which restarts the problem.
  const pressEvents = await longPress(page, wrong[0], wrong[1] + topBar);
  check(pressEvents === 1, 'a long press gives one event (the secondary button)',
        `${pressEvents} events`);
  sameScreen(await canvasPixels(page), 'restarted', 'a long press restarts the problem');

  // The correct move, and its sounds through Web Audio.
  const soundsBefore = (await status(page)).sounds.length;
  await tap(page, right[0], right[1] + topBar);
  sameScreen(await canvasPixels(page), 'solved', 'the correct move plays and solves problem 1');
  const asked = (await status(page)).sounds.slice(soundsBefore);
  check(sameList(asked, solved.sounds), 'the correct move asks for the headless host\'s sounds',
        `${JSON.stringify(asked)} against ${JSON.stringify(solved.sounds)}`);
  const last = solved.sounds[solved.sounds.length - 1];
  const started = await page.waitForFunction(
      (name) => window.zandrelWeb.soundsStarted.includes(name), last, { timeout: waitMs })
      .then(() => true, () => false);
  const sound = await status(page);
  check(started && sound.soundErrors === 0, `clip ${last} is decoded and starts in Web Audio`,
        JSON.stringify({ started: sound.soundsStarted, errors: sound.soundErrors }));

  // The menu, and "Next problem".
  await tap(page, menuButton[0], menuButton[1] + topBar);
  sameScreen(await canvasPixels(page), 'menu', 'the menu opens');
  await tap(page, nextItem[0], nextItem[1] + topBar);
  sameScreen(await canvasPixels(page), 'next', '"Next problem" opens problem 2');

  // A reload keeps the problem: the page saves the settings when it goes.
  await page.reload();
  await idle(page);
  sameScreen(await canvasPixels(page), 'reloaded', 'after a reload problem 2 is shown');
  const stored = await page.evaluate(() => localStorage.getItem('zandrel.settings'));
  check(/"CurrentProblemNo"=dword:00000002/.test(stored ?? ''),
        'the settings text is kept in localStorage under "zandrel.settings"', String(stored));

  // Keys: Alt+/ opens the About box, Escape closes it.
  const keysBefore = (await status(page)).pushed;
  await page.keyboard.press('Alt+Slash');
  await idle(page, keysBefore + 1);
  const about = await canvasPixels(page);
  await page.keyboard.press('Escape');
  await idle(page, keysBefore + 2);
  const closed = await canvasPixels(page);
  check(!about.rgba.equals(closed.rgba), 'Alt+/ opens the About box');
  sameScreen(closed, 'reloaded', 'Escape closes the About box');

  // A right click is the secondary button too.
  await tap(page, spot[0], spot[1] + topBar);
  sameScreen(await canvasPixels(page), 'played', 'a tap plays on problem 2');
  const p = await pagePoint(page, spot[0], spot[1] + topBar);
  const clicked = (await status(page)).pushed;
  await page.mouse.click(p.x, p.y, { button: 'right' });
  await idle(page, clicked + 1);
  sameScreen(await canvasPixels(page), 'secondary', 'a right click is the secondary button');

  // A second page of the same browser: the single instance is held by the first.
  const other = await context.newPage();
  watch(other, 'second page');
  await other.goto(options.url);
  await idle(other);
  sameScreen(await canvasPixels(other), 'already_open',
             'a second page shows "Zandrel is already open in another tab."');
  await other.keyboard.press('Enter');
  const ended = await other.waitForFunction(() => window.zandrelWeb.phase === 'ended', null,
                                            { timeout: waitMs }).then(() => true, () => false);
  const note = await other.evaluate(() => {
    const n = document.getElementById('note');
    return n.hidden ? '' : n.textContent;
  });
  check(ended && /ended/.test(note), 'the second page stops after the box', note);
  sameScreen(await canvasPixels(page), 'secondary', 'the first page goes on undisturbed');

  // Quitting ends the program and gives the single instance up: the second page then starts,
  // on the problem the quit saved.
  await tap(page, menuButton[0], menuButton[1] + topBar);
  const q = await pagePoint(page, quitItem[0], quitItem[1] + topBar);
  await page.touchscreen.tap(q.x, q.y);
  const quit = await page.waitForFunction(() => window.zandrelWeb.phase === 'ended', null,
                                          { timeout: waitMs }).then(() => true, () => false);
  check(quit && (await status(page)).exitCode === 0, '"Quit" ends the program with status 0');
  await other.reload();
  await idle(other);
  sameScreen(await canvasPixels(other), 'reloaded', 'after the quit a second page starts');
} catch (error) {
  check(false, 'the browser steps run to the end', String(error && error.stack || error));
} finally {
  await context.close();
}

// A browser whose language is Chinese shows the Chinese interface.
const browser = await chromium.launch({
  executablePath: options.chromium,
  headless: true,
  args: chromiumArgs,
});
try {
  const chinese = await browser.newContext({ viewport: { width: 360, height: 640 }, locale: 'zh-CN' });
  const page = await chinese.newPage();
  watch(page, 'Chinese page');
  await page.goto(options.url);
  await idle(page);
  sameScreen(await canvasPixels(page), 'chinese', 'navigator.language "zh-CN" gives Chinese');
  const other = await chinese.newPage();
  watch(other, 'second Chinese page');
  await other.goto(options.url);
  await idle(other);
  sameScreen(await canvasPixels(other), 'already_open_zh',
             'a second Chinese page says in Chinese that Zandrel is open in another tab');
} catch (error) {
  check(false, 'the Chinese page runs', String(error && error.stack || error));
} finally {
  await browser.close();
  consoleLog.end();
}

console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
