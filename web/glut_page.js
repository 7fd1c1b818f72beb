// GLUT's window on a web page, in place of Emscripten's own window handling: the canvas keeps
// the window's size in CSS pixels (less on a narrow screen, always square) with a backing store in
// device pixels, and only input meant for the picture reaches the mouse callback, as under X:
// presses on the canvas, the release of a press that began there wherever it ends, wheel turns
// over it, and the page's Deeper, Shallower and Other figure buttons (data-glut-button). A lost
// WebGL context is asked back and, once back, drawn again.
mergeInto(LibraryManager.library, {
  glutInit__deps: ['$GLUT', 'glutPostRedisplay'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    var canvas = Module['canvas'];
    var GLUT_DOWN = 0, GLUT_UP = 1;
    // DOM buttons 0 to 2 are GLUT's left, middle and right; back and forward are X's 8 and 9.
    var glutButton = function(domButton) { return domButton < 3 ? domButton : domButton + 4; };
    var send = function(button, state, x, y) {
      if (GLUT.mouseFunc) {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(button, state, x, y);
    };
    // The pointer in window pixels (CSS pixels of the canvas); the program does not read it.
    var sendAt = function(button, state, event) {
      var box = canvas.getBoundingClientRect();
      send(button, state, Math.floor(event.clientX - box.left), Math.floor(event.clientY - box.top));
    };

    var held = 0; // DOM buttons whose press began on the canvas
    canvas.addEventListener('mousedown', function(event) {
      event.preventDefault(); // no text selection, no middle-button autoscroll
      held |= 1 << event.button;
      sendAt(glutButton(event.button), GLUT_DOWN, event);
    });
    window.addEventListener('mouseup', function(event) {
      if (held & (1 << event.button)) {
        held &= ~(1 << event.button);
        sendAt(glutButton(event.button), GLUT_UP, event);
      }
    }, true);
    // As under X, a notch is a press and a release of button 3 (up), 4 (down), 5 (left) or 6
    // (right). The page still scrolls: the program makes nothing of the wheel.
    canvas.addEventListener('wheel', function(event) {
      var buttons = [];
      if (event.deltaY) buttons.push(event.deltaY < 0 ? 3 : 4);
      if (event.deltaX) buttons.push(event.deltaX < 0 ? 5 : 6);
      buttons.forEach(function(button) {
        sendAt(button, GLUT_DOWN, event);
        sendAt(button, GLUT_UP, event);
      });
    }, { passive: true });
    canvas.addEventListener('contextmenu', function(event) { event.preventDefault(); });

    document.querySelectorAll('[data-glut-button]').forEach(function(control) {
      var button = Number(control.dataset['glutButton']);
      // At the middle of the window, as a click of that button there would be.
      control.addEventListener('click', function() {
        var x = Math.floor(canvas.clientWidth / 2), y = Math.floor(canvas.clientHeight / 2);
        send(button, GLUT_DOWN, x, y);
        send(button, GLUT_UP, x, y);
      });
    });

    // The backing store follows the canvas's size in device pixels, and GLUT's default reshape
    // gives the whole of it to the picture. The size is worked out from CSS pixels, as emulated
    // pixel ratios do not scale the device-pixel box; that box is watched where the browser has
    // it, so that a zoom or another screen is seen too, and elsewhere (WebKit) the CSS box and a
    // media query on the pixel ratio are.
    var resize = function() {
      var box = canvas.getBoundingClientRect();
      var width = Math.round(box.width * devicePixelRatio), height = Math.round(box.height * devicePixelRatio);
      if (width === canvas.width && height === canvas.height) return;
      canvas.width = width;
      canvas.height = height;
      if (Module.ctx) {
        Module.ctx.viewport(0, 0, width, height);
        _glutPostRedisplay();
      }
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
    if (typeof ResizeObserver === 'undefined') {
      window.addEventListener('resize', resize);
      watchPixelRatio();
    } else {
      try {
        new ResizeObserver(resize).observe(canvas, { box: 'device-pixel-content-box' });
      } catch (unsupported) {
        new ResizeObserver(resize).observe(canvas);
        watchPixelRatio();
      }
    }

    // A lost WebGL context (a driver reset, a sleeping laptop, too many tabs) is given back by the
    // browser only if the page asks for it. Meanwhile input changes the state as usual; once it is
    // back, the layer makes its WebGL objects anew and the picture of the state is drawn.
    var lostNote = document.getElementById('context-lost');
    canvas.addEventListener('webglcontextlost', function(event) {
      event.preventDefault();
      if (lostNote) lostNote.hidden = false;
    });
    canvas.addEventListener('webglcontextrestored', function() {
      Module['_glLayerContextRestored']();
      if (lostNote) lostNote.hidden = true;
      _glutPostRedisplay();
    });
  },

  glutInitWindowSize__deps: ['$GLUT'],
  glutInitWindowSize: function(width, height) {
    var canvas = Module['canvas'];
    GLUT.initWindowWidth = width;
    GLUT.initWindowHeight = height;
    canvas.style.width = width + 'px';
    canvas.style.aspectRatio = width + ' / ' + height;
    canvas.width = Math.round(width * devicePixelRatio);
    canvas.height = Math.round(height * devicePixelRatio);
  },

  // The first frame. As GLUT's default reshape does for a new window, the viewport covers the
  // canvas at the size it has now, whatever size its context was made at.
  glutMainLoop__deps: ['glutPostRedisplay'],
  glutMainLoop: function() {
    if (Module.ctx) Module.ctx.viewport(0, 0, Module['canvas'].width, Module['canvas'].height);
    _glutPostRedisplay();
    throw 'unwind';
  },
});
