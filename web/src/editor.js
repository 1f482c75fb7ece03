// The source editor of one block: CodeMirror with the language server's services. The
// colours come from the server's semantic tokens; the page itself knows nothing of the
// language.
import {completionKeymap} from '@codemirror/autocomplete';
import {defaultKeymap, history, historyKeymap} from '@codemirror/commands';
import {lintGutter, lintKeymap} from '@codemirror/lint';
import {findReferencesKeymap, hoverTooltips, jumpToDefinitionKeymap, LSPClient, LSPPlugin, renameKeymap, serverCompletion, serverDiagnostics} from '@codemirror/lsp-client';
import {highlightSelectionMatches, openSearchPanel, search, searchKeymap} from '@codemirror/search';
import {EditorState, StateEffect, StateField} from '@codemirror/state';
import {Decoration, drawSelection, EditorView, highlightActiveLine, highlightActiveLineGutter, highlightSpecialChars, keymap, lineNumbers} from '@codemirror/view';

// The server's legend, in its order; a label's definition carries "declaration".
const Legend =
    ['keyword', 'variable', 'number', 'string', 'function', 'enumMember', 'macro', 'comment'];

const setTokens = StateEffect.define();
const tokenField = StateField.define({
  create: () => Decoration.none,
  update(value, tr) {
    value = value.map(tr.changes);
    for (const effect of tr.effects)
      if (effect.is(setTokens)) value = effect.value;
    return value;
  },
  provide: (field) => EditorView.decorations.from(field),
});

const marks = {};
function tokenMark(type, declaration) {
  const name = `tok-${Legend[type] || 'other'}${declaration ? ' tok-declaration' : ''}`;
  return marks[name] || (marks[name] = Decoration.mark({class: name}));
}

function decodeTokens(doc, data) {
  const ranges = [];
  let line = 0;
  let start = 0;
  for (let i = 0; i + 4 < data.length; i += 5) {
    line += data[i];
    start = data[i] ? data[i + 1] : start + data[i + 1];
    if (line >= doc.lines) break;
    const info = doc.line(line + 1);
    const from = Math.min(info.from + start, info.to);
    const to = Math.min(from + data[i + 2], info.to);
    if (to > from) ranges.push(tokenMark(data[i + 3], data[i + 4] & 1).range(from, to));
  }
  return Decoration.set(ranges, true);
}

// Asks the server for the colours of the view's document and paints them when the answer
// still belongs to the text on screen (a newer change asks again anyway).
export async function refreshTokens(view) {
  const plugin = LSPPlugin.get(view);
  if (!plugin || !plugin.client.connected) return;
  plugin.client.sync();
  const doc = view.state.doc;
  try {
    const result = await plugin.client.request('textDocument/semanticTokens/full', {
      textDocument: {uri: plugin.uri},
    });
    if (result && view.state.doc === doc) {
      view.dispatch({effects: setTokens.of(decodeTokens(doc, result.data || []))});
    }
  } catch {
    // A server restarted in another language answers no more; the new client repaints.
  }
}

export function createClient(transport) {
  const client = new LSPClient({
    rootUri: 'file:///program/',
    timeout: 5000,
    extensions: [
      serverCompletion({override: true}),
      hoverTooltips(),
      keymap.of([...renameKeymap, ...jumpToDefinitionKeymap, ...findReferencesKeymap]),
      serverDiagnostics(),
    ],
  });
  client.connect(transport);
  return client;
}

const pageKeys = [
  {key: 'Mod-h', run: openSearchPanel, scope: 'editor search-panel'},
];

// A block's editor; `onDocChange` hears every edit, `onCaret` every move of the caret line.
export function createEditor({parent, doc, uri, client, label, phrases, onDocChange, onCaret}) {
  let tokenTimer = 0;
  const extensions = [
    lineNumbers(),
    highlightActiveLineGutter(),
    highlightSpecialChars(),
    history(),
    drawSelection(),
    highlightActiveLine(),
    highlightSelectionMatches(),
    search({top: true}),
    lintGutter(),
    tokenField,
    EditorState.phrases.of(phrases),
    // The faults marked while typing are also a list the keys open (Ctrl+Shift+M, F8), not only
    // tooltips a mouse brings up.
    keymap.of([...pageKeys, ...completionKeymap, ...searchKeymap, ...lintKeymap, ...historyKeymap,
               ...defaultKeymap]),
    EditorView.contentAttributes.of({'aria-label': label, spellcheck: 'false'}),
    EditorView.updateListener.of((update) => {
      if (update.docChanged) {
        onDocChange(update.state.doc.toString());
        clearTimeout(tokenTimer);
        tokenTimer = setTimeout(() => refreshTokens(update.view), 120);
      }
      if (update.selectionSet || update.docChanged) {
        onCaret(update.state.doc.lineAt(update.state.selection.main.head).number);
      }
    }),
  ];
  if (client) extensions.push(client.plugin(uri, 'q41asm'));
  const view = new EditorView({state: EditorState.create({doc, extensions}), parent});
  if (client) client.initializing.then(() => refreshTokens(view));
  return view;
}

// Selects a source line (1-based) and, when given, puts the caret at its column.
export function selectLine(view, line, column = 0) {
  const doc = view.state.doc;
  if (line < 1 || line > doc.lines) return;
  const info = doc.line(line);
  const anchor = column > 0 ? Math.min(info.from + column - 1, info.to) : info.from;
  view.dispatch({
    selection: column > 0 ? {anchor} : {anchor: info.from, head: info.to},
    scrollIntoView: true,
  });
  view.focus();
}
