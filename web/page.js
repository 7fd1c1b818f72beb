// The page's program: sizes the canvas, takes the input meant for the picture, starts the viewer
// in a worker of its own (or, where the browser cannot draw WebGL there, on the page's thread) and
// shows what it reports. Inlined into the page at build time, after the program's facts
// (program_facts.mjs: GLUT, WEBGL_CONTEXT_ATTRIBUTES, statusText, ...), in one scope with them. The
// messages are those of glut_page.js.

// What the page shows of the program, also for the tests and the curious: how it runs ('worker'
// or 'page', as on the canvas's data-runs), the backing store's size in device pixels, how many
// frames were flushed and how many drawn, and whether it has started.
window.viewer = { runs: null, width: 0, height: 0, framesFlushed: 0, framesDrawn: 0, started: false };
(function() {
  var canvas = document.getElementById('canvas');
  var status = document.getElementById('status');
  var lostNote = document.getElementById('context-lost');
  var deeper = document.querySelector('[data-glut-button="' + GLUT.LEFT_BUTTON + '"]');
  var shallower = document.querySelector('[data-glut-button="' + GLUT.RIGHT_BUTTON + '"]');

  // How the program runs, and so where input goes: 'early' (not yet running: input waits in
  // `early`), 'worker' (to the worker) or 'page' (to the program on this thread).
  var mode = 'early';
  var early = [];
  var worker = null, workerUrl = null, spare = null;
  var send = function(message) {
    if (mode === 'worker') {
      worker.postMessage(message);
    } else if (mode === 'page' && Module.receive) {
      Module.receive(message);
    } else {
      early.push(message); // the program on the page takes Module.pending (this list) when it starts
    }
  };
  var runs = function(how) {
    viewer.runs = how;
    canvas.dataset.runs = how;
  };

  // Instead of the picture, its buttons and their explanation, a message saying why there are none.
  var showMessage = function(id) {
    [canvas, status, document.querySelector('.controls'), document.getElementById('help')].forEach(function(e) {
      e.hidden = true;
    });
    document.getElementById(id).hidden = false;
  };
  // Whatever stops the program is said, before or after its first frame: the first reason given
  // (an abort's own, rather than the error it then throws).
  var failed = false;
  var fail = function(what) {
    if (failed) return;
    failed = true;
    var message = document.getElementById('start-failed');
    message.querySelector('.what').textContent = viewer.started ? 'The viewer stopped' : 'The viewer could not start';
    message.querySelector('.why').textContent = String(what);
    viewer.started = true;
    showMessage('start-failed');
  };

  // What the program reports.
  var receive = function(message) {
    if (message.window) {
      canvas.style.width = message.window[0] + 'px';
      canvas.style.aspectRatio = message.window[0] + ' / ' + message.window[1];
      resize();
    } else if (message.frame) {
      var frame = message.frame;
      viewer.started = true;
      ++viewer.framesFlushed;
      if (frame.drawn) ++viewer.framesDrawn;
      var text = statusText(frame.figure, frame.depth, frame.ceiling);
      if (status.textContent !== text) status.textContent = text;
      deeper.setAttribute('aria-disabled', String(frame.depth >= frame.ceiling));
      shallower.setAttribute('aria-disabled', String(frame.depth <= 0));
    } else if (message.context) {
      lostNote.hidden = message.context !== 'lost';
    } else if (message.failed) {
      fail(message.failed);
    } else if (message.noWebGL) {
      fallBackToPage();
    }
  };

  // The backing store follows the canvas's size in device pixels. The size is worked out from CSS
  // pixels, as emulated pixel ratios do not scale the device-pixel box; that box is watched where
  // the browser has it, so that a zoom or another screen is seen too, and elsewhere (WebKit) the
  // CSS box and a media query on the pixel ratio are.
  var resize = function() {
    var box = canvas.getBoundingClientRect();
    var width = Math.round(box.width * devicePixelRatio), height = Math.round(box.height * devicePixelRatio);
    if (!width || !height || (width === viewer.width && height === viewer.height)) return;
    viewer.width = width;
    viewer.height = height;
    send({ size: [width, height] });
  };
  var watchPixelRatio = function() {
    var query = matchMedia('(resolution: ' + devicePixelRatio + 'dppx)');
    var changed = function() {
      query.removeEventListener ? query.removeEventListener('change', changed) : query.removeListener(changed);
      resize();
      watchPixelRatio();
    };
    query.addEventListener ? query.addEventListener('change', changed) : query.addListener(changed);
  };
  var observer = null;
  var watchSize = function() {
    if (typeof ResizeObserver === 'undefined') {
      if (!observer) {
        observer = true;
        window.addEventListener('resize', resize);
        watchPixelRatio();
      }
      return;
    }
    if (observer) observer.disconnect();
    observer = new ResizeObserver(resize);
    try {
      observer.observe(canvas, { box: 'device-pixel-content-box' });
    } catch (unsupported) {
      observer.observe(canvas);
      watchPixelRatio();
    }
  };

  // Only input meant for the picture reaches the program, as under X: presses on the canvas, the
  // release of a press that began there wherever it ends, and the page's Deeper, Shallower and
  // Other figure buttons. The wheel scrolls the page.
  // DOM buttons 0 to 2 are GLUT's left, middle and right; back and forward are X's 8 and 9.
  var glutButton = function(domButton) {
    return domButton < 3 ? [GLUT.LEFT_BUTTON, GLUT.MIDDLE_BUTTON, GLUT.RIGHT_BUTTON][domButton] : domButton + 4;
  };
  // The pointer in window pixels (CSS pixels of the canvas); the program does not read it.
  var at = function(event) {
    var box = canvas.getBoundingClientRect();
    return [Math.floor(event.clientX - box.left), Math.floor(event.clientY - box.top)];
  };
  var held = 0; // DOM buttons whose press began on the canvas
  var picture = document.querySelector('.picture');
  picture.addEventListener('mousedown', function(event) {
    if (event.target !== canvas) return;
    event.preventDefault(); // no text selection, no middle-button autoscroll
    held |= 1 << event.button;
    send({ mouse: [glutButton(event.button), GLUT.DOWN].concat(at(event)) });
  });
  window.addEventListener('mouseup', function(event) {
    if (held & (1 << event.button)) {
      held &= ~(1 << event.button);
      send({ mouse: [glutButton(event.button), GLUT.UP].concat(at(event)) });
    }
  }, true);
  picture.addEventListener('contextmenu', function(event) {
    if (event.target === canvas) event.preventDefault();
  });
  document.querySelectorAll('[data-glut-button]').forEach(function(control) {
    var button = Number(control.dataset['glutButton']);
    // At the middle of the window, as a click of that button there would be.
    control.addEventListener('click', function() {
      var x = Math.floor(canvas.clientWidth / 2), y = Math.floor(canvas.clientHeight / 2);
      send({ mouse: [button, GLUT.DOWN, x, y] });
      send({ mouse: [button, GLUT.UP, x, y] });
    });
  });

  var programText = function(id) {
    return document.getElementById(id).content.querySelector('script').textContent;
  };
  // The backing store the program starts with: the canvas's size in device pixels now.
  var sizeBackingStore = function() {
    viewer.width = viewer.height = 0;
    resize();
    canvas.width = viewer.width || canvas.width;
    canvas.height = viewer.height || canvas.height;
  };

  // In a worker of its own, with the canvas handed over to it, so that no frame blocks the page.
  // Input stays early until the worker's program speaks, which it does only with WebGL: should the
  // worker have none, the input is still here for the program on the page.
  var startInWorker = function() {
    spare = canvas.cloneNode(false); // for the page, should the worker have no WebGL
    var offscreen = null;
    try {
      sizeBackingStore();
      var attributes = 'var WEBGL_CONTEXT_ATTRIBUTES = ' + JSON.stringify(WEBGL_CONTEXT_ATTRIBUTES) + ';\n';
      workerUrl = URL.createObjectURL(new Blob([attributes, programText('worker-start'), programText('program')], { type: 'text/javascript' }));
      worker = new Worker(workerUrl);
      offscreen = canvas.transferControlToOffscreen();
      worker.postMessage({ canvas: offscreen }, [offscreen]);
    } catch (refused) {
      if (worker) worker.terminate();
      if (workerUrl) URL.revokeObjectURL(workerUrl);
      if (offscreen) useSpareCanvas();
      worker = null;
      return false;
    }
    runs('worker');
    worker.onmessage = function(event) {
      if (mode === 'early' && !event.data.noWebGL) {
        mode = 'worker';
        early.splice(0).forEach(send);
      }
      receive(event.data);
    };
    worker.onerror = function(event) { fail(event.message); };
    return true;
  };
  var useSpareCanvas = function() {
    canvas.replaceWith(spare);
    canvas = spare;
  };
  // The worker has no WebGL: on a fresh canvas, on the page.
  var fallBackToPage = function() {
    worker.terminate();
    URL.revokeObjectURL(workerUrl);
    worker = null;
    useSpareCanvas();
    watchSize();
    startOnPage();
  };

  // On the page's thread, where a browser cannot draw WebGL in a worker.
  var startOnPage = function() {
    // The picture's own context, with the attributes GLUT asks for (single-buffered RGB, no
    // depth, alpha or antialiasing), which GLUT then finds in place: a context is dear to make.
    var context = canvas.getContext('webgl', WEBGL_CONTEXT_ATTRIBUTES);
    if (!context) {
      showMessage('no-webgl');
      return;
    }
    runs('page');
    sizeBackingStore();
    mode = 'page';
    window.Module = { canvas: canvas, webGLContext: context, pending: early, report: receive, onAbort: fail };
    window.addEventListener('error', function(event) { fail(event.message); });
    window.addEventListener('unhandledrejection', function(event) { fail(event.reason); });
    // In a task of its own, so that no one task blocks the page for long.
    setTimeout(function() {
      var program = document.createElement('script');
      program.textContent = programText('program');
      document.body.appendChild(program);
    });
  };

  var start = function() {
    if (typeof WebAssembly !== 'object') {
      showMessage('no-webassembly');
      return;
    }
    var workerCanDraw = typeof Worker === 'function' && typeof OffscreenCanvas === 'function' &&
      typeof canvas.transferControlToOffscreen === 'function';
    if (!(workerCanDraw && startInWorker())) startOnPage();
  };
  watchSize();
  // After the next paint: an animation frame comes just before it, a task after.
  requestAnimationFrame(function() { setTimeout(start); });
})();
