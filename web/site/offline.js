// Served over HTTP(S), the page is an app that a browser can install, and
// it is kept in the browser after one visit, so that it opens and runs with
// no network (service-worker.js). Opened from disk it is neither, and needs
// neither: a browser would refuse to read its manifest there.
'use strict';
if (/^https?:$/.test(location.protocol)) {
  var manifest = document.createElement('link');
  manifest.rel = 'manifest';
  manifest.href = 'manifest.webmanifest';
  document.head.appendChild(manifest);
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('service-worker.js').catch(function(error) {
      console.warn('The page will not be kept for use offline: ' + error);
    });
  }
}
