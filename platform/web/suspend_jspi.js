// Waiting without changing the program: under node nothing waits, and in a
// browser with JSPI (jspi.js) the calls that may wait are suspending imports,
// so the program's own stack is set aside while the host's promise is
// pending.
mergeInto(LibraryManager.library, {
  // Runs `work`, the host's side of a call, and gives its value, or the
  // promise of its value for a suspending import to wait on.
  $raizesSettled: function(work, failed) {
    var value = work();
    if (!value || typeof value.then !== 'function') return value;
    if (!Module['raizesSuspends']) abort('the host answered with a promise, and this program cannot wait for it');
    return value.then(null, function() { return failed; });
  },

  // The program ends where it stands: the host has ended it (node's process
  // ends here), and in a browser it is suspended for good, so that nothing
  // of it runs on.
  raizes_host_exit: function(status) {
    Module['raizesHost'].exit(status);
    if (!Module['raizesSuspends']) abort('the program did not end');
    return new Promise(function() {});
  },
});
