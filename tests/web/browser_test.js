// The page in headless Chromium, as a student uses it, served by a local
// web server and opened from disk:
//   node browser_test.js SITE NPM_FOLDER LINUX_RAIZES OUT_FOLDER CHECKED_ASYNCIFY
// Each time a bisection dialogue is typed into the console; the prompts,
// the viewer with the report's title line, the stop message once the viewer
// is closed, the downloaded report (the Linux program's bytes for the same
// dialogue) and the picture must appear. A second run with a letter for a
// number must end with the run-time error report. A screenshot of the page
// is left in OUT_FOLDER. From the server, where the program waits by JSPI,
// a run of a million rows follows, then a folder filled to its limit;
// opened from disk, the page is made to find no JSPI, as in a browser
// without it, and its program waits by Asyncify, built with Asyncify's own
// checks (CHECKED_ASYNCIFY, in a copy of the site): a function wrongly left
// out of Asyncify's instrumentation stops the run.
// Then, from both, runs of an equation in the page's fields or in a link.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const [site, npmFolder, linuxProgram, outFolder, checkedAsyncify] = process.argv.slice(2);
const puppeteer = require(path.resolve(npmFolder, 'node_modules', 'puppeteer-core'));
const equation = require(path.resolve(site, 'equation.js'));
const chromium = process.env.RAIZES_CHROMIUM || '/usr/bin/chromium';

const answers = ['1', 'raiz', '12 16', '0.1', '10'];
const prompts = [
  'Informe o nome do arquivo de saida',
  'Informe as extremidades do intervalo considerado [a, b]:',
  'Informe a tolerancia admitida',
  'Informe o numero maximo de iteracoes',
];
const title = 'Solução obtida através do método da bisseção';
const stop = 'Stop - Program terminated.';

let passed = 0;
let failed = 0;
function check(condition, what) {
  if (condition) {
    passed += 1;
    console.log('[ ok ] ' + what);
  } else {
    failed += 1;
    console.log('[FAIL] ' + what);
  }
  return condition;
}

// The Linux program's report for the same dialogue.
function linuxReport(dialogue, name, args = []) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'raizes-browser-linux-'));
  spawnSync(path.resolve(linuxProgram), args, { cwd: folder, input: dialogue.join('\n') + '\n', env: { ...process.env, COMSPEC: 'true' } });
  const report = fs.readFileSync(path.join(folder, name));
  fs.rmSync(folder, { recursive: true, force: true });
  return report;
}

// A static server of the site on the loopback address.
function serve(folder) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css' };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// What the terminal shows, line by line.
function screen(page) {
  return page.evaluate(() => {
    const buffer = window.raizesPage.terminal.buffer.active;
    const lines = [];
    for (let i = 0; i < buffer.length; ++i) lines.push(buffer.getLine(i).translateToString(true));
    return lines.join('\n');
  });
}

async function waitForScreen(page, text, seconds = 30) {
  const deadline = Date.now() + seconds * 1000;
  while (Date.now() < deadline) {
    if ((await screen(page)).includes(text)) return true;
    await new Promise((r) => setTimeout(r, 100));
  }
  return false;
}

async function typeLine(page, line) {
  await page.focus('.xterm-helper-textarea');
  await page.keyboard.type(line);
  await page.keyboard.press('Enter');
}

async function downloaded(folder, name, seconds = 30) {
  const file = path.join(folder, name);
  const deadline = Date.now() + seconds * 1000;
  while (Date.now() < deadline) {
    if (fs.existsSync(file) && !fs.existsSync(file + '.crdownload')) return fs.readFileSync(file);
    await new Promise((r) => setTimeout(r, 100));
  }
  return null;
}

const longAnswers = ['1', 'longa', '16 20', '0', '1000000'];

async function typeLines(page, lines) {
  for (const line of lines) {
    await typeLine(page, line);
    await new Promise((r) => setTimeout(r, 200));
  }
}

