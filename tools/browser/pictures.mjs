// The pictures the page must show are the desktop program's own: references that scripts/web.sh
// renders from the real viewer on Xvfb before the tests (REFERENCE_DIR/arrowhead-<depth>.png,
// carpet-<depth>.png, 500 x 500). The program's colours are exact in every engine; the lines
// themselves may be rasterised a pixel or two apart from Mesa's.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { PNG } from 'pngjs';

export const BLUE = [0, 0, 255];
export const BLACK = [0, 0, 0];

const same = (a, b) => a[0] === b[0] && a[1] === b[1] && a[2] === b[2];

// A picture of 8-bit RGB pixels, row by row from the top.
export function picture(width, height, pixels) {
  return { width, height, pixels, at: (x, y) => [...pixels.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)] };
}

// An 8-bit RGB or RGBA PNG, as the browsers' screenshots and the references are.
export function decodePng(png) {
  const { width, height, data } = PNG.sync.read(png);
  const pixels = Buffer.alloc(width * height * 3);
  for (let p = 0; p < width * height; ++p) data.copy(pixels, p * 3, p * 4, p * 4 + 3);
  return picture(width, height, pixels);
}

export function crop(whole, left, top, width, height) {
  const pixels = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const start = ((top + y) * whole.width + left) * 3;
    whole.pixels.copy(pixels, y * width * 3, start, start + width * 3);
  }
  return picture(width, height, pixels);
}

export const samePicture = (a, b) => a.width === b.width && a.height === b.height && a.pixels.equals(b.pixels);

const references = new Map();
// The desktop program's picture of a figure ('arrowhead' or 'carpet') at a depth.
export function reference(figure, depth) {
  const name = `${figure}-${depth}`;
  if (!references.has(name)) {
    const folder = process.env.REFERENCE_DIR;
    if (!folder) throw new Error('REFERENCE_DIR must name the folder of the desktop program\'s pictures');
    references.set(name, decodePng(readFileSync(join(folder, `${name}.png`))));
  }
  return references.get(name);
}

// The picture at another size, each pixel black where any pixel it covers is black: a picture
// drawn at a screen's own pixels, brought to the reference's size.
function scaledTo(source, width, height) {
  const pixels = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      let black = false;
      for (let v = Math.floor(y * source.height / height); v < Math.ceil((y + 1) * source.height / height) && !black; ++v) {
        for (let u = Math.floor(x * source.width / width); u < Math.ceil((x + 1) * source.width / width) && !black; ++u) {
          black = same(source.at(u, v), BLACK);
        }
      }
      pixels.set(black ? BLACK : BLUE, (y * width + x) * 3);
    }
  }
  return picture(width, height, pixels);
}

// Null when the page shows the desktop program's picture of the figure at the depth, up to
// rasterisation: every pixel that differs has a pixel of its colour within 2 px in the other
// picture (after bringing a picture at a screen's own pixels to the reference's size). Else the
// first pixel that breaks this.
export function mismatch(shown, figure, depth) {
  const expected = reference(figure, depth);
  const a = shown.width === expected.width ? shown : scaledTo(shown, expected.width, expected.height);
  if (a.height !== expected.height) return `${a.width} x ${a.height} against ${expected.width} x ${expected.height}`;
  const within2 = (p, x, y, wanted) => {
    for (let v = Math.max(0, y - 2); v <= Math.min(p.height - 1, y + 2); ++v) {
      for (let u = Math.max(0, x - 2); u <= Math.min(p.width - 1, x + 2); ++u) if (same(p.at(u, v), wanted)) return true;
    }
    return false;
  };
  for (let y = 0; y < a.height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      const [ca, cb] = [a.at(x, y), expected.at(x, y)];
      if (same(ca, cb)) continue;
      if (!within2(expected, x, y, ca) || !within2(a, x, y, cb)) {
        return `pixel (${x}, ${y}) is ${ca} on the page and ${cb} in ${figure}-${depth}.png, with no match within 2 px`;
      }
    }
  }
  return null;
}

// Pixels neither blue nor black: a picture scaled to the screen, not drawn at its pixels, shows
// them along every edge.
export function blendedPixels(shown) {
  let count = 0;
  for (let y = 0; y < shown.height; ++y) {
    for (let x = 0; x < shown.width; ++x) count += !same(shown.at(x, y), BLUE) && !same(shown.at(x, y), BLACK);
  }
  return count;
}
