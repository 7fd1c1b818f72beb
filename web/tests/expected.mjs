// What the canvas must show, worked out from the geometry alone: probe only pixels whose colour
// is certain. Each check returns null, or the first pixel that is wrong and why.
const near = (found, expected) => found.every((c, i) => Math.abs(c - expected[i]) <= 3);
const BLUE = [0, 0, 255];
const BLACK = [0, 0, 0];
const mid = (a, b) => [(a[0] + b[0]) / 2, (a[1] + b[1]) / 2];
const toWindow = (picture, [x, y]) => [(x + 2) / 4 * picture.width, (2 - y) / 4 * picture.height];

export function arrowheadSegments(p, q, r, depth, out = []) {
  if (depth === 0) {
    const a = mid(p, r), b = mid(q, r);
    out.push([p, a], [a, b], [b, q]);
  } else {
    const pq = mid(p, q), pr = mid(p, r), qr = mid(q, r);
    arrowheadSegments(pr, qr, r, depth - 1, out);
    arrowheadSegments(pr, p, pq, depth - 1, out);
    arrowheadSegments(q, qr, pq, depth - 1, out);
  }
  return out;
}

function distanceToSegment([px, py], [ax, ay], [bx, by]) {
  const dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
  const t = length2 > 0 ? Math.min(1, Math.max(0, ((px - ax) * dx + (py - ay) * dy) / length2)) : 0;
  return Math.hypot(px - ax - t * dx, py - ay - t * dy);
}

function colour(picture, x, y, expected, why) {
  const found = picture.at(x, y);
  return near(found, expected) ? null : `pixel (${x}, ${y}) ${why}: expected ${expected}, found ${found}`;
}

export function arrowheadMismatch(picture, depth) {
  const segments = arrowheadSegments([-1, -0.58], [1, -0.58], [0, 1.15], depth)
    .map(([a, b]) => [toWindow(picture, a), toWindow(picture, b)]);
  for (const [a, b] of segments) {
    const [mx, my] = mid(a, b).map(Math.floor);
    let black = false;
    for (let dy = -1; dy <= 1; ++dy) for (let dx = -1; dx <= 1; ++dx) black ||= near(picture.at(mx + dx, my + dy), BLACK);
    if (!black) return `no black pixel within 1 of (${mx}, ${my}), the middle of a depth-${depth} segment`;
  }
  for (let y = 1; y < picture.height; y += 4) {
    for (let x = 1; x < picture.width; x += 4) {
      if (segments.every(([a, b]) => distanceToSegment([x + 0.5, y + 0.5], a, b) > 3)) {
        const wrong = colour(picture, x, y, BLUE, 'off the arrowhead');
        if (wrong) return `${wrong} (depth ${depth})`;
      }
    }
  }
  return null;
}

export function carpetMismatch(picture, depth) {
  const cells = 3 ** depth;
  const cellWidth = 2 / 4 * picture.width / cells, cellHeight = 1.73 / 4 * picture.height / cells;
  for (let y = 1; y < picture.height; y += 3) {
    for (let x = 1; x < picture.width; x += 3) {
      const wx = (x + 0.5) / picture.width * 4 - 2, wy = 2 - (y + 0.5) / picture.height * 4;
      const u = (wx + 1) / 2 * cells, v = (wy + 0.58) / 1.73 * cells;
      const edge = Math.min(Math.abs(u - Math.round(u)) * cellWidth, Math.abs(v - Math.round(v)) * cellHeight);
      const inside = u > 0 && v > 0 && u < cells && v < cells;
      if (edge < 1.5 && u > -1 && v > -1 && u < cells + 1 && v < cells + 1) continue;
      let removed = false;
      for (let i = Math.floor(u), j = Math.floor(v), level = 0; inside && level < depth; ++level, i = Math.floor(i / 3), j = Math.floor(j / 3)) {
        removed ||= i % 3 === 1 && j % 3 === 1;
      }
      const wrong = colour(picture, x, y, inside && !removed ? BLACK : BLUE,
        !inside ? 'outside the carpet' : removed ? 'in a removed cell' : 'in a kept cell');
      if (wrong) return `${wrong} (depth ${depth})`;
    }
  }
  return null;
}

// Null when the two pictures agree up to rasterisation: every pixel that differs has a pixel of
// its colour within 2 px in the other picture. Else the first pixel that breaks this.
export function nearlySame(a, b) {
  if (a.width !== b.width || a.height !== b.height) return `sizes ${a.width}x${a.height} and ${b.width}x${b.height}`;
  const within2 = (picture, x, y, wanted) => {
    for (let dy = -2; dy <= 2; ++dy) {
      for (let dx = -2; dx <= 2; ++dx) {
        const u = x + dx, v = y + dy;
        if (u >= 0 && v >= 0 && u < picture.width && v < picture.height && near(picture.at(u, v), wanted)) return true;
      }
    }
    return false;
  };
  for (let y = 0; y < a.height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      const [ca, cb] = [a.at(x, y), b.at(x, y)];
      if (near(ca, cb)) continue;
      if (!within2(b, x, y, ca) || !within2(a, x, y, cb)) return `pixel (${x}, ${y}) is ${ca} in one, ${cb} in the other, with no match within 2 px`;
    }
  }
  return null;
}

// Pixels neither blue nor black: a picture scaled to the screen shows them along every edge.
export const blendedPixels = (picture) => {
  let count = 0;
  for (let y = 0; y < picture.height; ++y) {
    for (let x = 0; x < picture.width; ++x) count += !near(picture.at(x, y), BLUE) && !near(picture.at(x, y), BLACK);
  }
  return count;
};
