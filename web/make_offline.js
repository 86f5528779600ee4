// Writes the assembled site's files into its service worker:
//   node make_offline.js SITE
// every file of SITE but the service worker itself, by its name relative to
// SITE with its SHA-256, and a version made from all of them.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const site = path.resolve(process.argv[2]);
const worker = path.join(site, 'service-worker.js');
const placeholder = 'SITE_FILES';

function filesUnder(folder) {
  return fs.readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
    const file = path.join(folder, entry.name);
    return entry.isDirectory() ? filesUnder(file) : [file];
  });
}

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');
const files = {};
for (const file of filesUnder(site).sort()) {
  if (file !== worker) files[path.relative(site, file).split(path.sep).join('/')] = sha256(fs.readFileSync(file));
}
const version = sha256(Object.entries(files).map(([name, digest]) => name + ' ' + digest + '\n').join('')).slice(0, 16);

const template = fs.readFileSync(worker, 'utf8');
if (template.split(placeholder).length !== 2) {
  console.error(`make_offline.js: ${worker} must hold ${placeholder} once`);
  process.exit(1);
}
fs.writeFileSync(worker, template.replace(placeholder, JSON.stringify({ version, files }, null, 1)));
