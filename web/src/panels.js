// The listing of a block, the instruction reference and the code words' links to the
// source: ways from a code word to its source line and back.
import {page, programNow, view} from './app.js';
import {activate, activeWord, bindCodeList, lineOfWord} from './code_list.js';
import {coreRequest} from './core.js';
import {openPanel} from './dialogs.js';
import {selectLine} from './editor.js';
import {state} from './state.js';
import {currentLanguage, t} from './texts.js';

const $ = (id) => document.getElementById(id);

function goToLine(line) {
  if (line > 0 && view()) selectLine(view(), line);
}

function listingRow(row) {
  const li = document.createElement('li');
  const button = document.createElement('button');
  button.type = 'button';
  button.className = 'listing-row';
  button.textContent = row.text;
  button.dataset.line = row.sourceLine;
  if (row.continuation) button.classList.add('continuation');
  if (row.sourceLine === page.caretLine) button.classList.add('linked');
  li.append(button);
  return li;
}

function listingNote(k, answer, rows) {
  if (answer && answer.error) return answer.error;
  if (state.lamps[k] === 'red') {
    const line = state.faultLine[k];
    return line > 0 ? t('TextListingFailed', k, line) : t('TextListingFailedNoLine', k);
  }
  return rows.length ? '' : t('TextListingNone');
}

// The listing of the current block; the rows of the caret's line are marked and in view,
// and a row leads back to its source line.
function stepRow(list, e) {
  const rows = [...list.querySelectorAll('.listing-row')];
  const at = rows.indexOf(document.activeElement);
  const page = Math.max(1, Math.floor(list.clientHeight / 20) - 1);
  const moves = {ArrowDown: at + 1, ArrowUp: at - 1, PageDown: at + page, PageUp: at - page,
                 Home: 0, End: rows.length - 1};
  if (at < 0 || !(e.key in moves)) return;
  e.preventDefault();
  const next = rows[Math.max(0, Math.min(moves[e.key], rows.length - 1))];
  rows[at].tabIndex = -1;
  next.tabIndex = 0;
  next.focus();
}

export async function openListing() {
  const box = $('listing-dialog');
  const k = state.current;
  const answer = await coreRequest({op: 'listing', program: programNow(), block: k});
  const rows = (answer && answer.rows) || [];
  const compiled = state.compiledSource[k];
  const stale =
      compiled !== undefined && compiled !== null && compiled !== view().state.doc.toString();
  $('listing-title').textContent =
      `${t('TitleListing').trim()}: BLOCK ${k}${stale ? t('TextListingStale') : ''}`;
  $('listing-note').textContent = listingNote(k, answer, rows);
  const list = $('listing-rows');
  list.setAttribute('aria-label', t('NameListingText'));
  list.replaceChildren(...rows.map(listingRow));
  list.onclick = (e) => {
    const row = e.target.closest('.listing-row');
    if (!row) return;
    box.close();
    goToLine(Number(row.dataset.line));
  };
  const marked = list.querySelector('.linked') || list.querySelector('.listing-row');
  // The rows are one Tab stop, the marked one; the arrow keys go from row to row.
  for (const row of list.querySelectorAll('.listing-row')) row.tabIndex = row === marked ? 0 : -1;
  list.onkeydown = (e) => stepRow(list, e);
  openPanel(box, marked || box.querySelector('.close'));
  if (marked) marked.scrollIntoView({block: 'center'});
}

let reference = {language: -1, entries: []};

function textOf(html) {
  const div = document.createElement('div');
  div.innerHTML = html;
  return div.textContent.toLowerCase();
}

function showEntry(entry) {
  $('reference-text').innerHTML = entry ? entry.html : `<p>${t('TextReferenceNothing')}</p>`;
  for (const li of $('reference-list').children) {
    li.firstChild.setAttribute('aria-current', String(li.entry === entry));
    li.firstChild.tabIndex = li.entry === entry ? 0 : -1;
  }
}

// The entries are one Tab stop: the arrow keys go from entry to entry and show each.
function onReferenceKey(e) {
  const buttons = [...$('reference-list').querySelectorAll('button')];
  const at = buttons.indexOf(document.activeElement);
  const moves = {ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: buttons.length - 1};
  if (at < 0 || !(e.key in moves)) return;
  e.preventDefault();
  const next = buttons[Math.max(0, Math.min(moves[e.key], buttons.length - 1))];
  next.click();
  next.focus();
}

function filterReference() {
  const words = $('reference-search').value.toLowerCase().split(/\s+/).filter(Boolean);
  // Entries named by the words come before those that only mention them.
  const rank = (e) =>
      (words.includes(e.key.toLowerCase())                       ? 0 :
           words.every((w) => e.title.toLowerCase().includes(w)) ? 1 :
                                                                   2);
  const hits = reference.entries.filter((e) => words.every((w) => e.search.includes(w)))
                   .map((e, i) => [rank(e), i, e])
                   .sort((a, b) => a[0] - b[0] || a[1] - b[1])
                   .map((x) => x[2]);
  $('reference-list').replaceChildren(...hits.map((entry) => {
    const li = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = entry.title;
    button.onclick = () => showEntry(entry);
    li.entry = entry;
    li.append(button);
    return li;
  }));
  showEntry(hits[0]);
}

export async function openReference() {
  if (reference.language !== currentLanguage()) {
    const answer = await coreRequest({op: 'reference'});
    const entries = (answer && answer.entries) || [];
    entries.forEach((e) => {
      e.search = `${e.key} ${e.title} ${textOf(e.html)}`.toLowerCase();
    });
    reference = {language: currentLanguage(), entries};
  }
  $('reference-search').oninput = filterReference;
  $('reference-list').onkeydown = onReferenceKey;
  filterReference();
  openPanel($('reference-dialog'), $('reference-search'));
}

// A code word leads to its source line: a click, or Enter on the active word (arrows move).
export function bindCodeWords() {
  const list = $('code-words');
  bindCodeList();
  list.addEventListener('click', (e) => {
    const li = e.target.closest('li');
    if (li) goToLine(Number(li.dataset.line));
  });
  list.addEventListener('keydown', (e) => {
    const active = activeWord();
    const step = Math.max(1, Math.floor(list.clientHeight / 20) - 1);
    const moves = {ArrowDown: active + 1, ArrowUp: active - 1, PageDown: active + step,
                   PageUp: active - step, Home: 0, End: 1e9};
    if (e.key in moves) {
      e.preventDefault();
      activate(moves[e.key]);
    } else if (e.key === 'Enter' && active >= 0) {
      // The focus moves to the editor now: the key itself must not reach it as a new line.
      e.preventDefault();
      goToLine(lineOfWord(active));
    }
  });
}
