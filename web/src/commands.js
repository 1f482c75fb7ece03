// The commands of the page, as the desktop's menu, buttons and keys give them.
import {addEditor, adoptBlock, adoptProgram, changed, programNow, removeEditor, selectFault, sendGlobal, showBlock, showOutcome, switchLanguage} from './app.js';
import {base64FromBytes, bytesFromBase64, coreRequest} from './core.js';
import {ask, notice} from './dialogs.js';
import {bindCodeWords, openListing, openReference} from './panels.js';
import {saveSoon, state} from './state.js';
import {t} from './texts.js';
import {onLabelKey, renderAll, renderLamps, renderSettingsOf} from './view.js';

const $ = (id) => document.getElementById(id);

async function core(request) {
  const answer = await coreRequest(request);
  if (answer && answer.error) {
    await notice(answer.error);
    return null;
  }
  return answer;
}

export async function compileBlock() {
  const k = state.current;
  const program = programNow();
  const answer = await core({op: 'compileBlock', program, block: k});
  if (!answer) return;
  adoptBlock(answer.block, answer.compiled);
  showOutcome(k, answer.outcome, program.blocks[k].source);
  renderAll();
  selectFault(k, answer.outcome);
  saveSoon();
}

export async function compileAll() {
  const program = programNow();
  const answer = await core({op: 'compileAll', program});
  if (!answer) return;
  adoptProgram(answer.program, false);
  const last = state.program.blocks.length - 1;
  state.lamps = state.program.blocks.map(() => 'white');
  state.display = [];
  state.compiledSource = [];
  state.faultLine = [];
  answer.blocks.forEach((outcome, k) => showOutcome(k, outcome, program.blocks[k].source));
  state.status.line = answer.lineCaption;
  state.status.fault = answer.errCaption;
  state.status.warnings =
      answer.blocks.flatMap((o, k) => (o.warnings || []).map((w) => `Bl.${k}; ${w.text}`));
  const shown = answer.succeeded ? last : answer.failedBlock;
  showBlock(shown);
  renderAll();
  if (!answer.succeeded) selectFault(shown, answer.blocks[shown]);
}

// Runs to its end without waiting, so that quick clicks cannot add past the checks.
export async function addBlock() {
  const blocks = state.program.blocks;
  if (blocks.length >= 6) return;
  if (programNow().blocks[blocks.length - 1].source === '') {
    await notice(t('TextNewBlockRestricted'));
    return;
  }
  blocks.push({...structuredClone(state.defaults.newProgram.blocks[0]), source: ''});
  state.lamps[blocks.length - 1] = 'white';
  addEditor(blocks.length - 1);
  showBlock(blocks.length - 1, true);
  renderLamps();
  changed();
}

export async function deleteBlock() {
  const blocks = state.program.blocks;
  if (blocks.length <= 1) return;
  const last = blocks.length - 1;
  if (programNow().blocks[last].source !== '' && !(await ask(t('TextDeleteBlock')))) return;
  removeEditor(last);
  blocks.pop();
  state.lamps.length = blocks.length;
  state.compiledSource.length = Math.min(state.compiledSource.length, blocks.length);
  state.display.length = Math.min(state.display.length, blocks.length);
  showBlock(Math.min(state.current, last - 1), state.current === last);
  renderLamps();
  changed();
}

async function newProgram() {
  if (programNow().blocks[0].source !== '' && !(await ask(t('TextClearProgram')))) return;
  const memory = state.program.memory;
  resetTo({...structuredClone(state.defaults.newProgram), memory}, 'prog');
}

function resetTo(program, fileName) {
  state.current = 0;
  state.display = [];
  state.compiledSource = [];
  state.faultLine = [];
  state.lamps = program.blocks.map(() => 'white');
  state.status = {line: '', fault: '', warnings: []};
  state.fileName = fileName;
  adoptProgram(program, true);
  showBlock(0, true);
  renderAll();
  state.dirty = false;
  saveSoon();
}

async function openFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const answer =
      await core({op: 'readProgram', bytes: base64FromBytes(bytes), before: programNow()});
  if (!answer) return;
  resetTo(answer.program, file.name.replace(/\.[^.]*$/, '') || 'prog');
  if (answer.message) await notice(answer.message);
}

