// F5 on the page, end to end: the melody of the desktop's preview test entered with real clicks,
// F5, and what reaches the audio destination recorded by the page's tap and checked note by note
// as the sound server's recordings are: each pitch within 0.5 %, each sound (the first note
// included) within 2 ms of its length, each silence within 3 %. The light must go through the
// elements in order, each lit when its sound is heard. F5 before any click or key, which a
// browser refuses, is reported with its reason.
//
//   QUILLON_WEB_DIR=build/web node preview.mjs ANALYSE EXPECTED COMPARE_AWK
import { check, fail, scenario } from './harness.mjs';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const [analyse, expectedFile, compareAwk] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quillon-preview-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));

await scenario('preview', async ({ browser, server, page }) => {
    // The melody as entered on the desktop: note buttons Command<group><row><degree>, then
    // rest, extend and End.
    for (const id of ['Command311', 'Command311', 'Command322', 'Command333', 'Command512',
        'Command111', 'Command417', 'Command425', 'Command213', 'Command511', 'Command515']) {
        await page.click(`#${id}`);
    }
    const codes = ['0x73', '0x73', '0x7a', '0x81', '0xf8', '0x03', '0xdb', '0xca', '0x4C'];
    const text = await page.inputValue('#text1');
    if (!text.includes(`${codes.join(',')},0x00};`)) {
        fail(`the melody as entered: ${JSON.stringify(text)}`);
    }
    // The last clicked note fades first.
    await page.waitForTimeout(1500);

    // The light as the page shows it, every 4 ms, beside the context's clock.
    await page.evaluate(() => {
        // The lit piece of the layer under the text box, and where it stands in its row.
        const lit = () => {
            const piece = document.querySelector('#form1 .heard');
            if (piece === null) {
                return null;
            }
            let column = 0;
            for (let before = piece.previousSibling; before; before = before.previousSibling) {
                column += before.textContent.length;
            }
            return { at: `${piece.parentElement.style.top} ${column}`, text: piece.textContent };
        };
        globalThis.lightLog = [];
        let last;
        globalThis.lightTimer = setInterval(() => {
            const now = lit();
            if (JSON.stringify(now) !== JSON.stringify(last)) {
                last = now;
                globalThis.lightLog.push({ at: performance.now(), lit: now,
                    context: quillonSound.context.currentTime });
            }
        }, 4);
    });
    await page.evaluate(() => {
        window.addEventListener('keydown', () => {
            globalThis.pressedAt = quillonSound.context.currentTime;
        }, { capture: true, once: true });
        return quillonSound.startTap();
    });
    await page.keyboard.press('F5');
    await page.waitForTimeout(4000);
    const recording = await page.evaluate(async () => {
        clearInterval(globalThis.lightTimer);
        const tap = await quillonSound.stopTap();
        // s16le, as the sound server's recorder writes it.
        const pcm = new Int16Array(tap.samples.length);
        for (let i = 0; i < pcm.length; ++i) {
            pcm[i] = Math.max(-32768, Math.min(32767, Math.round(tap.samples[i] * 32768)));
        }
        const bytes = new Uint8Array(pcm.buffer);
        let binary = '';
        for (let i = 0; i < bytes.length; i += 8192) {
            binary += String.fromCharCode(...bytes.subarray(i, i + 8192));
        }
        // The output's delay as the context states it: when what reaches the destination is heard.
        const context = quillonSound.context;
        const latency = (context.baseLatency || 0) + (context.outputLatency || 0);
        return { rate: tap.rate, pcm: btoa(binary), latency };
    });
    const raw = path.join(work, 'recording.raw');
    fs.writeFileSync(raw, Buffer.from(recording.pcm, 'base64'));

    // The melody is what was heard last: its runs from its last sound back.
    const wanted = fs.readFileSync(expectedFile, 'utf8').split('\n')
        .map((line) => line.replace(/#.*/, '').trim()).filter((line) => line !== '');
    const runs = execFileSync(analyse, [raw, String(recording.rate)], { encoding: 'utf8' })
        .trim().split('\n');
    const lastSound = runs.findLastIndex((run) => run.startsWith('sound'));
    const heard = runs.slice(Math.max(0, lastSound + 1 - wanted.length), lastSound + 1);
    fs.writeFileSync(path.join(work, 'wanted'), wanted.join('\n') + '\n');
    fs.writeFileSync(path.join(work, 'heard'), heard.join('\n') + '\n');
    console.log(heard.join('\n'));
    try {
        check('the recording is the melody, note by note',
            true, execFileSync('awk', ['-v', 'sound_ms=2', '-f', compareAwk,
                path.join(work, 'wanted'), path.join(work, 'heard')], { encoding: 'utf8' }).trim());
    } catch (e) {
        fail('the recording is the melody, note by note', e.stdout);
    }

    // The light: each element in turn, then none; each lit when its start is heard, that is
    // once it has reached the destination and gone through the output's delay. The elements
    // start at these ms from the melody's start (the lengths 400, 400, 200, 100, 400, 400, 400,
    // 200, 800).
    const starts = [0, 400, 800, 1000, 1100, 1500, 1900, 2300, 2500, 3300];
    const log = await page.evaluate(() => globalThis.lightLog);
    // From the first element lit to the light going out.
    const changes = log.slice(log.findIndex((entry) => entry.lit !== null));
    const order = changes.map((entry) => entry.lit?.text ?? null);
    if (JSON.stringify(order) !== JSON.stringify([...codes, null])) {
        fail(`the light went ${JSON.stringify(log.map((entry) => entry.lit))}`);
    } else {
        const firstSound = Number(heard[0].split(/\s+/)[1]) / 1000;
        const tapStart = await page.evaluate(() => quillonSound.tapStartTime);
        const origin = tapStart + firstSound + recording.latency;
        const late = changes.map((entry, i) =>
            Math.round((entry.context - origin) * 1000 - starts[i]));
        console.log(`light changes late by (ms, context clock, output delay ${
            Math.round(recording.latency * 1000)} ms): ${late.join(' ')}`);
        // Never before the sound is heard, as it would be with the output's delay not taken off
        // (by 42 ms here); a little after, since the page looks every 4 ms, the session every
        // 15 and the context's clock moves in steps of its render buffer, more on a busy machine.
        check('the light follows what is heard', !late.some((ms) => ms < -3 || ms > 100),
            late.join(' '));
        const pressed = await page.evaluate(() => globalThis.pressedAt);
        console.log(`F5 to the first sound at the destination: ${
            Math.round((tapStart + firstSound - pressed) * 1000)} ms, heard ${
            Math.round(recording.latency * 1000)} ms later`);
    }

    // F5 before any click or key: the browser keeps the page silent, and the play fails soon
    // with its reason rather than wait. Headless chromium lets a page sound regardless, so its
    // context is made to refuse as a browser does by default: suspended, never resumed. Nothing
    // may come from Playwright, whose input and evaluations count as the user's: the page's own
    // script enters a melody, presses F5 and reports the notice on the console.
    const untouched = await browser.newPage();
    await untouched.addInitScript(() => {
        const Context = AudioContext;
        globalThis.AudioContext = class extends Context {
            get state() {
                return 'suspended';
            }
            resume() {
                return new Promise(() => {});
            }
        };
        const waiting = setInterval(() => {
            const text1 = document.getElementById('text1');
            if (!document.getElementById('form1')?.hasAttribute('data-ready')) {
                return;
            }
            clearInterval(waiting);
            text1.value = 'const unsigned char music_item[] = {\n0x73,0x00};';
            text1.dispatchEvent(new Event('input', { bubbles: true }));
            const pressed = performance.now();
            text1.dispatchEvent(new KeyboardEvent('keydown', { key: 'F5', bubbles: true }));
            const told = setInterval(() => {
                if (document.getElementById('notice').open) {
                    clearInterval(told);
                    console.log(`notice after ${Math.round(performance.now() - pressed)} ms: ${
                        document.getElementById('notice-detail').textContent}`);
                }
            }, 10);
        }, 20);
    });
    const told = untouched.waitForEvent('console', {
        predicate: (message) => message.text().startsWith('notice'), timeout: 10000,
    });
    await untouched.goto(server.url);
    const notice = (await told).text();
    console.log(`F5 before any click or key: ${notice}`);
    const after = Number(notice.match(/after (\d+) ms/)[1]);
    check('a play the browser refuses is reported soon with its reason',
        notice.includes('after a user gesture') && after <= 1000, notice);
}, { args: ['--autoplay-policy=no-user-gesture-required'] });
