// The page in a real browser: Debian's chromium, headless, driven by playwright-core, on the
// page as `make web` builds it. The code file the page downloads is compared byte for byte
// with what the native q41asm writes for the program file the page downloads.
//   node tests/web/page_test.mjs [build-web] [q41asm]    (Q41_SCREENSHOTS=dir for pictures)
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import {existsSync, mkdtempSync, readFileSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import path from 'node:path';

import {chromium, ChromiumArgs, root, serve} from './browser.mjs';

const site = path.resolve(process.argv[2] || path.join(root, 'build-web'));
// Without the built page (make web), its packages or the browser there is nothing to test.
for (const needed of [path.join(site, 'q41.mjs'), path.join(site, 'app.js'), '/usr/bin/chromium']) {
  if (!existsSync(needed)) {
    console.log(`skipped: ${needed} is missing (make web builds the page)`);
    process.exit(77);
  }
}
const q41asm = path.resolve(process.argv[3] || path.join(root, 'build/q41asm'));
const work = mkdtempSync(path.join(tmpdir(), 'q41-page-'));

const Hello = readFileSync(path.join(root, 'examples/hello.asm'), 'utf8').replace(/\r?\n$/, '');
const Header = 'Программа студента, вариант 7';
const Loop = 'loop:   in p.3, r0\n        out r0, p.4\n        br loop\n        hlt';

// Replaces the current block's text as one paste into the real editor.
async function setSource(page, text) {
  await page.locator('.editor:not([hidden]) .cm-content').click();
  await page.keyboard.press('Control+A');
  await page.keyboard.insertText(text);
}

// A block's text as its editor shows it, line by line.
const source = (page, k) => page.locator(`#editor-${k} .cm-line`)
                                .evaluateAll((lines) => lines.map((l) => l.textContent).join('\n'));
const text = (page, id) => page.locator(`#${id}`).innerText();
const lamp = (page, k) => page.locator(`#lamp-${k}`).getAttribute('aria-label');

// The contrast ratio of two CSS colours (their alpha left aside).
function contrast(...colours) {
  const [a, b] = colours.map((c) => c.match(/[\d.]+/g).slice(0, 3).map((v) => v / 255)
      .map((v) => (v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
      .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0));
  return (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
}

// The lowest contrast of the elements' text to the colour behind it; 0 where a picture
// stands behind, whose colours cannot be read.
async function lowestContrast(page, selector) {
  const pairs = await page.locator(selector).evaluateAll((elements) => elements.map((el) => {
    for (let a = el; a; a = a.parentElement) {
      const s = getComputedStyle(a);
      if (s.backgroundImage !== 'none') return null;
      if (!/rgba\(.*, 0\)$/.test(s.backgroundColor))
        return [getComputedStyle(el).color, s.backgroundColor];
    }
    return [getComputedStyle(el).color, 'rgb(255, 255, 255)'];
  }));
  return Math.min(...pairs.map((pair) => (pair ? contrast(...pair) : 0)));
}

async function answerQuestion(page, expected, ok) {
  await page.locator('#question[open]').waitFor();
  assert.equal(await text(page, 'question-text'), expected);
  await page.locator(ok ? '#question-ok' : '#question-cancel').click();
}

async function download(page, keys) {
  const [file] = await Promise.all([page.waitForEvent('download'), page.keyboard.press(keys)]);
  const target = path.join(work, file.suggestedFilename());
  await file.saveAs(target);
  return target;
}

async function loads(page, url) {
  await page.goto(url);
  await page.locator('body.ready .editor:not([hidden]) .cm-content').waitFor();
  assert.equal(await source(page, 0), ';asm text\n\nhlt');
  // The student can type at once.
  assert.ok(await page.evaluate(() => document.activeElement.matches('#editor-0 .cm-content')));
  assert.equal(await text(page, 'cmd-compile-all'), 'Compile all blocks');
  // From the start of navigation to a usable editor: the first visit, then with the cache warm.
  const ready = () => page.evaluate(() => performance.getEntriesByName('q41-ready')[0].startTime);
  const times = [await ready()];
  for (let i = 0; i < 3; i++) {
    await page.reload();
    await page.locator('body.ready').waitFor();
    times.push(await ready());
  }
  console.log(`load to a usable editor: first ${Math.round(times[0])} ms, again ${
      times.slice(1).map(Math.round).join(', ')} ms`);
  assert.ok(times[0] < 3000, 'the page took too long to load');
}

// Every control has a name a screen reader can read, and a dialog closes by Escape and
// gives the focus back.
async function namesControls(page) {
  const unnamed = await page.evaluate(() => {
    const named = (el) => el.getAttribute('aria-label') ||
        (el.labels && [...el.labels].some((l) => l.textContent.trim())) ||
        (el.getAttribute('aria-labelledby') &&
         document.getElementById(el.getAttribute('aria-labelledby')).textContent.trim()) ||
        el.textContent.trim();
    const controls = document.querySelectorAll(
        'button, input:not([hidden]), select, textarea, [role=tab], .cm-content, [tabindex="0"], table, th');
    return [...controls]
        .filter((el) => !el.closest('dialog:not([open])') && !named(el))
        .map((el) => el.id || el.outerHTML.slice(0, 60));
  });
  assert.deepEqual(unnamed, []);
  await page.locator('#cmd-reference').focus();
  await page.keyboard.press('Enter');
  await page.locator('#reference-dialog[open]').waitFor();
  assert.equal(await page.evaluate(() => document.activeElement.id), 'reference-search');
  // The entries are one Tab stop whose arrow keys show one entry after another.
  for (const key of ['Tab', 'ArrowDown', 'ArrowDown', 'Tab']) await page.keyboard.press(key);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'reference-text');
  const third = page.locator('#reference-list li:nth-child(3) button');
  assert.equal(await third.getAttribute('aria-current'), 'true');
  assert.ok((await text(page, 'reference-text')).startsWith(await third.innerText()));
  await page.keyboard.press('Escape');
  assert.equal(await page.locator('#reference-dialog').getAttribute('open'), null);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'cmd-reference');
}

async function compiles(page) {
  // A fault is marked at its line while typing, and compiling shows it in the status lines.
  await setSource(page, Hello.replace('MOV #COUNT,R2', 'MOV R2,#COUNT'));
  const faultLine = page.locator('.cm-line:has(.cm-lintRange-error)');
  await faultLine.waitFor();
  assert.equal(await faultLine.innerText(), '        MOV R2,#COUNT');
  // The keys list the faults too, where a screen reader reads them.
  await page.keyboard.press('Control+Shift+M');
  const fault = page.locator('.cm-panel-lint [role=option]');
  assert.match(await fault.innerText(), /#COUNT/);
  assert.ok(await fault.evaluate((el) => el.closest('[role=listbox]') === document.activeElement));
  // The fault it marks keeps its text readable in the dark palette.
  await page.emulateMedia({colorScheme: 'dark'});
  const marked = await page.locator('.cm-lintRange-active').evaluate(
      (el) => [getComputedStyle(el.querySelector('[class^=tok-]') || el).color,
               getComputedStyle(el).backgroundColor]);
  await page.emulateMedia({colorScheme: 'light'});
  assert.ok(contrast(...marked) >= 4.5, String(marked));
  await page.keyboard.press('Escape');
  await page.keyboard.press('Control+F9');
  await page.locator('#lamp-0[data-state=red]').waitFor();
  assert.equal(await lamp(page, 0), 'Block 0: failed');
  assert.match(await text(page, 'line-status'), /^4:/);
  assert.match(await text(page, 'fault-status'), /#COUNT/);
  assert.equal(await page.locator('.cm-activeLine').innerText(), '        MOV R2,#COUNT');

  await page.keyboard.press('Control+l');
  await page.locator('#listing-dialog[open]').waitFor();
  assert.equal(
      await text(page, 'listing-note'), 'Block 0 did not compile: the fault is on line 4.');
  await page.keyboard.press('Escape');

  await setSource(page, Hello);
  await faultLine.waitFor({state: 'detached'});
  await page.keyboard.press('Control+F9');
  await page.locator('#lamp-0[data-state=green]').waitFor();
  assert.equal(await lamp(page, 0), 'Block 0: compiled');
  assert.equal(await text(page, 'line-status'), 'Successful compilation');
  assert.equal(await text(page, 'fault-status'), '');
  assert.ok((await page.locator('#labels tbody tr').count()) >= 3);
  // The label table is one Tab stop whose arrow keys move between cells.
  await page.locator('#labels').focus();
  for (const key of ['ArrowDown', 'ArrowRight', 'ArrowRight', 'ArrowRight']) await page.keyboard.press(key);
  assert.equal(await page.locator('#labels').getAttribute('aria-activedescendant'), 'label-1-2');
}

async function editsBlocks(page) {
  await page.locator('#block-add').click();
  assert.equal(await page.locator('#tab-1').getAttribute('aria-selected'), 'true');
  await page.locator('#block-add').click();
  await answerQuestion(page, 'New block is restricted\nwhile previous is EMPTY!', true);
  assert.equal(await page.locator('[role=tab]').count(), 2);
  await setSource(page, Loop);
  // The core settles the PPU list and the address's four digits, a moment later.
  await page.locator('#ppu-1').check();
  await page.locator('#ppu-3').check();
  await page.locator('#ppu-3').uncheck();
  await page.waitForFunction(() => document.body.dataset.pending === '0');
  assert.equal(await text(page, 'ppu-list'), '0001');
  await page.locator('#ppu-address').fill('10');
  await page.locator('#ppu-address').press('Tab');
  await page.waitForFunction(() => document.body.dataset.pending === '0');
  assert.equal(await page.locator('#ppu-address').inputValue(), '0010');
  await page.locator('#memory-1').check();
  await page.locator('#header').fill(Header);

  await page.locator('#block-add').click();
  await setSource(page, 'nop');
  await page.locator('#block-delete').click();
  await answerQuestion(page, 'Deleting block contains text.\nConfirm operation!', false);
  assert.equal(await page.locator('[role=tab]').count(), 3);
  await page.locator('#block-delete').click();
  await answerQuestion(page, 'Deleting block contains text.\nConfirm operation!', true);
  assert.equal(await page.locator('[role=tab]').count(), 2);
  assert.equal(await page.locator('#tab-1').getAttribute('aria-selected'), 'true');
  // The tabs follow the arrow keys.
  await page.locator('#tab-1').focus();
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'tab-0');
  assert.equal(await page.locator('#tab-0').getAttribute('aria-selected'), 'true');
}

async function savesFiles(page) {
  await page.keyboard.press('Control+Alt+S');
  await answerQuestion(
      page, 'Code for block 1 is empty.\nDo you really want to save\n.COD file?', false);
  await page.keyboard.press('F9');
  await page.locator('#lamp-1[data-state=green]').waitFor();
  assert.equal(await lamp(page, 0), 'Block 0: compiled');
  assert.equal(await text(page, 'line-status'), 'Successful compilation');
  const asm = await download(page, 'Control+S');
  const code = await download(page, 'Control+Alt+S');
  // The program file holds the core's Windows-1251 bytes, not text the page encoded again.
  const asmText = new TextDecoder('windows-1251').decode(readFileSync(asm));
  assert.ok(asmText.includes(`\r\n;${Header}\r\n`), asmText.slice(0, 80));
  assert.deepEqual([path.basename(asm), path.basename(code)], ['prog.asm', 'prog.Q41']);
  const native = path.join(work, 'native.Q41');
  execFileSync(q41asm, ['--lang', 'en', asm, '-o', native]);
  assert.ok(readFileSync(code).equals(readFileSync(native)), 'the code files differ');
  // The code words on screen are the file's words of the block shown (block 1).
  const words = (await page.locator('#code-words li').allInnerTexts()).join('\r\n');
  assert.ok(readFileSync(code, 'latin1').endsWith(`\r\n\r\n${words}\r\n`));

  // Code older than its text is saved only when the user says so.
  await setSource(page, `${Loop}\n; changed`);
  await page.keyboard.press('Control+Alt+S');
  await answerQuestion(
      page,
      'The code of block 1 is older than its text:\nthe text changed after the compile.\nSave the code it holds?',
      false);

  // The program file read back gives the same program.
  await page.locator('#cmd-new').click();
  await answerQuestion(page, 'Do you really want to\nclear old program?', true);
  assert.equal(await page.locator('[role=tab]').count(), 1);
  // As the windows' New program: no header, no GLOBAL text.
  assert.deepEqual([await page.locator('#header').inputValue(), await page.locator('#global').inputValue()],
                   ['', '']);
  await page.locator('#file-input').setInputFiles(asm);
  await page.locator('#tab-1').waitFor();
  await page.locator('#tab-1').click();
  // A block read from a file keeps its marker lines in its source, as on the desktop.
  assert.match(await source(page, 1), /^;BLOCK 1\n;PPU=0001\n[^]*\n\nloop: /);
  assert.ok((await source(page, 1)).endsWith(Loop));
  assert.equal(await page.locator('#ppu-address').inputValue(), '0010');
  assert.ok((await page.locator('#header').inputValue()).includes(`;${Header}`));
}

// The language server's services reach the editor: GLOBAL names, completion, hover, go to
// definition (F12), rename (F2) and find/replace (Ctrl+H).
async function servesEditor(page) {
  await page.locator('#tab-0').click();
  await setSource(page, 'start:  mov #LIMIT, r0\n        br start\n        hlt');
  const fault = page.locator('#editor-0 .cm-lintRange-error');
  await fault.waitFor();
  await page.locator('#global').fill(';Global\nLIMIT = 5');
  await fault.waitFor({state: 'detached'});

  await page.locator('#editor-0 .cm-line >> nth=2').click();
  await page.keyboard.press('End');
  await page.keyboard.type('\n        hl');
  await page.keyboard.press('Control+Space');
  const option = page.locator('.cm-tooltip-autocomplete li:has-text("HLT")').first();
  await option.waitFor();
  await page.keyboard.press('Escape');

  await page.locator('#editor-0 .tok-keyword >> nth=0').hover();
  await page.locator('.cm-tooltip-hover').waitFor();
  assert.ok((await page.locator('.cm-tooltip-hover').innerText()).length > 3);

  await page.locator('#editor-0 .cm-line >> nth=1').getByText('start').click();
  await page.keyboard.press('F12');
  await page.locator('#editor-0 .cm-activeLine:has-text("mov")').waitFor();

  await page.keyboard.press('F2');
  await page.locator('.cm-panel input, .cm-tooltip input').first().fill('again');
  await page.keyboard.press('Enter');
  await page.waitForFunction(
      () =>
          document.querySelector('#editor-0 .cm-content').textContent.split('again').length === 3);

  await page.keyboard.press('Control+h');
  await page.locator('#editor-0 .cm-search input[name=replace]').waitFor();
  // Its buttons are readable in either palette: text against what stands behind it.
  for (const colorScheme of ['dark', 'light']) {
    await page.emulateMedia({colorScheme});
    assert.ok((await lowestContrast(page, '.cm-search button')) >= 4.5, colorScheme);
  }
  await page.keyboard.press('Escape');
}

// A code word leads to its source line, and the listing leads there too.
async function linksCode(page) {
  await setSource(page, Hello);
  await page.keyboard.press('Control+F9');
  await page.locator('#lamp-0[data-state=green]').waitFor();
  await page.locator('#code-words li >> nth=4').click();
  assert.equal(await page.locator('#editor-0 .cm-activeLine').innerText(), 'NEXT:   OUT (R1),P.1');
  assert.equal(
      await page.locator('#code-words li.linked').allInnerTexts().then((w) => w.length), 1);
  await page.keyboard.press('Control+l');
  const marked = page.locator('#listing-rows .linked');
  await marked.first().waitFor();
  assert.match(await marked.first().innerText(), /NEXT:/);
  // The rows are one Tab stop whose arrow keys go from row to row.
  for (const key of ['ArrowDown', 'ArrowUp', 'ArrowUp', 'Shift+Tab', 'Tab']) await page.keyboard.press(key);
  assert.match(await page.evaluate(() => document.activeElement.textContent), /MOV #COUNT,R2/);
  await page.locator('#listing-rows .listing-row:has-text("HLT")').click();
  assert.equal(await page.locator('#listing-dialog').getAttribute('open'), null);
  assert.equal(await page.locator('#editor-0 .cm-activeLine').innerText(), '        HLT');
  // By keys: the active word's Enter selects its line and leaves the text as it was.
  for (const key of ['Tab', 'Home', 'ArrowDown', 'ArrowDown', 'Enter']) await page.keyboard.press(key);
  assert.equal(await page.locator('#editor-0 .cm-activeLine').innerText(), '        MOV #COUNT,R2');
  assert.equal(await source(page, 0), Hello);
}

// What was typed survives a reload, and leaving with it unsaved asked first.
async function keepsWork(page) {
  await page.locator('#tab-1').click();
  const kept = `${Loop}\n; kept`;
  await setSource(page, kept);
  const asked = dialogs.length;
  await page.reload();
  await page.locator('body.ready').waitFor();
  assert.deepEqual(dialogs.slice(asked), ['beforeunload']);
  assert.equal(await page.locator('#tab-1').getAttribute('aria-selected'), 'true');
  assert.equal(await source(page, 1), kept);
}

async function speaksRussian(page) {
  await page.locator('#language').selectOption('0');
  await page.locator('#cmd-compile-all:text("Компилировать все блоки")').waitFor();
  await page.keyboard.press('F9');
  await page.locator('#line-status:text("Успешная компиляция")').waitFor();
  assert.equal(await lamp(page, 1), 'Блок 1: откомпилирован');
  await page.reload();
  await page.locator('body.ready').waitFor();
  assert.equal(await text(page, 'cmd-new'), 'Новая программа');
  await namesControls(page);
  await setSource(page, 'mov r0, #5');
  await page.locator('.cm-lintRange-error').hover();
  await page.locator('.cm-tooltip-lint').waitFor();
  assert.match(await page.locator('.cm-tooltip-lint').innerText(), /[а-яА-Я]/);
}

async function screenshots(browser, url, dir) {
  for (const colorScheme of ['light', 'dark']) {
    const page = await browser.newPage({colorScheme});
    await page.emulateMedia({colorScheme});
    await page.goto(url);
    await page.locator('body.ready').waitFor();
    await page.locator('#language').selectOption('1');
    await page.locator('#tab-0').click();
    await setSource(page, Hello);
    await page.keyboard.press('F9');
    await page.locator('#line-status:text("Bl.1")').waitFor();
    await page.locator('#tab-0').click();
    await page.locator('.editor:not([hidden]) .cm-line >> nth=4').click();
    await page.screenshot({path: path.join(dir, `page-${colorScheme}.png`)});
    await page.close();
  }
}

const {server, url} = await serve(site);
const browser = await chromium.launchPersistentContext(path.join(work, 'profile'), {
  executablePath: '/usr/bin/chromium',
  args: ChromiumArgs,
  headless: true,
  acceptDownloads: true,
  viewport: {width: 1100, height: 820},
});
const errors = [];
const dialogs = [];
try {
  const page = browser.pages()[0] || (await browser.newPage());
  page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('dialog', (d) => {
    dialogs.push(d.type());
    d.accept();
  });
  for (const [name, step] of Object.entries({
         loads,
         namesControls,
         compiles,
         editsBlocks,
         savesFiles,
         servesEditor,
         linksCode,
         keepsWork,
         speaksRussian
       })) {
    await (name === 'loads' ? step(page, url) : step(page));
    console.log(`ok ${name}`);
  }
  if (process.env.Q41_SCREENSHOTS) await screenshots(browser, url, process.env.Q41_SCREENSHOTS);
  assert.deepEqual(errors, [], 'console errors');
  console.log('page test passed');
} finally {
  await browser.close();
  server.kill();
  rmSync(work, {recursive: true, force: true});
}
