// Bundles the page into build-web (or the folder given) beside the core's q41.mjs and
// q41.wasm: index.html, app.js, worker.js and style.css, minified, nothing fetched from
// elsewhere at run time. The pinned packages are installed first when they are missing or
// older than the lock file.
import {execFileSync} from 'node:child_process';
import {copyFileSync, mkdirSync, statSync} from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const out = process.argv[2] ? path.resolve(process.argv[2]) : path.join(here, '../build-web');
const stamp = (file) => {
  try {
    return statSync(path.join(here, file)).mtimeMs;
  } catch {
    return -1;
  }
};
if (stamp('node_modules/.package-lock.json') < stamp('package-lock.json')) {
  execFileSync(
      'npm', ['ci', '--ignore-scripts', '--no-audit', '--no-fund'], {cwd: here, stdio: 'inherit'});
}
const {build} = await import('esbuild');
mkdirSync(out, {recursive: true});

const common = {
  bundle: true,
  minify: true,
  format: 'esm',
  target: 'es2022',
  legalComments: 'none',
  logLevel: 'warning'
};
await build(
    {...common, entryPoints: [path.join(here, 'src/app.js')], outfile: path.join(out, 'app.js')});
await build({
  ...common,
  entryPoints: [path.join(here, 'src/worker.js')],
  outfile: path.join(out, 'worker.js'),
  external: ['./q41.mjs'],
});
await build({
  ...common,
  entryPoints: [path.join(here, 'style.css')],
  outfile: path.join(out, 'style.css'),
  loader: {'.css': 'css'}
});
copyFileSync(path.join(here, 'index.html'), path.join(out, 'index.html'));
console.log(`page built in ${out}`);
