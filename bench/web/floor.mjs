// What the web benchmarks share: the floor pages' WebGL, and the median they report.

// The floor pages' raw WebGL1, run in the page (pass it as source): a context on the canvas with
// the given attributes and the layer's own shader, the world square [-2, 2] x [-2, 2] on it,
// drawing black, clearing blue, with one vertex buffer bound to the position. Returns the context.
export function rawWebGl(canvas, attributes) {
  const gl = canvas.getContext('webgl', attributes);
  const compile = (type, source) => {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    return shader;
  };
  const program = gl.createProgram();
  gl.attachShader(program, compile(gl.VERTEX_SHADER, 'attribute vec2 position;' +
    'attribute vec4 columnX, columnY, columnW, colour; varying vec4 fragmentColour;' +
    'void main() { gl_Position = columnX * position.x + columnY * position.y + columnW; fragmentColour = colour; }'));
  gl.attachShader(program, compile(gl.FRAGMENT_SHADER,
    'precision mediump float; varying vec4 fragmentColour; void main() { gl_FragColor = fragmentColour; }'));
  ['position', 'columnX', 'columnY', 'columnW', 'colour'].forEach((name, index) => gl.bindAttribLocation(program, index, name));
  gl.linkProgram(program);
  gl.useProgram(program);
  gl.vertexAttrib4f(1, 0.5, 0, 0, 0);
  gl.vertexAttrib4f(2, 0, 0.5, 0, 0);
  gl.vertexAttrib4f(3, 0, 0, 0, 1);
  gl.vertexAttrib4f(4, 0, 0, 0, 1);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.enableVertexAttribArray(0);
  gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 8, 0);
  gl.clearColor(0, 0, 1, 1);
  return gl;
}

export const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
