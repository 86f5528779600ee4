// The calls of platform/web/host.hpp. Each goes to the host object that the
// start-up put in Module.raizesHost: node_host.js under node, the page's
// own in a browser. A call that may wait (the page's console and viewer,
// and the page's turn now and then during a long run) gets a promise from
// the host; the program then sleeps until it settles, by the means of its
// build: suspend_jspi.js or suspend_asyncify.js defines raizesSettled and
// the end of the program.
mergeInto(LibraryManager.library, {
  // A NUL-terminated text of the program, as its bytes: names and commands
  // are bytes to the program, and each host reads them in its own way.
  $raizesBytes: function(pointer) {
    var end = pointer;
    while (HEAPU8[end] !== 0) ++end;
    return HEAPU8.slice(pointer, end);
  },

  raizes_host_is_console: function(handle) { return Module['raizesHost'].isConsole(handle) ? 1 : 0; },

  raizes_host_read__deps: ['$raizesSettled'],
  raizes_host_read: function(handle, buffer, size) {
    return raizesSettled(function() {
      return Module['raizesHost'].read(handle, size, function(bytes) {
        HEAPU8.set(bytes, buffer);
        return bytes.length;
      });
    }, -5);
  },

  // The bytes are the program's memory itself, not a copy: the host takes
  // them before it returns, and never makes the program wait.
  raizes_host_write: function(handle, bytes, size) {
    return Module['raizesHost'].write(handle, HEAPU8.subarray(bytes, bytes + size));
  },

  raizes_host_turn__deps: ['$raizesSettled'],
  raizes_host_turn: function() { return raizesSettled(function() { return Module['raizesHost'].turn(); }, 0); },

  raizes_host_close: function(handle) { Module['raizesHost'].close(handle); },

  raizes_host_discard_typed_ahead: function(handle) { Module['raizesHost'].discardTypedAhead(handle); },

  raizes_host_open__deps: ['$raizesBytes'],
  raizes_host_open: function(path, createNew, access) {
    return Module['raizesHost'].open(raizesBytes(path), createNew !== 0, access);
  },

  // HostStat: device, index (doubles at 0 and 8), kind (int at 16), size (double at 24).
  $raizesStat: function(found, status) {
    if (typeof found === 'number') return found;
    HEAPF64[status >> 3] = found.device;
    HEAPF64[(status + 8) >> 3] = found.index;
    HEAP32[(status + 16) >> 2] = found.kind;
    HEAPF64[(status + 24) >> 3] = found.size;
    return 0;
  },

  raizes_host_stat_path__deps: ['$raizesStat', '$raizesBytes'],
  raizes_host_stat_path: function(path, status) {
    return raizesStat(Module['raizesHost'].statPath(raizesBytes(path)), status);
  },

  raizes_host_stat_handle__deps: ['$raizesStat'],
  raizes_host_stat_handle: function(handle, status) {
    return raizesStat(Module['raizesHost'].statHandle(handle), status);
  },

  raizes_host_seek: function(handle, offset) { return Module['raizesHost'].seek(handle, offset); },

  raizes_host_truncate: function(handle, offset) { return Module['raizesHost'].truncate(handle, offset); },

  raizes_host_unlink__deps: ['$raizesBytes'],
  raizes_host_unlink: function(path) { return Module['raizesHost'].unlink(raizesBytes(path)); },

  raizes_host_environment__deps: ['$raizesBytes'],
  raizes_host_environment: function(name, value, size) {
    var found = Module['raizesHost'].environment(raizesBytes(name));
    if (found === undefined || found === null) return -1;
    var bytes = intArrayFromString(found, true);
    var n = Math.min(bytes.length, size - 1);
    HEAPU8.set(bytes.slice(0, n), value);
    HEAPU8[value + n] = 0;
    return bytes.length;
  },

  raizes_host_start__deps: ['$raizesBytes'],
  raizes_host_start: function(processor, command) {
    return Module['raizesHost'].start(raizesBytes(processor), raizesBytes(command));
  },

  raizes_host_wait__deps: ['$raizesSettled'],
  raizes_host_wait: function(id) { return raizesSettled(function() { return Module['raizesHost'].wait(id); }, -1); },
});
