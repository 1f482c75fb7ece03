// Random sessions in the page, in Debian's chromium: typing, block switches, blocks added
// and deleted, compiles, saves, reloads, a closed tab and a crashed one. After every step
// each block's editor holds exactly what was typed into it, and every program file the page
// saves is the one the core writes for what was typed: nothing typed is ever lost.
//   node tests/web/session_test.mjs [build-web]      (Q41_SESSION_STEPS, Q41_SEED)
import assert from 'node:assert/strict';
import {existsSync, readFileSync} from 'node:fs';
import path from 'node:path';

import {launch, root, serve} from './browser.mjs';

const site = path.resolve(process.argv[2] || path.join(root, 'build-web'));
for (const needed of [path.join(site, 'app.js'), '/usr/bin/chromium']) {
  if (!existsSync(needed)) {
    console.log(`skipped: ${needed} is missing (make web builds the page)`);
    process.exit(77);
  }
}
const createQ41 = (await import(path.join(site, 'q41.mjs'))).default;
const core = await createQ41({wasmBinary: readFileSync(path.join(site, 'q41.wasm'))});
core.ccall('q41_start', null, ['number'], [1]);

const steps = Number(process.env.Q41_SESSION_STEPS || 60);
let seed = Number(process.env.Q41_SEED || 7);
const random = (n) => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return Math.floor(seed / 65536) % n;
};
// What students type, Cyrillic comments included; every character has a Windows-1251 byte.
const Words = ['mov', ' #5', ', r0', ' ; ', 'метка', 'hlt', ' add r1, r2', 'L1: ', 'Ж', ' 0FFh'];

const editorText = (page, k) => page.locator(`#editor-${k} .cm-line`)
                                    .evaluateAll((lines) => lines.map((l) => l.textContent).join('\n'));
const idle = (page) => page.waitForFunction(() => document.body.dataset.pending === '0');

// The user's view of the program: one text per block, and the block shown.
class Session {
  constructor(context, url) {
    this.context = context;
    this.url = url;
    this.blocks = [];
    this.current = 0;
    this.counts = {reload: 0, crash: 0, close: 0, save: 0};
  }

  async open() {
    this.page = await this.context.newPage();
    this.page.on('dialog', (d) => d.accept());
    this.page.on('pageerror', (e) => assert.fail(`page error: ${e.message}`));
    await this.page.goto(this.url);
    await this.page.locator('body.ready').waitFor();
    await idle(this.page);
  }

  async check(where) {
    const shown = await this.page.locator('.editor').count();
    assert.equal(shown, this.blocks.length, where);
    for (let k = 0; k < this.blocks.length; ++k) {
      assert.equal(await editorText(this.page, k), this.blocks[k], `${where}: block ${k}`);
    }
  }

  async focusEnd() {
    await this.page.locator(`#editor-${this.current} .cm-content`).click();
    await this.page.keyboard.press('Control+End');
  }

  async type() {
    await this.focusEnd();
    let text = '';
    for (let n = 1 + random(3); n > 0; --n) text += Words[random(Words.length)];
    // No line starts with a blank, so that Enter (which keeps a line's indent) adds only the
    // line break.
    const before = this.blocks[this.current];
    if (before === '' || before.endsWith('\n')) text = text.trimStart() || 'hlt';
    await this.page.keyboard.type(text);
    await this.page.keyboard.press('Escape');  // a completion list would take the next key
    this.blocks[this.current] += text;
  }

  async newLine() {
    await this.focusEnd();
    await this.page.keyboard.press('Enter');
    this.blocks[this.current] += '\n';
  }

  async switchBlock() {
    this.current = random(this.blocks.length);
    await this.page.locator(`#tab-${this.current}`).click();
  }

  async addBlock() {
    if (this.blocks.length === 6) return;
    await this.page.locator('#block-add').click();
    await idle(this.page);
    // No block after an empty one: the page says so and adds none.
    if (await this.page.locator('#question[open]').count()) {
      await this.page.locator('#question-ok').click();
      return;
    }
    this.blocks.push(await editorText(this.page, this.blocks.length));
    this.current = this.blocks.length - 1;
  }

  async deleteBlock() {
    if (this.blocks.length === 1) return;
    await this.page.locator('#block-delete').click();
    if (await this.page.locator('#question[open]').count()) {
      await this.page.locator('#question-ok').click();
    }
    await idle(this.page);
    this.blocks.pop();
    this.current = Math.min(this.current, this.blocks.length - 1);
  }

  async compile() {
    await this.focusEnd();
    await this.page.keyboard.press(random(2) ? 'F9' : 'Control+F9');
    await idle(this.page);
    // Compile all shows the block that failed, or the last.
    this.current = await this.page.locator('.editor').evaluateAll(
        (editors) => editors.findIndex((e) => !e.hidden));
  }

  // The saved file is what the core writes for the typed texts, byte for byte.
  async save() {
    await this.focusEnd();
    const [file] = await Promise.all([this.page.waitForEvent('download'),
                                      this.page.keyboard.press('Control+S')]);
    const saved = readFileSync(await file.path());
    const program = core.core({op: 'readProgram', bytes: saved.toString('base64'),
                               before: core.core({op: 'defaults'}).newProgram}).program;
    program.blocks = program.blocks.map((b, k) => ({...b, source: this.blocks[k]}));
    const expected = core.core({op: 'writeProgram', program}).bytes;
    assert.equal(saved.toString('base64'), expected, 'the saved program file');
    ++this.counts.save;
  }

  // Typing, then the page goes at once: reloaded, its tab closed, or its process crashed.
  async leave(how) {
    await this.type();
    if (how === 'reload') {
      await this.page.reload();
      await this.page.locator('body.ready').waitFor();
    } else {
      if (how === 'crash') {
        const crashed = new Promise((resolve) => this.page.once('crash', resolve));
        const cdp = await this.context.newCDPSession(this.page);
        cdp.send('Page.crash').catch(() => {});  // the answer never comes
        await crashed;
      }
      await this.page.close({runBeforeUnload: false}).catch(() => {});
      await this.open();
    }
    ++this.counts[how];
  }
}

const {server, url} = await serve(site);
const browser = await launch();
try {
  const context = await browser.newContext({acceptDownloads: true});
  const session = new Session(context, url);
  await session.open();
  session.blocks = [await editorText(session.page, 0)];
  const actions = [
    () => session.type(), () => session.type(), () => session.type(), () => session.newLine(),
    () => session.switchBlock(), () => session.addBlock(), () => session.deleteBlock(),
    () => session.compile(), () => session.save(), () => session.leave('reload'),
    () => session.leave('close'), () => session.leave('crash'),
  ];
  for (let step = 0; step < steps; ++step) {
    const action = random(actions.length);
    await actions[action]();
    await session.check(`step ${step} (action ${action})`);
  }
  const c = session.counts;
  console.log(`page sessions: ${steps} steps, ${c.save} saves, ${c.reload} reloads, ` +
              `${c.close} closed tabs and ${c.crash} crashes lost nothing`);
} finally {
  await browser.close();
  server.kill();
}
