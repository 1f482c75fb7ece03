// Bundles the page into ../build-web beside the core's q41.mjs and q41.wasm: index.html,
// app.js, worker.js and style.css, minified, nothing fetched from elsewhere at run time.
import { build } from 'esbuild';
import { copyFileSync, mkdirSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import path from 'node:path';

const here = path.dirname(fileURLToPath(import.meta.url));
const out = path.resolve(here, process.argv[2] || '../build-web');
mkdirSync(out, { recursive: true });

const common = { bundle: true, minify: true, format: 'esm', target: 'es2022', legalComments: 'none', logLevel: 'warning' };
await build({ ...common, entryPoints: [path.join(here, 'src/app.js')], outfile: path.join(out, 'app.js') });
await build({
  ...common,
  entryPoints: [path.join(here, 'src/worker.js')],
  outfile: path.join(out, 'worker.js'),
  external: ['./q41.mjs'],
});
await build({ ...common, entryPoints: [path.join(here, 'style.css')], outfile: path.join(out, 'style.css'), loader: { '.css': 'css' } });
copyFileSync(path.join(here, 'index.html'), path.join(out, 'index.html'));
console.log(`page built in ${out}`);
