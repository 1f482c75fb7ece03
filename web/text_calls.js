// The page's calls, with texts in and out. A text goes in through the encoder straight into
// the module's memory: the runtime's own string passing copies a character at a time, which
// for a whole program took longer than compiling it.
Module.textEncoder = new TextEncoder();

function q41Encoded(text) {
  var encoder = Module.textEncoder;
  var size = text.length * 3 + 1;
  var at = _malloc(size);
  var written = encoder.encodeInto(text, HEAPU8.subarray(at, at + size - 1)).written;
  HEAPU8[at + written] = 0;
  return { at: at, size: written };
}

// One message of the language server's protocol (text) in; the messages back (objects).
Module['lsp'] = function (message) {
  var text = q41Encoded(message);
  try {
    return JSON.parse(UTF8ToString(_q41_lsp(text.at)));
  } finally {
    _free(text.at);
  }
};

// A request of the program core (an object) in, its answer (an object) out. The blocks'
// sources travel beside the request, not inside its JSON, which the core would read a
// character at a time.
Module['core'] = function (request) {
  return JSON.parse(Module['coreText'](request));
};

// The same, the answer as the core's JSON text: a worker passes a text to the page in one
// copy, where an object of many parts is copied part by part.
Module['coreText'] = function (request) {
  var program = request.program;
  var sources = [];
  if (program && Array.isArray(program.blocks)) {
    sources = program.blocks.map(function (block) {
      return String(block.source == null ? '' : block.source);
    });
  }
  var room = 1;
  sources.forEach(function (text) { room += text.length * 3; });
  var at = _malloc(room);
  var used = 0;
  var sizes = sources.map(function (text) {
    var written = Module.textEncoder.encodeInto(text, HEAPU8.subarray(at + used, at + room)).written;
    used += written;
    return written;
  });
  if (sources.length > 0) {
    var blocks = program.blocks.map(function (block, k) {
      var copy = Object.assign({}, block, { sourceBytes: sizes[k] });
      delete copy.source;
      return copy;
    });
    request = Object.assign({}, request, { program: Object.assign({}, program, { blocks: blocks }) });
  }
  var head = q41Encoded(JSON.stringify(request));
  try {
    return UTF8ToString(_q41_core_with(head.at, at, used));
  } finally {
    _free(head.at);
    _free(at);
  }
};