async function session(browser, url, expected, screenshot, long) {
  const waiting = long ? 'JSPI' : 'Asyncify';
  console.log('-- ' + url + ', waiting by ' + waiting);
  const page = await browser.newPage();
  if (!long) {
    await page.evaluateOnNewDocument(() => {
      delete WebAssembly.Suspending;
      delete WebAssembly.promising;
    });
  }
  await page.setViewport({ width: 1100, height: 1400 });
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'raizes-browser-downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.goto(url, { waitUntil: 'load' });

  check(await waitForScreen(page, '4 - newton raphson; 5 - secante'), 'the menu is shown');
  const fields = await page.$$eval('.equation-fields input', (all) => all.map((e) => e.value));
  check(fields.join('\n') === Object.values(equation.BUILT_IN).join('\n'), 'the fields hold the built-in equation');
  await typeLine(page, answers[0]);
  for (let i = 0; i < prompts.length; ++i) {
    check(await waitForScreen(page, prompts[i]), 'the prompt "' + prompts[i] + '" is shown');
    await typeLine(page, answers[i + 1]);
  }

  await page.waitForSelector('#viewer:not(.hidden)', { timeout: 30000 }).catch(() => {});
  const viewerTitle = await page.$eval('#viewer-title', (e) => e.textContent).catch(() => '');
  check(viewerTitle === 'raiz.bis.txt - Notepad', 'the viewer panel is titled like the editor: ' + viewerTitle);
  const viewerText = await page.$eval('#viewer-text', (e) => e.textContent).catch(() => '');
  check(viewerText.startsWith(title + '\n'), "the viewer shows the report's title line");
  check(!(await screen(page)).includes(stop), 'the program waits while the viewer is open');
  const mode = await page.evaluate(() => window.raizesPage.state.waiting);
  check(mode === waiting, 'the program waits for the page by ' + waiting + ' (' + mode + ')');

  await page.click('#viewer-download');
  const bytes = await downloaded(downloads, 'raiz.bis.txt');
  check(bytes !== null && Buffer.compare(bytes, expected) === 0,
        'the downloaded report has the Linux program\'s bytes (' + (bytes ? bytes.length : 0) + ' bytes)');

  await page.click('#viewer-close');
  check(await waitForScreen(page, stop), 'closing the viewer lets the program end with "' + stop + '"');

  await page.waitForFunction(() => {
    const image = document.querySelector('#picture img');
    return image && image.complete && image.naturalWidth > 0;
  }, { timeout: 30000 }).catch(() => {});
  check(await page.$eval('#picture img', (e) => e.naturalWidth > 0).catch(() => false), 'the picture of the run is shown');
  if (screenshot) await page.screenshot({ path: screenshot, fullPage: true });

  await page.click('#run-again');
  check(await waitForScreen(page, '── run 2 ──'), '"Run again" starts a fresh program');
  await typeLine(page, '1');
  await waitForScreen(page, prompts[0]);
  await typeLine(page, 'erro');
  await waitForScreen(page, prompts[1]);
  await typeLine(page, 'a 16');
  check(await waitForScreen(page, 'run-time error F6103: READ(CON)'), 'a letter for a number shows the run-time error report');
  const state = await page.evaluate(() => window.raizesPage.state.status);
  check(state === 1, 'the run ends with exit status 1 (' + state + ')');

  if (long) {
    await longRuns(page, downloads, long);
    await fillAndRemove(page);
  } else {
    await twoRunsInOnePicture(page);
  }

  check(errors.length === 0, 'no error in the page' + (errors.length ? ': ' + errors.join('; ') : ''));
  fs.rmSync(downloads, { recursive: true, force: true });
  await page.close();
}

// A false position run after the bisection; both reports chosen give one
// picture of both runs.
async function twoRunsInOnePicture(page) {
  await page.click('#run-again');
  await typeLines(page, ['2', 'outra', '12 16', '0.1', '10']);
  await page.waitForSelector('#viewer:not(.hidden)', { timeout: 30000 }).catch(() => {});
  await page.click('#viewer-close');
  await page.waitForFunction(() => window.raizesPage.state.status === 0, { timeout: 30000 }).catch(() => {});
  await page.evaluate(() => {
    for (const box of document.querySelectorAll('#reports input')) box.checked = true;
  });
  await page.click('#draw');
  const drawn = await page.waitForFunction(() => {
    const image = document.querySelector('#picture img');
    return image && image.alt === 'Convergence of raiz.bis.txt, outra.fp.txt' && image.naturalWidth > 0;
  }, { timeout: 30000 }).then(() => true, () => false);
  check(drawn, 'the chosen runs are drawn on one picture');
}

