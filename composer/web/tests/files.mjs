// Open and save: C text in UTF-8 with LF and in GBK with CR, a ring tone, a MIDI file written by
// python3-mido and a file of two tunes through the page's file input; Save as a download where
// the browser has no file picker, and through a picker (stubbed, as the tests cannot answer the
// browser's own) that saves, saves again without asking, and changes nothing when cancelled.
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import {
    header, scenario, check, fail, expectText, note, intoText, keys, open, dialogOpen,
    anyDialogOpen,
    sleep, text1, shown,
} from './harness.mjs';

// The scale C5 to C6 in quarters at 150 a minute, format 0, as mido writes it.
function scaleMidi() {
    // Debian's, where python3-mido is, ahead of any other on PATH.
    const python = existsSync('/usr/bin/python3') ? '/usr/bin/python3' : 'python3';
    const script = `
import sys, mido
track = mido.MidiTrack([mido.MetaMessage('set_tempo', tempo=400000, time=0)])
for pitch in [72, 74, 76, 77, 79, 81, 83, 84]:
    track.append(mido.Message('note_on', note=pitch, velocity=90, time=0))
    track.append(mido.Message('note_on', note=pitch, velocity=0, time=400))
song = mido.MidiFile(type=0, ticks_per_beat=400)
song.tracks.append(track)
song.save(file=sys.stdout.buffer)
`;
    return execFileSync(python, ['-c', script]);
}

// Ctrl+O, and the file given to the page's file input as the browser's chooser gives it. The
// browser is told to hand its choosers to the test once, ahead of every Ctrl+O: told at the key,
// the word can come after the chooser.
async function interceptChoosers(page) {
    page.on('filechooser', () => {});
    await sleep(300);
}

async function openFile(page, chosen) {
    const [chooser] = await Promise.all([
        page.waitForEvent('filechooser'),
        keys(page, 'Control+o'),
    ]);
    await chooser.setFiles(chosen);
}

async function closeNotice(page) {
    await page.click('#notice-ok');
    await page.waitForFunction(() => !document.querySelector('dialog[open]'));
}

// The text once a file is open; a message that says why it is not fails the check with its words
// and is closed, so that the next file can be opened.
async function expectOpened(page, what, wanted) {
    if (await expectText(page, what, wanted)) return;
    if (await dialogOpen(page, 'notice', 100)) {
        const said = await page.$eval('#notice', (notice) => notice.innerText);
        fail(`${what}: the page said`, said);
        await closeNotice(page);
    }
}

const file = (name, bytes) => ({
    name,
    mimeType: 'application/octet-stream',
    buffer: Buffer.from(bytes),
});
const scaleText = `${header}0x73,0x7b,0x83,0x8b,0x93,0x9b,0xa3,0xab,0x00};\n`;
const crlf = (text) => Buffer.from(text.replaceAll('\n', '\r\n'));

// The browser's file picker replaced: it records what it was asked, answers with a file whose
// writes are kept in the page, or is cancelled as a user cancels it.
const stubPicker = () => {
    window.picked = [];
    window.saved = [];
    window.cancelPicker = false;
    window.showSaveFilePicker = async (options) => {
        window.picked.push(options ?? {});
        if (window.cancelPicker) {
            throw new DOMException('The user aborted a request.', 'AbortError');
        }
        const name = options?.suggestedName ?? 'picked.h';
        const handle = {
            kind: 'file',
            name,
            async createWritable() {
                const parts = [];
                return {
                    async write(data) {
                        parts.push(data?.type === 'write' ? data.data : data);
                    },
                    async truncate() {},
                    async close() {
                        const bytes = new Uint8Array(await new Blob(parts).arrayBuffer());
                        window.saved.push({ name, bytes: [...bytes] });
                    },
                };
            },
            async getFile() {
                return new File([], name);
            },
            async queryPermission() {
                return 'granted';
            },
            async requestPermission() {
                return 'granted';
            },
            async isSameEntry(other) {
                return other === handle;
            },
        };
        return handle;
    };
};

const noPicker = () => {
    delete window.showSaveFilePicker;
    delete Window.prototype.showSaveFilePicker;
};

function sameBytes(what, wanted, got) {
    check(what, Buffer.compare(wanted, got) === 0,
        `wanted ${shown(wanted.toString('latin1'))}\n got ${shown(got.toString('latin1'))}`);
}

