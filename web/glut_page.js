// GLUT's window on a web page, in place of Emscripten's own window handling. The page (shell.html)
// owns the document: it sizes the canvas, takes the input meant for the picture and shows what the
// program reports. The program runs either in a worker of its own, with the canvas handed over to
// it (an OffscreenCanvas), or on the page's thread; either way the two speak in the same messages,
// taken one at a time and in order:
//   to the program    {mouse: [button, state, x, y]} (GLUT's numbers, window pixels)
//                     {size: [width, height]}        (the backing store, in device pixels)
//   from the program  {window: [width, height]}      (glutInitWindowSize, in CSS pixels)
//                     {frame: {drawn, figure, depth, ceiling}}, after every frame
//                     {context: 'lost'}, {context: 'restored'}
// Module.report carries the program's messages to the page; messages for the program that come
// before it is ready wait in Module.pending, and are taken in order once it is.
mergeInto(LibraryManager.library, {
  glutInit__deps: ['$GLUT', 'glutPostRedisplay'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    var canvas = Module['canvas'];
    var report = Module['report'];
    GLUT.receive = function(message) {
      if (message.mouse) {
        var m = message.mouse;
        if (GLUT.mouseFunc) {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(m[0], m[1], m[2], m[3]);
      } else if (message.size) {
        // GLUT's default reshape: the whole of the new backing store for the picture.
        var width = message.size[0], height = message.size[1];
        if (width === canvas.width && height === canvas.height) return;
        canvas.width = width;
        canvas.height = height;
        Module['_glLayerCanvasCleared']();
        if (Module.ctx) {
          Module.ctx.viewport(0, 0, width, height);
          _glutPostRedisplay();
        }
      }
    };
    Module['onFrameFlushed'] = function(drawn) {
      report({ frame: { drawn: drawn, figure: Module['_viewFigure'](), depth: Module['_viewDepth'](),
                        ceiling: Module['_viewDepthCeiling']() } });
    };
    // A lost WebGL context (a driver reset, a sleeping laptop, too many tabs) is given back by the
    // browser only if asked for. Meanwhile input changes the state as usual; once it is back, the
    // layer makes its WebGL objects anew and the picture of the state is drawn.
    canvas.addEventListener('webglcontextlost', function(event) {
      event.preventDefault();
      Module['_glLayerCanvasCleared']();
      report({ context: 'lost' });
    });
    canvas.addEventListener('webglcontextrestored', function() {
      Module['_glLayerContextRestored']();
      report({ context: 'restored' });
      _glutPostRedisplay();
    });
  },

  // The window's WebGL context, with GLUT's attributes (single-buffered RGB: no depth, stencil,
  // alpha or antialiasing), taken without Emscripten's Browser, whose set-up needs a document,
  // which a worker has not. The page, or the worker's start, has made it on the canvas already
  // (Module.webGLContext), and it is not asked for again: Firefox refuses a second getContext on an
  // OffscreenCanvas in a worker.
  glutCreateWindow__deps: ['$GL', '$GLUT'],
  glutCreateWindow: function(name) {
    var mode = GLUT.initDisplayMode;
    var attributes = { antialias: (mode & 0x0080) != 0, depth: (mode & 0x0010) != 0,
                       stencil: (mode & 0x0020) != 0, alpha: (mode & 0x0008) != 0, majorVersion: 1 };
    var context = Module['webGLContext'] || Module['canvas'].getContext('webgl', attributes);
    if (!context) return 0;
    var handle = GL.registerContext(context, attributes);
    GL.makeContextCurrent(handle);
    Module.ctx = GL.currentContext.GLctx;
    return 1;
  },

  // The page gives the canvas this size in CSS pixels (less on a narrow screen, always of this
  // shape) and tells the program the backing store's size in device pixels.
  glutInitWindowSize__deps: ['$GLUT'],
  glutInitWindowSize: function(width, height) {
    GLUT.initWindowWidth = width;
    GLUT.initWindowHeight = height;
    Module['report']({ window: [width, height] });
  },

  // The first frame, as GLUT's default reshape draws a new window: the viewport covers the
  // backing store at the size it has now. Then the input that came early, in order.
  glutMainLoop__deps: ['glutPostRedisplay'],
  glutMainLoop: function() {
    if (Module.ctx) Module.ctx.viewport(0, 0, Module['canvas'].width, Module['canvas'].height);
    _glutPostRedisplay();
    var pending = Module['pending'] || [];
    Module['pending'] = null;
    Module['receive'] = GLUT.receive;
    pending.forEach(GLUT.receive);
    throw 'unwind';
  },
});