// A run of a million rows: the page answers all along (the longest pause
// between two ticks of a timer before the program starts the viewer is
// measured; the goal of 100 ms is bench/web_rows.sh's, this machine may be
// loaded), it shows how far the run is, the viewer opens on the report,
// whose download has the Linux program's bytes, and the page says how the
// run ended. Then a run whose iterates cannot have memory ends with the
// allocation error.
async function longRuns(page, downloads, expected) {
  await page.click('#run-again');
  await page.evaluate(() => {
    window.gaps = [];
    window.shown = [];
    let last = performance.now();
    window.ticker = setInterval(() => {
      const now = performance.now();
      window.gaps.push([last, now]);
      last = now;
      const text = document.getElementById('run-progress').textContent;
      if (window.shown[window.shown.length - 1] !== text) window.shown.push(text);
    }, 20);
  });
  await typeLines(page, longAnswers);
  await page.waitForSelector('#viewer:not(.hidden)', { timeout: 240000 }).catch(() => {});
  const run = await page.evaluate(() => {
    const state = window.raizesPage.state;
    const pauses = window.gaps.filter(([, end]) => end <= state.commandAt).map(([start, end]) => end - start);
    const opening = window.gaps.filter(([, end]) => end > state.commandAt).map(([start, end]) => end - start);
    return { seconds: (state.commandAt - state.answeredAt) / 1000, pause: Math.max(0, ...pauses),
             opening: Math.max(0, ...opening), shown: window.shown };
  });
  check(run.pause < 1000, 'during the million-row run the page answered at least every second (longest pause ' +
        Math.round(run.pause) + ' ms; the run took ' + run.seconds.toFixed(2) + ' s, the viewer opened in a pause of ' +
        Math.round(run.opening) + ' ms)');
  const counts = run.shown.map((text) => /^Writing longa\.bis\.txt: ([\d,]+) lines, [\d.,]+ MB$/.exec(text))
                          .filter((m) => m).map((m) => Number(m[1].replace(/,/g, '')));
  check(counts.length >= 1 && counts.every((n, i) => i === 0 || n > counts[i - 1]),
        'the page showed the run going on: ' + counts.join(', ') + ' lines');
  const position = await page.$eval('#viewer-position', (e) => e.textContent).catch(() => '');
  const lineCount = expected.reduce((n, b) => n + (b === 10), 0);
  await page.click('#viewer-next');
  const second = await page.$eval('#viewer-text', (e) => e.textContent);
  const secondExpected = expected.toString('latin1').split('\r\n').slice(2000, 4000).join('\n') + '\n';
  check(position === 'lines 1\u20132000 of ' + lineCount && second === secondExpected,
        'the viewer shows the long report a page at a time, the second page its lines 2001 to 4000: ' + position);
  await page.click('#viewer-previous');
  await page.click('#viewer-download');
  const bytes = await downloaded(downloads, 'longa.bis.txt', 120);
  check(bytes !== null && Buffer.compare(bytes, expected) === 0,
        'the million-row report downloads with the Linux program\'s bytes (' + (bytes ? bytes.length : 0) + ' bytes)');
  await page.click('#viewer-close');
  await page.waitForFunction(() => window.raizesPage.state.status === 0, { timeout: 60000 }).catch(() => {});
  await page.evaluate(() => clearInterval(window.ticker));
  const lines = expected.reduce((n, b) => n + (b === 10), 0);
  const size = (expected.length / 1e6).toLocaleString('en', { maximumFractionDigits: 1 });
  const ending = await page.evaluate(() => [document.getElementById('run-state').textContent,
                                            document.getElementById('run-progress').textContent]);
  check(ending[0] === 'The run has ended (exit status 0).' &&
        ending[1] === 'longa.bis.txt: ' + lines.toLocaleString('en') + ' lines, ' + size + ' MB',
        'the page says that the run ended and how, and its report\'s lines and size: ' + ending.join(' / '));

  await page.click('#run-again');
  await typeLines(page, ['1', 'enorme', '16 20', '0', '300000000']);
  check(await waitForScreen(page, 'run-time error F6772'), 'a run too large for the memory ends with the allocation error');
}

