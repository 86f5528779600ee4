// Keeps the site's files in the browser, so that the page opens and runs
// with no network after one visit. The assembly of the site writes the list
// of its files, each with its SHA-256, and a version made from them into
// SITE below (web/make_offline.js): any change of the site changes this
// file, and the browser then installs it anew, with the new files.
'use strict';

var SITE = SITE_FILES;
var CACHE_PREFIX = 'raizes-site-';
var CACHE = CACHE_PREFIX + SITE.version;

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), function(b) { return b.toString(16).padStart(2, '0'); }).join('');
}

// One file from the server, past any HTTP cache. A file whose bytes are not
// those of this version (a server half-way through an update) fails the
// installation: the version before stays in use, and the browser tries
// again at a later visit.
function fetchFile(name) {
  return fetch(new Request(name, { cache: 'no-cache' })).then(function(response) {
    if (!response.ok) throw new Error(name + ': HTTP status ' + response.status);
    return response.arrayBuffer().then(function(bytes) {
      return crypto.subtle.digest('SHA-256', bytes).then(function(digest) {
        if (hex(digest) !== SITE.files[name]) throw new Error(name + ' is not the file of version ' + SITE.version);
        return new Response(bytes, { headers: response.headers });
      });
    });
  });
}

self.addEventListener('install', function(event) {
  var names = Object.keys(SITE.files);
  event.waitUntil(Promise.all(names.map(fetchFile)).then(function(responses) {
    return caches.open(CACHE).then(function(cache) {
      return Promise.all(names.map(function(name, i) { return cache.put(name, responses[i]); }));
    });
  }).then(function() { return self.skipWaiting(); }));
});

// The new version serves the open pages too; the versions before go.
self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(keys) {
    return Promise.all(keys.filter(function(key) { return key.indexOf(CACHE_PREFIX) === 0 && key !== CACHE; })
                           .map(function(key) { return caches.delete(key); }));
  }).then(function() { return self.clients.claim(); }));
});

// The site's name of a request ('' being index.html), or null for what is
// not one of its files.
function siteName(url) {
  var scope = new URL(self.registration.scope);
  var asked = new URL(url);
  if (asked.origin !== scope.origin || asked.pathname.indexOf(scope.pathname) !== 0) return null;
  var name = decodeURIComponent(asked.pathname.slice(scope.pathname.length)) || 'index.html';
  return Object.prototype.hasOwnProperty.call(SITE.files, name) ? name : null;
}

self.addEventListener('fetch', function(event) {
  if (event.request.method !== 'GET') return;
  var name = siteName(event.request.url);
  if (name === null) return;
  event.respondWith(caches.open(CACHE).then(function(cache) { return cache.match(name); }).then(function(kept) {
    return kept || fetch(event.request);
  }));
});
