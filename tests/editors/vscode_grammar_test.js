// The VS Code grammar against the language service: every program line of the examples and
// of generated programs is read by the generated TextMate grammar through vscode-textmate and
// vscode-oniguruma (the engine VS Code uses) and by q41-lsp (its semantic tokens), and each
// character must be of the same kind in both, or of none in both.
// Usage: node vscode_grammar_test.js GRAMMAR SERVER SOURCE_DIR
"use strict";
const fs = require("fs");
const path = require("path");
const { spawnSync } = require("child_process");
const [grammarPath, server, source] = process.argv.slice(2);
const modules = path.join(source, "editors/vscode/node_modules");
const textmate = require(path.join(modules, "vscode-textmate"));
const oniguruma = require(path.join(modules, "vscode-oniguruma"));

// The language service's kinds by the server's legend, and the grammar's by its scopes' ends.
const kinds = ["mnemonic", "register", "number", "text", "name", "constant", "directive", "comment"];
const scopes = [
  ["keyword.other.mnemonic", "mnemonic"], ["variable.language.register", "register"],
  ["constant.numeric", "number"], ["string", "text"], ["entity.name.label", "name"],
  ["variable.other.label", "name"], ["variable.other.constant", "constant"],
  ["keyword.control.directive", "directive"], ["comment", "comment"],
];

// The server's tokens of each program, one session for all: per line, a kind per character.
function ServiceKinds(programs) {
  const messages = [{ id: 0, method: "initialize", params: {} }];
  programs.forEach((text, k) => {
    const uri = `file:///p${k}.asm`;
    messages.push({ method: "textDocument/didOpen", params: { textDocument: { uri, text } } });
    messages.push({ id: 2 * k + 1, method: "textDocument/semanticTokens/full",
                    params: { textDocument: { uri } } });
    messages.push({ id: 2 * k + 2, method: "textDocument/documentSymbol",
                    params: { textDocument: { uri } } });
  });
  messages.push({ id: 99999, method: "shutdown" }, { method: "exit" });
  const input = messages.map((m) => {
    const body = JSON.stringify({ jsonrpc: "2.0", ...m });
    return `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  }).join("");
  const run = spawnSync(server, ["--lang", "en"], { input, maxBuffer: 1 << 28 });
  const answers = {};
  for (const part of run.stdout.toString().split(/Content-Length: \d+\r\n\r\n/)) {
    if (!part) continue;
    const m = JSON.parse(part);
    if (m.id !== undefined) answers[m.id] = m.result;
  }
  return programs.map((text, k) => {
    const lines = text.split("\n").map((l) => new Array(l.length).fill(null));
    const data = answers[2 * k + 1].data;
    let line = 0, start = 0;
    for (let t = 0; t < data.length; t += 5) {
      line += data[t];
      start = data[t] === 0 ? start + data[t + 1] : data[t + 1];
      for (let c = start; c < start + data[t + 2]; ++c) lines[line][c] = kinds[data[t + 3]];
    }
    // The program's own lines: the blocks' and GLOBAL's (after its line, before the blocks).
    const own = new Set();
    for (const symbol of answers[2 * k + 2]) {
      if (!symbol.children) continue;
      for (let l = symbol.range.start.line; l <= symbol.range.end.line; ++l) own.add(l);
    }
    const texts = text.split("\n");
    const global = texts.findIndex((l) => l.trim().toUpperCase() === "GLOBAL");
    if (global >= 0) for (let l = global + 1; l < texts.length && !own.has(l); ++l) own.add(l);
    return { lines, own };
  });
}

function GrammarKinds(grammar, text) {
  let stack = textmate.INITIAL;
  return text.split("\n").map((line) => {
    const result = grammar.tokenizeLine(line, stack);
    stack = result.ruleStack;
    const out = new Array(line.length).fill(null);
    for (const token of result.tokens) {
      const found = scopes.find(([prefix]) => token.scopes.some((s) => s.startsWith(prefix)));
      if (!found) continue;
      for (let c = token.startIndex; c < Math.min(token.endIndex, line.length); ++c) out[c] = found[1];
    }
    return out;
  });
}

// Programs of one block and GLOBAL, of lines put together from pieces the examples lack.
function Generated(count) {
  let seed = 41;
  const random = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
  const pick = (list) => list[random(list.length)];
  const programs = [];
  for (let p = 0; p < count; ++p) {
    const lines = ["GLOBAL", pick(["G = 12h", "; g", "LIMIT=  0FFFFH", "X = -5"]), ";BLOCK 0"];
    for (let k = 0; k < 12; ++k) {
      const label = pick(["", "", "L1: ", "loop:", "  a2 : "]);
      const body = pick([
        "  mov #5, r0", "  add (r1), r2%", "  in p.2, r3", "  out r0, 1", "  bne loop",
        "  push #LEN(msg)", "  mov #'a', r1", "  jmp (r2)", "  hlt", "  dw 1234h", "  rw 3",
        "msg: ds Hi; there", "  ds x", "N = 7", "K=0Ah ; ten", "  not r1", "  call sub_1",
        "\tmov r0, r1", "  bad r0", "  mov r0,#-3", "  sl r2%", "  nop ; mov",
      ]);
      lines.push((body.startsWith(" ") ? label : "") + body + pick(["", "", " ; note", "   "]));
    }
    programs.push(lines.join("\n"));
  }
  return programs;
}

async function main() {
  const wasm = fs.readFileSync(path.join(modules, "vscode-oniguruma/release/onig.wasm"));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (p) => new oniguruma.OnigScanner(p),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async () =>
      textmate.parseRawGrammar(fs.readFileSync(grammarPath, "utf8"), grammarPath),
  });
  const grammar = await registry.loadGrammar("source.q41");
  const examples = fs.readdirSync(path.join(source, "examples")).filter((f) => f.endsWith(".asm"));
  const programs = examples.map((f) =>
    new TextDecoder("windows-1251").decode(fs.readFileSync(path.join(source, "examples", f)))
      .replace(/\r\n/g, "\n"));
  const names = examples.concat(Generated(40).map((_, k) => `generated ${k}`));
  programs.push(...Generated(40));
  const service = ServiceKinds(programs);
  let compared = 0;
  const differ = [];
  programs.forEach((text, k) => {
    const tm = GrammarKinds(grammar, text);
    text.split("\n").forEach((line, l) => {
      if (!service[k].own.has(l)) return;
      ++compared;
      const a = service[k].lines[l], b = tm[l];
      const at = a.findIndex((kind, c) => kind !== b[c]);
      if (at >= 0) {
        if (process.env.Q41_SHOW) console.error(JSON.stringify(a), JSON.stringify(b));
        differ.push(`${names[k]}:${l + 1}: ${JSON.stringify(line)} at ${at + 1}: ` +
                    `service ${a[at]}, grammar ${b[at]}`);
      }
    });
  });
  for (const d of differ.slice(0, 20)) console.error(d);
  if (differ.length) {
    console.error(`${differ.length} of ${compared} lines read otherwise`);
    process.exit(1);
  }
  console.log(`vscode grammar: ${compared} lines of ${programs.length} programs read as the language service reads them`);
}

main().catch((e) => { console.error(e); process.exit(1); });
