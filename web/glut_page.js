// GLUT's window on a web page, in place of Emscripten's own window handling. The page (page.js)
// owns the document: it sizes the canvas, takes the input meant for the picture and shows what the
// program reports. The program runs either in a worker of its own, with the canvas handed over to
// it (an OffscreenCanvas), or on the page's thread; either way the two speak in the same messages,
// taken one at a time and in order. This is the whole protocol:
//   page to worker    {canvas: OffscreenCanvas}         (first, transferred; the worker's start
//                                                         makes the WebGL context on it)
//   to the program    {mouse: [button, state, x, y]}    (GLUT's numbers, window pixels)
//                     {size: [width, height]}           (the backing store, in device pixels)
//   worker to page    {noWebGL: true}                   (the worker has no WebGL; it closes, and
//                                                         the page runs the program itself)
//   from the program  {window: [width, height]}         (glutInitWindowSize, in CSS pixels)
//                     {frame: {drawn, figure, depth, ceiling}}, after every frame
//                     {context: 'lost'}, {context: 'restored'}
//                     {failed: reason}                  (the program stopped: an abort's reason,
//                                                         or an error in the worker)
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

  // The window's WebGL context, taken without Emscripten's Browser, whose set-up needs a document,
  // which a worker has not. The page, or the worker's start, has made it on the canvas already
  // with GLUT's attributes (Module.webGLContext), and it is not asked for again: Firefox refuses a
  // second getContext on an OffscreenCanvas in a worker.
  glutCreateWindow__deps: ['$GL', '$GLUT'],
  glutCreateWindow: function(name) {
    var context = Module['webGLContext'];
    if (!context) return 0;
    var handle = GL.registerContext(context, Object.assign({ majorVersion: 1 }, context.getContextAttributes()));
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

  // A redisplay as GLUT has it, one frame at the next animation frame however many are asked for,
  // and after the frame a report of what it showed: whether the GL layer drew it (or found it
  // shown already) and the view state it drew.
  glutPostRedisplay__deps: ['$GLUT', '$Browser'],
  glutPostRedisplay: function() {
    if (!GLUT.displayFunc || GLUT.requestedAnimationFrame) return;
    GLUT.requestedAnimationFrame = true;
    Browser.requestAnimationFrame(function() {
      GLUT.requestedAnimationFrame = false;
      Browser.mainLoop.runIter(function() {
        {{{ makeDynCall('v', 'GLUT.displayFunc') }}}();
        Module['report']({ frame: { drawn: !!Module['_glLayerLastFrameDrawn'](), figure: Module['_viewFigure'](),
                                    depth: Module['_viewDepth'](), ceiling: Module['_viewDepthCeiling']() } });
      });
    });
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
