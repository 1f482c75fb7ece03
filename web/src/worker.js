// The worker holds the WebAssembly core: the language server and the program operations run
// here, so a long compile never freezes the editor. Messages are handled strictly in order.
import createQ41 from './q41.mjs';

let core = null;
const queue = [];

function answer(data) {
  if (data.start !== undefined) {
    core.ccall('q41_start', null, ['number'], [data.start]);
    postMessage({id: data.id, result: true});
  } else if (data.lsp !== undefined) {
    for (const message of core.lsp(data.lsp)) postMessage({lsp: JSON.stringify(message)});
  } else if (data.core !== undefined) {
    postMessage({id: data.id, text: core.coreText(data.core)});
  }
}

function handle(data) {
  try {
    answer(data);
  } catch (e) {
    if (data.id !== undefined)
      postMessage({id: data.id, result: {error: String(e)}});
    else
      postMessage({failure: String(e)});
  }
}

onmessage = (event) => {
  if (core)
    handle(event.data);
  else
    queue.push(event.data);
};

createQ41().then(
    (m) => {
      core = m;
      postMessage({ready: true});
      while (queue.length) handle(queue.shift());
    },
    (e) => postMessage({failure: String(e), fatal: true}),
);
