// The page as an app, in headless Chromium:
//   node app_test.js SITE NPM_FOLDER WEB_SOURCE
// Served on localhost it is installable, keeps exactly the site's files,
// opens and runs with the server stopped, and takes a changed site's files
// when the server is back. It is used with the keyboard alone, a screen
// reader finds its names and the program's output, and axe-core finds no
// violation at rest, during a run, with the viewer open and with a picture.
// Names and pastes of a hostile user reach the program as typed, the viewer
// shows the file the program wrote, and a paste never acts on the terminal.
// Offline, a link carrying an equation opens the page with it. Opened from
// disk on a phone-sized touch screen, a run is typed and ended with the
// on-screen keys, and the equation's fields, the viewer and the picture fit
// the screen.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const [site, npmFolder, webSource] = process.argv.slice(2).map((p) => path.resolve(p));
const { launch, KnownDevices } = require(path.join(npmFolder, 'node_modules', 'puppeteer-core'));
const axeSource = path.join(npmFolder, 'node_modules', 'axe-core', 'axe.min.js');
const MENU = '4 - newton raphson; 5 - secante';
const STOP = 'Stop - Program terminated.';
let failed = 0;
function check(condition, what) {
  console.log((condition ? '[ ok ] ' : '[FAIL] ') + what);
  if (!condition) failed += 1;
}

function serve(folder, port) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.svg': 'image/svg+xml',
                  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
  const server = http.createServer((request, response) => {
    const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/\/$/, '/index.html'));
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) return response.writeHead(404).end();
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' }).end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}
const stop = (server) => { server.closeAllConnections(); return new Promise((resolve) => server.close(resolve)); };
const until = (page, test, arg) => page.waitForFunction(test, { timeout: 90000, polling: 100 }, arg).then(() => true, () => false);
const screen = (page) => page.evaluate(() => {
  const buffer = window.raizesPage.terminal.buffer.active;
  return Array.from({ length: buffer.length }, (_, i) => buffer.getLine(i).translateToString(true)).join('\n');
});
async function onScreen(page, text) {
  for (const end = Date.now() + 90000; Date.now() < end; await new Promise((r) => setTimeout(r, 100))) {
    if ((await screen(page)).includes(text)) return true;
  }
  return false;
}
const waiting = (page) => until(page, () => window.raizesPage.console.waiting !== null);
const viewerOpen = (page) => page.waitForSelector('#viewer:not(.hidden)', { timeout: 90000 }).then(() => true, () => false);
const viewer = (page) => page.evaluate(() => [document.getElementById('viewer-title').textContent,
                                              document.getElementById('viewer-text').textContent]);
const paste = (page, text) => page.$eval('.xterm-helper-textarea', (area, t) => {
  const data = new DataTransfer();
  data.setData('text/plain', t);
  area.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
}, text);
const typeLine = async (page, line) => {
  await page.focus('.xterm-helper-textarea');
  await page.keyboard.type(line);
  await page.keyboard.press('Enter');
};
async function answer(page, lines, type = typeLine) {
  for (const line of lines) {
    await waiting(page);
    await type(page, line);
  }
}
async function axe(page, when) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.addScriptTag({ path: axeSource });
  const found = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => v.id + ' x' + v.nodes.length));
  check(found.length === 0, 'no accessibility violation ' + when + (found.length ? ': ' + found.join(', ') : ''));
}
const linkShown = (page) => page.click('#equation-copy').then(() => until(page, () => !document.getElementById('equation-link').hidden));
const pictureDrawn = (page) => until(page, () => (document.querySelector('#picture img') || {}).naturalWidth > 0);

