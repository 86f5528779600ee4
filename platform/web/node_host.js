// Under node the web program's host is node itself: the real file system,
// the process's standard handles, and the command processor started
// through node's own process calls, as the Linux program starts it.
if (typeof process === 'object' && process.versions && process.versions.node && !Module['raizesHost']) {
  Module['raizesHost'] = (function() {
    var fs = require('fs');
    var tty = require('tty');
    var os = require('os');

    // Node names its errors; the program gets Linux's numbers for them.
    var errorNumbers = {
      EPERM: 1, ENOENT: 2, EIO: 5, ENXIO: 6, ENOEXEC: 8, EBADF: 9, EAGAIN: 11, ENOMEM: 12, EACCES: 13,
      EBUSY: 16, EEXIST: 17, ENODEV: 19, ENOTDIR: 20, EISDIR: 21, EINVAL: 22, ENFILE: 23, EMFILE: 24,
      ETXTBSY: 26, EFBIG: 27, ENOSPC: 28, EROFS: 30, EPIPE: 32, ENAMETOOLONG: 36, ELOOP: 40, EILSEQ: 84,
      EOPNOTSUPP: 95, EDQUOT: 122,
    };
    var failure = function(e) { return -(errorNumbers[e.code] || errorNumbers.EIO); };

    // Files of the program keep their own position; the standard handles
    // and devices read and write where they stand.
    var positions = new Map();
    var pause = (function() {
      var cell = new Int32Array(new SharedArrayBuffer(4));
      return function() { Atomics.wait(cell, 0, 0, 2); };
    })();
    var kindOf = function(s) {
      return s.isFile() ? 1 : s.isDirectory() ? 2 : s.isCharacterDevice() ? 3 : 4;
    };
    var described = function(s) {
      return { device: Number(s.dev), index: Number(s.ino), kind: kindOf(s), size: Number(s.size) };
    };
    var ignored = function() {};
    var finished = new Map();
    var nextProcess = 1;

    // A write beyond the file-size limit fails with EFBIG instead of ending
    // node; a write to a closed pipe already fails with EPIPE under node.
    process.on('SIGXFSZ', ignored);

    // A transfer that would block (a standard handle that another program
    // made non-blocking) is tried again. `call` is fs.readSync or
    // fs.writeSync.
    var transfer = function(call, fd, buffer, length) {
      for (;;) {
        try {
          var position = positions.get(fd);
          var n = call(fd, buffer, 0, length, position === undefined ? null : position);
          if (position !== undefined) positions.set(fd, position + n);
          return n;
        } catch (e) {
          if (e.code !== 'EAGAIN') return failure(e);
          pause();
        }
      }
    };

    // The command processor is looked for as the C library's execvp looks
    // for a program: a name with a slash as it is, any other in the folders
    // of PATH. Its path, or minus the error.
    var located = function(name) {
      if (name.length === 0) return -errorNumbers.ENOENT;
      var path = process.env.PATH === undefined ? '/bin:/usr/bin' : process.env.PATH;
      var folders = name.includes(0x2F) ? [null] : path.split(':');
      var refused = false;
      for (var folder of folders) {
        var candidate = folder === null ? name : Buffer.concat([Buffer.from((folder || '.') + '/'), name]);
        try {
          if (!fs.statSync(candidate).isFile()) {
            refused = true;
            continue;
          }
          fs.accessSync(candidate, fs.constants.X_OK);
          return candidate;
        } catch (e) {
          if (e.code === 'EACCES') refused = true;
          else if (e.code !== 'ENOENT' && e.code !== 'ENOTDIR') return failure(e);
        }
      }
      return -(refused ? errorNumbers.EACCES : errorNumbers.ENOENT);
    };

    // Node hands a program its arguments as UTF-8 texts only. The processor
    // gets the program's bytes all the same: the shell turns their octal
    // escapes back into bytes and runs the processor in its own place.
    var escaped = function(bytes) {
      return Array.from(bytes, function(b) { return '\\0' + b.toString(8); }).join('');
    };
    // Node's process module is loaded only when a command runs: loading it
    // is a good part of the program's start.
    var run = function(path, command) {
      var childProcess = require('child_process');
      var inherit = { stdio: 'inherit' };
      if (process.platform === 'win32') {
        return childProcess.spawnSync(path.toString('latin1'), ['/c', command.toString('latin1')], inherit);
      }
      var script = 'p=$(printf "%b." "$1"); c=$(printf "%b." "$2"); exec "${p%.}" /c "${c%.}"';
      return childProcess.spawnSync('/bin/sh', ['-c', script, 'sh', escaped(path), escaped(command)], inherit);
    };

    return {
      isConsole: function(fd) { return tty.isatty(fd); },
      read: function(fd, size, deliver) {
        var buffer = Buffer.alloc(size);
        var n = transfer(fs.readSync, fd, buffer, size);
        return n < 0 ? n : deliver(buffer.subarray(0, n));
      },
      write: function(fd, bytes) { return transfer(fs.writeSync, fd, bytes, bytes.length); },
      // Node's own work waits for the program's end: no turn is taken.
      turn: function() { return 0; },
      close: function(fd) {
        positions.delete(fd);
        try { fs.closeSync(fd); } catch (e) {}
      },
      // What was typed ahead on a terminal, as whole lines: node cannot
      // flush a terminal's input, it reads it away through a second,
      // non-blocking opening of the same terminal.
      discardTypedAhead: function(fd) {
        if (!tty.isatty(fd)) return;
        var c = fs.constants;
        var reader;
        try {
          reader = fs.openSync('/proc/self/fd/' + fd, c.O_RDONLY | c.O_NONBLOCK | c.O_NOCTTY);
        } catch (e) {
          return;
        }
        var buffer = Buffer.alloc(4096);
        try {
          while (fs.readSync(reader, buffer, 0, buffer.length, null) > 0) {}
        } catch (e) {}
        fs.closeSync(reader);
      },
      exit: function(status) { process.exit(status); },
      open: function(path, createNew, access) {
        var c = fs.constants;
        var flags = [c.O_RDWR, c.O_RDONLY, c.O_WRONLY][access] | c.O_NOCTTY;
        if (createNew) flags |= c.O_CREAT | c.O_EXCL;
        try {
          var fd = fs.openSync(Buffer.from(path), flags, 0o666);
          if (fs.fstatSync(fd).isFile()) positions.set(fd, 0);
          return fd;
        } catch (e) {
          return failure(e);
        }
      },
      statPath: function(path) {
        try { return described(fs.statSync(Buffer.from(path))); } catch (e) { return failure(e); }
      },
      statHandle: function(fd) {
        try { return described(fs.fstatSync(fd)); } catch (e) { return failure(e); }
      },
      seek: function(fd, offset) {
        if (positions.has(fd)) positions.set(fd, offset);
        return 0;
      },
      truncate: function(fd, offset) {
        try { fs.ftruncateSync(fd, offset); return 0; } catch (e) { return failure(e); }
      },
      unlink: function(path) {
        try { fs.unlinkSync(Buffer.from(path)); return 0; } catch (e) { return failure(e); }
      },
      environment: function(name) { return process.env[Buffer.from(name).toString('latin1')]; },
      // The processor gets "/c" and the command as two arguments, the
      // standard handles and the environment; interrupts typed meanwhile
      // are its own. Node waits for it at once: the wait only collects
      // its status.
      start: function(processor, command) {
        var path = process.platform === 'win32' ? Buffer.from(processor) : located(Buffer.from(processor));
        if (typeof path === 'number') return path;
        process.on('SIGINT', ignored);
        process.on('SIGQUIT', ignored);
        var ran = run(path, Buffer.from(command));
        process.removeListener('SIGINT', ignored);
        process.removeListener('SIGQUIT', ignored);
        if (ran.error) return failure(ran.error);
        var id = nextProcess++;
        finished.set(id, ran.status !== null ? ran.status : 128 + (os.constants.signals[ran.signal] || 0));
        return id;
      },
      wait: function(id) {
        var status = finished.get(id);
        finished.delete(id);
        return status === undefined ? -1 : status;
      },
    };
  })();
}
