// The program as the page holds it, and its copy in the browser's storage: nothing typed is
// lost to a reload, a crash or a closed tab.
const Key = 'q41.page';
const LanguageKey = 'q41.language';

export const state = {
  program: null,   // {header, global, memory, blocks}; sources live in the editors meanwhile
  defaults: null,  // the core's {firstRun, newProgram}
  current: 0,
  lamps: ['white'],    // per existing block: white, red or green
  display: [],         // per block, what its last compile showed: {code, wordSourceLine, labels}
  compiledSource: [],  // per block, the text its code was compiled from
  faultLine: [],       // per block, the line of its last compile's fault (0 none or unknown)
  status: {line: '', fault: '', warnings: []},
  fileName: 'prog',
  dirty: false,  // changed since the last program file download
};

// What is typed is kept at once, text by text (a block's source, the header, GLOBAL) under
// keys of its own: a crash a moment after a keystroke loses nothing, and a keystroke writes
// one text, not the whole program. The whole record follows a little later and takes them in.
const TextKeys = ['header', 'global', 0, 1, 2, 3, 4, 5].map((name) => `${Key}.${name}`);
const textKey = (name) => `${Key}.${name}`;

export function keepText(name, text) {
  try {
    localStorage.setItem(textKey(name), text);
  } catch (e) {
    console.error('Q41: the text was not kept:', e);
  }
}

export function loadStored() {
  try {
    const stored = JSON.parse(localStorage.getItem(Key) || 'null');
    if (!stored || !stored.program || !Array.isArray(stored.program.blocks)) return null;
    const typed = (name) => localStorage.getItem(textKey(name));
    for (const name of ['header', 'global']) {
      if (typed(name) !== null) stored.program[name] = typed(name);
    }
    stored.program.blocks.forEach((block, k) => {
      if (typed(k) !== null) block.source = typed(k);
    });
    // Typed after the last whole record: changed since the last download, as far as we know.
    if (TextKeys.some((key) => localStorage.getItem(key) !== null)) stored.dirty = true;
    return stored;
  } catch {
    // A damaged copy is no copy.
  }
  return null;
}

let timer = 0;
let snapshot = () => null;

export function setSnapshot(f) { snapshot = f; }

export function saveNow() {
  clearTimeout(timer);
  timer = 0;
  const program = snapshot();
  if (!program) return;
  const {current, lamps, compiledSource, fileName, dirty} = state;
  try {
    localStorage.setItem(
        Key, JSON.stringify({program, current, lamps, compiledSource, fileName, dirty}));
    for (const key of TextKeys) localStorage.removeItem(key);
  } catch (e) {
    console.error('Q41: the program was not kept:', e);
  }
}

export function saveSoon() {
  clearTimeout(timer);
  timer = setTimeout(saveNow, 200);
}

export function storedLanguage() {
  const value = localStorage.getItem(LanguageKey);
  if (value === '0' || value === '1') return Number(value);
  return (navigator.language || '').toLowerCase().startsWith('ru') ? 0 : 1;
}

export function storeLanguage(language) { localStorage.setItem(LanguageKey, String(language)); }