async function served(browser, copy) {
  let server = await serve(copy, 0);
  const url = 'http://127.0.0.1:' + server.address().port + '/';
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 1000 });
  await page.goto(url);
  await waiting(page);
  await paste(page, '\u009b2J\u001b[2J');
  check((await screen(page)).includes(MENU) && (await screen(page)).includes('M-^[2J^[[2J'),
        'a paste of control characters is shown as ^[ and M-^[ and does not clear the terminal');
  await page.keyboard.press('Enter');

  check(await until(page, () => navigator.serviceWorker.controller !== null), 'the service worker serves the page');
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0, 'the page is installable as an app ' + JSON.stringify(installabilityErrors));
  const kept = await page.evaluate(async () => {
    const cache = await caches.open((await caches.keys())[0]);
    return (await cache.keys()).map((r) => decodeURIComponent(new URL(r.url).pathname.slice(1))).sort();
  });
  const files = (folder) => fs.readdirSync(folder, { recursive: true }).filter((f) => fs.statSync(path.join(folder, f)).isFile());
  const expected = files(copy).filter((f) => f !== 'service-worker.js').sort();
  check(JSON.stringify(kept) === JSON.stringify(expected), 'the browser keeps exactly the site\'s ' + expected.length + ' files');

  await stop(server);
  await page.reload();
  check(await onScreen(page, MENU), 'with the server stopped, the page opens again');
  const linked = await browser.newPage();
  await linked.goto(url + '#f=x%2A%2A3-2%2Ax-5&g=x');
  check(await onScreen(linked, MENU) && await linked.$eval('#equation-g', (e) => e.value) === 'x',
        'with the server stopped, a link carrying an equation opens the page with it');
  await linked.close();
  await linkShown(page);
  await axe(page, 'at rest, with the equation\'s link shown');
  await answer(page, ['1', 'raiz']);
  await axe(page, 'during a run');
  await answer(page, ['12 16', '0.1', '10']);
  check(await viewerOpen(page) && (await viewer(page))[0] === 'raiz.bis.txt - Notepad', 'offline, a run shows its report');
  await axe(page, 'with the viewer open');
  await page.keyboard.press('Escape');
  check(await onScreen(page, STOP), 'Escape closes the viewer and the program ends');
  check(await pictureDrawn(page), 'the picture is drawn');
  await axe(page, 'with a picture drawn');
  check(await page.$eval('#console-log', (log) => log.textContent.includes('Informe o nome do arquivo de saida')),
        'the program\'s output is in the log that a screen reader reads out');

  await page.focus('#reports button');
  await page.keyboard.press('Enter');
  for (let i = 0; i < 6; ++i) await page.keyboard.press('Tab');
  const inside = await page.evaluate(() => document.getElementById('viewer').contains(document.activeElement)
                                           && getComputedStyle(document.activeElement).outlineStyle !== 'none');
  await page.keyboard.press('Escape');
  check(inside && await page.evaluate(() => document.activeElement === document.querySelector('#reports button')),
        'with the keyboard the focus stays in the viewer, is seen, and goes back to the View button');

  // Names whose first character the page used to take for white space.
  for (const [name, tolerance] of [['\u00a0raiz', '0.01'], ["'\traiz'", '0.001']]) {
    await page.click('#run-again');
    await answer(page, ['1', name, '12 16', tolerance, '10']);
    const file = name.replace(/'/g, '') + '.bis.txt';
    const [title, text] = (await viewerOpen(page)) ? await viewer(page) : [];
    const written = await page.evaluate((f) => {
      const { folder } = window.raizesPage;
      // A copy: the folder's bytes may lie in a resizable buffer, which a decoder refuses.
      return new TextDecoder('windows-1252').decode(folder.bytesOf(folder.files.get(f)).slice()).replace(/\r\n/g, '\n');
    }, file).catch(() => null);
    check(title === file + ' - Notepad' && text === written, 'the viewer shows ' + JSON.stringify(file) + ', titled ' + JSON.stringify(title));
    await page.click('#viewer-close');
  }
  await page.click('#run-again');
  await answer(page, ['1']);
  await waiting(page);
  await paste(page, 'ra\u001biz\r');
  await answer(page, ['12 16', '0.1', '10']);
  check(await onScreen(page, 'ra^[iz') && await viewerOpen(page) && (await viewer(page))[0] === 'ra\u001biz.bis.txt - Notepad',
        'a pasted name holding ESC reaches the program whole');
  await page.click('#viewer-close');

  // The site changes: the service worker made anew, as the site's assembly makes it.
  fs.copyFileSync(path.join(webSource, 'site', 'service-worker.js'), path.join(copy, 'service-worker.js'));
  fs.appendFileSync(path.join(copy, 'style.css'), '\n/* changed */\n');
  const made = spawnSync(process.execPath, [path.join(webSource, 'make_offline.js'), copy], { stdio: 'inherit' });
  server = await serve(copy, Number(new URL(url).port));
  await page.reload();
  check(made.status === 0 && await until(page, async (css) => {
    const names = await caches.keys();
    const style = names.length === 1 && await (await caches.open(names[0])).match('style.css');
    return style && (await style.text()) === css;
  }, fs.readFileSync(path.join(copy, 'style.css'), 'utf8')), 'a changed site replaces the kept files');
  await stop(server);
  await page.close();
}

async function phone(browser) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.emulate(KnownDevices['Pixel 5']);
  await page.goto('file://' + path.join(site, 'index.html'));
  await waiting(page);
  await page.tap('#terminal');
  const typing = () => page.evaluate(() => document.activeElement.className === 'xterm-helper-textarea');
  const tapKey = (key) => page.tap('#console-keys [data-key="' + key + '"]');
  const onScreenKeyboard = async (_, line) => {
    await page.keyboard.sendCharacter(line);
    await tapKey('enter');
  };
  const tapped = await typing();
  await answer(page, ['1', 'raiz'], onScreenKeyboard);
  check(tapped && await typing(), 'on a phone a tap on the console brings its keyboard, and a tap on a key keeps it');
  await answer(page, ['12 16', '0.1', '10'], onScreenKeyboard);
  const fits = (selector) => page.$eval(selector, (e) => {
    const r = e.getBoundingClientRect();
    return r.width > 0 && r.left >= 0 && r.right <= innerWidth && document.documentElement.scrollWidth <= innerWidth;
  }).catch(() => false);
  check(await viewerOpen(page) && await fits('.viewer-window'), 'on a phone a run typed with touch shows the viewer within the screen');
  await page.tap('#viewer-close');
  check(await onScreen(page, STOP) && await pictureDrawn(page) && await fits('#picture img'), 'on a phone the picture fits the screen');
  check(await linkShown(page) && await fits('#equation-panel') && await fits('#equation-link-text'),
        'on a phone the equation\'s fields and its link fit the screen');
  await axe(page, 'on a phone');
  await page.tap('#run-again');
  await waiting(page);
  await tapKey('end-of-input');
  check(await onScreen(page, 'run-time error F6501'), 'on a phone the End of input key ends the input');
  await context.close();
}

(async () => {
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'raizes-app-'));
  fs.cpSync(site, copy, { recursive: true });
  const browser = await launch({ executablePath: process.env.RAIZES_CHROMIUM || '/usr/bin/chromium', headless: true,
                                 args: ['--no-sandbox', '--disable-gpu'] });
  try {
    await served(browser, copy);
    await phone(browser);
  } finally {
    await browser.close();
    fs.rmSync(copy, { recursive: true, force: true });
  }
  console.log(failed === 0 ? 'all passed' : failed + ' failed');
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.log('[FAIL] ' + (error && error.stack ? error.stack : error));
  process.exit(1);
});
