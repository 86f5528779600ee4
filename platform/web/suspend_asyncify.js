// Waiting by Asyncify, for browsers without JSPI: the program's stack is
// unwound into memory while the host's promise is pending, and rewound when
// it settles.
mergeInto(LibraryManager.library, {
  // Runs `work`, the host's side of a call. When the host answers with a
  // promise, the program sleeps until it settles, and the call returns its
  // value as the program runs on. That happens by running the program's
  // code again up to this call, which must then not redo the work.
  $raizesSettled__deps: ['$Asyncify'],
  $raizesSettled: function(work, failed) {
    if (Asyncify.state !== Asyncify.State.Normal) return Asyncify.handleSleep(function() {});
    var value = work();
    if (!value || typeof value.then !== 'function') return value;
    return Asyncify.handleSleep(function(wakeUp) {
      // The program may end while it runs on: its end unwinds the stack by
      // throwing 'unwind', which is no error.
      var resume = function(result) {
        try {
          wakeUp(result);
        } catch (e) {
          if (e !== 'unwind') throw e;
        }
      };
      value.then(resume, function() { resume(failed); });
    });
  },

  raizes_host_exit: function(status) {
    Module['raizesHost'].exit(status);
    throw 'unwind';
  },
});
