// The page's message boxes: a question with OK and Cancel, or a notice with OK alone.
// Escape and closing count as Cancel, as the desktop's boxes do.
import {plain, t} from './texts.js';

const dialog = () => document.getElementById('question');

export function ask(text, withCancel = true) {
  const box = dialog();
  const ok = document.getElementById('question-ok');
  const cancel = document.getElementById('question-cancel');
  document.getElementById('question-text').textContent = text;
  ok.textContent = t('Ok');
  cancel.textContent = plain(t('ButtonCancel'));
  cancel.hidden = !withCancel;
  return new Promise((resolve) => {
    const finish = (answer) => {
      ok.onclick = cancel.onclick = box.oncancel = null;
      if (box.open) box.close();
      resolve(answer);
    };
    ok.onclick = () => finish(true);
    cancel.onclick = () => finish(false);
    box.oncancel = (e) => {
      e.preventDefault();
      finish(false);
    };
    box.showModal();
    ok.focus();
  });
}

export function notice(text) { return ask(text, false); }

// A panel dialog: its Close button and Escape close it, and focus goes back where it was.
export function openPanel(box, focusTarget) {
  const before = document.activeElement;
  box.querySelector('.close').onclick = () => box.close();
  box.onclose = () => {
    if (before && before.isConnected) before.focus();
  };
  box.showModal();
  if (focusTarget) focusTarget.focus();
}
