// Serves the built page on the loopback interface, at / and under its own name; nothing else in
// its folder is served. The page also opens straight from disk; this is for those who prefer http.
//   node serve.mjs FOLDER [PORT]      (PORT 0 or none: any free port; the address is printed)
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

export const PAGE = 'sierpinski-viewer.html';

// The status and body for a request path, as sent: malformed percent-encoding is the client's
// fault (400), and every path but the page's is not found (404), whatever it points at.
function answer(method, target) {
  if (method !== 'GET' && method !== 'HEAD') return [405, 'only GET and HEAD\n'];
  let path;
  try {
    path = decodeURIComponent(new URL(target, 'http://localhost').pathname);
  } catch {
    return [400, 'malformed request path\n'];
  }
  if (path !== '/' && path !== `/${PAGE}`) return [404, 'not found\n'];
  return [200, null];
}

export function serve(folder, port = 0) {
  const page = join(resolve(folder), PAGE);
  const server = createServer(async (request, response) => {
    const [status, message] = answer(request.method, request.url);
    try {
      let body = status === 200 ? await readFile(page) : message;
      const headers = { 'Content-Type': status === 200 ? 'text/html; charset=utf-8' : 'text/plain', Vary: 'Accept-Encoding' };
      // Compressed for clients that take gzip (any browser): the page is a quarter of its size so.
      if (status === 200 && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
        body = gzipSync(body);
        headers['Content-Encoding'] = 'gzip';
      }
      response.writeHead(status, headers);
      response.end(request.method === 'HEAD' ? undefined : body);
    } catch {
      response.writeHead(500, { 'Content-Type': 'text/plain' }).end('the page is not built\n');
    }
  });
  server.on('clientError', (error, socket) => socket.end('HTTP/1.1 400 Bad Request\r\n\r\n'));
  return new Promise((done) => server.listen(port, '127.0.0.1', () => done(server)));
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port] = process.argv.slice(2);
  const server = await serve(folder ?? '.', Number(port ?? 0));
  console.log(`serving ${join(resolve(folder ?? '.'), PAGE)} at http://127.0.0.1:${server.address().port}/`);
}
