// Served over HTTP(S), the site is kept in the browser after one visit, so
// that it opens and runs with no network (service-worker.js). Opened from
// disk it has no service worker, and needs none.
'use strict';
if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
  navigator.serviceWorker.register('service-worker.js').catch(function(error) {
    console.warn('The page will not be kept for use offline: ' + error);
  });
}
