// Clicks to text and count: every control where the form puts it, every note button appending
// its item from the note code table, the bottom row's commands, the count beside "bytes" and the
// automatic break after every 16th.
import {
    header, items, scenario, expectText, expectCount, click, note, extend, rest, lineBreak,
    endButton, clearButton, intoText, type, keys, textOnce, difference, check,
} from './harness.mjs';

// The note code table: one row per group and row of the grid, degrees 1 to 7.
const noteItems = [
    ['0x03', '0x0b', '0x13', '0x1b', '0x23', '0x2b', '0x33'],
    ['0x02', '0x0a', '0x12', '0x1a', '0x22', '0x2a', '0x32'],
    ['0x01', '0x09', '0x11', '0x19', '0x21', '0x29', '0x31'],
    ['0x3b', '0x43', '0x4b', '0x53', '0x5b', '0x63', '0x6b'],
    ['0x3a', '0x42', '0x4a', '0x52', '0x5a', '0x62', '0x6a'],
    ['0x39', '0x41', '0x49', '0x51', '0x59', '0x61', '0x69'],
    ['0x73', '0x7b', '0x83', '0x8b', '0x93', '0x9b', '0xa3'],
    ['0x72', '0x7a', '0x82', '0x8a', '0x92', '0x9a', '0xa2'],
    ['0x71', '0x79', '0x81', '0x89', '0x91', '0x99', '0xa1'],
    ['0xab', '0xb3', '0xbb', '0xc3', '0xcb', '0xd3', '0xdb'],
    ['0xaa', '0xb2', '0xba', '0xc2', '0xca', '0xd2', '0xda'],
    ['0xa9', '0xb1', '0xb9', '0xc1', '0xc9', '0xd1', '0xd9'],
];

// Where the window puts its controls, in pixels of its client area (twips / 15): left, top,
// width, height; the note buttons follow below.
const layout = {
    form1: [0, 0, 555, 509],
    text1: [8, 24, 305, 433],
    label4_5: [8, 8],
    label4_0: [336, 16],
    label4_1: [336, 128],
    label4_2: [336, 240],
    label4_3: [336, 352],
    label4_4: [336, 464],
    label1: [8, 480],
    label3: [96, 480],
    label7: [216, 480, 33, 17],
    label6: [256, 480],
    Command511: [336, 480, 17, 25],
    Command512: [360, 480, 17, 25],
    Command514: [384, 480, 17, 25],
    Command515: [408, 480, 41, 25],
    Command516: [456, 480, 41, 25],
    Command517: [504, 480, 41, 25],
};
for (let g = 1; g <= 4; g++) {
    for (let r = 1; r <= 3; r++) {
        for (let c = 1; c <= 7; c++) {
            const top = 32 + 112 * (g - 1) + 32 * (r - 1);
            layout[`Command${g}${r}${c}`] = [336 + 32 * (c - 1), top, 17, 25];
        }
    }
}

await scenario('clicks', async ({ page }) => {
    const placed = await page.evaluate((ids) => {
        const form = document.getElementById('form1');
        const origin = form.getBoundingClientRect();
        return ids.map((id) => {
            const element = document.getElementById(id);
            if (!element) return [id, 'missing'];
            const box = element.getBoundingClientRect();
            const left = id === 'form1' ? 0 : box.left - origin.left - form.clientLeft;
            const top = id === 'form1' ? 0 : box.top - origin.top - form.clientTop;
            const size =
                id === 'form1' ? [form.clientWidth, form.clientHeight] : [box.width, box.height];
            return [id, [left, top, ...size].map(Math.round)];
        });
    }, Object.keys(layout));
    const misplaced = placed.filter(([id, got]) =>
        got === 'missing' || layout[id].some((wanted, i) => got[i] !== wanted));
    check('every control where the form puts it', misplaced.length === 0,
        misplaced.map(([id, got]) => `${id}: ${got}, wanted ${layout[id]}`).join('\n'));

    await expectText(page, 'start-up: the array header and a line break', header);
    await expectCount(page, 'start-up: the header is counted as no code', ' 0');

    // All 84 in a row: the first wrong one is reported, not the 80 after it.
    let wanted = header;
    let clicks = 0;
    let wrong = '';
    for (let g = 1; g <= 4 && !wrong; g++) {
        for (let r = 1; r <= 3 && !wrong; r++) {
            for (let c = 1; c <= 7 && !wrong; c++) {
                await note(page, g, r, c);
                clicks++;
                wanted += `${noteItems[(g - 1) * 3 + r - 1][c - 1]},`;
                if (clicks % 16 === 0) wanted += '\n';
                const got = await textOnce(page, wanted);
                if (got !== wanted) wrong = `Command${g}${r}${c}: ${difference(wanted, got)}`;
                if (clicks === 16) await expectCount(page, '16 clicks count 16', ' 16');
            }
        }
    }
    check('each of the 84 note buttons appends its item, a break after every 16th', !wrong,
        `from ${wrong}`);
    await expectCount(page, '84 clicks count 84', ' 84');

    // The last item, 0xd9, raised; then a rest, a line break and the terminator, one change each.
    await extend(page);
    wanted = wanted.slice(0, -5) + '0xDA,';
    await expectText(page, 'extend raises 0xd9 to 0xDA', wanted);
    await rest(page);
    await lineBreak(page);
    await endButton(page);
    await expectText(page, 'rest, line break and End append', `${wanted}0xf8,\n0x00};\n`);
    await expectCount(page, 'extend, rest, line break and End count one each', ' 88');

    await clearButton(page);
    await expectText(page, 'Clear goes back to the header', header);
    await expectCount(page, 'Clear shows 0 without a blank', '0');

    // After Clear the rhythm starts again: 15 notes and End, whose write is the 17th change.
    for (let i = 0; i < 15; i++) await note(page, 4, 1, 7);
    await endButton(page);
    await expectText(page, 'End after 15 notes brings the automatic break as well',
        `${header}${items('0xdb', 15)}0x00};\n\n`);
    await expectCount(page, 'and counts 16', ' 16');

    // A click after typing appends behind what was typed, wherever the caret stands.
    await clearButton(page);
    await intoText(page);
    await type(page, 'ab');
    await keys(page, 'ArrowLeft');
    await click(page, 'Command323');
    await expectText(page, 'a click appends at the end, not at the caret', `${header}ab0x82,`);
    await expectCount(page, 'two typed characters and a click count 3', ' 3');
    const focused = await page.evaluate(() => document.activeElement?.id);
    check('the click took the focus to the button', focused === 'Command323',
        `focus on ${focused}`);

    // A focused button is pressed with Enter and Space.
    await keys(page, 'Enter', 'Space');
    await expectText(page, 'Enter and Space press the focused button',
        `${header}ab0x82,0x82,0x82,`);
});
