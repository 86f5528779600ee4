// The equation of the page's runs: the fields f(x), g(x) and f'(x), the
// program's arguments made from them, and the link that carries them in its
// fragment, #f=...&g=...&df=... with each value percent-encoded.
'use strict';

var RaizesEquation = (function() {
  var KEYS = ['f', 'g', 'df'];
  // The built-in equation written as expressions: fields that hold exactly
  // these start the program with no argument, as a run without fields.
  var BUILT_IN = {
    f: '(1 - exp(-(x*0.146843)))*667.38/x - 40',
    g: '(1 - exp(-(x*0.146843)))*667.38/40',
    df: '-((1 - exp(-(x*0.146843)))*667.38/x**2) + exp(-(x*0.146843))*0.146843*667.38/x',
  };
  // The program refuses an expression longer than 1000 characters, and
  // says so. A field or a link holds at most this many, far beyond, so that
  // a text too long is still refused by the program for what it is, while
  // the arguments stay small on the program's stack and on the screen.
  var LONGEST = 4000;

  function builtIn() { return { f: BUILT_IN.f, g: BUILT_IN.g, df: BUILT_IN.df }; }
  function isBuiltIn(texts) {
    return KEYS.every(function(key) { return texts[key] === BUILT_IN[key]; });
  }

  // The program's command line: nothing for the built-in equation, else f
  // and each of g and df that is not empty (without g the program refuses
  // method 3, without df it works out f's exact derivative).
  function programArguments(texts) {
    if (isBuiltIn(texts)) return [];
    return KEYS.filter(function(key) { return key === 'f' || texts[key] !== ''; })
               .map(function(key) { return '--' + key + '=' + texts[key]; });
  }

  // A value of a link: percent-decoded, a '+' being a plus sign; a value
  // whose encoding is broken is taken as it is written.
  function decoded(value) {
    try {
      return decodeURIComponent(value);
    } catch (e) {
      return value;
    }
  }
  // Encoded so that no part of an expression is taken for the end of a link
  // by whatever shows the link: only letters, digits and - _ . ~ stay.
  function encoded(text) {
    return encodeURIComponent(text).replace(/[!'()*]/g, function(c) {
      return '%' + c.charCodeAt(0).toString(16).toUpperCase();
    });
  }

  // The equation that a link's fragment carries: the built-in one when the
  // fragment names none of f, g and df; else each named value (the first,
  // when named twice) and an empty field for the others.
  function fromFragment(fragment) {
    var named = new Map();
    fragment.replace(/^#/, '').split('&').forEach(function(pair) {
      var at = pair.indexOf('=');
      var key = at < 0 ? pair : pair.slice(0, at);
      if (KEYS.indexOf(key) >= 0 && !named.has(key)) named.set(key, decoded(at < 0 ? '' : pair.slice(at + 1)));
    });
    if (named.size === 0) return builtIn();
    var texts = {};
    KEYS.forEach(function(key) { texts[key] = (named.get(key) || '').slice(0, LONGEST); });
    return texts;
  }
  // The fragment of a link to `texts`: none for the built-in equation, else
  // f, and g and df when they are not empty.
  function toFragment(texts) {
    if (isBuiltIn(texts)) return '';
    return '#' + KEYS.filter(function(key) { return key === 'f' || texts[key] !== ''; })
                     .map(function(key) { return key + '=' + encoded(texts[key]); }).join('&');
  }

  // ----------------------------------------------------------------------
  // The panel of the fields. A run takes the fields as they are when it
  // starts (take); a change meanwhile leaves the run alone and is noted as
  // the next run's equation.
  function Panel(window) {
    var self = this;
    var document = window.document;
    this.window = window;
    this.fields = {};
    KEYS.forEach(function(key) {
      var field = document.getElementById('equation-' + key);
      field.maxLength = LONGEST;
      field.addEventListener('input', function() { self.changed(); });
      self.fields[key] = field;
    });
    this.note = document.getElementById('equation-note');
    this.linkBox = document.getElementById('equation-link');
    this.linkText = document.getElementById('equation-link-text');
    this.linkState = document.getElementById('equation-link-state');
    this.started = null;  // the fields when the latest run started
    document.getElementById('equation-built-in').addEventListener('click', function() { self.fill(builtIn()); });
    document.getElementById('equation-copy').addEventListener('click', function() { self.copyLink(); });
    window.addEventListener('hashchange', function() { self.fill(fromFragment(window.location.hash)); });
    this.fill(fromFragment(window.location.hash));
  }
  Panel.prototype.texts = function() {
    var fields = this.fields;
    var texts = {};
    KEYS.forEach(function(key) { texts[key] = fields[key].value; });
    return texts;
  };
  Panel.prototype.fill = function(texts) {
    var fields = this.fields;
    KEYS.forEach(function(key) { fields[key].value = texts[key]; });
    this.changed();
  };
  Panel.prototype.changed = function() {
    var now = this.texts();
    var differs = this.started !== null && KEYS.some(function(key) { return now[key] !== this.started[key]; }, this);
    this.note.textContent = differs ? 'Changed: the next run ("Run again") takes this equation.' : '';
  };
  // The arguments of a run that starts now.
  Panel.prototype.take = function() {
    this.started = this.texts();
    this.changed();
    return programArguments(this.started);
  };
  // The link to the page with the fields' equation, copied; where the
  // browser refuses the clipboard, it is there to select and copy.
  Panel.prototype.copyLink = function() {
    var link = this.window.location.href.replace(/#.*$/, '') + toFragment(this.texts());
    var self = this;
    var shown = function(copied) {
      self.linkText.value = link;
      self.linkBox.hidden = false;
      self.linkState.textContent = copied ? 'Copied.' : 'Select it and copy it.';
      if (copied) return;
      self.linkText.focus();
      self.linkText.select();
    };
    var clipboard = this.window.navigator.clipboard;
    if (!clipboard) return shown(false);
    clipboard.writeText(link).then(function() { shown(true); }, function() { shown(false); });
  };

  return { KEYS: KEYS, BUILT_IN: BUILT_IN, LONGEST: LONGEST, Panel: Panel };
})();

if (typeof module === 'object' && module.exports) module.exports = RaizesEquation;
