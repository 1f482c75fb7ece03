// The page against the native tool, in one run: compile all of six blocks of 5,000 lines in
// Chromium beside q41asm on the same program file, the delay of a keystroke in a block of
// 1,000 lines while the language server checks it, the first load to a usable editor from
// localhost, and what the page transfers, compressed.
//   node bench/web_bench.mjs [build-web] [q41asm]      (make web first)
import {execFileSync} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import path from 'node:path';
import {gzipSync} from 'node:zlib';

import {launch, root, serve} from '../tests/web/browser.mjs';

const site = path.resolve(process.argv[2] || path.join(root, 'build-web'));
const q41asm = path.resolve(process.argv[3] || path.join(root, 'build/q41asm'));
const work = mkdtempSync(path.join(tmpdir(), 'q41-web-bench-'));

// Ten lines a group, each group with a label of its own: loops, a constant from GLOBAL,
// comments and every kind of operand the translator reads most.
function block(lines, tag) {
  const out = [];
  for (let g = 0; out.length < lines - 1; ++g) {
    out.push(`${tag}${g}: mov #K, r1`, `  add r1, r2 ; comment ${g}`, '  mov (r1), r3',
             '  sub #1, r2', `  bne ${tag}${g}`, `  push #${g % 100}`, '  pop r0',
             '  cmp r0, r1', `  bne ${tag}${g}`, `  jmp #${tag}${g}`);
  }
  out.length = lines - 1;
  out.push('  hlt');
  return out;
}

