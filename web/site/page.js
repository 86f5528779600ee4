// The page is the web program's host (platform/web/host.js): its console
// panel is the console, an in-memory folder holds the files, and the page
// itself is the command processor, showing the report in its viewer panel.
// Each run's command line is the equation of the page's fields (equation.js).
'use strict';

(function() {
  // Linux's error numbers, which the program's platform layer expects.
  var ENOENT = 2, EBADF = 9, EEXIST = 17, ENOSPC = 28;
  // The files of a session together may hold this many bytes; a run that
  // needs more ends with the program's write error instead of exhausting
  // the tab.
  var FOLDER_LIMIT = 768 * 1024 * 1024;
  // The program lets the page have its turn this often during a long run.
  var SLICE_MS = 25;

  // Windows-1252, the program's character set, both ways.
  var decoder = new TextDecoder('windows-1252');
  var encoding = new Map();
  for (var b = 0; b < 256; ++b) encoding.set(decoder.decode(new Uint8Array([b])), b);
  // The browser's texts and downloads take no resizable buffer, in which
  // the folder writes its files (below): such bytes are copied first.
  var fixed = function(bytes) { return bytes.buffer.resizable ? bytes.slice() : bytes; };
  var decode = function(bytes) { return decoder.decode(fixed(bytes)); };
  var encode = function(text) {
    var bytes = [];
    for (var c of text) bytes.push(encoding.has(c) ? encoding.get(c) : 0x3F);
    return bytes;
  };

  // ----------------------------------------------------------------------
  // Where a file's pages of lines start (the viewer shows LINES_PER_PAGE
  // lines at a time), kept as the file is written, so that the viewer opens
  // a long report at once and a run's progress counts its lines. `count` is
  // the number of line feeds in the file's first `through` bytes, and
  // `starts[j]` where line (j + 1) x LINES_PER_PAGE starts, for those lines
  // among them; a write or a cut before `through` forgets what follows it.
  var LINES_PER_PAGE = 2000;
  function LineIndex() {
    this.starts = [];
    this.count = 0;
    this.through = 0;
  }
  LineIndex.prototype.forget = function(from) {
    if (from >= this.through) return;
    var j = this.starts.length;
    while (j > 0 && this.starts[j - 1] > from) --j;
    this.starts.length = j;
    this.count = j * LINES_PER_PAGE;
    this.through = j > 0 ? this.starts[j - 1] : 0;
  };
  // Takes in the line feeds of the file's bytes from `through` to `to`.
  LineIndex.prototype.cover = function(file, to) {
    if (to > this.through) this.take(file.bytes.slice(this.through, to), this.through);
  };
  // Takes in the line feeds of `bytes`, which the file holds from `from`
  // where the index ends. They are the bytes just written, as the program
  // gave them (a view of the folder's growing buffer is slower to search),
  // looked at four at a time: a word has a byte 0A where the word XOR
  // 0A0A0A0A has a zero byte, and x has one where (x - 01010101) & ~x has
  // a high bit (the first such byte is the zero, and only it is tested).
  LineIndex.prototype.take = function(bytes, from) {
    var n = bytes.length;
    var head = Math.min(n, (4 - (bytes.byteOffset & 3)) & 3);
    var count = (n - head) >> 2;
    var k = this.count, j;
    for (j = 0; j < head; ++j) {
      if (bytes[j] === 10 && ++k % LINES_PER_PAGE === 0) this.starts.push(from + j + 1);
    }
    if (count > 0) {
      var words = new Int32Array(bytes.buffer, bytes.byteOffset + head, count);
      for (var w = 0; w < count; ++w) {
        var x = words[w] ^ 0x0A0A0A0A;
        if (((x - 0x01010101) & ~x & 0x80808080) === 0) continue;
        for (j = head + 4 * w; j < head + 4 * w + 4; ++j) {
          if (bytes[j] === 10 && ++k % LINES_PER_PAGE === 0) this.starts.push(from + j + 1);
        }
      }
    }
    for (j = head + 4 * count; j < n; ++j) {
      if (bytes[j] === 10 && ++k % LINES_PER_PAGE === 0) this.starts.push(from + j + 1);
    }
    this.count = k;
    this.through = from + n;
  };
  // The lines of a file of `size` bytes whose index covers it: a last line
  // without its line feed is a line too, and an empty file has one.
  LineIndex.prototype.lines = function(bytes, size) {
    return this.count + 1 - (size > 0 && bytes[size - 1] === 10 ? 1 : 0);
  };
  // Where the page that begins at line `k` (from 0) starts.
  LineIndex.prototype.start = function(k) { return k === 0 ? 0 : this.starts[k / LINES_PER_PAGE - 1]; };

  // ----------------------------------------------------------------------
  // The folder: files by name, for the whole visit of the page. A file's
  // bytes are one buffer, which grows in place where the browser can resize
  // an ArrayBuffer (room is reserved, and memory taken as the file grows),
  // else by a copy twice as large; the limit counts the bytes of the files.
  function Folder() {
    this.files = new Map();
    this.handles = new Map();
    this.nextHandle = 3;
    this.nextIndex = 1;
    this.used = 0;  // the bytes of the files, and of removed ones still open
    this.limit = FOLDER_LIMIT;
  }
  // The folder has no sub-folders: a name with a slash is in a folder that
  // is not there. The null device is the one device.
  Folder.NULL_DEVICE = '/dev/null';
  Folder.prototype.valid = function(name) { return name.length > 0 && name.indexOf('/') < 0; };
  Folder.prototype.bytesOf = function(file) { return file.bytes.subarray(0, file.size); };
  Folder.prototype.newBytes = function(length) {
    try {
      return new Uint8Array(new ArrayBuffer(length, { maxByteLength: Math.max(length, this.limit) }));
    } catch (e) {
      return new Uint8Array(length);
    }
  };
  // Room for `size` bytes; false when the browser has no memory for them.
  Folder.prototype.grow = function(file, size) {
    var buffer = file.bytes.buffer;
    if (size <= buffer.byteLength) return true;
    var length = Math.max(size, 2 * buffer.byteLength, 65536);
    try {
      if (buffer.resizable && size <= buffer.maxByteLength) {
        buffer.resize(Math.min(length, buffer.maxByteLength));
      } else {
        var grown = this.newBytes(length);
        grown.set(file.bytes.subarray(0, file.size));
        file.bytes = grown;
      }
      return true;
    } catch (e) {
      return false;
    }
  };
  // The file's size becomes `size`; the folder's count follows.
  Folder.prototype.resize = function(file, size) {
    if (!file.removed || file.handles > 0) this.used += size - file.size;
    file.size = size;
  };
  Folder.prototype.open = function(name, createNew, access) {
    var file;
    if (name === Folder.NULL_DEVICE) {
      file = { device: true, handles: 0 };
    } else {
      if (!this.valid(name)) return -ENOENT;
      file = this.files.get(name);
      if (file && createNew) return -EEXIST;
      if (!file && !createNew) return -ENOENT;
      if (!file) {
        file = { name: name, bytes: this.newBytes(0), size: 0, index: this.nextIndex++, written: 0, handles: 0,
                 removed: false, lines: new LineIndex() };
        this.files.set(name, file);
      }
    }
    var handle = this.nextHandle++;
    file.handles += 1;
    this.handles.set(handle, { file: file, position: 0, access: access });
    return handle;
  };
  Folder.prototype.fileOf = function(handle) {
    var h = this.handles.get(handle);
    return h && !h.file.device ? h.file : null;
  };
  Folder.prototype.stat = function(file) {
    if (file.device) return { device: 1, index: 0, kind: 3, size: 0 };
    return { device: 2, index: file.index, kind: 1, size: file.size };
  };
  Folder.prototype.statPath = function(name) {
    if (name === Folder.NULL_DEVICE) return this.stat({ device: true });
    var file = this.files.get(name);
    return file ? this.stat(file) : -ENOENT;
  };
  Folder.prototype.statHandle = function(handle) {
    var h = this.handles.get(handle);
    return h ? this.stat(h.file) : -EBADF;
  };
  // As a disk does: what fits is written, and a write of which nothing fits
  // fails with ENOSPC. Bytes written over the file's own take no room.
  Folder.prototype.write = function(handle, bytes) {
    var h = this.handles.get(handle);
    if (!h || h.access === 1) return -EBADF;
    if (h.file.device) return bytes.length;
    var file = h.file;
    var most = file.size + Math.max(0, this.limit - this.used);
    var n = Math.min(bytes.length, Math.max(0, most - h.position));
    if (n === 0 && bytes.length > 0) return -ENOSPC;
    var end = h.position + n;
    if (!this.grow(file, end)) return -ENOSPC;
    if (h.position > file.size) file.bytes.fill(0, file.size, h.position);
    file.bytes.set(n === bytes.length ? bytes : bytes.subarray(0, n), h.position);
    if (end > file.size) this.resize(file, end);
    file.lines.forget(h.position);
    if (file.lines.through === h.position) file.lines.take(n === bytes.length ? bytes : bytes.subarray(0, n), h.position);
    else file.lines.cover(file, end);
    h.position = end;
    file.written = Date.now();
    return n;
  };
  Folder.prototype.read = function(handle, size) {
    var h = this.handles.get(handle);
    if (!h || h.access === 2) return -EBADF;
    if (h.file.device) return new Uint8Array(0);
    var end = Math.min(h.file.size, h.position + size);
    var bytes = this.bytesOf(h.file).slice(Math.min(h.position, end), end);
    h.position = end;
    return bytes;
  };
  Folder.prototype.seek = function(handle, offset) {
    var h = this.handles.get(handle);
    if (!h) return -EBADF;
    h.position = offset;
    return 0;
  };
  Folder.prototype.truncate = function(handle, offset) {
    var h = this.handles.get(handle);
    if (!h || h.access === 1) return -EBADF;
    var file = h.file;
    if (file.device) return 0;
    if (offset > file.size && offset - file.size > this.limit - this.used) return -ENOSPC;
    if (!this.grow(file, offset)) return -ENOSPC;
    if (offset > file.size) file.bytes.fill(0, file.size, offset);
    file.lines.forget(offset);
    this.resize(file, offset);
    return 0;
  };
  Folder.prototype.close = function(handle) {
    var h = this.handles.get(handle);
    if (!h) return;
    this.handles.delete(handle);
    h.file.handles -= 1;
    if (h.file.removed && h.file.handles === 0) this.used -= h.file.size;
  };
  // A removed file that is still open keeps its bytes until it is closed.
  Folder.prototype.unlink = function(name) {
    var file = this.files.get(name);
    if (!file) return -ENOENT;
    this.files.delete(name);
    file.removed = true;
    if (file.handles === 0) this.used -= file.size;
    return 0;
  };
  Folder.prototype.reports = function() {
    return Array.from(this.files.values()).filter(function(f) { return /\.txt$/i.test(f.name); });
  };
  // The file's line index, covering all of it.
  Folder.prototype.linesOf = function(file) {
    file.lines.cover(file, file.size);
    return file.lines;
  };

  // ----------------------------------------------------------------------
  // The console: a terminal that delivers one typed line per read with its
  // line end (CR LF), at most as many bytes as the read asks for. What the
  // program writes is also put in `log`, where a screen reader reads it out.
  var LOG_ENTRIES = 50;
  var CONSOLE_KEYS = { 'enter': '\r', 'end-of-input': '\x04', 'ctrl-z': '\x1a', 'interrupt': '\x03' };
  function Console(terminal, log) {
    this.terminal = terminal;
    this.log = log;
    this.typing = [];       // the line being typed, as characters
    this.lines = [];        // lines sent and not yet read, as bytes
    this.endOfInput = false;
    this.waiting = null;    // the read that waits for a line
    this.onInterrupt = null;
    this.shown = '';        // everything shown, for whoever reads the page
    terminal.onData(this.typed.bind(this));
    // A paste is text, whatever it holds: it never reaches the terminal's
    // own handling, which would take it for keys.
    var self = this;
    terminal.element.addEventListener('paste', function(event) {
      event.preventDefault();
      event.stopPropagation();
      self.text(event.clipboardData ? event.clipboardData.getData('text/plain') : '');
    }, true);
  }
  Console.prototype.echo = function(text) {
    this.shown += text;
    this.terminal.write(text);
  };
  // What the program writes. A line feed without its carriage return (the
  // refusal of a command line ends its lines so) starts a new line, as at a
  // Windows console.
  Console.prototype.show = function(text) {
    this.echo(text.replace(/\r?\n/g, '\r\n'));
    var plain = text.replace(/\x1b\[[\d;]*m/g, '').replace(/\r\n?/g, '\n').trim();
    if (!plain) return;
    var entry = document.createElement('p');
    entry.textContent = plain;
    this.log.appendChild(entry);
    while (this.log.childNodes.length > LOG_ENTRIES) this.log.removeChild(this.log.firstChild);
  };
  // How a typed character is shown: control characters as ^X (C0, DEL) and
  // M-^X (C1), as they would otherwise act on the terminal.
  function visible(c) {
    var code = c.charCodeAt(0);
    if (code === 0x7f) return '^?';
    if (code < 0x20 && c !== '\t') return '^' + String.fromCharCode(code + 0x40);
    if (code >= 0x80 && code < 0xa0) return 'M-^' + String.fromCharCode(code - 0x40);
    return c;
  }
  // One key comes as one character, or as the escape sequence of a key such
  // as an arrow (not for this program); anything else is text: a word from
  // a phone's keyboard or an input method.
  var KEY_SEQUENCE = /^\x1b(\[[\d;?]*[@-~]|O.|.)?$/;
  Console.prototype.typed = function(data) {
    if (data.length === 1) this.key(data);
    else if (!KEY_SEQUENCE.test(data)) this.text(data);
  };
  Console.prototype.endLine = function() {
    this.echo('\r\n');
    this.send(encode(this.typing.join('')).concat([13, 10]));
    this.typing = [];
  };
  Console.prototype.add = function(c) {
    this.typing.push(c);
    this.echo(visible(c));
  };
  Console.prototype.key = function(c) {
    if (c === '\r' || c === '\n') {
      this.endLine();
    } else if (c === '\x7f' || c === '\b') {
      if (this.typing.length > 0) {
        var width = visible(this.typing.pop()).length;
        this.echo('\b'.repeat(width) + ' '.repeat(width) + '\b'.repeat(width));
      }
    } else if (c === '\x04') {
      if (this.typing.length === 0) {
        this.endOfInput = true;
        this.answer();
      }
    } else if (c === '\x03') {
      this.echo('^C\r\n');
      this.typing = [];
      if (this.onInterrupt) this.onInterrupt();
    } else if (c === '\x1a' || c === '\t' || c >= ' ') {
      this.add(c);
    }
  };
  // Text is input, line by line: its line ends (CR, LF or CR LF) send the
  // lines, and every other character, a control character too, is typed.
  Console.prototype.text = function(data) {
    var before = '';
    for (var c of data) {
      if (c === '\r' || (c === '\n' && before !== '\r')) this.endLine();
      else if (c !== '\n') this.add(c);
      before = c;
    }
  };
  // The buttons of the keys that a phone's keyboard lacks. A tap leaves the
  // focus, and with it the phone's keyboard, where it was.
  Console.prototype.keyButtons = function(bar) {
    var self = this;
    bar.querySelectorAll('button[data-key]').forEach(function(button) {
      button.addEventListener('pointerdown', function(event) { event.preventDefault(); });
      button.addEventListener('click', function() { self.key(CONSOLE_KEYS[button.dataset.key]); });
    });
  };
  Console.prototype.send = function(bytes) {
    this.lines.push(new Uint8Array(bytes));
    this.answer();
  };
  Console.prototype.take = function(size) {
    if (this.lines.length === 0) {
      this.endOfInput = false;
      return new Uint8Array(0);
    }
    var line = this.lines[0];
    if (line.length <= size) {
      this.lines.shift();
      return line;
    }
    this.lines[0] = line.subarray(size);
    return line.subarray(0, size);
  };
  Console.prototype.answer = function() {
    if (!this.waiting || (this.lines.length === 0 && !this.endOfInput)) return;
    var waiting = this.waiting;
    this.waiting = null;
    waiting.resolve(waiting.deliver(this.take(waiting.size)));
  };
  Console.prototype.read = function(size, deliver) {
    if (this.lines.length > 0 || this.endOfInput) return deliver(this.take(size));
    var self = this;
    return new Promise(function(resolve) { self.waiting = { size: size, deliver: deliver, resolve: resolve }; });
  };
  Console.prototype.discardTypedAhead = function() {
    this.lines = [];
    this.typing = [];
    this.endOfInput = false;
  };
  Console.prototype.reset = function() {
    this.discardTypedAhead();
    this.waiting = null;
    this.onInterrupt = null;
  };

  // ----------------------------------------------------------------------
  // The command processor's reading of a command: blanks before the command
  // word are passed over, the word ends at the next blank, and all that
  // follows that blank is the name, as it is (the program has dropped the
  // blanks at the end).
  function parseCommand(line) {
    var text = line.replace(/^ +/, '');
    var blank = text.indexOf(' ');
    return blank < 0 ? { word: text, name: '' } : { word: text.slice(0, blank), name: text.slice(blank + 1) };
  }

  // ----------------------------------------------------------------------
  // The viewer: the page's editor for the report, opened by the command
  // processor; the program waits until it is closed. While it is open the
  // rest of the page is out of reach; closing it gives the focus back to
  // where it was.
  function Viewer() {
    this.element = document.getElementById('viewer');
    this.text = document.getElementById('viewer-text');
    this.file = null;
    this.closed = null;
    this.focusBefore = null;
    var self = this;
    document.getElementById('viewer-close').addEventListener('click', function() { self.close(); });
    document.getElementById('viewer-download').addEventListener('click', function() { download(self.file); });
    document.getElementById('viewer-previous').addEventListener('click', function() { self.page(self.at - 1); });
    document.getElementById('viewer-next').addEventListener('click', function() { self.page(self.at + 1); });
    document.addEventListener('keydown', function(event) {
      if (event.key === 'Escape' && self.isOpen()) self.close();
    });
    // Tab goes round the viewer's controls.
    this.element.addEventListener('keydown', function(event) {
      if (event.key !== 'Tab') return;
      var reachable = Array.from(self.element.querySelectorAll('button, [tabindex="0"]')).filter(function(e) {
        return !e.disabled && e.getClientRects().length > 0;
      });
      var edge = event.shiftKey ? reachable[0] : reachable[reachable.length - 1];
      if (document.activeElement !== edge) return;
      event.preventDefault();
      (event.shiftKey ? reachable[reachable.length - 1] : reachable[0]).focus();
    });
  }
  Viewer.prototype.open = function(name, file) {
    this.name = name;
    this.file = file;
    if (!this.isOpen()) this.focusBefore = document.activeElement;
    this.outside(true);
    document.getElementById('viewer-title').textContent = name + ' - Notepad';
    document.getElementById('viewer-download').disabled = !file;
    if (file) {
      this.page(0);
    } else {
      this.text.textContent = 'Cannot find the file ' + name + '.';
      document.getElementById('viewer-pages').hidden = true;
    }
    this.element.classList.remove('hidden');
    document.getElementById('viewer-close').focus();
    var self = this;
    return new Promise(function(resolve) { self.closed = resolve; });
  };
  // A long report is shown a page of lines at a time.
  Viewer.prototype.page = function(at) {
    var bytes = folder.bytesOf(this.file);
    var index = folder.linesOf(this.file);
    var lines = index.lines(bytes, bytes.length);
    var pages = Math.ceil(lines / LINES_PER_PAGE);
    this.at = Math.max(0, Math.min(at, pages - 1));
    var first = this.at * LINES_PER_PAGE;
    var last = first + LINES_PER_PAGE;
    var end = last < lines ? index.start(last) : bytes.length;
    this.text.textContent = decode(bytes.subarray(index.start(first), end)).replace(/\r\n/g, '\n');
    this.text.scrollTop = 0;
    document.getElementById('viewer-pages').hidden = pages <= 1;
    document.getElementById('viewer-position').textContent =
      'lines ' + (first + 1) + '\u2013' + Math.min(last, lines) + ' of ' + lines;
  };
  Viewer.prototype.isOpen = function() { return !this.element.classList.contains('hidden'); };
  Viewer.prototype.outside = function(inert) {
    document.querySelectorAll('body > header, body > main').forEach(function(part) { part.inert = inert; });
  };
  Viewer.prototype.close = function() {
    this.element.classList.add('hidden');
    this.outside(false);
    this.text.textContent = '';
    this.file = null;
    var closed = this.closed;
    this.closed = null;
    if (closed) closed(0);
    var back = this.focusBefore;
    this.focusBefore = null;
    if (back && back !== document.body && back.isConnected) back.focus();
    else terminal.focus();
  };

  // The exact bytes of a file, offered for download under its name.
  function download(file) {
    if (!file) return;
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([fixed(folder.bytesOf(file))], { type: 'text/plain' }));
    link.download = file.name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
  }

  // ----------------------------------------------------------------------
  // The convergence picture: raizes-plot on the chosen reports.
  var LARGE_REPORT = 8 * 1024 * 1024;
  function listReports(latest) {
    var list = document.getElementById('reports');
    var chosen = new Set(Array.from(list.querySelectorAll('input:checked')).map(function(i) { return i.value; }));
    if (latest) chosen = new Set([latest]);
    list.textContent = '';
    var reports = folder.reports();
    reports.forEach(function(file) {
      var item = document.createElement('li');
      var label = document.createElement('label');
      var box = document.createElement('input');
      box.type = 'checkbox';
      box.value = file.name;
      box.checked = chosen.has(file.name);
      label.appendChild(box);
      label.appendChild(document.createTextNode(' ' + file.name + ' (' + file.size.toLocaleString('en') + ' bytes)'));
      item.appendChild(label);
      var view = document.createElement('button');
      view.type = 'button';
      view.textContent = 'View';
      view.addEventListener('click', function() { viewer.open(file.name, file); });
      var save = document.createElement('button');
      save.type = 'button';
      save.textContent = 'Download';
      save.addEventListener('click', function() { download(file); });
      // Removing a report gives its room in the folder back.
      var remove = document.createElement('button');
      remove.type = 'button';
      remove.textContent = 'Remove';
      remove.setAttribute('aria-label', 'Remove ' + file.name);
      remove.addEventListener('click', function() {
        folder.unlink(file.name);
        listReports(null);
      });
      item.appendChild(view);
      item.appendChild(save);
      item.appendChild(remove);
      list.appendChild(item);
    });
    document.getElementById('draw').disabled = reports.length === 0;
  }

  function drawChosen(automatic) {
    var names = Array.from(document.querySelectorAll('#reports input:checked')).map(function(i) { return i.value; });
    var note = document.getElementById('picture-note');
    var picture = document.getElementById('picture');
    if (names.length === 0) {
      note.textContent = 'Choose one or more reports to draw.';
      return;
    }
    var size = names.reduce(function(sum, name) { return sum + folder.files.get(name).size; }, 0);
    if (automatic && size > LARGE_REPORT) {
      note.textContent = 'A long report: "Draw the chosen runs" draws it (that takes a few seconds).';
      return;
    }
    note.textContent = 'Drawing\u2026';
    var messages = [];
    setTimeout(function() {
      RaizesPlot({ print: function() {}, printErr: function(text) { messages.push(text); } }).then(function(plot) {
        plot.FS.mkdir('/runs');
        names.forEach(function(name) { plot.FS.writeFile('/runs/' + name, folder.bytesOf(folder.files.get(name))); });
        var status = plot.callMain(['-o', '/picture.svg'].concat(names.map(function(n) { return '/runs/' + n; })));
        if (status !== 0 || !plot.FS.analyzePath('/picture.svg').exists) {
          note.textContent = 'No picture: ' + (messages.join(' ').replace(/\/runs\//g, '') || 'raizes-plot failed');
          return;
        }
        var svg = plot.FS.readFile('/picture.svg');
        var image = document.createElement('img');
        image.alt = 'Convergence of ' + names.join(', ');
        image.src = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
        picture.textContent = '';
        picture.appendChild(image);
        note.textContent = 'Convergence of ' + names.join(', ') + '.';
      }, function(error) {
        note.textContent = 'No picture: ' + error;
      });
    }, 0);
  }

  // ----------------------------------------------------------------------
  // One run of the program: a fresh instance with the page as its host.
  var folder = new Folder();
  var terminal = new Terminal({ cursorBlink: true, scrollback: 5000, convertEol: false,
                                fontSize: window.innerWidth < 600 ? 12 : 14,
                                theme: { background: '#1e1e1e' } });
  var fit = new FitAddon.FitAddon();
  terminal.loadAddon(fit);
  terminal.open(document.getElementById('terminal'));
  fit.fit();
  window.addEventListener('resize', function() { fit.fit(); });
  var console_ = new Console(terminal, document.getElementById('console-log'));
  console_.keyButtons(document.getElementById('console-keys'));
  var viewer = new Viewer();
  var runState = document.getElementById('run-state');
  var runAgain = document.getElementById('run-again');
  var state = { runs: 0, running: false, status: null, waiting: null, answeredAt: null, commandAt: null };
  var equation = new RaizesEquation.Panel(window);

  // How far a run is, beside the console: the report it writes, its lines
  // and its size. A status region that is not read out at each change; the
  // run's state above it says when the run ends.
  var progress = document.createElement('span');
  progress.id = 'run-progress';
  progress.setAttribute('role', 'status');
  progress.setAttribute('aria-live', 'off');
  progress.setAttribute('aria-label', 'Progress of the run');
  progress.style.fontWeight = 'normal';
  runState.after(progress);
  var PROGRESS_MS = 200;

  // The program waits for the page by JSPI where the browser has it, else
  // by Asyncify: raizes-asyncify.js, the same program built for that, is
  // loaded for the first run.
  var programs = {
    jspi: typeof WebAssembly.Suspending === 'function' && typeof WebAssembly.promising === 'function',
    loaded: null,
  };
  function program() {
    if (programs.jspi) return Promise.resolve(Raizes);
    if (!programs.loaded) {
      programs.loaded = new Promise(function(resolve, reject) {
        var script = document.createElement('script');
        script.src = 'raizes-asyncify.js';
        script.onload = function() { resolve(RaizesAsyncify); };
        script.onerror = function() { reject('raizes-asyncify.js could not be loaded'); };
        document.body.appendChild(script);
      });
    }
    return programs.loaded;
  }
  // The page's turn: the program goes on in a task queued behind the
  // page's own, by a message to itself (which unlike a timer is not held
  // back by the browser when timers follow one another). The browser queues
  // the timers that fell due while the program ran only once its task has
  // ended, behind a message posted in it: so the program's message goes
  // round twice, and the page's timers come first.
  var turns = new MessageChannel();
  var waitingTurns = [];
  turns.port1.onmessage = function(event) {
    if (event.data === 1) turns.port2.postMessage(2);
    else waitingTurns.shift()();
  };
  var yieldToPage = function() {
    return new Promise(function(resolve) {
      waitingTurns.push(resolve);
      turns.port2.postMessage(1);
    });
  };

  function Run() {
    this.ended = false;
    this.sliceStart = performance.now();
    this.started = new Map();
    this.nextProcess = 1;
    this.writing = null;  // the file the program wrote last
    this.ticker = null;
  }
  // The program runs on for a slice of time, then lets the page answer; a
  // run that has ended meanwhile stays where it is.
  Run.prototype.pace = function(value) {
    if (performance.now() - this.sliceStart < SLICE_MS) return value;
    var self = this;
    return yieldToPage().then(function() {
      self.sliceStart = performance.now();
      return self.ended ? new Promise(function() {}) : value;
    });
  };
  Run.prototype.write = function(handle, bytes) {
    var n = folder.write(handle, bytes);
    if (n > 0) this.writing = folder.fileOf(handle) || this.writing;
    return n;
  };
  Run.prototype.showProgress = function() {
    var file = this.writing;
    if (!file) return;
    var text = (this.ended ? '' : 'Writing ') + file.name + ': ' + Run.count.format(file.lines.count) + ' lines, ' +
               Run.megabytes.format(file.size / 1e6) + ' MB';
    if (progress.textContent !== text) progress.textContent = text;
  };
  // Made once: a number's own toLocaleString makes its formatter anew at
  // each call, which is slow enough to show in a long run.
  Run.count = new Intl.NumberFormat('en');
  Run.megabytes = new Intl.NumberFormat('en', { maximumFractionDigits: 1 });
  // How the run ended, in words.
  Run.ending = function(status) {
    if (status === 0) return 'The run has ended (exit status 0).';
    if (status === 1) return 'The run has ended with a run-time error (exit status 1).';
    return 'The run has ended with exit status ' + status + '.';
  };
  Run.prototype.end = function(status, how) {
    if (this.ended) return;
    this.ended = true;
    clearInterval(this.ticker);
    this.showProgress();
    state.running = false;
    state.status = status;
    console_.reset();
    runState.textContent = how || Run.ending(status);
    runAgain.disabled = false;
    runAgain.focus();
    var newest = folder.reports().sort(function(a, b) { return b.written - a.written; })[0];
    var fresh = newest && newest.written >= this.startedAt;
    listReports(fresh ? newest.name : null);
    if (fresh) drawChosen(true);
  };
  Run.prototype.host = function() {
    var run = this;
    return {
      isConsole: function(handle) { return handle <= 2; },
      read: function(handle, size, deliver) {
        if (handle === 0) {
          return console_.read(size, function(bytes) {
            state.answeredAt = run.sliceStart = performance.now();
            return deliver(bytes);
          });
        }
        var bytes = folder.read(handle, size);
        return typeof bytes === 'number' ? bytes : deliver(bytes);
      },
      write: function(handle, bytes) {
        if (handle === 1) console_.show(decode(bytes));
        else if (handle === 2) console_.show('\x1b[1;31m' + decode(bytes) + '\x1b[0m');
        else return run.write(handle, bytes);
        return bytes.length;
      },
      turn: function() { return run.pace(0); },
      close: function(handle) { folder.close(handle); },
      discardTypedAhead: function(handle) { if (handle === 0) console_.discardTypedAhead(); },
      exit: function(status) { run.end(status); },
      open: function(path, createNew, access) { return folder.open(decode(path), createNew, access); },
      statPath: function(path) { return folder.statPath(decode(path)); },
      statHandle: function(handle) {
        return handle <= 2 ? { device: 1, index: handle + 1, kind: 3, size: 0 } : folder.statHandle(handle);
      },
      seek: function(handle, offset) { return folder.seek(handle, offset); },
      truncate: function(handle, offset) { return folder.truncate(handle, offset); },
      unlink: function(path) { return folder.unlink(decode(path)); },
      environment: function() { return undefined; },
      // The page is the command processor: "notepad NAME" opens the viewer.
      start: function(processor, command) {
        var words = parseCommand(decode(command));
        var id = run.nextProcess++;
        if (words.word.toLowerCase() !== 'notepad') {
          console_.show("'" + words.word + "' is not recognized as a command.\r\n");
          run.started.set(id, 1);
        } else if (words.name) {
          runState.textContent = 'Showing the report; close it to let the program go on.';
          run.started.set(id, viewer.open(words.name, folder.files.get(words.name)));
        } else {
          run.started.set(id, 0);  // no name: nothing to show
        }
        return id;
      },
      wait: function(id) {
        var status = run.started.get(id);
        run.started.delete(id);
        return status === undefined ? -1 : status;
      },
    };
  };

  function startRun() {
    var run = new Run();
    run.startedAt = Date.now();
    state.runs += 1;
    state.running = true;
    state.status = null;
    state.answeredAt = state.commandAt = null;
    runAgain.disabled = true;
    if (state.runs > 1) console_.show('\r\n\x1b[2m\u2500\u2500 run ' + state.runs + ' \u2500\u2500\x1b[0m\r\n');
    runState.textContent = 'Running: answer the questions below.';
    progress.textContent = '';
    run.ticker = setInterval(function() { run.showProgress(); }, PROGRESS_MS);
    console_.onInterrupt = function() { run.end(130, 'Ended by Ctrl+C.'); };
    terminal.focus();
    var failed = function(error) { run.end(-1, 'The program failed: ' + error); };
    var host = run.host();
    var start = host.start;
    host.start = function(processor, command) {
      state.commandAt = performance.now();
      return start(processor, command);
    };
    program().then(function(factory) {
      state.waiting = programs.jspi ? 'JSPI' : 'Asyncify';
      return factory({ raizesHost: host, arguments: equation.take(), print: function() {}, printErr: function() {}, onAbort: failed });
    }).catch(failed);
  }

  runAgain.addEventListener('click', startRun);
  document.getElementById('draw').addEventListener('click', function() { drawChosen(false); });

  // For the page's tests and for the curious: the session's state.
  window.raizesPage = { state: state, folder: folder, console: console_, terminal: terminal };
  startRun();
})();
