// Drives the composer's page in Debian's chromium as a user does: real clicks and keys, the text
// read back from the text box. Each scenario serves the built page itself, starts one browser
// with a fresh profile and runs all its checks in it.
//   QUILLON_WEB_DIR   the built page (build/web)
import { createReadStream, existsSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';

let chromium;
try {
    ({ chromium } = await import('playwright-core'));
} catch {
    console.log('FAIL: playwright-core is missing: run scripts/install-deps');
    process.exit(1);
}

export const header = 'const unsigned char music_item[] = {\n';

// `n` items, broken after every 16th by the automatic break.
export function items(item, n) {
    let text = '';
    for (let i = 1; i <= n; i++) {
        text += `${item},`;
        if (i % 16 === 0) text += '\n';
    }
    return text;
}

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.png': 'image/png',
    '.bmp': 'image/bmp',
    '.ico': 'image/x-icon',
    '.svg': 'image/svg+xml',
    '.txt': 'text/plain; charset=utf-8',
};

// The folder on 127.0.0.1 at a port the system picks; stop() closes it and every open
// connection, as a server gone away does.
export async function serve(folder) {
    const root = resolve(folder);
    const server = createServer((request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        let file = normalize(join(root, path));
        if (file !== root && !file.startsWith(root + sep)) {
            response.writeHead(403).end();
            return;
        }
        if (existsSync(file) && statSync(file).isDirectory()) file = join(file, 'index.html');
        if (!existsSync(file)) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, {
            'Content-Type': types[extname(file)] ?? 'application/octet-stream',
            'Cache-Control': 'no-cache',
        });
        createReadStream(file).pipe(response);
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        stop: () =>
            new Promise((resolve) => {
                server.close(resolve);
                server.closeAllConnections();
            }),
    };
}

let failures = 0;
let passes = 0;

export function pass(what) {
    passes++;
    console.log(`ok: ${what}`);
}

export function fail(what, detail) {
    failures++;
    console.log(`FAIL: ${what}`);
    if (detail) console.log(`  ${detail.replaceAll('\n', '\n  ')}`);
}

export function check(what, ok, detail) {
    if (ok) pass(what);
    else fail(what, detail);
    return ok;
}

// Line breaks made visible, so a wanted and a got text can be told apart in the log.
export function shown(text) {
    return JSON.stringify(text);
}