function program(blocks, lines) {
  const out = [';memory=COMM', '', ';Q41 assembler', '', 'GLOBAL', 'K = 5', ''];
  for (let b = 0; b < blocks; ++b) {
    out.push(`;BLOCK ${b}`, ';CPU', ';CPUaddr=0000', '', ...block(lines, `l${b}_`), '');
  }
  return out.join('\r\n');
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const percentile = (xs, p) => [...xs].sort((a, b) => a - b)[Math.ceil(xs.length * p) - 1];

function nativeCompile(file) {
  const times = [];
  for (let k = 0; k < 21; ++k) {
    const t0 = performance.now();
    execFileSync(q41asm, [file, '-o', path.join(work, 'native.q41')]);
    times.push(performance.now() - t0);
  }
  return median(times);
}

// Compile all in a worker of the page, as the page's worker answers it: the request, the
// core's work and the answer back, without putting the result on screen.
async function workerCompile(page, file) {
  return page.evaluate(async (text) => {
    const worker = new Worker('worker.js', {type: 'module'});
    let next = 1;
    const ask = (core) => new Promise((resolve) => {
      const id = next++;
      worker.addEventListener('message', function answer(e) {
        if (e.data.id !== id) return;
        worker.removeEventListener('message', answer);
        resolve(e.data.text !== undefined ? JSON.parse(e.data.text) : e.data.result);
      });
      worker.postMessage({id, core});
    });
    await new Promise((resolve) => worker.postMessage({id: 0, start: 1}) ||
                                    worker.addEventListener('message', resolve, {once: true}));
    const before = (await ask({op: 'defaults'})).newProgram;
    const bytes = btoa(text);
    const program = (await ask({op: 'readProgram', bytes, before})).program;
    const times = [];
    for (let k = 0; k < 11; ++k) {
      const t0 = performance.now();
      await ask({op: 'compileAll', program});
      times.push(performance.now() - t0);
    }
    worker.terminate();
    return times.slice(1).sort((a, b) => a - b)[5];
  }, readFileSync(file, 'latin1'));
}

// From the command to the status line shown, as the user waits for it.
async function pageCompile(page) {
  const times = [];
  for (let k = 0; k < 11; ++k) {
    times.push(await page.evaluate(() => new Promise((resolve) => {
      const t0 = performance.now();
      const watch = new MutationObserver(() => {
        if (document.body.dataset.pending !== '0') return;
        watch.disconnect();
        requestAnimationFrame(() => setTimeout(() => resolve(performance.now() - t0)));
      });
      watch.observe(document.body, {attributes: true, attributeFilter: ['data-pending']});
      document.getElementById('cmd-compile-all').click();
    })));
  }
  return median(times.slice(1));
}

// Each key at a student's pace, under the browser's tracing: the page's main thread's work
// from one key's press to the next (handling it, the editor's update, style, layout and
// paint, and the language server's answers that it brings), and the time from the press to
// the frame that shows it, which adds the wait for the display's next frame (headless
// Chromium reports about 24 ms to the next paint even for a pointer move that does no work).
async function keystrokes(browser, page) {
  await page.evaluate(() => {
    window.keyToFrame = [];
    document.addEventListener('keydown', () => {
      const t0 = performance.now();
      requestAnimationFrame(() => setTimeout(() => window.keyToFrame.push(performance.now() - t0)));
    }, true);
  });
  await page.locator('.editor:not([hidden]) .cm-content').click();
  await page.keyboard.press('Control+End');
  await browser.startTracing(page, {categories: ['toplevel', 'devtools.timeline']});
  for (let k = 0; k < 300; ++k) {
    await page.keyboard.press(k % 30 === 29 ? 'Enter' : 'abcdefghij'[k % 10]);
    await page.waitForTimeout(40);
  }
  await page.waitForTimeout(500);
  const trace = JSON.parse(await browser.stopTracing()).traceEvents;
  return {work: mainThreadWorkPerKey(trace), toFrame: await page.evaluate(() => window.keyToFrame)};
}

// The main thread's busy time (its tasks' lengths, in ms) between each keydown and the next.
function mainThreadWorkPerKey(trace) {
  const keydowns = trace.filter((e) => e.name === 'EventDispatch' && e.args?.data?.type === 'keydown');
  const {pid, tid} = keydowns[0];
  const tasks = trace.filter((e) => e.name === 'ThreadControllerImpl::RunTask' && e.pid === pid && e.tid === tid && e.dur);
  const starts = keydowns.map((e) => e.ts);
  const work = starts.map(() => 0);
  for (const task of tasks) {
    let k = starts.length - 1;
    while (k >= 0 && starts[k] > task.ts + task.dur) --k;
    if (k >= 0) work[k] += task.dur / 1000;
  }
  return work;
}

async function open(page, text, name) {
  const file = path.join(work, name);
  writeFileSync(file, text, 'latin1');
  await page.locator('#file-input').setInputFiles(file);
  await page.waitForFunction(() => document.body.dataset.pending === '0');
  await page.waitForTimeout(300);
  return file;
}

const {server, url} = await serve(site);
const browser = await launch();
try {
  const context = await browser.newContext();
  const page = await context.newPage();
  const loaded = [];
  page.on('response', async (r) => loaded.push(new URL(r.url()).pathname));
  await page.goto(url);
  await page.locator('body.ready').waitFor();
  const firstLoad = await page.evaluate(() => performance.getEntriesByName('q41-ready')[0].startTime);
  const files = [...new Set(loaded)].map((p) => p === '/' ? '/index.html' : p);
  let raw = 0;
  let gzip = 0;
  for (const f of files) {
    const bytes = readFileSync(path.join(site, f));
    raw += bytes.length;
    gzip += gzipSync(bytes, {level: 9}).length;
  }

  const big = await open(page, program(6, 5000), 'big.asm');
  const native = nativeCompile(big);
  const web = await pageCompile(page);
  const inWorker = await workerCompile(page, big);

  await open(page, program(1, 1000), 'thousand.asm');
  const delays = await keystrokes(browser, page);

  console.log(`first load to a usable editor: ${firstLoad.toFixed(0)} ms`);
  console.log(`the page transfers ${files.length} files: ${(raw / 1024).toFixed(0)} KiB, ` +
              `${(gzip / 1024).toFixed(0)} KiB with gzip`);
  console.log(`compile all, 6 blocks of 5,000 lines: native q41asm ${native.toFixed(1)} ms; ` +
              `the page's worker ${inWorker.toFixed(1)} ms (ratio ${(inWorker / native).toFixed(2)}); ` +
              `the command with its display ${web.toFixed(1)} ms (ratio ${(web / native).toFixed(2)})`);
  const figures = (xs) =>
      `median ${median(xs).toFixed(1)} ms, p99 ${percentile(xs, 0.99).toFixed(1)} ms`;
  console.log(`keystrokes on 1,000 lines, checked as typed (${delays.work.length} keys): ` +
              `the page's work ${figures(delays.work)}; press to frame ${figures(delays.toFrame)}`);
} finally {
  await browser.close();
  server.kill();
  rmSync(work, {recursive: true});
}