await scenario(
    'files',
    async ({ browser, page, server }) => {
        await interceptChoosers(page);
        await note(page, 1, 1, 1);
        await intoText(page);

        // LF line ends stay single line breaks in the text box.
        await openFile(page, file('lf.h', `${header}0x73,0x7b,\n0x00};\n`));
        await expectOpened(page, 'Ctrl+O of an LF file', `${header}0x73,0x7b,\n0x00};\n`);
        await intoText(page);
        await keys(page, 'Control+z');
        await expectText(page, 'undo after Open', `${header}0x03,`);

        // GBK, with CR line ends, as an editor of a Chinese Windows wrote it.
        await openFile(page, file('gbk.h', [
            ...Buffer.from('// '), 0xd6, 0xd0, 0xd2, 0xf4, ...Buffer.from('\r{0x82,0x00};\r'),
        ]));
        await expectOpened(page, 'open a GBK file', '// 中音\n{0x82,0x00};\n');

        // Tunes brought in: the array quillon-import prints.
        await openFile(page, file('scale.rtttl', 'scale:d=4,o=5,b=150:c,d,e,f,g,a,b,c6'));
        await expectOpened(page, 'open an RTTTL tune', scaleText);
        await openFile(page, file('other.h', `${header}0x03,`));
        await expectOpened(page, 'open a C file again', `${header}0x03,`);
        await openFile(page, file('scale.mid', scaleMidi()));
        await expectOpened(page, 'open a MIDI file', scaleText);

        // Two tunes, one a line: Open asks which. Escape changes nothing; Enter takes the row
        // selected at first, the first tune (C5 D5), and a message says the other was left out.
        const two = file('two.rtttl', 'x:d=4,o=5,b=150:c,d\r\ny:d=4,o=5,b=150:e,f\r\n');
        await openFile(page, two);
        await sleep(500);
        let tunes = (await anyDialogOpen(page)).filter((id) => id !== 'notice');
        check('the list of tunes opens', tunes.length === 1, `open dialogs: ${tunes}`);
        await keys(page, 'Escape');
        await sleep(300);
        await expectText(page, 'Escape in the list of tunes changes nothing', scaleText);
        await openFile(page, two);
        await sleep(500);
        tunes = (await anyDialogOpen(page)).filter((id) => id !== 'notice');
        check('the list of tunes opens again', tunes.length === 1, `open dialogs: ${tunes}`);
        await keys(page, 'Enter');
        if (check('a message says what was left out', await dialogOpen(page, 'notice'))) {
            await closeNotice(page);
        }
        await expectText(page, 'Enter takes the tune selected at first',
            `${header}0x73,0x7b,0x00};\n`);

        // No file picker in this browser: Save is a download of exactly the text, CR LF.
        const [download] = await Promise.all([
            page.waitForEvent('download'),
            keys(page, 'Control+s'),
        ]);
        const name = download.suggestedFilename();
        check('Save offers a C file', name.endsWith('.h'), `named ${name}`);
        sameBytes('the download holds the text with CR LF', crlf(await text1(page)),
            readFileSync(await download.path()));

        // A file dropped on the window opens as Open opens it.
        await page.evaluate((text) => {
            const transfer = new DataTransfer();
            transfer.items.add(new File([text], 'dropped.h'));
            const form = document.getElementById('form1');
            for (const type of ['dragover', 'drop']) {
                form.dispatchEvent(new DragEvent(type,
                    { dataTransfer: transfer, bubbles: true, cancelable: true }));
            }
        }, `${header}0x13,0x00};\n`);
        await expectOpened(page, 'a file dropped on the window opens', `${header}0x13,0x00};\n`);

        // A browser with the picker.
        const picking = await browser.newContext();
        picking.setDefaultTimeout(10000);
        await picking.addInitScript(stubPicker);
        const other = await open(picking, server.url);
        const saved = () => other.evaluate(() => window.saved);
        const picked = () => other.evaluate(() => window.picked.length);
        await note(other, 1, 1, 1);
        await keys(other, 'Control+s');
        await sleep(500);
        check('the first Ctrl+S asks for a file', (await picked()) === 1);
        let files = await saved();
        sameBytes('and writes exactly the text', crlf(`${header}0x03,`),
            Buffer.from(files[0]?.bytes ?? []));
        await note(other, 3, 2, 3);
        await keys(other, 'Control+s');
        await sleep(500);
        files = await saved();
        check('Ctrl+S again saves without asking', (await picked()) === 1 && files.length === 2);
        sameBytes('the file holds the change', crlf(`${header}0x03,0x82,`),
            Buffer.from(files[1]?.bytes ?? []));

        await other.evaluate(() => {
            window.cancelPicker = true;
        });
        await keys(other, 'Control+Shift+S');
        await sleep(500);
        check('Ctrl+Shift+S asks even with a file', (await picked()) === 2);
        check('a cancelled picker writes nothing', (await saved()).length === 2);
        check('and shows no message', (await anyDialogOpen(other)).length === 0,
            `open: ${await anyDialogOpen(other)}`);
        await expectText(other, 'and leaves the text', `${header}0x03,0x82,`);
        await note(other, 3, 1, 2);
        await keys(other, 'Control+s');
        await sleep(500);
        files = await saved();
        check('the melody still saves to its file without asking',
            (await picked()) === 2 && files.length === 3 && files[2].name === files[0].name);
        await picking.close();
    },
    { init: noPicker },
);