async function removeEveryReport(page) {
  const button = '#reports button[aria-label^="Remove "]';
  while (await page.$(button)) await page.click(button);
  return page.evaluate(() => window.raizesPage.folder.used === 0 && window.raizesPage.folder.files.size === 0);
}

// The folder counts the bytes of its files: with its limit set to 9 MB, a
// report of 5.7 MB leaves room for 3.3 MB of the next, which fills it to the
// last whole row and ends with the write error; the viewer's index of that
// report counts its lines and pages, also after a write into its middle and
// a cut. Its reports can be removed, which empties the folder, and the next
// run ends normally.
async function fillAndRemove(page) {
  check(await removeEveryReport(page), 'the reports are removed by their buttons, and the folder is empty');
  const limit = 9000000;
  await page.evaluate((bytes) => { window.raizesPage.folder.limit = bytes; }, limit);
  await page.click('#run-again');
  await typeLines(page, ['3', 'cheia', '0', '100000', '10']);
  await page.waitForSelector('#viewer:not(.hidden)', { timeout: 60000 }).catch(() => {});
  await page.click('#viewer-close');
  await page.waitForFunction(() => window.raizesPage.state.status === 0, { timeout: 60000 }).catch(() => {});
  await page.click('#run-again');
  await typeLines(page, ['3', 'transborda', '0', '100000', '10']);
  check(await waitForScreen(page, 'run-time error F6422: WRITE(transborda.pfs.txt)'),
        'the run that fills the folder ends with the write error');
  const filled = await page.evaluate(() => {
    const files = window.raizesPage.folder.files;
    const last = files.get('transborda.pfs.txt');
    const folder = window.raizesPage.folder;
    const bytes = folder.bytesOf(last);
    // The viewer's index of the file against its line feeds counted anew,
    // as written, then after a write into its middle and a cut.
    const indexed = () => {
      const pages = [];
      let feeds = 0;
      folder.bytesOf(last).forEach((b, i) => { if (b === 10 && ++feeds % 2000 === 0) pages.push(i + 1); });
      const index = folder.linesOf(last);
      return index.count === feeds && index.starts.join() === pages.join();
    };
    const result = { used: files.get('cheia.pfs.txt').size + last.size, end: Array.from(bytes.slice(-2)),
                     state: document.getElementById('run-state').textContent, indexed: indexed() };
    const handle = folder.open('transborda.pfs.txt', false, 2);
    folder.seek(handle, 1234567);
    folder.write(handle, new Uint8Array([65, 10, 66, 13, 10, 10]));
    result.indexed = result.indexed && indexed();
    folder.truncate(handle, 2345678);
    folder.close(handle);
    result.indexed = result.indexed && indexed();
    return result;
  });
  check(filled.used <= limit && filled.used > limit - 100 && filled.end.join() === '13,10' && filled.indexed,
        'the folder filled to ' + filled.used + ' of its ' + limit + ' bytes, ending with a whole row, whose lines ' +
        'the viewer\'s index counts and pages' + (filled.indexed ? '' : ' WRONGLY'));
  check(filled.state === 'The run has ended with a run-time error (exit status 1).', 'the page says so: ' + filled.state);
  check(await removeEveryReport(page), 'after the fill, the reports are removed and the folder is empty');
  await page.click('#run-again');
  await typeLines(page, answers);
  await page.waitForSelector('#viewer:not(.hidden)', { timeout: 60000 }).catch(() => {});
  await page.click('#viewer-close').catch(() => {});
  check(await page.waitForFunction(() => window.raizesPage.state.status === 0, { timeout: 60000 })
                  .then(() => true, () => false), 'then a run ends normally again');
}

