// The page's side of the worker: core requests as promises, and the language server as a
// Transport for the LSP client.
const worker =
    window.q41Worker || new Worker(new URL('./worker.js', import.meta.url), {type: 'module'});
const pending = new Map();
const lspHandlers = new Set();
let nextId = 1;

worker.onmessage = (event) => {
  const data = event.data;
  if (data.lsp !== undefined) {
    for (const handler of lspHandlers) handler(data.lsp);
  } else if (data.id !== undefined && pending.has(data.id)) {
    pending.get(data.id)(data.text !== undefined ? JSON.parse(data.text) : data.result);
    pending.delete(data.id);
    showPending();
  } else if (data.fatal) {
    failed(data.failure);
  } else if (data.failure) {
    console.error('Q41 core:', data.failure);
  }
};
worker.onerror = (event) => failed(event.message || 'worker error');

// A core that failed answers nothing more: the page says so instead of waiting forever.
let failureHandler = (text) => console.error('Q41 core:', text);
function failed(text) {
  failureHandler(text);
  for (const resolve of pending.values()) resolve({error: text});
  pending.clear();
  showPending();
}

export function onCoreFailure(handler) { failureHandler = handler; }

// How many core requests are under way, on the body as data-pending: a driver of the page
// waits for "0" to know that a command has done its work.
function showPending() { document.body.dataset.pending = String(pending.size); }

function post(message) {
  const id = nextId++;
  return new Promise((resolve) => {
    pending.set(id, resolve);
    showPending();
    worker.postMessage({...message, id});
  });
}

// Starts (or restarts, in another language) the core and its language server.
export function startCore(language) { return post({start: language}); }

// One program operation: resolves to the core's answer (which may be {error}).
export function coreRequest(request) { return post({core: request}); }

// A fresh transport per LSP client: a restarted server gets a new client.
export function lspTransport() {
  const own = new Set();
  return {
    send(message) { worker.postMessage({lsp: message}); },
    subscribe(handler) {
      own.add(handler);
      lspHandlers.add(handler);
    },
    unsubscribe(handler) {
      own.delete(handler);
      lspHandlers.delete(handler);
    },
    close() {
      for (const handler of own) lspHandlers.delete(handler);
      own.clear();
    },
  };
}

// Base64 of the core's file bytes to a Blob and back, untouched.
export function bytesFromBase64(b64) {
  const text = atob(b64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}

export function base64FromBytes(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(text);
}
