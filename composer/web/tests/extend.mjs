// Extend on text typed into the text box: the last code item goes up by one in uppercase, the
// first digit kept below 16; one in front of the line breaks that follow it is raised; what is
// not a code item of its own is left alone.
import {
    header, items, scenario, expectText, expectCount, note, extend, clearButton, intoText, type,
} from './harness.mjs';

// Typed after the header, and the text after one press of extend.
const raised = [
    ['0x03,', '0x04,'],
    ['0x07,', '0x08,'],
    ['0x0e,', '0x0F,'],
    ['0x0f,', '0x10,'],
    ['0xd9,', '0xDA,'],
    ['0xDA,', '0xDB,'],
    ['0xf8,', '0xF9,'],
    ['0x12,0x0b,', '0x12,0x0C,'],
];

// Typed endings that are no code item of their own.
const alone = ['19,', 'ab,', 'x19,', '0x1,'];

await scenario('extend', async ({ page }) => {
    for (const [typed, afterwards] of raised) {
        await clearButton(page);
        await intoText(page);
        await type(page, typed);
        await extend(page);
        await expectText(page, `extend on typed ${typed}`, header + afterwards);
    }
    await expectCount(page, 'typed characters and extend count one each', ' 11');

    // Three presses on 0x0d: one digit, then two.
    await clearButton(page);
    await intoText(page);
    await type(page, '0x0d,');
    for (const after of ['0x0E,', '0x0F,', '0x10,']) {
        await extend(page);
        await expectText(page, `0x0d raised to ${after}`, header + after);
    }

    for (const typed of alone) {
        await clearButton(page);
        await intoText(page);
        await type(page, typed);
        await extend(page);
        await expectText(page, `extend leaves typed ${typed} alone`, header + typed);
    }

    // The 16th click brought a line break: the item in front of it is raised.
    await clearButton(page);
    for (let i = 0; i < 16; i++) await note(page, 1, 1, 1);
    await extend(page);
    await expectText(page, 'extend after the automatic break raises the item before it',
        `${header}${items('0x03', 15)}0x04,\n`);
});