function download(b64, name) {
  const url =
      URL.createObjectURL(new Blob([bytesFromBase64(b64)], {type: 'application/octet-stream'}));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

async function saveProgram() {
  const answer = await core({op: 'writeProgram', program: programNow()});
  if (!answer) return;
  download(answer.bytes, `${state.fileName}.asm`);
  state.dirty = false;
  saveSoon();
}

// The desktop's questions before a code file: a block without code, with the code of a
// failed compile, or with code older than its text.
function codeQuestion(n, block) {
  if (!block.code || block.code.length === 0) return 'TextEmptyBlockCode';
  if (block.codeFromFailedCompile) return 'TextFailedBlockCode';
  const compiled = state.compiledSource[n];
  return compiled !== undefined && compiled !== null && compiled !== block.source ?
      'TextStaleBlockCode' :
      null;
}

async function codeQuestions(program) {
  for (const [n, block] of program.blocks.entries()) {
    const key = codeQuestion(n, block);
    if (key && !(await ask(t(key).replace('*', String(n))))) return false;
  }
  return true;
}

async function saveCode() {
  const program = programNow();
  if (!(await codeQuestions(program))) return;
  const answer = await core({op: 'codeFile', program});
  if (answer) download(answer.bytes, `${state.fileName}.Q41`);
}

function stepBlock(delta) {
  const k = state.current + delta;
  if (k >= 0 && k < state.program.blocks.length) showBlock(k, true);
}

// Function keys and the desktop's Ctrl shortcuts work wherever the focus is.
const Keys = [
  {key: 'F9', ctrl: false, run: compileAll},
  {key: 'F9', ctrl: true, run: compileBlock},
  {key: 'o', ctrl: true, run: () => $('file-input').click()},
  {key: 's', ctrl: true, run: saveProgram},
  {key: 's', ctrl: true, alt: true, run: saveCode},
  {key: 'l', ctrl: true, run: openListing},
  {key: 'PageDown', ctrl: true, run: () => stepBlock(1)},
  {key: 'PageUp', ctrl: true, run: () => stepBlock(-1)},
];

function onKey(e) {
  if (document.querySelector('dialog[open]')) return;
  const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
  const hit = Keys.find(
      (k) => k.key === key && k.ctrl === (e.ctrlKey || e.metaKey) && !!k.alt === e.altKey);
  if (!hit) return;
  e.preventDefault();
  e.stopPropagation();
  hit.run();
}

function onTabKey(e) {
  const count = state.program.blocks.length;
  const moves =
      {ArrowRight: state.current + 1, ArrowLeft: state.current - 1, Home: 0, End: count - 1};
  if (!(e.key in moves)) return;
  e.preventDefault();
  const k = (moves[e.key] + count) % count;
  showBlock(k);
  $(`tab-${k}`).focus();
}

// The PPU list and the addresses' four digits are the core's: the page shows what it says.
async function settle(k) {
  const block = state.program.blocks[k];
  const answer = await core({op: 'blockFields', block: {...block, source: ''}});
  if (!answer || state.program.blocks[k] !== block) return;
  Object.assign(block, answer);
  if (k === state.current) renderSettingsOf(block);
  changed();
}

function bindBlockFields() {
  for (let n = 1; n <= 4; n++) {
    $(`ppu-${n}`).addEventListener('change', (e) => {
      state.program.blocks[state.current].ppu[n - 1] = e.target.checked;
      changed();
      settle(state.current);
    });
  }
  for (const [id, field] of [['cpu-address', 'cpuAddress'], ['ppu-address', 'ppuAddress']]) {
    $(id).addEventListener('input', (e) => {
      state.program.blocks[state.current][field] = e.target.value;
      changed();
    });
    $(id).addEventListener('change', (e) => {
      state.program.blocks[state.current][field] = e.target.value;
      settle(state.current);
    });
  }
}

function bindProgramFields() {
  $('header').addEventListener('input', () => changed('header', $('header').value));
  $('global').addEventListener('input', () => {
    changed('global', $('global').value);
    sendGlobal();
  });
  for (const n of [0, 1]) {
    $(`memory-${n}`).addEventListener('change', () => {
      state.program.memory = n;
      changed();
    });
  }
}

export function bindCommands() {
  $('cmd-new').onclick = newProgram;
  $('cmd-open').onclick = () => $('file-input').click();
  $('file-input').onchange = (e) => {
    const file = e.target.files[0];
    e.target.value = '';
    if (file) openFile(file);
  };
  $('cmd-save-asm').onclick = saveProgram;
  $('cmd-save-q41').onclick = saveCode;
  $('cmd-compile-all').onclick = compileAll;
  $('cmd-compile-block').onclick = compileBlock;
  $('cmd-listing').onclick = openListing;
  $('cmd-reference').onclick = openReference;
  $('block-add').onclick = addBlock;
  $('block-delete').onclick = deleteBlock;
  $('language').onchange = (e) => switchLanguage(Number(e.target.value));
  $('tabs').addEventListener('click', (e) => {
    const tab = e.target.closest('[role=tab]');
    if (!tab) return;
    showBlock(Number(tab.dataset.block));
    $(`tab-${state.current}`).focus();
  });
  $('tabs').addEventListener('keydown', onTabKey);
  $('labels').addEventListener('keydown', onLabelKey);
  document.addEventListener('keydown', onKey, true);
  bindBlockFields();
  bindProgramFields();
  bindCodeWords();
}
