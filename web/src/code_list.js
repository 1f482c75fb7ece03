// The code words of the shown block, as a list box. A large block has thousands of words:
// only the rows in sight (and a few around them) are made, each where it would stand, so that
// showing a compile or moving the caret costs the same for any size of block.
const Row = 20;    // px: each row's height, as the style sheet sets it
const Spare = 8;   // rows made beyond each edge of the view

const list = () => document.getElementById('code-words');
let words = [];
let lines = [];
let linked = {first: 0, last: 0};  // the words [first, last) of the caret's line
let active = -1;

// The words [first, last) that source line `line` made; the lines never decrease.
function wordsOf(line) {
  const lower = (value) => {
    let lo = 0;
    let hi = lines.length;
    while (lo < hi) {
      const mid = (lo + hi) >> 1;
      if (lines[mid] < value) lo = mid + 1; else hi = mid;
    }
    return lo;
  };
  return {first: lower(line), last: lower(line + 1)};
}

function paint() {
  const box = list();
  const first = Math.max(0, Math.floor(box.scrollTop / Row) - Spare);
  const last = Math.min(words.length, Math.ceil((box.scrollTop + box.clientHeight) / Row) + Spare);
  const rows = [];
  for (let i = first; i < last; i++) {
    const li = document.createElement('li');
    li.textContent = words[i];
    li.dataset.line = lines[i] || 0;
    li.dataset.word = i;
    li.id = `word-${i}`;
    li.role = 'option';
    li.style.top = `${i * Row}px`;
    li.setAttribute('aria-posinset', i + 1);
    li.setAttribute('aria-setsize', words.length);
    if (i >= linked.first && i < linked.last) li.classList.add('linked');
    if (i === active) {
      li.classList.add('active');
      li.setAttribute('aria-selected', 'true');
    }
    rows.push(li);
  }
  box.replaceChildren(...rows);
  box.style.setProperty('--rows', words.length);
  if (active >= first && active < last) box.setAttribute('aria-activedescendant', `word-${active}`);
  else box.removeAttribute('aria-activedescendant');
}

// Brings word i into the view.
function reveal(i) {
  const box = list();
  const top = i * Row;
  if (top < box.scrollTop) box.scrollTop = top;
  else if (top + Row > box.scrollTop + box.clientHeight) box.scrollTop = top + Row - box.clientHeight;
}

// The rows are made in the next frame, once whatever else changed is laid out: reading the
// list's place at once would make the browser lay out the whole page an extra time.
let frame = 0;
let revealing = -1;
function paintSoon(reveals) {
  revealing = reveals;
  if (frame) return;
  frame = requestAnimationFrame(() => {
    frame = 0;
    if (revealing >= 0) reveal(revealing);
    paint();
  });
}

export function showCode(code, wordSourceLine, caretLine) {
  const fresh = code !== words;
  words = code;
  lines = wordSourceLine;
  active = -1;
  if (fresh) list().scrollTop = 0;
  linkLine(caretLine, true);
}

// The words of source line `line` stand out, and come into view.
export function linkLine(line, always = false) {
  const words = wordsOf(line);
  // Typing within a line leaves its words as they are shown.
  if (!always && words.first === linked.first && words.last === linked.last) return;
  linked = words;
  paintSoon(linked.last > linked.first ? linked.first : -1);
}

// Moves the active word (arrows, Home, End); its source line is the list's to follow.
export function activate(i) {
  if (!words.length) return;
  active = Math.max(0, Math.min(i, words.length - 1));
  paintSoon(active);
}

export function activeWord() { return active; }
export function lineOfWord(i) { return lines[i] || 0; }

export function bindCodeList() { list().addEventListener('scroll', paint, {passive: true}); }
