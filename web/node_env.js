// The tool under node reads the host's environment (its language comes from LANG and the
// like), not the stand-in the WebAssembly runtime makes up.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  Object.assign(ENV, process.env);
});