// Where two texts first differ, with what each holds there.
export function difference(wanted, got) {
    let at = 0;
    while (at < wanted.length && at < got.length && wanted[at] === got[at]) at++;
    const from = Math.max(0, at - 40);
    return (
        `first difference at ${at} of ${wanted.length} wanted, ${got.length} got\n` +
        `wanted ...${shown(wanted.slice(from, at + 40))}\n` +
        `got    ...${shown(got.slice(from, at + 40))}`
    );
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls `read` until it gives `wanted`, for up to `ms`: the page may paint a change a frame later.
async function until(read, wanted, ms = 3000) {
    const end = Date.now() + ms;
    let got = await read();
    while (got !== wanted && Date.now() < end) {
        await sleep(50);
        got = await read();
    }
    return got;
}

export const text1 = (page) => page.$eval('#text1', (box) => box.value);
export const label3 = (page) => page.$eval('#label3', (label) => label.textContent);

// The text once it is `wanted`, or what it is after waiting for that.
export const textOnce = (page, wanted, ms) => until(() => text1(page), wanted, ms);

export async function expectText(page, what, wanted) {
    const got = await textOnce(page, wanted);
    return check(what, got === wanted, got === wanted ? '' : difference(wanted, got));
}

export async function expectCount(page, what, wanted) {
    const got = await until(() => label3(page), wanted);
    return check(what, got === wanted, `#label3 shows ${shown(got)}, wanted ${shown(wanted)}`);
}

// A button of the form by its id, with a real click at its centre.
export const click = (page, id) => page.click(`#${id}`);

// Into the text box, the caret at the end.
export async function intoText(page) {
    await page.click('#text1');
    await page.keyboard.press('Control+End');
}

export async function keys(page, ...combos) {
    for (const combo of combos) await page.keyboard.press(combo);
}

export async function type(page, text) {
    await page.keyboard.type(text, { delay: 10 });
}

// A note button by its group, row and degree.
export const note = (page, g, r, c) => click(page, `Command${g}${r}${c}`);
export const extend = (page) => click(page, 'Command511');
export const rest = (page) => click(page, 'Command512');
export const lineBreak = (page) => click(page, 'Command514');
export const endButton = (page) => click(page, 'Command515');
export const clearButton = (page) => click(page, 'Command516');

// Waits until the session is loaded and the form has run its start-up.
export async function ready(page) {
    await page.waitForSelector('#form1[data-ready]', { state: 'attached', timeout: 30000 });
}

export async function open(context, url) {
    const page = await context.newPage();
    watch(page);
    await page.goto(url);
    await ready(page);
    return page;
}

// What the page itself reports goes into the log: a fault shows with its own words.
function watch(page) {
    page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
    page.on('console', (message) => {
        if (message.type() === 'error') console.log(`page console: ${message.text()}`);
    });
}

// The dialog `id` once it is open, for up to `ms`.
export async function dialogOpen(page, id, ms = 3000) {
    try {
        await page.waitForSelector(`dialog#${id}[open]`, { state: 'attached', timeout: ms });
        return true;
    } catch {
        return false;
    }
}

export const anyDialogOpen = (page) =>
    page.evaluate(() => [...document.querySelectorAll('dialog[open]')].map((d) => d.id));

// The text box's context menu (#menu, its entries role=menuitem, a submenu the group that
// follows its entry) and its entry that begins with `words`.
async function menuEntry(page, words) {
    await page.click('#text1', { button: 'right' });
    const entry = page.locator('#menu [role^="menuitem"]', { hasText: words }).first();
    await entry.waitFor({ state: 'visible' });
    return entry;
}

export async function menu(page, words) {
    await (await menuEntry(page, words)).click();
}

// The n-th entry of the submenu under the context menu's entry `words`.
export async function chooseFromSubmenu(page, words, n) {
    const entry = await menuEntry(page, words);
    await entry.locator('xpath=following-sibling::*[1][@role="group"]')
        .locator('[role^="menuitem"]').nth(n - 1).click();
}

// Starts the browser, serves the page, runs `body` and reports. `body` gets
// { browser, context, server, page } with the page open and ready.
export async function scenario(name, body, options = {}) {
    const root = process.env.QUILLON_WEB_DIR;
    if (!root || !existsSync(join(root, 'index.html'))) {
        console.log(`FAIL: no page in QUILLON_WEB_DIR (${root ?? 'unset'}): make web builds it`);
        process.exit(1);
    }
    const started = Date.now();
    const server = await serve(root);
    const browser = await chromium.launch({
        executablePath: process.env.QUILLON_CHROMIUM ?? '/usr/bin/chromium',
        headless: true,
        args: [
            '--no-sandbox',
            '--disable-gpu',
            '--disable-quic',
            '--no-first-run',
            '--disable-background-networking',
            '--disable-component-update',
            '--disable-sync',
            ...(options.args ?? []),
        ],
    });
    const context = await browser.newContext({
        acceptDownloads: true,
        viewport: { width: 800, height: 640 },
        locale: 'zh-CN',
        ...(options.context ?? {}),
    });
    // A control that is not there fails its check in seconds, not half a minute.
    context.setDefaultTimeout(10000);
    if (options.permissions) {
        await context.grantPermissions(options.permissions, { origin: server.url });
    }
    if (options.init) await context.addInitScript(options.init);
    try {
        const page = await open(context, server.url);
        await body({ browser, context, server, page });
    } catch (error) {
        fail(`${name}: ${error.message.split('\n')[0]}`, error.stack);
    } finally {
        await browser.close().catch(() => {});
        await server.stop();
    }
    const seconds = ((Date.now() - started) / 1000).toFixed(1);
    console.log(`${name} took ${seconds} s`);
    console.log(`${name}: ${passes} passed, ${failures} failed`);
    process.exit(failures === 0 && passes > 0 ? 0 : 1);
}
