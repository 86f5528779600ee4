// Served over HTTPS or from localhost, the page is an app that a browser
// can install, and it is kept in the browser after one visit, so that it
// opens and runs with no network (service-worker.js). Browsers allow
// neither elsewhere; opened from disk the manifest is not even named, as a
// browser would refuse to read it there.
'use strict';
(function() {
  if (!/^https?:$/.test(location.protocol)) return;
  var manifest = document.createElement('link');
  manifest.rel = 'manifest';
  manifest.href = 'manifest.webmanifest';
  document.head.appendChild(manifest);
  if (!('serviceWorker' in navigator)) return;
  navigator.serviceWorker.register('service-worker.js').catch(function(error) {
    console.warn('The page will not be kept for use offline: ' + error);
  });
})();
