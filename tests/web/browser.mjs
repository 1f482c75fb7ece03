// What the page's tests and benchmark share: the page served from a folder on a free port of
// localhost, and Debian's chromium driven by playwright-core (the page's own dependency),
// headless, with a fresh profile and none of its calls to the network.
import {spawn} from 'node:child_process';
import {createRequire} from 'node:module';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const {chromium} = createRequire(path.join(root, 'web/package.json'))('playwright-core');
export const ChromiumArgs = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'
];

export function launch() {
  return chromium.launch({executablePath: '/usr/bin/chromium', args: ChromiumArgs});
}

// Resolves to the server and the page's address once it listens.
export function serve(site) {
  const server = spawn(process.execPath, [path.join(root, 'web/serve.mjs'), site, '0']);
  return new Promise((resolve, reject) => {
    server.stdout.on('data', (d) => {
      const m = /http:\/\/[\d.:]+\//.exec(String(d));
      if (m) resolve({server, url: m[0]});
    });
    server.on('exit', () => reject(new Error('the server stopped')));
  });
}
