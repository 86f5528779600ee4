// The page's side of bench/web_rows.sh: the site opened from disk in a
// fresh headless Chromium, a dialogue typed into its console, and for each
// run one line of JSON: how the program waited (JSPI, or Asyncify where the
// page is made to find no JSPI), the time from the last answer to the
// command that opens the viewer, the longest pause of the page between the
// two, while the run writes (a timer that should tick every 10 ms), the
// pause in which the viewer opened, the report's size, and the peak memory
// of the page's processes (the largest resident size of a renderer). A run of sixteen
// lines, its report shown in the viewer, gives the page's fixed cost.
//
//   node web_page_rows.js SITE NPM_FOLDER REPETITIONS ANSWER...
'use strict';
const fs = require('fs');
const path = require('path');

const [site, npmFolder, repetitions, ...answers] = process.argv.slice(2);
const puppeteer = require(path.resolve(npmFolder, 'node_modules', 'puppeteer-core'));

// The largest peak resident size of the browser's renderer processes.
function rendererPeak(browser) {
  let peak = 0;
  const pending = [browser.process().pid];
  while (pending.length > 0) {
    const pid = pending.pop();
    const children = fs.readFileSync('/proc/' + pid + '/task/' + pid + '/children', 'utf8').split(' ').filter(Boolean);
    pending.push(...children.map(Number));
    const command = fs.readFileSync('/proc/' + pid + '/cmdline', 'utf8');
    const status = fs.readFileSync('/proc/' + pid + '/status', 'utf8');
    if (command.includes('--type=renderer')) peak = Math.max(peak, 1024 * Number(/VmHWM:\s+(\d+)/.exec(status)[1]));
  }
  return peak;
}

async function run(answers, withoutJspi) {
  const browser = await puppeteer.launch({
    executablePath: process.env.RAIZES_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu'],
  });
  try {
    return await measured(browser, answers, withoutJspi);
  } finally {
    await browser.close();
  }
}

async function measured(browser, answers, withoutJspi) {
  const page = await browser.newPage();
  if (withoutJspi) {
    await page.evaluateOnNewDocument(() => {
      delete WebAssembly.Suspending;
      delete WebAssembly.promising;
    });
  }
  await page.goto('file://' + path.resolve(site, 'index.html'), { waitUntil: 'load' });
  await page.waitForFunction(() => window.raizesPage && window.raizesPage.console.shown.includes('secante'),
                             { timeout: 120000 });
  await page.evaluate(() => {
    window.gaps = [];
    let last = performance.now();
    window.ticker = setInterval(() => {
      const now = performance.now();
      window.gaps.push([last, now]);
      last = now;
    }, 10);
  });
  for (const answer of answers) {
    await page.focus('.xterm-helper-textarea');
    await page.keyboard.type(answer);
    await page.keyboard.press('Enter');
    await new Promise((r) => setTimeout(r, 200));
  }
  await page.waitForSelector('#viewer:not(.hidden)', { timeout: 600000 });
  await new Promise((r) => setTimeout(r, 500));
  const figures = await page.evaluate(() => {
    clearInterval(window.ticker);
    const state = window.raizesPage.state;
    const during = window.gaps.filter(([, end]) => end > state.answeredAt && end <= state.commandAt)
                              .map(([start, end]) => end - start);
    const opening = window.gaps.filter(([start, end]) => end > state.commandAt && start <= state.commandAt + 5000)
                               .map(([start, end]) => end - start);
    const report = Array.from(window.raizesPage.folder.files.values())[0];
    return {
      waiting: state.waiting,
      seconds: (state.commandAt - state.answeredAt) / 1000,
      longest_pause_ms: Math.max(0, ...during),
      viewer_pause_ms: Math.max(0, ...opening),
      bytes: report ? report.size : 0,
    };
  });
  figures.peak = rendererPeak(browser);
  return figures;
}

(async () => {
  console.log(JSON.stringify(Object.assign(await run(['1', 'raiz', '12 16', '0.1', '10'], false), { small: true })));
  for (let i = 0; i < Number(repetitions); ++i) {
    for (const withoutJspi of [false, true]) console.log(JSON.stringify(await run(answers, withoutJspi)));
  }
})().catch((error) => {
  console.error(error && error.stack ? error.stack : error);
  process.exit(1);
});
