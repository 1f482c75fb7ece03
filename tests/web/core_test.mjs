// The page's WebAssembly core against the native tool: programs made by mutating the
// project's sample programs are read, compiled and written by the core as the page asks it,
// and must give q41asm's code file to the byte, or its fault. Then the core's answers to
// requests it cannot read, and the language server's GLOBAL text.
//
// node core_test.mjs SITE_DIR Q41ASM
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [site, q41asm] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const createQ41 = (await import(path.join(site, 'q41.mjs'))).default;
const m = await createQ41({ wasmBinary: fs.readFileSync(path.join(site, 'q41.wasm')) });
m.ccall('q41_start', null, ['number'], [1]);
// As the page's worker calls them.
const core = (request) => m.core(request);
const lsp = (message) => m.lsp(JSON.stringify(message));

// A small generator with a seed, so that a failure can be run again.
let seed = 41;
const random = (n) => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed % n;
};

const samples = [];
for (const dir of [path.join(here, '../data'), path.join(here, '../../examples')]) {
  for (const name of fs.readdirSync(dir)) {
    const file = fs.statSync(path.join(dir, name)).isDirectory()
      ? path.join(dir, name, 'input.asm') : path.join(dir, name);
    if (file.endsWith('.asm') && fs.existsSync(file)) samples.push(fs.readFileSync(file));
  }
}
const linesOf = (bytes) => bytes.toString('latin1').split(/\r?\n/);

function mutated() {
  const lines = linesOf(samples[random(samples.length)]);
  for (let k = random(4); k > 0 && lines.length > 0; --k) {
    const at = random(lines.length);
    switch (random(4)) {
      case 0: lines.splice(at, 1); break;
      case 1: lines.splice(at, 0, lines[random(lines.length)]); break;
      case 2: {
        const other = linesOf(samples[random(samples.length)]);
        lines.splice(at, 0, other[random(other.length)]);
        break;
      }
      default: lines[at] = lines[at].slice(0, random(lines[at].length + 1));
    }
  }
  return Buffer.from(lines.join('\r\n'), 'latin1');
}

function native(bytes, dir) {
  const input = path.join(dir, 'in.asm');
  const output = path.join(dir, 'out.q41');
  fs.writeFileSync(input, bytes);
  fs.rmSync(output, { force: true });
  try {
    execFileSync(q41asm, ['--lang', 'en', '--status-lines', input, '-o', output],
      { stdio: ['ignore', 'ignore', 'pipe'] });
    return { rc: 0, code: fs.readFileSync(output) };
  } catch (e) {
    return { rc: e.status, err: e.stderr.toString() };
  }
}

// What q41asm starts from before it reads a file: the program of the first start.
const before = core({ op: 'defaults' }).firstRun;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'q41-core-'));
const programs = Number(process.env.Q41_DIFF_PROGRAMS || 400);
let failing = 0;
for (let n = 0; n < programs; ++n) {
  const bytes = mutated();
  const where = `program ${n}:\n${bytes.toString('latin1')}`;
  const read = core({ op: 'readProgram', bytes: bytes.toString('base64'), before });
  assert.ok(read.program, where);
  // What the page saves reads back as the same program, and saves the same again.
  const saved = core({ op: 'writeProgram', program: read.program }).bytes;
  const again = core({ op: 'readProgram', bytes: saved, before }).program;
  assert.equal(core({ op: 'writeProgram', program: again }).bytes, saved, where);

  const all = core({ op: 'compileAll', program: read.program });
  const tool = native(bytes, dir);
  if (all.succeeded) {
    assert.equal(tool.rc, 0, where + tool.err);
    const code = Buffer.from(core({ op: 'codeFile', program: all.program }).bytes, 'base64');
    assert.ok(code.equals(tool.code), where);
  } else {
    ++failing;
    assert.equal(tool.rc, 1, where);
    assert.ok(tool.err.endsWith(`${all.lineCaption}\n${all.errCaption}\n`), where + tool.err);
  }
}
fs.rmSync(dir, { recursive: true });
assert.ok(failing > programs / 20 && failing < programs * 19 / 20, `${failing} failed`);

// Requests the core cannot read get an answer that says so, and the core goes on.
const bad = [
  '', '{', '[]', '{"op":1}', '{"op":"compileAll"}', '{"op":"compileAll","program":{}}',
  '{"op":"compileAll","program":{"blocks":[]}}', '{"op":"listing","program":{"blocks":[{}]},"block":3}',
  '{"op":"readProgram","bytes":"***","before":{"blocks":[{}]}}', '{"op":"nothing"}',
  '{"op":"compileBlock","program":{"blocks":[{},{},{},{},{},{},{}]},"block":0}',
];
for (const text of bad) {
  const answer = JSON.parse(m.ccall('q41_core', 'string', ['string'], [text]));
  assert.equal(typeof answer.error, 'string', text);
}
assert.ok(core({ op: 'defaults' }).firstRun);

// The language server checks a block shown alone with the program's GLOBAL text.
lsp({ jsonrpc: '2.0', id: 1, method: 'initialize', params: { capabilities: {} } });
lsp({ jsonrpc: '2.0', method: 'initialized', params: {} });
const uri = 'file:///program/block0.asm';
const opened = lsp({ jsonrpc: '2.0', method: 'textDocument/didOpen',
  params: { textDocument: { uri, languageId: 'q41', version: 1, text: 'mov #K, R0\nhlt' } } });
assert.equal(opened[0].params.diagnostics.length, 1);
const configured = lsp({ jsonrpc: '2.0', method: 'workspace/didChangeConfiguration',
  params: { settings: { global: 'K = 5' } } });
assert.deepEqual(configured[0].params, { uri, diagnostics: [] });
console.log(`web core: ${programs} programs compiled as q41asm does, ${failing} with a fault`);
