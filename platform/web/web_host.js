// The browser host: the page's half (an emscripten JS library). The canvas shows the device
// framebuffer; pointer events become the stylus, keys become the desktop host's key codes; sounds
// play through Web Audio; the settings text lives in localStorage; Web Locks keep one copy running.
// Input is only queued here: the program takes it when it waits, so it is handled in order.

mergeInto(LibraryManager.library, {
  $ZandrelWeb: {
    canvas: null,
    context: null,
    image: null,
    pixels: null,  // a 32-bit view of image's bytes
    width: 0,
    height: 0,

    events: [],    // [kind, x, y, key]
    waiter: null,  // ends the program's wait for input
    stroke: null,  // the pointer that holds the stylus
    hover: null,   // the last device point a hovering mouse was reported at

    audio: null,
    clips: null,  // Map: clip id -> Promise of its decoded AudioBuffer
    playing: null,
    soundSerial: 0,

    locks: null,  // Map: lock name -> function that gives it back

    settingsKey: 'zandrel.settings',
    longPressMs: 600,
    // How far (CSS pixels) a press may wander and still be a long press: a finger never keeps
    // perfectly still.
    pressSlop: 8,

    // What the page and its tests can see: window.zandrelWeb.
    status: {
      phase: 'loading',  // running, waiting (for input), sleeping, ended
      pushed: 0,         // input events queued
      taken: 0,          // input events the program has taken
      presents: 0,
      sleeps: [],        // milliseconds of the latest sleeps
      sounds: [],        // the latest sounds asked for: clip ids, 'beep', 'beep 48'
      soundsStarted: [], // the latest sounds that began to play
      soundErrors: 0,    // clips that could not be decoded
      exitCode: null,
      onSleep: null,     // called with the milliseconds as a sleep begins (tests)
    },

    remember: function(list, item) {
      list.push(item);
      if (list.length > 64) list.shift();
    },

    push: function(kind, x, y, key) {
      ZandrelWeb.events.push([kind, x, y, key]);
      ZandrelWeb.status.pushed++;
      var wake = ZandrelWeb.waiter;
      ZandrelWeb.waiter = null;
      if (wake) wake();
    },

    // The device pixel under a pointer event, from the canvas's size on the page.
    devicePoint: function(e) {
      var r = ZandrelWeb.canvas.getBoundingClientRect();
      var clamp = function(v, limit) { return v < 0 ? 0 : v >= limit ? limit - 1 : v; };
      return {
        x: clamp(Math.floor((e.clientX - r.left) * ZandrelWeb.width / r.width), ZandrelWeb.width),
        y: clamp(Math.floor((e.clientY - r.top) * ZandrelWeb.height / r.height),
                 ZandrelWeb.height),
      };
    },

    // Sounds may start only after a gesture: the first press creates (or resumes) the context.
    wakeAudio: function() {
      try {
        if (!ZandrelWeb.audio) {
          var Context = window.AudioContext || window.webkitAudioContext;
          if (!Context) return;
          ZandrelWeb.audio = new Context();
        }
        if (ZandrelWeb.audio.state === 'suspended')
          ZandrelWeb.audio.resume().catch(function() {});
      } catch (e) {
        ZandrelWeb.audio = null;
      }
    },

    stopSound: function() {
      var playing = ZandrelWeb.playing;
      ZandrelWeb.playing = null;
      if (!playing) return;
      try {
        playing.stop();
      } catch (e) {
        // It had ended already.
      }
    },

    // Starts an audio node (until `end`, a context time, when given), replacing what plays.
    startSound: function(node, name, end) {
      ZandrelWeb.stopSound();
      ZandrelWeb.playing = node;
      node.onended = function() {
        if (ZandrelWeb.playing === node) ZandrelWeb.playing = null;
      };
      node.start();
      if (end !== undefined) node.stop(end);
      ZandrelWeb.remember(ZandrelWeb.status.soundsStarted, name);
    },

    // Stylus: a finger's or a pen's press is held back until it moves, lifts or stays still for
    // longPressMs, which makes it the secondary button instead of a tap. A mouse has its right
    // button for that, so its presses go through at once.
    onPointerDown: function(e) {
      ZandrelWeb.wakeAudio();
      if (!e.isPrimary || (e.button !== 0 && e.button !== 2)) return;
      // A new primary press while a stroke is held means that stroke's end was lost.
      if (ZandrelWeb.stroke) {
        if (ZandrelWeb.stroke.id === e.pointerId) return;
        ZandrelWeb.onPointerCancel({pointerId: ZandrelWeb.stroke.id});
      }
      e.preventDefault();
      try {
        ZandrelWeb.canvas.setPointerCapture(e.pointerId);
      } catch (error) {
        // The pointer is gone already; its up or cancel follows.
      }
      var p = ZandrelWeb.devicePoint(e);
      var stroke = {id: e.pointerId, x: p.x, y: p.y, clientX: e.clientX, clientY: e.clientY,
                    secondary: e.button === 2, delivered: false, done: false, timer: 0};
      ZandrelWeb.stroke = stroke;
      if (stroke.secondary) return;
      if (e.pointerType === 'mouse') {
        stroke.delivered = true;
        ZandrelWeb.push(1, p.x, p.y, 0);
        return;
      }
      stroke.timer = setTimeout(function() {
        if (ZandrelWeb.stroke !== stroke || stroke.delivered) return;
        stroke.done = true;
        ZandrelWeb.push(4, stroke.x, stroke.y, 0);
      }, ZandrelWeb.longPressMs);
    },

    onPointerMove: function(e) {
      var stroke = ZandrelWeb.stroke;
      if (!stroke) {
        // A hovering mouse moves the pointer over the board (the hand over playable points).
        if (e.pointerType !== 'mouse' || e.buttons !== 0) return;
        var h = ZandrelWeb.devicePoint(e);
        if (ZandrelWeb.hover && ZandrelWeb.hover.x === h.x && ZandrelWeb.hover.y === h.y) return;
        ZandrelWeb.hover = h;
        ZandrelWeb.push(2, h.x, h.y, 0);
        return;
      }
      if (e.pointerId !== stroke.id || stroke.secondary || stroke.done) return;
      e.preventDefault();
      var p = ZandrelWeb.devicePoint(e);
      if (!stroke.delivered) {
        var dx = e.clientX - stroke.clientX, dy = e.clientY - stroke.clientY;
        if (dx * dx + dy * dy <= ZandrelWeb.pressSlop * ZandrelWeb.pressSlop) return;
        clearTimeout(stroke.timer);
        stroke.delivered = true;
        ZandrelWeb.push(1, stroke.x, stroke.y, 0);
      }
      if (p.x === stroke.x && p.y === stroke.y) return;
      stroke.x = p.x;
      stroke.y = p.y;
      ZandrelWeb.push(2, p.x, p.y, 0);
    },

    onPointerUp: function(e) {
      var stroke = ZandrelWeb.stroke;
      if (!stroke || e.pointerId !== stroke.id) return;
      if (stroke.secondary && e.button !== 2) return;
      e.preventDefault();
      ZandrelWeb.stroke = null;
      clearTimeout(stroke.timer);
      var p = ZandrelWeb.devicePoint(e);
      if (stroke.secondary) {
        ZandrelWeb.push(4, p.x, p.y, 0);
        return;
      }
      if (stroke.done) return;
      if (!stroke.delivered) ZandrelWeb.push(1, stroke.x, stroke.y, 0);
      ZandrelWeb.push(3, p.x, p.y, 0);
    },

    // The browser took the pointer (a system gesture): the stroke ends without a tap.
    onPointerCancel: function(e) {
      var stroke = ZandrelWeb.stroke;
      if (!stroke || e.pointerId !== stroke.id) return;
      clearTimeout(stroke.timer);
      ZandrelWeb.stroke = null;
    },

    // The SDL key symbols of the keys without a character.
    namedKeys: {
      Enter: 13, Escape: 27, Backspace: 8, Tab: 9, Delete: 127,
      F1: 0x4000003A, F2: 0x4000003B, F3: 0x4000003C, F4: 0x4000003D, F5: 0x4000003E,
      F6: 0x4000003F, F7: 0x40000040, F8: 0x40000041, F9: 0x40000042, F10: 0x40000043,
      F11: 0x40000044, F12: 0x40000045, Insert: 0x40000049, Home: 0x4000004A,
      PageUp: 0x4000004B, End: 0x4000004D, PageDown: 0x4000004E, ArrowRight: 0x4000004F,
      ArrowLeft: 0x40000050, ArrowDown: 0x40000051, ArrowUp: 0x40000052,
    },
    keypadKeys: {
      NumpadEnter: 0x40000058, Numpad1: 0x40000059, Numpad2: 0x4000005A, Numpad3: 0x4000005B,
      Numpad4: 0x4000005C, Numpad5: 0x4000005D, Numpad6: 0x4000005E, Numpad7: 0x4000005F,
      Numpad8: 0x40000060, Numpad9: 0x40000061, Numpad0: 0x40000062,
    },

    // The desktop host's code for a key press, or 0 for keys the program does not take.
    keyCode: function(e) {
      if (ZandrelWeb.keypadKeys.hasOwnProperty(e.code) &&
          (e.code === 'NumpadEnter' || /^[0-9]$/.test(e.key)))
        return ZandrelWeb.keypadKeys[e.code];
      if (ZandrelWeb.namedKeys.hasOwnProperty(e.key)) return ZandrelWeb.namedKeys[e.key];
      var chars = Array.from(e.key);
      if (chars.length !== 1) return 0;
      var c = chars[0].codePointAt(0);
      if (c < 0x20 || c === 0x7f) return 0;
      // Letters as their key's symbol, which is the small letter (Shift does not change it).
      if (c >= 0x41 && c <= 0x5a) c += 0x20;
      return c;
    },

    onKeyDown: function(e) {
      if (e.isComposing || e.ctrlKey || e.metaKey) return;
      var code = ZandrelWeb.keyCode(e);
      if (code === 0) return;
      // Function keys keep their browser meaning (reload, developer tools) as well.
      if (!/^F[0-9]+$/.test(e.key)) e.preventDefault();
      ZandrelWeb.wakeAudio();
      ZandrelWeb.push(5, 0, 0, e.altKey ? (code | (1 << 29)) : code);
    },
  },

  // The library object is written out as text, so its Maps are made when the page runs.
  $ZandrelWeb__postset: 'ZandrelWeb.clips = new Map(); ZandrelWeb.locks = new Map();',

  zandrel_web_start__deps: ['$ZandrelWeb'],
  zandrel_web_start: function(width, height) {
    var canvas = document.getElementById('screen');
    var context = canvas && canvas.getContext('2d', {alpha: false});
    if (!context) {
      err('zandrel: the page has no canvas with id "screen"');
      return 0;
    }
    ZandrelWeb.canvas = canvas;
    ZandrelWeb.context = context;
    ZandrelWeb.width = width;
    ZandrelWeb.height = height;
    canvas.width = width;
    canvas.height = height;
    // The largest size that fits the viewport with the device's aspect; pixels stay square.
    // dvh leaves out a phone browser's address bar; a browser without it keeps the vh size.
    ['vh', 'dvh'].forEach(function(unit) {
      canvas.style.width = 'min(100vw, calc(100' + unit + ' * ' + width + ' / ' + height + '))';
      canvas.style.height = 'min(100' + unit + ', calc(100vw * ' + height + ' / ' + width + '))';
    });
    ZandrelWeb.image = context.createImageData(width, height);
    ZandrelWeb.pixels = new Uint32Array(ZandrelWeb.image.data.buffer);
    ZandrelWeb.pixels.fill(0xff000000);

    canvas.addEventListener('pointerdown', ZandrelWeb.onPointerDown);
    canvas.addEventListener('pointermove', ZandrelWeb.onPointerMove);
    canvas.addEventListener('pointerup', ZandrelWeb.onPointerUp);
    canvas.addEventListener('pointercancel', ZandrelWeb.onPointerCancel);
    canvas.addEventListener('lostpointercapture', ZandrelWeb.onPointerCancel);
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    canvas.addEventListener('pointerleave', function() { ZandrelWeb.hover = null; });
    window.addEventListener('keydown', ZandrelWeb.onKeyDown);
    window.addEventListener('focus', function() { ZandrelWeb.push(8, 0, 0, 1); });
    window.addEventListener('blur', function() { ZandrelWeb.push(8, 0, 0, 0); });
    // A tab is closed or reloaded without the quit command: the program keeps its settings then.
    var hidden = function() {
      if (ZandrelWeb.status.phase === 'ended') return;
      try {
        Module['_zandrel_web_page_hidden']();
      } catch (e) {
        err('zandrel: settings not saved: ' + e);
      }
    };
    window.addEventListener('pagehide', hidden);
    document.addEventListener('visibilitychange', function() {
      if (document.visibilityState === 'hidden') hidden();
    });
    window['zandrelWeb'] = ZandrelWeb.status;
    ZandrelWeb.status.phase = 'running';
    return 1;
  },

  zandrel_web_poll_event__deps: ['$ZandrelWeb'],
  zandrel_web_poll_event: function(fields) {
    var e = ZandrelWeb.events.shift();
    if (!e) return 0;
    ZandrelWeb.status.taken++;
    HEAP32.set(e, fields >> 2);
    return 1;
  },

  zandrel_web_wait_event__deps: ['$ZandrelWeb', '$Asyncify'],
  zandrel_web_wait_event: function() {
    return Asyncify.handleAsync(function() {
      return new Promise(function(resolve) {
        if (ZandrelWeb.events.length > 0) {
          resolve();
          return;
        }
        ZandrelWeb.status.phase = 'waiting';
        ZandrelWeb.waiter = function() {
          ZandrelWeb.status.phase = 'running';
          resolve();
        };
      });
    });
  },

  zandrel_web_present__deps: ['$ZandrelWeb'],
  zandrel_web_present: function(source, width, left, top, right, bottom) {
    // 0x00RRGGBB words become the canvas's R, G, B, A bytes: on a little-endian view that is
    // 0xAABBGGRR.
    var pixels = ZandrelWeb.pixels;
    var heap = HEAPU32;
    var base = source >> 2;
    for (var y = top; y < bottom; ++y) {
      var row = y * width;
      for (var x = left; x < right; ++x) {
        var p = heap[base + row + x];
        pixels[row + x] = 0xff000000 | ((p & 0xff) << 16) | (p & 0xff00) | ((p >> 16) & 0xff);
      }
    }
    ZandrelWeb.context.putImageData(ZandrelWeb.image, 0, 0, left, top, right - left, bottom - top);
    ZandrelWeb.status.presents++;
  },

  zandrel_web_sleeping__deps: ['$ZandrelWeb'],
  zandrel_web_sleeping: function(milliseconds) {
    var status = ZandrelWeb.status;
    ZandrelWeb.remember(status.sleeps, milliseconds);
    status.phase = 'sleeping';
    if (status.onSleep) status.onSleep(milliseconds);
  },

  zandrel_web_awake__deps: ['$ZandrelWeb'],
  zandrel_web_awake: function() {
    ZandrelWeb.status.phase = 'running';
  },

  zandrel_web_set_cursor__deps: ['$ZandrelWeb'],
  zandrel_web_set_cursor: function(cursor, visible) {
    if (!ZandrelWeb.canvas) return;
    ZandrelWeb.canvas.style.cursor = !visible ? 'none' : ['default', 'pointer', 'wait'][cursor] ||
                                                         'default';
  },

  zandrel_web_play_wave__deps: ['$ZandrelWeb'],
  zandrel_web_play_wave: function(clipId, data, size) {
    var audio = ZandrelWeb.audio;
    if (!audio) return 0;
    var serial = ++ZandrelWeb.soundSerial;
    ZandrelWeb.stopSound();
    ZandrelWeb.remember(ZandrelWeb.status.sounds, String(clipId));
    var clip = ZandrelWeb.clips.get(clipId);
    if (!clip) {
      // decodeAudioData takes the buffer over, so it gets a copy of the clip's bytes.
      var bytes = HEAPU8.slice(data, data + size);
      clip = new Promise(function(resolve, reject) {
        var decoding = audio.decodeAudioData(bytes.buffer, resolve, reject);
        if (decoding && decoding.catch) decoding.catch(function() {});
      });
      ZandrelWeb.clips.set(clipId, clip);
      clip.catch(function() {
        ZandrelWeb.clips.delete(clipId);
        ZandrelWeb.status.soundErrors++;
      });
    }
    clip.then(function(buffer) {
      // A later sound replaced this one while it was being decoded.
      if (serial !== ZandrelWeb.soundSerial) return;
      var node = audio.createBufferSource();
      node.buffer = buffer;
      node.connect(audio.destination);
      ZandrelWeb.startSound(node, String(clipId));
    }, function() {});
    return 1;
  },

  zandrel_web_beep__deps: ['$ZandrelWeb'],
  zandrel_web_beep: function(kind) {
    var audio = ZandrelWeb.audio;
    if (!audio) return;
    ++ZandrelWeb.soundSerial;
    var name = kind === 0 ? 'beep' : 'beep ' + kind;
    ZandrelWeb.remember(ZandrelWeb.status.sounds, name);
    // The exclamation beep is lower and longer, as on the desktop.
    var exclamation = kind === 0x30;
    var seconds = exclamation ? 0.18 : 0.1;
    var now = audio.currentTime;
    var tone = audio.createOscillator();
    tone.frequency.value = exclamation ? 660 : 880;
    var gain = audio.createGain();
    gain.gain.setValueAtTime(0, now);
    gain.gain.linearRampToValueAtTime(0.25, now + 0.005);
    gain.gain.setValueAtTime(0.25, now + seconds - 0.005);
    gain.gain.linearRampToValueAtTime(0, now + seconds);
    tone.connect(gain);
    gain.connect(audio.destination);
    ZandrelWeb.startSound(tone, name, now + seconds);
  },

  zandrel_web_language: function() {
    var language = (typeof navigator === 'object' && navigator.language) || '';
    return language.toLowerCase().startsWith('zh') ? 4 : 9;
  },

  zandrel_web_load_settings__deps: ['$ZandrelWeb'],
  zandrel_web_load_settings: function(buffer, capacity) {
    var text;
    try {
      text = window.localStorage.getItem(ZandrelWeb.settingsKey);
    } catch (e) {
      return -1;  // storage refused (privacy settings): as on a first run
    }
    if (text === null) return -1;
    var bytes = new TextEncoder().encode(text);
    if (capacity <= 0 || bytes.length > capacity - 1) return -2;
    HEAPU8.set(bytes, buffer);
    return bytes.length;
  },

  zandrel_web_save_settings__deps: ['$ZandrelWeb'],
  zandrel_web_save_settings: function(text, length) {
    try {
      var decoded = new TextDecoder('utf-8', {fatal: true}).decode(HEAPU8.subarray(text, text +
                                                                                   length));
      window.localStorage.setItem(ZandrelWeb.settingsKey, decoded);
      return 1;
    } catch (e) {
      return 0;
    }
  },

  zandrel_web_claim_instance__deps: ['$ZandrelWeb', '$Asyncify'],
  zandrel_web_claim_instance: function(name) {
    var lockName = UTF16ToString(name);
    return Asyncify.handleAsync(function() {
      if (ZandrelWeb.locks.has(lockName)) return Promise.resolve(0);
      // Without Web Locks (an old browser, a page opened from a file) nothing can be shared:
      // this tab runs on its own.
      if (typeof navigator !== 'object' || !navigator.locks) return Promise.resolve(0);
      return new Promise(function(resolve) {
        navigator.locks.request(lockName, {ifAvailable: true}, function(lock) {
          if (!lock) {
            resolve(1);
            return null;
          }
          resolve(0);
          // Held until the program ends or the page goes.
          return new Promise(function(release) { ZandrelWeb.locks.set(lockName, release); });
        }).catch(function() { resolve(0); });
      });
    });
  },

  zandrel_web_release_instance__deps: ['$ZandrelWeb'],
  zandrel_web_release_instance: function() {
    ZandrelWeb.locks.forEach(function(release) { release(); });
    ZandrelWeb.locks.clear();
  },

  zandrel_web_instance_held_elsewhere__deps: ['$ZandrelWeb', '$Asyncify'],
  zandrel_web_instance_held_elsewhere: function(name) {
    var lockName = UTF16ToString(name);
    return Asyncify.handleAsync(function() {
      if (ZandrelWeb.locks.has(lockName)) return Promise.resolve(0);
      if (typeof navigator !== 'object' || !navigator.locks) return Promise.resolve(0);
      return navigator.locks.query().then(function(state) {
        return state.held.some(function(lock) { return lock.name === lockName; }) ? 1 : 0;
      }, function() { return 0; });
    });
  },

  zandrel_web_program_ended__deps: ['$ZandrelWeb', 'zandrel_web_release_instance'],
  zandrel_web_program_ended: function(code) {
    _zandrel_web_release_instance();
    ZandrelWeb.status.exitCode = code;
    ZandrelWeb.status.phase = 'ended';
    // A tab cannot close itself: say that the program has ended rather than look frozen.
    var note = document.getElementById('note');
    if (note) {
      note.textContent = 'Zandrel has ended. Reload the page to start it again.';
      note.hidden = false;
    }
  },
});
