// Puts the page's state on screen: texts, tabs, the current block's fields, code words,
// labels, lamps and the status lines.
import {page} from './app.js';
import {linkLine, showCode} from './code_list.js';
import {state} from './state.js';
import {currentLanguage, plain, t} from './texts.js';

const $ = (id) => document.getElementById(id);

export function applyTexts() {
  document.documentElement.lang = currentLanguage() === 0 ? 'ru' : 'en';
  document.title = t('TitleForm1').trim();
  for (const el of document.querySelectorAll('[data-text]'))
    el.textContent = plain(t(el.dataset.text));
  for (const el of document.querySelectorAll('[data-hint]')) {
    el.title = t(el.dataset.hint);
    el.setAttribute('aria-label', t(el.dataset.hint));
  }
  for (const el of document.querySelectorAll('[data-name]'))
    el.setAttribute('aria-label', t(el.dataset.name));
  for (const el of document.querySelectorAll('[data-placeholder]'))
    el.placeholder = t(el.dataset.placeholder);
  $('tabs').setAttribute('aria-label', t('Blocks'));
  $('commands').setAttribute('aria-label', t('Commands'));
  $('line-status').setAttribute('aria-label', t('NameLineStatus'));
  $('fault-status').setAttribute('aria-label', t('NameFaultStatus'));
  $('warnings').setAttribute('aria-label', t('Warnings'));
  $('labels').setAttribute('aria-label', t('NameLabels'));
  $('labels').setAttribute('aria-description', t('DescriptionLabels'));
  $('language').value = String(currentLanguage());
}

function renderTabs() {
  const tabs = $('tabs');
  tabs.replaceChildren();
  state.program.blocks.forEach((_, k) => {
    const tab = document.createElement('button');
    tab.type = 'button';
    tab.role = 'tab';
    tab.id = `tab-${k}`;
    tab.textContent = `BLOCK ${k}`;
    tab.setAttribute('aria-controls', 'block-panel');
    tab.setAttribute('aria-selected', String(k === state.current));
    tab.tabIndex = k === state.current ? 0 : -1;
    tab.dataset.block = k;
    tabs.append(tab);
  });
  $('block-panel').setAttribute('aria-labelledby', `tab-${state.current}`);
}

// The fields the core settles: the PPU list and the addresses as the core last gave them.
export function renderSettingsOf(block) {
  $('ppu-list').textContent = block.ppuList || '0000';
  if (document.activeElement !== $('cpu-address')) $('cpu-address').value = block.cpuAddress;
  if (document.activeElement !== $('ppu-address')) $('ppu-address').value = block.ppuAddress;
}

function renderSettings() {
  const k = state.current;
  const block = state.program.blocks[k];
  for (let n = 1; n <= 4; n++) {
    const box = $(`ppu-${n}`);
    box.checked = !!block.ppu[n - 1];
    box.setAttribute('aria-label', t('NamePpuBox', k, n));
  }
  renderSettingsOf(block);
  $('ppu-list').setAttribute('aria-label', t('NamePpuList', k));
  $('cpu-address').value = block.cpuAddress;
  $('cpu-address').setAttribute('aria-label', t('NameCpuAddress', k));
  $('ppu-address').value = block.ppuAddress;
  $('ppu-address').setAttribute('aria-label', t('NamePpuAddress', k));
  $('word-count').textContent = block.wordCount;
  $('word-count').setAttribute('aria-label', t('NameWordCount', k));
}

// What the code pane and the label table show for the current block.
export function shownCode() {
  const k = state.current;
  const block = state.program.blocks[k];
  return state.display[k] ||
      {code: block.code || [], wordSourceLine: block.wordSourceLine || [], labels: []};
}

function renderCode() {
  const list = $('code-words');
  list.setAttribute('aria-label', t('NameBlockCode', state.current));
  const {code, wordSourceLine} = shownCode();
  showCode(code, wordSourceLine, page.caretLine);
}

function renderLabels() {
  const body = $('labels').tBodies[0];
  body.replaceChildren(...shownCode().labels.map((l, row) => {
    const tr = document.createElement('tr');
    [l.name, l.kind, l.value].forEach((text, column) => {
      const td = document.createElement('td');
      td.textContent = text;
      td.id = `label-${row}-${column}`;
      tr.append(td);
    });
    return tr;
  }));
  labelCell = {row: 0, column: 0};
  markLabelCell(false);
}

// The label table is one stop for Tab; the arrow keys move its active cell, as its
// description says.
let labelCell = {row: 0, column: 0};

// Marks the active cell; `reveal` scrolls it into view, which a key asks for and a new
// table does not (the browser would lay the whole page out at once to find it).
function markLabelCell(reveal) {
  const table = $('labels');
  for (const old of table.querySelectorAll('td.active')) old.classList.remove('active');
  const cell = document.getElementById(`label-${labelCell.row}-${labelCell.column}`);
  if (!cell) {
    table.removeAttribute('aria-activedescendant');
    return;
  }
  cell.classList.add('active');
  table.setAttribute('aria-activedescendant', cell.id);
  if (reveal) cell.scrollIntoView({block: 'nearest'});
}

export function onLabelKey(e) {
  const rows = $('labels').tBodies[0].rows.length;
  const {row, column} = labelCell;
  const moves = {ArrowDown: [row + 1, column], ArrowUp: [row - 1, column],
                 ArrowRight: [row, column + 1], ArrowLeft: [row, column - 1],
                 Home: [row, 0], End: [row, 2], PageUp: [0, column], PageDown: [rows - 1, column]};
  if (!(e.key in moves) || !rows) return;
  e.preventDefault();
  const [r, c] = moves[e.key];
  labelCell = {row: Math.max(0, Math.min(r, rows - 1)), column: Math.max(0, Math.min(c, 2))};
  markLabelCell(true);
}

// The code words of a source line stand out, so the reader sees what the line became.
export function highlightCodeLine(line) { linkLine(line); }

export function renderLamps() {
  const row = $('lamp-row');
  row.replaceChildren();
  for (let k = 0; k < 6; k++) {
    const exists = k < state.program.blocks.length;
    const colour = exists ? state.lamps[k] || 'white' : 'none';
    const cell = document.createElement('div');
    cell.className = 'lamp-cell';
    const lamp = document.createElement('span');
    lamp.className = `lamp lamp-${colour}`;
    lamp.id = `lamp-${k}`;
    const stateText = {green: 'LampCompiled', red: 'LampFailed'}[colour] || 'LampNotCompiled';
    if (exists) {
      lamp.role = 'img';
      lamp.setAttribute('aria-label', t('NameLamp', k, t(stateText)));
      lamp.title = lamp.getAttribute('aria-label');
    }
    lamp.dataset.state = colour;
    const caption = document.createElement('span');
    caption.textContent = `B${k}`;
    caption.setAttribute('aria-hidden', 'true');
    cell.append(caption, lamp);
    row.append(cell);
  }
}

export function renderStatus() {
  $('line-status').textContent = state.status.line;
  $('fault-status').textContent = state.status.fault;
  $('warnings').textContent = state.status.warnings.join('  ');
}

export function renderBlock() {
  renderTabs();
  renderSettings();
  renderCode();
  renderLabels();
}

export function renderAll() {
  renderBlock();
  renderLamps();
  renderStatus();
  const p = state.program;
  $(`memory-${p.memory ? 1 : 0}`).checked = true;
}
