// In a browser with JSPI the program is instantiated with its waiting calls
// as suspending imports and its main function as a promising export: while
// the page's promise for a console line, the viewer or the page's turn is
// pending, the program's stack is set aside, and the page runs.
if (typeof WebAssembly === 'object' && typeof WebAssembly.Suspending === 'function' &&
    typeof WebAssembly.promising === 'function' && !ENVIRONMENT_IS_NODE) {
  Module['instantiateWasm'] = function(imports, receiveInstance) {
    var env = imports['env'];
    ['raizes_host_read', 'raizes_host_turn', 'raizes_host_wait', 'raizes_host_exit'].forEach(function(name) {
      env[name] = new WebAssembly.Suspending(env[name]);
    });
    WebAssembly.instantiate(getBinary(wasmBinaryFile), imports).then(function(result) {
      var exports = Object.assign({}, result.instance.exports);
      var main = WebAssembly.promising(exports['main']);
      // The program's end is a promise that never settles; a failure of the
      // program after its first wait is its abort (which throws the error on).
      exports['main'] = function(argc, argv) {
        main(argc, argv).catch(function(error) {
          if (error === 'unwind' || error instanceof ExitStatus) return;
          try {
            abort(error);
          } catch (e) {}
        });
        return 0;
      };
      Module['raizesSuspends'] = true;
      receiveInstance({ exports: exports }, result.module);
    }, function(error) {
      abort(error);
    });
    return {};
  };
}
