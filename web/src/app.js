// The Q41 page: the program's blocks as tabs, an editor per block served by the language
// server in the worker, and the desktop's commands on the same core.
import {bindCommands} from './commands.js';
import {coreRequest, lspTransport, onCoreFailure, startCore} from './core.js';
import {createClient, createEditor, refreshTokens, selectLine} from './editor.js';
import {keepText, loadStored, saveNow, saveSoon, setSnapshot, state, storedLanguage, storeLanguage} from './state.js';
import {currentLanguage, editorPhrases, setLanguage, t} from './texts.js';
import {applyTexts, highlightCodeLine, renderAll, renderBlock} from './view.js';

const $ = (id) => document.getElementById(id);

export const page = {
  views: [],
  client: null,
  transport: null,
  caretLine: 1,
};

export function view() { return page.views[state.current]; }

// The whole program as it stands, sources from the editors.
export function programNow() {
  const p = state.program;
  return {
    header: $('header').value,
    global: $('global').value,
    memory: p.memory,
    blocks: p.blocks.map((b, k) => ({
                           ...b,
                           source: page.views[k] ? page.views[k].state.doc.toString() : b.source,
                         })),
  };
}

// Something changed. A typed text (`name` a block's number, "header" or "global") is kept
// at once and the whole record soon; any other change (a block added or deleted, a field
// set) keeps the whole record at once.
export function changed(name, text) {
  state.dirty = true;
  if (name === undefined) {
    saveNow();
    return;
  }
  keepText(name, text);
  saveSoon();
}

let configTimer = 0;
export function sendGlobal(now = false) {
  clearTimeout(configTimer);
  const send = () => {
    if (!page.client) return;
    page.client.notification('workspace/didChangeConfiguration', {
      settings: {global: $('global').value},
    });
    page.views.forEach((v) => refreshTokens(v));
  };
  if (now)
    send();
  else
    configTimer = setTimeout(send, 150);
}

function blockUri(k) { return `file:///program/block${k}.asm`; }

export function addEditor(k) {
  const host = document.createElement('div');
  host.className = 'editor';
  host.id = `editor-${k}`;
  host.hidden = k !== state.current;
  $('editors').append(host);
  page.views[k] = createEditor({
    parent: host,
    doc: state.program.blocks[k].source,
    uri: blockUri(k),
    client: page.client,
    label: t('NameBlockSource', k),
    phrases: editorPhrases(),
    onDocChange: (text) => {
      state.program.blocks[k].source = text;
      changed(k, text);
    },
    onCaret: (line) => {
      if (k !== state.current) return;
      page.caretLine = line;
      highlightCodeLine(line);
    },
  });
}

export function removeEditor(k) {
  const v = page.views.pop();
  if (v) {
    v.destroy();
    $(`editor-${k}`).remove();
  }
}

// Builds the editors of all blocks; with `newServer` (the first time, or a server started
// again in another language) around a new language client.
export function buildEditors(newServer) {
  page.views.forEach((v) => v.destroy());
  page.views = [];
  $('editors').replaceChildren();
  if (newServer) {
    if (page.client) page.client.disconnect();
    if (page.transport) page.transport.close();
    page.transport = lspTransport();
    page.client = createClient(page.transport);
  }
  page.client.initializing.then(() => sendGlobal(true));
  state.program.blocks.forEach((_, k) => addEditor(k));
}

// Takes a program the core gave back. The texts being typed stay the editors' own unless
// `withSources` (a program read from a file, or a new one).
export function adoptProgram(program, withSources) {
  if (withSources) {
    state.program = program;
    $('header').value = program.header;
    $('global').value = program.global;
    buildEditors(false);
    return;
  }
  program.blocks.forEach((b, k) => adoptBlock(k, b));
}

// Takes the fields of block k that a compile of it gave back; its text stays the editor's.
export function adoptBlock(k, compiled) {
  if (state.program.blocks[k])
    Object.assign(state.program.blocks[k], {...compiled, source: state.program.blocks[k].source});
}

export function showBlock(k, focusEditor = false) {
  state.current = k;
  page.views.forEach((v, i) => {
    v.dom.parentElement.hidden = i !== k;
  });
  renderBlock();
  saveSoon();
  if (focusEditor && view()) view().focus();
}

// Shows what compiling block k from `source` gave.
export function showOutcome(k, outcome, source) {
  state.lamps[k] = outcome.succeeded ? 'green' : 'red';
  state.compiledSource[k] = source;
  state.faultLine[k] = outcome.succeeded ? 0 : outcome.line;
  // Compile all keeps a block's code in the program rather than in its outcome.
  const block = state.program.blocks[k];
  const own = outcome.code && outcome.code.length > 0;
  state.display[k] = {
    code: own ? outcome.code : block.code || [],
    wordSourceLine: own ? outcome.wordSourceLine : block.wordSourceLine || [],
    labels: outcome.labels || [],
  };
  state.status.line = outcome.lineCaption;
  state.status.fault = outcome.errCaption;
  state.status.warnings = (outcome.warnings || []).map((w) => w.text);
}

export function selectFault(k, outcome) {
  if (!outcome || outcome.succeeded || !(outcome.line > 0) || !page.views[k]) return;
  selectLine(page.views[k], outcome.line, 0);
}

async function loadTexts() {
  const answer = await coreRequest({op: 'texts'});
  setLanguage(currentLanguage(), answer.texts || {});
  applyTexts();
}

export async function switchLanguage(language) {
  storeLanguage(language);
  setLanguage(language, {});
  state.program.blocks = programNow().blocks;
  await startCore(language);
  await loadTexts();
  buildEditors(true);
  renderAll();
}

async function start() {
  const language = storedLanguage();
  setLanguage(language, {});
  $('line-status').textContent = t('Loading');
  const started = startCore(language);
  const stored = loadStored();
  await started;
  const texts = loadTexts();
  // The core's first-run and new programs, asked once: adding a block then waits for nothing.
  state.defaults = await coreRequest({op: 'defaults'});
  if (stored) {
    Object.assign(
        state,
        {program: stored.program, fileName: stored.fileName || 'prog', dirty: !!stored.dirty});
    state.lamps = stored.lamps || stored.program.blocks.map(() => 'white');
    state.compiledSource = stored.compiledSource || [];
    state.current = Math.min(stored.current || 0, stored.program.blocks.length - 1);
  } else {
    state.program = structuredClone(state.defaults.firstRun);
    state.lamps = ['white'];
  }
  await texts;
  $('header').value = state.program.header;
  $('global').value = state.program.global;
  setSnapshot(() => (state.program ? programNow() : null));
  // A whole record from the start, which what is typed next completes.
  saveNow();
  buildEditors(true);
  bindCommands();
  renderAll();
  // The page is hidden until ready, and a hidden editor cannot take the focus.
  document.body.classList.add('ready');
  view().focus();
  performance.mark('q41-ready');
}

addEventListener('pagehide', saveNow);
document.addEventListener('visibilitychange', () => {
  if (document.visibilityState === 'hidden') saveNow();
});
addEventListener('beforeunload', (e) => {
  saveNow();
  if (state.dirty) {
    e.preventDefault();
    e.returnValue = '';
  }
});

function showFailure(text) { $('fault-status').textContent = t('CoreFailed') + text; }
onCoreFailure(showFailure);
start().catch((e) => showFailure(String(e)));
