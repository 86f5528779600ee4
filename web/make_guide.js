// Renders the user's guide (Markdown) as a page of the site:
//   node make_guide.js NPM_FOLDER GUIDE.md OUT.html
'use strict';
const fs = require('fs');
const path = require('path');
const [npmFolder, guide, out] = process.argv.slice(2);
const { marked } = require(path.join(npmFolder, 'node_modules', 'marked'));

// Headings get the ids that the guide's own links use.
const slug = (text) => text.toLowerCase().replace(/<[^>]*>/g, '').replace(/[^\w\- ]+/g, '').trim().replace(/ /g, '-');
const renderer = new marked.Renderer();
renderer.heading = function({ tokens, depth }) {
  const text = this.parser.parseInline(tokens);
  return `<h${depth} id="${slug(text)}">${text}</h${depth}>\n`;
};
const body = marked.parse(fs.readFileSync(guide, 'utf8'), { renderer });
fs.writeFileSync(out, `<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>raizes: a user's guide</title>
<style>
body { max-width: 52rem; margin: 0 auto; padding: 1rem; font: 16px/1.55 system-ui, sans-serif; color: #1b1b1b; }
pre, code { font-family: ui-monospace, monospace; font-size: 0.92em; }
pre { overflow-x: auto; background: #f4f4f1; padding: 0.6rem; }
table { border-collapse: collapse; display: block; overflow-x: auto; }
th, td { border: 1px solid #d5d5cf; padding: 0.25rem 0.5rem; text-align: left; vertical-align: top; }
</style>
</head>
<body>
<p><a href="index.html">&larr; The program</a></p>
${body}
</body>
</html>
`);