// Your own equation, typed during a run (which keeps its own) or carried by
// a link: the Linux program's report, or its refusal; a link stays text.
const polynomial = 'x**3 - 2*x - 5';
const polynomialAnswers = ['1', 'poli', '2 3', '1e-10', '100'];
async function ownEquation(browser, base, expected) {
  const hostile = '"><img src=x onerror=alert(1)></script>' + '<b>'.repeat(2000);
  let copied = null;
  for (const [what, given, fields, refusal] of [  // the fields typed or the link, the fields then, the refusal
    ['a polynomial typed into f', [polynomial, '', ''], [polynomial, '', '']],
    ['the link "Copy link" made', () => copied, [polynomial, '', '']],
    ['a bad expression', ['x^3 - 2x - 5', '', ''], ['x^3 - 2x - 5', '', ''], '  x^3 - 2x - 5\n         ^'],
    ['a hostile link', () => base + '#f=' + encodeURIComponent(hostile) + '&g=%E0%A4%A&df=%3C%2Fscript%3E+1&f=x',
     [hostile.slice(0, equation.LONGEST), '%E0%A4%A', '</script>+1'], 'raizes: --f: ']]) {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    page.on('dialog', (dialog) => dialog.dismiss().then(() => errors.push('a dialog')));
    await page.goto(Array.isArray(given) ? base : given());
    const waiting = () => page.waitForFunction(() => window.raizesPage.console.waiting !== null, { timeout: 30000 });
    if (Array.isArray(given)) {
      await waiting();
      for (const [i, key] of equation.KEYS.entries()) {
        await page.click('#equation-' + key, { clickCount: 3 }).then(() => page.keyboard.press('Backspace'));
        await page.keyboard.type(given[i]);
      }
      check(await page.evaluate(() => window.raizesPage.state.running), what + ': the run in the console goes on');
      await page.click('[data-key="interrupt"]').then(() => page.click('#run-again'));
    }
    const shown = await page.$$eval('.equation-fields input', (all) => all.map((e) => e.value).join('\n'));
    let ended = refusal && await waitForScreen(page, refusal) && await page.evaluate(() => window.raizesPage.state.status) === 2;
    if (!refusal) {
      for (const line of polynomialAnswers) await waiting().then(() => typeLine(page, line));
      await page.waitForSelector('#viewer:not(.hidden)', { timeout: 30000 }).then(() => page.click('#viewer-close'), () => {});
      const report = Buffer.from(await page.waitForFunction(() => window.raizesPage.state.status === 0, { timeout: 30000 }).then(
        () => page.evaluate(() => Array.from(window.raizesPage.folder.bytesOf(window.raizesPage.folder.files.get('poli.bis.txt')))),
        () => []));
      ended = Buffer.compare(report, expected) === 0 && report.includes('f(x) = ' + polynomial) && /2\.09455148\d+E\+00/.test(report);
      await page.click('#equation-copy');
      copied = await (await page.waitForFunction(() => document.getElementById('equation-link-text').value)).jsonValue();
    }
    check(ended && shown === fields.join('\n') && errors.length === 0 && !(await page.$('img[src="x"], b')),
          what + ': ' + (refusal ? 'the program\'s refusal and status 2' : 'the Linux program\'s report, naming the equation and its root')
          + ', the fields hold its text, and nothing but text' + (errors.length ? ': ' + errors.join('; ') : ''));
    await page.close();
  }
}

(async () => {
  const expected = linuxReport(answers, 'raiz.bis.txt');
  const long = linuxReport(longAnswers, 'longa.bis.txt');
  const server = await serve(path.resolve(site));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu'],
  });
  try {
    await session(browser, 'http://127.0.0.1:' + server.address().port + '/', expected,
                  path.join(outFolder, 'web-page.png'), long);
    const checkedSite = fs.mkdtempSync(path.join(os.tmpdir(), 'raizes-checked-site-'));
    fs.cpSync(site, checkedSite, { recursive: true });
    fs.copyFileSync(checkedAsyncify, path.join(checkedSite, 'raizes-asyncify.js'));
    await session(browser, 'file://' + path.join(checkedSite, 'index.html'), expected, null, null);
    fs.rmSync(checkedSite, { recursive: true });
    const poli = linuxReport(polynomialAnswers, 'poli.bis.txt', ['--f', polynomial]);
    await ownEquation(browser, 'http://127.0.0.1:' + server.address().port + '/', poli);
    await ownEquation(browser, 'file://' + path.resolve(site, 'index.html'), poli);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(passed + ' passed, ' + failed + ' failed');
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.log('[FAIL] ' + (error && error.stack ? error.stack : error));
  process.exit(1);
});
